// Curve editing: curves over outside storage, humps added by area, and shifting.
#include "data/dataArray.h"

#include <cmath>
#include <vector>

#include "support/cerr.h"
#include "variables/variableBasics.h"

void CdataChan::setStolenData(int n, int chanCount, float* buf) {
    res[0] = n;
    res[1] = 1;
    res[2] = 1;
    resMinus1[0] = static_cast<float>(n - 1);
    resMinus1[1] = 1.0f;
    resMinus1[2] = 1.0f;
    chans = static_cast<short>(chanCount);
    setChanFormatString();
    CdataArray::setStolenData(buf);
    stolen = 1;
}

int stealChildChan(Cvariable* parent, char const* name, CdataChan& chan, int expected) {
    auto* link = parent ? dynamic_cast<CfloatLinkVar*>(parent->findVariable(name)) : nullptr;
    if (!link || !link->storage) {
        setExitError((Cstring("couldn't find/steal chan ") + name).c_str(), 1);
        return 1;
    }
    int n = link->elements();
    if (expected != -1 && n != expected) {
        setExitError((Cstring("chan ") + name + " wrong size!").c_str(), 1);
        return 1;
    }
    chan.setStolenData(n, 1, static_cast<float*>(link->storage));
    return 0;
}

namespace {
// Whole index and fraction of a position; far-off positions are pinned well outside any
// curve so the split stays in range.
CintAndFract split(float p) {
    CintAndFract s;
    double v = std::isnan(p) ? 0.0 : p < -1e9f ? -1e9 : p > 1e9f ? 1e9 : p;
    s.i = static_cast<int32_t>(std::floor(v));
    s.fract = static_cast<float>(v - s.i);
    return s;
}
} // namespace

void CdataChan::addLinearHump(float a, float b, float c, float d, float h) {
    addTriangle(split(a), 0.0f, split(b), h, b - a);
    addTriangle(split(b), h, split(c), h, c - b);
    addTriangle(split(c), h, split(d), 0.0f, d - c);
}

void CdataChan::addTriangle(CintAndFract startAt, float startValue, CintAndFract endAt, float endValue,
                            float width) {
    if (!(width >= 0.0001f) || !floatData || chans != 1 || !std::isfinite(width)) return;
    double start = startAt.i + static_cast<double>(startAt.fract);
    double end = endAt.i + static_cast<double>(endAt.fract);
    if (!std::isfinite(start) || !std::isfinite(end)) return;
    double slope = (endValue - startValue) / static_cast<double>(width);
    // Only samples inside the curve are visited.
    double first = std::floor(start) < 0.0 ? 0.0 : std::floor(start);
    double last = std::floor(end) > res[0] - 1 ? res[0] - 1 : std::floor(end);
    if (last < first) return;
    for (int k = static_cast<int>(first); k <= static_cast<int>(last); k++) {
        double lo = start > k ? start : k;
        double hi = end < k + 1 ? end : k + 1;
        if (hi <= lo) continue;
        double vLo = startValue + slope * (lo - start);
        double vHi = startValue + slope * (hi - start);
        floatData[k] += static_cast<float>((hi - lo) * (vLo + vHi) * 0.5);
    }
}

void CdataChan::shiftData(float s, float* scratch, int mode) {
    int n = res[0];
    if (!floatData || n < 2 || chans < 1 || !std::isfinite(s)) {
        for (int c = 0; c < chans; c++)
            scratch[c] = 0.0f;
        return;
    }
    std::vector<float> old(floatData, floatData + static_cast<size_t>(n) * chans);
    auto at = [&](int i, int c) { return old[static_cast<size_t>(i) * chans + c]; };
    for (int c = 0; c < chans; c++)
        scratch[c] = s >= 0.0f ? at(0, c) - at(1, c) : at(n - 1, c) - at(n - 2, c);

    int firstKept = n, lastKept = -1;
    for (int k = 0; k < n; k++) {
        float t = k - s;
        if (t < 0.0f || t > n - 1) continue;
        int i = static_cast<int>(t);
        if (i > n - 2) i = n - 2;
        float f = t - i;
        for (int c = 0; c < chans; c++)
            floatData[static_cast<size_t>(k) * chans + c] = at(i, c) + (at(i + 1, c) - at(i, c)) * f;
        if (k < firstKept) firstKept = k;
        lastKept = k;
    }
    if (lastKept < 0) return; // shifted wholly out: nothing to continue from
    // Vacated samples continue the end slope (mode 1) or hold the end value (mode 0).
    for (int c = 0; c < chans; c++) {
        float step = mode ? scratch[c] : 0.0f;
        for (int k = firstKept - 1; k >= 0; k--)
            floatData[static_cast<size_t>(k) * chans + c] =
                floatData[static_cast<size_t>(k + 1) * chans + c] + step;
        for (int k = lastKept + 1; k < n; k++)
            floatData[static_cast<size_t>(k) * chans + c] =
                floatData[static_cast<size_t>(k - 1) * chans + c] + step;
    }
}
