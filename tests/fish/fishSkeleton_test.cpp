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

namespace {
// A species that only has a skeleton model.
class SkeletonSpecies : public CspeciesServices {
  public:
    void unrequestSpecies() override {}
    CtexturedGeo* modelGeometry() override { return nullptr; }
    CgeoNew* skeletonModel() override { return &geo; }
    CgeoNew geo;
};

// The heading of m's forward axis about up and its tilt about side.
float yawOf(Cmatrix3 const& m) {
    return std::atan2(m.forward.x, m.forward.z);
}
float pitchOf(Cmatrix3 const& m) {
    return std::atan2(m.up.z, m.up.y);
}
} // namespace

TEST_F(FishTest, SkeletonJointsAreTheFinRigsMatrices) {
    for (char const* extra : {static_cast<char const*>(nullptr), "mtx_cmd"}) {
        bool commands = extra != nullptr;
        SCOPED_TRACE(commands);
        auto* sp = new SkeletonSpecies;
        resources.addVariable(sp, 1);
        ASSERT_EQ(loadContents(sp->geo, skeletonModel(true, extra)), 0);
        Cfish* fish = makeFish();
        fish->species = sp;
        fish->initializeControllers(); // the rig is chosen from the species' skeleton too
        EXPECT_EQ(fish->controllerRig, commands ? 1 : 0);
        fish->controllerRig = 1 - fish->controllerRig;
        std::vector<CskeletonIdentity> table;
        ASSERT_TRUE(fish->makeSkeletonTable(sp->geo, table));
        EXPECT_EQ(fish->controllerRig, commands ? 1 : 0);
        EXPECT_EQ(fish->dorsalChain.count, commands ? 0 : 2);
        EXPECT_EQ(fish->analChain.count, commands ? 0 : 1);
        fish->species = nullptr;
        if (commands) continue;

        // Joints 17-20 are the lower-left, upper-left, lower-right and upper-right fins;
        // 21-24 the pelvic roots and tips, 28-30 the segments that trail them.
        int const pec[4] = {1, 0, 3, 2};
        for (int k = 0; k < 4; k++)
            EXPECT_EQ(table[static_cast<size_t>(17 + k)].rotation, &fish->pectoralMatrix[pec[k]]) << k;
        int const pelvic[7][2] = {{21, 0}, {22, 1}, {23, 2}, {24, 3}, {28, 4}, {29, 5}, {30, 6}};
        for (auto const& p : pelvic)
            EXPECT_EQ(table[static_cast<size_t>(p[0])].rotation, &fish->pelvicMatrix[p[1]]) << p[0];
        EXPECT_TRUE(table[26].rotation == &fish->dorsalChain.matrices[0] &&
                    table[31].rotation == &fish->dorsalChain.matrices[1] &&
                    table[27].rotation == &fish->analChain.matrices[0]);

        // What the rig sets is what the joints show.
        fish->pecLeft.yaw[0] = 0.3f, fish->pecRight.yaw[1] = 0.5f;
        fish->dorsalPosition = 0.0f, fish->dorsalVelocity = 0.0f;
        Cmatrix3 rootBefore = fish->pelvicMatrix[0];
        fish->handleFins();
        EXPECT_NEAR(yawOf(*table[18].rotation), 0.3f, 1e-5f);
        EXPECT_NEAR(yawOf(*table[19].rotation), -0.5f, 1e-5f);
        EXPECT_NEAR(pitchOf(*table[28].rotation), pitchOf(rootBefore), 1e-6f);
        Cmatrix3 root = *table[21].rotation;
        fish->handleFins();
        EXPECT_NEAR(pitchOf(*table[28].rotation), pitchOf(root), 1e-6f); // one frame behind
        EXPECT_NEAR(pitchOf(*table[22].rotation), 0.5f * pitchOf(*table[21].rotation), 1e-5f);
        // The dorsal raise reaches the second segment a frame after the first.
        float first = pitchOf(*table[26].rotation);
        EXPECT_GT(std::fabs(first), 0.0f);
        fish->dorsalPosition = 1.0f, fish->dorsalVelocity = -1.0f;
        fish->handleFins();
        auto const& w = fish->dorsalChain.weights;
        EXPECT_NEAR(pitchOf(*table[31].rotation), first / w[0] * w[1], 1e-5f);
    }
}

TEST_F(FishTest, TailAnglesReadTheDrawnTail) {
    char const* names[5] = {"caudalY6", "caudalY7", "caudalY8", "caudalY68", "caudalY79"};
    int const frame[5] = {5, 6, 7, 5, 6}, from[5] = {6, 7, 8, 6, 7}, to[5] = {7, 8, 9, 8, 9};
    for (float bend : {0.0f, 0.6f, -0.6f}) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), 2.0f);
        fish->initializeControllers();
        fish->strokeStrength = 0.0f, fish->bodySpeed = 2.0f; // no swim wave, no noise
        for (int i = 0; i < 5; i++) {
            auto* a = dynamic_cast<CmatrixAngleDifferenceVar*>(fish->findControl(names[i]));
            ASSERT_NE(a, nullptr) << names[i];
            EXPECT_TRUE(a->frame == &fish->displayOrientation[frame[i]] &&
                        a->fromPoint == &fish->displayVertex[from[i]] &&
                        a->toPoint == &fish->displayVertex[to[i]])
                << names[i];
        }
        fish->tailBend = bend / 0.85f;
        fish->calcDisplayOrientations();
        fish->calcDisplayVertexPositions();
        // Joint k of the drawn tail is turned by the bend times (k - 4) / 5 up to joint 8; the
        // last joint keeps the spine's heading.
        float const want[5] = {-0.4f * bend, -0.4f * bend, 0.6f * bend, -0.5f * bend, 0.0f};
        for (int i = 0; i < 5; i++) {
            fish->caudalAngles[i]->update();
            EXPECT_NEAR(fish->caudalAngles[i]->value, want[i], 1e-4f) << bend << " " << names[i];
        }
    }
}
