#include <gtest/gtest.h>

#include <vector>

#include "support/distanceTable.h"

namespace {

// A mover with fixed head, middle and tail points.
class Mover : public CdistanceTableThing {
  public:
    Mover(Cvector h, Cvector m, Cvector t) : head(h), mid(m), tail(t) {}
    void getHeadMidTailPos(Cvector& h, Cvector& m, Cvector& t) override {
        h = head;
        m = mid;
        t = tail;
    }
    Cvector head, mid, tail;
};

Mover fishAt(float x, float heading) {
    return Mover(Cvector(x + 0.5f * heading, 0, 0), Cvector(x, 0, 0), Cvector(x - 0.5f * heading, 0, 0));
}

// Room for capacity things, the given ones in order, distances updated.
void measure(CdistanceTable& t, int capacity, std::vector<Mover*> const& things) {
    t.alloc(capacity);
    for (size_t i = 0; i < things.size(); i++)
        t.setThing(static_cast<int>(i), things[i]);
    t.setNumThings(static_cast<int>(things.size()));
    t.updateDistanceTables();
}

// Close pairs measure from each one's head: a fish facing another is nearer to it than
// the other, facing away, is to the first.
TEST(DistanceTable, ClosePairsAreMeasuredFromTheHead) {
    Mover a = fishAt(0, 1), b = fishAt(1, 1);
    CdistanceTable t;
    measure(t, 2, {&a, &b});
    EXPECT_FLOAT_EQ(t.distance(0, 1), 0.0f); // a's head (0.5) meets b's tail (0.5)
    EXPECT_FLOAT_EQ(t.distance(1, 0), 1.0f); // b's head (1.5) to a's head (0.5)
}

TEST(DistanceTable, AvoidanceListInTableOrder) {
    Mover a = fishAt(0, 1), b = fishAt(5, 1), c = fishAt(2, 1), stranger = fishAt(0, 1);
    CdistanceTable t;
    measure(t, 3, {&a, &b, &c});
    CprepDistanceList& near = t.prepareMyAvoidanceList(&a, 30.0f);
    ASSERT_EQ(near.count, 2);
    EXPECT_EQ(near.things[0], &b);
    EXPECT_EQ(near.things[1], &c);
    EXPECT_FLOAT_EQ(near.distances[1], 4.0f);
    EXPECT_EQ(t.currentIndex, 0);
    EXPECT_EQ(t.prepareMyAvoidanceList(&a, 5.0f).count, 1);
    EXPECT_EQ(t.prepareMyAvoidanceList(&stranger, 1e9f).count, 0);
    // Only a range beyond 10000 lets a thing list itself.
    EXPECT_EQ(t.prepareMyAvoidanceList(&a, 20000.0f).count, 3);
}

} // namespace
