#include <gtest/gtest.h>

#include "support/list.h"
#include "support/matrix3.h"
#include "support/vector.h"
#include "traceCapture.h"

namespace {

// Indices outside the array are traced and land on a scratch element; the array itself
// is never touched.
TEST(Clist, OutOfRangeIndexIsTracedAndHarmless) {
    TraceCapture trace(1);
    Clist<int> list;
    list.setSize(3, "wprot");
    for (int i = 0; i < 3; i++)
        list[i] = 100 + i;
    list[3] = 55;
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
