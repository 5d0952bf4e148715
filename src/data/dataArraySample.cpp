// Lookups: world coordinate -> index and fraction, then linear, bilinear, trilinear or
// Catmull-Rom interpolation. Called per frame: no allocation, no division.
//
// Every neighbour index is kept inside the grid, so an axis of one sample reads that
// sample, and an array without the buffer a lookup needs leaves the output as it was.
#include "data/dataArray.h"

#include <algorithm>

#include "support/cerr.h"

namespace {

constexpr float byteScale = 1.0f / 255.0f;

inline float lerp(float a, float b, float f) {
    return a + (b - a) * f;
}

// Catmull-Rom through p0..p3 at t in [0, 1] between p1 and p2, in double precision.
inline float catmullRom(double p0, double p1, double p2, double p3, double t) {
    return static_cast<float>(
        p1 + 0.5 * t *
                 ((p2 - p0) + t * ((2.0 * p0 - 5.0 * p1 + 4.0 * p2 - p3) + t * (3.0 * (p1 - p2) + p3 - p0))));
}

inline int clampIndex(int i, int n) {
    return i < 0 ? 0 : i >= n ? n - 1 : i;
}

// Sample truncate(i) of n, clamped into the curve; not-a-number reads sample 0.
inline int directIndex(float i, int n) {
    return !(i >= 0.0f) ? 0 : i >= static_cast<float>(n - 1) ? n - 1 : static_cast<int>(i);
}

} // namespace

CdataArray::AxisPos CdataArray::axisPos(int d, float coordinate) const {
    int n = res[d];
    if (n < 2) return {0, 0, 0.0f}; // no second sample to move toward
    float t = (coordinate - spaceMin[d]) * toIndexMult[d];
    if (!(t >= 0.0f)) return {0, 1, 0.0f};
    if (t >= resMinus1[d] || t >= static_cast<float>(n - 1)) return {n - 2, n - 1, 1.0f};
    int i = static_cast<int>(t);
    return {i, i + 1, t - static_cast<float>(i)};
}

int CdataArray::nearestIndex(int d, float coordinate) const {
    int n = res[d];
    float r = (coordinate - spaceMin[d]) * toIndexMult[d] + 0.5f;
    if (!(r >= 1.0f) || n < 2) return 0;
    if (r >= static_cast<float>(n)) return n - 1;
    return static_cast<int>(r);
}

// ---- one dimension ----

void CdataChan::getValues(float x, float* out, unsigned mask) const {
    if (!floatData) return;
    AxisPos p = axisPos(0, x);
    float const* a = floatData + p.i0 * chans;
    float const* b = floatData + p.i1 * chans;
    for (int c = 0; c < chans; c++)
        if (mask & (1u << c)) out[c] = lerp(a[c], b[c], p.f);
}

void CdataChan::getValuesCublic(float x, float* out, unsigned mask) const {
    if (!floatData) return;
    AxisPos p = axisPos(0, x);
    float const* s0 = floatData + clampIndex(p.i0 - 1, res[0]) * chans;
    float const* s1 = floatData + p.i0 * chans;
    float const* s2 = floatData + p.i1 * chans;
    float const* s3 = floatData + clampIndex(p.i1 + 1, res[0]) * chans;
    for (int c = 0; c < chans; c++)
        if (mask & (1u << c)) out[c] = catmullRom(s0[c], s1[c], s2[c], s3[c], p.f);
}

void CdataChan::getValUninterp(float x, float* out) const {
    if (!floatData) return;
    std::copy_n(floatData + nearestIndex(0, x) * chans, chans, out);
}

void CdataChan::getValDirectIndex(float i, float* out) const {
    if (!floatData || res[0] < 1) return;
    std::copy_n(floatData + directIndex(i, res[0]) * chans, chans, out);
}

void CdataChan::getValDirectIndex3Chans(float i, float* out) const {
    if (!floatData || res[0] < 1) return;
    if (i < 0.0f) setExitError("gvdi3c", 1);
    float const* s = floatData + directIndex(i, res[0]) * chans;
    for (int c = 0; c < 3; c++)
        out[c] = c < chans ? s[c] : 0.0f;
}

void CdataChan::getValuesUsingPercent(float p, float* out) const {
    if (!floatData || res[0] < 1) return;
    int n = res[0];
    if (p >= 1.0f) {
        std::copy_n(floatData + (n - 1) * chans, chans, out);
        return;
    }
    float t = (p > 0.0f ? p : 0.0f) * resMinus1[0];
    int i = static_cast<int>(t);
    if (i > n - 2) i = n - 2;
    if (i < 0) i = 0;
    int j = clampIndex(i + 1, n);
    float f = n < 2 ? 0.0f : t - static_cast<float>(i);
    for (int c = 0; c < chans; c++)
        out[c] = lerp(floatData[i * chans + c], floatData[j * chans + c], f);
}

// ---- two dimensions ----

void CdataImage::getValues(float u, float v, float* out, unsigned mask) const {
    AxisPos px = axisPos(0, u);
    AxisPos py = axisPos(1, v);
    int w = res[0];
    if (floatData) {
        float const* s00 = floatData + (py.i0 * w + px.i0) * chans;
        float const* s10 = floatData + (py.i0 * w + px.i1) * chans;
        float const* s01 = floatData + (py.i1 * w + px.i0) * chans;
        float const* s11 = floatData + (py.i1 * w + px.i1) * chans;
        int k = 0;
        for (int c = 0; c < chans; c++) {
            if (!(mask & (1u << c))) continue;
            float top = lerp(s00[c], s10[c], px.f);
            float bottom = lerp(s01[c], s11[c], px.f);
            out[mask == 0xFFFFFFFFu ? c : k++] = lerp(top, bottom, py.f);
        }
    } else if (byteData) {
        unsigned char const* s = byteData + (py.i0 * w + px.i0) * chans;
        for (int c = 0; c < chans; c++)
            if (mask & (1u << c)) out[c] = s[c] * byteScale;
    }
}

void CdataImage::getValuesUninterp(float u, float v, int* out, unsigned mask) const {
    if (!byteData) return;
    unsigned char const* s = byteData + (nearestIndex(1, v) * res[0] + nearestIndex(0, u)) * chans;
    for (int c = 0; c < chans; c++)
        if (mask & (1u << c)) out[c] = s[c];
}

void CdataImage::getValuesUninterp(float u, float v, float* out, unsigned mask) const {
    if (!floatData) return;
    float const* s = floatData + (nearestIndex(1, v) * res[0] + nearestIndex(0, u)) * chans;
    for (int c = 0; c < chans; c++)
        if (mask & (1u << c)) out[c] = s[c];
}

float* CdataImage::getFloatValuesPointerUninterp(float u, float v) const {
    if (!floatData) return nullptr;
    return floatData + (nearestIndex(1, v) * res[0] + nearestIndex(0, u)) * chans;
}

void CdataImage::getValuesUsingPercent(float pu, float pv, float* out) const {
    if (!floatData || res[0] < 1 || res[1] < 1) return;
    if (!(pv > 0.0f)) pv = 0.0f;
    if (pv >= 1.0f) pv = 0.9999f;
    if (pu >= 1.0f) pu = 0.999f;
    if (!(pu > 0.0f)) pu = 0.0f;
    float y = pv * resMinus1[1];
    float x = pu * resMinus1[0];
    int w = res[0];
    int x0 = clampIndex(static_cast<int>(x), w), x1 = clampIndex(x0 + 1, w);
    int y0 = clampIndex(static_cast<int>(y), res[1]), y1 = clampIndex(y0 + 1, res[1]);
    float fx = x1 == x0 ? 0.0f : x - static_cast<float>(x0);
    float fy = y1 == y0 ? 0.0f : y - static_cast<float>(y0);
    for (int c = 0; c < chans; c++) {
        float top = lerp(floatData[(y0 * w + x0) * chans + c], floatData[(y0 * w + x1) * chans + c], fx);
        float bottom = lerp(floatData[(y1 * w + x0) * chans + c], floatData[(y1 * w + x1) * chans + c], fx);
        out[c] = lerp(top, bottom, fy);
    }
}

// ---- three dimensions ----

void CdataVolume::getValues(float x, float y, float z, float* out, unsigned mask) const {
    if (!floatData) return;
    AxisPos px = axisPos(0, x), py = axisPos(1, y), pz = axisPos(2, z);
    int w = res[0], h = res[1];
    auto at = [&](int i, int j, int k) { return floatData + ((k * h + j) * w + i) * chans; };
    float const* s000 = at(px.i0, py.i0, pz.i0);
    float const* s100 = at(px.i1, py.i0, pz.i0);
    float const* s010 = at(px.i0, py.i1, pz.i0);
    float const* s110 = at(px.i1, py.i1, pz.i0);
    float const* s001 = at(px.i0, py.i0, pz.i1);
    float const* s101 = at(px.i1, py.i0, pz.i1);
    float const* s011 = at(px.i0, py.i1, pz.i1);
    float const* s111 = at(px.i1, py.i1, pz.i1);
    int k = 0;
    for (int c = 0; c < chans; c++) {
        if (!(mask & (1u << c))) continue;
        float near = lerp(lerp(s000[c], s100[c], px.f), lerp(s010[c], s110[c], px.f), py.f);
        float far = lerp(lerp(s001[c], s101[c], px.f), lerp(s011[c], s111[c], px.f), py.f);
        out[k++] = lerp(near, far, pz.f);
    }
}

float CdataVolume::getSingleChanVolumeData(float x, float y, float z) const {
    if (!floatData) return 0.0f;
    AxisPos px = axisPos(0, x), py = axisPos(1, y), pz = axisPos(2, z);
    int w = res[0], h = res[1];
    auto at = [&](int i, int j, int k) { return floatData[((k * h + j) * w + i) * chans]; };
    float near = lerp(lerp(at(px.i0, py.i0, pz.i0), at(px.i1, py.i0, pz.i0), px.f),
                      lerp(at(px.i0, py.i1, pz.i0), at(px.i1, py.i1, pz.i0), px.f), py.f);
    float far = lerp(lerp(at(px.i0, py.i0, pz.i1), at(px.i1, py.i0, pz.i1), px.f),
                     lerp(at(px.i0, py.i1, pz.i1), at(px.i1, py.i1, pz.i1), px.f), py.f);
    return lerp(near, far, pz.f);
}

void CdataVolume::setYZ(float y, float z) {
    AxisPos py = axisPos(1, y), pz = axisPos(2, z);
    rowFracY = py.f;
    rowFracZ = pz.f;
    if (!floatData) {
        rows[0] = rows[1] = rows[2] = rows[3] = nullptr;
        return;
    }
    int w = res[0], h = res[1];
    rows[0] = floatData + (pz.i0 * h + py.i0) * w * chans;
    rows[1] = floatData + (pz.i0 * h + py.i1) * w * chans;
    rows[2] = floatData + (pz.i1 * h + py.i0) * w * chans;
    rows[3] = floatData + (pz.i1 * h + py.i1) * w * chans;
}

void CdataVolume::getIntX(int x, float* out) const {
    if (!rows[0] || res[0] < 1) return;
    int o = clampIndex(x, res[0]) * chans;
    for (int c = 0; c < chans; c++) {
        float near = lerp(rows[0][o + c], rows[1][o + c], rowFracY);
        float far = lerp(rows[2][o + c], rows[3][o + c], rowFracY);
        out[c] = lerp(near, far, rowFracZ);
    }
}

void CdataVolume::getValuesXYcubic(float x, float y, float z, float* out, unsigned mask) const {
    if (!floatData) return;
    AxisPos px = axisPos(0, x), py = axisPos(1, y), pz = axisPos(2, z);
    int w = res[0], h = res[1];
    int xs[4] = {clampIndex(px.i0 - 1, w), px.i0, px.i1, clampIndex(px.i1 + 1, w)};
    int ys[4] = {clampIndex(py.i0 - 1, h), py.i0, py.i1, clampIndex(py.i1 + 1, h)};
    float fz = pz.f;
    if (res[2] == 2) fz = (3.0f - 2.0f * fz) * fz * fz; // ease between two slices
    int k = 0;
    for (int c = 0; c < chans; c++) {
        if (!(mask & (1u << c))) continue;
        float slice[2];
        int zs[2] = {pz.i0, pz.i1};
        for (int s = 0; s < 2; s++) {
            float col[4];
            for (int r = 0; r < 4; r++) {
                float const* row = floatData + (zs[s] * h + ys[r]) * w * chans + c;
                col[r] = catmullRom(row[xs[0] * chans], row[xs[1] * chans], row[xs[2] * chans],
                                    row[xs[3] * chans], px.f);
            }
            slice[s] = catmullRom(col[0], col[1], col[2], col[3], py.f);
        }
        out[k++] = lerp(slice[0], slice[1], fz);
    }
}

float CdataVolume::getSingleChanVolumeData(short fx, short fy, short fz) const {
    if (!byteData) {
        setExitError("vox gscv no byte!", 1);
        return 0.0f;
    }
    short p[3] = {fx, fy, fz};
    int i0[3], i1[3], f[3];
    for (int d = 0; d < 3; d++) {
        int n = res[d];
        if (n < 2) {
            i0[d] = i1[d] = 0;
            f[d] = 0;
            continue;
        }
        // 8.8 offset times 16.16 multiplier: index in bits 24 and up, fraction in 16..23.
        int64_t t = static_cast<int64_t>(static_cast<short>(p[d] - spaceMinFixed[d])) * toIndexMultFixed[d];
        int64_t i = t >> 24;
        if (i < 0 || i >= n - 1) {
            i0[d] = n - 2;
            f[d] = 255;
        } else {
            i0[d] = static_cast<int>(i);
            f[d] = static_cast<int>((t >> 16) & 255);
        }
        i1[d] = i0[d] + 1;
    }
    int w = res[0], h = res[1];
    auto at = [&](int i, int j, int k) { return static_cast<int>(byteData[((k * h + j) * w + i) * chans]); };
    // Values carry 8 fraction bits from the x step on.
    auto mixX = [&](int j, int k) {
        return at(i0[0], j, k) * 256 + (at(i1[0], j, k) - at(i0[0], j, k)) * f[0];
    };
    int a0 = mixX(i0[1], i0[2]), a1 = mixX(i1[1], i0[2]);
    int b0 = mixX(i0[1], i1[2]), b1 = mixX(i1[1], i1[2]);
    int a = a0 + (((a1 - a0) * f[1]) >> 8);
    int b = b0 + (((b1 - b0) * f[1]) >> 8);
    int v = a + (((b - a) * f[2]) >> 8);
    return static_cast<float>(v) * (1.0f / 256.0f);
}
