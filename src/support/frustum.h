// CflatFrustum: the tank's view volume. Maps tank points to frustum space, where the near
// face spans -1..1 in x and y at z 0 and the far depth is z 1, and back.
#pragma once

#include "support/vector.h"

class CflatFrustum {
  public:
    CflatFrustum() : depthScale(0), depthOffset(0) {}

    // corner1 and corner2: opposite corners of the near face (same z); far: the far depth.
    void setFrustum(Cvector const& viewpoint, Cvector const& corner1, Cvector const& corner2, float far);
    // Tank space to frustum space, in place (undefined at the viewpoint's own depth).
    void realToFrustum(Cvector& v) const;
    // Frustum space back to tank space, in place.
    void frustumToReal(Cvector& v) const;

    float depthScale, depthOffset;
    float xScale = 0, yScale = 0, xOffset = 0, yOffset = 0;
    Cvector viewpoint, corner1, corner2;
    float farZ = 0;
};
