// The spine body: segment lengths, straight and turning swims, uprighting, and speeds
// that move more than the spine is long.
#include <cmath>

#include "fishTestSupport.h"

namespace {
// One frame of the spine at the fish's current speed, with a requested turn.
void spineFrame(Cfish& f, float heading, float pitch = 0.0f) {
    f.headTurn = 0.0f;
    f.extraYaw[0] = f.extraYaw[1] = f.extraYaw[2] = 0.0f;
    f.headingChange = heading;
    f.headPitchChange = pitch;
    f.strokeRate = std::max(f.bodySpeed, 1.0f);
    f.finSpeed = std::clamp(f.bodySpeed, 0.0f, 1.0f);
    f.calcVertexMoveShift();
    f.calcVertexShift(f.strokeRate);
    f.getHeadAndTailAnticipatedPositions();
    f.slideCVsForward();
    f.changeVertexPitch(0.0f);
    f.uprightCVs();
    f.interpolateVertexOrientationsFromCVs();
    f.calcVertexUntransformedPositions();
    f.rotateToAnticipatedPosition();
    f.transformVertices();
    f.futureFresh = 0;
    f.updateFutureIfNecessary();
}

float roll(Cfish const& f) {
    return std::asin(std::clamp(f.controlOrientation[1].side.y, -1.0f, 1.0f));
}
} // namespace

TEST_F(FishTest, SegmentsStayOneSegmentApart) {
    struct {
        float speed, heading;
    } const cases[] = {{1.0f, 0.0f}, {2.0f, 0.2f}, {0.3f, -0.4f}, {3.0f, 0.5f}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), c.speed);
        for (int frame = 0; frame < 120; frame++) {
            spineFrame(*fish, c.heading);
            for (int i = 1; i < fish->bodyPoints; i++)
                ASSERT_NEAR((fish->vertex[i] - fish->vertex[i - 1]).length(), fish->segmentLength, 1e-4f)
                    << c.speed << " " << c.heading << " frame " << frame << " vertex " << i;
        }
        deleteVariable(fish);
    }
}

TEST_F(FishTest, StraightSwimmingStaysStraight) {
    Cfish* fish = makeFish(Cvector(0, 2, 0), 1.5f);
    Cvector start = fish->vertex[0];
    for (int frame = 0; frame < 200; frame++)
        spineFrame(*fish, 0.0f);
    // 1.5 body lengths a second at 30 frames a second, along +z.
    EXPECT_NEAR(fish->vertex[0].z - start.z, 200 * 1.5f / 30.0f, 1e-2f);
    for (int i = 0; i < fish->bodyPoints; i++) {
        EXPECT_NEAR(fish->vertex[i].x, 0.0f, 1e-4f) << i;
        EXPECT_NEAR(fish->vertex[i].y, 2.0f, 1e-4f) << i;
    }
    EXPECT_NEAR(fish->bodyBend, 0.0f, 1e-2f);
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
        fish->calcVertexShift(std::max(fish->bodySpeed, 1.0f));
        fish->slideCVsForward();
        EXPECT_NEAR(fish->headTurn, c.turn, 1e-4f) << c.segmentsMoved;
        Cvector fwd = fish->controlOrientation[0].forward;
        EXPECT_NEAR(std::atan2(fwd.x, fwd.z), c.turn, 1e-4f) << c.segmentsMoved;
        deleteVariable(fish);
    }
}

TEST_F(FishTest, UprightingAtMostTenDegreesAFrame) {
    struct {
        float startRoll;
        float afterOneFrame;
    } const cases[] = {{0.005f, 0.005f},
                       {0.05f, 0.05f}, // 0.15 sin 0.05 is below the 0.01 dead band
                       {0.3f, 0.3f - 0.15f * std::sin(0.3f)},
                       {-0.5f, 0.5f - 0.15f * std::sin(0.5f)},
                       {1.5f, 1.5f - 0.15f * std::sin(1.5f)}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), 0.0f);
        for (Cmatrix3& cv : fish->controlOrientation)
            cv.rotateAroundForward(c.startRoll);
        ASSERT_NEAR(std::fabs(roll(*fish)), std::fabs(c.startRoll), 1e-5f);
        fish->uprightCVs();
        EXPECT_NEAR(std::fabs(roll(*fish)), std::fabs(c.afterOneFrame), 2e-3f) << c.startRoll;
        deleteVariable(fish);
    }
}

TEST_F(FishTest, HighSpeedsStayWithinTheSpine) {
    // 400 body lengths a second moves 120 segments a frame: every index derived from the
    // shift would fall before the arrays without its clamp.
    for (float speed : {10.0f, 100.0f, 400.0f}) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), speed);
        for (int frame = 0; frame < 20; frame++)
            spineFrame(*fish, 0.3f);
        for (int i = 0; i < fish->bodyPoints; i++) {
            ASSERT_TRUE(std::isfinite(fish->vertex[i].x + fish->vertex[i].y + fish->vertex[i].z)) << speed;
            if (i > 0)
                EXPECT_NEAR((fish->vertex[i] - fish->vertex[i - 1]).length(), fish->segmentLength, 1e-4f)
                    << speed;
        }
        Cvector c;
        float r;
        fish->getCollisionSphere(3, 6.0f, c, r);
        EXPECT_TRUE(std::isfinite(c.x));
        deleteVariable(fish);
    }
}

TEST_F(FishTest, FarWallHoldsTheHead) {
    tank->farZ = 1.0f;
    Cfish* fish = makeFish(Cvector(0, 2, 0.9f), 3.0f);
    for (int frame = 0; frame < 30; frame++)
        spineFrame(*fish, 0.0f);
    EXPECT_LE(fish->vertex[0].z, 1.0f);
    EXPECT_NEAR(fish->vertex[0].z, 1.0f, 1e-5f);
}
