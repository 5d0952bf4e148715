// The displayed body, the mouth, the waste outlet, the lighting points, and the eyes: their
// modes, the clamps on the gaze and the hold on mode changes.
#include <cmath>

#include "../graphics/geoTestSupport.h"
#include "fishTestSupport.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "world/species.h"

TEST_F(FishTest, MouthAndOutletFollowTheirSettings) {
    float const mouths[][4] = {
        {0.5f, 2.7f, 2.7f, -0.44f}, {0, 2.7f, 0, 0}, {0.5f, 0.25f, 0.25f, 0}}; // open, gape, jaw, lip
    Cfish* fish = makeFish();
    for (auto const& m : mouths) {
        fish->mouthOpening = m[0], fish->mouthGape = m[1];
        fish->calcMouth();
        EXPECT_NEAR(std::abs(std::atan2(fish->jawMatrix.up.z, fish->jawMatrix.up.y)), m[2], 1e-4f) << m[0];
        EXPECT_NEAR(fish->lipOffset.z, -0.015f * m[3], 1e-6f);
    }
    fish->calcDisplayOrientations();
    fish->calcDisplayVertexPositions();
    float const outlets[][5] = {
        {4, -0.1f, 1, 4, 0}, {4.5f, -0.1f, 2, 4, 0.5f}, {40, 0, 1, 8, 1}}; // at, below, scale, j, f
    for (auto const& o : outlets) {
        fish->pooInfo[0] = o[0], fish->pooInfo[1] = o[1], fish->thingScale = o[2];
        Cvector p, *v = fish->displayVertex + static_cast<int>(o[3]);
        Cmatrix3 m;
        fish->getAnusPos(p, m);
        Cvector expected = v[0] + (v[1] - v[0]) * o[4] + m.up * (o[1] * o[2]);
        EXPECT_LT((p - expected).length(), 1e-5f) << o[0];
    }
}

TEST_F(FishTest, LightingPointsStayWithinTheirTable) {
    for (short points : {0, 16, 20, 21, 400}) {
        resetExitState();
        Cfish* fish = makeFish();
        CtexturedGeo lights;
        lights.numPoints = points;
        fish->lightingModel = &lights;
        bool fits = points <= Cfish::kMaxLightingPoints;
        EXPECT_EQ(fish->calcLightingPoints(), fits) << points;
        EXPECT_EQ(fish->numLightingPoints, fits ? points : 0);
        EXPECT_EQ(!exitReasonList.empty() && exitReasonList.back() == "ERROR! too many lighting points",
                  !fits);
        fish->lightingModel = nullptr;
    }
}

TEST_F(FishTest, LightingPointsTakeCausticsAndTheLightVolume) {
    // Caustics: two rows, the first ramping 0..1 along u, the second all 0.5. The light
    // volume: 0 at y 0 rising to 1 at y 4.
    CdataImage caustic;
    caustic.init(5, 2, 1, 1, 4);
    for (int u = 0; u < 5; u++)
        caustic.floatData[u] = 0.25f * static_cast<float>(u), caustic.floatData[5 + u] = 0.5f;
    caustic.setDimensionSpace(0, 0.0f, 1.0f), caustic.setDimensionSpace(1, 0.0f, 1.0f);
    ASSERT_EQ(caustic.save("caustic.image"), 0);
    CdataVolume volume;
    volume.init(2, 2, 2, 1, 4);
    for (int i = 0; i < 8; i++)
        volume.floatData[i] = (i / 2) % 2 ? 1.0f : 0.0f; // y index 1 lit
    volume.setDimensionSpace(0, -10, 10), volume.setDimensionSpace(1, 0, 4),
        volume.setDimensionSpace(2, -10, 10);
    ASSERT_EQ(volume.save("light.volume"), 0);

    auto* sp = new Cspecies;
    resources.addVariable(sp, 1);
    auto* lights = new CtexturedGeo;
    CgeoFileContents g;
    g.points = 4;
    g.attribs = {{"pos", 3, 0}};
    g.floatsPerPoint = 3;
    g.data = {0, 0, 0, 0, 1, 0, 0, -1, 0, 0, 0, 1};
    ASSERT_EQ(loadContents(*lights, g), 0);
    lights->useCount = 1;
    sp->light_points = lights;

    Cfish* fish = makeFish();
    fish->species = sp;
    fish->lightingModel = fish->findLightingModel();
    ASSERT_EQ(fish->lightingModel, lights);
    fish->workObject = new CworkObject;
    fish->workObject->deformMatrices.resize(1);
    fish->workObject->deformMatrices[0].identity();
    fish->workObject->deformMatrices[0].pos.set(0, 2, 0); // the points sit at y 2, 3, 1, 2

    struct {
        bool caustics, volumeOn;
        float phase, row;
        float want[4];
    } const cases[] = {
        {false, false, 0, 0, {1, 1, 1, 1}},
        {false, true, 0, 0, {0.5f, 0.75f, 0.25f, 0.5f}},
        // u = frac(4 - i/4): 0, 0.75, 0.5, 0.25 along the first row.
        {true, false, 0, 0, {0, 0.75f, 0.5f, 0.25f}},
        {true, false, 0.25f, 0, {0.25f, 0, 0.75f, 0.5f}}, // the phase scrolls along the body
        {true, true, 0, 1, {0.25f, 0.375f, 0.125f, 0.25f}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.caustics << c.volumeOn << " " << c.phase);
        for (char const* name : {"causticImage", "lightVolume", "useLightVolume"})
            delete tank->getChild(name, 0);
        if (c.caustics)
            registerDataArrayAndLoad(tank, nullptr, "causticImage", "caustic.image", "caustic.image");
        registerDataArrayAndLoad(tank, nullptr, "lightVolume", "light.volume", "light.volume");
        auto* on = new CfloatVar;
        on->setName("useLightVolume");
        tank->addVariable(on, 1);
        on->setFloat(c.volumeOn ? 1.0f : 0.0f);
        fish->finPhase = c.phase, fish->finCycle = c.row;
        ASSERT_TRUE(fish->calcLightingPoints());
        ASSERT_EQ(fish->numLightingPoints, 4);
        for (int i = 0; i < 4; i++)
            EXPECT_NEAR(fish->lightingPoints[i], c.want[i], 1e-4f) << i;
    }
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back();
    fish->species = nullptr;
}

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
