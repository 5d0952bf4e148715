// The swallow: the drawn particle's way into the mouth, the end that eats it and tells the
// swallower, a particle that drifts meanwhile, a swallower that dies, and one that lets go.
#include "foodTestSupport.h"
#include "things/foodBeingSwallowedAnimCycle.h"

namespace {

class SwallowTest : public FoodTest {
  protected:
    // One particle at the origin being swallowed into a mouth from (1, 0, 0) to (2, 0, 0).
    void SetUp() override {
        f = floating(1);
        f->addFreeParticles(Cvector(), 1);
        p = f->items[0];
        p->position = Cvector();
        fish.mouth[0] = Cvector(1, 0, 0);
        fish.mouth[1] = Cvector(2, 0, 0);
        f->foodBeingSwallowed(p, &fish);
    }
    // The food goes while its swallower is still there.
    void TearDown() override {
        if (f) dropThing(f);
        f = nullptr;
    }
    // The drawn place of the particle after one more step of the food's cycles.
    Cvector step() {
        f->doBehavior();
        return p->position + f->offsets[0];
    }
    FixedRandom random{0.5f};
    TestSwallower fish;
    CfloatingFood* f = nullptr;
    CfoodItem* p = nullptr;
};

// Steps 1 to 5 draw the particle 20 % to 100 % of the way to the mouth's start; from then on
// it follows the mouth back to its end, where on the tenth step it is eaten, and the
// swallower counts it, ends its feeding and looks for more, in that order.
TEST_F(SwallowTest, TheParticleIsDrawnIntoTheMouthAndEatenOnTheTenthStep) {
    EXPECT_FALSE(p->available);
    ASSERT_NE(p->swallowCycle, nullptr);
    EXPECT_EQ(fish.numDependents(), 1);
    float const expected[] = {0.2f, 0.4f, 0.6f, 0.8f, 1.0f, 1.2f, 1.4f, 1.6f, 1.8f};
    for (float x : expected) {
        Cvector drawn = step();
        EXPECT_NEAR(drawn.x, x, 1e-4f);
        EXPECT_TRUE(p->active);
    }
    EXPECT_TRUE(fish.journal.empty());
    Cvector last = step();
    EXPECT_NEAR(last.x, 2.0f, 1e-4f);
    EXPECT_FALSE(p->active || p->available);
    EXPECT_EQ(p->swallowCycle, nullptr);
    EXPECT_EQ(f->freeCount, 0);
    EXPECT_EQ(fish.journal, (std::vector<std::string>{"ate 1.000000", "feed none", "look"}));
    EXPECT_EQ(f->getAnimCycleDirectory()->firstChild, nullptr);
    EXPECT_EQ(fish.numDependents(), 0);
    EXPECT_EQ(f->numDependents(), 0);
}

// The particle drifts on while it is swallowed; each step aims from where it is now, so the
// drawn particle still reaches the mouth.
TEST_F(SwallowTest, ADriftingParticleStillReachesTheMouth) {
    Cvector drawn;
    for (int i = 0; i < 5; i++) {
        p->position += Cvector(0.0f, 0.3f, 0.1f);
        drawn = step();
    }
    EXPECT_NEAR(drawn.x, 1.0f, 1e-4f);
    EXPECT_NEAR(drawn.y, 0.0f, 1e-4f);
    EXPECT_NEAR(drawn.z, 0.0f, 1e-4f);
}

// A swallower that dies mid-swallow, or that lets go, leaves the particle where it was
// last drawn; the dead one's particle stays taken, the released one is offered again.
TEST_F(SwallowTest, DyingOrLettingGoLeavesTheParticleWhereItWasDrawn) {
    struct {
        bool dies;
        bool availableAfter;
    } const cases[] = {{true, false}, {false, true}};
    TearDown();
    for (auto const& c : cases) {
        SCOPED_TRACE(c.dies ? "dies" : "lets go");
        SetUp();
        for (int i = 0; i < 3; i++)
            step();
        Cvector drawn = p->position + f->offsets[0];
        if (c.dies) {
            fish.dying = 1;
            step();
        } else {
            f->particleNotFinishedSwallowing(p);
        }
        EXPECT_NEAR(p->position.x, drawn.x, 1e-5f);
        EXPECT_EQ(f->offsets[0].lengthSquared(), 0.0f);
        EXPECT_EQ(p->swallowCycle, nullptr);
        EXPECT_EQ(f->getAnimCycleDirectory()->firstChild, nullptr);
        EXPECT_EQ(p->available != 0, c.availableAfter);
        EXPECT_TRUE(p->active);
        EXPECT_EQ(fish.numDependents(), 0);
        EXPECT_TRUE(fish.journal.empty());
        fish.dying = 0;
        TearDown();
    }
}

} // namespace
