// The walking pieces a crab is made of: the two-segment limb solvers, the foot's step and the
// crab's shadow.
#include <cmath>

#include "things/crabFootAnimCycle.h"
#include "things/crabShadow.h"
#include "things/limbSolver.h"
#include "thingTestSupport.h"

namespace {

bool orthonormal(Cmatrix3 const& m) {
    auto unit = [](Cvector const& v) { return std::fabs(v.length() - 1.0f) < 1e-4f; };
    return unit(m.side) && unit(m.up) && unit(m.forward) && std::fabs(m.side.dot(m.up)) < 1e-4f &&
           std::fabs(m.side.dot(m.forward)) < 1e-4f && std::fabs(m.up.dot(m.forward)) < 1e-4f;
}

TEST(LimbSolver, LegReachBendAndFrames) {
    struct Case {
        char const* name;
        Cvector foot;
        float expectedRatio; // h / L
        float reachedDistance;
    } const cases[] = {
        {"bent", {1.2f, -0.8f, 0.0f}, std::sqrt(1.0f - 0.52f), std::sqrt(2.08f)},
        {"straight", {2.0f, 0.0f, 0.0f}, std::sqrt(1.0f - 0.9025f), 1.9f}, // pulled in to 1.9 L
        {"far away", {0.0f, -10.0f, 0.0f}, std::sqrt(1.0f - 0.9025f), 1.9f},
        {"folded", {0.0f, 0.0f, -0.5f}, std::sqrt(1.0f - 0.0625f), 0.5f},
    };
    Cvector hip(0.0f, 0.0f, 0.0f), camera(0.0f, 0.0f, 10.0f), hint(0.0f, 1.0f, 0.0f);
    for (Case const& c : cases) {
        Cvector foot = c.foot;
        Cmatrix3 upper, lower;
        float r = inverseKinematicsMatrices2(hip, foot, hint, upper, lower, camera, 1.0f);
        EXPECT_NEAR(r, c.expectedRatio, 1e-4f) << c.name;
        EXPECT_NEAR((foot - hip).length(), c.reachedDistance, 1e-4f) << c.name;
        // The foot keeps its direction from the hip when pulled in.
        Cvector d = c.foot;
        d.normalize();
        Cvector got = foot - hip;
        got.normalize();
        EXPECT_NEAR(d.dot(got), 1.0f, 1e-5f) << c.name;
        // Both segments one length, knee to the hint's side, joined at the knee.
        Cvector knee = hip + upper.side;
        EXPECT_NEAR(upper.side.length(), 1.0f, 1e-4f) << c.name;
        EXPECT_NEAR(((knee + lower.side) - foot).length(), 0.0f, 1e-4f) << c.name;
        Cvector mid = (hip + foot) * 0.5f;
        EXPECT_GE((knee - mid).dot(hint), -1e-5f) << c.name;
        EXPECT_TRUE(orthonormal(upper) && orthonormal(lower)) << c.name;
        // The segments' second rows stand across the view from the camera.
        EXPECT_NEAR(upper.up.dot(camera - hip), 0.0f, 1e-3f) << c.name;
    }
    Cvector foot(1.0f, 0.0f, 0.0f);
    Cmatrix3 upper, lower;
    upper.identity();
    EXPECT_EQ(inverseKinematicsMatrices2(hip, foot, hint, upper, lower, camera, 0.0f), 0.0f);
    EXPECT_EQ(upper.side.x, 1.0f) << "a limb without length is left alone";
}

TEST(LimbSolver, ArmStretchesWithoutLimit) {
    struct Case {
        Cvector target;
        float ratio;
    } const cases[] = {{{1.0f, 0.0f, 0.0f}, std::sqrt(1.0f - 0.25f)}, {{3.0f, 0.0f, 0.0f}, 0.0f}};
    for (Case const& c : cases) {
        Cmatrix3 upper, lower;
        Cvector base;
        float r = inverseKinematicsMatrices(base, c.target, Cvector(0.0f, 1.0f, 0.0f), upper, lower, 1.0f);
        EXPECT_NEAR(r, c.ratio, 1e-5f) << c.target.x;
        Cvector knee = base + upper.side;
        EXPECT_NEAR((knee + lower.side - c.target).length(), 0.0f, 1e-4f) << "the hand reaches its target";
        EXPECT_GE(knee.y, -1e-6f) << "the knee bends towards the hint";
        // The bend axis is the third row of both.
        EXPECT_NEAR(std::fabs(upper.forward.z), 1.0f, 1e-5f);
        EXPECT_NEAR(upper.forward.dot(lower.forward), 1.0f, 1e-5f);
        EXPECT_NEAR(upper.up.dot(upper.side), 0.0f, 1e-5f);
    }
}

TEST(CrabFootStep, GlidesOnAnArcAndFinishes) {
    struct Case {
        float rate;
        int frames;
    } const cases[] = {{0.1f, 10}, {0.2f, 5}};
    for (Case const& c : cases) {
        CdirectoryVar cycles;
        CanimCycleOwner owner;
        owner.setAnimCycleDirectory(&cycles);
        CcrabFootAnimCycle step;
        Cvector foot(1.0f, 0.0f, 0.0f);
        ScriptedThing crab;
        step.initAnimCycle(&crab, 0, 0.0f);
        EXPECT_FALSE(step.idle());
        step.foot = &foot;
        step.rate = c.rate;
        step.start = foot;
        step.delta = Cvector(0.0f, 0.0f, 1.0f);
        owner.addAnimCycle(&step);
        int frames = 0;
        float highest = 0.0f;
        while (!step.idle() && frames < 50) {
            owner.doAnimCycles(frames);
            frames++;
            highest = std::max(highest, foot.y);
            if (c.rate == 0.1f && frames == 5) {
                EXPECT_NEAR(foot.z, 0.5f, 1e-4f);
                EXPECT_NEAR(foot.y, 0.05f, 1e-4f) << "the foot lifts at mid-step";
            }
        }
        EXPECT_EQ(frames, c.frames) << c.rate;
        EXPECT_NEAR(foot.z, 1.0f, 1e-4f);
        EXPECT_NEAR(foot.y, 0.0f, 1e-4f) << "it lands";
        EXPECT_EQ(cycles.firstChild, nullptr) << "the finished step leaves the cycle list";
        EXPECT_EQ(step.progress, 0.0f);
    }
}

// A crab as its shadow sees it: a heading, a position and eight feet.
class FakeCrab : public ScriptedThing, public CcrabShadowSource {
  public:
    FakeCrab() : ScriptedThing("crab") {
        heading.identity();
        for (int i = 0; i < 8; i++)
            feet[i] = Cvector(float(i), 0.0f, 1.0f);
    }
    int whatAmI() override { return WHAT_CRAB; }
    Cvector* shadowBodyPosition() override { return &pos; }
    Cmatrix3* shadowHeadingMatrices() override { return &heading; }
    Cvector* shadowFoot(int leg) override { return &feet[leg]; }
    Cvector pos{1.0f, 2.0f, 3.0f};
    Cmatrix3 heading;
    Cvector feet[8];
};

class ShadowSources : public CframeSources {
  public:
    Cvector camPos() override { return camera; }
    Cvector camera;
};

// A tank with a sloping floor (y = 0.1 x) and a camera.
class FloorTank : public TestTank {
  public:
    bool groundHeightAt(float x, float, float& h) override { return h = 0.1f * x, true; }
    CframeSources* frameSources() override { return &sources; }
    ShadowSources sources;
};

class CrabShadowTest : public ThingTest {
  protected:
    CcrabShadow* shadowIn(CtankServices& t, TestSpecies& s) {
        auto* shadow = new CcrabShadow;
        shadow->species = &s;
        shadow->setToTank(&t);
        record(*shadow);
        return shadow;
    }
    FloorTank floorTank;
};

TEST_F(CrabShadowTest, AttachesOnlyToACrabOnce) {
    TestSpecies& nine = newSpecies(CcrabShadow::kShadowJoints);
    TestSpecies& five = newSpecies(5);
    ScriptedThing fish("fish");
    FakeCrab crab, other;
    struct Case {
        char const* name;
        TestSpecies* species;
        Cthing* master;
        bool twice;
        char const* message;
    } const cases[] = {
        {"a crab", &nine, &crab, false, nullptr},
        {"not a crab", &nine, &fish, false, "master is not a crab!"},
        {"no master", &nine, nullptr, false, "master is not a crab!"},
        {"a second crab", &nine, &crab, true, "crab shadow has no crab is already initialized"},
        {"too few joints", &five, &crab, false, "crab shadow model needs a body joint and eight foot joints"},
    };
    for (Case const& c : cases) {
        resetExitState();
        CcrabShadow* shadow = make<CcrabShadow>(c.species);
        int result = shadow->attachThing(c.master, ATTACH_SHADOW);
        if (c.twice) result = shadow->attachThing(&other, ATTACH_SHADOW);
        EXPECT_EQ(result, c.message ? 1 : 0) << c.name;
        EXPECT_EQ(c.message ? hasReason(c.message) : exitReasonList.empty(), true) << c.name;
        if (c.message == nullptr) {
            EXPECT_TRUE(shadow->initialized);
            EXPECT_EQ(crab.shadowThing, shadow);
            EXPECT_TRUE(boundTo(*shadow, 0, &shadow->shadowPoints[0], &shadow->shadowMatrices[0]));
            EXPECT_EQ(shadow->sourcePoints[0], &crab.pos);
            for (int leg = 0; leg < 8; leg++)
                EXPECT_EQ(shadow->sourcePoints[leg + 1], &crab.feet[leg]);
        }
        if (c.twice) EXPECT_EQ(other.shadowThing, nullptr) << "the refused crab keeps no shadow";
        if (c.master == &fish) EXPECT_EQ(fish.shadowThing, nullptr);
        crab.shadowThing = nullptr;
        dropThing(shadow);
    }
}

TEST_F(CrabShadowTest, FollowsTheCrabAndLiesOnTheFloorTowardsTheCamera) {
    TestSpecies& nine = newSpecies(CcrabShadow::kShadowJoints);
    auto* crab = new FakeCrab;
    crab->setToTank(&floorTank);
    crab->heading.setYrotation(0.5f);
    crab->heading.forward *= 2.0f; // not unit: the feet's frames take it normalised
    CcrabShadow* shadow = shadowIn(floorTank, nine);
    ASSERT_EQ(shadow->attachThing(crab, ATTACH_SHADOW), 0);
    ASSERT_EQ(shadow->tank, &floorTank);
    givePoints(*shadow->workObject, 3, false);
    shadow->goFish(1);
    EXPECT_FLOAT_EQ(shadow->shadowPoints[0].z, 3.0f);
    for (int k = 1; k < 9; k++) {
        Cmatrix3 const& m = shadow->shadowMatrices[k];
        EXPECT_NEAR(m.forward.x, std::sin(0.5f), 1e-5f);
        EXPECT_EQ(m.up.y, 1.0f);
        EXPECT_NEAR(m.side.dot(m.forward), 0.0f, 1e-6f);
        EXPECT_FLOAT_EQ(shadow->shadowPoints[k].x, float(k - 1));
    }
    struct Case {
        char const* name;
        Cvector camera;
        Cvector offset; // expected move after the floor, scale 1
    } const cases[] = {
        {"camera in front", {1.0f, 2.0f, 13.0f}, {0.0f, 0.0f, 0.3f}},
        {"camera above", {1.0f, 12.0f, 3.0f}, {0.0f, 0.3f, 0.0f}},
        {"camera at the crab", {1.0f, 2.0f, 3.0f}, {0.0f, 0.0f, 0.0f}},
    };
    for (Case const& c : cases) {
        floorTank.sources.camera = c.camera;
        CworkObject& w = *shadow->workObject;
        w.curGeo = &w.workGeo[0];
        for (int p = 0; p < 3; p++) {
            float* at = w.pointPosition(0, p);
            at[0] = float(p), at[1] = 5.0f, at[2] = 1.0f;
        }
        shadow->postDeformProcessing(w);
        for (int p = 0; p < 3; p++) {
            float const* at = w.pointPosition(0, p);
            EXPECT_NEAR(at[0], float(p) + c.offset.x, 1e-5f) << c.name;
            EXPECT_NEAR(at[1], 0.1f * float(p) + c.offset.y, 1e-5f) << c.name;
            EXPECT_NEAR(at[2], 1.0f + c.offset.z, 1e-5f) << c.name;
        }
    }
    dropThing(crab); // and its shadow with it
}

} // namespace
