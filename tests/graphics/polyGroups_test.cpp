// Poly groups: the name suffix, building definitions and sets with their materials, index
// lists, sort and bound points, and the render poly group's switches.
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

TEST(RenderPolyGroup, SwitchesVariationsAndCollectsPredecessors) {
    CpolyGroupDefinition a, b;
    CpolyGroupSet set;
    set.variations = {&a, &b};
    CrenderPolyGroup group, first, second;
    group.set = &set;
    group.usePolyGroupIndex(1);
    EXPECT_EQ(group.definition, &b);
    group.usePolyGroupIndex(2); // no such variation: unchanged
    EXPECT_EQ(group.variation, 1);
    group.drawMeOvertopOf(nullptr);
    group.drawMeOvertopOf(&first);
    group.drawMeOvertopOf(&second);
    group.predecessorCount = 0; // the list is reused from the start each frame
    group.drawMeOvertopOf(&second);
    EXPECT_EQ(group.predecessorCount, 1);
    EXPECT_EQ(group.predecessors, (std::vector<CrenderPolyGroup*>{&second, &second}));
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
    } const cases[] = {
        {"numbered first", {"mat_body_1#_ob", "mat_body_oa"}, "bad poly switch - groups must be in order!"},
        {"other base", {"mat_body_oa", "mat_fin_1#_ob"}, "bad poly switch - groups must be in order!"},
        {"short name", {"mat_x"}, "bad model model: group name without its suffix: mat_x"},
        {"no material", {"mat_fin_oa"}, "couldn't open material"},
        {"no vertices", {"mat_body_oa"}, "bad model model: no sort point for group mat_body_oa", {}},
    };
    for (auto const& c : cases) {
        reset();
        contents.polygons.clear(), contents.primGroups.clear();
        for (char const* g : c.groups)
            addFace(g, c.face);
        CtexturedGeo fresh;
        EXPECT_EQ(build(fresh), 1) << c.what;
        EXPECT_TRUE(hasReason(c.reason)) << c.what << ": " << lastReason();
    }
}

TEST_F(PolyGroupBuild, QuadsSplitAndIndicesRebaseWithoutShaders) {
    addFace("mat_body_oa", {40, 41, 43, 42});
    addFace("mat_body_oa", {44, 45, 47, 46});
    addFace("mat_body_oa", {1, 2, 3, 4, 5}); // neither: left out of the triangles
    ASSERT_EQ(build(), 0);
    CpolyGroupDefinition* d = geo.definitions[0];
    EXPECT_EQ(d->polygonVertices, (std::vector<uint16_t>{40, 41, 42, 43, 44, 45, 46, 47, 1, 2, 3, 4, 5}));
    EXPECT_EQ(d->polygonStart, (std::vector<uint16_t>{0, 4, 8}));
    EXPECT_EQ(d->polygonSize, (std::vector<uint16_t>{4, 4, 5}));
    EXPECT_EQ(d->quadIndices, (std::vector<uint16_t>{40, 41, 43, 42, 44, 45, 47, 46}));
    EXPECT_TRUE(d->triangleIndices.empty());
    EXPECT_EQ(d->allTriangleCount, 4);
    EXPECT_EQ(d->minVertex, 40);
    EXPECT_EQ(d->verticesToSend, 8);
    EXPECT_EQ(d->allTriangleIndices, (std::vector<uint16_t>{0, 1, 3, 0, 3, 2, 4, 5, 7, 4, 7, 6}));

    CtexturedGeo shaded;
    GLSL = 1;
    ASSERT_EQ(build(shaded), 0);
    d = shaded.definitions[0];
    EXPECT_EQ(d->minVertex, 0);
    EXPECT_EQ(d->verticesToSend, 4);
    EXPECT_EQ(d->allTriangleIndices[2], 43);
}

TEST_F(PolyGroupBuild, SortPointPrecedence) {
    addFace("mat_body_oa", {9, 7, 8});
    addFace("mat_body_1#_ob", {9, 7, 8});
    addFace("mat_body_2#_oc", {9, 7, 8});
    contents.pointGroups = {{"sort_body_1#_ob", {20}}, {"sort_body_2#_oc", {21}}, {"mat_body_2#_oc", {30}}};
    ASSERT_EQ(build(), 0);
    EXPECT_EQ(geo.definitions[0]->sortPoint, 7);  // the smallest vertex
    EXPECT_EQ(geo.definitions[1]->sortPoint, 20); // the sort group
    EXPECT_EQ(geo.definitions[2]->sortPoint, 30); // the group's own point group wins
}

TEST_F(PolyGroupBuild, BoundPoints) {
    // A cube's corners: at most six distinct extremes.
    contents.data.clear();
    for (int p = 0; p < 48; p++)
        contents.data.insert(contents.data.end(),
                             {static_cast<float>(p & 1), static_cast<float>((p >> 1) & 1),
                              static_cast<float>((p >> 2) & 1), 1, 1, 1});
    for (auto const& face : cubeContents().polygons)
        addFace("mat_body_oa", face);
    addFace("mat_body_1#_ob", {40, 40, 40}); // every extreme the same point
    addFace("mat_body_2#_oc", {0, 1, 2});
    contents.pointGroups = {{"rpg_bound_body_2#_oc", {5, 9}}};
    ASSERT_EQ(build(), 0);
    CpolyGroupDefinition* cube = geo.definitions[0];
    ASSERT_GE(cube->boundCount, 2);
    ASSERT_LE(cube->boundCount, 6);
    std::vector<int> bounds(cube->boundPoints, cube->boundPoints + cube->boundCount);
    // Point 0 is first to reach every smallest value; 1, 3 and 4 the first at x, y, z = 1.
    EXPECT_EQ(bounds, (std::vector<int>{0, 1, 3, 4}));
    EXPECT_EQ(geo.definitions[1]->boundCount, 1);
    EXPECT_EQ(geo.definitions[1]->boundPoints[0], 40);
    EXPECT_EQ(geo.definitions[2]->boundCount, 2);
    EXPECT_EQ(geo.definitions[2]->boundPoints[1], 9);

    CtexturedGeo tooMany;
    contents.pointGroups = {{"rpg_bound_body_2#_oc", {1, 2, 3, 4, 5, 6, 7}}};
    EXPECT_EQ(build(tooMany), 1);
    EXPECT_EQ(lastReason(), "bad model model: more than 6 bound points in rpg_bound_body_2#_oc");
}

// Each channel ends in one stream: removed, then dynamic, then static-unique, then static.
TEST_F(PolyGroupBuild, MaterialMasksMerge) {
    writeMaterial("first", ":static uv\n:static_unique normal\n");
    writeMaterial("second", ":dynamic uv\n:removeAttrib normal\n:static uvB\n");
    addFace("mat_first_oa", {0, 1, 2});
    ASSERT_EQ(build(), 0);
    EXPECT_EQ(geo.dynamicMask, CHAN_POSITION | CHAN_DIFFUSE);
    EXPECT_EQ(geo.staticUniqueMask, CHAN_NORMAL);
    EXPECT_EQ(geo.staticMask, CHAN_TEX1);
    EXPECT_EQ(geo.loadMaterial("first", Cstring(modelFolder().c_str())), geo.polyGroupSets[0]->material);

    ASSERT_NE(geo.loadMaterial("second", Cstring(modelFolder().c_str())), nullptr);
    EXPECT_EQ(geo.removeMask, CHAN_NORMAL);
    EXPECT_EQ(geo.dynamicMask, CHAN_POSITION | CHAN_DIFFUSE | CHAN_TEX1);
    EXPECT_EQ(geo.staticUniqueMask, 0);
    EXPECT_EQ(geo.staticMask, CHAN_TEX2);
    EXPECT_EQ(geo.usedAttribMask, CHAN_POSITION | CHAN_DIFFUSE | CHAN_TEX1 | CHAN_TEX2);
    EXPECT_EQ(geo.loadMaterial("", Cstring(modelFolder().c_str())), nullptr);

    // Normals turned into a texture set the model no longer sends.
    writeMaterial("normals", ":normalsToTexture 1\n:removeAttrib uvB\n");
    contents.primGroups = {{"mat_normals_oa", {0}}};
    CtexturedGeo other;
    EXPECT_EQ(build(other), 1);
    EXPECT_EQ(lastReason(), "normsToTexIndex=1 - missing texture");
}

TEST_F(PolyGroupBuild, BuildingTwiceIsReported) {
    addFace("mat_body_oa", {0, 1, 2});
    ASSERT_EQ(build(), 0);
    EXPECT_EQ(geo.getMaterialsAndBuildPolyLists(&speciesNode, Cstring(modelFolder().c_str())), 0);
    EXPECT_TRUE(hasReason("materials dir already made"));
    EXPECT_EQ(geo.definitions.size(), 1u); // rebuilt, not doubled
}

} // namespace
