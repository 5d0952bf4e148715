// The render pass on a device that records what it draws (no GL): the transparent chain's
// batching of like materials and its look-ahead budgets, visibility, the once-per-master-
// frame update of a tank shown on two displays, the interface list and the missing tank.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/graphicsMaster.h"
#include "graphics/polyGroups.h"
#include "graphics/workObject.h"
#include "support/cerr.h"

namespace {

// Draws by clearing the display's pass bit, as the real device does, and records the order.
class CrecordingDevice : public CgraphicsAPI {
  public:
    int geoToDisplay(CrenderPolyGroup* g) override {
        if (g == nullptr) return resets++, 0;
        g->passBits = uint8_t(g->passBits & ~displayBit);
        drawn.push_back(g);
        return 0;
    }
    void drawFlatStuff(Clist<CrenderPolyGroup*>& list) override { flatDrawn += list.count; }
    std::vector<CrenderPolyGroup*> drawn;
    int resets = 0, flatDrawn = 0;
};

// A group of the transparent chain: its object (0 or 1), material and cell masks.
struct Spec {
    int object;
    uint16_t material;
    uint64_t x, y;
};

// The tank the hooks reach: its lists and the calls the pass makes into it.
struct FakeTank {
    CtankRenderLists lists;
    int updates = 0, fetches = 0;
    bool panelShown = false;
    CgraphicsAPI* guiDevice = nullptr;
    CworkObject* guiObject = nullptr;
};
FakeTank* current = nullptr;

class RenderPass : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        current = &tank;
        savedHooks = graphicsHooks;
        graphicsHooks.tankRenderLists = [](Ctank*) { return &current->lists; };
        graphicsHooks.updateTankForFrame = [](Ctank*) {
            current->updates++;
            current->lists.lastUpdateFrame = masterFrame;
        };
        graphicsHooks.fetchTankDisplayGeo = [](Ctank*) { current->fetches++; };
        graphicsHooks.panelShownOn = [](CgraphicsAPI* d) { return current->panelShown && d == current->guiDevice; };
        graphicsHooks.guiWorkObjects = [](CgraphicsAPI* d, CworkObject** out, int) {
            if (d != current->guiDevice || !current->panelShown || !current->guiObject) return 0;
            out[0] = current->guiObject;
            return 1;
        };
        dev.setDisplayIndex(0);
        dev.cellRect = Crect(0, 30, 0, 30);
        dev.tank = reinterpret_cast<Ctank*>(&tank);
        tank.lists.opaqueList.setSize(10, nullptr);
        tank.lists.transparentList.setSize(40, nullptr);
        tank.lists.transparentOrder.setSize(40, nullptr);
        tank.lists.opaqueList.count = tank.lists.transparentList.count = 0;
        masterFrame = 10;
    }
    void TearDown() override {
        graphicsHooks = savedHooks;
        current = nullptr;
        resetExitState();
    }
    // The transparent list, back to front in the order given, listed in reverse so that
    // the pass must follow transparentOrder; each group's last of its material is set.
    void setTransparent(std::vector<Spec> const& specs) {
        groups.assign(specs.size(), CrenderPolyGroup{});
        int n = int(specs.size());
        for (int j = 0; j < n; j++) {
            CrenderPolyGroup& g = groups[size_t(j)];
            g.owner = &objects[specs[size_t(j)].object];
            g.materialNumber = specs[size_t(j)].material;
            g.xCellMask = specs[size_t(j)].x, g.yCellMask = specs[size_t(j)].y;
            g.screenMax = Cvector(5, 5, 0);
            g.passBits = 255;
            for (int k = j; k < n; k++)
                if (specs[size_t(k)].material == g.materialNumber) g.lastSameMaterial = &groups[size_t(k)];
            tank.lists.transparentList[n - 1 - j] = &g;
            tank.lists.transparentOrder[j] = n - 1 - j;
        }
        tank.lists.transparentList.count = tank.lists.transparentOrder.count = n;
    }
    // The drawn groups as their places in the back-to-front order.
    std::vector<int> drawOrder() {
        std::vector<int> out;
        for (CrenderPolyGroup* g : dev.drawn)
            out.push_back(int(g - groups.data()));
        return out;
    }

    CgraphicsHooks savedHooks;
    FakeTank tank;
    CrecordingDevice dev;
    CworkObject objects[2];
    std::vector<CrenderPolyGroup> groups;
};

std::vector<Spec> withFillers(std::vector<Spec> head, int fillers, Spec tail) {
    for (int i = 0; i < fillers; i++)
        head.push_back({1, uint16_t(100 + i), uint64_t(1) << (40 + i % 20), 1});
    head.push_back(tail);
    return head;
}

TEST_F(RenderPass, TransparentChainBatchesLikeMaterialsWhereNothingBetweenCoversThem) {
    struct Case {
        char const* what;
        std::vector<Spec> specs;
        std::vector<int> order;
    };
    std::vector<Case> cases = {
        {"apart: pulled forward", {{0, 1, 1, 1}, {1, 2, 4, 4}, {1, 1, 2, 1}}, {0, 2, 1}},
        {"overlap in columns only", {{0, 1, 1, 1}, {1, 2, 2, 4}, {1, 1, 2, 1}}, {0, 2, 1}},
        {"overlap in rows only", {{0, 1, 1, 1}, {1, 2, 4, 1}, {1, 1, 2, 1}}, {0, 2, 1}},
        {"overlap in both: sorted order", {{0, 1, 1, 1}, {1, 2, 2, 1}, {1, 1, 2, 1}}, {0, 1, 2}},
        {"one material, all overlapping: each once", {{0, 1, 1, 1}, {1, 1, 1, 1}, {0, 1, 1, 1}}, {0, 1, 2}},
        {"same object first", {{0, 1, 1, 1}, {1, 1, 2, 2}, {0, 1, 4, 4}, {1, 3, 8, 8}}, {0, 2, 1, 3}},
        {"material look-ahead of 11", withFillers({{0, 1, 1, 1}}, 10, {1, 1, 2, 2}),
         {0, 11, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
        {"material look-ahead gives up", withFillers({{0, 1, 1, 1}}, 11, {1, 1, 2, 2}),
         {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}},
        {"object look-ahead of 7", withFillers({{0, 1, 1, 1}, {1, 1, 2, 2}}, 5, {0, 1, 4, 4}),
         {0, 7, 1, 2, 3, 4, 5, 6}},
        {"object look-ahead gives up, material goes on",
         withFillers({{0, 1, 1, 1}, {1, 1, 2, 2}}, 6, {0, 1, 4, 4}), {0, 1, 8, 2, 3, 4, 5, 6, 7}},
    };
    for (Case const& c : cases) {
        dev.drawn.clear();
        setTransparent(c.specs);
        dev.renderState = 5;
        EXPECT_EQ(dev.RenderFraction(7.0f), 0);
        EXPECT_EQ(drawOrder(), c.order) << c.what;
        EXPECT_EQ(dev.renderState, 5) << c.what;
    }
}

TEST_F(RenderPass, VisibilityFiltersBothListsAndAnEmptyChainDrawsNothing) {
    CpolyGroupDefinition always;
    always.skipPOVtest = 1;
    CrenderPolyGroup inside, outside, forced;
    inside.screenMin = Cvector(30, 30, 0), inside.screenMax = Cvector(40, 40, 0); // touches the corner
    outside.screenMin = Cvector(31, 0, 0), outside.screenMax = Cvector(40, 5, 0);
    forced.screenMin = outside.screenMin, forced.screenMax = outside.screenMax;
    forced.definition = &always;
    for (CrenderPolyGroup* g : {&inside, &outside, &forced})
        g->passBits = 255, g->lastSameMaterial = g;
    tank.lists.opaqueList.add(&outside);
    tank.lists.opaqueList.add(&inside);
    tank.lists.opaqueList.add(&forced);
    EXPECT_EQ(dev.RenderFraction(0), 0);
    EXPECT_EQ(dev.drawn, (std::vector<CrenderPolyGroup*>{&inside, &forced}));
    dev.drawAll = 1;
    EXPECT_TRUE(dev.isRPGvisible(&outside));
    dev.drawAll = 0;

    // Only invisible transparent groups: one empty link, nothing drawn.
    tank.lists.opaqueList.count = 0;
    tank.lists.transparentList[0] = &outside;
    tank.lists.transparentOrder[0] = 0;
    tank.lists.transparentList.count = 1;
    dev.drawn.clear();
    dev.RenderFraction(0);
    EXPECT_TRUE(dev.drawn.empty());
    EXPECT_EQ(dev.rpgLinks.elements[0].group, nullptr);
    EXPECT_EQ(dev.rpgLinks.elements[0].next, nullptr);
}

TEST_F(RenderPass, TwoDisplaysUpdateTheirTankOncePerMasterFrame) {
    CrecordingDevice second;
    second.setDisplayIndex(1);
    second.cellRect = dev.cellRect;
    second.tank = dev.tank;
    tank.lists.tankDisplays = {&dev, &second};
    CrenderPolyGroup g;
    g.passBits = 255;
    g.screenMax = Cvector(1, 1, 0);
    tank.lists.opaqueList.add(&g);
    for (int frame = 1; frame <= 3; frame++) {
        masterFrame = 100 + frame;
        dev.RenderFraction(0);
        second.RenderFraction(0);
        EXPECT_EQ(tank.updates, frame);
        EXPECT_EQ(tank.fetches, 2 * frame); // the tank itself builds only once
        g.passBits = 255;
    }
    // Each display drew the group once per frame, with its own bit.
    EXPECT_EQ(dev.drawn.size(), 3u);
    EXPECT_EQ(second.drawn.size(), 3u);
}

TEST_F(RenderPass, InterfaceListOnlyOnTheInterfaceDisplayWhilePanelShows) {
    CworkObject panel;
    panel.renderPolyGroups.resize(3);
    panel.renderPolyGroups[0].displayed = 1;
    panel.renderPolyGroups[2].displayed = 1;
    tank.guiObject = &panel;
    CrecordingDevice other;
    other.setDisplayIndex(1);
    other.tank = dev.tank;
    struct Case {
        CgraphicsAPI* gui;
        bool shown;
        int onDev, onOther;
    };
    for (Case c : {Case{&dev, true, 2, 0}, Case{&other, true, 0, 2}, Case{&dev, false, 0, 0}}) {
        tank.guiDevice = c.gui, tank.panelShown = c.shown;
        dev.flatDrawn = other.flatDrawn = 0;
        dev.RenderFraction(0);
        other.RenderFraction(0);
        EXPECT_EQ(dev.flatDrawn, c.onDev);
        EXPECT_EQ(other.flatDrawn, c.onOther);
        EXPECT_EQ(dev.panelOnThisDisplay, c.onDev > 0 ? 1 : 0);
    }
    EXPECT_EQ(panel.renderPolyGroups[0].passBits, 255);
    EXPECT_EQ(panel.renderPolyGroups[0].screenMax.x, 1000.0f);
    EXPECT_EQ(dev.guiList.count, 0); // emptied after each frame
}

TEST_F(RenderPass, NoTankRecordsTheErrorAndDrawsNothing) {
    bool missing = false;
    static bool* flag = nullptr;
    flag = &missing;
    graphicsHooks.tankMissing = [] { *flag = true; };
    dev.tank = nullptr;
    EXPECT_EQ(dev.RenderFraction(0), 0);
    EXPECT_STREQ(exitMsg.c_str(), "Null Tank - this is a bug!");
    EXPECT_TRUE(missing);
    EXPECT_EQ(dev.framesRendered, 0);
    EXPECT_EQ(dev.renderState, 5);
}

TEST(RpgLinks, ObscuringTestLooksAtTheLinksBetween) {
    CrpgLink a{nullptr, 1, 1}, b{nullptr, 2, 1}, c{nullptr, 2, 2};
    a.next = &b, b.next = &c;
    EXPECT_EQ(CgraphicsAPI::passesObscuringTest(&c, &c), 1);
    EXPECT_EQ(CgraphicsAPI::passesObscuringTest(&a, &c), 1); // b shares columns only
    c.yCells = 3;
    EXPECT_EQ(CgraphicsAPI::passesObscuringTest(&a, &c), 0);
    EXPECT_EQ(CgraphicsAPI::passesObscuringTest(&c, &c), 1);
}

} // namespace
