// Poly groups: the name suffix, and building definitions and sets with their materials
// and sort points.
#include <gtest/gtest.h>

#include "materialTestSupport.h"

namespace {

TEST(PolyGroupSuffix, DecodesBothFormsAndRefusesShortNames) {
    struct Case {
        char const* name;
        bool ok;
        char const* base;
        char id;
        int transparent, number;
    } const cases[] = {
        {"skin_ob", true, "skin", 'b', 0, 0}, {"fin_1#_ta", true, "fin", 'a', 1, 1},
        {"tail_uc", true, "tail", 'c', 1, 0}, {"_oa", true, "", 'a', 0, 0},
        {"ob", false, "ob", 0, 0, 0},         {"", false, "", 0, 0, 0},
        {"1#_ta", false, "1#_ta", 0, 0, 0},   {"finx#_ta", false, "finx#_ta", 0, 0, 0},
    };
    for (auto const& c : cases) {
        Cstring name(c.name);
        char id = 0;
        uint8_t transparent = 0;
        int number = 0;
        EXPECT_EQ(decodeEndShit(name, id, transparent, number), c.ok) << c.name;
        EXPECT_EQ(name, c.base) << c.name;
        EXPECT_EQ(id, c.id) << c.name;
        EXPECT_EQ(transparent, c.transparent) << c.name;
        EXPECT_EQ(number, c.number) << c.name;
    }
}

// A model of 48 points on a line (point p at x = p) plus a few faces, with materials in a
// scratch species folder.
class PolyGroupBuild : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        GLSL = 0;
        contents.points = 48;
        contents.attribs = {{"pos", 3, 0}, {"Cd", 3, 0}};
        contents.floatsPerPoint = 6;
        for (int p = 0; p < 48; p++)
            contents.data.insert(contents.data.end(), {static_cast<float>(p), 0, 0, 1, 1, 1});
        writeMaterial("body", ":sortPosition 2\n:set skipPOVtest 1\n");
        writeMaterial("normals", ":normalsToTexture 1\n:removeAttrib uvB\n");
    }
    void TearDown() override {
        GLSL = 0;
        ModelTest::TearDown();
    }
};

TEST_F(PolyGroupBuild, BadGroupListsFailTheBuild) {
    struct Case {
        char const* what;
        std::vector<char const*> groups;
        char const* reason;
        std::vector<int> face = {0, 1, 2}; // of each group
        std::vector<CgeoFileGroup> pointGroups = {};
    } const cases[] = {
        {"numbered first", {"mat_body_1#_ob", "mat_body_oa"}, "bad poly switch - groups must be in order!"},
        {"other base", {"mat_body_oa", "mat_fin_1#_ob"}, "bad poly switch - groups must be in order!"},
        {"short name", {"mat_x"}, "bad model model: group name without its suffix: mat_x"},
        {"no material", {"mat_fin_oa"}, "couldn't open material"},
        {"no vertices", {"mat_body_oa"}, "bad model model: no sort point for group mat_body_oa", {}},
        {"normals into a texture it drops", {"mat_normals_oa"}, "normsToTexIndex=1 - missing texture"},
        {"seven bound points",
         {"mat_body_oa"},
         "bad model model: more than 6 bound points in rpg_bound_body_oa",
         {0, 1, 2},
         {{"rpg_bound_body_oa", {1, 2, 3, 4, 5, 6, 7}}}},
    };
    for (auto const& c : cases) {
        reset();
        contents.polygons.clear(), contents.primGroups.clear();
        contents.pointGroups = c.pointGroups;
        for (char const* g : c.groups)
            addFace(g, c.face);
        CtexturedGeo fresh;
        EXPECT_EQ(build(fresh), 1) << c.what;
        EXPECT_TRUE(hasReason(c.reason)) << c.what << ": " << lastReason();
    }
}

TEST_F(PolyGroupBuild, SortPointPrecedenceAndGivenBoundPoints) {
    addFace("mat_body_oa", {9, 7, 8});
    addFace("mat_body_1#_ob", {9, 7, 8});
    addFace("mat_body_2#_oc", {9, 7, 8});
    contents.pointGroups = {{"sort_body_1#_ob", {20}},
                            {"sort_body_2#_oc", {21}},
                            {"mat_body_2#_oc", {30}},
                            {"rpg_bound_body_oa", {5, 9}}};
    ASSERT_EQ(build(), 0);
    EXPECT_EQ(geo.definitions[0]->sortPoint, 7);  // the smallest vertex
    EXPECT_EQ(geo.definitions[1]->sortPoint, 20); // the sort group
    EXPECT_EQ(geo.definitions[2]->sortPoint, 30); // the group's own point group wins
    EXPECT_EQ(geo.definitions[0]->boundCount, 2); // as the bound group gives them
    EXPECT_EQ(geo.definitions[0]->boundPoints[1], 9);
}

} // namespace
