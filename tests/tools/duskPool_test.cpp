// The dusk pool's generated resources: the fish's obstacle spheres cover the wood and the
// stones, the level set tells them and the soil from water, the plants stand rooted in the
// soil on skeletons that bind them, the algae lies on the bark facing the viewer, and the
// crab's ground keeps it on open soil.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "data/dataArray.h"
#include "data/resourceStreamer.h"
#include "duskPool.h"
#include "graphics/geoFile.h"
#include "graphics/texturedGeo.h"
#include "support/cerr.h"
#include "generatedModel.h"
#include "testSupport.h"

namespace {

std::string generated(char const* file) {
    return std::string(kGeneratedResourceDir) + file;
}

V3 position(CgeoFileContents const& g, int p) {
    std::vector<float> v = value(g, "pos", p);
    return {v.at(0), v.at(1), v.at(2)};
}

TEST(DuskPool, ObstacleSpheresCoverTheWoodAndTheStones) {
    CgeoFileContents spheres = model("tanks/dusk_pool/avoidSpheres.geo");
    ASSERT_GT(spheres.points, int(duskStones().size()));
    for (char const* file : {"species/driftwood/driftwood.geo", "species/river_stones/river_stones.geo"}) {
        CgeoFileContents g = model(file);
        ASSERT_GT(g.points, 100) << file;
        int inside = 0;
        for (int p = 0; p < g.points; p++)
            for (int s = 0; s < spheres.points; s++) {
                double r = value(spheres, "pscale", s).at(0);
                if (length(position(g, p) - position(spheres, s)) <= r + 0.1) {
                    inside++;
                    break;
                }
            }
        EXPECT_GT(inside, g.points * 9 / 10) << file;
    }
}

TEST(DuskPool, LevelSetIsNegativeInWoodStonesAndSoilPositiveInWater) {
    CdataVolume v;
    ASSERT_EQ(v.load(generated("tanks/dusk_pool/levelSet.voxl").c_str()), 0);
    struct Probe {
        char const* what;
        V3 p;
        int sign;
    };
    std::vector<Probe> probes = {{"open water", {0, 0.5, 0}, 1},
                                 {"water over the stones", {1.75, 0.2, 0.25}, 1},
                                 {"water at the back", {-2.0, 1.0, -1.9}, 1},
                                 {"soil in front", {0, -1.75, 0.5}, -1},
                                 {"soil of the raised back", {1.0, -1.4, -2.2}, -1}};
    for (DuskStone const& s : duskStones())
        probes.push_back({"a stone", {s.cx, duskStoneBase(s), s.cz}, -1});
    // Along the trunk while it is thick (a thin branch lies within a cell of the water).
    for (size_t i : {4u, 8u, 12u})
        probes.push_back({"the trunk", duskDriftwood().at(0).at(i).p, -1});
    for (Probe const& c : probes) {
        float level = v.getSingleChanVolumeData(float(c.p.x), float(c.p.y), float(c.p.z));
        EXPECT_EQ(level > 0 ? 1 : -1, c.sign)
            << c.what << " at " << c.p.x << " " << c.p.y << " " << c.p.z << ": level " << level;
    }
}

class DuskPlants : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
        savedDiskAlways = resourcesDir->checkDiskAlways;
        resourcesDir->checkDiskAlways = 1;
    }
    void TearDown() override {
        resourcesDir->checkDiskAlways = savedDiskAlways;
        resetExitState();
    }
    uint16_t savedDiskAlways = 0;
};

// Every plant's skin hangs off joints its skeleton has, the skeleton carries what the waving
// plant reads, and the level that does not swing (the root) sits in the soil.
TEST_F(DuskPlants, PlantsStandRootedOnSkeletonsThatBindThem) {
    for (char const* name : {"tall_grass", "sword_plant", "red_stem"}) {
        SCOPED_TRACE(name);
        std::string folder = std::string("species/") + name + "/" + name;
        CgeoFileContents skin = model((folder + ".geo").c_str());
        CtexturedGeo skeleton;
        ASSERT_EQ(skeleton.loadTexturedGeo(generated((folder + "_skel.tree").c_str()).c_str()), 0);
        int start = skeleton.findAttrib("noiseStart", 0), amp = skeleton.findAttrib("noiseAmp", 0);
        ASSERT_GE(start, 0);
        ASSERT_GE(amp, 0);
        int roots = 0;
        for (int p = 0; p < skin.points; p++) {
            std::vector<float> mat = value(skin, "mat", p);
            ASSERT_EQ(mat.size(), 2u);
            ASSERT_TRUE(mat[0] >= 0 && mat[0] < skeleton.numPoints) << "point " << p;
            float swing = skeleton.pointRecord(int(mat[0]))[amp];
            if (swing != 0.0f) continue;
            V3 q = position(skin, p);
            EXPECT_NEAR(q.y, duskSoilHeight(q.x, q.z), 0.06) << "root point " << p;
            roots++;
        }
        EXPECT_GT(roots, 0) << "no level stays planted";
    }
}

// Each algae point lies on the trunk's bark (just off it), faces up and towards the viewer,
// and carries the two values the fish peck by.
TEST(DuskPool, AlgaeLiesOnTheBarkFacingTheViewer) {
    CgeoFileContents algae = model("species/wood_algae/wood_algae.geo");
    ASSERT_GT(algae.points, 30);
    auto const& trunk = duskDriftwood().at(0);
    for (int p = 0; p < algae.points; p++) {
        std::vector<float> n = value(algae, "N", p);
        EXPECT_GT(n.at(2), 0.2f) << "point " << p << " faces away from the viewer";
        EXPECT_GT(n.at(1), 0.0f) << "point " << p << " faces down";
        EXPECT_EQ(value(algae, "broadcastDP", p).size(), 1u);
        EXPECT_EQ(value(algae, "receiveDP", p).size(), 1u);
        V3 q = position(algae, p);
        double nearest = 1e9;
        for (DuskBranchPoint const& b : trunk)
            nearest = std::min(nearest, length(q - b.p) - b.radius);
        EXPECT_LT(std::fabs(nearest), 0.06) << "point " << p << " is off the bark by " << nearest;
    }
}

// The soil's height field follows the soil; the crab's ground is open in front of the stones
// and closed under them and where the trunk lies on the soil.
TEST(DuskPool, HeightFieldFollowsTheSoilAndTheCrabKeepsToOpenGround) {
    CdataImage height, ground;
    ASSERT_EQ(height.load(generated("tanks/dusk_pool/heightField.image").c_str()), 0);
    ASSERT_EQ(ground.load(generated("tanks/dusk_pool/crabExtras.image").c_str()), 0);
    for (auto [x, z] : {std::pair{0.0, 0.0}, {-2.0, -1.5}, {2.5, -2.2}, {1.0, 1.0}}) {
        float out[2] = {0, 0};
        height.getValues(float(x), float(z), out, 0xFFFFFFFF);
        EXPECT_NEAR(out[0], duskSoilHeight(x, z), 0.02) << x << " " << z;
    }
    auto walk = [&ground](double x, double z) {
        float out[2] = {0, 0};
        ground.getValues(float(x), float(z), out, 0xFFFFFFFF);
        return out[0];
    };
    EXPECT_GT(walk(0.4, 0.2), 0.9f) << "where the crab starts";
    for (DuskStone const& s : duskStones())
        EXPECT_LT(walk(s.cx, s.cz), 0.05f) << "under the stone at " << s.cx << " " << s.cz;
    DuskBranchPoint const& buried = duskDriftwood().at(0).at(2);
    EXPECT_LT(walk(buried.p.x, buried.p.z), 0.05f) << "under the trunk";
}

} // namespace
