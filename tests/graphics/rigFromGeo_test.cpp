// Skeleton and cloth descriptions read from loaded geometry.
#include <gtest/gtest.h>

#include "geoTestSupport.h"
#include "graphics/rigFromGeo.h"
#include "script/matrixControllerManager.h"
#include "support/cerr.h"
#include "support/traceCapture.h"
#include "support/vectorExpect.h"

namespace {

// Three joints in a row: pos, parentMat, showMe, N and a command-string attribute.
CgeoFileContents skeletonContents(char const* parentName) {
    CgeoFileContents g;
    g.points = 3;
    g.attribs = {{"pos", 3, 0}, {parentName, 1, 0}, {"showMe", 1, 0}, {"N", 3, 0}, {"mtx_cmd", 1, 0}};
    g.floatsPerPoint = 9;
    for (int p = 0; p < 3; p++)
        g.data.insert(g.data.end(), {0, 0, static_cast<float>(p), static_cast<float>(p - 1),
                                     static_cast<float>(p % 2), 0, 0, 1, 0});
    return g;
}

class Owner : public CskeletonOwner {
  public:
    CmatrixControllerManager* skeletonControllers() override { return &manager; }
    Cmatrix_4* tankCameraMatrix() override { return nullptr; }
    char const* skeletonOwnerName() override { return "owner"; }
    CmatrixControllerManager manager;
};

TEST(RigFromGeo, SkeletonJointsComeFromThePoints) {
    TraceCapture trace(1);
    for (char const* parentName : {"parentMat", "mat"}) {
        CgeoNew geo;
        ASSERT_EQ(loadContents(geo, skeletonContents(parentName)), 0);
        ASSERT_TRUE(geo.setPointStrings("mtx_cmd", {"", "-mn elbow -lag 0.5", ""}));
        CskeletonModelPoints points;
        ASSERT_TRUE(skeletonPointsFromGeo(geo, points));
        ASSERT_EQ(points.positions.size(), 3u) << parentName;
        expectNear(points.positions[2], 0, 0, 2, 0);
        EXPECT_EQ(points.parents, (std::vector<float>{-1, 0, 1})) << parentName;
        EXPECT_EQ(points.showMe, (std::vector<float>{0, 1, 0}));
        ASSERT_EQ(points.normals.size(), 3u);
        ASSERT_EQ(points.commands.size(), 3u);
        EXPECT_STREQ(points.commands[1].c_str(), "-mn elbow -lag 0.5");

        Owner owner;
        std::vector<CskeletonIdentity> ids(3);
        Cskeleton skeleton;
        ASSERT_EQ(skeleton.initSkeleton(ids, 1.0f, &points, &owner), 0)
            << (exitReasonList.empty() ? "" : exitReasonList[0].c_str());
        EXPECT_NE(skeleton.matrixPoints[1].lagInfo, nullptr);
        EXPECT_EQ(skeleton.matrixPoints[2].parentIndex, 1);
        EXPECT_EQ(skeleton.matrixPoints[1].showMe, 1);
    }
}

TEST(RigFromGeo, AttributeMajorGeometryIsRefused) {
    TraceCapture trace(1);
    CgeoNew model, work;
    ASSERT_EQ(loadContents(model, skeletonContents("parentMat")), 0);
    work.clonePoints(model, {"pos", "N"}, 0);
    CskeletonModelPoints points;
    EXPECT_FALSE(skeletonPointsFromGeo(work, points));
    EXPECT_TRUE(points.positions.empty());
    EXPECT_STREQ(exitReasonList.empty() ? "" : exitReasonList[0].c_str(), "notInterlvd");
}

TEST(RigFromGeo, ClothBuildsFromPointGroupsInOrder) {
    TraceCapture trace(1);
    CgeoFileContents g;
    g.points = 4;
    g.attribs = {{"pos", 3, 0},      {"N", 3, 0},        {"mat", 2, 0},       {"blend", 1, 0},
                 {"spineNum", 1, 0}, {"fin_dist", 1, 0}, {"fin_angles", 2, 0}};
    g.floatsPerPoint = 13;
    for (int p = 0; p < 4; p++)
        g.data.insert(g.data.end(), {static_cast<float>(p % 2), 0, -static_cast<float>(p / 2), 0, 0, 1, 0, 0,
                                     1, static_cast<float>(p % 2), 0.5f, 0, 0});
    g.pointGroups = {{"cloth_base_tail", {0, 1}}, {"body", {0, 1, 2, 3}}, {"cloth_tail_1", {2, 3}}};
    CgeoNew geo;
    ASSERT_EQ(loadContents(geo, g), 0);

    std::vector<CclothPointGroup> groups;
    CclothModelView view;
    clothViewFromGeo(geo, groups, view);
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_STREQ(groups[2].name.c_str(), "cloth_tail_1");
    EXPECT_EQ(groups[1].members, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(view.spineNumOffset, 9);
    EXPECT_EQ(view.finAnglesOffset, 11);

    CclothModel cloth;
    ASSERT_EQ(cloth.buildCloth(view, nullptr, nullptr), 0)
        << (exitReasonList.empty() ? "" : exitReasonList[0].c_str());
    ASSERT_EQ(cloth.getClothIndex("tail"), 0);
    EXPECT_EQ(cloth.clothPieces[0].numGroups, 2);
    EXPECT_EQ(cloth.clothSlavePoints, 4u);
    EXPECT_EQ(cloth.clothPieces[0].slavePoints[1].pointIndex, 2); // spine 0, depth 1
}

} // namespace
