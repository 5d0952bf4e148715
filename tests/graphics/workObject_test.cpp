// Work objects: refused models, default colours, taking over state, stream records, the
// skeleton and cloth reached through the owning thing, and point positions.
#include <cstring>

#include "data/dataArray.h"
#include "graphics/rigFromGeo.h"
#include "materialTestSupport.h"
#include "support/vectorExpect.h"

namespace {

// A model of 8 points on a line with "pos", "Cd" (4 floats), "N" and "uv", in a
// scratch species folder with materials.
class WorkObjectTest : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        contents.points = 8;
        contents.attribs = {{"pos", 3, 0}, {"Cd", 4, 0}, {"N", 3, 0}, {"uv", 2, 0}};
        contents.floatsPerPoint = 12;
        for (int p = 0; p < 8; p++)
            contents.data.insert(contents.data.end(), {static_cast<float>(p), 0.5f, -1, 0.1f, 0.2f, 0.3f,
                                                       0.4f, 0, 1, 0, 0.25f, 0.75f});
        writeMaterial("body", ":set materialID 65535\n:color 0.25 0.5 1\n");
        writeMaterial("fin", "");
    }
    float const* color(CworkObject& w, int buffer, int point) {
        return w.workGeo[buffer].pointData() + w.colorOffset * w.numPoints + point * w.colorSize;
    }
};

// A model that reflects needs normals and its specular colours in its work buffers.
TEST_F(WorkObjectTest, ReflectingModelWithoutNormalsOrSpecularIsRefused) {
    addFace("mat_fin_oa", {0, 1, 2});
    ASSERT_EQ(build(geo), 0) << lastReason();
    geo.normalsToTexture = 0;
    CdataArray reflection;
    geo.specColRefC = &reflection;
    CworkObject v;
    EXPECT_EQ(v.initWorkGeometry(&owner), 1);
    EXPECT_EQ(lastReason(), "no normals or spec in fish");
    geo.specColRefC = nullptr;
}

TEST_F(WorkObjectTest, DefaultColoursGoToTheMaterialsPoints) {
    addFace("mat_body_oa", {1, 2, 3});
    addFace("mat_fin_oa", {5, 6, 7});
    ASSERT_EQ(build(geo), 0) << lastReason();
    CworkObject w;
    ASSERT_EQ(w.initWorkGeometry(&owner), 0);
    for (int buffer = 0; buffer < 2; buffer++) {
        for (int p = 0; p < 8; p++) {
            float const* c = color(w, buffer, p);
            bool body = p >= 1 && p <= 3;
            EXPECT_EQ(c[0], body ? 0.25f : 0.1f) << p;
            EXPECT_EQ(c[2], body ? 1.0f : 0.3f) << p;
            EXPECT_EQ(c[3], body ? 1.0f : 0.4f) << p; // the material's alpha
        }
    }
    CworkObject none; // a model without poly groups changes nothing
    none.colorOffset = 0;
    EXPECT_EQ(none.setColorsToDefault(0), 0);
}

TEST_F(WorkObjectTest, CopyDataFromNeedsTheSameModelAndShape) {
    addFace("mat_fin_oa", {0, 1, 2});
    ASSERT_EQ(build(geo), 0);
    CworkObject a, b;
    ASSERT_EQ(a.initWorkGeometry(&owner), 0);
    ASSERT_EQ(b.initWorkGeometry(&owner), 0);
    a.curGeo->pointData()[4] = 42.0f;
    a.prevGeo->pointData()[4] = 7.0f;
    owner.buffer = 1;
    ASSERT_EQ(b.copyDataFrom(&a), 0);
    EXPECT_EQ(b.curGeo, &b.workGeo[0]);
    EXPECT_EQ(b.workGeo[0].pointData()[4], 42.0f);
    EXPECT_EQ(b.workGeo[1].pointData()[4], 7.0f);

    CtexturedGeo other;
    ASSERT_EQ(build(other), 0);
    TestOwner otherOwner;
    otherOwner.geo = &other;
    CworkObject c;
    ASSERT_EQ(c.initWorkGeometry(&otherOwner), 0);
    c.curGeo->pointData()[4] = -1.0f;
    EXPECT_EQ(c.copyDataFrom(&a), 1);
    EXPECT_EQ(lastReason(), "copyDataFrom: work objects of different models or shapes");
    EXPECT_EQ(c.curGeo->pointData()[4], -1.0f);
}

TEST_F(WorkObjectTest, RenderStreamRecordsAreByteExact) {
    addFace("mat_fin_oa", {0, 1, 2});
    ASSERT_EQ(build(geo), 0);
    CworkObject w;
    ASSERT_EQ(w.initWorkGeometry(&owner), 0);
    float* c = w.curGeo->pointData() + w.colorOffset * 8; // point 0's colour
    c[0] = 1.0f, c[1] = 0.5f, c[2] = 0.0f, c[3] = 0.25f;
    w.colorStreamOffset = 3;
    w.normalStreamOffset = 4;
    w.uvStreamOffset = 7;
    auto word = [](float const* at) {
        uint32_t u;
        std::memcpy(&u, at, 4);
        return u;
    };
    auto shorts = [](float const* at, int i) {
        int16_t s[4];
        std::memcpy(s, at, 8);
        return s[i];
    };
    struct Case {
        int api;
        int16_t glsl;
        uint8_t oneChannel;
        int what;
    } const cases[] = {
        {0, 1, 255, 1 | 2 | 4 | 16}, {1, 1, 255, 1}, {3, 0, 255, 1 | 2}, {0, 1, 1, 2}, {0, 1, 255, 0}};
    for (Case const& k : cases) {
        geo.apiFormat = k.api;
        geo.oneChannelColor = k.oneChannel;
        GLSL = k.glsl;
        std::vector<float> dest(8 * 9, -5.0f);
        w.copyCGeoDataIntoRenderStreamFormat(dest.data(), 9, k.what);
        float const* r = dest.data(); // point 0
        if (k.what == 0) {
            for (float f : dest)
                EXPECT_EQ(f, -5.0f);
            continue;
        }
        if ((k.what & 1) && !(k.api & 1)) EXPECT_EQ(r[0], 0.0f);
        if ((k.what & 1) && (k.api & 1)) {
            float const* p5 = dest.data() + 5 * 9;
            EXPECT_EQ(shorts(p5, 0), 5 * 2048);
            EXPECT_EQ(shorts(p5, 1), 1024);
            EXPECT_EQ(shorts(p5, 2), -2048);
            EXPECT_EQ(shorts(p5, 3),
                      (k.api & 2) ? 204 : 2048); // colour 0.1 in w, or 1
            EXPECT_EQ(r[2], -5.0f);              // the third float is left
        }
        if ((k.what & 2) && k.glsl && k.oneChannel == 255)
            EXPECT_EQ(word(r + 3), 255u + 256u * 127u + 0x3F000000u);
        if ((k.what & 2) && k.oneChannel == 1) EXPECT_EQ(word(r + 3), 127u * 0x01010101u);
        if ((k.what & 2) && !k.glsl) EXPECT_EQ(r[3], -5.0f); // no colour without shaders
        if (k.what & 16) expectNear(Cvector(r[4], r[5], r[6]), 0, 1, 0, 0);
        if (k.what & 4) EXPECT_EQ(r[8], 0.75f);
    }
    // Values beyond the byte and 16-bit ranges are held at their limits.
    c[0] = 2.0f, c[1] = -1.0f;
    w.curGeo->pointData()[w.posOffset * 8] = 100.0f;
    geo.apiFormat = 1;
    geo.oneChannelColor = 255;
    GLSL = 1;
    std::vector<float> held(8 * 9, -5.0f);
    w.copyCGeoDataIntoRenderStreamFormat(held.data(), 9, 1 | 2);
    EXPECT_EQ(shorts(held.data(), 0), 32767);
    EXPECT_EQ(word(held.data() + 3) & 0xFFFFu, 255u);

    // Pieces outside the record or in no stream are skipped.
    GLSL = 1;
    geo.apiFormat = 0;
    geo.oneChannelColor = 255;
    w.uvStreamOffset = 8; // 2 floats would pass a stride of 9
    w.colorStreamOffset = -1;
    std::vector<float> dest(8 * 9, -5.0f);
    w.copyCGeoDataIntoRenderStreamFormat(dest.data(), 9, 2 | 4);
    for (float f : dest)
        EXPECT_EQ(f, -5.0f);
    GLSL = 0;
}

TEST_F(WorkObjectTest, SkeletonAndClothComeThroughTheThing) {
    contents.attribs = {{"pos", 3, 0},      {"N", 3, 0},        {"mat", 2, 0},       {"blend", 1, 0},
                        {"spineNum", 1, 0}, {"fin_dist", 1, 0}, {"fin_angles", 2, 0}};
    contents.floatsPerPoint = 13;
    contents.data.clear();
    for (int p = 0; p < 8; p++)
        contents.data.insert(contents.data.end(), {static_cast<float>(p % 2), 0, -static_cast<float>(p / 2),
                                                   0, 0, 1, 0, 1, 1, static_cast<float>(p % 2), 0.5f, 0, 0});
    // Groups that are not the cloth's are passed over.
    contents.pointGroups = {{"cloth_base_tail", {0, 1}}, {"body", {0, 1, 2, 3}}, {"cloth_tail_1", {2, 3}}};
    addFace("mat_fin_oa", {0, 1, 2});
    ASSERT_EQ(build(geo), 0) << lastReason();
    ASSERT_EQ(buildModelCloth(geo, nullptr), 0) << lastReason();
    ASSERT_EQ(geo.cloth.getClothIndex("tail"), 0);
    EXPECT_EQ(geo.cloth.clothPieces[0].numGroups, 2);
    EXPECT_EQ(geo.cloth.clothSlavePoints, 4u);
    EXPECT_EQ(geo.cloth.clothPieces[0].slavePoints[1].pointIndex, 2); // spine 0, depth 1

    CgeoNew skeleton;
    ASSERT_EQ(loadContents(skeleton,
                           contentsOf({{"pos", 3, 0}, {"parentMat", 1, 0}}, {{0, 0, 0, -1}, {0, 0, 1, 0}})),
              0);

    owner.cooks = 5;
    CworkObject w;
    ASSERT_EQ(w.initWorkGeometry(&owner), 0);
    std::vector<CskeletonIdentity> ids(2);
    EXPECT_EQ(w.initSkeleton(ids, 1.0f), 0); // no skeleton model: no joints
    EXPECT_EQ(w.numMatrices, 0);
    w.calcDeformMatrices();
    EXPECT_TRUE(w.deformMatrices.empty());
    owner.skeleton = &skeleton;
    ASSERT_EQ(w.initSkeleton(ids, 1.0f), 0) << lastReason();
    EXPECT_EQ(w.numMatrices, 2);
    w.calcDeformMatrices();

    EXPECT_EQ(w.cloth.clothPoints.size(), 4u);
    w.updateClothPiece(0, 1, 1, nullptr);
    // The base link of spine 1 hangs from its anchor (1, 0, 1) along -N, 0.5 long.
    float const* pos = w.curGeo->pointData() + w.posOffset * 8;
    expectNear(Cvector(pos[3], pos[4], pos[5]), 1, 0, 0.5f, 1e-3);
    expectNear(w.cloth.clothPoints[2], 1, 0, 0.5f, 1e-3);
}

TEST(WorkObjectPoints, PositionsInEitherLayoutAndNullOutside) {
    CgeoNew cube;
    ASSERT_EQ(loadContents(cube, cubeContents()), 0);
    for (int layout : {0, 1}) {
        CworkObject work;
        // "pos" is not the first attribute, so its place differs between the layouts.
        for (CgeoNew& b : work.workGeo)
            b.clonePoints(cube, {"N", "pos"}, layout);
        for (int p = 0; p < 8; p++) {
            float* at = work.pointPosition(1, p);
            ASSERT_NE(at, nullptr);
            EXPECT_EQ(std::vector<float>(at, at + 3),
                      (std::vector<float>{float(p & 1), float((p >> 1) & 1), float(p >> 2)}))
                << "layout " << layout << " point " << p;
        }
        // Writes land in that buffer only.
        work.pointPosition(0, 7)[1] = 5.0f;
        EXPECT_EQ(work.pointPosition(0, 7)[1], 5.0f);
        EXPECT_EQ(work.pointPosition(1, 7)[1], 1.0f);
        struct {
            int buffer, point;
        } outside[] = {{-1, 0}, {2, 0}, {0, -1}, {0, 8}, {1, 32767}};
        for (auto const& c : outside)
            EXPECT_EQ(work.pointPosition(c.buffer, c.point), nullptr) << c.buffer << " " << c.point;
    }
    CworkObject empty; // buffers never filled
    EXPECT_EQ(empty.pointPosition(0, 0), nullptr);
}

} // namespace
