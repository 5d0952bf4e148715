// The pseudo-angle: exact on the axes, close to radians on the diagonals, continuous
// across its sector borders.
#include <gtest/gtest.h>

#include <cmath>

#include "fish/pseudoAngle.h"

namespace {

TEST(PseudoAngle, AxesAndDiagonals) {
    struct Case {
        float x, y, angle, distance;
    } const cases[] = {
        {0, 1, 0.0f, 1.0f},          {1, 0, 1.5708f, 1.0f},
        {-1, 0, -1.5708f, 1.0f},     {0, -1, 0.0f, 1.0f},
        {1, 1, 0.785380f, 1.3333f},  {-1, 1, -0.785380f, 1.3333f},
        {1, -1, 2.356180f, 1.3333f}, {-1, -1, -2.356180f, 1.3333f},
        {4, 4, 0.785380f, 5.3332f},  {0, -3, 0.0f, 3.0f},
        {0, 0, 0.0f, 0.0f},          {0.5f, 2, 0.241663f, 2.166650f},
    };
    for (Case const& c : cases) {
        float d = -1.0f, inverse = -1.0f;
        EXPECT_NEAR(vectToAngleAndDist(c.x, c.y, d), c.angle, 1e-5f) << c.x << "," << c.y;
        EXPECT_NEAR(d, c.distance, 1e-5f) << c.x << "," << c.y;
        EXPECT_NEAR(vectToAngleAndInvDist(c.x, c.y, inverse), c.angle, 1e-5f) << c.x << "," << c.y;
        EXPECT_NEAR(inverse, c.distance > 0 ? 1.0f / c.distance : 0.0f, 1e-5f) << c.x << "," << c.y;
    }
}

// Either side of each border between sectors the heading agrees.
TEST(PseudoAngle, ContinuousAcrossSectorBorders) {
    const float e = 1e-4f;
    struct Case {
        float x0, y0, x1, y1;
    } const borders[] = {
        {1, 1 + e, 1, 1 - e},     // ahead / right
        {-1, 1 + e, -1, 1 - e},   // ahead / left
        {1, -1 + e, 1, -1 - e},   // right / behind
        {-1, -1 + e, -1, -1 - e}, // left / behind
    };
    for (Case const& b : borders) {
        float d0, d1;
        float a0 = vectToAngleAndDist(b.x0, b.y0, d0), a1 = vectToAngleAndDist(b.x1, b.y1, d1);
        EXPECT_NEAR(a0, a1, 1e-3f) << b.x0 << "," << b.y0;
        EXPECT_NEAR(d0, d1, 1e-3f) << b.x0 << "," << b.y0;
    }
    // Straight behind is the one place it jumps: from near +pi to 0 to near -pi.
    float d;
    EXPECT_GT(vectToAngleAndDist(1e-3f, -1, d), 3.0f);
    EXPECT_LT(vectToAngleAndDist(-1e-3f, -1, d), -3.0f);
}

} // namespace
