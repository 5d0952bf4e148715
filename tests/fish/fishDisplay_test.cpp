// The displayed body: the skeleton table built from a synthetic skeleton model (names,
// bindings and the optional groups), the mouth, the waste outlet, the body variation by
// view, the lighting points, and the eyes (their modes, the clamps on the gaze and the hold
// on mode changes).
#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>

#include "../graphics/geoTestSupport.h"
#include "fishTestSupport.h"
#include "graphics/skeleton.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "world/species.h"

namespace {
// 32 joints: the spine on 0-9, named joints after it, optional groups and at most one
// extra attribute: fin-down angles of 10 degrees, command strings, or vertex assignments
// that bind the spine backwards with point 9 naming a vertex the body lacks.
CgeoFileContents skeletonModel(bool optional, char const* extra) {
    CgeoFileContents g;
    g.points = 32;
    g.attribs = {{"pos", 3, 0}};
    if (extra) g.attribs.push_back({extra, 1, 0});
    g.floatsPerPoint = extra ? 4 : 3;
    for (int p = 0; p < g.points; p++) {
        g.data.insert(g.data.end(), {static_cast<float>(p), 0.0f, 0.0f});
        if (extra) g.data.push_back(std::string(extra) == "finDownAngle" ? 10.0f : p == 9 ? 99.0f : 9.0f - p);
    }
    g.pointGroups = {{"spine", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}}};
    // Joints 10 to 30, one group each; the dorsal fin also has joint 31.
    std::istringstream groups(
        "leftEye rightEye gillMatLeft gillMatRight upperLip lowerJaw chinMat lowerLeftPec "
        "upperLeftPec lowerRightPec upperRightPec pelvicLeftForward pelvicLeftBack "
        "pelvicRightForward pelvicRightBack gillMat3 dorsalMat analMat pelvicLeftForwardB "
        "pelvicLeftBackB pelvicRightForwardB");
    std::string name;
    for (int k = 0; k < (optional ? 21 : 15) && groups >> name; k++)
        g.pointGroups.push_back(
            {Cstring(name.c_str()), k == 16 ? std::vector<int>{26, 31} : std::vector<int>{10 + k}});
    return g;
}
} // namespace

TEST_F(FishTest, SkeletonTableNamesTheModelsGroups) {
    char const* const prefixes[] = {"point ",         " pec mat",     "pelvic",
                                    "dorsalFrontMat", "analFrontMat", "gillMat"};
    struct {
        bool optional;
        char const* extra;
        int counts[6]; // entries whose names hold each of prefixes
    } const cases[] = {{false, nullptr, {10, 4, 4, 0, 0, 2}},
                       {true, nullptr, {10, 4, 7, 2, 1, 3}},
                       {true, "finDownAngle", {10, 4, 7, 2, 1, 3}},
                       {true, "mtx_cmd", {10, 0, 0, 0, 0, 3}},
                       {false, "assignAsMat", {9, 4, 4, 0, 0, 2}}};
    Cfish* fish = makeFish();
    for (auto const& c : cases) {
        std::string extra = c.extra ? c.extra : "";
        SCOPED_TRACE(testing::Message() << c.optional << extra);
        CgeoNew geo;
        ASSERT_EQ(loadContents(geo, skeletonModel(c.optional, c.extra)), 0);
        std::vector<CskeletonIdentity> table;
        ASSERT_TRUE(fish->makeSkeletonTable(geo, table));
        ASSERT_EQ(table.size(), 32u);
        for (int k = 0; k < 6; k++)
            EXPECT_EQ(
                std::count_if(table.begin(), table.end(),
                              [&](auto const& id) { return std::strstr(id.name.c_str(), prefixes[k]); }),
                c.counts[k])
                << prefixes[k];
        EXPECT_EQ(fish->commandSkinned, extra == "mtx_cmd" ? 1 : 0);
        EXPECT_TRUE(table[10].rotation == &fish->eyes[0].localRotation &&
                    table[15].rotation == &fish->jawMatrix && table[13].translatePoint == &fish->gillOffset &&
                    table[12].translatePoint == nullptr);
        int v = extra == "assignAsMat" ? 7 : 2; // joint 2 binds vertex 2, or the vertex the model assigns
        EXPECT_TRUE(table[2].translatePoint == &fish->displayVertex[v] &&
                    table[2].rotation == &fish->displayOrientation[v]);
        if (c.optional && extra != "mtx_cmd") {
            float down = extra == "finDownAngle" ? 0.17453292f : 1.0f;
            EXPECT_TRUE(std::abs(fish->dorsalFinDown[1] + (extra.empty() ? down : -down)) < 1e-6f &&
                        std::abs(fish->analFinDown[0] - down) < 1e-6f);
        }
    }
    EXPECT_TRUE(exitReasonList.empty());
}

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

// Near side views (both the head's and the middle's side turned to the viewer) draw the
// variations that drop faces turned away; anything else draws the whole body.
TEST_F(FishTest, BodyVariationFollowsTheViewedSide) {
    float const cases[][3] = {{0.9f, 0.85f, 1},   {0.75f, 0.9f, 2},   {0.9f, 0.6f, 0},
                              {-0.9f, -0.81f, 4}, {-0.75f, -0.9f, 3}, {0.9f, -0.9f, 0}};
    for (auto const& c : cases)
        EXPECT_EQ(Cfish::bodyVariationForView(c[0], c[1]), c[2]) << c[0] << " " << c[1];
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
    ASSERT_EQ(
        loadContents(*lights, contentsOf({{"pos", 3, 0}}, {{0, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}})), 0);
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
