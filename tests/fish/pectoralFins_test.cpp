// Pectoral strokes: waiting and replacing packets, speed pulls, brakes, lag between the
// halves, and the decision to push.
#include <cmath>

#include "fishTestSupport.h"

namespace {
// A stroke of the yaws by change over frames from where the fin's yaws are; the leading
// half is the upper one. Powers of two keep the progress exact.
CpecPushPacket stroke(CpecFin const& fin, float change, float frames, float lag = 0.0f) {
    CpecPushPacket p;
    p.targets[0] = fin.yaw[0] + change;
    p.targets[1] = fin.yaw[1] + change;
    p.speed = std::fabs(change) / frames;
    p.lag = lag;
    return p;
}

class FlickingFish : public Cfish {
  public:
    bool flicking = false;
    bool flickTurnRunning() override { return flicking; }
};

// Frames until the fin's leading half is done (a bound keeps a fault from hanging).
int framesToFinish(CpecFin& fin) {
    int n = 0;
    while (fin.playing() && n < 1000)
        fin.updatePec(), n++;
    return n;
}
} // namespace

TEST_F(FishTest, PacketsWaitAndReplace) {
    Cfish* fish = makeFish();
    CpecFin& fin = fish->pecLeft;
    fin.yaw[0] = fin.yaw[1] = 1.0f;
    fin.newPacket(stroke(fin, -1.0f, 4.0f));
    EXPECT_TRUE(fin.playing());
    fin.newPacket(stroke(fin, 1.0f, 4.0f));
    CpecPushPacket last = stroke(fin, -0.5f, 8.0f); // from 0 to 0.5 at 1/16 a frame
    last.targets[0] = last.targets[1] = 0.5f;
    fin.newPacket(last); // replaces the one waiting
    EXPECT_TRUE(fin.hasWaiting);
    EXPECT_FLOAT_EQ(fin.waiting.targets[0], 0.5f);
    EXPECT_EQ(framesToFinish(fin), 4);
    EXPECT_FLOAT_EQ(fin.yaw[0], 0.0f);
    EXPECT_TRUE(fish->pecsAreMoving()); // still waiting
    fin.updatePec();                    // the frame after: the waiting stroke starts
    EXPECT_FALSE(fin.hasWaiting);
    EXPECT_FLOAT_EQ(fin.startYaw[0], 0.0f);
    EXPECT_FLOAT_EQ(fin.progress[0], 0.125f);
    EXPECT_EQ(framesToFinish(fin), 7);
    EXPECT_FLOAT_EQ(fin.yaw[0], 0.5f);
    fin.updatePec();
    EXPECT_FALSE(fish->pecsAreMoving());
}

TEST_F(FishTest, WaitingStrokeHeldDuringFlick) {
    auto* fish = new FlickingFish;
    fish->setParent(tank->things, 1);
    fish->resetThing(0);
    CpecFin& fin = fish->pecRight;
    fin.yaw[0] = fin.yaw[1] = 0.0f;
    fin.newPacket(stroke(fin, 1.0f, 2.0f));
    CpecPushPacket held = stroke(fin, 2.0f, 2.0f);
    held.waitForFlick = 1;
    fin.newPacket(held);
    fish->flicking = true;
    for (int i = 0; i < 6; i++)
        fin.updatePec();
    EXPECT_TRUE(fin.hasWaiting);
    EXPECT_FLOAT_EQ(fin.yaw[0], 1.0f);
    fish->flicking = false;
    fin.updatePec();
    EXPECT_FALSE(fin.hasWaiting);
    EXPECT_GT(fin.yaw[0], 1.0f);
}

TEST_F(FishTest, ForwardStrokeStopsAtDesiredSpeed) {
    struct {
        float speed, desired, change, want;
    } const cases[] = {
        {0.2f, 0.4f, 0.5f, 0.4f}, // the desired speed caps the push
        {0.2f, 3.0f, 0.5f, 0.7f}, // the push adds its speed change
        {1.0f, 0.5f, 0.5f, 0.5f}, // already faster: a forward stroke never brakes
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->bodySpeed = c.speed, fish->desiredBodySpeed = c.desired, fish->pectoralSpeedChange = c.change;
        CpecFin& fin = fish->pecLeft;
        fin.yaw[0] = fin.yaw[1] = 0.0f;
        fin.startPacket(stroke(fin, 1.0f, 8.0f, 0.5f));
        for (int i = 0; i < 40; i++) {
            fin.updatePec();
            EXPECT_LE(fish->bodySpeed, std::max(c.desired, c.speed) + 1e-5f) << c.speed << " frame " << i;
        }
        EXPECT_NEAR(fish->bodySpeed, std::max(c.want, c.speed), 1e-3f) << c.speed;
    }
}

TEST_F(FishTest, BackwardStrokeBrakesToItsTarget) {
    Cfish* fish = makeFish();
    fish->bodySpeed = 2.0f;
    CpecFin& fin = fish->pecLeft;
    fin.startPacket(stroke(fin, -1.0f, 4.0f));
    EXPECT_EQ(fin.targetSpeed, -1.0f); // a backward stroke alone leaves the speed
    fish->desiredBodySpeed = 0.5f;
    fin.urgentSpeedChange();
    framesToFinish(fin);
    EXPECT_NEAR(fish->bodySpeed, 0.5f, 1e-4f);
}

TEST_F(FishTest, FullBrakesActOnceAndEndWithSecondStroke) {
    Cfish* fish = makeFish();
    fish->bodySpeed = 2.0f;
    fish->doFullBrakes();
    EXPECT_TRUE(fish->braking);
    EXPECT_TRUE(fish->pecLeft.hasWaiting && fish->pecRight.hasWaiting);
    fish->updatePectorals();
    float progress = fish->pecLeft.progress[0];
    fish->doFullBrakes(); // ignored while braking
    EXPECT_FLOAT_EQ(fish->pecLeft.progress[0], progress);
    EXPECT_TRUE(fish->pecLeft.hasWaiting);
    int frames = 0;
    while (fish->braking && frames < 200) {
        EXPECT_FALSE(!fish->pecLeft.hasWaiting && fish->pecLeft.progress[0] == 1.0f) << frames;
        fish->updatePectorals(), frames++;
    }
    EXPECT_FALSE(fish->braking);
    EXPECT_FALSE(fish->pecLeft.hasWaiting);
    EXPECT_FLOAT_EQ(fish->pecLeft.progress[fish->pecLeft.packet.lead], 1.0f);
    EXPECT_NEAR(fish->pecLeft.yaw[0], kPecRestYaw, 1e-4f);
    fish->doFullBrakes(); // braking again once the first brake is over
    EXPECT_TRUE(fish->braking);
}

TEST_F(FishTest, TrailingHalfLags) {
    struct {
        float lag;
        int minLate, maxLate;
    } const cases[] = {{0.0f, 0, 0}, {0.8f, 3, 40}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        CpecFin& fin = fish->pecLeft;
        fin.yaw[0] = fin.yaw[1] = 1.0f;
        fin.startPacket(stroke(fin, -1.0f, 4.0f, c.lag));
        int leadDone = -1, trailDone = -1;
        for (int i = 0; i < 100 && trailDone < 0; i++) {
            fin.updatePec();
            if (c.lag == 0.0f) {
                EXPECT_FLOAT_EQ(fin.progress[0], fin.progress[1]);
            }
            if (leadDone < 0 && fin.progress[0] == 1.0f) leadDone = i;
            if (trailDone < 0 && fin.progress[1] >= 0.99f) trailDone = i;
        }
        ASSERT_GE(trailDone, 0) << c.lag;
        EXPECT_GE(trailDone - leadDone, c.minLate) << c.lag;
        EXPECT_LE(trailDone - leadDone, c.maxLate) << c.lag;
    }
}

TEST_F(FishTest, StrokeAlreadyAtItsTargetEndsAtOnce) {
    Cfish* fish = makeFish();
    CpecFin& fin = fish->pecLeft;
    CpecPushPacket p = stroke(fin, 0.0f, 4.0f);
    p.speed = 0.1f;
    fin.startPacket(p);
    EXPECT_TRUE(std::isfinite(fin.step));
    fin.updatePec();
    EXPECT_FALSE(fin.playing());
    EXPECT_TRUE(std::isfinite(fin.yaw[0]) && std::isfinite(fish->bodySpeed));
}

TEST_F(FishTest, UrgentStrokeCorrectsPitch) {
    struct {
        float pitchChange;
        bool stillsTail;
    } const cases[] = {{0.05f, false}, {0.5f, true}, {-0.5f, true}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->pitchVelocity = 0.0f, fish->pitchChange = c.pitchChange;
        CpecPushPacket p = stroke(fish->pecLeft, -1.0f, 10.0f);
        p.urgent = 1;
        fish->pecLeft.startPacket(p);
        float add = fish->pecLeft.pitchVelocityAdd;
        EXPECT_GT(add * c.pitchChange, 0.0f);
        EXPECT_EQ(fish->caudalStrength.active != 0, c.stillsTail) << c.pitchChange;
        // The add acts only in the stroke's opening frames (progress / step below 3.1).
        for (int i = 0; i < 7; i++) {
            float before = fish->pitchVelocity;
            fish->pecLeft.updatePec();
            EXPECT_FLOAT_EQ(fish->pitchVelocity - before, i < 4 ? add : 0.0f) << i;
        }
    }
}

TEST_F(FishTest, DecidesToPush) {
    struct {
        float speed, desired, sink, pitchChange, heading;
        bool flicking, busy, push;
    } const cases[] = {
        {1.0f, 1.5f, 0.0f, 0.0f, 0.0f, false, false, true},  // speeding up
        {1.0f, 1.2f, 0.0f, 0.0f, 0.0f, false, false, false}, // close enough
        {1.5f, 1.0f, 0.0f, 0.0f, 0.0f, false, false, true},  // slowing down
        {1.5f, 1.0f, 0.0f, 0.0f, 0.0f, true, false, false},  // but not during a flick
        {1.0f, 1.0f, 0.06f, 0.0f, 0.0f, false, false, true}, // sinking
        {1.0f, 1.0f, 0.0f, 0.4f, 0.1f, false, false, true},  // pitch far off, turning little
        {1.0f, 1.0f, 0.0f, 0.4f, 1.0f, false, false, false}, // pitch far off, turning a lot
        {1.0f, 2.0f, 0.0f, 0.0f, 0.0f, false, true, false},  // fins busy
    };
    for (auto const& c : cases) {
        auto* fish = new FlickingFish;
        fish->setParent(tank->things, 1);
        fish->resetThing(0);
        fish->bodySpeed = c.speed, fish->desiredBodySpeed = c.desired, fish->accumulatedSink = c.sink;
        fish->pitchChange = c.pitchChange, fish->headingChange = c.heading, fish->pitchVelocity = 0.0f;
        fish->flicking = c.flicking;
        if (c.busy) fish->pecRight.newPacket(stroke(fish->pecRight, -1.0f, 4.0f));
        int counter = fish->pushCounter;
        EXPECT_EQ(fish->contemplatePectoralPush(), c.push) << c.speed << " " << c.desired << " " << c.sink;
        EXPECT_EQ(fish->pushCounter, counter + 1);
    }
}
