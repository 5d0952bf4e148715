// Schools: how tanks make them, the order and delays of their cues, members coming and
// going, and the line a saved tank keeps; their wander points: bouncing off the walls and
// the step counts of findNextPoint.
#include <sstream>

#include "fish/fishSchool.h"
#include "fish/fishTestSupport.h"
#include "fish/schoolWander.h"
#include "script/noiseTestSupport.h"
#include "script/scripter.h"
#include "support/vectorExpect.h"
#include "variables/thingMessage.h"
#include "world/tank.h"
#include "world/tankSchools.h"

namespace {

class SchoolTest : public FishTest {
  protected:
    void SetUp() override {
        FishTest::SetUp();
        writeNoiseFile(0.0f); // each school's wander stays at its middle value
        installFishSchools();
    }
    void TearDown() override {
        FishTest::TearDown();
        tankSchoolAccess = nullptr;
    }
    CspeciesSchooling* school(Ctank& t, char const* name) {
        return dynamic_cast<CspeciesSchooling*>(t.addSchool(name));
    }
    KnownNoise still{[](int) { return 0.0f; }}; // the school point stays in the middle of the volume
};

TEST_F(SchoolTest, TanksMakeSchoolsNewestFirstAlongTheNoise) {
    auto* t = new Ctank(nullptr);
    root.addVariable(t, 1);
    struct {
        char const* name;
        float setNoise; // given to the new school afterwards; -1 keeps it
        float noise;    // what the new school starts with
    } const steps[] = {{"reef", 45.0f, 0.0f}, {"kelp", -1.0f, 6.0f}, {"cave", -1.0f, 17.0f}};
    for (auto const& s : steps) {
        CspeciesSchooling* made = school(*t, s.name);
        ASSERT_NE(made, nullptr) << s.name;
        EXPECT_FLOAT_EQ(made->noisePosition, s.noise) << s.name;
        EXPECT_EQ(t->schoolManager->firstChild, made) << s.name;
        if (s.setNoise >= 0.0f) made->noisePosition = s.setNoise;
    }
    EXPECT_EQ(school(*t, "kelp"), t->schoolManager->firstChild->nextSibling);
    EXPECT_EQ(t->schoolManager->countChildren(), 3);
    // A saved tank makes its schools again with this line.
    std::ostringstream text;
    school(*t, "reef")->writeConfigString(text);
    EXPECT_EQ(text.str(), ":addSchool reef");
    EXPECT_EQ(runStringScript(t, ":addSchool lagoon"), 0);
    EXPECT_NE(dynamic_cast<CspeciesSchooling*>(t->schoolManager->getChild("lagoon")), nullptr);
    EXPECT_TRUE(exitReasonList.empty());
}

TEST_F(SchoolTest, MembersAreCuedNearestFirstWithGrowingDelays) {
    CspeciesSchooling s("reef", tank);
    expectNear(s.schoolPoint, 0.5f, 0.5f, 0.5f);
    // An empty school changes nothing, not even its counter.
    s.updateSchooling();
    EXPECT_EQ(s.frameCounter, 60);
    EXPECT_FLOAT_EQ(s.noisePosition, 0.0f);

    float const distances[] = {5.0f, 1.0f, 3.0f};
    Cfish* fish[3];
    for (int i = 0; i < 3; i++) {
        // The head at the distance, the middle a little nearer: the order is the same.
        fish[i] = makeFish(Cvector(0.5f, 0.5f, 0.5f + distances[i]));
        s.addFish(*fish[i]);
        EXPECT_EQ(fish[i]->mySchool, &s);
    }
    ASSERT_EQ(s.members.size(), 3u);
    s.updateSchooling();
    EXPECT_EQ(s.frameCounter, 0);
    // The spread is (0 x 10 + 8) x the wander's middle value 0.5.
    int const delays[] = {8, 0, 4};
    for (int i = 0; i < 3; i++) {
        ASSERT_EQ(fish[i]->numMessages(), 2) << i;
        int const codes[] = {MESSAGE_JOIN_SCHOOL, MESSAGE_SCHOOL_POINT};
        for (int m = 0; m < 2; m++) {
            CthingMessage const& r = fish[i]->record(m);
            EXPECT_EQ(r.code, codes[m]) << i;
            EXPECT_EQ(r.delay, delays[i]) << i;
            EXPECT_FLOAT_EQ(r.floatValue, s.arriveDistance) << i;
        }
    }
    // The next cue waits for the new period.
    s.updateSchooling();
    EXPECT_EQ(s.frameCounter, 1);
    EXPECT_EQ(fish[0]->numMessages(), 2);

    deleteVariable(fish[1]);
    EXPECT_EQ(s.members.size(), 2u);
}

TEST_F(SchoolTest, AFishForgetsADeletedSchool) {
    auto* s = new CspeciesSchooling("reef", tank);
    tank->addVariable(s, 1);
    Cfish* fish = makeFish();
    s->addFish(*fish);
    ASSERT_EQ(fish->mySchool, s);
    deleteVariable(s);
    EXPECT_EQ(fish->mySchool, nullptr);
}

// Walls of the box [-1, 1] on every axis, their normals made unit length.
void boxWalls(CschoolWanderMaster& m) {
    for (int axis = 0; axis < 3; axis++)
        for (int s = 0; s < 2; s++) {
            Cvector p, n;
            (&p.x)[axis] = s ? 1.0f : -1.0f;
            (&n.x)[axis] = s ? -2.0f : 2.0f;
            m.addOutsidePlane(2 * axis + s, p, n);
        }
}

TEST(SchoolWander, PointsOutsideReturnToTheWall) {
    KnownNoise noise([](int) { return 0.5f; }); // the direction keeps an upward lift of 0.15
    CschoolWanderMaster walls;
    boxWalls(walls);
    struct Case {
        Cvector from, direction;
        int axis;
        float wall;
    } const cases[] = {
        {Cvector(-3, 0, 0), Cvector(-1, 0, 0), 0, -1}, {Cvector(3, 0, 0), Cvector(1, 0, 0), 0, 1},
        {Cvector(0, -3, 0), Cvector(0, 0, 1), 1, -1},  {Cvector(0, 3, 0), Cvector(0, 0, 1), 1, 1},
        {Cvector(0, 0, -3), Cvector(0, 0, -1), 2, -1}, {Cvector(0, 0, 3), Cvector(0, 0, 1), 2, 1},
    };
    for (Case const& c : cases) {
        CschoolWanderPoint w;
        w.master = &walls;
        w.position = c.from;
        w.direction = c.direction;
        w.step(0.1f);
        EXPECT_FLOAT_EQ((&w.position.x)[c.axis], c.wall) << c.axis << " " << c.wall;
        float before = c.axis == 1 ? 1.0f : (&c.direction.x)[c.axis]; // y is lifted before the move
        EXPECT_LT((&w.direction.x)[c.axis] * before, 0.0f) << c.axis << " " << c.wall;
    }
    EXPECT_FLOAT_EQ(walls.walls[1].n.x, -1.0f);
}

TEST(SchoolWander, FindNextPointStepCounts) {
    KnownNoise noise([](int) { return 0.0f; }); // straight along z, level
    CschoolWanderMaster box;
    boxWalls(box);
    struct Case {
        float distance;
        int maxSteps;
        bool walled;
        int steps;
        float moved;
    } const cases[] = {
        {10, 20, false, 11, 11}, // steps of 1, the first beyond 10
        {5, 4, false, 3, 7.5f},  // steps of 2.5: 5 is not farther than 5
        {10, 20, true, 20, 1},   // the box never lets it get that far
        {10, 0, false, 0, 0},
    };
    for (Case const& c : cases) {
        CschoolWanderPoint w;
        w.master = c.walled ? &box : nullptr;
        EXPECT_EQ(w.findNextPoint(c.distance, c.maxSteps), c.steps) << c.distance << "/" << c.maxSteps;
        EXPECT_NEAR(w.position.length(), c.moved, 1e-4f) << c.distance << "/" << c.maxSteps;
    }
}

} // namespace
