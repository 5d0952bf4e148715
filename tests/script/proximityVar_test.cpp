// Proximities between two minimal things.
#include <gtest/gtest.h>

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

TEST(ProximityVar, SquaredDistanceOfTwoThings) {
    struct Case {
        Cvector a, b;
        float squared;
    };
    for (Case c : {Case{{0, 0, 0}, {3, 0, 0}, 9}, Case{{1, 2, 3}, {1, 2, 3}, 0},
                   Case{{1, 1, 1}, {-1, 3, 2}, 9}, Case{{0, -4, 0}, {0, 0, 3}, 25}}) {
        Thing a(c.a.x, c.a.y, c.a.z, 1), b(c.b.x, c.b.y, c.b.z, 1);
        auto* p = new CproximityVar;
        EXPECT_EQ(p->squaredDistance, 0.0f);
        p->setThings(&a, &b);
        EXPECT_FLOAT_EQ(p->updateGross(), c.squared);
        EXPECT_FLOAT_EQ(p->squaredDistance, c.squared);
        // Moving a thing shows at the next update only.
        b.position.x += 1;
        EXPECT_FLOAT_EQ(p->squaredDistance, c.squared);
        EXPECT_NE(p->updateGross(), c.squared);
    }
}

TEST(ProximityVar, PairScaleIsTheLarger) {
    Thing small(0, 0, 0, 0.5f), big(1, 0, 0, 2.5f);
    auto* p = new CproximityVar;
    p->setThings(&small, &big);
    EXPECT_FLOAT_EQ(p->pairScale, 2.5f);
    EXPECT_EQ(p->thingA, &small);
    EXPECT_EQ(p->thingB, &big);
}

TEST(ProximityVar, DiesWithEitherThing) {
    Thing keeper(0, 0, 0, 1);
    int before = allocedVariables;
    {
        Thing leaver(1, 0, 0, 1);
        auto* p = new CproximityVar;
        p->setThings(&keeper, &leaver);
        EXPECT_EQ(keeper.proximities->countChildren(), 1);
        EXPECT_EQ(leaver.proximities->countChildren(), 1);
    }
    EXPECT_EQ(keeper.proximities->countChildren(), 0);
    EXPECT_EQ(allocedVariables, before);
}

TEST(ProximityVar, NeedsTwoThings) {
    ScopedDataFolder data;
    resetExitState();
    Thing a(0, 0, 0, 1);
    CproximityVar p;
    p.setThings(&a, nullptr);
    EXPECT_EQ(p.thingA, nullptr);
    EXPECT_EQ(a.proximities->countChildren(), 0);
    EXPECT_FLOAT_EQ(p.updateGross(), 0.0f);
    EXPECT_EQ(erroredExit, 1);
    closeStdout();
    resetExitState();
}

} // namespace
