// The skeleton table built from a synthetic skeleton model: names, bindings and the
// optional groups.
#include <cmath>
#include <string>

#include "../graphics/geoTestSupport.h"
#include "fishTestSupport.h"
#include "graphics/skeleton.h"

namespace {
// A skeleton model of 32 joints: the spine on points 0-9, the named joints after it, and
// whatever optional groups and attributes a case asks for.
CgeoFileContents skeletonModel(bool optional, bool finDown, bool commands, bool assign) {
    CgeoFileContents g;
    g.points = 32;
    g.attribs = {{"pos", 3, 0}};
    if (finDown) g.attribs.push_back({"finDownAngle", 1, 0});
    if (commands) g.attribs.push_back({"mtx_cmd", 1, 0});
    if (assign) g.attribs.push_back({"assignAsMat", 1, 0});
    g.floatsPerPoint = 0;
    for (auto const& a : g.attribs)
        g.floatsPerPoint += a.size;
    for (int p = 0; p < g.points; p++) {
        g.data.insert(g.data.end(), {static_cast<float>(p), 0.0f, 0.0f});
        if (finDown) g.data.push_back(10.0f);
        if (commands) g.data.push_back(0.0f);
        // The spine binds backwards; point 9 names a vertex the body lacks.
        if (assign) g.data.push_back(p == 9 ? 99.0f : static_cast<float>(9 - p));
    }
    g.pointGroups = {{"spine", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}},
                     {"leftEye", {10}},
                     {"rightEye", {11}},
                     {"gillMatLeft", {12}},
                     {"gillMatRight", {13}},
                     {"upperLip", {14}},
                     {"lowerJaw", {15}},
                     {"chinMat", {16}},
                     {"lowerLeftPec", {17}},
                     {"upperLeftPec", {18}},
                     {"lowerRightPec", {19}},
                     {"upperRightPec", {20}},
                     {"pelvicLeftForward", {21}},
                     {"pelvicLeftBack", {22}},
                     {"pelvicRightForward", {23}},
                     {"pelvicRightBack", {24}}};
    if (optional)
        g.pointGroups.insert(g.pointGroups.end(), {{"gillMat3", {25}},
                                                   {"dorsalMat", {26, 27}},
                                                   {"analMat", {28}},
                                                   {"pelvicLeftForwardB", {29}},
                                                   {"pelvicLeftBackB", {30}},
                                                   {"pelvicRightForwardB", {31}}});
    g.polygons = {{0, 1, 2}};
    g.primGroups = {{"mat_body_oa", {0}}};
    return g;
}

int named(std::vector<CskeletonIdentity> const& table, char const* prefix) {
    int n = 0;
    for (auto const& id : table)
        n += std::string(id.name.c_str()).rfind(prefix, 0) == 0;
    return n;
}
} // namespace

TEST_F(FishTest, SkeletonTableNamesTheModelsGroups) {
    struct {
        bool optional, finDown, commands, assign;
        int points, pecs, pelvics, dorsals, anals, gills;
        float dorsalDown, analDown;
    } const cases[] = {
        {false, false, false, false, 10, 4, 4, 0, 0, 2, 0, 0},
        {true, false, false, false, 10, 4, 7, 2, 1, 3, -1.0f, 1.0f},
        {true, true, false, false, 10, 4, 7, 2, 1, 3, 0.17453292f, 0.17453292f},
        {true, false, true, false, 10, 0, 0, 0, 0, 3, 0, 0},
        {false, false, false, true, 9, 4, 4, 0, 0, 2, 0, 0},
    };
    Cfish* fish = makeFish();
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.optional << c.finDown << c.commands << c.assign);
        CgeoNew geo;
        ASSERT_EQ(loadContents(geo, skeletonModel(c.optional, c.finDown, c.commands, c.assign)), 0);
        std::vector<CskeletonIdentity> table;
        ASSERT_TRUE(fish->makeSkeletonTable(geo, table));
        ASSERT_EQ(table.size(), 32u);
        EXPECT_EQ(named(table, "point "), c.points);
        EXPECT_EQ(named(table, "eyeRotationMat"), 2);
        EXPECT_EQ(named(table, "gillMat"), c.gills);
        EXPECT_EQ(named(table, "lower pec mat") + named(table, "upper pec mat"), c.pecs);
        EXPECT_EQ(named(table, "pelvic"), c.pelvics);
        EXPECT_EQ(named(table, "dorsalFrontMat"), c.dorsals);
        EXPECT_EQ(named(table, "analFrontMat"), c.anals);
        EXPECT_EQ(fish->commandSkinned, c.commands ? 1 : 0);
        EXPECT_EQ(table[10].rotation, &fish->eyes[0].localRotation);
        EXPECT_EQ(table[15].rotation, &fish->jawMatrix);
        EXPECT_EQ(table[13].translatePoint, &fish->gillOffset);
        EXPECT_EQ(table[12].translatePoint, nullptr);
        // Joint 2 of the spine binds vertex 2, or vertex 7 when the model assigns it.
        int v = c.assign ? 7 : 2;
        EXPECT_EQ(table[2].translatePoint, &fish->displayVertex[v]);
        EXPECT_EQ(table[2].rotation, &fish->displayOrientation[v]);
        EXPECT_STREQ(table[2].name.c_str(), "point 2");
        if (c.dorsals) {
            EXPECT_NEAR(fish->dorsalFinDown[1], c.dorsalDown, 1e-6f);
            EXPECT_NEAR(fish->analFinDown[0], c.analDown, 1e-6f);
            EXPECT_EQ(table[27].rotation, &fish->dorsalMatrices[1]);
        }
    }
    EXPECT_TRUE(exitReasonList.empty());
}
