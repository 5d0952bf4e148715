#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "support/quickSort.h"

namespace {

// Sorts with CquickSort and checks against std::sort, and that every index still points
// at its own key.
void checkAgainstStdSort(std::vector<float> const& input) {
    std::vector<float> keys = input;
    std::vector<int> order(input.size(), -1);
    CquickSort sorter;
    sorter.sort(keys.data(), order.data(), static_cast<int>(keys.size()), 1);

    std::vector<float> expected = input;
    std::sort(expected.begin(), expected.end());
    ASSERT_EQ(keys, expected);

    std::vector<int> seen(input.size(), 0);
    for (size_t i = 0; i < keys.size(); i++) {
        ASSERT_GE(order[i], 0);
        ASSERT_LT(order[i], static_cast<int>(input.size()));
        EXPECT_EQ(input[order[i]], keys[i]) << "position " << i;
        seen[order[i]]++;
    }
    for (int n : seen)
        EXPECT_EQ(n, 1); // a permutation
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
        checkAgainstStdSort(random);
        checkAgainstStdSort(sorted);
        checkAgainstStdSort(reversed);
        checkAgainstStdSort(constant);
        checkAgainstStdSort(duplicates);
    }
}

// Long ordered runs are the worst case of a first-key pivot; they must not exhaust the
// stack.
TEST(QuickSort, LongReversedRunSorts) {
    std::vector<float> reversed(20000);
    for (size_t i = 0; i < reversed.size(); i++)
        reversed[i] = static_cast<float>(reversed.size() - i);
    checkAgainstStdSort(reversed);
}

TEST(QuickSort, ThreeKeysCarryTheirIndices) {
    float keys[] = {3, 1, 2};
    int order[3];
    CquickSort().sort(keys, order, 3, 1);
    EXPECT_EQ(keys[0], 1);
    EXPECT_EQ(keys[1], 2);
    EXPECT_EQ(keys[2], 3);
    EXPECT_EQ(order[0], 1);
    EXPECT_EQ(order[1], 2);
    EXPECT_EQ(order[2], 0);
}

TEST(QuickSort, CallerFilledIndicesAreCarried) {
    float keys[] = {0.5f, -1, 4, 2};
    int order[] = {40, 10, 30, 20};
    CquickSort().sort(keys, order, 4, 0);
    int expected[] = {10, 40, 20, 30};
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(order[i], expected[i]);
}

TEST(QuickSort, OneKeyOrNoneChangesNothingButStillInitialises) {
    float one[] = {9};
    int order[] = {-7};
    CquickSort sorter;
    sorter.sort(one, order, 1, 0);
    EXPECT_EQ(one[0], 9);
    EXPECT_EQ(order[0], -7);
    sorter.sort(one, order, 1, 1);
    EXPECT_EQ(order[0], 0);
    sorter.sort(one, order, 0, 1);
    sorter.sort(one, order, -3, 1);
    sorter.sort(nullptr, nullptr, 5, 1);
    EXPECT_EQ(one[0], 9);
}

// A NaN key cannot be ordered, but the sort must still end and keep the indices a
// permutation of the keys.
TEST(QuickSort, NaNKeysTerminateWithAPermutation) {
    std::vector<float> keys = {3, NAN, 1, 2, NAN, 0};
    std::vector<float> input = keys;
    std::vector<int> order(keys.size());
    CquickSort().sort(keys.data(), order.data(), 6, 1);
    std::vector<int> seen(6, 0);
    for (int i = 0; i < 6; i++) {
        seen[order[i]]++;
        if (std::isnan(keys[i])) {
            EXPECT_TRUE(std::isnan(input[order[i]]));
        } else {
            EXPECT_EQ(input[order[i]], keys[i]);
        }
    }
    for (int n : seen)
        EXPECT_EQ(n, 1);
}

} // namespace
