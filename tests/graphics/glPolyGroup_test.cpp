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

TEST_F(GlPolyGroup, GroupsDrawOncePerDisplayFromTheirStreams) {
    CworkObject w;
    ASSERT_EQ(w.initWorkGeometry(&thing), 0) << lastReason();
    ASSERT_EQ(w.renderPolyGroups.size(), 2u);
    newFrame(w);
    clearColourAndDepth();
    for (CrenderPolyGroup& g : w.renderPolyGroups)
        EXPECT_EQ(dev.geoToDisplay(&g), 0);
    EXPECT_EQ(geoToDisplaysThisFrame, 2);
    Frame f = readFrame(*context);
    EXPECT_EQ(f.at(4, 8)[0], 255); // left: magenta
    EXPECT_EQ(f.at(4, 8)[1], 0);
    EXPECT_EQ(f.at(4, 8)[2], 255);
    EXPECT_EQ(f.at(28, 8)[1], 255); // right: yellow
    EXPECT_EQ(f.at(28, 8)[2], 0);
    EXPECT_EQ(f.litCount(), 32 * 16);
    dumpFrameIfFailed(f);
    for (CrenderPolyGroup& g : w.renderPolyGroups)
        EXPECT_EQ(g.passBits, 0xFE);
    // Both groups share the model's static buffer and one handler of the work object.
    EXPECT_NE(geo.sharedStaticBuffers[0], nullptr);
    EXPECT_NE(w.deviceData[0], nullptr);

    // Already drawn on this display this frame: nothing happens.
    clearColourAndDepth();
    dev.geoToDisplay(&w.renderPolyGroups[0]);
    EXPECT_EQ(geoToDisplaysThisFrame, 2);
    EXPECT_EQ(readFrame(*context).litCount(), 0);

    // A second display draws the same groups with its own bit, buffers and program.
    std::unique_ptr<CglContext> otherContext(createOffscreenContext(32, 16));
    ASSERT_TRUE(otherContext);
    {
        CopenGL other;
        other.context = otherContext.get();
        other.setDisplayIndex(1);
        other.setNewWindowMetrics(Crect(0, 32, 0, 16));
        esMatrixLoadIdentity(&other.viewProjection);
        other.clearScreen = 1; // a new framebuffer's depth is undefined until cleared
        other.perFrameGraphicsSetup();
        other.geoToDisplay(&w.renderPolyGroups[1]);
        EXPECT_EQ(w.renderPolyGroups[1].passBits, 0xFC);
        Frame g = readFrame(*otherContext);
        EXPECT_EQ(g.litCount(), 16 * 16);
        EXPECT_EQ(g.at(28, 8)[1], 255);
        EXPECT_NE(geo.sharedStaticBuffers[1], nullptr);
        EXPECT_NE(geo.sharedStaticBuffers[1], geo.sharedStaticBuffers[0]);
        Cmaterial* right = w.renderPolyGroups[1].set->material;
        EXPECT_NE(right->shaders[1], nullptr);
        EXPECT_NE(right->shaders[1], right->shaders[0]);
        dumpFrameIfFailed(g);
        other.release();
        EXPECT_EQ(geo.sharedStaticBuffers[1], nullptr);
        EXPECT_EQ(right->shaders[1], nullptr);
        EXPECT_EQ(w.deviceData[1], nullptr);
    }
    dev.switchToThisRenderer(0);
}

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
