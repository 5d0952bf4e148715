// Eye modes, the clamps on the gaze and the hold on mode changes.
#include <cmath>

#include "fishTestSupport.h"

TEST_F(FishTest, EyesGlanceByModeWithinTheirClamps) {
    struct {
        int mode;
        float pitchChange;
    } const cases[] = {{0, 0.3f}, {1, 0.3f}, {1, -2.0f}, {2, 0.0f}, {3, 0.0f}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->setEyeMovement(c.mode, 0);
        for (int glance = 0; glance < 40; glance++) {
            fish->eyeCountdown = 1;
            fish->pitchChange = c.pitchChange;
            fish->calcEyes();
            SCOPED_TRACE(testing::Message() << "mode " << c.mode << " glance " << glance);
            ASSERT_EQ(fish->framesSinceGlance, 0);
            ASSERT_GE(fish->eyeCountdown, 15);
            ASSERT_LE(fish->eyeCountdown, 44);
            for (auto const& e : fish->eyes) {
                ASSERT_LE(std::abs(e.pitch), 0.05f + 1e-6f);
                ASSERT_LE(std::abs(e.heading), 0.1f + 1e-6f);
            }
            EXPECT_FLOAT_EQ(fish->eyes[0].pitch, -fish->eyes[1].pitch);
            if (c.mode == 0) {
                EXPECT_EQ(fish->eyes[0].heading, 0.0f);
                EXPECT_EQ(fish->eyes[0].pitch, 0.0f);
            }
            if (c.mode == 1) {
                EXPECT_FLOAT_EQ(fish->eyes[1].heading, 0.1f);
                EXPECT_FLOAT_EQ(fish->eyes[0].heading, -0.1f);
                EXPECT_FLOAT_EQ(fish->eyes[0].pitch, c.pitchChange > 0 ? 0.03f : -0.05f);
            }
            // The turned rotation carries the heading.
            EXPECT_NEAR(std::abs(fish->eyes[0].localRotation.forward.x),
                        std::abs(std::sin(fish->eyes[0].heading)), 1e-4f);
        }
    }
}

TEST_F(FishTest, EyeModeHoldRefusesEarlyRequests) {
    struct {
        int framesBetween;
        int modeAfter;
    } const cases[] = {{3, 3}, {4, 3}, {5, 2}, {9, 2}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        // A fresh fish glances on its first frame.
        fish->calcEyes();
        EXPECT_EQ(fish->framesSinceGlance, 0);
        fish->setEyeMovement(3, 5);
        for (int f = 0; f < c.framesBetween; f++)
            fish->calcEyes();
        int lastGlance = fish->framesSinceGlance;
        fish->setEyeMovement(2, 20);
        EXPECT_EQ(fish->eyeMode, c.modeAfter) << c.framesBetween;
        if (c.modeAfter == 2) {
            int frames = 0;
            while (fish->framesSinceGlance != 0 || frames == 0) {
                fish->calcEyes();
                frames++;
                ASSERT_LT(frames, 50);
            }
            EXPECT_LE(lastGlance + frames, std::max(8, lastGlance + 1)) << c.framesBetween;
        }
    }
}
