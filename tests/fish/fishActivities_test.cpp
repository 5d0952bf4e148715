// The activity machine: changes of activity, the goal measurement, the messages, the
// usual cycle over frames, jams, flights, and a schooling tank kept inside its frustum.
#include <cmath>

#include "fish/fishSchool.h"
#include "fish/fishTestSupport.h"
#include "fish/schoolWander.h"
#include "support/frustum.h"
#include "variables/thingMessage.h"

namespace {

using enum Cfish::FISH_ACTIVITY;

class ActivityTest : public FishTest {
  protected:
    Cfish* fish() { return placeFish(new Cfish, Cvector(0, 2, 0)); }
    void frames(Cfish& f, int n, CspeciesSchooling* school = nullptr) {
        for (int i = 0; i < n; i++) {
            f.prepForCook();
            f.goFish(0);
            if (school) school->updateSchooling();
        }
    }
};

TEST_F(ActivityTest, NewActivityChangesCleansUpAndLocks) {
    struct {
        int from, a, next, lock, wantActivity, wantNext, wantSchoolCountdown, wantAvoidFrames;
    } const cases[] = {
        // The same activity is neither cleaned up nor restarted; its next one is replaced.
        {ACTIVITY_SCHOOL, ACTIVITY_SCHOOL, ACTIVITY_WANDER, 0, ACTIVITY_SCHOOL, ACTIVITY_WANDER, 0, 50},
        {ACTIVITY_WANDER, ACTIVITY_SCHOOL, ACTIVITY_NONE, 0, ACTIVITY_SCHOOL, ACTIVITY_NONE, 200, 50},
        // Leaving a flight stops the avoidance count.
        {ACTIVITY_CHASED, ACTIVITY_STOP, ACTIVITY_IDLE, 0, ACTIVITY_STOP, ACTIVITY_IDLE, 0, 0},
        {ACTIVITY_SCHOOL, ACTIVITY_NONE, ACTIVITY_SCHOOL, 0, ACTIVITY_IDLE, ACTIVITY_SCHOOL, 0, 50},
        {ACTIVITY_STOP, ACTIVITY_SCHOOL, ACTIVITY_WANDER, 1, ACTIVITY_STOP, ACTIVITY_NONE, 0, 50},
    };
    Cfish* f = fish();
    for (auto const& c : cases) {
        f->setActivityDirectly(c.from); // also lifts a lock left by the case before
        f->nextActivity = ACTIVITY_NONE;
        f->schoolCountdown = f->awayFlag = 0;
        f->avoidForFrames = 50;
        f->idleFrames = 5;
        f->activityLock = static_cast<uint8_t>(c.lock);
        f->newActivity(c.a, c.next);
        EXPECT_EQ(f->activity, c.wantActivity) << c.from << "->" << c.a;
        EXPECT_EQ(f->nextActivity, c.wantNext) << c.from << "->" << c.a;
        EXPECT_EQ(f->schoolCountdown, c.wantSchoolCountdown) << c.from << "->" << c.a;
        EXPECT_EQ(f->avoidForFrames, c.wantAvoidFrames) << c.from << "->" << c.a;
        EXPECT_EQ(f->idleFrames, c.wantActivity == ACTIVITY_IDLE ? -1 : 5) << c.from << "->" << c.a;
    }
    // A value that is no activity starts the fish over as idle instead of ending the program.
    f->setGotoPoint(Cvector(0, 2, 5), "ahead");
    f->setActivityDirectly(2);
    f->reachedGotoGoal();
    EXPECT_EQ(f->activity, ACTIVITY_IDLE);
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_STREQ(exitReasonList[0].c_str(), "unknown activity");
    resetExitState();
}

TEST_F(ActivityTest, TheDispatcherMeasuresTheGoal) {
    Cfish* f = fish();
    Cvector const mid = f->vertex[4], one = f->vertex[1];
    float const nan = std::nanf("");
    struct {
        Cvector goal;
        float zone, distance, heading;
        bool exitRecorded;
    } const cases[] = {
        {Cvector(0, 2, 5), 2, 5.0f - mid.z, 0.0f, false},
        {Cvector(3, 2, mid.z + 0.1f), 1, 3.0017f, 1.5375f, false},
        {Cvector(0, 2, -5), 0, mid.z + 5.0f, 3.1416f, false},
        // On the middle: measured again from vertex 1, which lies ahead of it.
        {mid, 0, (one - mid).length(), 3.1416f, false},
        // On vertex 1 as well: both lengths are floored.
        {one, 1, 0.00001f, 0.0f, false},
        {Cvector(nan, 2, 5), 0, 0.0f, 0.0f, true},
    };
    for (auto const& c : cases) {
        resetExitState();
        f->setActivityDirectly(ACTIVITY_TIGHT_JAM); // with ground checks off it only ends
        f->groundChecks = 0;
        Cvector goal = c.goal;
        f->setGotoPoint(&goal, "test");
        f->reachedGotoGoal();
        EXPECT_FALSE(std::isnan(f->headingChange + f->pitchChange)) << c.goal.x;
        EXPECT_NEAR(std::fabs(f->headingChange), c.heading, 0.001f) << c.goal.x << " " << c.goal.z;
        EXPECT_EQ(!exitReasonList.empty(), c.exitRecorded) << c.goal.x;
        if (c.exitRecorded) continue;
        EXPECT_FLOAT_EQ(f->goalZone, c.zone) << c.goal.x << " " << c.goal.z;
        EXPECT_FALSE(std::isnan(f->goalDirection.x + f->goalDirection.y + f->goalDirection.z)) << c.goal.z;
        EXPECT_NEAR(f->goalDistance, c.distance, 0.0005f) << c.goal.x << " " << c.goal.z;
    }
    resetExitState();
}

TEST_F(ActivityTest, MessagesByActivity) {
    struct {
        int activity, code;
        float value;
        int wantActivity;
        float wantArrive;
        bool exitRecorded;
    } const cases[] = {
        {ACTIVITY_IDLE, 6, 2.0f, ACTIVITY_SCHOOL, 10.0f, false},
        {ACTIVITY_WANDER, 6, 2.0f, ACTIVITY_WANDER, 7.0f, false},
        {ACTIVITY_SCHOOL, 5, 2.2f, ACTIVITY_SCHOOL, 2.2f, false},
        {ACTIVITY_IDLE, 5, 2.2f, ACTIVITY_IDLE, 7.0f, false},
        {ACTIVITY_IDLE, 1, 0.0f, ACTIVITY_IDLE, 7.0f, false},
        {ACTIVITY_IDLE, 17, 0.0f, ACTIVITY_IDLE, 7.0f, false},
        {ACTIVITY_IDLE, 3, 0.0f, ACTIVITY_IDLE, 7.0f, true},
        {ACTIVITY_SCHOOL, 8, 0.0f, ACTIVITY_SCHOOL, 7.0f, true},
    };
    Cfish* f = fish();
    for (auto const& c : cases) {
        resetExitState();
        f->setActivityDirectly(c.activity);
        f->arriveDistance = 7.0f;
        f->sendMessage(c.code, f, 0, c.value, 0);
        f->processMessages();
        EXPECT_EQ(f->activity, c.wantActivity) << c.code;
        EXPECT_FLOAT_EQ(f->arriveDistance, c.wantArrive) << c.code;
        ASSERT_EQ(!exitReasonList.empty(), c.exitRecorded) << c.code;
        if (c.exitRecorded) EXPECT_STREQ(exitReasonList[0].c_str(), "Unknown fish message");
    }
    resetExitState();
    // A fish without an activity asks itself to join its school on a later frame.
    f->setActivityDirectly(ACTIVITY_NONE);
    f->processMessages();
    EXPECT_EQ(f->numMessages(), 1);
    f->processMessages();
    EXPECT_EQ(f->activity, ACTIVITY_SCHOOL);
}

TEST_F(ActivityTest, SchoolIdleThenWanderAndBack) {
    writeNoiseFile(1.0f);
    CspeciesSchooling school("reef", tank);
    Cfish* f = fish();
    school.addFish(*f);
    // The first frame finds no goal and schools; the fish pauses at the school point, and
    // after 200 frames of schooling wanders, then schools again.
    int first[17], schoolAfterWander = -1;
    std::fill(std::begin(first), std::end(first), -1);
    for (int frame = 0; frame < 4000 && schoolAfterWander < 0; frame++) {
        frames(*f, 1, &school);
        if (first[f->activity] < 0) first[f->activity] = frame;
        if (first[ACTIVITY_WANDER] >= 0 && f->activity == ACTIVITY_SCHOOL) schoolAfterWander = frame;
    }
    EXPECT_EQ(first[ACTIVITY_SCHOOL], 0);
    EXPECT_GT(first[ACTIVITY_IDLE], first[ACTIVITY_SCHOOL]);
    EXPECT_GT(first[ACTIVITY_WANDER], first[ACTIVITY_IDLE]);
    // Wandering goes on for a while (a school cue during a pause may end it early).
    EXPECT_GT(schoolAfterWander, first[ACTIVITY_WANDER] + 30);
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front(); // the school found its noise
}

TEST_F(ActivityTest, ATightJamBacksOutOfAWall) {
    tank->levelSet = [](Cvector const& p) { return 2.0f - p.z; }; // a wall across z = 2
    Cfish* f = placeFish(new Cfish, Cvector(0, 2, 1.8f), 1.5f);
    f->_setDesiredBodySpeed(1.5f);
    int jammedAt = -1, freedAt = -1;
    for (int frame = 0; frame < 600 && freedAt < 0; frame++) {
        frames(*f, 1);
        if (jammedAt < 0 && f->activity == ACTIVITY_TIGHT_JAM) jammedAt = frame;
        if (jammedAt >= 0 && f->activity != ACTIVITY_TIGHT_JAM) freedAt = frame;
    }
    ASSERT_GE(jammedAt, 0);
    ASSERT_GT(freedAt, jammedAt);
    EXPECT_LT(f->vertex[0].z, 2.0f);
}

TEST_F(ActivityTest, AStartledFlightEndsOnEachCondition) {
    struct {
        int avoidFrames;
        float flee, speed;
        int wantCalls; // calls of the dispatcher until the flight ends; 0 never
    } const cases[] = {
        {40, 1e6f, 2.0f, 40},    // the avoidance frames ran out
        {1000, 0.0f, 2.0f, 1},   // far enough from the startle point
        {1000, 1e6f, 0.1f, 101}, // a hundred frames and slow
        {1000, 1e6f, 2.0f, 0},
    };
    for (auto const& c : cases) {
        Cfish* f = fish();
        f->startled(f->vertex[0] + Cvector(0, 0, 0.2f));
        ASSERT_EQ(f->activity, ACTIVITY_CHASED);
        ASSERT_TRUE(f->nextActivity == ACTIVITY_IDLE || f->nextActivity == ACTIVITY_STOP);
        // It flees by a flick turn, or at top speed when no flick can start.
        EXPECT_TRUE(f->flickTurnRunning() || f->desiredBodySpeed == f->speedTiers[4]);
        f->setAvoidForFrames(c.avoidFrames);
        f->fleeDistance = c.flee;
        int calls = 0;
        while (f->activity == ACTIVITY_CHASED && calls < 150) {
            f->bodySpeed = c.speed;
            f->reachedGotoGoal();
            calls++;
        }
        EXPECT_EQ(f->activity == ACTIVITY_CHASED ? 0 : calls, c.wantCalls) << c.avoidFrames << " " << c.flee;
        if (c.wantCalls) EXPECT_EQ(f->avoidForFrames, 0);
        deleteVariable(f);
    }
}

// A tank whose fish live in a frustum: its six walls bound the wander points and make the
// level set (positive inside), and the school box fits inside it.
class FrustumTank : public TestTank {
  public:
    FrustumTank() {
        frustum.setFrustum(Cvector(0, 2.5f, 20), Cvector(-4, 0.5f, 2.5f), Cvector(4, 4.5f, 2.5f), -2.5f);
        Cvector centre(0, 0, 0.5f);
        frustum.frustumToReal(centre);
        // Wall 2k + s holds frustum coordinate k at s: three of its corners, the normal inward.
        for (int w = 0; w < 6; w++) {
            Cvector p[3], normal;
            for (int i = 0; i < 3; i++) {
                float n[3] = {0, 0, 0};
                n[w / 2] = static_cast<float>(w % 2);
                if (i) n[(w / 2 + i) % 3] = 1;
                p[i] = Cvector(2 * n[0] - 1, 2 * n[1] - 1, n[2]);
                frustum.frustumToReal(p[i]);
            }
            normal.crossOf(p[1] - p[0], p[2] - p[0]);
            if ((centre - p[0]).dot(normal) < 0) normal = normal * -1.0f;
            normal.normalize();
            wallPoints[w] = p[0], wallNormals[w] = normal;
        }
        // The floor is the lower wall, as a tank's height image would give it.
        ground = [this](float x, float z) {
            Cvector const &p = wallPoints[2], &n = wallNormals[2];
            return p.y - ((x - p.x) * n.x + (z - p.z) * n.z) / n.y;
        };
        levelSet = [this](Cvector const& p) {
            float d = 1e9f;
            for (int i = 0; i < 6; i++)
                d = std::min(d, (p - wallPoints[i]).dot(wallNormals[i]));
            return d;
        };
    }
    void fishVolume(Cvector& lo, Cvector& hi) override {
        lo = Cvector(-3, 1, -1.5f), hi = Cvector(3, 4, 1.5f);
    }
    CflatFrustum const* occupantFrustum() override { return &frustum; }
    bool wanderWalls(Cvector const*& points, Cvector const*& normals) override {
        points = wallPoints, normals = wallNormals;
        return true;
    }

    CflatFrustum frustum;
    Cvector wallPoints[6], wallNormals[6];
};

TEST_F(ActivityTest, ASchoolOfThirtyStaysInsideItsFrustum) {
    writeNoiseFile(1.0f);
    EXPECT_TRUE(useGeneratedArrays()) << "the build's fish arrays";
    auto* home = new FrustumTank;
    root.addVariable(home, 1);
    tank = home;
    auto* school = new CspeciesSchooling("reef", home);
    home->addVariable(school, 1);
    std::vector<Cfish*> fish;
    for (int i = 0; i < 30; i++) {
        fish.push_back(
            placeFish(new Cfish, Cvector(-2.0f + 0.13f * i, 1.5f + 0.08f * i, -1.0f + 0.06f * i), 1, 0.5f));
        school->addFish(*fish.back());
    }
    int seen[17] = {}; // wandering is what takes the fish to the walls
    for (int frame = 0; frame < 10000; frame++) {
        for (Cfish* f : fish) {
            f->prepForCook();
            f->goFish(0);
            seen[f->activity]++;
            Cvector p = f->vertex[0];
            home->frustum.realToFrustum(p);
            // The walls hold the head (a flick would carry it a little past one): only the
            // frustum's own rounding is allowed.
            float const e = 1e-4f;
            ASSERT_TRUE(p.x >= -1 - e && p.x <= 1 + e && p.y >= -1 - e && p.y <= 1 + e && p.z >= -e &&
                        p.z <= 1 + e)
                << "frame " << frame << " " << f->name << " at " << p.x << " " << p.y << " " << p.z;
        }
        school->updateSchooling();
    }
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
    for (int a : {ACTIVITY_SCHOOL, ACTIVITY_IDLE, ACTIVITY_WANDER})
        EXPECT_GT(seen[a], 0) << a;
}

} // namespace
