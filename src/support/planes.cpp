#include "support/planes.h"

#include <cfloat>
#include <cmath>

void CplaneEquation::setPlane(Cvector const& p1, Cvector const& p2, Cvector const& p3) {
    float x1 = p1.x, y1 = p1.y, z1 = p1.z;
    float x2 = p2.x, y2 = p2.y, z2 = p2.z;
    float x3 = p3.x, y3 = p3.y, z3 = p3.z;
    a = y1 * (z2 - z3) + y2 * (z3 - z1) + y3 * (z1 - z2);
    b = z1 * (x2 - x3) + z2 * (x3 - x1) + z3 * (x1 - x2);
    c = x1 * (y2 - y3) + x2 * (y3 - y1) + x3 * (y1 - y2);
    d = -(x1 * (y2 * z3 - y3 * z2) + x2 * (y3 * z1 - y1 * z3) + x3 * (y1 * z2 - y2 * z1));
}

float CplaneEquation::distFromPoint(Cvector const& p) const {
    return (a * p.x + b * p.y + c * p.z + d) / std::sqrt(a * a + b * b + c * c);
}

float CplaneEquation::getIntersectionDist(Cvector const& origin, Cvector const& dir) const {
    float k = a * dir.x + b * dir.y + c * dir.z;
    if (k == 0.0f) return FLT_MAX;
    return (a * origin.x + b * origin.y + c * origin.z + d) / -k;
}

float CplaneEquation::getIntersectionZDist(Cvector const& origin, Cvector const& dir) const {
    float k = c * dir.z;
    if (k == 0.0f) return FLT_MAX;
    return (c * origin.z + d) / -k;
}

bool CplaneEquation::getIntersection(Cvector& point, Cvector const& dir) const {
    float k = a * dir.x + b * dir.y + c * dir.z;
    if (k == 0.0f || k != k) return false;
    float t = -(a * point.x + b * point.y + c * point.z + d) / k;
    point += dir * t;
    return true;
}

void CplaneDist::setPlane(Cvector const& p1, Cvector const& p2, Cvector const& p3) {
    plane.setPlane(p1, p2, p3);
    float len = std::sqrt(plane.a * plane.a + plane.b * plane.b + plane.c * plane.c);
    na = plane.a / len;
    nb = plane.b / len;
    nc = plane.c / len;
    nd = plane.d / len;
}
