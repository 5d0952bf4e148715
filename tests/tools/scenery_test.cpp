// The generators write the same bytes on every run; the scenery's models bind to their
// skeletons, the fish's obstacle spheres cover the rocks, and the level set tells rock and
// sand from water.
#include <gtest/gtest.h>

#include <cmath>

#include "data/dataArray.h"
#include "graphics/geoFile.h"
#include "crabModel.h"
#include "duskPool.h"
#include "fishArrays.h"
#include "fishModels.h"
#include "foodModels.h"
#include "scenery.h"
#include "support/cerr.h"
#include "generatedModel.h"
#include "testSupport.h"

namespace {

// Every generator writes the same bytes on every run, and a root it cannot write under
// (a plain file) fails with a message instead of stopping.
TEST(Generators, TwoRunsWriteTheSameBytesAndABadRootFails) {
    struct {
        char const* name;
        int (*write)(std::string const&);
        std::vector<std::string> const& (*files)();
    } const cases[] = {{"scenery", writeScenery, sceneryFiles},
                       {"dusk pool", writeDuskPool, duskPoolFiles},
                       {"fish arrays", writeFishArrays, fishArrayFiles},
                       {"fish", writeFish, fishFiles},
                       {"crab", writeCrab, crabFiles},
                       {"fish shadow", writeFishShadow, fishShadowFiles},
                       {"food", writeFood, foodFiles}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir a, b;
        ASSERT_EQ(c.write(a.path()), 0);
        ASSERT_EQ(c.write(b.path()), 0);
        for (std::string const& f : c.files()) {
            std::string first = readWholeFile(a.file(f.c_str()));
            EXPECT_FALSE(first.empty()) << f;
            EXPECT_TRUE(first == readWholeFile(b.file(f.c_str()))) << f;
        }
        writeWholeFile(a.file("plain"), "x");
        EXPECT_EQ(c.write(a.file("plain") + "/"), 1);
        resetExitState();
    }
}

TEST(Scenery, SkinnedModelsBindOnlyToJointsTheirSkeletonsHave) {
    struct Case {
        char const* skin;
        char const* skeleton;
        int joints;
    } const cases[] = {
        {"species/bubbles/bubbles.geo", "species/bubbles/bubbles_skel.geo", 48},
        {"species/target/target.geo", "species/target/target_skel.geo", 1},
        {"species/backdrop_image/backdrop.geo", "species/backdrop_image/backdrop_skel.geo", 1},
        {"species/crab/crab.geo", "species/crab/crab_skel.geo", 39},
        {"species/crab/crab_lights.geo", "species/crab/crab_skel.geo", 39},
        {"species/std_crab_shadow/std_crab_shadow.geo", "species/std_crab_shadow/std_crab_shadow_skel.geo",
         9},
        {"species/std_fish_shadow/std_fish_shadow.geo", "species/std_fish_shadow/std_fish_shadow_skel.geo",
         5},
        {"species/food/food.geo", "species/food/food_skel.geo", kFoodParticles},
        {"species/food_container/food_container.geo", "species/food_container/food_container_skel.geo", 2},
        {"species/fish_poo/fish_poo.geo", "species/fish_poo/fish_poo_skel.geo", 1},
    };
    for (Case const& c : cases) {
        CgeoFileContents skin = model(c.skin), skel = model(c.skeleton);
        EXPECT_EQ(skel.points, c.joints) << c.skin;
        for (int p = 0; p < skin.points; p++) {
            std::vector<float> mat = value(skin, "mat", p);
            ASSERT_EQ(mat.size(), 2u) << c.skin;
            EXPECT_GE(mat[0], 0) << c.skin;
            EXPECT_LT(mat[1], skel.points) << c.skin << " point " << p;
        }
        for (int j = 0; j < skel.points; j++)
            EXPECT_LT(value(skel, "parentMat", j).at(0), static_cast<float>(j)) << c.skeleton;
    }
}

// The members of a model's point group; empty when it has none.
std::vector<int> groupOf(CgeoFileContents const& g, char const* name) {
    for (CgeoFileGroup const& group : g.pointGroups)
        if (group.name == name) return std::vector<int>(group.members.begin(), group.members.end());
    return {};
}

// Every food particle is its own joint's; the strand lists its cloth points root first,
// one more than the hanging piece's links, and two ribbon points for each; the algae's
// points face out of the spire, towards the viewer, each with its two pecking values.
TEST(Food, ParticlesStrandAndAlgaeCarryWhatTheirKindsRead) {
    CgeoFileContents food = model("species/food/food.geo");
    std::vector<int> perJoint(kFoodParticles, 0);
    for (int p = 0; p < food.points; p++)
        perJoint.at(static_cast<size_t>(value(food, "mat", p).at(0)))++;
    for (int j = 0; j < kFoodParticles; j++)
        EXPECT_GE(perJoint[static_cast<size_t>(j)], 6) << "particle " << j;

    CgeoFileContents strand = model("species/fish_poo/fish_poo.geo");
    std::vector<int> hanging = groupOf(strand, "poo_points"), falling = groupOf(strand, "poo_points_falling");
    ASSERT_EQ(hanging.size(), size_t(kStrandLinks + 1));
    ASSERT_EQ(falling.size(), hanging.size());
    EXPECT_EQ(hanging[0], falling[0]) << "both start at the root";
    EXPECT_EQ(groupOf(strand, "mesh_points").size(), 2 * hanging.size());
    EXPECT_EQ(groupOf(strand, "cloth_base_poo").size(), 1u);
    EXPECT_EQ(groupOf(strand, "cloth_poo1").size(), size_t(kStrandLinks - 1));
    EXPECT_EQ(groupOf(strand, "cloth_base_Apoo").size() + groupOf(strand, "cloth_Apoo1").size() +
                  groupOf(strand, "cloth_base_Bpoo").size() + groupOf(strand, "cloth_Bpoo1").size(),
              size_t(kStrandLinks));
    // Each link is one link length on from the one before (the base from the root).
    for (size_t k = 1; k < hanging.size(); k++) {
        std::vector<float> a = value(strand, "pos", hanging[k - 1]), b = value(strand, "pos", hanging[k]);
        EXPECT_NEAR(std::hypot(b[0] - a[0], b[1] - a[1], b[2] - a[2]),
                    value(strand, "fin_dist", hanging[k]).at(0), 1e-5f);
    }

    CgeoFileContents algae = model("species/algae/algae.geo");
    ASSERT_GT(algae.points, 20);
    for (int p = 0; p < algae.points; p++) {
        std::vector<float> n = value(algae, "N", p);
        EXPECT_GT(n.at(2), 0.2f) << "point " << p << " faces away from the viewer";
        EXPECT_EQ(value(algae, "broadcastDP", p).size(), 1u);
        EXPECT_EQ(value(algae, "receiveDP", p).size(), 1u);
    }
}

// Most of each rock lies inside the spheres the fish steer round.
TEST(Scenery, AvoidSpheresCoverTheRocks) {
    CgeoFileContents spheres = model("tanks/wabi_sabi/avoidSpheres.geo");
    ASSERT_GT(spheres.points, 0);
    for (char const* rock : {"species/rock_boulder/rock_boulder.geo", "species/rock_slab/rock_slab.geo",
                             "species/rock_spire/rock_spire.geo"}) {
        CgeoFileContents g = model(rock);
        int inside = 0;
        for (int p = 0; p < g.points; p++) {
            std::vector<float> pos = value(g, "pos", p);
            for (int s = 0; s < spheres.points; s++) {
                std::vector<float> c = value(spheres, "pos", s);
                float r = value(spheres, "pscale", s).at(0);
                if (std::hypot(pos[0] - c[0], pos[1] - c[1], pos[2] - c[2]) <= r + 0.1f) {
                    inside++;
                    break;
                }
            }
        }
        EXPECT_GT(inside, g.points * 9 / 10) << rock;
    }
}

TEST(Scenery, LevelSetIsNegativeInRocksAndSandPositiveInWater) {
    CdataVolume v;
    ASSERT_EQ(v.load((std::string(kGeneratedResourceDir) + "tanks/wabi_sabi/levelSet.voxl").c_str()), 0);
    struct {
        float x, y, z;
        int sign;
    } const cases[] = {{0, 0.2f, -0.5f, 1},
                       {-1.9f, -1.3f, -1.2f, -1},
                       {1.7f, -1.45f, -1.5f, -1},
                       {0, -1.75f, 0, -1},
                       {-3.0f, 0.5f, -2.2f, 1}};
    for (auto const& c : cases) {
        float level = v.getSingleChanVolumeData(c.x, c.y, c.z);
        EXPECT_EQ(level > 0 ? 1 : -1, c.sign) << c.x << " " << c.y << " " << c.z << " level " << level;
    }
}

} // namespace
