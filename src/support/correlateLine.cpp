#include "support/correlateLine.h"

#include <algorithm>
#include <cmath>

#include "support/cerr.h"

int CcorrelateLineB::alloc(int source, int dest) {
    freeMem();
    sourceLength = source < 0 ? 0 : source;
    destLength = dest < 0 ? 0 : dest;
    entryCapacity = 2 * std::max(sourceLength, destLength) + 3;
    destIndex = new uint16_t[static_cast<size_t>(entryCapacity)]();
    sourceIndex = new uint16_t[static_cast<size_t>(entryCapacity)]();
    weight = new float[static_cast<size_t>(entryCapacity)]();
    numEntries = 0;
    return 1;
}

void CcorrelateLineB::freeMem() {
    delete[] destIndex;
    delete[] sourceIndex;
    delete[] weight;
    destIndex = sourceIndex = nullptr;
    weight = nullptr;
    entryCapacity = 0;
}

// One slot is always kept back for the end mark.
bool CcorrelateLineB::add(int dest, int source, float w) {
    if (numEntries >= entryCapacity - 1) return false;
    destIndex[numEntries] = static_cast<uint16_t>(dest);
    sourceIndex[numEntries] = static_cast<uint16_t>(source);
    weight[numEntries] = w;
    numEntries++;
    return true;
}

void CcorrelateLineB::correlate(float sourceStart, float sourceEnd, float destStart, float destEnd, int) {
    numEntries = 0;
    if (entryCapacity < 1) return;
    float k = (sourceEnd - sourceStart) / (destEnd - destStart);
    // Sample numbers are 16-bit: a range beyond them has nothing to map.
    bool room = std::isfinite(k) && destStart > -65536.0f && destStart < 65536.0f && !std::isnan(destEnd);
    for (int x = room ? static_cast<int>(destStart) : 0; room && x <= destEnd && x <= 65535; x++) {
        float s = (static_cast<float>(x) - destStart) * k + sourceStart;
        if (!(s >= 0 && s < static_cast<float>(sourceLength))) continue;
        float f = std::floor(s);
        int fi = static_cast<int>(f);
        float r = s - f;
        if (r < 0.005f) {
            room = add(x, fi, 1.0f);
        } else {
            if (fi >= 0) room = add(x, fi, 1 - r);
            if (room && fi + 1 < sourceLength) room = add(x, fi + 1, r);
        }
    }
    destIndex[numEntries] = 65535;
    sourceIndex[numEntries] = 65535;
}

void CcorrelateLineB::show() const {
    for (int i = 0; i < numEntries; i++)
        VTRACE(2, "  step:" << i << " d:" << destIndex[i] << " s:" << sourceIndex[i] << " c:" << weight[i]);
    VTRACE(2, "");
}
