#include "support/pov.h"

void Cpov::setFOV(Crect const& rect) {
    scale = Cvector2(rect.width(), rect.height());
    offset = Cvector2(rect.centerx(), rect.centery());
}

void Cpov::setFOVandGrids(Crect const& rect, float gridX, float gridY) {
    float w = rect.width(), h = rect.height();
    offset = Cvector2(rect.minx, rect.miny);
    scale = Cvector2(gridX / w, gridY / h);
    // Fold into a fresh copy of the view rotation, so a second call does not compound.
    gridRotation = viewRotation;
    gridRotation.forward += gridRotation.side * rect.minx + gridRotation.up * rect.miny;
    gridRotation.side *= w / gridX;
    gridRotation.up *= h / gridY;
}

void Cpov::setViewpoint(Cvector const& eye, Cvector const& target, Cvector const& up) {
    viewRotation.buildFromPointTargetUpv(eye, target, up);
    gridRotation = viewRotation;
    viewpoint = eye;
}

// World to camera frame: dot products with the rows, the inverse of the rotation that
// povToWorldSpace applies.
void Cpov::worldSpaceToPOVraw(Cvector& out, Cvector const& p) const {
    Cvector d = p - viewpoint;
    d /= viewRotation;
    out.set(d.x / d.z, d.y / d.z, 1.0f / d.z);
}

void Cpov::worldSpaceToPOV(Cvector& v) const {
    Cvector d = v - viewpoint;
    d /= viewRotation;
    v.set((d.x / d.z - offset.x) * scale.x, (d.y / d.z - offset.y) * scale.y, d.z);
}

void Cpov::povToWorldSpace(Cvector& v, float worldZ) const {
    Cvector r(v.x, v.y, 1.0f);
    r *= gridRotation;
    float f = (worldZ - viewpoint.z) / r.z;
    v = r * f + viewpoint;
}

void Cpov::povToNearPlane(Cvector& v) const {
    Cvector r(v.x, v.y, 1.0f);
    r *= gridRotation;
    v = r * nearDist + viewpoint;
}
