// Cpov: a camera's point of view. Projects world points to view (or grid) coordinates
// and turns view positions back into world points along their rays.
#pragma once

#include "support/matrix3.h"
#include "support/rect.h"
#include "support/vector2.h"

class Cpov {
  public:
    // scale = the rect's extent, offset = its centre.
    void setFOV(Crect const& rect);
    // View coordinates become grid cells, 0 at the rect's minimum and
    // gridX, gridY at its maximum (1, 1: unit coordinates across the rect).
    void setFOVandGrids(Crect const& rect, float gridX = 1, float gridY = 1);
    // Camera at eye looking at target; also resets the grid mapping.
    void setViewpoint(Cvector const& eye, Cvector const& target, Cvector const& up);

    // out = (x/z, y/z, 1/z) of p in the camera frame.
    void worldSpaceToPOVraw(Cvector& out, Cvector const& p) const;
    // A world point to view coordinates, in place; z becomes the depth along the view.
    void worldSpaceToPOV(Cvector& v) const;
    // A view position back to the world point on its ray at world depth worldZ.
    void povToWorldSpace(Cvector& v, float worldZ) const;
    // A view position to the point of its ray scaled by nearDist.
    void povToNearPlane(Cvector& v) const;

    Cvector2 scale, offset;
    float nearDist = 0;
    Cmatrix3 viewRotation; // rows side, up, forward of the camera
    Cmatrix3 gridRotation; // viewRotation with the grid mapping folded in
    Cvector viewpoint;
};
