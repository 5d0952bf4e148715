// Per-point tables, the model's own deformation and attribute remapping.
#include <gtest/gtest.h>

#include "geoTestSupport.h"
#include "graphics/texturedGeo.h"
#include "support/matrix4.h"
#include "support/traceCapture.h"

namespace {

// A model named "m" of the attributes, one row of all floats per point.
void makeModel(CtexturedGeo& geo, std::vector<CgeoFileAttrib> attribs, std::vector<std::vector<float>> rows,
               std::vector<CgeoFileGroup> groups = {}) {
    CgeoFileContents g = contentsOf(std::move(attribs), std::move(rows));
    g.pointGroups = std::move(groups);
    geo.setName("m");
    ASSERT_EQ(loadContents(geo, g), 0);
    geo.buildQuickMatrixLookups();
}

TEST(PointTables, NeighboursStolenColoursGroupsAndAdjustments) {
    CtexturedGeo geo;
    makeModel(geo,
              {{"pos", 3, 0},
               {"N", 3, 0},
               {"calc_norms", 2, 0},
               {"stealColor", 1, 0},
               {"lightingAdjust", 2, 0},
               {"mat", 2, 0},
               {"blend", 1, 0},
               {"fin_dist", 1, 0},
               {"causticAmp", 1, 0}},
              {{0, 0, 0, 0, 1, 0, -1, 0, 4.95f, .1f, .2f, 0, 1, 1, .5f, 0},
               {1, 0, 0, 0, 1, 0, 0, 2, -1, .3f, .4f, 2, 1, .25f, .6f, 0},
               {2, 0, 0, 0, 1, 0, -1, 0, 0, .5f, .6f, 1, 0, 1, .7f, 0},
               {3, 0, 0, 0, 1, 0, -1, 0, -1, 0, 0, 0, 0, 1, 0, 0},
               {4, 0, 0, 0, 1, 0, -1, 0, -1, 0, 0, 0, 0, 1, 0, 0},
               {5, 0, 0, 0, 1, 0, -1, 0, -1, 0, 0, 0, 0, 1, 0, 0}},
              {{"dualNormal", {4, 2}}, {"flutter_tail", {1, 2}}, {"other", {0}}});
    ASSERT_EQ(geo.initGeometrySpecialProcessingTables(), 0);
    EXPECT_EQ(geo.normalCalcs, (std::vector<uint16_t>{1, 0, 2}));
    EXPECT_EQ(geo.stealColorPairs, (std::vector<int>{0, 5, 2, 0}));
    EXPECT_EQ(geo.lightingAdjust.size(), 12u);
    EXPECT_FLOAT_EQ(geo.lightingAdjust[3], .4f);
    EXPECT_EQ(geo.dualNormalPoints, (std::vector<int>{4, 2}));
    EXPECT_EQ(geo.dualNormalFactors, std::vector<float>(6, 1.0f));
    EXPECT_EQ(geo.causticAmpOffset, 15);
    EXPECT_EQ(geo.causticNoiseOffset, -1);

    // One flutter variable per "flutter_" group, named after the rest of the name.
    ASSERT_EQ(geo.flutterDir.countChildren(), 1);
    auto* tail = static_cast<ClinkVar*>(geo.flutterDir.firstChild);
    EXPECT_EQ(tail->name, "tail");
    ASSERT_EQ(tail->elementCount, 2);
    auto const* r = static_cast<CflutterRecord const*>(tail->storage);
    EXPECT_EQ(r[0].point, 1);
    EXPECT_EQ(r[0].matrixA, 2);
    EXPECT_EQ(r[0].matrixB, 1);
    EXPECT_FLOAT_EQ(r[0].weight, .25f);
    EXPECT_FLOAT_EQ(r[1].finDistance, .7f);
    EXPECT_FLOAT_EQ(r[1].wagAmount, 0.0f); // no "fin_wag_amount"

    EXPECT_EQ(geo.checkMatrixIndices(3), 0);
    TraceCapture trace(1);
    EXPECT_EQ(geo.checkMatrixIndices(2), 1);
    EXPECT_EQ(exitReasonList.back(), "bad model m: matrix index out of range at point 1");
}

// Indices that would take a per-frame pass outside the model are refused once, here.
TEST(PointTables, IndicesOutsideTheModelAreRefused) {
    struct Case {
        char const* what;
        char const* attrib;
        int floats;
        std::vector<float> pointTwo; // point 2's values; the others hold -1
        char const* reason;
    };
    char const* const norms = "bad model m: bad calc norms! at point 2";
    char const* const colour = "bad model m: stolen colour from outside the model at point 2";
    Case const cases[] = {
        {"no neighbour", "calc_norms", 2, {1, -1}, norms},
        {"far neighbour", "calc_norms", 2, {1, 3}, norms},
        {"huge neighbour", "calc_norms", 2, {1, 1e30f}, norms},
        {"far colour", "stealColor", 1, {2.95f}, colour},
        {"negative colour", "stealColor", 1, {-3}, colour},
    };
    for (auto const& c : cases) {
        std::vector<std::vector<float>> rows;
        for (int p = 0; p < 3; p++) {
            std::vector<float> row = {0, 0, 0};
            std::vector<float> values =
                p == 2 ? c.pointTwo : std::vector<float>(static_cast<size_t>(c.floats), -1);
            row.insert(row.end(), values.begin(), values.end());
            rows.push_back(row);
        }
        CtexturedGeo geo;
        makeModel(geo, {{"pos", 3, 0}, {c.attrib, c.floats, 0}}, rows);
        TraceCapture trace(1);
        EXPECT_EQ(geo.initGeometrySpecialProcessingTables(), 1) << c.what;
        ASSERT_FALSE(exitReasonList.empty()) << c.what;
        EXPECT_EQ(exitReasonList.back(), c.reason) << c.what;
        EXPECT_TRUE(geo.normalCalcs.empty() && geo.stealColorPairs.empty()) << c.what;
    }
}

TEST(PointTables, DappleKeysNeedTheLightPointAttributes) {
    CgeoNew lights;
    ASSERT_EQ(loadContents(lights, cubeContents()), 0); // 8 light points
    CmanagedResourceVar* lightField = &lights;
    CdirectoryVar species;
    registerResourcePointer(&species, &lightField, "light_points");
    struct Case {
        char const* what;
        std::vector<CgeoFileAttrib> attribs;
        std::vector<float> row; // every point's
        char const* reason;     // empty: keys made
    };
    char const* const absent = "proper dapple key attributes don't exist!";
    CgeoFileAttrib const pos{"pos", 3, 0}, light{"lightpoint", 2, 0}, blend{"lightblend", 1, 0};
    Case const cases[] = {
        {"keys", {pos, light, blend}, {0, 0, 0, 7, 2, .25f}, ""},
        {"offset 0", {light, blend}, {7, 2, .25f}, absent},
        {"missing", {pos, blend}, {0, 0, 0, .25f}, absent},
        {"far light",
         {pos, light, blend},
         {0, 0, 0, 8, 2, .25f},
         "bad model m: light point out of range at point 0"},
    };
    for (auto const& c : cases) {
        CtexturedGeo geo;
        makeModel(geo, c.attribs, {c.row, c.row});
        geo.species = &species;
        TraceCapture trace(1);
        geo.allocDappleKeys();
        EXPECT_EQ(geo.dappleTableA, std::vector<float>(8, 1.0f)) << c.what;
        EXPECT_EQ(geo.dappleTableB, std::vector<float>(8, 9.0f)) << c.what;
        EXPECT_EQ(exitReasonList.empty() ? std::string() : exitReasonList.back().c_str(), c.reason) << c.what;
        if (*c.reason) {
            EXPECT_TRUE(geo.dappleKeys.empty()) << c.what;
        } else {
            ASSERT_EQ(geo.dappleKeys.size(), 2u);
            EXPECT_EQ(geo.dappleKeys[1].matrixA, 7);
            EXPECT_EQ(geo.dappleKeys[1].matrixB, 2);
            EXPECT_FLOAT_EQ(geo.dappleKeys[1].weight, .75f);
        }
    }
    lightField = nullptr; // the reference must not release a model it does not own
    species.deleteChildren();
}

TEST(PointTables, DeformByTwoMatrices) {
    CtexturedGeo geo;
    makeModel(geo, {{"pos", 3, 0}, {"mat", 2, 0}, {"blend", 1, 0}},
              {{1, 2, 3, 0, 1, 1.0f}, {1, 2, 3, 0, 1, .25f}, {1, 2, 3, 1, 9, .5f}});
    std::vector<Cmatrix_4> matrices(2);
    matrices[0].identity();
    matrices[0].pos.set(10, 0, 0);
    matrices[1].identity();
    matrices[1].scale(2);
    std::vector<float> out(9, -1);
    geo.deformGeometry(out.data(), matrices);
    // Weight 1: matrix A alone. 0.25: a quarter of A, three quarters of B. An index past the
    // list falls back to the first matrix.
    EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 3), (std::vector<float>{11, 2, 3}));
    EXPECT_EQ(std::vector<float>(out.begin() + 3, out.begin() + 6),
              (std::vector<float>{.25f * 11 + .75f * 2, .25f * 2 + .75f * 4, .25f * 3 + .75f * 6}));
    EXPECT_EQ(std::vector<float>(out.begin() + 6, out.end()),
              (std::vector<float>{.5f * 2 + .5f * 11, .5f * 4 + .5f * 2, .5f * 6 + .5f * 3}));
    std::vector<float> untouched(9, -1);
    geo.deformGeometry(untouched.data(), {});
    EXPECT_EQ(untouched, std::vector<float>(9, -1));
}

TEST(PointTables, RemapLooksUpOnlyIndicesInTheTable) {
    CtexturedGeo geo;
    makeModel(geo, {{"pos", 3, 0}, {"mat", 2, 0}}, {{0, 0, 0, 3, 2}, {0, 0, 0, -1, 0}, {0, 0, 0, 1e20f, 1}});
    geo.remapAttrib(3, {40, 41, 42});
    std::vector<float> remapped;
    for (int p = 0; p < 3; p++)
        remapped.push_back(geo.pointRecord(p)[3]);
    EXPECT_EQ(remapped, (std::vector<float>{3, -1, 1e20f}));
    geo.remapAttrib(4, {40, 41, 42});
    EXPECT_EQ(geo.pointRecord(0)[4], 42);
    EXPECT_EQ(geo.pointRecord(2)[4], 41);
    geo.remapAttrib(5, {1}); // outside the record: nothing
    EXPECT_EQ(geo.pointRecord(1)[4], 40);
}

} // namespace
