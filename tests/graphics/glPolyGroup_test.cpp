// Drawing work objects' poly groups on the OpenGL device: a model read with its material
// script, drawn through its vertex streams on one or two displays, pass bits, predecessors
// and the draw-state cache.
#include <gtest/gtest.h>

#include <memory>

#include "geoTestSupport.h"
#include "glTestSupport.h"
#include "graphics/glDeviceData.h"
#include "graphics/graphicsGL.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "host/glHeaders.h"
#include "materialTestSupport.h"
#include "script/matrixControllerManager.h"

namespace {

class Thing : public CworkObjectOwner {
  public:
    CmatrixControllerManager* skeletonControllers() override { return &manager; }
    Cmatrix_4* tankCameraMatrix() override { return nullptr; }
    char const* skeletonOwnerName() override { return "fish"; }
    CtexturedGeo* workObjectModel() override { return geo; }
    CgeoNew* skeletonModel() override { return nullptr; }
    int currentBufferIndex() override { return 0; }
    float thingScale() override { return 1.0f; }
    int thingCooks() override { return 0; }

    CmatrixControllerManager manager;
    CtexturedGeo* geo = nullptr;
};

char const* const material =
    ":static diffuse\n"
    ":vshader \"varying vec4 c;\"\n"
    ":vshader \"void main() { gl_Position = gl_ModelViewProjectionMatrix * gl_Vertex; "
    "c = gl_Color; }\"\n"
    ":fshader \"varying vec4 c; void main() { gl_FragColor = c; }\"\n";

// Two quads, left (points 0-3, magenta) and right (points 4-7, yellow), each a poly group
// of its own material, drawn in clip coordinates on a 32 x 16 display.
class GlPolyGroup : public MaterialTest {
  protected:
    void SetUp() override {
        MaterialTest::SetUp();
        REQUIRE_GL();
        ASSERT_TRUE(openTestDevice(dev, context, 32, 16)) << exitMsg.c_str();
        dev.perFrameGraphicsSetup();
        writeMaterial("left", material);
        writeMaterial("right", material);
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
        geo.setName("model");
        ASSERT_EQ(loadContents(geo, contents), 0);
        ASSERT_EQ(geo.getMaterialsAndBuildPolyLists(&speciesNode, Cstring(modelFolder().c_str())), 0)
            << lastReason();
        thing.geo = &geo;
        masterFrame = 1;
    }
    void TearDown() override {
        dev.release();
        MaterialTest::TearDown();
    }
    // Makes every group drawable again, as the tank does when it builds its lists.
    static void newFrame(CworkObject& w) {
        for (CrenderPolyGroup& g : w.renderPolyGroups)
            g.passBits = 0xFF;
        masterFrame++;
    }
    CgeoFileContents contents;
    CtexturedGeo geo;
    CdirectoryVar speciesNode;
    Thing thing;
    std::unique_ptr<CglContext> context;
    CopenGL dev;
};

TEST_F(GlPolyGroup, PredecessorsDrawFirstAndOnlyOnce) {
    CworkObject w;
    ASSERT_EQ(w.initWorkGeometry(&thing), 0);
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
    ASSERT_EQ(w.initWorkGeometry(&thing), 0);
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
