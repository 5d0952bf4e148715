// The avoid zone's answers: unchanged turns, the nearest way out of one rectangle with its
// tie order, chains of overlapping rectangles, and the count limit. The pseudo-angle of its
// headings: exact on the axes, close to radians on the diagonals, continuous across its
// sector borders.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "fish/avoidZone.h"
#include "fish/pseudoAngle.h"

namespace {

struct Answer {
    int result;
    float x, y, candidate;
};

Answer ask(CavoidZone& zone, float x, float y) {
    Cvector out(-9, -9, -9);
    int result = zone.getBestHeadingOrPitchChange(x, y, 0.0f, out);
    return {result, out.x, out.y, out.z};
}

TEST(AvoidZone, Answers) {
    struct {
        char const* what;
        std::vector<Crect> rects;
        float x, y;
        Answer want;
    } const cases[] = {
        {"empty", {}, 0.3f, -0.2f, {0, 0.3f, -0.2f, 0}},
        {"far only", {Crect(2.0f, 3.0f, -1, 1), Crect(-1, 1, -4, -1.6f)}, 0.1f, 0.0f, {0, 0.1f, 0.0f, 0}},
        {"near, none holding", {Crect(0.2f, 0.5f, -1, 1)}, 0.1f, 0.0f, {0, 0.1f, 0.0f, 0}},
        {"a gap of 1000 is not inside", {Crect(1500, 1600, -1, 1)}, 0.0f, 0.0f, {0, 0.0f, 0.0f, 0}},
        {"smallest turn, not move", {Crect(-0.1f, 0.2f, -0.3f, 0.3f)}, 0.15f, 0.0f, {1, -0.1f, 0, 0}},
        {"left wins a tie with right", {Crect(-0.2f, 0.2f, -0.3f, 0.3f)}, 0.0f, 0.0f, {1, -0.2f, 0.0f, 0}},
        {"right wins a tie with down", {Crect(-0.3f, 0.2f, -0.2f, 0.3f)}, 0.0f, 0.0f, {1, 0.2f, 0.0f, 1}},
        {"down wins a tie with up", {Crect(-0.5f, 0.5f, -0.2f, 0.2f)}, 0.0f, 0.0f, {1, 0.0f, -0.2f, 2}},
        {"up", {Crect(-0.5f, 0.5f, -0.3f, 0.1f)}, 0.0f, 0.05f, {1, 0.0f, 0.1f, 3}},
        {"two holding: the union's edges",
         {Crect(-0.2f, 0.1f, -0.5f, 0.5f), Crect(-0.1f, 0.4f, -0.5f, 0.5f)},
         0,
         0,
         {1, -0.2f, 0, 0}},
        // The left way out lands in a second rectangle and is carried across it, so right wins.
        {"pushed on across an overlap",
         {Crect(-0.2f, 0.3f, -0.3f, 0.3f), Crect(-0.5f, -0.15f, -0.1f, 0.1f)},
         -0.05f,
         0,
         {1, 0.3f, 0, 1}},
    };
    for (auto const& c : cases) {
        auto zone = std::make_unique<CavoidZone>();
        for (Crect const& r : c.rects)
            zone->addAvoidRect(r);
        Answer got = ask(*zone, c.x, c.y);
        EXPECT_EQ(got.result, c.want.result) << c.what;
        EXPECT_FLOAT_EQ(got.x, c.want.x) << c.what;
        EXPECT_FLOAT_EQ(got.y, c.want.y) << c.what;
        EXPECT_EQ(got.candidate, c.want.candidate) << c.what;
    }
}

TEST(AvoidZone, ChainsArePushedNearestFirst) {
    auto zone = std::make_unique<CavoidZone>();
    zone->addAvoidRect(Crect(-0.2f, 0.9f, -0.9f, 0.9f));   // holds the centre
    zone->addAvoidRect(Crect(-0.8f, -0.45f, -0.1f, 0.1f)); // straddles only what the next leaves
    zone->addAvoidRect(Crect(-0.5f, -0.15f, -0.1f, 0.1f)); // nearer: straddles -0.2
    Answer got = ask(*zone, 0.0f, 0.0f);
    EXPECT_EQ(got.result, 1);
    EXPECT_FLOAT_EQ(zone->candidates[0][0], -0.8f);
    EXPECT_FLOAT_EQ(zone->candidates[0][3], 0.64f);
    EXPECT_FLOAT_EQ(got.x, -0.8f); // still the smallest turn: the others are 0.9 away
}

TEST(AvoidZone, OnlyFourHundredNinetyNineCount) {
    auto zone = std::make_unique<CavoidZone>();
    for (int i = 1; i <= 499; i++)
        ASSERT_EQ(zone->addAvoidRect(Crect(5, 6, 5, 6)), i);
    // The 500th and later land in the spare slot and are never looked at.
    EXPECT_EQ(zone->addAvoidRect(Crect(-1, 1, -1, 1)), 499);
    EXPECT_EQ(zone->addAvoidRect(Crect(-1, 1, -1, 1)), 499);
    EXPECT_EQ(ask(*zone, 0, 0).result, 0);
    zone->rects[498].rect = Crect(-1, 1, -1, 1); // the last counted one does take part
    EXPECT_EQ(ask(*zone, 0, 0).result, 1);
    zone->count = 0;
    EXPECT_EQ(ask(*zone, 0, 0).result, 0);
}

TEST(PseudoAngle, AxesAndDiagonals) {
    struct Case {
        float x, y, angle, distance;
    } const cases[] = {
        {0, 1, 0.0f, 1.0f},          {1, 0, 1.5708f, 1.0f},
        {-1, 0, -1.5708f, 1.0f},     {0, -1, 0.0f, 1.0f},
        {1, 1, 0.785380f, 1.3333f},  {-1, 1, -0.785380f, 1.3333f},
        {1, -1, 2.356180f, 1.3333f}, {-1, -1, -2.356180f, 1.3333f},
        {4, 4, 0.785380f, 5.3332f},  {0, -3, 0.0f, 3.0f},
        {0, 0, 0.0f, 0.0f},          {0.5f, 2, 0.241663f, 2.166650f},
    };
    for (Case const& c : cases) {
        float d = -1.0f, inverse = -1.0f;
        EXPECT_NEAR(vectToAngleAndDist(c.x, c.y, d), c.angle, 1e-5f) << c.x << "," << c.y;
        EXPECT_NEAR(d, c.distance, 1e-5f) << c.x << "," << c.y;
        EXPECT_NEAR(vectToAngleAndInvDist(c.x, c.y, inverse), c.angle, 1e-5f) << c.x << "," << c.y;
        EXPECT_NEAR(inverse, c.distance > 0 ? 1.0f / c.distance : 0.0f, 1e-5f) << c.x << "," << c.y;
    }
}

// Either side of each border between sectors the heading agrees.
TEST(PseudoAngle, ContinuousAcrossSectorBorders) {
    const float e = 1e-4f;
    struct Case {
        float x0, y0, x1, y1;
    } const borders[] = {
        {1, 1 + e, 1, 1 - e},     // ahead / right
        {-1, 1 + e, -1, 1 - e},   // ahead / left
        {1, -1 + e, 1, -1 - e},   // right / behind
        {-1, -1 + e, -1, -1 - e}, // left / behind
    };
    for (Case const& b : borders) {
        float d0, d1;
        float a0 = vectToAngleAndDist(b.x0, b.y0, d0), a1 = vectToAngleAndDist(b.x1, b.y1, d1);
        EXPECT_NEAR(a0, a1, 1e-3f) << b.x0 << "," << b.y0;
        EXPECT_NEAR(d0, d1, 1e-3f) << b.x0 << "," << b.y0;
    }
    // Straight behind is the one place it jumps: from near +pi to 0 to near -pi.
    float d;
    EXPECT_GT(vectToAngleAndDist(1e-3f, -1, d), 3.0f);
    EXPECT_LT(vectToAngleAndDist(-1e-3f, -1, d), -3.0f);
}

} // namespace
