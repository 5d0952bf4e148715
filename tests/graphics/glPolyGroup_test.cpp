// Poly groups drawn on the OpenGL device: predecessors first, and groups left undrawn.
#include <gtest/gtest.h>

#include <memory>

#include "glTestSupport.h"
#include "graphics/glDeviceData.h"
#include "graphics/graphicsGL.h"
#include "host/glHeaders.h"
#include "materialTestSupport.h"

namespace {

// Two quads, left (points 0-3, magenta) and right (points 4-7, yellow), each a poly group
// of its own material, drawn in clip coordinates on a 32 x 16 display.
class GlPolyGroup : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        REQUIRE_GL();
        ASSERT_TRUE(openTestDevice(dev, context, 32, 16)) << exitMsg.c_str();
        dev.perFrameGraphicsSetup();
        writeMaterial("left", kColourMaterial);
        writeMaterial("right", kColourMaterial);
        contents.points = 8;
        contents.attribs = {{"pos", 3, 0}, {"Cd", 4, 0}};
        contents.floatsPerPoint = 7;
        float const xs[8] = {-1, 0, 0, -1, 0, 1, 1, 0}, ys[4] = {-1, -1, 1, 1};
        for (int p = 0; p < 8; p++) {
            float g = p < 4 ? 0.0f : 1.0f;
            contents.data.insert(contents.data.end(), {xs[p], ys[p % 4], 0, 1, g, 1 - g, 1});
        }
        contents.polygons = {{0, 1, 2, 3}, {4, 5, 6, 7}};
        contents.primGroups = {{"mat_left_oa", {0}}, {"mat_right_ob", {1}}};
        ASSERT_EQ(build(), 0) << lastReason();
        masterFrame = 1;
    }
    void TearDown() override {
        dev.release();
        ModelTest::TearDown();
    }
    // Makes every group drawable again, as the tank does when it builds its lists.
    static void newFrame(CworkObject& w) {
        for (CrenderPolyGroup& g : w.renderPolyGroups)
            g.passBits = 0xFF;
        masterFrame++;
    }
    std::unique_ptr<CglContext> context;
    CopenGL dev;
};

TEST_F(GlPolyGroup, PredecessorsDrawFirstAndOnlyOnce) {
    CworkObject w;
    ASSERT_EQ(w.initWorkGeometry(&owner), 0);
    CrenderPolyGroup& left = w.renderPolyGroups[0];
    CrenderPolyGroup& right = w.renderPolyGroups[1];
    left.drawMeOvertopOf(&right);
    newFrame(w);
    clearColourAndDepth();
    dev.geoToDisplay(&left);
    EXPECT_EQ(geoToDisplaysThisFrame, 2);
    EXPECT_EQ(right.passBits, 0xFE);
    dev.geoToDisplay(&right);
    EXPECT_EQ(geoToDisplaysThisFrame, 2);
    EXPECT_EQ(readFrame(*context).litCount(), 32 * 16);
}

bool tearingDown = false;

TEST_F(GlPolyGroup, GroupsOfThingsBeingTornDownOrWithoutMaterialAreNotDrawn) {
    CgraphicsHooks saved = graphicsHooks;
    graphicsHooks.thingTearingDown = [](CworkObject*) { return tearingDown; };
    CworkObject w;
    ASSERT_EQ(w.initWorkGeometry(&owner), 0);
    newFrame(w);
    clearColourAndDepth();
    tearingDown = true;
    dev.geoToDisplay(&w.renderPolyGroups[0]);
    EXPECT_EQ(w.renderPolyGroups[0].passBits, 0xFF);
    tearingDown = false;
    CpolyGroupSet bare;
    CrenderPolyGroup orphan;
    orphan.owner = &w;
    orphan.set = &bare;
    orphan.passBits = 0xFF;
    EXPECT_EQ(dev.geoToDisplay(&orphan), 1);
    EXPECT_EQ(readFrame(*context).litCount(), 0);
    graphicsHooks = saved;
}

} // namespace
