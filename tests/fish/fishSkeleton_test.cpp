// The skeleton table built from a synthetic skeleton model: names, bindings and the
// optional groups.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <sstream>
#include <string>

#include "../graphics/geoTestSupport.h"
#include "fishTestSupport.h"
#include "graphics/skeleton.h"

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
