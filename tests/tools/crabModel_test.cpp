// The crab's generated resources: a skeleton whose legs rest at twice their segment length
// and whose named groups hold the joints the crab finds by role, skin whose limbs lie along
// their joints, two shell looks, and the floor images the crab and the shadows read.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "crabModel.h"
#include "data/dataArray.h"
#include "data/imageIO.h"
#include "graphics/geoFile.h"
#include "generatedModel.h"
#include "testSupport.h"

namespace {

TEST(CrabModel, SkeletonRestsLegsAtTwoSegmentsAndNamesItsGroups) {
    CgeoFileContents skel = model("species/crab/crab_skel.geo");
    ASSERT_EQ(skel.points, 39);
    for (int leg = 0; leg < 8; leg++) {
        std::vector<float> hip = value(skel, "pos", 2 + 2 * leg), foot = value(skel, "pos", 3 + 2 * leg);
        EXPECT_NEAR(std::hypot(foot[0] - hip[0], foot[1] - hip[1], foot[2] - hip[2]), 2 * kCrabLegSegment,
                    1e-5)
            << leg;
        // The anchor lies on the floor, on the leg's side of the body.
        std::vector<float> anchor = value(skel, "pos", 18 + leg);
        EXPECT_NEAR(anchor[1], -kCrabBodyHeight, 1e-6) << leg;
        EXPECT_EQ(anchor[0] > 0, leg < 4) << leg;
        EXPECT_EQ(value(skel, "parentMat", 2 + 2 * leg).at(0), 1.0f) << "upper segments hang from the body";
        EXPECT_EQ(value(skel, "parentMat", 3 + 2 * leg).at(0), -1.0f) << "lower segments stand on the feet";
    }
    struct Group {
        char const* name;
        int first, last;
    } const groups[] = {{"body", 0, 1}, {"legs", 2, 25}, {"claw", 26, 34}, {"head", 35, 38}};
    for (Group const& g : groups) {
        auto found = std::find_if(skel.pointGroups.begin(), skel.pointGroups.end(),
                                  [&g](CgeoFileGroup const& p) { return p.name == g.name; });
        ASSERT_NE(found, skel.pointGroups.end()) << g.name;
        std::vector<int> expected;
        for (int j = g.first; j <= g.last; j++)
            expected.push_back(j);
        EXPECT_EQ(found->members, expected) << g.name;
    }
}

// Each leg segment's skin runs along +x from its joint over one segment length: the limb
// solver turns that axis onto the segment.
TEST(CrabModel, LimbSkinLiesAlongItsJoint) {
    CgeoFileContents skin = model("species/crab/crab.geo"), skel = model("species/crab/crab_skel.geo");
    for (int joint = 2; joint < 18; joint++) {
        std::vector<float> centre = value(skel, "pos", joint);
        bool lower = joint % 2 == 1;
        float lo = 1e9f, hi = -1e9f;
        int points = 0;
        for (int p = 0; p < skin.points; p++) {
            if (value(skin, "mat", p).at(0) != float(joint)) continue;
            float along = value(skin, "pos", p).at(0) - centre[0];
            lo = std::min(lo, along), hi = std::max(hi, along);
            points++;
        }
        ASSERT_GT(points, 0) << joint;
        float L = float(kCrabLegSegment);
        EXPECT_NEAR(lower ? lo : hi, lower ? -L : L, 0.03f) << joint;
        EXPECT_NEAR(lower ? hi : lo, 0.0f, 0.03f) << joint;
    }
}

TEST(CrabModel, ShellLooksDiffer) {
    ASSERT_GE(crabLooks().size(), 2u);
    std::vector<std::vector<float>> means;
    for (CcrabLook const& look : crabLooks()) {
        imageFile image;
        ASSERT_NE(
            image.loadImage((std::string(kGeneratedResourceDir) + "species/crab/arrays/" + look.file).c_str(),
                            true),
            0)
            << look.file;
        ASSERT_GE(image.channels, 3) << look.file;
        std::vector<float> mean(3, 0.0f);
        for (int y = 0; y < image.height; y++)
            for (int x = 0; x < image.width / 2; x++)
                for (int c = 0; c < 3; c++)
                    mean[c] += image.getPixelAddress(x, y)[c];
        means.push_back(mean);
    }
    float difference = 0;
    for (int c = 0; c < 3; c++)
        difference += std::fabs(means[0][c] - means[1][c]) / (means[0][c] + 1.0f);
    EXPECT_GT(difference, 0.1f) << "the two looks are the same shell";
}

TEST(CrabModel, FloorImagesHoldWalkabilityLightAndShadowStrength) {
    CdataImage extras, height;
    ASSERT_EQ(extras.load((std::string(kGeneratedResourceDir) + "tanks/wabi_sabi/crabExtras.image").c_str()),
              0);
    ASSERT_EQ(height.load((std::string(kGeneratedResourceDir) + "tanks/wabi_sabi/heightField.image").c_str()),
              0);
    ASSERT_EQ(extras.chans, 2);
    ASSERT_EQ(height.chans, 2);
    struct Case {
        float x, z;
        bool walkable;
    } const cases[] = {{0.6f, -0.3f, true},  {-0.8f, 0.2f, true}, {-1.9f, -1.2f, false},
                       {1.7f, -1.5f, false}, {3.2f, 0.0f, false}, {0.0f, 1.1f, false}};
    for (Case const& c : cases) {
        float v[2];
        extras.getValues(c.x, c.z, v, 3u);
        EXPECT_EQ(v[0] > 0.5f, c.walkable) << c.x << " " << c.z;
        EXPECT_GT(v[1], 0.25f) << "light at " << c.x << " " << c.z;
        float h[2];
        height.getValues(c.x, c.z, h, 3u);
        EXPECT_NEAR(h[1], 1.0f, 1e-3f) << "shadows fall fully on the sand in the water";
    }
    float edge[2];
    height.getValues(-4.2f, 0.0f, edge, 3u);
    EXPECT_LT(edge[1], 0.01f) << "no shadow past the sand's edge";
}

} // namespace
