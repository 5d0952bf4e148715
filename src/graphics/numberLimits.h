// Numbers from scripts and model files turned into integers without undefined behaviour.
#pragma once

#include <climits>

// v truncated toward zero and held to lo..hi; NaN gives the value nearest 0 in the range.
inline int truncatedWithin(double v, int lo = INT_MIN, int hi = INT_MAX) {
    if (!(v == v)) return lo > 0 ? lo : (hi < 0 ? hi : 0);
    if (v <= lo) return lo;
    if (v >= hi) return hi;
    return static_cast<int>(v);
}
