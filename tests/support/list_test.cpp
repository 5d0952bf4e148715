#include <gtest/gtest.h>

#include "support/list.h"
#include "support/matrix3.h"
#include "support/vector.h"
#include "traceCapture.h"

namespace {

TEST(Clist, StartsEmptyAndUnnamed) {
    Clist<int> list;
    EXPECT_EQ(list.capacity, 0);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.elements, nullptr);
    EXPECT_EQ(list.name, "unnamed");
}

TEST(Clist, SameSizeKeepsContentsAndTakesTheNewName) {
    TraceCapture trace(2);
    Clist<int> list;
    list.setSize(5, "a");
    EXPECT_EQ(trace.lineCount(), 0); // no storage before: nothing to say
    for (int i = 0; i < 5; i++)
        list[i] = i * 10;
    list.count = 3;
    list.setSize(5, "b");
    EXPECT_EQ(list.name, "b");
    EXPECT_EQ(list.count, 3);
    for (int i = 0; i < 5; i++)
        EXPECT_EQ(list[i], i * 10);
    EXPECT_EQ(trace.text(), "LIST b already set\nno matter, same size\n");
}

TEST(Clist, OtherSizeDiscardsContentsKeepsName) {
    TraceCapture trace(2);
    Clist<Cvector> list;
    list.setSize(5, "bubpos");
    list[2].set(1, 2, 3);
    list.setSize(7, nullptr);
    EXPECT_EQ(list.capacity, 7);
    EXPECT_EQ(list.count, 7);
    EXPECT_EQ(list.name, "bubpos");
    for (int i = 0; i < 7; i++) {
        EXPECT_EQ(list[i].x, 0);
        EXPECT_EQ(list[i].y, 0);
        EXPECT_EQ(list[i].z, 0);
    }
    EXPECT_EQ(trace.text(), "LIST bubpos already set\nsetting to new size\n");
}

TEST(Clist, FreshElementsOfConstructedTypesAreZero) {
    Clist<Cvector> vectors;
    vectors.setSize(4, "v");
    for (int i = 0; i < 4; i++)
        EXPECT_EQ(vectors[i].x + vectors[i].y + vectors[i].z, 0);
    Clist<Cmatrix3> rotations;
    rotations.setSize(2, "r");
    EXPECT_EQ(rotations[1].up.y, 0);
    EXPECT_EQ(rotations[1].forward.z, 0);
}

TEST(Clist, ResizeLargerOnlyGrows) {
    TraceCapture trace(3);
    Clist<float> list;
    list.setSize(5, "depths");
    list[0] = 1.5f;
    list.count = 1;
    list.resizeLarger(3);
    EXPECT_EQ(list.capacity, 5);
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list[0], 1.5f);
    list.resizeLarger(9);
    EXPECT_EQ(list.capacity, 9);
    EXPECT_EQ(list.count, 9);
    EXPECT_EQ(list.name, "depths");
    EXPECT_EQ(trace.lineCount(), 0); // growing says nothing
}

TEST(Clist, AddAppendsUntilFullThenDropsWithOneLine) {
    TraceCapture trace(1);
    Clist<int> list;
    list.setSize(2, "panel");
    list.count = 0;
    list.add(7);
    list.add(8);
    EXPECT_EQ(trace.lineCount(), 0);
    list.add(9);
    EXPECT_EQ(list.count, 2);
    EXPECT_EQ(list[0], 7);
    EXPECT_EQ(list[1], 8);
    EXPECT_EQ(trace.text(), " Clist:: accessing too high an index in panel! \n");
}

TEST(Clist, RefillEveryFrameWithoutReallocating) {
    Clist<int> list;
    list.setSize(4, "opaque geos");
    int* storage = list.elements;
    for (int frame = 0; frame < 3; frame++) {
        list.count = 0;
        for (int i = 0; i < 3; i++)
            list.add(frame + i);
        EXPECT_EQ(list.count, 3);
        EXPECT_EQ(list[2], frame + 2);
    }
    EXPECT_EQ(list.elements, storage);
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
    Clist<int> const& view = list;
    EXPECT_EQ(view[1], 101);
}

TEST(Clist, SizingToZeroOrLessLeavesNoStorage) {
    Clist<int> list;
    list.setSize(4, "x");
    list.setSize(0, nullptr);
    EXPECT_EQ(list.capacity, 0);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.elements, nullptr);
    list.setSize(-5, nullptr);
    EXPECT_EQ(list.capacity, 0);
    EXPECT_EQ(list.count, 0);
    list.add(3); // dropped, no storage
    EXPECT_EQ(list.count, 0);
}

} // namespace
