// Per-frame geometry: skinning, the per-point effects, the bounding box, level-set sensors
// and the screen cells of render poly groups.
#include <cmath>
#include <limits>

#include "data/dataArray.h"
#include "geoTestSupport.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "materialTestSupport.h"
#include "script/matrixControllerManager.h"
#include "support/pov.h"
#include "support/vectorExpect.h"
#include "workObjectFrameSupport.h"

namespace {

TEST_F(FrameTest, SkinsPositionsAndNormalsByTwoJoints) {
    ASSERT_EQ(build(geo), 0) << lastReason();
    CworkObject w;
    ASSERT_EQ(w.initWorkGeometry(&owner), 0) << lastReason();
    Cvector stored;
    w.calcPointNum(2, stored, nullptr); // no joints: the point as stored
    expectNear(stored, 3, 0, 0);
    ASSERT_EQ(addJoints(w), 0) << lastReason();

    struct Case {
        float translationA;
        bool firstBad, secondBad;
    } const cases[] = {{10.0f, false, false},
                       {20000.0f, false, true},
                       {std::numeric_limits<float>::quiet_NaN(), true, true}};
    for (Case const& c : cases) {
        resetExitState();
        moveA.set(c.translationA, 0, 0);
        w.calcDeformMatrices();
        w.curGeo = &w.workGeo[0];
        w.calcDeformedGeometry();
        // Weight 0: matrix B alone (a quarter turn about z); weight 1: matrix A alone.
        Cvector p0 = position(w, 0), p1 = position(w, 1);
        expectNear(p0, c.firstBad ? Cvector(0, 0, 0) : Cvector(0, 1, 0), 1e-5, "w=0");
        expectNear(p1, c.secondBad ? Cvector(0, 0, 0) : Cvector(12, 1, 0), 1e-5, "w=1");
        EXPECT_EQ(hasReason("bad matrix"), c.firstBad || c.secondBad) << c.translationA;
        if (c.secondBad) continue;
        expectNear(position(w, 2), 3.25f, 2.25f, 0, 1e-5); // weight 0.25
        expectNear(normal(w, 0), 0, 1, 0, 1e-6);
        expectNear(normal(w, 1), 1, 0, 0, 1e-6);
        expectNear(normal(w, 2), 0.25f, 0.75f, 0, 1e-6);
        Cvector onDemand;
        Cmatrix3 rotation;
        w.calcPointNum(2, onDemand, &rotation); // skins the stored point again
        expectNear(onDemand, 0.25f * (10 + 3.25f) - 0.75f * 2.25f, 0.75f * 3.25f + 0.25f * 2.25f, 0, 1e-4);
        expectNear(rotation.side, 0, 1, 0, 0);
        Cvector untouched(-7, -7, -7);
        w.calcPointNum(99, untouched, nullptr);
        expectNear(untouched, -7, -7, -7, 0);
    }
}

TEST_F(FrameTest, MatrixHistoryFollowsTheBuffer) {
    ASSERT_EQ(build(geo), 0) << lastReason();
    geo.usedAttribMask |= 128;
    CworkObject w;
    ASSERT_EQ(w.initWorkGeometry(&owner), 0);
    ASSERT_EQ(addJoints(w), 0);
    for (int n : {1, 0}) {
        moveA.set(static_cast<float>(5 + n), 0, 0);
        EXPECT_EQ(w.calcGeometry(n), 0);
        EXPECT_EQ(w.curGeo, &w.workGeo[n]);
        EXPECT_EQ(w.curBufferMatrices, &w.bufferMatrices[n]);
        EXPECT_EQ(w.prevBufferMatrices, &w.bufferMatrices[1 - n]);
        EXPECT_EQ(w.bufferMatrices[n][0].pos.x, 5.0f + n);
    }
    EXPECT_EQ(w.bufferMatrices[1][0].pos.x, 6.0f); // the other buffer's frame is kept
}

TEST_F(FrameTest, NoisePushWrapsItsPhaseAndSkipsAMissingCurve) {
    ASSERT_EQ(build(geo), 0) << lastReason();
    owner.sources = &sources;
    owner.scale = 2.0f;
    struct Case {
        float speed;
        bool curve;
        float x, y; // point 6 after the frame
    } const cases[] = {{7.3f, true, (0.5f * 2 + 7) * 2, (0.25f * 2) * 2},
                       {std::numeric_limits<float>::infinity(), true, 16, 1},
                       {1.0f, false, 7, 0}};
    for (Case const& c : cases) {
        CworkObject w;
        ASSERT_EQ(w.initWorkGeometry(&owner), 0);
        sources.noiseSpeed = c.speed;
        sources.shake = c.curve ? &shake : nullptr;
        for (int frame = 0; frame < 40; frame++) {
            w.calcGeometry(frame & 1);
            ASSERT_GE(w.noiseTime, 0.0f);
            ASSERT_LT(w.noiseTime, 50.0f);
        }
        expectNear(position(w, 6), c.x, c.y, 0, 1e-5);
    }
}

TEST_F(FrameTest, EffectsOnTheCurrentBuffer) {
    ASSERT_EQ(build(geo), 0) << lastReason();
    geo.normalsToTexture = 0; // normals into uv
    CworkObject w;
    ASSERT_EQ(w.initWorkGeometry(&owner), 0);
    owner.sources = &sources;
    for (bool image : {false, true}) {
        sources.flutter = image ? &flutterImage : nullptr;
        w.calcGeometry(0);
        // Flutter entries two and three points apart move points 2 and 5 (amount 2).
        for (int p = 1; p < 8; p++) {
            bool moved = image && (p == 2 || p == 5);
            Cvector rest(static_cast<float>(p + 1), static_cast<float>(p % 2), 0);
            expectNear(position(w, p), rest + (moved ? Cvector(0.07f, 0.03f, 0) : Cvector()), 1e-6);
        }
    }
    // Point 0's normal from its neighbours 1 and 2, facing +z.
    expectNear(normal(w, 0), 0, 0, 1, 1e-3);
    // uv from the normals, v held to [0, 0.98].
    struct {
        int point;
        float u, v;
    } const uvs[] = {{0, 0.5f, 0.5f}, {3, 0.75f, 0.98f}, {4, 0.5f, 0.0f}, {1, 1.0f, 0.5f}};
    for (auto const& c : uvs) {
        float const* uv = w.curGeo->pointData() + w.uvOffset * 8 + 2 * c.point;
        EXPECT_NEAR(uv[0], c.u, 1e-3) << c.point;
        EXPECT_FLOAT_EQ(uv[1], c.v) << c.point;
    }
    // Point 7 takes point 3's colour.
    float const* cd = w.curGeo->pointData() + w.colorOffset * 8;
    for (int k = 0; k < 3; k++)
        EXPECT_EQ(cd[7 * 3 + k], cd[3 * 3 + k]);
    EXPECT_FLOAT_EQ(cd[7 * 3], 0.3f);
}

TEST_F(FrameTest, BoundingBoxWidensOnlyXAndZ) {
    CtexturedGeo plain; // no extremity group: the box is left alone
    ASSERT_EQ(build(plain), 0) << lastReason();
    owner.geo = &plain;
    CworkObject none;
    ASSERT_EQ(none.initWorkGeometry(&owner), 0);
    owner.box[0] = 123.0f;
    none.calcGeometry(0);
    EXPECT_EQ(owner.box[0], 123.0f);

    contents.pointGroups = {{"extremity", {1, 4}}};
    ASSERT_EQ(build(geo), 0) << lastReason();
    owner.geo = &geo;
    CworkObject w;
    ASSERT_EQ(w.initWorkGeometry(&owner), 0);
    owner.scale = 2.0f;
    struct Case {
        bool fish;
        float box[6];
    } const cases[] = {{false, {2 - 0.3f, 0, -0.3f, 5 + 0.3f, 1, 0.3f}},
                       {true, {-1 - 0.3f, -1, -1.3f, 5 + 0.3f, 1, 0.3f}}};
    for (Case const& c : cases) {
        owner.fishStart = c.fish;
        w.calcGeometry(0);
        for (int k = 0; k < 6; k++)
            EXPECT_FLOAT_EQ(owner.box[k], c.box[k]) << k;
    }
}

TEST_F(FrameTest, LevelSetSensorsFireBelowTheirThreshold) {
    ASSERT_EQ(build(geo), 0) << lastReason();
    CworkObject w;
    ASSERT_EQ(w.initWorkGeometry(&owner), 0);
    w.levelSetSensors = {{1, 1, 0.6f}, {2, 0, -1.0f}, {3, 500, 9.0f}};
    w.doLevelSetSensors(); // no tank: nothing fires
    EXPECT_TRUE(owner.fired.empty());
    owner.sources = &sources;
    w.doLevelSetSensors();
    // The spheres' level is y - 0.5: point 1 (y 1) is below 0.6; point 0 is not below -1;
    // point 500 does not exist.
    ASSERT_EQ(owner.fired.size(), 1u);
    EXPECT_EQ(owner.fired[0].first, 1);
    EXPECT_FLOAT_EQ(owner.fired[0].second, 0.5f);
}

TEST(CellMask, CoversTheCellsOfARange) {
    struct Case {
        float first, last;
        int count;
        uint64_t mask;
    } const cases[] = {
        {-5.0f, -1.5f, 32, 0},                       // wholly left of the grid
        {40.0f, 50.0f, 32, 0},                       // wholly right
        {2.2f, 4.5f, 32, 0x3Cu},                     // cells 2 to 5
        {-3.0f, 100.0f, 32, 0xFFFFFFFFu},            // the whole grid of 32
        {30.5f, 40.0f, 64, 0x7FFull << 30},          // cells 30 to 40
        {-1.0f, 70.0f, 64, ~0ull},                   // the whole grid of 64
        {60.0f, 90.0f, 100, 0xFull << 60},           // counts above 64 are held to 64
        {std::nanf(""), 3.0f, 32, 0},
        {0.0f, 3.0f, 0, 0},
    };
    for (Case const& c : cases)
        EXPECT_EQ(cellMask(c.first, c.last, c.count), c.mask) << c.first << " " << c.last << " " << c.count;
}

TEST_F(FrameTest, ScreenCellsOfARenderPolyGroup) {
    ASSERT_EQ(build(geo), 0) << lastReason();
    CworkObject w;
    ASSERT_EQ(w.initWorkGeometry(&owner), 0);
    ASSERT_FALSE(w.renderPolyGroups.empty());
    CrenderPolyGroup& group = w.renderPolyGroups[0];
    group.calcPOVcoords();
    EXPECT_EQ(lastReason(), "tbah"); // no tank
    owner.sources = &sources;
    // A camera at z = -10 looking along +z; a 32 x 32 grid over view x and y in [-1, 1].
    sources.view.viewRotation.identity();
    sources.view.viewpoint.set(0, 0, -10);
    sources.view.offset = Cvector2(-1, -1);
    sources.view.scale = Cvector2(16, 16);
    sources.cam.set(0, 0, -10);
    CpolyGroupDefinition& d = *group.definition;
    struct Case {
        int points[2];
        int16_t skip;
        uint64_t x, y;
    } const cases[] = {
        {{0, 1}, 0, 0x3u << 16, 0x7u << 16}, // x 0 to 0.5, y 0 to 1, at depth 10
        {{0, 7}, 0, 0x7u << 14, 0x7u << 14}, // x and y -1 to 0
        {{0, 1}, 1, ~0ull, ~0ull},
    };
    for (Case const& c : cases) {
        d.boundCount = 2;
        d.boundPoints[0] = static_cast<uint16_t>(c.points[0]);
        d.boundPoints[1] = static_cast<uint16_t>(c.points[1]);
        d.skipPOVtest = c.skip;
        float* pos = w.curGeo->pointData() + w.posOffset * 8;
        for (int p = 0; p < 8; p++) // points about the view axis
            pos[3 * p] = p == 7 ? -1.0f : static_cast<float>(p) * 0.5f;
        pos[3 * 7 + 1] = -1.0f;
        group.calcPOVcoords();
        EXPECT_EQ(group.xCellMask, c.x) << c.points[1];
        EXPECT_EQ(group.yCellMask, c.y) << c.points[1];
    }
    // A box left of and below the camera, 10 deep: its corners are (min x, min y, max z)
    // and (max x, max y, min z).
    float* pos = w.curGeo->pointData() + w.posOffset * 8;
    pos[0] = 0, pos[1] = 0, pos[2] = 0;
    pos[21] = -1, pos[22] = -1, pos[23] = 10;
    d.boundPoints[1] = 7;
    d.skipPOVtest = 0;
    group.calcPOVcoords();
    expectNear(group.screenMin, 15.2f, 15.2f, 10, 1e-4);
    expectNear(group.screenMax, 16, 16, 20, 1e-4);
    // A group far left of the grid is off screen in both directions.
    d.boundPoints[1] = 1;
    w.curGeo->pointData()[w.posOffset * 8] = -500.0f;
    w.curGeo->pointData()[w.posOffset * 8 + 3] = -400.0f;
    d.skipPOVtest = 0;
    group.calcPOVcoords();
    EXPECT_EQ(group.xCellMask, 0u);
    EXPECT_EQ(group.yCellMask, 0u);
}

} // namespace
