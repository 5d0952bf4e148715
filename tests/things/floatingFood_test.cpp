// Floating food: releasing particles, offering them, sinking, forgetting and losing them,
// the end of a food thing, and a particle that must stay in the water.
#include <cmath>

#include "foodTestSupport.h"

namespace {

class FloatingFoodTest : public FoodTest {
  protected:
    // Every draw is 0.5: no jitter, size 0.6, a fall of half the rate.
    FixedRandom random{0.5f};
    KnownNoise noise{[](int) { return 0.0f; }};
};

bool hidden(Cmatrix3 const& m) {
    return m.side.lengthSquared() == 0.0f && m.up.lengthSquared() == 0.0f &&
           m.forward.lengthSquared() == 0.0f;
}

// A drop releases idle particles in index order, spaced 0.1 apart (0.15 from 7 on) about
// the point, each at full size and drifting left less the later it came.
TEST_F(FloatingFoodTest, DropsReleaseIdleParticlesSpacedAboutThePoint) {
    struct {
        int particles, alreadyIn, drop;
        std::vector<int> released;
        std::vector<float> x; // of the released ones, the drop at x = 1
    } const cases[] = {
        {10, 0, 3, {0, 1, 2}, {0.925f, 1.025f, 1.125f}},
        {10, 0, 7, {0, 1, 2, 3, 4, 5, 6}, {0.825f, 0.975f, 1.125f, 1.275f, 1.425f, 1.575f, 1.725f}},
        {5, 3, 4, {3, 4}, {0.9f, 1.0f}}, // more asked than idle: only the idle ones
        {4, 4, 2, {}, {}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::to_string(c.particles) + " particles, drop " + std::to_string(c.drop));
        CfloatingFood* f = floating(c.particles);
        f->addFreeParticles(Cvector(5, 5, 5), c.alreadyIn);
        f->geometryCount = 7;
        f->addFreeParticles(Cvector(1, 2, 3), c.drop);
        EXPECT_EQ(f->freeCount, c.alreadyIn + static_cast<int>(c.released.size()));
        EXPECT_EQ(f->idleCount(), c.particles - f->freeCount);
        EXPECT_EQ(f->geometryCount, 0u);
        for (size_t k = 0; k < c.released.size(); k++) {
            int i = c.released[k];
            CfoodItem& p = *f->items[static_cast<size_t>(i)];
            EXPECT_TRUE(p.active && p.available && !p.stuck) << i;
            EXPECT_NEAR(p.position.x, c.x[k], 1e-5f) << i;
            EXPECT_FLOAT_EQ(p.position.y, 2.0f);
            EXPECT_FLOAT_EQ(p.position.z, 3.0f);
            EXPECT_FLOAT_EQ(p.velocity.x, -0.01f + 0.0025f * static_cast<float>(k));
            EXPECT_FLOAT_EQ(f->rotations[i].up.y, 0.6f);
            EXPECT_EQ(f->displayPositions[i].x, p.position.x);
            EXPECT_TRUE(boundTo(*f, i, &f->displayPositions[i], &f->rotations[i]));
        }
        for (int i = c.alreadyIn + static_cast<int>(c.released.size()); i < c.particles; i++)
            EXPECT_TRUE(hidden(f->rotations[i]) && !f->items[static_cast<size_t>(i)]->active) << i;
        dropThing(f);
    }
}

// The offer: in the water, free, not stuck, between sqrt(0.3) and sqrt(20.4) away and not
// behind the eater (which faces +z).
TEST_F(FloatingFoodTest, OffersOnlyFreeParticlesWithinReachAhead) {
    struct {
        char const* what;
        Cvector eater;
        int stuck, available;
        bool offered;
    } const cases[] = {
        {"ahead", Cvector(0, 0, -2), 0, 1, true},
        {"too near", Cvector(0, 0, -0.5f), 0, 1, false},
        {"just far enough", Cvector(0, 0, -0.56f), 0, 1, true},
        {"just within reach", Cvector(0, 0, -4.5f), 0, 1, true},
        {"too far", Cvector(0, 0, -4.52f), 0, 1, false},
        {"behind", Cvector(0, 0, 2), 0, 1, false},
        {"beside", Cvector(2, 0, 0), 0, 1, true},
        {"stuck", Cvector(0, 0, -2), 1, 1, false},
        {"taken", Cvector(0, 0, -2), 0, 0, false},
    };
    Cmatrix3 facing;
    facing.identity();
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        CfloatingFood* f = floating(1);
        f->addFreeParticles(Cvector(), 1);
        CfoodItem& p = *f->items[0];
        p.position = Cvector();
        p.stuck = static_cast<uint8_t>(c.stuck);
        p.available = static_cast<uint8_t>(c.available);
        EXPECT_EQ(f->getAvailableParticle(c.eater, facing), c.offered ? &p : nullptr);
        dropThing(f);
    }
}

// Two eaters asking in turn get different particles: the scan resumes after the last one
// examined; a dying food offers nothing.
TEST_F(FloatingFoodTest, TheScanResumesAfterTheLastParticleExamined) {
    CfloatingFood* f = floating(3);
    f->addFreeParticles(Cvector(), 3);
    Cmatrix3 facing;
    facing.identity();
    Cvector eater(0, 0, -2);
    CfoodItem* first = f->getAvailableParticle(eater, facing);
    CfoodItem* second = f->getAvailableParticle(eater, facing);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_EQ(first->index, 1); // starts after lastPicked 0
    EXPECT_EQ(f->lastPicked, 2);
    f->items[0]->available = 0;
    EXPECT_EQ(f->getAvailableParticle(eater, facing)->index, 1); // 0 skipped, wraps to 1
    f->dying = 1;
    EXPECT_EQ(f->getAvailableParticle(eater, facing), nullptr);
}

// A particle sinks at its share of the species' fall rate; below the forget height it is
// no longer offered and its chasers are let go, but it is still drawn; below the floor
// height the tank tells every food eater, and it leaves the water. With nothing left in
// the water the food thing tears itself down on its next frame.
TEST_F(FloatingFoodTest, ParticlesSinkAreForgottenThenLostAndTheFoodEnds) {
    CfloatingFood* f = floating(2, 0.02f); // each falls 0.01 a frame
    f->addFreeParticles(Cvector(0, 0.05f, 0), 1);
    CfoodItem& p = *f->items[0];
    Watcher chaser;
    chaser.setRelationshipWith2(&p, NATURE_EAT);
    f->goFish(1);
    EXPECT_NEAR(p.position.y, 0.04f, 1e-5f);
    for (int i = 0; i < 5; i++)
        f->goFish(1);
    EXPECT_LT(p.position.y, 0.0f);
    EXPECT_TRUE(p.active && !p.available);
    EXPECT_EQ(chaser.told, std::vector<short>{NATURE_EAT});
    EXPECT_FALSE(hidden(f->rotations[0]));
    EXPECT_TRUE(food.messages.empty());
    int frames = 6;
    while (p.active && frames < 200)
        f->goFish(1), frames++;
    EXPECT_NEAR(frames, 106, 1); // from 0.05 to below -1
    EXPECT_EQ(food.messages, (std::vector<std::pair<int, int>>{{17, 0}}));
    EXPECT_EQ(f->freeCount, 0);
    EXPECT_TRUE(hidden(f->rotations[0]));
    EXPECT_FALSE(f->dying);
    f->goFish(1);
    EXPECT_TRUE(f->dying);
    EXPECT_TRUE(food.foods.empty());
}

// However the water stirs it, a particle never rises above the height it was released at.
TEST_F(FloatingFoodTest, AParticleNeverRisesOutOfTheWater) {
    KnownNoise lift{[](int) { return -1.0f; }};
    for (int i = 0; i < KnownNoise::kSamples; i++)
        lift.chan.floatData[i * 3 + 1] = -1.0f; // b1 and c1: upward
    CfloatingFood* f = floating(1, 0.0001f);
    f->addFreeParticles(Cvector(0, 1.7f, 0), 1);
    float top = f->items[0]->position.y;
    float highest = -100.0f;
    for (int i = 0; i < 300; i++) {
        f->goFish(1);
        highest = std::max(highest, f->displayPositions[0].y);
    }
    EXPECT_LE(highest, top);
    EXPECT_TRUE(f->items[0]->active);
}

// A particle stuck against an obstacle (or past a wall) is offered to no fish, and at the
// thirtieth stuck check in a row (one every tenth frame) it counts as lost; one being
// swallowed is left to its swallow.
TEST_F(FloatingFoodTest, AParticleStuckForLongIsLost) {
    food.level = true;
    food.sources.value = 0.05f;
    struct {
        bool swallowing;
        bool lost;
    } const cases[] = {{false, true}, {true, false}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.swallowing ? "swallowing" : "free");
        CfloatingFood* f = floating(1, 0.0f);
        f->addFreeParticles(Cvector(), 1);
        TestSwallower swallower;
        if (c.swallowing) f->foodBeingSwallowed(f->items[0], &swallower);
        f->goFish(1);
        EXPECT_TRUE(f->items[0]->stuck);
        Cmatrix3 facing;
        facing.identity();
        EXPECT_EQ(f->getAvailableParticle(Cvector(0, 0, -2), facing), nullptr);
        for (int i = 1; i < 290; i++)
            f->goFish(1);
        EXPECT_TRUE(f->items[0]->active) << "29 checks";
        f->goFish(1); // the thirtieth check
        EXPECT_EQ(!f->items[0]->active, c.lost);
        EXPECT_TRUE(food.messages.empty());
        f->clearAnimCycles();
        dropThing(f);
    }
}

// A free level set leaves the particle offered; a food removed with no tank only traces
// it, and a null particle cannot be swallowed.
TEST_F(FloatingFoodTest, NullSwallowsStopAndTanklessTeardownsTrace) {
    CfloatingFood* f = floating(1);
    f->foodBeingSwallowed(nullptr, nullptr);
    EXPECT_TRUE(hasReason("tried to swallow null food"));
    resetExitState();
    auto* loose = new CfloatingFood;
    loose->species = &newSpecies(1);
    delete loose;
    EXPECT_TRUE(exitReasonList.empty());
    EXPECT_NE(trace.text().find("food removed with no tank"), std::string::npos);
    dropThing(f);
}

} // namespace
