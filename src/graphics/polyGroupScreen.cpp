// A render poly group's place on screen: the view-space box of its bound points and the
// culling cells it covers, which the tank's render lists test against each display.
#include <cmath>

#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "support/pov.h"

namespace {

constexpr int kMaxCells = 64;

// A cell coordinate as a whole cell, or false when it is not a usable number.
bool wholeCell(float v, bool roundUp, long& out) {
    if (!(v > -1.0e9f && v < 1.0e9f)) return false;
    out = static_cast<long>(roundUp ? std::ceil(v) : std::trunc(v));
    return true;
}

} // namespace

uint64_t gridCellMask(float first, float last, int count) {
    count = std::min(count, kMaxCells);
    long a = 0, b = 0;
    if (count < 1 || !wholeCell(first, false, a) || !wholeCell(last, true, b)) return 0;
    if (b < 0 || a >= count) return 0;
    if (b > count - 1) b = count - 1;
    if (a < 0) a = 0;
    if (a > b) return 0;
    uint64_t upTo = b >= 63 ? ~uint64_t{0} : (uint64_t{2} << b) - 1;
    return upTo & (~uint64_t{0} << a);
}

void CrenderPolyGroup::calcPOVcoords() {
    CframeSources* sources = owner && owner->thing ? owner->thing->frameSources() : nullptr;
    Cpov const* pov = sources ? sources->pov() : nullptr;
    if (pov == nullptr) return setExitError("tbah", 1);
    if (definition == nullptr || owner->curGeo == nullptr || owner->model == nullptr) return;
    bool deferred = owner->model->workSwitches[0] != 0;
    float const* data = owner->curGeo->pointData();
    if (!deferred && (data == nullptr || owner->posOffset < 0 || !requireInterleaved(*owner->curGeo, false)))
        return;

    Cvector lo, hi;
    int found = 0;
    for (int k = 0; k < definition->boundCount && k < kMaxBoundPoints; k++) {
        int p = definition->boundPoints[k];
        if (p >= owner->numPoints) continue;
        Cvector v;
        if (deferred) {
            owner->calcPointNum(p, v, nullptr);
        } else {
            float const* at = data + static_cast<size_t>(owner->posOffset) * owner->numPoints +
                              static_cast<size_t>(p) * owner->posSize;
            v.set(at[0], at[1], at[2]);
        }
        if (found++ == 0) lo = hi = v;
        lo.set(std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z));
        hi.set(std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z));
    }

    // The two corners whose projections span the box as seen from the camera.
    Cvector cam = sources->camPos();
    bool left = (lo.x + hi.x) * 0.5f < cam.x;
    bool above = (lo.y + hi.y) * 0.5f > cam.y;
    Cvector a(lo.x, above == left ? hi.y : lo.y, left ? hi.z : lo.z);
    Cvector b(hi.x, above == left ? lo.y : hi.y, left ? lo.z : hi.z);
    pov->worldSpaceToPOV(a);
    pov->worldSpaceToPOV(b);
    screenMin.set(a.x, std::min(a.y, b.y), std::min(a.z, b.z));
    screenMax.set(b.x, std::max(a.y, b.y), std::max(a.z, b.z));

    xCellMask = yCellMask = 0;
    if (definition->skipPOVtest) {
        xCellMask = yCellMask = ~uint64_t{0};
        return;
    }
    if (found == 0) return;
    uint64_t x = gridCellMask(a.x, b.x, sources->gridColumns());
    uint64_t y = gridCellMask(screenMin.y, screenMax.y, sources->gridRows());
    if (x == 0 || y == 0) return; // off screen
    xCellMask = x, yCellMask = y;
}
