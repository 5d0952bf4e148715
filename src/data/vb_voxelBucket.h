// Bucket compression of voxel buffers: each bucket of a volume is stored as the trilinear
// blend of its eight corners (kept in the corner table) plus a residual per voxel, packed
// into 32-bit words with a few bits per value.
//
// Per bucket and channel: a mode byte; for modes 1 to 12 the smallest and largest residual
// (high 16 bits of their floats) and the packed words; modes 0 (smooth only) and 13
// (constant) carry nothing more.
#pragma once

#include <cstdint>
#include <vector>

constexpr int voxelModeCount = 14;
constexpr int voxelModeSmooth = 0;
constexpr int voxelModeConstant = 13;
// The largest bucket edge (bucket sizes are stored in a byte).
constexpr int voxelMaxBucketEdge = 255;

// 2^n - 1 for n = 0 .. 16: the mask and the scale of a slot n bits wide.
extern const uint32_t twoPowers[17];

// The slot widths of a mode, slot 0 first (the lowest bits of a word); their count is
// the number of values per word, 0 for modes 0 and 13 and for unknown modes.
int voxelSlotWidths(int mode, uint8_t const** widths);
// The mode for log2(residual spread x quality).
int voxelModeForBits(float bits);
// Number of 32-bit words a channel of count voxels takes in mode.
int64_t voxelWordCount(int mode, int64_t count);

// A float kept to its high 16 bits, and widened back with a zero low half.
uint16_t voxelHigh16(float v);
float voxelWiden(uint16_t high);
// A value as the buckets store it: clamped to +-10000000, not-a-number as 0.
float voxelClampValue(float v);

// The smooth part of one bucket: its voxel counts and corners (index x + 2y + 4z, the low
// corner 0), with the per-axis weights i / n formed once.
class CbucketBlend {
  public:
    // n[d] voxels on each axis (1 .. 255).
    void setup(int const n[3], float const corners[8]);
    // Fixes the row (y, z); smoothAt then gives the blend along x.
    void setRow(int y, int z);
    float smoothAt(int x) const { return rowLow + (rowHigh - rowLow) * weight[0][x]; }

    int n[3] = {1, 1, 1};
    float corner[8] = {};

  private:
    float weight[3][voxelMaxBucketEdge] = {};
    float rowLow = 0.0f, rowHigh = 0.0f;
};

// Encodes one channel of one bucket: values (n[0] x n[1] x n[2], x fastest, already
// clamped), the blend, the quality factor. Appends the channel's bytes to out and
// returns the mode written. lowest / highest take the running range of the values.
int encodeBucketChannel(float const* values, CbucketBlend& blend, float quality, std::vector<uint8_t>& out,
                        float& lowest, float& highest);

// Where decoded voxels go: planes[z * planeStride + channel] of size[0] x size[1] floats,
// for the box start .. start + size (volume coordinates); the bucket's own first voxel is
// origin. Voxels outside the box are decoded and dropped.
struct CbucketTarget {
    float** planes = nullptr;
    int planeStride = 1;
    int channel = 0;
    int start[3] = {0, 0, 0};
    int size[3] = {0, 0, 0};
    int origin[3] = {0, 0, 0};
    float mult = 1.0f;
    float add = 0.0f;
};

// Decodes one channel whose mode byte was already read; data holds the rest of its bytes
// (voxelPayloadBytes of them). Returns 0, or 1 for an unknown mode.
int decodeBucketChannel(int mode, uint8_t const* data, CbucketBlend& blend, CbucketTarget const& target);
// Bytes that follow the mode byte for a channel of count voxels; -1 for an unknown mode.
int64_t voxelPayloadBytes(int mode, int64_t count);
