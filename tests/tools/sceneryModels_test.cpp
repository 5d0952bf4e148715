// The built resource tree's plants: their skeletons and skins as the plant code reads them.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "graphics/texturedGeo.h"
#include "support/cerr.h"
#include "testSupport.h"

namespace {

constexpr char const* resourceDir = kGeneratedResourceDir;

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
