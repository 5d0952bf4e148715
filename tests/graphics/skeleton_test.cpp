// Skeletons: joint matrices along a chain, command strings, lag and camera joints, and
// geometry that cannot give joints.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "geoTestSupport.h"
#include "graphics/rigFromGeo.h"
#include "support/cerr.h"
#include "support/traceCapture.h"
#include "support/vectorExpect.h"

namespace {

class SkeletonTest : public ::testing::Test {
  protected:
    SkeletonTest() : trace(1) {
        for (Cmatrix3& r : rotations)
            r.identity();
        thing.manager.addAndRegisterAnimControl("flap", 0.0f);
        thing.manager.addAndRegisterAnimControl("turn", 0.0f);
    }
    // Identities for n joints, each with its own rotation and translation.
    std::vector<CskeletonIdentity> identities(int n) {
        std::vector<CskeletonIdentity> ids(n);
        for (int i = 0; i < n; i++) {
            ids[i].name = Cstring("j") + Cstring(i);
            ids[i].rotation = &rotations[i];
            ids[i].translatePoint = &translations[i];
        }
        return ids;
    }
    static std::string firstReason() { return exitReasonList.empty() ? "" : exitReasonList[0].c_str(); }

    TraceCapture trace;
    TestOwner thing;
    Cmatrix3 rotations[8];
    Cvector translations[8];
    Cskeleton skeleton;
};

// Seven joints: 0 the root, 1 and 2 its children, 3 to 6 theirs.
CskeletonModelPoints binaryTree() {
    CskeletonModelPoints m;
    m.positions = {{0, 0, 0}, {-1, 0, 1}, {1, 0, 1}, {-2, 0, 2}, {-1, 0, 2}, {1, 0, 2}, {2, 0, 2}};
    m.parents = {-1, 0, 0, 1, 1, 2, 2};
    m.normals.assign(7, Cvector(0, 0, 1));
    m.commands.assign(7, Cstring());
    return m;
}

TEST_F(SkeletonTest, ChainOfThreeGivesHandComputedMatrices) {
    CskeletonModelPoints m;
    m.positions = {{0, 0, 0}, {0, 0, 1}, {0, 0, 2}};
    m.parents = {-1, 0, 1};
    auto ids = identities(3);
    translations[0].set(10, 0, 0);
    rotations[1].setZrotation(static_cast<float>(M_PI / 2)); // side to +y, up to -x
    ASSERT_EQ(skeleton.initSkeleton(ids, 2.0f, &m, &thing), 0);
    skeleton.calcDeformMatrices();

    Cmatrix_4 const& m0 = skeleton.deformMatrices[0];
    expectNear(m0.rot.side, 2, 0, 0, 1e-6);
    expectNear(m0.pos, 10, 0, 0, 1e-6);
    Cmatrix_4 const& m1 = skeleton.deformMatrices[1];
    expectNear(m1.rot.side, 0, 2, 0, 1e-6);
    expectNear(m1.rot.up, -2, 0, 0, 1e-6);
    expectNear(m1.rot.forward, 0, 0, 2, 1e-6);
    expectNear(m1.pos, 10, 0, 0, 1e-6);
    Cmatrix_4 const& m2 = skeleton.deformMatrices[2];
    expectNear(m2.rot.side, 0, 2, 0, 1e-6);
    expectNear(m2.pos, 10, 0, 0, 1e-6);
    // The scale is divided out of the normal matrices.
    expectNear(skeleton.normalMatrices[1].side, 0, 1, 0, 1e-6);
    expectNear(skeleton.normalMatrices[0].forward, 0, 0, 1, 1e-6);

    Cvector p(1, 0, 1); // one unit to the side of joint 1
    p *= m1;
    expectNear(p, 10, 2, 2, 1e-5);
    Cvector c;
    skeleton.matrixPoints[2].getWorldMatrixPos(c);
    expectNear(c, 10, 0, 4, 1e-5);
    skeleton.matrixPoints[2].getCenter(c); // carried by its parent, joint 1
    expectNear(c, 10, 0, 4, 1e-5);
}

TEST_F(SkeletonTest, CommandStringsMakeRotatersAndControllers) {
    CskeletonModelPoints m = binaryTree();
    m.commands[1] = "-mn finL -cid0 flap -dim 1 -amin -10 -amax 30";
    m.commands[2] = "-mn finR -mi _r -cid0 flap -cid1 turn -blnd 0.25 -dim 0 -dim 2 -skip 3";
    auto ids = identities(7);
    ASSERT_EQ(skeleton.initSkeleton(ids, 1.0f, &m, &thing), 0) << firstReason();

    CmatrixAngleRotater* left = skeleton.matrixPoints[1].matrixAngleRotater.get();
    ASSERT_NE(left, nullptr);
    EXPECT_EQ(skeleton.matrixPoints[0].matrixAngleRotater, nullptr); // an empty string makes none
    EXPECT_EQ(ids[0].rotation, &rotations[0]);
    EXPECT_EQ(ids[1].rotation, &left->matrix);
    EXPECT_EQ(ids[1].translatePoint, &left->offsetVector);
    EXPECT_STREQ(ids[1].name.c_str(), "finL");
    EXPECT_STREQ(ids[2].name.c_str(), "finR_r");
    EXPECT_STREQ(skeleton.matrixPoints[2].matrixAngleRotater->name.c_str(), "finR");
    EXPECT_EQ(left->axisCodes[0], 1);

    auto* l = dynamic_cast<CmatrixController*>(thing.manager.controllers.getChild("finL_y"));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(l->rotater, left);
    EXPECT_NEAR(l->offset, -10 * M_PI / 180, 1e-6);
    EXPECT_NEAR(l->scale, 40 * M_PI / 180, 1e-6);
    auto* r = dynamic_cast<CmatrixController*>(thing.manager.controllers.getChild("finR_r_z"));
    ASSERT_NE(r, nullptr);
    EXPECT_NE(r->source2, nullptr);
    EXPECT_EQ(r->blend, 0.25f);
    EXPECT_EQ(thing.manager.controllers.countChildren(), 2);

    // The controllers turn the joint; the rotater is reset after each frame.
    thing.manager.findControl("flap")->setFloat(1.0);
    thing.manager.animValuesToMatrices();
    EXPECT_NEAR(left->angles[0], 30 * M_PI / 180, 1e-6);
    skeleton.calcDeformMatrices();
    EXPECT_EQ(left->angles[0], 0.0f);
    Cvector forward = skeleton.deformMatrices[1].rot.forward;
    EXPECT_NEAR(std::fabs(forward.x), std::sin(30 * M_PI / 180), 1e-5);

    // Building again replaces the joints and the controllers bound to them.
    ASSERT_EQ(skeleton.initSkeleton(ids, 1.0f, &m, &thing), 0);
    EXPECT_EQ(thing.manager.controllers.countChildren(), 2);
}

TEST_F(SkeletonTest, BadSkeletonsAreRefusedWithAReason) {
    struct Case {
        int joint;
        char const* command;
        float parent; // of joint 3
        char const* reason;
        int joints = 7; // identities given
    } cases[] = {
        {1, "-mn a -cid0", 1, "skeleton joint 1 (a): no value after -cid0"},
        {1, "-mn a -dim 1", 1, "skeleton joint 1 (a): no -cid0 before -dim"},
        {2, "-cid1 turn", 1, "skeleton joint 2 (): no -cid0 before -cid1"},
        {2, "-mn b -blnd 1", 1, "skeleton joint 2 (b): no -cid0 before -blnd"},
        {2, "-mn b -amin 1", 1, "skeleton joint 2 (b): no -cid0 before -amin"},
        {2, "-mn b -amax 1", 1, "skeleton joint 2 (b): no -cid0 before -amax"},
        {1, "-mn a -cid0 nope", 1, "bad ctrl nope"},
        {1, "-mn a -cid0 flap -cid1 nope", 1, "bad ctrl nope"},
        {1, "-mn a -cid0 flap -dim 0 -dim 1 -dim 2 -dim 0", 1, "skeleton joint 1 (a): fga"},
        {1, "-mn a -addSens 1", 1, "skeleton joint 1 (a): addSens"},
        {1, "", 7, "skeleton joint 3 (j3): parent out of range: 7"},
        {1, "", -3, "skeleton joint 3 (j3): parent out of range: -3"},
        {1, "", 1e20f, "skeleton joint 3 (j3): parent out of range: 2147483647"},
        {1, "-mn cam -lag 0.5", -2, "skeleton joint 3 (cam): a lagging joint needs a parent joint"},
        {1, "-cid0 empty", 1, "animValue empty not found"}, // a control without a value
        {1, "", 1, "ERROR!  numMats and skeleton points don't match up", 6},
    };
    thing.manager.addAndRegisterControl("empty", new CfloatLinkVar);
    for (Case const& c : cases) {
        resetExitState();
        CskeletonModelPoints m = binaryTree();
        m.commands[c.joint] = c.command;
        m.parents[3] = c.parent;
        if (c.parent == -2) m.commands[3] = c.command;
        auto ids = identities(c.joints);
        Cskeleton s;
        EXPECT_EQ(s.initSkeleton(ids, 1.0f, &m, &thing), 1) << c.command;
        EXPECT_EQ(firstReason(), c.reason) << c.command;
    }

    resetExitState();
    CskeletonModelPoints m = binaryTree();
    m.parents.clear();
    auto ids = identities(7);
    EXPECT_EQ(skeleton.initSkeleton(ids, 1.0f, &m, &thing), 1);
    EXPECT_TRUE(exitReasonList.empty());

    m = binaryTree();
    m.commands[4] = "-mn tip -lag 0.5";
    m.normals[4] = Cvector();
    EXPECT_EQ(skeleton.initSkeleton(ids, 1.0f, &m, &thing), 1);
    EXPECT_EQ(firstReason(), "zvlen==0 for 4");
}

TEST_F(SkeletonTest, LagCoversATenthOfTheRemainingWayEachFrame) {
    CskeletonModelPoints m;
    m.positions = {{0, 0, 0}, {0, 0, 0}};
    m.parents = {-1, 0};
    m.normals = {{0, 0, 1}, {0, 0, 2}};
    m.commands = {"", "-mn tail -lag 0.1"};
    auto ids = identities(2);
    ASSERT_EQ(skeleton.initSkeleton(ids, 1.0f, &m, &thing), 0) << firstReason();
    ClagInfo const& lag = *skeleton.matrixPoints[1].lagInfo;

    skeleton.calcDeformMatrices(); // the first frame starts from the rest direction
    expectNear(lag.laggedPos, 0, 0, 2, 1e-6);

    // The parent turns a quarter about y at once: in its frame the tail now points along
    // -x and moves a tenth of the way toward +z each frame, keeping its length.
    rotations[0].setYrotation(static_cast<float>(M_PI / 2));
    skeleton.calcDeformMatrices();
    expectNear(lag.laggedPos, 2 * 0.110432f, 0, 2 * 0.993884f, 1e-5);
    skeleton.calcDeformMatrices();
    expectNear(lag.laggedPos, 2 * 0.217564f, 0, 2 * 0.976048f, 1e-5);
    EXPECT_NEAR(lag.laggedPos.length(), 2.0f, 1e-5);

    // A rest direction along x still gets a frame whose third axis is that direction.
    m.normals[1] = Cvector(2, 0, 0);
    ASSERT_EQ(skeleton.initSkeleton(ids, 1.0f, &m, &thing), 0);
    expectNear(skeleton.matrixPoints[1].lagInfo->frame.forward, 1, 0, 0, 1e-6);
    EXPECT_NEAR(skeleton.matrixPoints[1].lagInfo->frame.side.length(), 1.0f, 1e-6);
    m.normals[1] = Cvector(0, 0, 2);

    // At rate 1 the joint follows its parent at once.
    m.commands[1] = "-mn tail -lag 1";
    ASSERT_EQ(skeleton.initSkeleton(ids, 1.0f, &m, &thing), 0);
    skeleton.calcDeformMatrices();
    Cmatrix_4 const& tail = skeleton.deformMatrices[1];
    expectNear(tail.rot.forward, 1, 0, 0, 1e-5);
    expectNear(tail.rot.side, 0, 0, -1, 1e-5);
}

TEST_F(SkeletonTest, CameraJointsHangFromTheTankCamera) {
    CskeletonModelPoints m;
    m.positions = {{0, 0, 0}, {0, 1, 0}};
    m.parents = {-2, 0};
    auto ids = identities(2);
    ASSERT_EQ(skeleton.initSkeleton(ids, 1.0f, &m, &thing), 0);
    EXPECT_EQ(skeleton.matrixPoints[0].parentIndex, -2);
    EXPECT_EQ(skeleton.matrixPoints[0].parentMatrix, nullptr); // no tank yet
    skeleton.calcDeformMatrices();
    expectNear(skeleton.deformMatrices[0].pos, 0, 0, 0, 1e-6);

    thing.hasTank = true;
    thing.camera.identity();
    thing.camera.pos.set(0, 0, -5);
    skeleton.setCameraMatricesToTank(&thing);
    EXPECT_EQ(skeleton.matrixPoints[0].parentMatrix, &thing.camera);
    skeleton.calcDeformMatrices();
    Cvector c;
    skeleton.matrixPoints[1].getWorldMatrixPos(c);
    expectNear(c, 0, 1, -5, 1e-6);
}

TEST_F(SkeletonTest, BlendingMatricesIsRefusedOnlyWithHistory) {
    skeleton.calcBlendedMatrix(0.5f);
    EXPECT_TRUE(exitReasonList.empty());
    skeleton.keepMatrixHistory = 1;
    skeleton.calcBlendedMatrix(0.5f);
    EXPECT_EQ(firstReason(), "ma2sh");
}

TEST(RigFromGeo, AttributeMajorGeometryIsRefused) {
    TraceCapture trace(1);
    CgeoNew model, work;
    ASSERT_EQ(loadContents(model, cubeContents()), 0);
    work.clonePoints(model, {"pos", "N"}, 0);
    CskeletonModelPoints points;
    EXPECT_FALSE(skeletonPointsFromGeo(work, points));
    EXPECT_TRUE(points.positions.empty());
    EXPECT_STREQ(exitReasonList.empty() ? "" : exitReasonList[0].c_str(), "notInterlvd");
}

} // namespace
