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
    numElements = n * chanCount;
    floatData = buf;
    byteData = nullptr;
    dataType = 4;
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

void CdataChan::addLinearHump(float a, float b, float c, float d, float h) {
    addTriangle(a, 0.0f, b, h, b - a);
    addTriangle(b, h, c, h, c - b);
    addTriangle(c, h, d, 0.0f, d - c);
}

void CdataChan::addTriangle(float start, float startValue, float end, float endValue, float width) {
    if (!(width >= 0.0001f) || !floatData || chans != 1) return;
    if (!std::isfinite(start) || !std::isfinite(end) || !std::isfinite(width)) return;
    float slope = (endValue - startValue) / width;
    // Sample k covers [k, k + 1); only samples inside the curve are visited.
    double first = std::floor(start) < 0.0 ? 0.0 : std::floor(start);
    double last = std::floor(end) > res[0] - 1 ? res[0] - 1 : std::floor(end);
    if (last < first) return;
    for (int k = static_cast<int>(first); k <= static_cast<int>(last); k++) {
        float lo = start > k ? start : static_cast<float>(k);
        float hi = end < k + 1 ? end : static_cast<float>(k + 1);
        if (hi <= lo) continue;
        float vLo = startValue + slope * (lo - start);
        float vHi = startValue + slope * (hi - start);
        floatData[k] += (hi - lo) * (vLo + vHi) * 0.5f;
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
