#include "support/frustum.h"

void CflatFrustum::setFrustum(Cvector const& vp, Cvector const& c1, Cvector const& c2, float far) {
    viewpoint = vp;
    corner1 = c1;
    corner2 = c2;
    farZ = far;
    depthScale = far - c1.z;
    depthOffset = (vp.z - c1.z) / depthScale;
    // Half extents in double: the corners are often large and close together.
    double halfX = (double(c2.x) - c1.x) / 2.0;
    double halfY = (double(c2.y) - c1.y) / 2.0;
    double nearDepth = double(c1.z) - vp.z;
    xScale = static_cast<float>(nearDepth / halfX);
    yScale = static_cast<float>(nearDepth / halfY);
    xOffset = static_cast<float>((vp.x - (double(c1.x) + c2.x) / 2.0) / halfX);
    yOffset = static_cast<float>((vp.y - (double(c1.y) + c2.y) / 2.0) / halfY);
}

void CflatFrustum::realToFrustum(Cvector& v) const {
    Cvector d = v - viewpoint;
    v.set(d.x / d.z * xScale + xOffset, d.y / d.z * yScale + yOffset, d.z / depthScale + depthOffset);
}

void CflatFrustum::frustumToReal(Cvector& v) const {
    float z = (v.z - depthOffset) * depthScale;
    float y = (v.y - yOffset) / yScale * z;
    float x = (v.x - xOffset) / xScale * z;
    v.set(x + viewpoint.x, y + viewpoint.y, z + viewpoint.z);
}
