// An ordinary pectoral push, and the bite and peck cycles: the state each start sets and
// the frames the cycles then take.
#include <cmath>
#include <string>

#include "fishTestSupport.h"

namespace {
constexpr float kDeg = 0.017453292f;

// The link names under which the fish lists its dependents.
int dependentsNamed(Cfish& fish, char const* link) {
    int n = 0;
    for (int i = 0; i < fish.numDependents(); i++)
        n += fish.linkName(i) == link;
    return n;
}

// A curve of n samples over [0, 1) whose value at sample i is f(i / (n - 1)).
template <class F> void writeCurve(char const* path, F f) {
    CdataChan chan;
    chan.init(11, 1, 1, 1, 4);
    chan.setDimensionSpace(0, 0.0f, 1.0f);
    for (int i = 0; i < 11; i++)
        chan.floatData[i] = f(static_cast<float>(i) / 10.0f);
    ASSERT_EQ(chan.save(path), 0) << path;
}
} // namespace

TEST_F(FishTest, PushPairPlaysBackThenForwardAndSpeedsUp) {
    Cfish* fish = makeFish();
    fish->bodySpeed = 0.5f, fish->desiredBodySpeed = 1.0f, fish->pectoralSpeedChange = 0.5f;
    fish->doPecPush(0.0f);
    int frames = 0;
    float lowest = 10.0f;
    while (fish->pecsAreMoving() && frames < 200) {
        fish->updatePectorals(), frames++;
        lowest = std::min(lowest, fish->pecLeft.yaw[0]);
    }
    EXPECT_LT(frames, 200);
    EXPECT_NEAR(lowest, -45 * kDeg, 1e-4f);              // the fins swept back first
    EXPECT_NEAR(fish->pecLeft.yaw[0], 80 * kDeg, 1e-4f); // and ended forward
    EXPECT_NEAR(fish->bodySpeed, 1.0f, 1e-4f);           // pushed up to the desired speed
    EXPECT_FLOAT_EQ(fish->pecRight.yaw[1], fish->pecLeft.yaw[1]);
}

TEST_F(FishTest, BiteOpensTheMouthOverTenFrames) {
    Cfish* fish = makeFish();
    fish->startBite(0.1f);
    EXPECT_TRUE(fish->biteCycle.active && fish->biteCycle.parent != nullptr);
    EXPECT_EQ(dependentsNamed(*fish, "fish_bite_ac"), 1);
    EXPECT_FLOAT_EQ(fish->biteAmount, 0.1f);
    for (int frame = 1; frame <= 10; frame++) {
        if (frame == 4) fish->startBite(0.7f); // a running bite is not restarted
        fish->doAnimCycles(frame);
        EXPECT_NEAR(fish->mouthOpening, 0.1f * frame, 1e-5f) << frame;
        EXPECT_TRUE(fish->biting);
        EXPECT_EQ(fish->biteCycle.parent != nullptr, frame < 10) << frame;
    }
    EXPECT_FLOAT_EQ(fish->biteAmount, 0.1f);
    EXPECT_FALSE(fish->biteCycle.active);
    EXPECT_EQ(dependentsNamed(*fish, "fish_bite_ac"), 0);
    fish->calcMouth(); // a full opening has closed again
    EXPECT_NEAR(fish->jawMatrix.up.y, 1.0f, 1e-5f);
    fish->startBite(0.3f); // and a new bite may start
    EXPECT_TRUE(fish->biteCycle.active);
    EXPECT_FLOAT_EQ(fish->biteCycle.t, 0.0f);
}

TEST_F(FishTest, PeckReachesBitesOnceAndStops) {
    // The head goes out and back (the reach peaks at 0.5); the stroke strength follows t.
    writeCurve("species/std_fish/arrays/peckForwardMotion.chan",
               [](float t) { return 1.0f - std::fabs(2 * t - 1); });
    writeCurve("species/std_fish/arrays/peckSwimAmp.chan", [](float t) { return 0.5f * t; });
    struct {
        bool held;
        bool starts;
    } const cases[] = {{false, true}, {true, false}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->headForced = c.held;
        fish->peckDirection = Cvector(0, -1, 0);
        fish->startPeck(0.02f, 0.5f, 0.25f);
        EXPECT_EQ(fish->peckCycle.active != 0, c.starts);
        if (!c.starts) {
            EXPECT_EQ(fish->peckCycle.parent, nullptr);
            continue;
        }
        Cvector head = fish->vertex[0];
        EXPECT_LT((fish->peckCycle.startPoint - head).length(), 1e-6f);
        EXPECT_FLOAT_EQ(fish->peckCycle.reachIn, 0.5f);
        EXPECT_FLOAT_EQ(fish->peckCycle.reachOut, 0.5f);
        EXPECT_FLOAT_EQ(fish->peckApproachSpeed, 0.02f);
        EXPECT_FLOAT_EQ(fish->peckClearance, 0.25f);
        EXPECT_EQ(dependentsNamed(*fish, "peck animcycle"), 1);
        int bitFrame = 0;
        float deepest = 0.0f;
        for (int frame = 1; frame <= 10; frame++) {
            fish->doAnimCycles(frame);
            if (fish->biteCycle.active && bitFrame == 0) bitFrame = frame;
            if (frame == 10) break;
            EXPECT_TRUE(fish->pecking && fish->headForced) << frame;
            float t = 0.1f * frame;
            EXPECT_NEAR(fish->strokeStrength, 0.5f * t, 1e-4f) << frame;
            EXPECT_NEAR(fish->desiredBodySpeed, t >= 0.7f ? 0.0f : 0.02f, 1e-5f) << frame;
            deepest = std::max(deepest, head.y - fish->forcedHead.y);
            EXPECT_NEAR(fish->forcedHead.x, head.x, 1e-6f);
        }
        EXPECT_EQ(bitFrame, 6);
        EXPECT_NEAR(deepest, 0.5f, 1e-4f);
        EXPECT_EQ(fish->peckCycle.parent, nullptr);
        EXPECT_FALSE(fish->pecking || fish->headForced || fish->peckCycle.active);
        EXPECT_EQ(fish->bodySpeed, 0.0f);
        EXPECT_EQ(fish->desiredBodySpeed, 0.0f);
        EXPECT_EQ(dependentsNamed(*fish, "peck animcycle"), 0);
    }
    EXPECT_TRUE(exitReasonList.empty());
}

TEST_F(FishTest, AFishGoesWithItsCyclesRunning) {
    writeCurve("species/std_fish/arrays/peckForwardMotion.chan", [](float) { return 0.5f; });
    writeCurve("species/std_fish/arrays/peckSwimAmp.chan", [](float) { return 0.0f; });
    Cfish* fish = makeFish();
    fish->startPeck(0.02f, 0.3f, 0.1f);
    for (int frame = 1; frame <= 7; frame++)
        fish->doAnimCycles(frame);
    ASSERT_TRUE(fish->biteCycle.active && fish->peckCycle.active);
    CdirectoryVar* cycles = fish->getAnimCycleDirectory();
    EXPECT_EQ(cycles->countChildren(-1), 2);
    deleteVariable(fish);
    emptyTrash();
    EXPECT_EQ(tank->things->firstChild, nullptr);
}
