#include <gtest/gtest.h>

#include "support/list.h"
#include "support/matrix3.h"
#include "support/vector.h"
#include "traceCapture.h"

namespace {

// Re-sizing to the same size keeps the contents; another size discards them, and both
// say so on the trace (a first sizing says nothing).
TEST(Clist, ResizingKeepsOrDiscards) {
    TraceCapture trace(2);
    Clist<Cvector> list;
    list.setSize(5, "a");
    EXPECT_EQ(trace.lineCount(), 0);
    for (int i = 0; i < 5; i++)
        list[i].x = i * 10.0f;
    list.count = 3;
    list.setSize(5, "b");
    EXPECT_EQ(list.name, "b");
    EXPECT_EQ(list.count, 3);
    EXPECT_EQ(list[4].x, 40);
    list.setSize(7, nullptr);
    EXPECT_EQ(list.capacity, 7);
    EXPECT_EQ(list.count, 7);
    EXPECT_EQ(list.name, "b");
    EXPECT_EQ(list[4].x, 0);
    EXPECT_EQ(trace.text(),
              "LIST b already set\nno matter, same size\nLIST b already set\nsetting to new size\n");

    Clist<Cmatrix3> rotations; // constructed types start zeroed too
    rotations.setSize(2, "r");
    EXPECT_EQ(rotations[1].up.y, 0);

    list.setSize(-5, nullptr);
    EXPECT_EQ(list.capacity, 0);
    EXPECT_EQ(list.elements, nullptr);
    list.add(Cvector(1, 2, 3)); // no storage: dropped
    EXPECT_EQ(list.count, 0);
}

// Indices outside the array are traced and land on a scratch element; the array itself
// is never touched.
TEST(Clist, OutOfRangeIndexIsTracedAndHarmless) {
    TraceCapture trace(1);
    Clist<int> list;
    list.setSize(3, "wprot");
    for (int i = 0; i < 3; i++)
        list[i] = 100 + i;
    list[3] = 55;
    EXPECT_EQ(trace.text(), " Clist:: accessing too high an index in wprot!  3/3\n");
    EXPECT_EQ(list[7], 0); // scratch comes back clean
    list[-1] = 66;
    for (int i = 0; i < 3; i++)
        EXPECT_EQ(list[i], 100 + i);
    EXPECT_EQ(trace.lineCount(), 3);
    Clist<int> empty;
    empty[0] = 1;
}

TEST(Clist, ResizeLargerOnlyGrowsQuietly) {
    TraceCapture trace(3);
    Clist<float> list;
    list.setSize(5, "depths");
    list[0] = 1.5f;
    list.count = 1;
    list.resizeLarger(3);
    EXPECT_EQ(list.capacity, 5);
    EXPECT_EQ(list[0], 1.5f);
    list.resizeLarger(9);
    EXPECT_EQ(list.capacity, 9);
    EXPECT_EQ(list.count, 9);
    EXPECT_EQ(trace.lineCount(), 0);
}

} // namespace
