// Proximities between two minimal things.
#include <gtest/gtest.h>

#include <algorithm>

#include "script/proximityVar.h"
#include "support/cerr.h"
#include "testSupport.h"

namespace {

// A thing as far as a proximity sees it: a position, a scale and a proximity directory.
class Thing : public CdirectoryVar, public CproximityParty {
  public:
    Thing(float x, float y, float z, float scale) : position(x, y, z), thingScale(scale) {
        proximities = addDirectory("proximities");
    }
    Cvector proximityPosition() override { return position; }
    float proximityScale() override { return thingScale; }
    Cvariable* proximityDirectory() override { return proximities; }

    Cvector position;
    float thingScale;
    Cvariable* proximities;
};

// The pair's scale is the larger of the two.
TEST(ProximityVar, SquaredDistanceAndScaleOfTwoThings) {
    struct Case {
        Cvector a, b;
        float squared, scaleA, scaleB;
    };
    for (Case c : {Case{{0, 0, 0}, {3, 0, 0}, 9, 1, 1}, Case{{1, 2, 3}, {1, 2, 3}, 0, 0.5f, 2.5f},
                   Case{{1, 1, 1}, {-1, 3, 2}, 9, 3, 2}, Case{{0, -4, 0}, {0, 0, 3}, 25, 1, 1}}) {
        Thing a(c.a.x, c.a.y, c.a.z, c.scaleA), b(c.b.x, c.b.y, c.b.z, c.scaleB);
        auto* p = new CproximityVar;
        p->setThings(&a, &b);
        EXPECT_FLOAT_EQ(p->pairScale, std::max(c.scaleA, c.scaleB));
        EXPECT_FLOAT_EQ(p->updateGross(), c.squared);
        EXPECT_FLOAT_EQ(p->squaredDistance, c.squared);
        // Moving a thing shows at the next update only.
        b.position.x += 1;
        EXPECT_FLOAT_EQ(p->squaredDistance, c.squared);
        EXPECT_NE(p->updateGross(), c.squared);
    }
}

} // namespace
