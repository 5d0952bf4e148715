#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "support/correlateLine.h"

namespace {

using Entry = std::tuple<int, int, float>;

// A source of four onto a destination of seven spreads each source over its neighbours; a
// destination range larger than the arrays stops at their capacity with the end mark inside.
TEST(CorrelateLine, SpreadsTheSourceAndStaysInsideItsArrays) {
    std::vector<Entry> const fourOntoSeven = {{0, 0, 1.0f}, {1, 0, 0.5f}, {1, 1, 0.5f}, {2, 1, 1.0f},
                                              {3, 1, 0.5f}, {3, 2, 0.5f}, {4, 2, 1.0f}, {5, 2, 0.5f},
                                              {5, 3, 0.5f}, {6, 3, 1.0f}};
    struct Case {
        float s0, s1, d0, d1;
        std::vector<Entry> want = {}; // empty: not checked
    } cases[] = {{0, 3, 0, 6, fourOntoSeven},
                 {0, 100, 0, 1000},
                 {0, 0.5f, 0, 5000},
                 {0, 3, 0, 0},
                 {0, 3, 5, 1},
                 {0, 3, -1e30f, 1e30f},
                 {0, 3, 0, std::numeric_limits<float>::infinity()}};
    for (auto const& k : cases) {
        CcorrelateLineB c;
        c.alloc(4, 7);
        c.correlate(k.s0, k.s1, k.d0, k.d1);
        EXPECT_LT(c.numEntries, c.capacity());
        EXPECT_EQ(c.destIndex[c.numEntries], 65535);
        EXPECT_EQ(c.sourceIndex[c.numEntries], 65535);
        std::vector<Entry> got;
        for (int i = 0; i < c.numEntries; i++)
            got.emplace_back(c.destIndex[i], c.sourceIndex[i], c.weight[i]);
        if (!k.want.empty()) EXPECT_EQ(got, k.want);
    }
}

} // namespace
