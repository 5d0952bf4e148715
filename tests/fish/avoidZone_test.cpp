// The avoid zone's answers: unchanged turns, the nearest way out of one rectangle with its
// tie order, chains of overlapping rectangles, and the count limit.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "fish/avoidZone.h"

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

struct Case {
    char const* what;
    std::vector<Crect> rects;
    float x, y;
    Answer want;
};

class AvoidZoneCases : public ::testing::TestWithParam<Case> {};

TEST_P(AvoidZoneCases, Answers) {
    Case const& c = GetParam();
    auto zone = std::make_unique<CavoidZone>();
    for (Crect const& r : c.rects)
        zone->addAvoidRect(r);
    Answer got = ask(*zone, c.x, c.y);
    EXPECT_EQ(got.result, c.want.result) << c.what;
    EXPECT_FLOAT_EQ(got.x, c.want.x) << c.what;
    EXPECT_FLOAT_EQ(got.y, c.want.y) << c.what;
    EXPECT_EQ(got.candidate, c.want.candidate) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Zones, AvoidZoneCases,
    ::testing::Values(
        Case{"empty", {}, 0.3f, -0.2f, {0, 0.3f, -0.2f, 0}},
        Case{"far only", {Crect(2.0f, 3.0f, -1, 1), Crect(-1, 1, -4, -1.6f)}, 0.1f, 0.0f, {0, 0.1f, 0.0f, 0}},
        Case{"near, none holding", {Crect(0.2f, 0.5f, -1, 1)}, 0.1f, 0.0f, {0, 0.1f, 0.0f, 0}},
        Case{"a gap of 1000 is not inside", {Crect(1500, 1600, -1, 1)}, 0.0f, 0.0f, {0, 0.0f, 0.0f, 0}},
        Case{"smallest turn, not smallest move",
             {Crect(-0.1f, 0.2f, -0.3f, 0.3f)},
             0.15f,
             0.0f,
             {1, -0.1f, 0.0f, 0}},
        Case{
            "left wins a tie with right", {Crect(-0.2f, 0.2f, -0.3f, 0.3f)}, 0.0f, 0.0f, {1, -0.2f, 0.0f, 0}},
        Case{"right wins a tie with down", {Crect(-0.3f, 0.2f, -0.2f, 0.3f)}, 0.0f, 0.0f, {1, 0.2f, 0.0f, 1}},
        Case{"down wins a tie with up", {Crect(-0.5f, 0.5f, -0.2f, 0.2f)}, 0.0f, 0.0f, {1, 0.0f, -0.2f, 2}},
        Case{"up", {Crect(-0.5f, 0.5f, -0.3f, 0.1f)}, 0.0f, 0.05f, {1, 0.0f, 0.1f, 3}},
        Case{"two holding: the union's edges",
             {Crect(-0.2f, 0.1f, -0.5f, 0.5f), Crect(-0.1f, 0.4f, -0.5f, 0.5f)},
             0.0f,
             0.0f,
             {1, -0.2f, 0.0f, 0}},
        // The left way out lands in a second rectangle and is carried across it, so right wins.
        Case{"pushed on across an overlap",
             {Crect(-0.2f, 0.3f, -0.3f, 0.3f), Crect(-0.5f, -0.15f, -0.1f, 0.1f)},
             -0.05f,
             0.0f,
             {1, 0.3f, 0.0f, 1}}));

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

} // namespace
