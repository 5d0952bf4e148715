// The fish frame: the order of its steps, strokes and glides, the limits on a requested
// turn, the emergency after clamped turns, and a crowded tank run for a long time.
#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "fishTestSupport.h"

namespace {
// Records the frame's steps instead of running them.
class JournalFish : public Cfish {
  public:
    std::vector<std::string> calls;
    void contemplateOccasionalActivities() override { calls.push_back("activities"); }
    void reachedGotoGoal() override { calls.push_back("goal"); }
    void tightJam() override { calls.push_back("jam"); }
    void contemplateFlickTurn() override { calls.push_back("flick?"); }
    void updatePectorals() override { calls.push_back("pecs"); }
    bool contemplatePectoralPush() override { return calls.push_back("push?"), true; }
    void doPecPush(float) override { calls.push_back("push"); }
    void handleFins() override { calls.push_back("fins"); }
    void calcEyes() override { calls.push_back("eyes"); }
    void calcDisplay() override { calls.push_back("display"); }
};

// Repeatable goals and starts.
float uniform(std::minstd_rand& rng, float lo, float hi) {
    return lo + (hi - lo) * static_cast<float>(rng() - rng.min()) / static_cast<float>(rng.max() - rng.min());
}

// Turns the fish toward goal as an activity would, asking for speed.
void steerToward(Cfish& f, Cvector const& goal, float speed) {
    Cvector v = goal - f.vertex[0];
    v /= f.vertexOrientation[0];
    f.headingChange = std::atan2(v.x, v.z);
    f.pitchChange = std::atan2(v.y, std::sqrt(v.x * v.x + v.z * v.z));
    f._setDesiredBodySpeed(speed);
}
} // namespace

TEST_F(FishTest, PipelineOrder) {
    auto* fish = static_cast<JournalFish*>(placeFish(new JournalFish, Cvector(0, 2, 0)));
    fish->displayed = 1;
    tank->levelSet = [](Cvector const&) { return -1.0f; };
    fish->prepForCook();
    fish->goFish(1);
    std::vector<std::string> const want = {"activities", "goal", "jam",  "flick?", "pecs",
                                           "push?",      "push", "fins", "eyes",   "display"};
    EXPECT_EQ(fish->calls, want);
    // Not drawn: no display step; no tank: nothing after the messages.
    fish->calls.clear();
    fish->prepForCook();
    fish->goFish(0);
    EXPECT_EQ(fish->calls.back(), "eyes");
    fish->setParent(nullptr, 0);
    fish->calls.clear();
    fish->goFish(1);
    EXPECT_TRUE(fish->calls.empty());
    EXPECT_EQ(exitReasonList.back(), Cstring("fish doesn't belong to tank"));
    delete fish;
}

TEST_F(FishTest, StrokeAndGlide) {
    struct {
        float speed, desired, bend, previousBend;
        bool strokes;
    } const cases[] = {
        {0.5f, 0.9f, 0.0f, 0.0f, false}, // below the minimum cycle speed: glides
        {0.5f, 2.0f, 0.0f, 0.0f, true},
        {0.5f, 2.0f, 0.785f, 0.785f, false}, // bent 45 degrees and staying so
        {0.5f, 2.0f, 0.785f, 0.81f, true},   // bent 45 degrees but straightening fast
        {2.0f, 2.0f, 0.0f, 0.0f, false},     // already fast enough
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), c.speed);
        fish->desiredBodySpeed = c.desired;
        fish->bodyBend = c.bend, fish->previousBodyBend = c.previousBend;
        fish->updateSpeed();
        EXPECT_EQ(fish->stroking != 0, c.strokes) << c.desired << " " << c.previousBend;
        if (!c.strokes) EXPECT_NEAR(fish->bodySpeed, c.speed * 0.99f * (1 - 0.0003f * c.bend), 1e-6f);
        deleteVariable(fish);
    }
}

TEST_F(FishTest, TurnLimits) {
    float const deg = 3.14159265f / 180.0f;
    struct {
        float heading, pitch, speed, currentPitch;
        float wantHeading, wantPitch;
    } const cases[] = {
        {1.0f, 0.0f, 0.0f, 0.0f, 25 * deg, 0.0f},
        {-1.0f, 0.5f, 0.0f, 0.0f, -25 * deg, 10 * deg},
        {0.1f, 0.3f, 0.0f, 35 * deg, 0.1f, 5 * deg},         // 40 degrees at rest
        {0.0f, -0.3f, 0.0f, -38 * deg, 0.0f, -2 * deg},      // and downwards
        {0.0f, 0.3f, 5.0f, 70 * deg, 0.0f, 1.3f - 70 * deg}, // 1.5 - safetyHeight at race speed
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), c.speed);
        fish->currentPitch = c.currentPitch;
        fish->headingChange = c.heading, fish->pitchChange = c.pitch;
        fish->limitHeadingPitchChange();
        EXPECT_NEAR(fish->headingChange, c.wantHeading, 1e-5f) << c.heading;
        EXPECT_NEAR(fish->pitchChange, c.wantPitch, 1e-5f) << c.pitch << " " << c.speed;
        deleteVariable(fish);
    }
    // Equal tiers made the pitch limit 0/0: the fish pitches as at race speed.
    Cfish* fish = makeFish(Cvector(0, 2, 0), 1.0f);
    for (float& t : fish->speedTiers)
        t = 1.0f;
    fish->currentPitch = 0.0f, fish->pitchChange = 2.0f;
    fish->limitPitchChange();
    EXPECT_NEAR(fish->pitchChange, fish->maxPitchAtSpeed, 1e-6f);
}

// The largest pitch grows from 40 degrees at the mosey tier to 1.5 less the fish's clearance
// above the floor at the race tier; the clearance is the safety height in body lengths.
TEST_F(FishTest, PitchLimitTakesTheClearanceOfTheFishsSize) {
    struct {
        float scale, speed, largest;
    } const cases[] = {
        {1.0f, 5.0f, 1.3f},       {2.0f, 6.0f, 1.1f}, {2.0f, 3.999f, 0.899f},
        {2.0f, 0.0f, 0.6981317f}, {0.5f, 3.0f, 1.4f},
    };
    for (auto const& c : cases)
        for (float asked : {2.0f, -2.0f}) {
            Cfish* fish = makeFish(Cvector(0, 2, 0), 1.0f, c.scale);
            fish->bodySpeed = c.speed;
            fish->currentPitch = 0.0f, fish->pitchChange = asked;
            fish->limitPitchChange();
            EXPECT_NEAR(fish->pitchChange, asked > 0 ? c.largest : -c.largest, 1e-3f)
                << "scale " << c.scale << " speed " << c.speed;
            deleteVariable(fish);
        }
}

// Every drawn frame the fish breathes: the gills flare and the mouth opens a little with the
// frame counter, unless a bite holds the mouth; an undrawn frame does neither.
TEST_F(FishTest, DrawnFramesBreathe) {
    struct {
        int display;
        bool biting;
    } const cases[] = {{1, false}, {1, true}, {0, false}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), 1.0f);
        fish->displayed = 1;
        if (c.biting) fish->startBite(1.0f);
        for (int frame = 0; frame < 30; frame++) {
            float t = 0.25f * static_cast<float>(fish->frameCounter), s = std::sin(t);
            fish->mouthOpening = 0.5f; // what breathing replaces
            fish->gillMatrix[0].identity();
            fish->prepForCook();
            fish->goFish(c.display);
            std::string at = "display " + std::to_string(c.display) + " biting " + std::to_string(c.biting) +
                             " frame " + std::to_string(frame);
            if (c.display == 0) {
                EXPECT_EQ(fish->mouthOpening, 0.5f) << at;
                EXPECT_EQ(fish->gillMatrix[0].side.x, 1.0f) << at;
                continue;
            }
            EXPECT_NEAR(fish->gillMatrix[0].side.x, 0.1f * s + 1.1f, 1e-5f) << at;
            EXPECT_NEAR(fish->gillMatrix[1].side.x, 0.05f * s + 1.05f, 1e-5f) << at;
            EXPECT_NEAR(fish->gillOffset.x, 0.005f * (1.0f + std::sin(s)), 1e-6f) << at;
            if (c.biting && fish->biteCycle.active)
                EXPECT_NEAR(fish->mouthOpening, 0.1f * static_cast<float>(frame + 1), 1e-5f) << at;
            else if (!c.biting)
                EXPECT_NEAR(fish->mouthOpening, 0.03f * std::max(0.0f, std::sin(t + 1.8f) + 0.7f), 1e-6f)
                    << at;
        }
        deleteVariable(fish);
    }
}

// An obstacle that keeps forcing a clamped turn: the fourth such frame in a row brings the
// emergency reaction of the side it escapes to, and one free frame ends the count.
TEST_F(FishTest, EmergencyAfterFourClampedFrames) {
    struct {
        char const* what;
        Crect rect; // holding the wanted course, nearest edge on the escape side
        float speed, pitch;
        int bend;        // sign of the whole-body bend afterwards
        float desired;   // the desired speed afterwards
        float wantPitch; // the pitch change afterwards
    } const cases[] = {
        {"escape left", Crect(-0.8f, 2.0f, -2.0f, 2.0f), 1.5f, 0.0f, -1, 1.5f, 0.0f},
        {"escape right", Crect(-2.0f, 0.8f, -2.0f, 2.0f), 1.5f, 0.0f, 1, 1.5f, 0.0f},
        {"escape down, swimming", Crect(-2.0f, 2.0f, -0.5f, 2.0f), 1.5f, 0.0f, 0, 0.052f, -1.0f},
        {"escape up, at rest", Crect(-2.0f, 2.0f, -2.0f, 0.5f), 0.3f, 0.2f, 0, 0.3f, -0.02f},
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), c.speed);
        fish->desiredBodySpeed = c.speed;
        auto step = [&](bool blocked) {
            fish->prepForCook();
            fish->currentPitch = c.pitch;
            fish->avoidZone.count = 0;
            if (blocked) fish->avoidZone.addAvoidRect(c.rect);
            fish->limitHeadingPitchChange();
        };
        for (int frame = 1; frame <= 3; frame++) {
            step(true);
            EXPECT_EQ(fish->avoidCount, frame) << c.what;
            EXPECT_EQ(fish->wholeBodyBend, 0.0f) << c.what;
            EXPECT_EQ(fish->desiredBodySpeed, c.speed) << c.what;
        }
        step(true);
        EXPECT_EQ(fish->avoidCount, 4) << c.what;
        EXPECT_EQ((fish->wholeBodyBend > 0.0f) - (fish->wholeBodyBend < 0.0f), c.bend) << c.what;
        EXPECT_NEAR(fish->desiredBodySpeed, c.desired, 1e-6f) << c.what;
        if (c.wantPitch > -1.0f) EXPECT_NEAR(fish->pitchChange, c.wantPitch, 1e-6f) << c.what;
        step(false);
        EXPECT_EQ(fish->avoidCount, 0) << c.what;
        EXPECT_EQ(fish->avoiding, 0) << c.what;
        deleteVariable(fish);
    }
}

TEST_F(FishTest, PositivePitchChangeRaisesTheHead) {
    for (float pitch : {0.1f, -0.1f}) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), 1.0f);
        for (int frame = 0; frame < 20; frame++) {
            fish->prepForCook();
            fish->pitchChange = pitch;
            fish->_setDesiredBodySpeed(1.0f);
            fish->goFish(0);
        }
        EXPECT_GT((fish->vertex[0].y - 2.0f) * pitch, 0.0f) << pitch;
        EXPECT_GT(fish->currentPitch * pitch, 0.0f) << pitch;
        deleteVariable(fish);
    }
}

// 110 fish steered between random goals for 10,000 frames in a tank with a floor, near and
// far walls and three rocks, swimming and turning with the arrays the build generates: every
// frame, every body vertex stays finite, every head within the z limits and out of the rocks,
// and nothing stops the saver.
TEST_F(FishTest, CrowdedTankStaysSane) {
    EXPECT_TRUE(useGeneratedArrays()) << "the build's fish arrays";
    tank->nearZ = -3.0f, tank->farZ = 3.0f;
    tank->ground = [](float, float) { return 0.0f; };
    setRocks({{-2.0f, 1.5f, 0.0f, 0.8f}, {2.0f, 3.0f, -1.0f, 0.6f}, {0.5f, 4.0f, 1.5f, 0.5f}});
    auto inRock = [this](Cvector const& p, float margin) {
        for (CsphereDef const& s : rocks.points) {
            float dx = p.x - s.x, dy = p.y - s.y, dz = p.z - s.z, r = s.radius + margin;
            if (dx * dx + dy * dy + dz * dz < r * r) return true;
        }
        return false;
    };
    std::vector<Cfish*> fish;
    for (int i = 0; i < 110; i++) {
        Cvector start(-4.0f + 0.08f * i, 1.0f + 0.04f * i, -2.5f + 0.045f * i);
        if (inRock(start, 0.5f)) start.y += 1.5f;
        fish.push_back(makeFish(start, 1.0f, 0.4f));
    }
    std::vector<Cvector> goals(fish.size());
    std::minstd_rand rng(11);
    auto newGoal = [&] { // in open water
        Cvector g;
        do
            g = Cvector(uniform(rng, -4.0f, 4.0f), uniform(rng, 0.8f, 5.0f), uniform(rng, -2.5f, 2.5f));
        while (inRock(g, 0.3f));
        return g;
    };
    std::string fault;
    for (int frame = 0; frame < 10000 && fault.empty(); frame++) {
        for (size_t i = 0; i < fish.size(); i++) {
            Cfish& f = *fish[i];
            if (frame % 300 == 0 || (goals[i] - f.vertex[0]).lengthSquared() < 0.25f) goals[i] = newGoal();
            f.prepForCook();
            steerToward(f, goals[i], 1.5f);
            f.goFish(0);
            bool sane = true;
            for (int v = 0; v < f.bodyPoints; v++)
                sane = sane && std::isfinite(f.vertex[v].x + f.vertex[v].y + f.vertex[v].z);
            Cvector const& head = f.vertex[0];
            if (!sane)
                fault = "not finite";
            else if (head.z < tank->nearZ || head.z > tank->farZ)
                fault = "beyond the z limits";
            else if (inRock(head, 0.0f))
                fault = "in a rock";
            if (!fault.empty()) {
                fault += ": fish " + std::to_string(i) + ", frame " + std::to_string(frame);
                break;
            }
        }
    }
    EXPECT_EQ(fault, "");
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
}
