// The crab's body over the staged resources: a long walk on planted feet, the start place,
// the leg step rule, the body's height, and the drawn geometry with its lighting.
#include <algorithm>
#include <cmath>

#include "crabTestSupport.h"
#include "graphics/workObject.h"
#include "things/limbSolver.h"

namespace {

class CrabBody : public CrabTank {
  protected:
    void crabFrame(Ccrab* crab) {
        tank->updateProximities();
        crab->updateThing(++frameNumber, 0.0f);
        if (crab->shadowThing) crab->shadowThing->updateThing(frameNumber, 0.0f);
    }
};

// Ten minutes of tank time (30 behaviour frames a second): a foot that stood at the end of
// one frame does not slide in the next (the frame it is lifted in included), the body stays
// over the floor and on its walkable part, and nothing turns NaN. Alone, and fed: six pieces
// of food dropped over it every 30 s, and a fish come down to it every 5 s that it chases.
struct CwalkCase {
    char const* name;
    bool fed;
    int activities; // each seen at least once
};
class CrabWalk : public CrabBody, public ::testing::WithParamInterface<CwalkCase> {};

TEST_P(CrabWalk, TenMinutesOnPlantedFeet) {
    CwalkCase const& c = GetParam();
    Ccrab* crab = addCrab();
    ASSERT_NE(crab, nullptr) << reasons();
    Cfish* fish = nullptr;
    if (c.fed) {
        crab->mood = 1.0f;
        ASSERT_EQ(script(":addThing species/neon_tetra"), 0);
        fish = newest<Cfish>();
    }
    crabFrame(crab);
    Cvector planted[kCrabLegs];
    bool wasDown[kCrabLegs] = {};
    float worstSlide = 0.0f, lowest = 1e9f, travelled = 0.0f;
    int steps = 0, activitiesSeen = 0;
    Cvector last = crab->pos;
    Cmatrix3 still;
    still.identity();
    for (int f = 0; f < 10 * 60 * 30; f++) {
        if (fish && f % 900 == 0) tank->addFood(crab->pos + Cvector(0.0f, 0.8f, 0.0f), 6);
        if (fish && f % 150 == 0)
            fish->translateAndRotate(crab->pos + crab->heading().side * (f % 300 ? 0.8f : -0.8f) +
                                         Cvector(0.0f, 0.3f, 0.0f) - fish->vertex[0],
                                     still);
        tank->updateProximities();
        frame();
        // The whole frame road now and then: geometry, lighting and the shadow's.
        if (f % 97 == 0) {
            ASSERT_NE(crab->getFinalGeometry(), nullptr);
            ASSERT_NE(crab->shadowThing->getFinalGeometry(), nullptr);
        }
        activitiesSeen |= 1 << crab->activity;
        ASSERT_TRUE(finite(crab->pos) && finite(crab->bodyPos)) << "frame " << f;
        ASSERT_TRUE(std::fabs(crab->pos.x) < 3.4f && crab->pos.z > -2.4f && crab->pos.z < 1.2f)
            << "left the tank at frame " << f << ": " << crab->pos.x << " " << crab->pos.z;
        float floor = 0.0f;
        ASSERT_TRUE(tank->groundHeightAt(crab->pos.x, crab->pos.z, floor));
        lowest = std::min(lowest, crab->pos.y - floor);
        travelled += (crab->pos - last).length();
        last = crab->pos;
        for (int i = 0; i < kCrabLegs; i++) {
            CcrabLeg const& leg = crab->legs[i];
            ASSERT_TRUE(finite(leg.foot)) << "leg " << i << " frame " << f;
            bool down = leg.footCycle.idle();
            if (wasDown[i])
                worstSlide = std::max(worstSlide, (leg.foot - planted[i]).length() / leg.legLength);
            if (!down && wasDown[i]) steps++;
            planted[i] = leg.foot;
            wasDown[i] = down;
        }
    }
    EXPECT_LT(worstSlide, 0.01f) << "a planted foot slid";
    EXPECT_GT(lowest, 0.05f) << "the body touched the floor";
    EXPECT_GT(travelled, 5.0f) << "the crab hardly walked";
    EXPECT_GT(steps, 500);
    EXPECT_EQ(activitiesSeen & c.activities, c.activities) << "an activity never happened";
    EXPECT_TRUE(exitReasonList.empty()) << reasons();
}

INSTANTIATE_TEST_SUITE_P(
    Walks, CrabWalk,
    ::testing::Values(CwalkCase{"alone", false,
                                1 << Ccrab::GRAZING | 1 << Ccrab::MOVING | 1 << Ccrab::PAUSE |
                                    1 << Ccrab::SHIFT_TO_NEXT_GRAZE_POINT},
                      CwalkCase{"fed", true, 1 << Ccrab::GRAZING | 1 << Ccrab::MOVING | 1 << Ccrab::CHASING}),
    [](auto const& info) { return std::string(info.param.name); });

TEST_F(CrabBody, StartsAtTheTanksPlaceWhenPlacedOffItsFloor) {
    struct Case {
        char const* name;
        Cvector at;
        bool moved;
    } const cases[] = {{"under the boulder", {-1.9f, -1.5f, -1.2f}, true},
                       {"outside the water", {5.0f, -1.5f, 0.0f}, true},
                       {"open sand", {-0.8f, -1.5f, 0.2f}, false}};
    for (Case const& c : cases) {
        char block[120];
        std::snprintf(block, sizeof block, "{ :set thingScale 0.5 :set pos %g %g %g }", c.at.x, c.at.y,
                      c.at.z);
        Ccrab* crab = addCrab(block);
        ASSERT_NE(crab, nullptr) << c.name << ": " << reasons();
        crabFrame(crab);
        Cvector expected = c.moved ? Cvector(0.6f, 0.0f, -0.3f) : c.at;
        EXPECT_NEAR(crab->prevPos.x, expected.x, 1e-4f) << c.name;
        EXPECT_NEAR(crab->prevPos.z, expected.z, 1e-4f) << c.name;
        float floor = 0.0f;
        ASSERT_TRUE(tank->groundHeightAt(crab->prevPos.x, crab->prevPos.z, floor));
        EXPECT_NEAR(crab->prevPos.y - floor, 0.25f * 0.5f, 0.03f) << c.name << ": the body rides on its legs";
        dropThing(crab);
    }
}

// Standing still, a foot steps only when its anchor lies well forward or back of it and the
// leg is still bent; a leg pulled straight waits for the phase, unless its foot lies beyond
// the leg's reach.
TEST_F(CrabBody, StandingFeetStepOnlyForALargeDrift) {
    struct Case {
        float forward, outward; // the foot's place from its anchor, in segment lengths
        float reach;            // when set: moved along the leg to this far from the hip
        bool steps;
    } const cases[] = {{0.0f, 0.0f, 0.0f, false},
                       {0.5f, 0.0f, 0.0f, false},
                       {-0.5f, 0.0f, 0.0f, false},
                       {1.45f, 0.0f, 0.0f, true},
                       {-1.45f, 0.0f, 0.0f, true},
                       {1.8f, 0.8f, 1.88f, false},
                       // Beyond the leg's reach the solver would drag the foot: it steps.
                       {1.45f, 1.0f, 2.2f, true}};
    for (Case const& c : cases) {
        Ccrab* crab = addCrab();
        ASSERT_NE(crab, nullptr) << reasons();
        for (int i = 0; i < 10; i++)
            crabFrame(crab);
        // Standing: no walk, no twist or lift, every foot down.
        for (CanimValue* v : {crab->bodyTwist, crab->bodyLift}) {
            v->clearFuture();
            v->active = 0;
            v->ownValue = 0.0f;
        }
        for (int i = 0; i < 30; i++) {
            crab->activity = Ccrab::PAUSE;
            crab->activityTimer = 100;
            crab->gotoTarget.x = Ccrab::kNoWalk;
            crabFrame(crab);
        }
        for (CcrabLeg const& leg : crab->legs)
            ASSERT_TRUE(leg.footCycle.idle());
        CcrabLeg& leg = crab->legs[1];
        Cvector anchor = crab->jointCentre(kCrabFirstAnchor + 1);
        Cmatrix3 const& m = crab->heading();
        crab->step = 0.0f;
        leg.legPhase = 0.0f;
        leg.foot = anchor + m.forward * (c.forward * leg.legLength) + m.side * (c.outward * leg.legLength);
        if (c.reach > 0.0f) {
            Cvector hip = crab->jointCentre(leg.chainJoint), along = leg.foot - hip;
            along.normalize();
            leg.foot = hip + along * (c.reach * leg.legLength);
        }
        crab->moveLegs();
        EXPECT_EQ(!leg.footCycle.idle(), c.steps) << c.forward << " " << c.outward;
        for (int i : {0, 2, 3, 4, 5, 6, 7})
            EXPECT_TRUE(crab->legs[i].footCycle.idle()) << c.forward << " leg " << i;
        dropThing(crab);
    }
}

TEST_F(CrabBody, BodyFollowsTheFloorByAtMostALittleAFrame) {
    Ccrab* crab = addCrab();
    ASSERT_NE(crab, nullptr) << reasons();
    for (int i = 0; i < 5; i++)
        crabFrame(crab);
    float limit = 0.05f * crab->thingScale;
    for (float jump : {0.6f, -0.6f}) {
        crab->pos.y += jump;
        float before = crab->pos.y;
        crabFrame(crab);
        EXPECT_NEAR(crab->pos.y - before, jump > 0 ? -limit : limit, 1e-5f) << jump;
        float settled = crab->pos.y;
        for (int i = 0; i < 30; i++)
            crabFrame(crab);
        float floor = 0.0f;
        ASSERT_TRUE(tank->groundHeightAt(crab->pos.x, crab->pos.z, floor));
        EXPECT_NE(crab->pos.y, settled);
        EXPECT_NEAR(crab->pos.y - floor, 0.25f * crab->thingScale, 0.03f) << jump;
    }
}

// What is drawn: skinned points where the crab is, coloured by the floor's light and the
// moving caustics, its legs reaching down to its feet; the shadow on the sand.
TEST_F(CrabBody, DrawnCrabAndShadowLieWhereTheCrabIs) {
    Ccrab* crab = addCrab();
    ASSERT_NE(crab, nullptr) << reasons();
    std::vector<float> firstColours;
    for (int f = 0; f < 40; f++) {
        crabFrame(crab);
        CworkObject* work = crab->getFinalGeometry();
        ASSERT_NE(work, nullptr);
        CworkObject* shadow = crab->shadowThing->getFinalGeometry();
        ASSERT_NE(shadow, nullptr);
        if (f != 0 && f != 39) continue;
        int buffer = work->curGeo == &work->workGeo[1] ? 1 : 0;
        float const* colours = work->workGeo[buffer].pointData() + work->colorOffset * work->numPoints;
        float lowest = 1e9f, farthest = 0.0f;
        for (int p = 0; p < work->numPoints; p++) {
            float const* at = work->pointPosition(buffer, p);
            Cvector v(at[0], at[1], at[2]);
            ASSERT_TRUE(finite(v)) << p;
            lowest = std::min(lowest, v.y);
            farthest = std::max(farthest, (v - crab->pos).length());
            for (int k = 0; k < 3; k++) {
                float c = colours[p * work->colorSize + k];
                ASSERT_TRUE(c >= 0.0f && c < 2.0f) << "colour of point " << p;
            }
        }
        float floor = 0.0f;
        ASSERT_TRUE(tank->groundHeightAt(crab->pos.x, crab->pos.z, floor));
        EXPECT_NEAR(lowest, floor, 0.06f) << "the feet stand on the sand";
        EXPECT_LT(farthest, 0.6f) << "a part of the crab is far from its body";
        if (f == 0) {
            firstColours.assign(colours, colours + work->numPoints * work->colorSize);
        } else {
            float change = 0.0f;
            for (size_t i = 0; i < firstColours.size(); i++)
                change = std::max(change, std::fabs(colours[i] - firstColours[i]));
            EXPECT_GT(change, 0.01f) << "the caustics do not move";
        }
        int sb = shadow->curGeo == &shadow->workGeo[1] ? 1 : 0;
        for (int p = 0; p < shadow->numPoints; p++) {
            float const* at = shadow->pointPosition(sb, p);
            float sand = 0.0f;
            ASSERT_TRUE(tank->groundHeightAt(at[0], at[2], sand));
            EXPECT_NEAR(at[1], sand, 0.06f) << "shadow point " << p << " off the sand";
            EXPECT_LT((Cvector(at[0], 0, at[2]) - Cvector(crab->pos.x, 0, crab->pos.z)).length(), 0.6f) << p;
        }
    }
    EXPECT_TRUE(exitReasonList.empty()) << reasons();
}

} // namespace
