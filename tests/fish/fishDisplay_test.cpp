// The displayed body: the undulated copy of the spine, the mouth, the waste outlet, the
// body variation by view and the lighting capacity.
#include <cmath>

#include "fishTestSupport.h"
#include "graphics/texturedGeo.h"

TEST_F(FishTest, DisplayBodyKeepsSegmentsAndBendsWithTheTail) {
    struct {
        float stroke, thrust, tailBend, speed;
    } const cases[] = {{0.0f, 0.0f, 0.0f, 2.0f}, {0.8f, 3.0f, 0.0f, 2.0f}, {0.5f, 1.0f, 0.4f, 0.5f}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->strokeStrength = c.stroke, fish->strokeThrust = c.thrust, fish->bodySpeed = c.speed;
        for (int frame = 0; frame < 40; frame++) {
            fish->tailBend = c.tailBend;
            fish->calcDisplayOrientations();
            fish->calcDisplayVertexPositions();
            SCOPED_TRACE(testing::Message() << c.stroke << " " << c.tailBend << " frame " << frame);
            ASSERT_GE(fish->swimPhase, 0.0f);
            ASSERT_LT(fish->swimPhase, 1.0f);
            ASSERT_FLOAT_EQ(fish->tailBend, 0.85f * c.tailBend);
            for (int i = 1; i < fish->bodyPoints; i++)
                ASSERT_NEAR((fish->displayVertex[i] - fish->displayVertex[i - 1]).length(),
                            fish->segmentLength, 1e-4f);
            // The head end is stiff: its first frame is vertex 2's.
            ASSERT_NEAR(fish->displayOrientation[0].forward.dot(fish->vertexOrientation[2].forward), 1.0f,
                        1e-5f);
        }
        // A straight fish gliding fast shows its spine; a bent tail turns the last vertex.
        Cvector tail = fish->displayVertex[9] - fish->vertex[9];
        if (c.stroke == 0.0f && c.tailBend == 0.0f) {
            EXPECT_LT(tail.length(), 1e-4f);
        }
        if (c.tailBend > 0.0f) {
            EXPECT_GT(tail.length(), 1e-3f);
        }
    }
}

TEST_F(FishTest, MouthAndOutletFollowTheirSettings) {
    struct {
        float opening, gape, jaw, lip;
    } const mouths[] = {{0.5f, 2.7f, 2.7f, -0.44f}, {0.0f, 2.7f, 0.0f, 0.0f}, {0.5f, 0.25f, 0.25f, 0.0f}};
    Cfish* fish = makeFish();
    for (auto const& m : mouths) {
        fish->mouthOpening = m.opening, fish->mouthGape = m.gape, fish->mouthUpdate = 1;
        fish->calcMouth();
        EXPECT_NEAR(std::abs(std::atan2(fish->jawMatrix.up.z, fish->jawMatrix.up.y)), m.jaw, 1e-4f)
            << m.opening << m.gape;
        EXPECT_NEAR(std::abs(std::asin(fish->chinMatrix.up.z)), std::abs(0.25f * m.jaw), 1e-4f);
        EXPECT_NEAR(fish->lipOffset.y, -0.01f * m.lip, 1e-6f);
        EXPECT_NEAR(fish->lipOffset.z, -0.015f * m.lip, 1e-6f);
        EXPECT_EQ(fish->mouthUpdate, 0);
    }
    fish->calcDisplayOrientations();
    fish->calcDisplayVertexPositions();
    struct {
        float at, below, scale;
        int j;
        float f;
    } const outlets[] = {
        {4.0f, -0.1f, 1.0f, 4, 0.0f}, {4.5f, -0.1f, 2.0f, 4, 0.5f}, {40.0f, 0.0f, 1.0f, 8, 1.0f}};
    for (auto const& o : outlets) {
        fish->pooInfo[0] = o.at, fish->pooInfo[1] = o.below, fish->thingScale = o.scale;
        Cvector p;
        Cmatrix3 m;
        fish->getAnusPos(p, m);
        Cvector expected = fish->displayVertex[o.j] +
                           (fish->displayVertex[o.j + 1] - fish->displayVertex[o.j]) * o.f +
                           fish->displayOrientation[o.j].up * (o.below * o.scale);
        EXPECT_LT((p - expected).length(), 1e-5f) << o.at;
        EXPECT_EQ(m.up.y, fish->displayOrientation[o.j].up.y);
    }
}

TEST_F(FishTest, BodyVariationFollowsTheViewedSide) {
    struct {
        float a, b;
        short variation;
    } const cases[] = {{0.9f, 0.85f, 1},   {0.75f, 0.9f, 2}, {0.9f, 0.6f, 0}, {-0.9f, -0.81f, 4},
                       {-0.75f, -0.9f, 3}, {0.0f, 0.0f, 0},  {0.9f, -0.9f, 0}};
    for (auto const& c : cases)
        EXPECT_EQ(Cfish::bodyVariationForView(c.a, c.b), c.variation) << c.a << " " << c.b;
}

TEST_F(FishTest, LightingPointsStayWithinTheirTable) {
    struct {
        short points;
        bool accepted;
    } const cases[] = {{0, true}, {16, true}, {20, true}, {21, false}, {400, false}};
    for (auto const& c : cases) {
        resetExitState();
        Cfish* fish = makeFish();
        CtexturedGeo lights;
        lights.numPoints = c.points;
        fish->lightingModel = &lights;
        EXPECT_EQ(fish->calcLightingPoints(), c.accepted) << c.points;
        EXPECT_EQ(fish->numLightingPoints, c.accepted ? c.points : 0);
        EXPECT_EQ(!exitReasonList.empty() && exitReasonList.back() == "ERROR! too many lighting points",
                  !c.accepted);
        if (c.accepted && c.points > 0) {
            EXPECT_EQ(fish->lightingPoints[c.points - 1], 1.0f);
        }
        fish->lightingModel = nullptr;
    }
}

TEST_F(FishTest, VertexLightByModel) {
    float const adjust[2] = {1.0f, 0.0f};
    struct {
        float d, l, shade, diffuse;
        float const* adjust;
        float value;
    } const cases[] = {{1.0f, 1.0f, 1.0f, 1.0f, nullptr, 3.25f},
                       {-1.0f, 1.0f, 1.0f, 1.0f, nullptr, 0.0f},
                       {0.0f, 0.5f, 0.5f, 2.0f, nullptr, 0.5f},
                       {1.0f, 1.1f, 1.0f, 1.0f, adjust, 3.82f},
                       {-1.0f, 1.0f, 2.0f, 1.0f, adjust, 0.64f}};
    for (auto const& c : cases)
        EXPECT_NEAR(Cfish::vertexLight(c.d, c.l, c.shade, c.diffuse, c.adjust), c.value, 1e-5f) << c.d << c.l;
}
