// Wander points: the noise's bend, bouncing off the walls and the step counts of
// findNextPoint.
#include <gtest/gtest.h>

#include <cmath>

#include "data/dataArray.h"
#include "fish/schoolWander.h"
#include "script/fastNoise.h"

namespace {

// The shared noise channel held at one value for the test's life.
class ConstantNoise {
  public:
    explicit ConstantNoise(float v) {
        chan.init(501, 1, 1, 3, 4);
        chan.setDimensionSpace(0, 0.0f, 50.0f);
        chan.fillWithConstant(v);
        saved = noiseWrap50x3chan;
        noiseWrap50x3chan = &chan;
    }
    ~ConstantNoise() { noiseWrap50x3chan = saved; }

  private:
    CdataChan chan;
    CdataArray* saved;
};

// Walls of the box [-1, 1] on every axis.
void boxWalls(CschoolWanderMaster& m) {
    for (int axis = 0; axis < 3; axis++)
        for (int s = 0; s < 2; s++) {
            Cvector p, n;
            (&p.x)[axis] = s ? 1.0f : -1.0f;
            (&n.x)[axis] = s ? -2.0f : 2.0f; // made unit length
            m.addOutsidePlane(2 * axis + s, p, n);
        }
}

TEST(SchoolWander, NoiseBendsTheDirection) {
    ConstantNoise noise(0.5f);
    CschoolWanderPoint w;
    w.step(2.0f);
    // Turned 0.1 x 0.5 about the vertical, lifted to 0.3 x 0.5, then unit length.
    float len = std::sqrt(1.0f + 0.15f * 0.15f);
    EXPECT_NEAR(std::fabs(std::atan2(w.direction.x, w.direction.z)), 0.05f, 1e-5f);
    EXPECT_NEAR(w.direction.y, 0.15f / len, 1e-5f);
    EXPECT_NEAR(w.direction.length(), 1.0f, 1e-5f);
    EXPECT_NEAR((w.position - w.direction * 2.0f).length(), 0.0f, 1e-5f);
    EXPECT_FLOAT_EQ(w.noisePhase, 0.05f);
    for (int i = 0; i < 1200; i++) // the phase wraps instead of growing
        w.step(0.0f);
    EXPECT_LT(w.noisePhase, 50.0f);
    EXPECT_GE(w.noisePhase, 0.0f);
}

TEST(SchoolWander, PointsOutsideReturnToTheWall) {
    ConstantNoise noise(0.5f); // the direction keeps an upward lift of 0.15
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
    ConstantNoise noise(0.0f); // straight along z, level
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
