// Per-frame geometry of work objects (skinning, effects, screen cells), edits and look-ups.
#include <cmath>
#include <limits>

#include "data/dataArray.h"
#include "materialTestSupport.h"
#include "support/pov.h"
#include "support/vectorExpect.h"

namespace {

// A thing, and its tank and species once inTank is set.
class Thing : public TestOwner, public CframeSources {
  public:
    Thing() {
        skeleton = &bones;
        scale = 2.0f;
    }
    CframeSources* frameSources() override { return inTank ? this : nullptr; }
    float* boundingBox() override { return box; }
    void processLevelSetSensor(ClevelSetSensor*, float level) override { fired.push_back(level); }
    float sphereLevelSet(Cvector const& p) override { return p.y - 0.5f; }
    CdataChan const* camShakeChan() override { return shake; }
    CdataImage const* fishFinFlutter() override { return flutter; }
    CdataImage const* colorNoiseImage() override { return flutter; }
    Cvector camPos() override { return Cvector(0, 0, -10); }
    float causticSpeed() override { return 1.0f; }
    Cpov const* pov() override { return &view; }
    int gridColumns() override { return 32; }
    int gridRows() override { return 32; }
    float pushNoiseSpeed() override { return noiseSpeed; }
    CgeoNew bones;
    bool inTank = false;
    float box[6] = {};
    CdataChan const* shake = nullptr;
    CdataImage const* flutter = nullptr;
    Cpov view;
    float noiseSpeed = 0.0f;
    std::vector<float> fired;
};

// Point p at (p + 1, p % 2, 0), colour (0.1 p, 0.2, 0.3), uv (0.25, 0.75), normal +x (but
// points 3 and 4), skinned by joints 0 (A) and 1 (B) with weight 0, 1, 0.25 at points 0 to
// 2 (1 elsewhere). Point 6 is noise-pushed; 2 and 5 flutter; point 0's normal comes from
// points 1 and 2; point 7 takes point 3's colour; point 2 has caustics; 1 and 4 are the
// extremity.
class FrameTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        contents.points = 8;
        contents.attribs = {{"pos", 3, 0},        {"Cd", 3, 0},          {"N", 3, 0},
                            {"uv", 2, 0},         {"mat", 2, 0},         {"blend", 1, 0},
                            {"noisePush", 2, 0},  {"noiseTiming", 1, 0}, {"flutter", 1, 0},
                            {"calc_norms", 2, 0}, {"stealColor", 1, 0},  {"causticNoise", 2, 0},
                            {"causticAmp", 1, 0}};
        contents.floatsPerPoint = 24;
        for (int p = 0; p < 8; p++)
            contents.data.insert(
                contents.data.end(),
                {p + 1.0f, p % 2 * 1.0f, 0, 0.1f * p, 0.2f, 0.3f, 1, 0, 0, 0.25f, 0.75f, 0, 1, 1, 0, 0, 0,
                 0,        -1,           2, -1,       0,    0,    0});
        float const specials[] = {3,  6, 0.5f, 3,  7,     3,  4,  6,    0,  4,  7,     -3, 0,
                                  13, 0, 2,    13, 0.25f, 6,  14, 0.5f, 6,  15, 0.25f, 2,  17,
                                  2,  5, 17,   2,  0,     18, 1,  7,    20, 3,  2,     23, 0.4f};
        for (size_t k = 0; k < std::size(specials); k += 3) // (point, float, value)
            contents.data[static_cast<size_t>(specials[k] * 24 + specials[k + 1])] = specials[k + 2];
        contents.pointGroups = {{"extremity", {1, 4}}};
        contents.polygons = {{0, 1, 2}, {3, 4, 5}, {5, 6, 7}};
        contents.primGroups = {{"mat_fin_oa", {0}}, {"mat_fin_tb", {1}}, {"mat_fin_1#_tc", {2}}};
        writeMaterial("fin", "");
        ASSERT_EQ(build(), 0);
        ASSERT_EQ(geo.initGeometrySpecialProcessingTables(), 0) << lastReason();
        thing.geo = &geo;
        shake.init(4, 1, 1, 1, 4);
        shake.fillWithConstant(2.0f);
        flutterImage.init(4, 4, 1, 1, 4);
        flutterImage.fillWithConstant(1.0f);
    }
    // Two root joints: A moved by moveA, B a quarter turn about z.
    int addJoints() {
        if (loadContents(thing.bones,
                         contentsOf({{"pos", 3, 0}, {"parentMat", 1, 0}}, {{0, 0, 0, -1}, {0, 0, 0, -1}})))
            return -1;
        turnB.side.set(0, 1, 0), turnB.up.set(-1, 0, 0), turnB.forward.set(0, 0, 1);
        still.identity();
        ids = {{"a", &moveA, &still}, {"b", &zero, &turnB}};
        return w.initSkeleton(ids, 1.0f);
    }
    Cvector at(int offset, int point, int buffer = 0) {
        float const* v = w.workGeo[buffer].pointData() + offset * 8 + point * 3;
        return Cvector(v[0], v[1], v[2]);
    }

    Thing thing;
    CdataChan shake;
    CdataImage flutterImage;
    std::vector<CskeletonIdentity> ids;
    Cvector moveA{10, 0, 0}, zero;
    Cmatrix3 turnB, still;
    CworkObject w;
};

TEST_F(FrameTest, SkinsPositionsAndNormalsByTwoJoints) {
    geo.usedAttribMask |= 128; // keep matrix history
    ASSERT_EQ(w.initWorkGeometry(&thing), 0) << lastReason();
    Cvector stored;
    w.calcPointNum(2, stored, nullptr); // no joints: the point as stored
    expectNear(stored, 3, 0, 0);
    ASSERT_EQ(addJoints(), 0) << lastReason();
    struct Case {
        float moveA;
        bool firstBad, secondBad;
    } const cases[] = {{10, false, false}, {20000, false, true}, {std::nanf(""), true, true}};
    for (Case const& c : cases) {
        resetExitState();
        moveA.set(c.moveA, 0, 0);
        w.calcGeometry(1);
        w.calcGeometry(0);
        // Weight 0: matrix B alone; weight 1: matrix A alone; a bad point goes to the origin.
        expectNear(at(w.posOffset, 0), c.firstBad ? Cvector() : Cvector(0, 1, 0), 1e-5, "w=0");
        expectNear(at(w.posOffset, 1), c.secondBad ? Cvector() : Cvector(12, 1, 0), 1e-5, "w=1");
        EXPECT_EQ(hasReason("bad matrix"), c.firstBad || c.secondBad) << c.moveA;
    }
    moveA.set(5, 0, 0);
    w.calcGeometry(1);
    moveA.set(10, 0, 0);
    w.calcGeometry(0);
    expectNear(at(w.posOffset, 2), 3.25f, 2.25f, 0, 1e-5); // weight 0.25
    expectNear(at(w.normalOffset, 1), 1, 0, 0, 1e-6);
    expectNear(at(w.normalOffset, 2), 0.25f, 0.75f, 0, 1e-6);
    EXPECT_EQ(w.bufferMatrices[0][0].pos.x, 10.0f);
    EXPECT_EQ(w.bufferMatrices[1][0].pos.x, 5.0f); // from the frame into buffer 1
    Cmatrix3 rotation;
    w.calcPointNum(2, stored, &rotation); // skins the stored point once more
    expectNear(stored, 1.625f, 3.0f, 0, 1e-4);
    expectNear(rotation.side, 0, 1, 0, 0);
}

TEST_F(FrameTest, EffectsOnTheCurrentBuffer) {
    geo.normalsToTexture = 0; // normals into uv
    ASSERT_EQ(w.initWorkGeometry(&thing), 0);
    w.calcGeometry(0); // without a tank the tank's effects are skipped
    EXPECT_EQ(at(w.posOffset, 6).x, 7.0f);
    thing.inTank = true;
    struct Case {
        float speed;
        bool arrays;
        float noiseX, flutterX; // point 6's x, point 5's x
    } const cases[] = {{7.3f, false, 7, 6},
                       {7.3f, true, (0.5f * 2 + 7) * 2, 6.07f},
                       {std::numeric_limits<float>::infinity(), true, 16, 6.14f}};
    for (Case const& c : cases) {
        thing.noiseSpeed = c.speed;
        thing.shake = c.arrays ? &shake : nullptr;
        thing.flutter = c.arrays ? &flutterImage : nullptr;
        for (int frame = 0; frame < 30; frame++) {
            w.calcGeometry(0);
            ASSERT_TRUE(w.noiseTime >= 0.0f && w.noiseTime < 50.0f) << w.noiseTime;
            if (c.arrays) break; // one flutter step
        }
        EXPECT_FLOAT_EQ(at(w.posOffset, 6).x, c.noiseX);
        EXPECT_NEAR(at(w.posOffset, 5).x, c.flutterX, 1e-5); // flutter entries 2 then 3 apart
        EXPECT_FLOAT_EQ(at(w.posOffset, 4).x, 5.0f);
    }
    expectNear(at(w.normalOffset, 0), 0, 0, 1, 1e-3);                 // from neighbours 1 and 2, facing +z
    float const* uv = w.curGeo->pointData() + w.uvOffset * 8;         // (point, u, v)
    float const uvs[] = {0, 0.5f, 0.5f, 3, 0.75f, 0.98f, 4, 0.5f, 0}; // (point, u, v)
    for (size_t k = 0; k < std::size(uvs); k += 3) {
        EXPECT_NEAR(uv[int(uvs[k]) * 2], uvs[k + 1], 1e-3) << uvs[k];
        EXPECT_EQ(uv[int(uvs[k]) * 2 + 1], uvs[k + 2]) << uvs[k];
    }
    expectNear(at(w.colorOffset, 7), 0.3f, 0.2f, 0.3f, 1e-6); // point 3's colour
    expectNear(at(w.colorOffset, 2), 0.6f, 0.6f, 0.7f, 1e-6); // caustic: noise 1 x amp 0.4 added
    // The box of points 1 and 4, widened by 0.15 x thingScale in x and z only.
    float const box[6] = {2 - 0.3f, 0, -0.3f, 5 + 0.3f, 1, 0.3f};
    for (int k = 0; k < 6; k++)
        EXPECT_FLOAT_EQ(thing.box[k], box[k]) << k;
    // Without a level-set volume the spheres' level (y - 0.5) is used: only point 1 (y 1)
    // is below its threshold; point 500 does not exist.
    w.levelSetSensors = {{0, 1, 0.6f}, {0, 0, -1.0f}, {0, 500, 9.0f}};
    w.doLevelSetSensors();
    EXPECT_EQ(thing.fired, std::vector<float>{0.5f});
}

TEST_F(FrameTest, ScreenCellsOfARenderPolyGroup) {
    ASSERT_EQ(w.initWorkGeometry(&thing), 0);
    CrenderPolyGroup& group = w.renderPolyGroups[0];
    group.calcPOVcoords();
    EXPECT_EQ(lastReason(), "tbah"); // no tank
    thing.inTank = true;
    // Looking along +z from z = -10; a 32 x 32 grid over view x and y in [-1, 1].
    thing.view.viewRotation.identity();
    thing.view.viewpoint.set(0, 0, -10);
    thing.view.offset = Cvector2(-1, -1);
    thing.view.scale = Cvector2(16, 16);
    struct Case {
        float x0, x1, z1; // point 0 is at (x0, 0, 0), point 1 at (x1, -1, z1)
        int16_t skip;
        uint64_t x, y;
        Cvector min, max;
    } const cases[] = {{0, -1, 0, 0, 0x7u << 14, 0x7u << 14, {14.4f, 14.4f, 10}, {16, 16, 10}},
                       {0, -1, 10, 0, 0x3u << 15, 0x3u << 15, {15.2f, 15.2f, 10}, {16, 16, 20}}, // far corner
                       {-500, -400, 0, 0, 0, 0, {-784, 14.4f, 10}, {-624, 16, 10}}, // left of the grid
                       {-500, -400, 0, 1, ~0ull, ~0ull, {-784, 14.4f, 10}, {-624, 16, 10}}};
    for (Case const& c : cases) {
        float* pos = w.curGeo->pointData() + w.posOffset * 8;
        pos[0] = c.x0, pos[1] = 0, pos[3] = c.x1, pos[4] = -1, pos[5] = c.z1;
        group.definition->boundCount = 2;
        group.definition->boundPoints[0] = 0, group.definition->boundPoints[1] = 1;
        group.definition->skipPOVtest = c.skip;
        group.calcPOVcoords();
        EXPECT_EQ(group.xCellMask, c.x) << c.x0 << " " << c.z1;
        EXPECT_EQ(group.yCellMask, c.y) << c.x0 << " " << c.z1;
        expectNear(group.screenMin, c.min, 1e-3);
        expectNear(group.screenMax, c.max, 1e-3);
    }
}

TEST_F(FrameTest, InterpolateShiftAndAttributeMaths) {
    ASSERT_EQ(w.initWorkGeometry(&thing), 0);
    struct Blend {
        float f;
        uint8_t uvFlag;
        bool envMap; // uv is environment-mapped
        float uv;    // share of buffer 1
    } const blends[] = {{0, 1, false, 0}, {1, 1, false, 1}, {1, 0, true, 1}, {1, 0, false, 0}};
    for (Blend const& c : blends) {
        std::fill_n(w.workGeo[0].pointData(), 8 * w.floatsPerPoint, 0.0f);
        std::fill_n(w.workGeo[1].pointData(), 8 * w.floatsPerPoint, 8.0f);
        geo.workSwitches[4] = c.uvFlag;
        w.envMapUVOffset = c.envMap ? w.uvOffset : -1;
        ASSERT_EQ(w.interpolateGeoWith(0, 1, c.f), 0);
        EXPECT_EQ(at(w.posOffset, 2).x, 8 * c.f);
        EXPECT_EQ(w.workGeo[0].pointData()[w.uvOffset * 8 + 5], 8 * c.uv);
    }
    w.floatsPerPoint++;
    EXPECT_EQ(w.interpolateGeoWith(0, 1, 0.5f), 1);
    EXPECT_EQ(lastReason(), "geos have diff attribs!");
    w.floatsPerPoint--;

    thing.inTank = true;
    geo.texShift[0] = 0.01f, geo.texShift[1] = 0.02f;
    w.uvScaleU = 2.0f, w.uvScaleV = 0.5f;
    geo.workSwitches[4] = 0;
    EXPECT_EQ(w.shiftTexCoords(0, 0, 1.0), 0);
    EXPECT_EQ(w.shiftTexCoords(1, 0, 0.0), 0);
    EXPECT_EQ(geo.workSwitches[4], 1); // blended from now on
    float const* uv = w.workGeo[0].pointData() + w.uvOffset * 8;
    EXPECT_NEAR(uv[14], 0.8f, 1e-4); // scaled and scrolled
    EXPECT_NEAR(uv[15], 0.975f, 1e-4);
    float const* plain = w.workGeo[1].pointData() + w.uvOffset * 8;
    EXPECT_FLOAT_EQ(plain[14], 0.5f); // time 0: only scaled
    EXPECT_FLOAT_EQ(plain[15], 0.375f);
    struct Maths {
        char const* name;
        int component;
        float low, high;
        bool done;
    } const maths[] = {{"Cd", 1, 0.7f, 0.7f, true},
                       {"uv", 2, 0, 1, false},
                       {"uv", -1, 0, 1, false},
                       {"glow", 0, 0, 1, false}};
    for (Maths const& c : maths) {
        resetExitState();
        w.mathOnAttribFromOriginalValues(c.name, c.component, c.low, c.high);
        EXPECT_EQ(exitReasonList.empty(), c.done) << c.name << c.component;
        EXPECT_EQ(uv[14] + plain[14], 0.8f + 0.5f) << c.name << c.component; // uv left alone
    }
    EXPECT_FLOAT_EQ(at(w.colorOffset, 5, 1).y, 0.7f);
    resetExitState();
    EXPECT_EQ(w.shiftTexCoords(1, 1, 0.0), 0); // the model has no uvB
    EXPECT_EQ(lastReason(), "tried to shift texture with no UV!");
}

TEST_F(FrameTest, GroupsAreFoundShownAndSwitched) {
    ASSERT_EQ(w.initWorkGeometry(&thing), 0);
    ASSERT_EQ(w.renderPolyGroups.size(), 2u);
    EXPECT_EQ(w.findRenderPolyIndex("mat_fin_tb", 'b', 1), 1);
    EXPECT_EQ(w.findRenderPolyIndex("mat_fin_tb", 'b', 0), -1); // that group is transparent
    EXPECT_EQ(w.findRPGbyName("mat_gill_oa"), nullptr);
    w.materialDisplayed("fin", 0); // both groups use "fin": only the first changes
    EXPECT_EQ(w.renderPolyGroups[0].displayed + 2 * w.renderPolyGroups[1].displayed, 2);
    struct Case {
        short index, variation;
        char const* shown; // group 1's definition after the call
    } const cases[] = {{1, 1, "mat_fin_1#_tc"}, {-1, 0, "mat_fin_1#_tc"}, {2, 0, "mat_fin_1#_tc"},
                       {1, 2, "mat_fin_1#_tc"}, {1, -1, "mat_fin_1#_tc"}, {1, 0, "mat_fin_tb"}};
    for (Case const& c : cases) {
        w.setRenderPolyVariation(c.index, c.variation);
        EXPECT_EQ(w.renderPolyGroups[1].definition->name, c.shown) << c.index << " " << c.variation;
    }
    CrenderPolyGroup& g = w.renderPolyGroups[0];
    g.drawMeOvertopOf(&w.renderPolyGroups[1]);
    w.clearAllRPGpredecessors();
    EXPECT_EQ(g.predecessorCount, 0);
    g.drawMeOvertopOf(nullptr);
    for (int i = 0; i <= CrenderPolyGroup::kMaxPredecessors; i++) // the list starts again, full at its size
        g.drawMeOvertopOf(&w.renderPolyGroups[i % 2]);
    ASSERT_EQ(g.predecessorCount, CrenderPolyGroup::kMaxPredecessors);
    EXPECT_EQ(g.predecessors[0], &w.renderPolyGroups[0]);
    EXPECT_EQ(g.predecessors[CrenderPolyGroup::kMaxPredecessors - 1], &w.renderPolyGroups[1]);
}

} // namespace
