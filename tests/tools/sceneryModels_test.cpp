// The built resource tree's models load through the model, material and poly-group code.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "graphics/material.h"
#include "graphics/texturedGeo.h"
#include "support/cerr.h"
#include "testSupport.h"

namespace {

constexpr char const* resourceDir = kGeneratedResourceDir;

struct ModelCase {
    char const* folder;
    char const* model;
    char const* skeleton; // "" without one
    int groups;           // poly group sets
};
const ModelCase models[] = {
    {"species/backdrop_image", "backdrop.geo", "backdrop_skel.geo", 1},
    {"species/sand_floor", "sand_floor.geo", "", 1},
    {"species/rock_boulder", "rock_boulder.geo", "", 1},
    {"species/rock_slab", "rock_slab.geo", "", 1},
    {"species/rock_spire", "rock_spire.geo", "", 1},
    {"species/kelp", "kelp.geo", "kelp_skel.tree", 1},
    {"species/sea_grass", "sea_grass.geo", "sea_grass_skel.tree", 1},
    {"species/bubbles", "bubbles.geo", "bubbles_skel.geo", 1},
    {"species/target", "target.geo", "target_skel.geo", 1},
};

class SceneryModels : public ::testing::Test {
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
    uint16_t savedDiskAlways = 0;
    CdirectoryVar shared;
};

TEST_F(SceneryModels, EveryModelLoadsWithItsMaterials) {
    for (ModelCase const& c : models) {
        std::string folder = std::string(resourceDir) + c.folder;
        CdirectoryVar species;
        auto* model = new CtexturedGeo;
        model->setName(c.model);
        species.addVariable(model, 1);
        ASSERT_EQ(model->loadTexturedGeo((folder + "/" + c.model).c_str()), 0) << c.model;
        EXPECT_EQ(model->getMaterialsAndBuildPolyLists(&species, Cstring(folder.c_str())), 0) << c.model;
        EXPECT_EQ(model->initGeometrySpecialProcessingTables(), 0) << c.model;
        EXPECT_EQ(static_cast<int>(model->polyGroupSets.size()), c.groups) << c.model;
        EXPECT_TRUE(exitReasonList.empty()) << c.model << ": " << exitReasonList.back().c_str();
        if (*c.skeleton) {
            CtexturedGeo skeleton; // either form: the loader tries the tree first
            EXPECT_EQ(skeleton.loadTexturedGeo((folder + "/" + c.skeleton).c_str()), 0) << c.skeleton;
            EXPECT_GT(skeleton.numPoints, 0) << c.skeleton;
        }
        resetExitState();
    }
}

// A plant's skeleton: one unparented joint per blade level, all at the origin, with the sway
// attributes the plant reads; the skin stands in place, each blade's still root level in the
// sand at the clump, away from the tank's centre.
TEST_F(SceneryModels, PlantJointsTurnAboutTheOriginAndRootsStayInTheSand) {
    for (char const* name : {"kelp", "sea_grass"}) {
        std::string folder = std::string(resourceDir) + "species/" + name + "/";
        CtexturedGeo skin, skel;
        ASSERT_EQ(skin.loadTexturedGeo((folder + name + ".geo").c_str()), 0);
        ASSERT_EQ(skel.loadTexturedGeo((folder + name + "_skel.tree").c_str()), 0);
        for (char const* attrib : {"N", "noiseStart", "noiseAmp", "baseAngle", "parentMat"})
            ASSERT_GE(skel.findAttrib(attrib, 0), 0) << name << " lacks " << attrib;
        int parent = skel.findAttrib("parentMat", 0), amp = skel.findAttrib("noiseAmp", 0);
        int pos = skel.findAttrib("pos", 0), mat = skin.findAttrib("mat", 0), at = skin.findAttrib("pos", 0);
        int still = 0, swaying = 0;
        for (int j = 0; j < skel.numPoints; j++) {
            float const* r = skel.pointRecord(j);
            EXPECT_EQ(r[parent], -1.0f) << name << " joint " << j;
            EXPECT_EQ(r[pos] * r[pos] + r[pos + 1] * r[pos + 1] + r[pos + 2] * r[pos + 2], 0.0f)
                << name << " " << j;
            (r[amp] == 0.0f ? still : swaying)++;
        }
        EXPECT_GT(still, 1) << name << " should have several blades";
        EXPECT_GT(swaying, still) << name;
        for (int p = 0; p < skin.numPoints; p++) {
            float const* r = skin.pointRecord(p);
            ASSERT_LT(r[mat], skel.numPoints) << name;
            EXPECT_GT(std::fabs(r[at]), 1.5f) << name << " point " << p << " near the centre";
            if (skel.pointRecord(int(r[mat]))[amp] == 0.0f)
                EXPECT_LT(r[at + 1], -1.3f) << name << " root " << p;
        }
        std::vector<Cstring> commands;
        EXPECT_TRUE(skel.getPointStrings("misc_cmd", commands)) << name;
        EXPECT_EQ(static_cast<int>(commands.size()), skel.numPoints);
    }
}

} // namespace
