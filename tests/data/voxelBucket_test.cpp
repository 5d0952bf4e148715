// Bucket packing: mode choice, word layout and the values that come back in every mode.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "data/vb_voxelBucket.h"

namespace {

// Decodes one channel of a bucket over the whole bucket.
std::vector<float> decodeAll(std::vector<uint8_t> const& bytes, CbucketBlend& blend) {
    std::vector<float> out(static_cast<size_t>(blend.n[0]) * blend.n[1] * blend.n[2], -99.0f);
    std::vector<float*> planes;
    for (int z = 0; z < blend.n[2]; z++)
        planes.push_back(out.data() + static_cast<size_t>(z) * blend.n[0] * blend.n[1]);
    CbucketTarget t;
    t.planes = planes.data();
    std::memcpy(t.size, blend.n, sizeof(t.size));
    EXPECT_EQ(decodeBucketChannel(bytes[0], bytes.data() + 1, blend, t), 0);
    return out;
}

TEST(VoxelBucket, UnknownModesHaveNoSlotsOrPayload) {
    EXPECT_EQ(voxelSlotWidths(14, nullptr), 0);
    EXPECT_EQ(voxelPayloadBytes(14, 10), -1);
    EXPECT_EQ(voxelPayloadBytes(255, 10), -1);
    EXPECT_EQ(voxelModeForBits(-INFINITY), 12); // a flat spread packs densest
}

TEST(VoxelBucket, SixteenBitFloats) {
    EXPECT_EQ(voxelHigh16(1.0f), 0x3F80);
    EXPECT_EQ(voxelHigh16(-2.0f), 0xC000);
    EXPECT_EQ(voxelWiden(0x3F80), 1.0f);
    EXPECT_EQ(voxelWiden(voxelHigh16(1.01f)), 1.0078125f); // the low half is cut, not rounded
    EXPECT_EQ(voxelClampValue(NAN), 0.0f);
    EXPECT_EQ(voxelClampValue(3e7f), 1e7f);
    EXPECT_EQ(voxelClampValue(-INFINITY), -1e7f);
}

TEST(VoxelBucket, WordLayoutRoundsPositiveAndTruncatesNegativeValues) {
    int const n[3] = {4, 1, 1};
    float const corners[8] = {};
    // Spread 2 at quality 64: log2(128) = 7, mode 3, four 8-bit slots.
    float const values[4] = {-1.0f, 1.0f, 0.3f, -0.296078431f};
    CbucketBlend blend;
    blend.setup(n, corners);
    std::vector<uint8_t> bytes;
    float lo = 0.0f, hi = 0.0f;
    ASSERT_EQ(encodeBucketChannel(values, blend, 64.0f, bytes, lo, hi), 3);
    // 0.3: t x 255 = 165.75 rounds to 166; -0.296: 89.75 truncates to 89.
    std::vector<uint8_t> const want = {3, 0x80, 0xBF, 0x80, 0x3F, 0, 255, 166, 89};
    EXPECT_EQ(bytes, want);
}

TEST(VoxelBucket, OnlyTheBoxIsWrittenWithMultiplierAndOffset) {
    int const n[3] = {5, 3, 2};
    float const corners[8] = {};
    std::vector<float> values(30);
    for (size_t i = 0; i < values.size(); i++)
        values[i] = 0.01f * static_cast<float>(i);
    CbucketBlend blend;
    blend.setup(n, corners);
    std::vector<uint8_t> bytes;
    float lo = 0.0f, hi = 0.0f;
    ASSERT_EQ(encodeBucketChannel(values.data(), blend, 256.0f, bytes, lo, hi), 4);
    std::vector<float> whole = decodeAll(bytes, blend);

    // The box (2..6, 1..2, 1) in volume space over a bucket that starts at (1, 0, 0).
    float plane[5 * 2];
    std::fill(std::begin(plane), std::end(plane), -99.0f);
    float* planes[1] = {plane};
    CbucketTarget t;
    t.planes = planes;
    t.start[0] = 2, t.start[1] = 1, t.start[2] = 1;
    t.size[0] = 5, t.size[1] = 2, t.size[2] = 1;
    t.origin[0] = 1;
    t.mult = 2.0f;
    t.add = 1.0f;
    ASSERT_EQ(decodeBucketChannel(bytes[0], bytes.data() + 1, blend, t), 0);
    for (int y = 0; y < 2; y++)
        for (int x = 0; x < 5; x++) {
            int bx = x + 1; // bucket offset of box x + 2
            float want = bx < 5 ? whole[static_cast<size_t>(15 + (y + 1) * 5 + bx)] * 2.0f + 1.0f : -99.0f;
            EXPECT_FLOAT_EQ(plane[y * 5 + x], want) << x << "," << y;
        }
}

} // namespace
