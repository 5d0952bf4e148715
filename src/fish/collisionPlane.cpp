// Plane placement, the slab tests and the collector.
#include "fish/collisionPlane.h"

#include <cmath>

CcollisionPlaneCollector collisionPlaneCollector;

namespace {

float horizontalDistanceSquared(Cvector const& a, Cvector const& b) {
    float dx = a.x - b.x, dz = a.z - b.z;
    return dx * dx + dz * dz;
}

} // namespace

void CcollisionPlaneX::calced() {
    float endX = start.x + span[0], endZ = start.z + span[1];
    xRange[0] = std::fmin(start.x, endX) - thickness;
    xRange[1] = std::fmax(start.x, endX) + thickness;
    zRange[0] = std::fmin(start.z, endZ) - thickness;
    zRange[1] = std::fmax(start.z, endZ) + thickness;
    yRange[0] = start.y;
    yRange[1] = start.y + height;
    // The bounding circle the pair search compares.
    centre.set(start.x + span[0] * 0.5f, start.y + height * 0.5f, start.z + span[1] * 0.5f);
    boundingRadius = std::sqrt(span[0] * span[0] + span[1] * span[1]) * 0.5f + thickness;
}

float CcollisionPlaneX::othersPointsOnOneSide(CcollisionPlaneX& b) {
    float ax = b.start.x - start.x, az = b.start.z - start.z;
    float c1 = span[0] * az - span[1] * ax;
    ax += b.span[0];
    az += b.span[1];
    float c2 = span[0] * az - span[1] * ax;
    float q = c1 * c2;
    if (q > thicknessSquared) return 1.0f;
    return q > 0.0f ? q : 0.0f;
}

int CcollisionPlaneX::intersectsWith(CcollisionPlaneX& b) {
    if (!(start.y + height >= b.start.y && start.y <= b.start.y + b.height)) return 0;
    if (!(xRange[1] >= b.xRange[0] && xRange[0] <= b.xRange[1])) return 0;
    if (!(zRange[1] >= b.zRange[0] && zRange[0] <= b.zRange[1])) return 0;
    if (othersPointsOnOneSide(b) >= 1.0f || b.othersPointsOnOneSide(*this) >= 1.0f) return 0;
    return 1;
}

bool CcollisionPlaneX::spheresIntersect(CcollisionPlaneX const& o) const {
    return horizontalDistanceSquared(centre, o.centre) < collisionPlaneCollector.reachSquared;
}

void CcollisionPlaneX::getCenter(Cvector& out) const {
    out.set(start.x + span[0] * 0.5f, start.y, start.z + span[1] * 0.5f);
}

int CcollisionPlaneGroup::initCollisionPlaneGroup(int n, float thick, Cthing* owner) {
    thing = owner;
    count = n > 0 ? n : 0;
    planes.reset(count ? new CcollisionPlaneX[count] : nullptr);
    for (int i = 0; i < count; i++) {
        planes[i].thickness = thick;
        planes[i].thicknessSquared = thick * thick;
    }
    vertexCount = 2 * count + 1;
    return vertexCount;
}

int CcollisionPlaneGroup::collectCollisionGroupIntersections(CcollisionPlaneGroup* other) {
    if (!other || count == 0 || other->count == 0) return 0;
    float reach = other->planes[0].boundingRadius + planes[0].boundingRadius;
    collisionPlaneCollector.reachSquared = reach * reach;
    for (int i = 0; i < count; i++)
        for (int j = i; j < other->count; j++)
            if (horizontalDistanceSquared(planes[i].centre, other->planes[j].centre) <
                collisionPlaneCollector.reachSquared)
                collisionPlaneCollector.add(other, i, j);
    return 0;
}

float CcollisionPlaneGroup::getLevelSet(Cvector const& p, float limit) const {
    float best = limit;
    for (int i = 0; i < count; i++) {
        CcollisionPlaneX const& plane = planes[i];
        if (p.y < plane.yRange[0] || p.y > plane.yRange[1]) continue;
        float d = horizontalDistanceSquared(p, plane.centre);
        if (d <= best) best = d;
    }
    return best < limit ? best : 0.0f;
}

void CcollisionPlaneCollector::add(CcollisionPlaneGroup* other, int mine, int theirs) {
    if (count >= capacity) return;
    Record& r = records[count++];
    r.other = other;
    r.mine = static_cast<unsigned char>(mine);
    r.theirs = static_cast<unsigned char>(theirs);
}
