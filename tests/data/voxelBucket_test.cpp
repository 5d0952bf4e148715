// Bucket packing: mode choice and the exact word layout.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "data/vb_voxelBucket.h"

namespace {

TEST(VoxelBucket, UnknownModesHaveNoSlotsOrPayload) {
    EXPECT_EQ(voxelSlotWidths(14, nullptr), 0);
    EXPECT_EQ(voxelPayloadBytes(14, 10), -1);
    EXPECT_EQ(voxelPayloadBytes(255, 10), -1);
    EXPECT_EQ(voxelModeForBits(-INFINITY), 12); // a flat spread packs densest
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

} // namespace
