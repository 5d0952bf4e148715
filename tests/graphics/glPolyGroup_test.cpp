// A small tank drawn on the OpenGL device by the render pass through a perspective camera:
// opaque models in depth order, transparent ones blended back to front.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "glTestSupport.h"
#include "graphics/graphicsGL.h"
#include "materialTestSupport.h"

namespace {

// A model with the thing showing it.
struct Model {
    Model() { owner.geo = &geo; }
    CtexturedGeo geo;
    TestOwner owner;
    CworkObject work;
};

// One quad of a model: x span and y half-height at depth z (the camera looks down -z).
struct Quad {
    char const* name;
    bool transparent;
    float x0, x1, halfHeight, z;
    float rgba[4];
};

CtankRenderLists* shown = nullptr;

// A display of 32 x 16. The camera at the origin sees x from -d to d and y from -d/2 to d/2
// at depth d, so each quad's columns follow from its x span over its depth.
class RenderPassGL : public ModelTest {
  protected:
    void SetUp() override {
        ModelTest::SetUp();
        REQUIRE_GL();
        ASSERT_TRUE(openTestDevice(dev, context, 32, 16)) << exitMsg.c_str();
        dev.letterboxedFovRect = Crect(-1, 1, -0.5f, 0.5f);
        dev.viewportHeight = 16, dev.letterboxBottom = 0, dev.clearScreen = 1, dev.drawAll = 1;
        dev.tank = reinterpret_cast<Ctank*>(&lists);
        shown = &lists;
        // The device's tank is a stand-in: no slot may reach the tank layer.
        graphicsHooks = CgraphicsHooks{};
        graphicsHooks.tankRenderLists = [](Ctank*) { return shown; };
        for (auto* l : {&lists.opaqueList, &lists.transparentList})
            l->setSize(8, nullptr), l->count = 0;
        lists.transparentOrder.setSize(8, nullptr);
    }
    void TearDown() override {
        models.clear();
        graphicsHooks = savedHooks, shown = nullptr;
        dev.release();
        ModelTest::TearDown();
    }
    // A model of one quad (in as many views as asked, the first shown); its group joins the
    // opaque list or the transparent one (which the test lists back to front), covering the
    // cells of its columns.
    CrenderPolyGroup* addModel(Quad const& q, uint64_t columns, int views = 1) {
        writeMaterial(q.name, kColourMaterial);
        auto m = std::make_unique<Model>();
        std::vector<std::vector<float>> rows;
        float const xs[4] = {q.x0, q.x1, q.x1, q.x0}, ys[4] = {-1, -1, 1, 1};
        for (int p = 0; p < 4 * views; p++)
            rows.push_back(
                {xs[p % 4], ys[p % 4] * q.halfHeight, q.z, q.rgba[0], q.rgba[1], q.rgba[2], q.rgba[3]});
        contents = contentsOf({{"pos", 3, 0}, {"Cd", 4, 0}}, rows);
        for (int v = 0; v < views; v++) {
            std::string view = v ? "_" + std::to_string(v) + "#_" : "_";
            std::string group =
                std::string("mat_") + q.name + view + (q.transparent ? "t" : "o") + char('a' + v);
            addFace(group.c_str(), {4 * v, 4 * v + 1, 4 * v + 2, 4 * v + 3});
        }
        EXPECT_EQ(build(m->geo), 0) << lastReason();
        EXPECT_EQ(m->work.initWorkGeometry(&m->owner), 0) << lastReason();
        if (m->work.renderPolyGroups.size() != 1) return nullptr;
        CrenderPolyGroup* g = &m->work.renderPolyGroups[0];
        g->passBits = 255, g->lastSameMaterial = g, g->xCellMask = columns, g->yCellMask = 1;
        if (q.transparent) lists.transparentOrder[lists.transparentList.count] = lists.transparentList.count;
        (q.transparent ? lists.transparentList : lists.opaqueList).add(g);
        models.push_back(std::move(m));
        return g;
    }

    CtankRenderLists lists;
    std::vector<std::unique_ptr<Model>> models;
    CgraphicsHooks savedHooks = graphicsHooks;
    std::unique_ptr<CglContext> context;
    CopenGL dev;
};

TEST_F(RenderPassGL, SmallTankDrawsOpaqueThenTransparentBackToFront) {
    // Columns by quarter of the screen: red | red+blue | backdrop+blue+white | yellow+white.
    ASSERT_TRUE(addModel({"backdrop", false, -10, 10, 5, -10, {0, 1, 0, 1}}, 0xF));
    ASSERT_TRUE(addModel({"left", false, -5, 0, 2.5f, -5, {1, 0, 0, 1}}, 0x3));
    ASSERT_TRUE(addModel({"right", false, 2.5f, 5, 2.5f, -5, {1, 1, 0, 1}}, 0x8));
    ASSERT_TRUE(addModel({"glass", true, -2, 2, 2, -4, {0, 0, 1, 0.5f}}, 0x6));
    ASSERT_TRUE(addModel({"veil", true, 0, 2, 1, -2, {1, 1, 1, 0.5f}}, 0xC));
    struct Expect {
        int column;
        int rgb[3];
        int tolerance;
    };
    std::vector<Expect> const expected = {
        {4, {255, 0, 0}, 0}, {12, {127, 0, 128}, 2}, {20, {128, 191, 191}, 3}, {28, {255, 255, 128}, 2}};
    for (int frame = 0; frame < 2; frame++) { // the second frame redraws the same picture
        masterFrame = 50 + frame;
        EXPECT_EQ(dev.RenderFraction(0), 0);
        Frame f = readFrame(*context);
        for (Expect const& e : expected)
            for (int row : {2, 8, 13})
                for (int k = 0; k < 3; k++)
                    EXPECT_NEAR(f.at(e.column, row)[k], e.rgb[k], e.tolerance)
                        << "column " << e.column << " row " << row << " channel " << k << " frame " << frame;
        EXPECT_EQ(f.litCount(), 32 * 16);
        dumpFrameIfFailed(f);
        for (CrenderPolyGroup* g : {lists.opaqueList[0], lists.transparentList[1]})
            EXPECT_EQ(g->passBits, 0xFE); // drawn once on display 0
        for (auto& m : models)
            m->work.renderPolyGroups[0].passBits = 255;
    }
    // The group of a thing being torn down is passed over.
    graphicsHooks.thingTearingDown = [](CworkObject*) { return true; };
    EXPECT_EQ(dev.geoToDisplay(lists.opaqueList[0]), 0);
    EXPECT_EQ(lists.opaqueList[0]->passBits, 255);
}

// A group's first draw uploads every view of it, so a fish that turns later shows another
// view without making a buffer in the middle of a frame.
TEST_F(RenderPassGL, AGroupsFirstDrawUploadsEveryView) {
    CrenderPolyGroup* g = addModel({"backdrop", false, -10, 10, 5, -10, {0, 1, 0, 1}}, 0xF, 3);
    ASSERT_TRUE(g);
    ASSERT_EQ(g->set->variations.size(), 3u);
    masterFrame = 60;
    EXPECT_EQ(dev.RenderFraction(0), 0);
    for (CpolyGroupDefinition* view : g->set->variations)
        EXPECT_NE(view->indexData[0], nullptr) << view->name.c_str();
}

} // namespace
