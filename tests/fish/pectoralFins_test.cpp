// Pectoral strokes: waiting and replacing packets, speed pulls, brakes and the decision
// to push.
#include <cmath>

#include "fishTestSupport.h"

namespace {
// The yaws move by change over frames from where they are (upper half leading); powers of
// two keep the progress exact.
CpecPushPacket stroke(CpecFin const& fin, float change, float frames, float lag = 0.0f) {
    CpecPushPacket p;
    p.targets[0] = fin.yaw[0] + change, p.targets[1] = fin.yaw[1] + change;
    p.speed = std::fabs(change) / frames;
    p.lag = lag;
    return p;
}

// Frames until the leading half is done (bounded so a fault cannot hang).
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
    fin.newPacket(stroke(fin, 1.0f, 4.0f));
    CpecPushPacket last = stroke(fin, -0.5f, 8.0f); // from 0 to 0.5, 8 frames
    last.targets[0] = last.targets[1] = 0.5f;
    fin.newPacket(last); // replaces the one waiting
    EXPECT_EQ(framesToFinish(fin), 4);
    EXPECT_TRUE(fish->pecsAreMoving()); // still one waiting
    fin.updatePec();                    // the frame after: it starts
    EXPECT_FALSE(fin.hasWaiting);
    EXPECT_FLOAT_EQ(fin.progress[0], 0.125f);
    EXPECT_EQ(framesToFinish(fin), 7);
    EXPECT_FLOAT_EQ(fin.yaw[0], 0.5f);
    // A stroke already at its target ends at once instead of dividing by its zero change.
    fin.startPacket(stroke(fin, 0.0f, 4.0f));
    fin.updatePec();
    EXPECT_FALSE(fish->pecsAreMoving());
    EXPECT_TRUE(std::isfinite(fin.yaw[0]) && std::isfinite(fish->bodySpeed));
}

TEST_F(FishTest, ForwardStrokeStopsAtDesiredSpeed) {
    struct {
        float speed, desired, want;
    } const cases[] = {
        {0.2f, 0.4f, 0.4f}, // the desired speed caps the push
        {0.2f, 3.0f, 0.7f}, // the push adds its speed change (0.5)
        {1.0f, 0.5f, 1.0f}, // already faster: a forward stroke never brakes
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->bodySpeed = c.speed, fish->desiredBodySpeed = c.desired, fish->pectoralSpeedChange = 0.5f;
        CpecFin& fin = fish->pecLeft;
        fin.yaw[0] = fin.yaw[1] = 0.0f;
        fin.startPacket(stroke(fin, 1.0f, 8.0f, 0.5f));
        for (int i = 0; i < 40; i++) {
            fin.updatePec();
            EXPECT_LE(fish->bodySpeed, std::max(c.desired, c.speed) + 1e-5f) << c.speed << " frame " << i;
        }
        EXPECT_NEAR(fish->bodySpeed, c.want, 1e-3f) << c.speed;
    }
}

TEST_F(FishTest, FullBrakesActOnceAndEndWithSecondStroke) {
    Cfish* fish = makeFish();
    fish->doFullBrakes();
    fish->updatePectorals();
    float progress = fish->pecLeft.progress[0];
    fish->doFullBrakes(); // ignored while braking
    EXPECT_FLOAT_EQ(fish->pecLeft.progress[0], progress);
    EXPECT_TRUE(fish->braking && fish->pecLeft.hasWaiting && fish->pecRight.hasWaiting);
    int frames = 0;
    while (fish->braking && frames < 200) {
        EXPECT_FALSE(!fish->pecLeft.hasWaiting && !fish->pecLeft.playing()) << frames; // not yet over
        fish->updatePectorals(), frames++;
    }
    EXPECT_FALSE(fish->braking || fish->pecLeft.hasWaiting || fish->pecLeft.playing());
    EXPECT_NEAR(fish->pecLeft.yaw[0], kPecRestYaw, 1e-4f);
}

TEST_F(FishTest, DecidesToPush) {
    struct {
        float speed, desired, sink, pitchChange, heading;
        bool busy, push;
    } const cases[] = {
        {1.0f, 1.5f, 0.0f, 0.0f, 0.0f, false, true},  // speeding up
        {1.0f, 1.2f, 0.0f, 0.0f, 0.0f, false, false}, // close enough
        {1.5f, 1.0f, 0.0f, 0.0f, 0.0f, false, true},  // slowing down
        {1.0f, 1.0f, 0.06f, 0.0f, 0.0f, false, true}, // sinking
        {1.0f, 1.0f, 0.0f, 0.4f, 0.1f, false, true},  // pitch far off, turning little
        {1.0f, 1.0f, 0.0f, 0.4f, 1.0f, false, false}, // pitch far off, turning a lot
        {1.0f, 2.0f, 0.0f, 0.0f, 0.0f, true, false},  // fins busy
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->bodySpeed = c.speed, fish->desiredBodySpeed = c.desired, fish->accumulatedSink = c.sink;
        fish->pitchChange = c.pitchChange, fish->headingChange = c.heading, fish->pitchVelocity = 0.0f;
        if (c.busy) fish->pecRight.newPacket(stroke(fish->pecRight, -1.0f, 4.0f));
        EXPECT_EQ(fish->contemplatePectoralPush(), c.push) << c.speed << " " << c.desired << " " << c.sink;
    }
}
