// The spine body: segment lengths at any speed, straight and turning swims, the far wall,
// the turn scaled by the distance moved, and uprighting.
#include <cmath>

#include "fishTestSupport.h"

namespace {
// One frame of the spine at the fish's current speed, with a requested turn.
void spineFrame(Cfish& f, float heading) {
    f.prepForCook();
    f.headingChange = heading;
    f.strokeRate = std::max(f.bodySpeed, 1.0f);
    f.finSpeed = std::clamp(f.bodySpeed, 0.0f, 1.0f);
    f.calcVertexMoveShift();
    f.calcVertexShift(f.strokeRate);
    f.getHeadAndTailAnticipatedPositions();
    f.slideCVsForward();
    f.uprightCVs();
    f.interpolateVertexOrientationsFromCVs();
    f.calcVertexUntransformedPositions();
    f.rotateToAnticipatedPosition();
    f.transformVertices();
    f.updateFutureIfNecessary();
}
} // namespace

// Segments stay one segment apart, a straight swim stays on its line and the far wall holds
// the head. 100 and 400 body lengths a second move 30 and 120 segments a frame: every index
// derived from the shift would fall before the arrays without its clamp.
TEST_F(FishTest, SpineInvariantsAtAnySpeed) {
    struct {
        float speed, heading, farZ;
        int frames;
        float headZ; // after the frames, swimming straight along +z (NAN: turning)
    } const cases[] = {
        {1.5f, 0.0f, 1000.0f, 200, 200 * 1.5f / 30.0f}, // 1.5 body lengths a second at 30 frames a second
        {3.0f, 0.0f, 1.0f, 30, 1.0f},                   // started at 0.9, held on the far wall
        {2.0f, 0.2f, 1000.0f, 60, NAN},
        {0.3f, -0.4f, 1000.0f, 60, NAN},
        {3.0f, 0.5f, 1000.0f, 60, NAN},
        {100.0f, 0.3f, 1000.0f, 60, NAN},
        {400.0f, 0.3f, 1000.0f, 60, NAN},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.speed << " " << c.heading);
        tank->farZ = c.farZ;
        Cfish* fish = makeFish(Cvector(0, 2, c.farZ < 10.0f ? 0.9f : 0.0f), c.speed);
        for (int frame = 0; frame < c.frames; frame++) {
            spineFrame(*fish, c.heading);
            for (int i = 1; i < fish->bodyPoints; i++)
                ASSERT_NEAR((fish->vertex[i] - fish->vertex[i - 1]).length(), fish->segmentLength, 1e-4f)
                    << "frame " << frame << " vertex " << i;
        }
        Cvector centre;
        float radius;
        fish->getCollisionSphere(3, 6.0f, centre, radius);
        EXPECT_TRUE(std::isfinite(centre.x + centre.y + centre.z));
        if (!std::isnan(c.headZ)) {
            EXPECT_NEAR(fish->vertex[0].z, c.headZ, c.farZ < 10.0f ? 1e-5f : 1e-2f);
            for (int i = 0; i < fish->bodyPoints; i++)
                EXPECT_TRUE(std::fabs(fish->vertex[i].x) < 1e-4f &&
                            std::fabs(fish->vertex[i].y - 2.0f) < 1e-4f)
                    << i;
            EXPECT_NEAR(fish->bodyBend, 0.0f, 1e-2f);
        }
        deleteVariable(fish);
    }
}

TEST_F(FishTest, TurnIsScaledByDistanceMoved) {
    // A move of 0.3 segments turns the head by 0.3 of the request, 2 segments by all of it.
    struct {
        float segmentsMoved, request, turn;
    } const cases[] = {{0.3f, 0.5f, 0.15f}, {2.0f, 0.5f, 0.5f}, {0.0f, 0.5f, 0.0f}, {1.0f, -0.2f, -0.2f}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), c.segmentsMoved * 30.0f / 9.0f);
        fish->headingChange = c.request;
        fish->calcVertexMoveShift();
        fish->slideCVsForward();
        Cvector fwd = fish->controlOrientation[0].forward;
        EXPECT_NEAR(std::atan2(fwd.x, fwd.z), c.turn, 1e-4f) << c.segmentsMoved;
        deleteVariable(fish);
    }
}

TEST_F(FishTest, UprightingAtMostTenDegreesAFrame) {
    // The correction is 0.15 x the side axis's rise x the strength, nothing below 0.01 and at
    // most ten degrees.
    for (float strength : {1.0f, 2.0f})
        for (float roll : {0.005f, 0.05f, 0.3f, -0.5f, 1.5f}) {
            float rise = 0.15f * strength * std::sin(std::fabs(roll));
            float want = std::fabs(roll) - (rise > 0.01f ? std::min(rise, 0.1745329f) : 0.0f);
            Cfish* fish = makeFish(Cvector(0, 2, 0), 0.0f);
            fish->uprightStrength = strength;
            for (Cmatrix3& cv : fish->controlOrientation)
                cv.rotateAroundForward(roll);
            fish->uprightCVs();
            EXPECT_NEAR(std::fabs(std::asin(fish->controlOrientation[1].side.y)), want, 2e-3f)
                << roll << " x" << strength;
            deleteVariable(fish);
        }
}
