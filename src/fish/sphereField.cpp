// Loading the sphere field, its x-cell ranges and masks, and the queries fish make of it.
#include "fish/sphereField.h"

#include <cmath>

#include "fish/avoidZone.h"
#include "support/cerr.h"

namespace {

// The cell of an offset from the field's minimum corner, rounded down so that anything
// left of the field lies in no cell; saturating (not-a-number far below), so no float
// reaches an out-of-range cast.
int cellOf(float offset, float scale) {
    float f = std::floor(offset * scale);
    if (!(f > -1000000.0f)) return -1000000;
    if (f > 1000000.0f) return 1000000;
    return static_cast<int>(f);
}

int clampCell(int c, int cells) {
    return c < 0 ? 0 : c >= cells ? cells - 1 : c;
}

} // namespace

uint32_t CsphereField::maskFromStartEnd(int start, int end) {
    if (start < 0) start = 0;
    if (end > cellsYZ - 1) end = cellsYZ - 1;
    if (end < start) return 0;
    return ((2u << end) - 1u) & ~((1u << start) - 1u);
}

uint32_t CsphereField::cellMask(float y0, float y1, float z0, float z1) const {
    uint32_t y =
        maskFromStartEnd(cellOf(y0 - minCorner.y, cellScale.y), cellOf(y1 - minCorner.y, cellScale.y));
    uint32_t z =
        maskFromStartEnd(cellOf(z0 - minCorner.z, cellScale.z), cellOf(z1 - minCorner.z, cellScale.z));
    return y | z << 16;
}

void CsphereField::clearSphereField() {
    VTRACE(2, "clearing sphere field");
    count = 0;
    spheres.clear();
    masks.clear();
    xBuckets.clear();
}

int CsphereField::loadSpheres(CsphereSource const& model, float scale) {
    VTRACE(2, "init sphereField");
    minCorner.set(1000.0f, 1000.0f, 1000.0f);
    maxCorner.set(-1000.0f, -1000.0f, -1000.0f);
    if (!model.hasAttribute("pscale")) {
        VTRACE(1, "couldn't find pscale attrib");
        return 1;
    }
    int n = model.pointCount();
    VTRACE(2, "data is suitable. numSpheres:" << n);
    // Models this field cannot hold stop the saver rather than the process.
    if (n > maxSpheres || !model.isInterleaved()) {
        clearSphereField();
        setExitError(n > maxSpheres ? "tms!" : "notInterlvd", 1);
        return 1;
    }
    if (n < 0) n = 0;
    spheres.resize(static_cast<size_t>(n));
    masks.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; i++) {
        Cvector p = model.pointPosition(i) * scale;
        CsphereDef& s = spheres[static_cast<size_t>(i)];
        s = {p.x, p.y, p.z, model.pointAttribute(i, "pscale") * scale};
        minCorner.set(std::fmin(minCorner.x, s.x - s.radius), std::fmin(minCorner.y, s.y - s.radius),
                      std::fmin(minCorner.z, s.z - s.radius));
        maxCorner.set(std::fmax(maxCorner.x, s.x + s.radius), std::fmax(maxCorner.y, s.y + s.radius),
                      std::fmax(maxCorner.z, s.z + s.radius));
    }
    cellScale.set(cellsX / (maxCorner.x - minCorner.x + 0.01f), cellsYZ / (maxCorner.y - minCorner.y + 0.01f),
                  cellsYZ / (maxCorner.z - minCorner.z + 0.01f));
    // Empty cells hold no range, so a query over several cells reads only real ones.
    xBuckets.assign(cellsX, Bucket{0xFFFF, 0});
    for (int i = 0; i < n; i++) {
        CsphereDef const& s = spheres[static_cast<size_t>(i)];
        int c0 = cellOf(s.x - s.radius - minCorner.x, cellScale.x);
        int c1 = cellOf(s.x + s.radius - minCorner.x, cellScale.x);
        if (c1 >= 0 && c0 < cellsX) {
            for (int c = clampCell(c0, cellsX); c <= clampCell(c1, cellsX); c++) {
                Bucket& b = xBuckets[static_cast<size_t>(c)];
                if (b.first > b.last) b.first = static_cast<uint16_t>(i); // spheres come in index order
                b.last = static_cast<uint16_t>(i);
            }
        }
        masks[static_cast<size_t>(i)] =
            cellMask(s.y - s.radius, s.y + s.radius, s.z - s.radius, s.z + s.radius);
    }
    count = n;
    return 0;
}

int CsphereField::getFirstLastSpheresForXbound(float x0, float x1, int& last) const {
    last = -1;
    if (count == 0 || xBuckets.size() != static_cast<size_t>(cellsX)) return 0;
    int c0 = cellOf(x0 - minCorner.x, cellScale.x);
    int c1 = cellOf(x1 - minCorner.x, cellScale.x);
    if (c0 < 0) {
        c0 = 0;
        if (c1 < 0) return 0;
    }
    if (c0 >= cellsX) {
        last = count - 1;
        return count;
    }
    if (c1 > cellsX - 1) c1 = cellsX - 1;
    // The smallest first and the largest last over every cell of the interval.
    int first = count;
    for (int c = c0; c <= c1; c++) {
        Bucket const& b = xBuckets[static_cast<size_t>(c)];
        if (b.first > b.last) continue;
        if (b.first < first) first = b.first;
        if (b.last > last) last = b.last;
    }
    return first;
}

float CsphereField::getSphereLevelSet(Cvector const& point, Cvector* offset) const {
    float best = noSphere;
    int nearest = -1;
    for (int i = 0; i < count; i++) {
        CsphereDef const& s = spheres[static_cast<size_t>(i)];
        Cvector d(s.x - point.x, s.y - point.y, s.z - point.z);
        float gap = std::sqrt(d.lengthSquared()) - s.radius;
        if (gap < best) {
            best = gap;
            nearest = i;
        }
    }
    if (offset && nearest >= 0) {
        CsphereDef const& s = spheres[static_cast<size_t>(nearest)];
        offset->set(s.x - point.x, s.y - point.y, s.z - point.z);
    }
    return best;
}

void CsphereField::addSphereFieldAvoidanceRects(CsphereAvoider& fish) const {
    if (count == 0) return;
    Cvector h = fish.getHeadPos();
    float reach = fish.getBodyLength();
    int last;
    int first = getFirstLastSpheresForXbound(h.x - reach, h.x + reach, last);
    uint32_t query = cellMask(h.y - reach, h.y + reach, h.z - reach, h.z + reach);
    if (first > last || !(query & 0xFFFFu) || !(query >> 16)) return;
    CavoidZone& zone = fish.getAvoidZone();
    for (int i = first; i <= last; i++) {
        uint32_t shared = masks[static_cast<size_t>(i)] & query;
        if (!(shared & 0xFFFFu) || !(shared >> 16)) continue;
        CsphereDef const& s = spheres[static_cast<size_t>(i)];
        Crect r;
        if (fish.getSphereViewRect(Cvector(s.x, s.y, s.z), s.radius, r)) zone.addAvoidRect(r);
    }
}

bool CsphereField::pushOutOfSpheres(Cvector& point, Cvector const& away) const {
    if (count == 0) return false;
    bool moved = false;
    // A point pushed out of one sphere may land in a neighbour: a few passes settle it in
    // any field of moderately overlapping spheres.
    for (int pass = 0; pass < 4; pass++) {
        int last;
        int first = getFirstLastSpheresForXbound(point.x, point.x, last);
        uint32_t query = cellMask(point.y, point.y, point.z, point.z);
        bool pushed = false;
        for (int i = first; i <= last; i++) {
            uint32_t shared = masks[static_cast<size_t>(i)] & query;
            if (!(shared & 0xFFFFu) || !(shared >> 16)) continue;
            CsphereDef const& s = spheres[static_cast<size_t>(i)];
            Cvector centre(s.x, s.y, s.z);
            Cvector out = point - centre;
            float q = out.lengthSquared();
            if (!(s.radius > 0.0f && q < s.radius * s.radius)) continue;
            if (out.normalize() < 1e-6f * s.radius) {
                out = away;
                if (out.normalize() < 1e-12f) out.set(0.0f, 1.0f, 0.0f);
            }
            // Just beyond the surface, so that rounding leaves it outside.
            point = centre + out * (s.radius * 1.0001f);
            pushed = moved = true;
        }
        if (!pushed) break;
    }
    return moved;
}
