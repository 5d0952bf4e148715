// Eye modes, the clamps on the gaze and the hold on mode changes.
#include <cmath>

#include "fishTestSupport.h"

TEST_F(FishTest, EyesGlanceByModeWithinTheirClamps) {
    // mode, pitch change, expected heading of eye 2 and pitch of eye 1 (NAN: random).
    float const cases[][4] = {
        {0, 0.3f, 0, 0}, {1, 0.3f, 0.1f, 0.03f}, {1, -2, 0.1f, -0.05f}, {2, 0, NAN, NAN}, {3, 0, NAN, NAN}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->setEyeMovement(static_cast<int>(c[0]), 0);
        for (int glance = 0; glance < 40; glance++) {
            fish->eyeCountdown = 1, fish->pitchChange = c[1];
            fish->calcEyes();
            SCOPED_TRACE(testing::Message() << "mode " << c[0] << " glance " << glance);
            ASSERT_TRUE(fish->framesSinceGlance == 0 && fish->eyeCountdown >= 15 && fish->eyeCountdown <= 44);
            for (auto const& e : fish->eyes)
                ASSERT_TRUE(std::abs(e.pitch) <= 0.05f + 1e-6f && std::abs(e.heading) <= 0.1f + 1e-6f);
            EXPECT_FLOAT_EQ(fish->eyes[0].pitch, -fish->eyes[1].pitch);
            if (!std::isnan(c[2])) {
                EXPECT_FLOAT_EQ(fish->eyes[1].heading, c[2]);
                EXPECT_FLOAT_EQ(fish->eyes[0].heading, -c[2]);
                EXPECT_FLOAT_EQ(fish->eyes[0].pitch, c[3]);
            }
        }
    }
}

TEST_F(FishTest, EyeModeHoldRefusesEarlyRequests) {
    int const cases[][2] = {{3, 3}, {4, 3}, {5, 2}, {9, 2}}; // frames after the held request, mode
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->calcEyes(); // a fresh fish glances at once
        EXPECT_EQ(fish->framesSinceGlance, 0);
        fish->setEyeMovement(3, 5);
        for (int f = 0; f < c[0]; f++)
            fish->calcEyes();
        int lastGlance = fish->framesSinceGlance, frames = 0;
        fish->setEyeMovement(2, 20);
        EXPECT_EQ(fish->eyeMode, c[1]) << c[0];
        if (c[1] != 2) continue;
        do {
            fish->calcEyes();
        } while (fish->framesSinceGlance != 0 && ++frames < 50);
        EXPECT_LE(lastGlance + frames + 1, std::max(8, lastGlance + 1)) << c[0];
    }
}
