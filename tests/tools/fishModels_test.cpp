// The built resource tree's fish models: each loads with its materials, its skeleton binds
// every joint the fish drives, its skin hangs off the right joints, its views drop only
// faces turned from the viewer.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "fish/fish.h"
#include "fishModels.h"
#include "graphics/cloth.h"
#include "graphics/rigFromGeo.h"
#include "graphics/skeleton.h"
#include "graphics/texturedGeo.h"
#include "support/cerr.h"
#include "testSupport.h"

namespace {

class GeneratedModels : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
        savedDiskAlways = resourcesDir->checkDiskAlways;
        resourcesDir->checkDiskAlways = 1; // loose files, not packages
        sharedResourceTree = &shared;      // where pictures are filed once loaded
    }
    void TearDown() override {
        resourcesDir->checkDiskAlways = savedDiskAlways;
        sharedResourceTree = nullptr;
        resetExitState();
    }
    static std::string folder(FishLook const& k) {
        return std::string(kGeneratedResourceDir) + "species/" + k.name;
    }
    // The species' model, loaded with its materials and poly groups into species.
    CtexturedGeo* loadModel(FishLook const& k, CdirectoryVar& species) {
        auto* model = new CtexturedGeo;
        model->setName(k.name);
        species.addVariable(model, 1);
        EXPECT_EQ(model->loadTexturedGeo((folder(k) + "/" + k.name + ".geo").c_str()), 0) << k.name;
        EXPECT_EQ(model->getMaterialsAndBuildPolyLists(&species, Cstring(folder(k).c_str())), 0) << k.name;
        return model;
    }
    uint16_t savedDiskAlways = 0;
    CdirectoryVar shared;
};

Cvector pointAt(CgeoNew& g, int p) {
    float const* r = g.pointRecord(p) + g.findAttrib("pos", 0);
    return Cvector(r[0], r[1], r[2]);
}

TEST_F(GeneratedModels, EverySpeciesLoadsAndItsSkeletonBindsEveryJoint) {
    for (FishLook const& k : fishLooks()) {
        SCOPED_TRACE(k.name);
        CdirectoryVar species;
        CtexturedGeo* model = loadModel(k, species);
        // The body's five views, the three fin layers and the eyes.
        EXPECT_EQ(model->polyGroupSets.size(), 5u);
        EXPECT_EQ(model->polyGroupSets[0]->variations.size(), 5u);
        CtexturedGeo skeleton;
        ASSERT_EQ(skeleton.loadTexturedGeo((folder(k) + "/" + k.name + "_skel.tree").c_str()), 0);
        ASSERT_EQ(skeleton.numPoints, kFishJoints);

        Cfish fish;
        resetExitState(); // its swimming arrays are not what this looks at
        std::vector<CskeletonIdentity> table;
        ASSERT_TRUE(fish.makeSkeletonTable(skeleton, table));
        // A command rig's fin joints follow their strings; every other joint is bound by name.
        std::vector<Cstring> commands;
        skeleton.getPointStrings("mtx_cmd", commands);
        EXPECT_EQ(fish.commandSkinned != 0, k.commandRig);
        std::set<std::string> names;
        int driven = 0;
        for (size_t j = 0; j < table.size(); j++) {
            if (j < commands.size() && !commands[j].empty()) {
                driven++;
                continue;
            }
            EXPECT_FALSE(table[j].name.empty()) << "joint " << j << ": nothing drives it";
            EXPECT_NE(table[j].rotation, nullptr) << table[j].name.c_str();
            names.insert(table[j].name.c_str());
        }
        EXPECT_EQ(driven, k.commandRig ? 8 : 0) << "four pectoral halves and four pelvic fins";
        for (char const* n : {"point 0", "point 9", "eyeRotationMat0", "eyeRotationMat1", "lowerJawMat",
                              "upperLipMat", "gillMat0", "gillMat1"})
            EXPECT_EQ(names.count(n), 1u) << n;
        for (char const* n : {"lower pec mat 0", "upper pec mat 1", "pelvicLeftForward", "pelvicRightBack"})
            EXPECT_EQ(names.count(n), k.commandRig ? 0u : 1u) << n;
        // Spine joints one segment apart along the body, head first.
        for (int i = 0; i < kSpineJoints; i++)
            EXPECT_NEAR(pointAt(skeleton, i).z, spineJointZ(i), 1e-6);
        EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
        resetExitState();
    }
}

TEST_F(GeneratedModels, SkinHangsOffNeighbouringJointsByItsPlaceAlongTheBody) {
    for (FishLook const& k : fishLooks()) {
        SCOPED_TRACE(k.name);
        CdirectoryVar species;
        CtexturedGeo* model = loadModel(k, species);
        // Cloth roots carry the way to their anchor in N rather than a normal.
        std::set<int> roots;
        for (char const* piece : {"cloth_base_dorsal", "cloth_base_anal", "cloth_base_caudal"}) {
            CshortLinkVar* g = model->pointSide.findGroup(piece);
            ASSERT_EQ(CgeoNew::groupSize(g), 9) << piece;
            roots.insert(CgeoNew::groupMembers(g), CgeoNew::groupMembers(g) + 9);
        }
        int mat = model->findAttrib("mat", 0), blend = model->findAttrib("blend", 0);
        int light = model->findAttrib("lightpoint", 0), normal = model->findAttrib("N", 0);
        ASSERT_TRUE(mat >= 0 && blend >= 0 && light >= 0 && normal >= 0);
        int spineBound = 0;
        for (int p = 0; p < model->numPoints; p++) {
            float const* r = model->pointRecord(p);
            int a = int(r[mat]), b = int(r[mat + 1]);
            float w = r[blend];
            ASSERT_TRUE(a >= 0 && a < kFishJoints && b >= 0 && b < kFishJoints) << "point " << p;
            ASSERT_TRUE(w >= 0.0f && w <= 1.0f) << "point " << p;
            EXPECT_TRUE(r[light] >= 0 && int(r[light + 1]) < int(kSpineJoints)) << "point " << p;
            float n = std::sqrt(r[normal] * r[normal] + r[normal + 1] * r[normal + 1] +
                                r[normal + 2] * r[normal + 2]);
            EXPECT_NEAR(n, roots.count(p) ? 0.1f : 1.0f, 1e-3) << "point " << p;
            if (a >= kSpineJoints || b != a + 1) continue;
            // Between its two joints, weighted to the nearer one (the snout and the tail
            // fin reach past the ends and hold to the end joints).
            float z = pointAt(*model, p).z, za = float(spineJointZ(a)), zb = float(spineJointZ(b));
            float expected = std::clamp((z - zb) / (za - zb), 0.0f, 1.0f);
            EXPECT_NEAR(w, expected, 1e-4) << "point " << p;
            spineBound++;
        }
        EXPECT_GT(spineBound, model->numPoints / 2);
        resetExitState();
    }
}

TEST_F(GeneratedModels, SideViewsDropOnlyHeadFacesTurnedFromTheViewer) {
    CdirectoryVar species;
    FishLook const& k = fishLooks()[2];
    CtexturedGeo* model = loadModel(k, species);
    auto const& views = model->polyGroupSets[0]->variations;
    ASSERT_EQ(views.size(), 5u);
    size_t all = views[0]->allTriangleIndices.size();
    // Viewer on the left (+x) for views 1 and 2, on the right for 3 and 4.
    float const side[5] = {0, 1, 1, -1, -1};
    for (int v = 1; v < 5; v++) {
        std::multiset<std::vector<uint16_t>> kept;
        auto const& t = views[v]->allTriangleIndices;
        for (size_t i = 0; i + 2 < t.size(); i += 3)
            kept.insert({t[i], t[i + 1], t[i + 2]});
        EXPECT_LT(t.size(), all) << "view " << v << " drops nothing";
        EXPECT_GT(t.size(), all / 2) << "view " << v;
        auto const& every = views[0]->allTriangleIndices;
        for (size_t i = 0; i + 2 < every.size(); i += 3) {
            std::vector<uint16_t> tri = {every[i], every[i + 1], every[i + 2]};
            if (kept.count(tri)) continue;
            Cvector c =
                (pointAt(*model, tri[0]) + pointAt(*model, tri[1]) + pointAt(*model, tri[2])) * (1.0f / 3);
            EXPECT_LT(c.x * side[v], 0.0f) << "view " << v << " dropped a face on the viewer's side";
            EXPECT_GT(c.z, 0.0f) << "view " << v << " dropped a face of the bending tail half";
        }
    }
}

// With every joint at rest the back, belly and tail fins hang as cloth exactly where the
// model draws them: the links keep their lengths and settle on their rest directions.
TEST_F(GeneratedModels, ClothFinsSettleOnTheirModelShape) {
    for (FishLook const& k : fishLooks()) {
        SCOPED_TRACE(k.name);
        CdirectoryVar species;
        CtexturedGeo* model = loadModel(k, species);
        std::vector<CclothPointGroup> groups;
        CclothModelView view;
        clothViewFromGeo(*model, groups, view);
        CclothModel cloth;
        ASSERT_EQ(cloth.buildCloth(view, nullptr, nullptr), 0) << exitReasonList.back().c_str();
        for (char const* piece : {"dorsal", "anal", "caudal"})
            EXPECT_GE(cloth.getClothIndex(piece), 0) << piece;
        int moved = 0;
        // The whole fish turned and moved: every joint the same rigid motion.
        for (float turn : {0.0f, 0.9f, -2.2f}) {
            SCOPED_TRACE(turn);
            std::vector<Cmatrix_4> joints(kFishJoints);
            std::vector<Cmatrix3> rotations(kFishJoints);
            for (size_t j = 0; j < joints.size(); j++) {
                joints[j].identity();
                joints[j].rot.setYrotation(turn);
                joints[j].pos = Cvector(0.3f, -0.2f, 0.1f);
                rotations[j] = joints[j].rot;
            }
            std::vector<float> positions(size_t(model->numPoints) * 3);
            Ccloth links;
            links.setupCloth(cloth);
            CclothFrame frame;
            frame.deformMatrices = joints.data();
            frame.normalMatrices = rotations.data();
            frame.numMatrices = kFishJoints;
            frame.positions = positions.data();
            frame.numPoints = model->numPoints;
            frame.cooks = 5;
            for (int step = 0; step < 60; step++)
                for (size_t piece = 0; piece < cloth.clothPieces.size(); piece++)
                    links.updateClothPiece(cloth, int(piece), 1.0f, 1.0f, nullptr, frame);
            moved = 0;
            for (auto const& piece : cloth.clothPieces)
                for (auto const& link : piece.slavePoints) {
                    Cvector want = pointAt(*model, link.pointIndex);
                    want *= joints[0];
                    float const* got = &positions[size_t(link.pointIndex) * 3];
                    EXPECT_NEAR(got[0], want.x, 2e-3) << piece.name.c_str() << " point " << link.pointIndex;
                    EXPECT_NEAR(got[1], want.y, 2e-3) << piece.name.c_str() << " point " << link.pointIndex;
                    EXPECT_NEAR(got[2], want.z, 2e-3) << piece.name.c_str() << " point " << link.pointIndex;
                    moved++;
                }
        }
        EXPECT_EQ(moved, 9 * 2 + 9 * 2 + 9 * 3) << "every fin point hangs in the cloth";
        resetExitState();
    }
}

} // namespace
