// Bucket packing and unpacking. Writer and reader share CbucketBlend, so the smooth part
// is formed by the same arithmetic on both sides; only the 16-bit corners differ.
#include "data/vb_voxelBucket.h"

#include <bit>
#include <cmath>
#include <cstring>

const uint32_t twoPowers[17] = {0,   1,    3,    7,    15,   31,    63,    127,  255,
                                511, 1023, 2047, 4095, 8191, 16383, 32767, 65535};

namespace {

const uint8_t bitWidth_2[] = {16, 16};
const uint8_t bitWidth_3[] = {11, 10, 11};
const uint8_t bitWidth_4[] = {8, 8, 8, 8};
const uint8_t bitWidth_5[] = {6, 7, 6, 7, 6};
const uint8_t bitWidth_6[] = {5, 5, 6, 5, 5, 6};
const uint8_t bitWidth_7[] = {5, 4, 5, 4, 5, 4, 5};
const uint8_t bitWidth_8[] = {4, 4, 4, 4, 4, 4, 4, 4};
const uint8_t bitWidth_9[] = {3, 4, 3, 4, 4, 3, 4, 3, 4};
const uint8_t bitWidth_10[] = {3, 3, 4, 3, 3, 3, 3, 4, 3, 3};
const uint8_t bitWidth_11[] = {3, 3, 3, 3, 3, 2, 3, 3, 3, 3, 3};
const uint8_t bitWidth_13[] = {2, 3, 2, 3, 2, 3, 2, 2, 3, 2, 3, 2, 3};
const uint8_t bitWidth_16[] = {2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2, 2};

struct SlotTable {
    uint8_t const* widths;
    int count;
};
const SlotTable slotTables[voxelModeCount] = {
    {nullptr, 0},      {bitWidth_2, 2},   {bitWidth_3, 3},   {bitWidth_4, 4}, {bitWidth_5, 5},
    {bitWidth_6, 6},   {bitWidth_7, 7},   {bitWidth_8, 8},   {bitWidth_9, 9}, {bitWidth_10, 10},
    {bitWidth_11, 11}, {bitWidth_13, 13}, {bitWidth_16, 16}, {nullptr, 0}};

// Lower bounds of log2(spread x quality) for modes 11 down to 1; below the first, mode 12.
const float modeBits[] = {2.0f, 2.4f, 2.9f, 3.3f, 3.8f, 4.0f, 4.5f, 5.4f, 6.4f, 8.0f, 10.7f};

void putLE16(std::vector<uint8_t>& out, uint16_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void putLE32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; i++)
        out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t getLE32(uint8_t const* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

float lerp(float a, float b, float t) {
    return a * (1.0f - t) + b * t;
}

} // namespace

int voxelSlotWidths(int mode, uint8_t const** widths) {
    if (mode < 0 || mode >= voxelModeCount) {
        if (widths) *widths = nullptr;
        return 0;
    }
    if (widths) *widths = slotTables[mode].widths;
    return slotTables[mode].count;
}

int voxelModeForBits(float bits) {
    int mode = 12;
    for (float bound : modeBits) {
        if (!(bits >= bound)) break;
        mode--;
    }
    return mode;
}

int64_t voxelWordCount(int mode, int64_t count) {
    int perWord = voxelSlotWidths(mode, nullptr);
    return perWord == 0 ? 0 : (count + perWord - 1) / perWord;
}

int64_t voxelPayloadBytes(int mode, int64_t count) {
    if (mode < 0 || mode >= voxelModeCount) return -1;
    if (mode == voxelModeSmooth || mode == voxelModeConstant) return 0;
    return 4 + 4 * voxelWordCount(mode, count);
}

uint16_t voxelHigh16(float v) {
    return static_cast<uint16_t>(std::bit_cast<uint32_t>(v) >> 16);
}

float voxelWiden(uint16_t high) {
    return std::bit_cast<float>(static_cast<uint32_t>(high) << 16);
}

float voxelClampValue(float v) {
    if (std::isnan(v)) return 0.0f;
    return v < -10000000.0f ? -10000000.0f : v > 10000000.0f ? 10000000.0f : v;
}

void CbucketBlend::setup(int const counts[3], float const corners[8]) {
    for (int d = 0; d < 3; d++) {
        n[d] = counts[d] < 1 ? 1 : counts[d] > voxelMaxBucketEdge ? voxelMaxBucketEdge : counts[d];
        for (int i = 0; i < n[d]; i++)
            weight[d][i] = static_cast<float>(i) / static_cast<float>(n[d]);
    }
    std::memcpy(corner, corners, sizeof(corner));
}

void CbucketBlend::setRow(int y, int z) {
    float ty = weight[1][y], tz = weight[2][z];
    rowLow = lerp(lerp(corner[0], corner[2], ty), lerp(corner[4], corner[6], ty), tz);
    rowHigh = lerp(lerp(corner[1], corner[3], ty), lerp(corner[5], corner[7], ty), tz);
}

int encodeBucketChannel(float const* values, CbucketBlend& blend, float quality, std::vector<uint8_t>& out,
                        float& lowest, float& highest) {
    float minValue = 1000000.0f, maxValue = -1000000.0f;
    float minResidual = 100000.0f, maxResidual = -100000.0f;
    int const* n = blend.n;
    float const* v = values;
    for (int z = 0; z < n[2]; z++)
        for (int y = 0; y < n[1]; y++) {
            blend.setRow(y, z);
            for (int x = 0; x < n[0]; x++, v++) {
                float residual = *v - blend.smoothAt(x);
                minValue = std::fmin(minValue, *v);
                maxValue = std::fmax(maxValue, *v);
                minResidual = std::fmin(minResidual, residual);
                maxResidual = std::fmax(maxResidual, residual);
            }
        }
    lowest = std::fmin(lowest, minValue);
    highest = std::fmax(highest, maxValue);

    int mode;
    if (minValue == maxValue)
        mode = voxelModeConstant;
    else if (minResidual == maxResidual)
        mode = voxelModeSmooth;
    else
        mode = voxelModeForBits(std::log2((maxResidual - minResidual) * quality));
    out.push_back(static_cast<uint8_t>(mode));
    if (mode == voxelModeSmooth || mode == voxelModeConstant) return mode;

    putLE16(out, voxelHigh16(minResidual));
    putLE16(out, voxelHigh16(maxResidual));
    uint8_t const* widths;
    int slots = voxelSlotWidths(mode, &widths);
    float spread = maxResidual - minResidual;
    uint32_t word = 0;
    int slot = 0, used = 0;
    v = values;
    for (int z = 0; z < n[2]; z++)
        for (int y = 0; y < n[1]; y++) {
            blend.setRow(y, z);
            for (int x = 0; x < n[0]; x++, v++) {
                float t = (*v - blend.smoothAt(x) - minResidual) / spread;
                t = t < 0.0f ? 0.0f : t > 1.0f ? 1.0f : t;
                int w = widths[slot];
                float scaled = t * static_cast<float>(twoPowers[w]);
                uint32_t q = static_cast<uint32_t>(*v >= 0.00001f ? scaled + 0.5f : scaled);
                word |= q << used;
                used += w;
                if (++slot == slots) { // the slots of a word add up to 32 bits
                    putLE32(out, word);
                    word = 0;
                    slot = 0;
                    used = 0;
                }
            }
        }
    if (slot > 0) putLE32(out, word);
    return mode;
}

int decodeBucketChannel(int mode, uint8_t const* data, CbucketBlend& blend, CbucketTarget const& target) {
    if (mode < 0 || mode >= voxelModeCount) return 1;
    int const* n = blend.n;
    // The part of the bucket inside the box, in bucket offsets.
    int lo[3], hi[3];
    for (int d = 0; d < 3; d++) {
        lo[d] = target.start[d] - target.origin[d];
        hi[d] = lo[d] + target.size[d];
        if (lo[d] < 0) lo[d] = 0;
        if (hi[d] > n[d]) hi[d] = n[d];
    }
    auto row = [&](int y, int z) {
        int pz = target.origin[2] + z - target.start[2];
        int py = target.origin[1] + y - target.start[1];
        float* plane = target.planes[static_cast<size_t>(pz) * target.planeStride + target.channel];
        return plane + static_cast<size_t>(py) * target.size[0];
    };
    int shiftX = target.origin[0] - target.start[0]; // bucket x to box x

    if (mode == voxelModeSmooth || mode == voxelModeConstant) {
        float constant = blend.corner[0] * target.mult + target.add;
        for (int z = lo[2]; z < hi[2]; z++)
            for (int y = lo[1]; y < hi[1]; y++) {
                float* out = row(y, z);
                if (mode == voxelModeConstant) {
                    for (int x = lo[0]; x < hi[0]; x++)
                        out[x + shiftX] = constant;
                    continue;
                }
                blend.setRow(y, z);
                for (int x = lo[0]; x < hi[0]; x++)
                    out[x + shiftX] = blend.smoothAt(x) * target.mult + target.add;
            }
        return 0;
    }

    float minResidual = voxelWiden(static_cast<uint16_t>(data[0] | data[1] << 8));
    float range = voxelWiden(static_cast<uint16_t>(data[2] | data[3] << 8)) - minResidual;
    uint8_t const* words = data + 4;
    uint8_t const* widths;
    int slots = voxelSlotWidths(mode, &widths);
    uint32_t word = 0;
    int slot = slots; // a word is read before the first voxel
    bool boxEmpty = lo[0] >= hi[0] || lo[1] >= hi[1] || lo[2] >= hi[2];
    for (int z = 0; z < n[2]; z++)
        for (int y = 0; y < n[1]; y++) {
            bool inside = !boxEmpty && z >= lo[2] && z < hi[2] && y >= lo[1] && y < hi[1];
            float* out = inside ? row(y, z) : nullptr;
            if (inside) blend.setRow(y, z);
            for (int x = 0; x < n[0]; x++) {
                if (slot == slots) {
                    word = getLE32(words);
                    words += 4;
                    slot = 0;
                }
                int w = widths[slot++];
                uint32_t q = word & twoPowers[w];
                word >>= w;
                if (inside && x >= lo[0] && x < hi[0])
                    out[x + shiftX] = (static_cast<float>(q) / static_cast<float>(twoPowers[w]) * range +
                                       blend.smoothAt(x) + minResidual) *
                                          target.mult +
                                      target.add;
            }
        }
    return 0;
}
