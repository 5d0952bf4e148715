// Rising bubbles: the state cycle, the emission credit and its cap, a moved and a
// switched-off emitter, the jiggle of the big bubbles and meshes too small for them.
#include <cmath>
#include <vector>

#include "thingTestSupport.h"
#include "things/bubbles.h"

namespace {

class BubblesTest : public ThingTest {
  protected:
    void SetUp() override {
        tank.set("tankScale", 1.0);
        tank.set("bubbleSpeed", 1.0);
        tank.set("bubbleSpeedMult", 1.0);
        tank.set("worldSpeed", 1.0);
        tank.set("bubbleKillHeight", 0.25);
    }
    // Bubbles of species s on a mesh of points points (attribute-major unless asked), reset.
    Cbubbles* make(TestSpecies& s, int points = 0, int expectedReset = 0, bool interleaved = false) {
        auto* b = ThingTest::make<Cbubbles>(&s);
        givePoints(*b->workObject, points, interleaved);
        EXPECT_EQ(b->resetThing(0), expectedReset);
        return b;
    }
    // x, y, z of point v in work buffer `buffer`, found from the layout givePoints makes:
    // "N" then "pos", each three floats.
    static float const* pos(CworkObject& w, int buffer, int v, bool interleaved) {
        float const* data = w.workGeo[buffer].pointData();
        return interleaved ? data + v * 6 + 3 : data + 3 * w.numPoints + v * 3;
    }
    std::vector<int> statesOf(Cbubbles& b) {
        std::vector<int> out;
        for (int k = 0; k < b.bubbleCount; k++)
            out.push_back(b.states[k]);
        return out;
    }
    static bool hidden(Cmatrix3 const& m) {
        return m.side.lengthSquared() == 0.0f && m.up.lengthSquared() == 0.0f &&
               m.forward.lengthSquared() == 0.0f;
    }
    // Every draw is 0.5: the credit grows by the rate, bubbles have size 0.15 and no drift.
    FixedRandom random{0.5f};
    KnownNoise noise{[](int) { return 0.0f; }};
};

// Finished bubbles are hidden and wait for emission credit (the rate a frame, capped at 2);
// at most two leave in one frame, in list order, and rise until the kill height.
TEST_F(BubblesTest, BubblesCycleFinishedWaitingRisingAndAtMostTwoLeaveAFrame) {
    struct {
        float rate, killHeight;
        std::vector<std::vector<int>> states; // after each frame
        float creditAfterFrame2;              // NaN: not checked
    } const cases[] = {
        // each rise is 0.1075, so the first two pass the kill height in their third frame
        {1.0f, 0.25f, {{0, 0, 0}, {1, 1, 0}, {1, 1, 1}, {-1, -1, 1}, {0, 0, -1}, {1, 1, 0}}, NAN},
        {10.0f, 100.0f, {{0, 0, 0, 0, 0}, {1, 1, 0, 0, 0}, {1, 1, 1, 1, 0}}, 0.0f},
        {1.5f, 100.0f, {{0, 0, 0, 0, 0}, {1, 1, 0, 0, 0}, {1, 1, 1, 0, 0}}, 0.0f}, // 3 capped at 2
        {0.75f, 100.0f, {{0, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, {1, 1, 0, 0, 0}}, 0.5f},
        {0.25f, 100.0f, {{0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}, {0, 0, 0, 0, 0}}, 0.5f},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE("rate " + std::to_string(c.rate));
        tank.setTankValue("bubbleSpeed", c.rate);
        tank.setTankValue("bubbleKillHeight", c.killHeight);
        int n = static_cast<int>(c.states[0].size());
        auto* b = make(newSpecies(n));
        EXPECT_FALSE(b->emitterOn());
        EXPECT_EQ(statesOf(*b), std::vector<int>(static_cast<size_t>(n), -1));
        for (int k = 0; k < n; k++)
            EXPECT_TRUE(boundTo(*b, k, &b->positions[k], &b->matrices[k])) << k;
        b->origin = Cvector(0.0f, 0.0f, 0.0f);
        for (size_t f = 0; f < c.states.size(); f++) {
            b->goFish(1);
            EXPECT_EQ(statesOf(*b), c.states[f]) << "frame " << f + 1;
            if (f == 1 && !std::isnan(c.creditAfterFrame2))
                EXPECT_FLOAT_EQ(b->emitCredit, c.creditAfterFrame2);
            for (int k = 0; k < n; k++) {
                EXPECT_EQ(hidden(b->matrices[k]), b->states[k] != BUBBLE_RISING) << "frame " << f + 1;
                if (b->states[k] == BUBBLE_WAITING) EXPECT_FLOAT_EQ(b->positions[k].y, -1000.0f);
            }
        }
        EXPECT_EQ(b->framesUpdated, static_cast<int>(c.states.size()));
        dropThing(b);
    }
}

// The tank's road to the column: it moves the emitter, then every bubble to its depth, and
// switches it off, which keeps the credit and lets the bubbles out finish.
TEST_F(BubblesTest, AMovedEmitterTakesItsColumnAndASwitchedOffOneKeepsItsCredit) {
    tank.setTankValue("bubbleSpeed", 0.75f);
    auto* b = make(newSpecies(4));
    b->origin = Cvector(0.0f, 0.0f, 0.0f);
    b->goFish(1);
    b->goFish(1); // one bubble out, 0.5 credit left
    ASSERT_EQ(statesOf(*b), (std::vector<int>{1, 0, 0, 0}));
    CbubbleEmitter& emitter = *b;
    emitter.origin = Cvector(5.0f, 1.0f, -2.5f);
    emitter.moveAllZpos();
    for (int k = 0; k < 4; k++) // only the depth moves: heights and sideways places stay
        EXPECT_FLOAT_EQ(b->positions[k].z, -2.5f);
    EXPECT_FLOAT_EQ(b->positions[1].y, -1000.0f);
    EXPECT_LT(std::fabs(b->positions[0].x), 1.0f);
    b->switchEmitterOff();
    float y = b->positions[0].y;
    for (int f = 0; f < 6; f++) {
        b->goFish(1);
        EXPECT_FLOAT_EQ(b->emitCredit, 0.5f);
        if (b->states[0] == BUBBLE_RISING) {
            EXPECT_GT(b->positions[0].y, y);
            y = b->positions[0].y;
        }
        for (int k = 1; k < 4; k++)
            EXPECT_EQ(b->states[k], BUBBLE_WAITING);
    }
    // Rises of 0.0806 pass the kill height of 0.25 in the third frame after emission.
    EXPECT_EQ(b->states[0], BUBBLE_WAITING);
    EXPECT_FLOAT_EQ(b->positions[0].y, -1000.0f);
}

// A bubble rises by its speed divided by the tank's world speed; a world speed of zero or
// below counts as 1.
TEST_F(BubblesTest, TheWorldSpeedDividesTheRise) {
    struct {
        float worldSpeed, riseFactor;
    } const cases[] = {{1.0f, 1.0f}, {2.0f, 0.5f}, {0.5f, 2.0f}, {0.0f, 1.0f}, {-3.0f, 1.0f}};
    float base = 0.0f;
    for (auto const& c : cases) {
        tank.setTankValue("worldSpeed", c.worldSpeed);
        tank.setTankValue("bubbleKillHeight", 100.0f);
        auto* b = make(newSpecies(1));
        b->origin = Cvector(0.0f, 0.0f, 0.0f);
        b->goFish(1); // credit 1: the bubble leaves and makes its first rise
        b->goFish(1);
        b->goFish(1); // the credit has gone on growing; only one bubble
        ASSERT_EQ(b->states[0], BUBBLE_RISING) << c.worldSpeed;
        float y = b->positions[0].y;
        b->goFish(1);
        float rise = b->positions[0].y - y;
        if (c.worldSpeed == 1.0f) base = rise;
        ASSERT_GT(base, 0.0f);
        EXPECT_NEAR(rise, base * c.riseFactor, 1e-6f) << "world speed " << c.worldSpeed;
        dropThing(b);
    }
}

TEST_F(BubblesTest, OnlyTheFirstFourPointsPerBigBubbleJiggle) {
    KnownNoise sampleIndex([](int i) { return static_cast<float>(i); });
    for (bool interleaved : {false, true}) {
        TestSpecies& s = newSpecies(3);
        s.addAttrib("bigOne", 1);
        s.setAttrib("bigOne", 0, {1.0f});
        s.setAttrib("bigOne", 2, {0.5f});
        auto* b = make(s, 12, 0, interleaved);
        ASSERT_EQ(b->bigCount, 2);
        CworkObject& work = *b->workObject;
        b->framesUpdated = 120; // the first walk starts at 480 and wraps at the third point
        work.calcGeometry(1);   // hands the buffer to the bubbles' own pass
        for (int v = 0; v < 12; v++) {
            float dx = 0.0f, dy = 0.0f;
            if (v < 8) {
                dx = 0.04f * static_cast<float>((480 + 10 * v) % 500);
                dy = 0.02f * static_cast<float>((580 + 10 * v) % 500);
            }
            float const* p = pos(work, 1, v, interleaved);
            EXPECT_FLOAT_EQ(p[0], dx) << "point " << v << " interleaved " << interleaved;
            EXPECT_FLOAT_EQ(p[1], dy) << "point " << v << " interleaved " << interleaved;
            EXPECT_FLOAT_EQ(p[2], 0.0f) << "point " << v;
            EXPECT_FLOAT_EQ(pos(work, 0, v, interleaved)[0], 0.0f) << "point " << v;
        }
        float sum = 0.0f; // nothing else in the buffer moved
        for (int f = 0; f < 12 * 6; f++)
            sum += work.workGeo[1].pointData()[f];
        float expected = 0.0f;
        for (int v = 0; v < 8; v++)
            expected += 0.04f * static_cast<float>((480 + 10 * v) % 500) +
                        0.02f * static_cast<float>((580 + 10 * v) % 500);
        EXPECT_NEAR(sum, expected, 1e-3f);
        dropThing(b);
    }
}

TEST_F(BubblesTest, AMeshTooSmallForItsBigBubblesIsRefusedAtReset) {
    struct {
        int points;
        bool interleaved;
        int result;
        char const* reason;
    } cases[] = {
        {8, true, 0, nullptr},
        {7, true, 1, "bubble mesh too small for its big bubbles"},
        {0, true, 1, "bubble mesh too small for its big bubbles"},
        {8, false, 1, "notInterlvd"},
    };
    for (auto const& c : cases) {
        resetExitState();
        TestSpecies& s = newSpecies(3);
        s.interleaved = c.interleaved;
        s.addAttrib("bigOne", 1);
        s.setAttrib("bigOne", 1, {1.0f});
        s.setAttrib("bigOne", 2, {-1.0f});
        auto* b = make(s, c.points, c.result);
        EXPECT_EQ(b->initialized, c.result == 0 ? 1 : 0) << c.points;
        if (c.reason) {
            EXPECT_TRUE(hasReason(c.reason)) << c.points;
        } else {
            EXPECT_TRUE(exitReasonList.empty()) << c.points;
        }
        dropThing(b);
    }
}

} // namespace
