#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "support/correlateLine.h"

namespace {

using Entry = std::tuple<int, int, float>;

std::vector<Entry> entries(CcorrelateLineB const& c) {
    std::vector<Entry> out;
    for (int i = 0; i < c.numEntries; i++)
        out.emplace_back(c.destIndex[i], c.sourceIndex[i], c.weight[i]);
    return out;
}

TEST(CorrelateLine, SourceOfFourOntoDestinationOfSeven) {
    CcorrelateLineB c;
    c.alloc(4, 7);
    c.correlate(0, 3, 0, 6);
    std::vector<Entry> want = {{0, 0, 1.0f}, {1, 0, 0.5f}, {1, 1, 0.5f}, {2, 1, 1.0f}, {3, 1, 0.5f},
                               {3, 2, 0.5f}, {4, 2, 1.0f}, {5, 2, 0.5f}, {5, 3, 0.5f}, {6, 3, 1.0f}};
    EXPECT_EQ(entries(c), want);
    EXPECT_EQ(c.destIndex[c.numEntries], 65535);
    EXPECT_EQ(c.sourceIndex[c.numEntries], 65535);
}

// A destination range larger than the arrays stops at their capacity with the end mark inside.
TEST(CorrelateLine, StaysInsideItsArrays) {
    struct Case {
        float s0, s1, d0, d1;
    } cases[] = {{0, 100, 0, 1000}, {0, 0.5f, 0, 5000},    {0, 3, 0, 0},
                 {0, 3, 5, 1},      {0, 3, -1e30f, 1e30f}, {0, 3, 0, std::numeric_limits<float>::infinity()}};
    for (auto const& k : cases) {
        CcorrelateLineB c;
        c.alloc(4, 7);
        c.correlate(k.s0, k.s1, k.d0, k.d1);
        EXPECT_LT(c.numEntries, c.capacity());
        EXPECT_EQ(c.destIndex[c.numEntries], 65535);
    }
}

} // namespace
