#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "support/quickSort.h"

namespace {

// Sorts with CquickSort; the keys must match std::sort (unless they hold NaN) and the
// index array must be a permutation with every index at its own key.
void checkSort(std::vector<float> const& input) {
    std::vector<float> keys = input;
    std::vector<int> order(input.size(), -1);
    CquickSort().sort(keys.data(), order.data(), static_cast<int>(keys.size()), 1);
    std::vector<float> expected = input;
    std::sort(expected.begin(), expected.end());
    bool hasNan = std::any_of(input.begin(), input.end(), [](float f) { return std::isnan(f); });
    if (!hasNan) {
        ASSERT_EQ(keys, expected);
    }
    std::vector<int> seen(input.size(), 0);
    for (size_t i = 0; i < keys.size(); i++) {
        ASSERT_GE(order[i], 0);
        ASSERT_LT(order[i], static_cast<int>(input.size()));
        float key = input[static_cast<size_t>(order[i])];
        if (std::isnan(keys[i]))
            EXPECT_TRUE(std::isnan(key));
        else
            EXPECT_EQ(key, keys[i]) << "position " << i;
        seen[static_cast<size_t>(order[i])]++;
    }
    for (int n : seen)
        EXPECT_EQ(n, 1);
}

TEST(QuickSort, MatchesStdSortOnTypicalShapes) {
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> real(-100, 100);
    std::uniform_int_distribution<int> few(0, 4);
    for (int n : {2, 3, 4, 5, 7, 16, 100, 1000}) {
        std::vector<float> random(n), sorted(n), reversed(n), constant(n, 2.5f), duplicates(n);
        for (int i = 0; i < n; i++) {
            random[i] = real(rng);
            sorted[i] = static_cast<float>(i);
            reversed[i] = static_cast<float>(n - i);
            duplicates[i] = static_cast<float>(few(rng));
        }
        SCOPED_TRACE(n);
        for (auto const* v : {&random, &sorted, &reversed, &constant, &duplicates})
            checkSort(*v);
    }
    // A long ordered run is the worst case of a first-key pivot: it must not exhaust the
    // stack. NaN keys cannot be ordered, but the sort must still end with a permutation.
    std::vector<float> longRun(20000);
    for (size_t i = 0; i < longRun.size(); i++)
        longRun[i] = static_cast<float>(longRun.size() - i);
    checkSort(longRun);
    checkSort({3, NAN, 1, 2, NAN, 0});
}

} // namespace
