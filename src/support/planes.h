// Planes through three points: signed distances and ray hits (walls, collision planes).
#pragma once

#include "support/vector.h"

// a x + b y + c z + d = 0; (a, b, c) is an unnormalised normal.
class CplaneEquation {
  public:
    CplaneEquation() : a(0), b(0), c(0), d(0) {}

    // The plane through p1, p2, p3 with normal (p2 - p1) x (p3 - p1).
    void setPlane(Cvector const& p1, Cvector const& p2, Cvector const& p3);
    // Signed distance along the normal.
    float distFromPoint(Cvector const& p) const;
    // Ray parameter of the hit from origin along dir; the largest float when parallel.
    float getIntersectionDist(Cvector const& origin, Cvector const& dir) const;
    // The same using z alone.
    float getIntersectionZDist(Cvector const& origin, Cvector const& dir) const;
    // Moves point along dir onto the plane; false (point unchanged) when the ray is
    // parallel or the numbers are not usable.
    bool getIntersection(Cvector& point, Cvector const& dir) const;

    float a, b, c, d;
};

// A plane with its unit-normal copy, so distances need no square root.
class CplaneDist {
  public:
    void setPlane(Cvector const& p1, Cvector const& p2, Cvector const& p3);
    float distFromPoint(Cvector const& p) const { return na * p.x + nb * p.y + nc * p.z + nd; }

    CplaneEquation plane;
    float na = 0, nb = 0, nc = 0, nd = 0;
};
