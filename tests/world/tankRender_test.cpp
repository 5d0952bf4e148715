// The tank's render lists from synthetic groups (the after-opaque rule, the sort, the last
// group of each material, capacities, one build per update) and its displays (order,
// refusal, freeing), drawn through the shop's render step; what the tank and a species hand
// their things' per-frame geometry.

#include "neutralShopServices.h"
#include "data/dataArray.h"
#include "graphics/frameSources.h"
#include "graphics/geoTestSupport.h"
#include "graphics/polyGroups.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "quietThingAccess.h"
#include "shopTankTestSupport.h"
#include "support/cerr.h"
#include "support/pov.h"
#include "world/shopGlobals.h"
#include "world/shopServices.h"
#include "world/species.h"

namespace {

class Cowner : public CworkObjectOwner, public CframeSources {
  public:
    CmatrixControllerManager* skeletonControllers() override { return nullptr; }
    Cmatrix_4* tankCameraMatrix() override { return nullptr; }
    char const* skeletonOwnerName() override { return "t"; }
    CtexturedGeo* workObjectModel() override { return nullptr; }
    CgeoNew* skeletonModel() override { return nullptr; }
    int currentBufferIndex() override { return 0; }
    float thingScale() override { return 1.0f; }
    int thingCooks() override { return 0; }
    CframeSources* frameSources() override { return this; }
    Cpov const* pov() override { return &view; }
    Cpov view;
} owner;

// A thing node showing one work object while `shown`.
struct CshownThing : CdirectoryVar {
    CworkObject object;
    bool shown = true;
};

// Only the geometry matters here; the rest of the thing access is never reached.
class Caccess : public CquietThingAccess {
  public:
    CworkObject* shownGeometry(Cvariable* n) override {
        auto* t = dynamic_cast<CshownThing*>(n);
        return t && t->shown ? &t->object : nullptr;
    }
} access;

class Cdisplay : public CgraphicsAPI {
  public:
    int switchToThisRenderer(int tag) override { return frees += tag == 21, 0; }
    int geoToDisplay(CrenderPolyGroup* g) override {
        if (g) g->passBits = uint8_t(g->passBits & ~displayBit), drawn.push_back(g);
        return 0;
    }
    void drawFlatStuff(Clist<CrenderPolyGroup*>& list) override { flat += list.count; }
    std::vector<CrenderPolyGroup*> drawn;
    int frees = 0, flat = 0;
};

struct G {
    uint16_t material;
    bool transparent;
    float sortPosition;
    bool displayed = true;
};

class TankRender : public ::testing::Test {
  protected:
    void SetUp() override { resetExitState(), tankThingAccess = &access, tank->setTankDisplayed(1); }
    void TearDown() override { tank.reset(), tankThingAccess = nullptr, resetExitState(); }
    CshownThing* addThing(std::vector<G> const& gs) {
        auto* t = new CshownThing;
        t->object.thing = &owner;
        for (G const& g : gs) {
            sets.push_back(std::make_unique<CpolyGroupSet>());
            defs.push_back(std::make_unique<CpolyGroupDefinition>());
            sets.back()->transparent = g.transparent, defs.back()->sortPosition = g.sortPosition;
            t->object.renderPolyGroups.emplace_back();
            CrenderPolyGroup& r = t->object.renderPolyGroups.back();
            r.owner = &t->object, r.set = sets.back().get(), r.definition = defs.back().get();
            r.materialNumber = g.material, r.displayed = g.displayed;
        }
        tank->thingList->addVariable(t, 1);
        return t;
    }
    std::vector<std::unique_ptr<CpolyGroupSet>> sets;
    std::vector<std::unique_ptr<CpolyGroupDefinition>> defs;
    std::unique_ptr<Ctank> tank = std::make_unique<Ctank>(nullptr);
};

TEST_F(TankRender, ListsSplitSortAndLinkTheLastOfEachMaterialOncePerUpdate) {
    auto& a = addThing({{1, false, 0}, {2, true, -1000}, {1, true, 3}, {4, false, 0, false}, {2, true, -2}})
                  ->object.renderPolyGroups;
    auto& b = addThing({{5, true, 1}, {6, false, 0}, {1, true, 5}, {2, true, 4}, {0xFFFF, true, 9}})
                  ->object.renderPolyGroups;
    addThing({{7, false, 0}})->shown = false;
    tank->fetchTankDisplayGeo();
    std::vector<CrenderPolyGroup*> opaque(tank->opaqueList.elements,
                                          tank->opaqueList.elements + tank->opaqueList.count);
    EXPECT_EQ(opaque, (std::vector<CrenderPolyGroup*>{&a[0], &b[1], &a[1]})); // after-opaque last
    EXPECT_EQ(a[1].screenMax.x, 31.0f);                                       // covers the grid
    std::vector<CrenderPolyGroup*> sorted;
    for (int j = 0; j < tank->transparentOrder.count; j++)
        sorted.push_back(tank->transparentList[tank->transparentOrder[j]]);
    EXPECT_EQ(sorted, (std::vector<CrenderPolyGroup*>{&a[4], &b[0], &a[2], &b[3], &b[2], &b[4]}));
    EXPECT_EQ(b[4].lastSameMaterial, &b[4]); // a negative material number has no slot
    for (auto* g : {&a[2], &b[2]})
        EXPECT_EQ(g->lastSameMaterial, &b[2]);
    EXPECT_EQ(a[4].lastSameMaterial, &b[3]);
    EXPECT_EQ(a[3].passBits, 0); // a hidden group is not gathered

    addThing({{8, false, 0}});
    tank->fetchTankDisplayGeo(); // a second display in the same frame: no rebuild
    EXPECT_EQ(tank->opaqueList.count, 3);
    tank->updateForRenderPass();
    tank->fetchTankDisplayGeo();
    EXPECT_EQ(tank->opaqueList.count, 4);

    addThing(std::vector<G>(1101, G{1, true, 1}));
    tank->removeThingFromList(nullptr); // a thing leaving also rebuilds
    tank->fetchTankDisplayGeo();
    EXPECT_EQ(tank->transparentList.count, 1100);
    struct Case {
        short displayed;
        int16_t exiting;
        int capacity;
    };
    for (Case c : {Case{0, 0, 0}, Case{1, 0, 1000}, Case{1, 1, 0}}) {
        exitSaver = c.exiting;
        tank->setTankDisplayed(c.displayed);
        EXPECT_EQ(tank->opaqueList.capacity, c.capacity);
        EXPECT_EQ(tank->afterOpaqueList.capacity, c.capacity / 5);
    }
    exitSaver = 0;
}

TEST_F(TankRender, DisplaysOrderedByLeftEdgeAndDrawnThroughTheShopsRenderStep) {
    Cdisplay d[4];
    float const lefts[4] = {2, 0, 1, 1};
    for (int i = 0; i < 4; i++) {
        d[i].setDisplayIndex(3 - i), d[i].drawAll = 1;
        d[i].appliedWindowRect = Crect(lefts[i], lefts[i] + 1, 0, 1);
        ASSERT_EQ(tank->attachAPI(&d[i]), 0);
    }
    EXPECT_EQ(tank->tankDisplays, (std::vector<CgraphicsAPI*>{&d[1], &d[2], &d[3], &d[0]}));
    EXPECT_EQ(d[2].leftMonitorExtendStatus + d[2].rightMonitorExtendStatus, 2);
    EXPECT_EQ(d[0].rightMonitorExtendStatus, 0);
    EXPECT_EQ(tank->attachAPI(&d[2]), 1); // twice: refused
    EXPECT_STREQ(exitMsg.c_str(), "repeatAPI");
    Cdisplay stranger;
    tank->detachAPI(&stranger);
    tank->detachAPI(&d[1]);
    EXPECT_EQ(tank->numTankDisplays, 3);
    EXPECT_EQ(d[1].tank, nullptr);
    EXPECT_EQ(d[1].frees + stranger.frees, 1);
    EXPECT_EQ(d[2].leftMonitorExtendStatus, 0); // now the leftmost

    auto& g =
        addThing({{1, true, 4}, {2, false, 0}, {3, true, -1000}, {4, true, 2}})->object.renderPolyGroups;
    CneutralShopServices services;
    masterFrame = 77;
    for (Cdisplay* display : {&d[2], &d[3], &d[0]})
        services.renderFraction(*display, 100.0f);
    EXPECT_EQ(tank->lastUpdateFrame, 77);
    for (Cdisplay* display : {&d[2], &d[3], &d[0]})
        EXPECT_EQ(display->drawn, (std::vector<CrenderPolyGroup*>{&g[1], &g[2], &g[3], &g[0]}));

    tank.reset(); // its displays forget it
    EXPECT_EQ(d[0].tank, nullptr);
    revertToDefaults = 0;
    resetExitState();
    services.renderFraction(d[0], 100.0f);
    EXPECT_STREQ(exitMsg.c_str(), "Null Tank - this is a bug!");
    EXPECT_EQ(revertToDefaults, 2);
    revertToDefaults = 0;
}

TEST_F(TankRender, OnlyTheInterfaceDisplayDrawsThePanelAndOnlyWhileItShows) {
    CshopKeeper shop;
    auto* panel = new CtankPanel; // the shop keeper's from here
    shop.controlPanel = panel;
    tank = std::make_unique<Ctank>(&shop);
    tank->setTankDisplayed(1);
    auto* node = new CshownThing; // the panel's geometry: two shown groups of three
    node->object.renderPolyGroups.resize(3);
    node->object.renderPolyGroups[0].displayed = node->object.renderPolyGroups[2].displayed = 1;
    tank->thingList->addVariable(node, 1);
    struct Access : Caccess {
        CworkObject* shownGeometry(Cvariable* n) override { return n == panelNode ? panelObject : nullptr; }
        Cvariable* panelNode;
        CworkObject* panelObject;
    } withPanel;
    withPanel.panelNode = panel->node(), withPanel.panelObject = &node->object;
    tankThingAccess = &withPanel;
    Cdisplay d[2];
    for (int i = 0; i < 2; i++)
        d[i].setDisplayIndex(i), d[i].appliedWindowRect = Crect(float(i), i + 1.0f, 0, 1),
                                 tank->attachAPI(&d[i]);
    struct Case {
        int gui;
        bool shown;
        int flat[2];
    };
    for (Case c : {Case{0, true, {2, 0}}, Case{1, true, {0, 2}}, Case{1, false, {0, 0}}}) {
        shop.guiDisplay = panel->on = &d[c.gui], panel->displayed = c.shown;
        d[0].flat = d[1].flat = 0;
        masterFrame++;
        d[0].RenderFraction(0), d[1].RenderFraction(0);
        for (int i = 0; i < 2; i++) {
            EXPECT_EQ(d[i].flat, c.flat[i]) << c.gui << c.shown;
            EXPECT_EQ(d[i].panelOnThisDisplay, c.flat[i] ? 1 : 0);
        }
    }
    EXPECT_TRUE(d[0].drawn.empty()); // the panel is never in the tank's own lists
    EXPECT_EQ(node->object.renderPolyGroups[2].screenMax.x, 1000.0f); // it covers every cell
    tank.reset();
    tankThingAccess = &access;
}

TEST_F(TankRender, WithoutASortPositionTheFartherSortPointDrawsFirst) {
    owner.view.setViewpoint(Cvector(0, 0, 0), Cvector(0, 0, -1), Cvector(0, 1, 0));
    CgeoNew loaded;
    ASSERT_EQ(loadContents(loaded, contentsOf({{"pos", 3, 0}}, {{0, 0, -2}, {1, 0, -8}, {0, 1, -5}})), 0);
    CtexturedGeo model;
    auto& g = addThing({{1, true, 0}, {2, true, 0}, {3, true, 0}})->object;
    g.workGeo[0].clonePoints(loaded, {Cstring("pos")}, 0); // work buffers are attribute-major
    g.model = &model, g.curGeo = &g.workGeo[0], g.numPoints = 3;
    g.posOffset = g.workGeo[0].posOffset, g.posSize = g.workGeo[0].posSize;
    for (int i = 0; i < 3; i++)
        g.renderPolyGroups[size_t(i)].definition->sortPoint = int16_t(i);
    tank->fetchTankDisplayGeo();
    std::vector<int> materials;
    for (int j = 0; j < tank->transparentOrder.count; j++)
        materials.push_back(tank->transparentList[tank->transparentOrder[j]]->materialNumber);
    EXPECT_EQ(materials, (std::vector<int>{2, 3, 1})); // depths 8, 5, 2
    EXPECT_EQ(exitMsg.c_str()[0], '\0') << exitMsg.c_str();
}

TEST(TankFrameSources, ArraysOfTheWrongShapeReadAsAbsentAndTheViewWaitsForACamera) {
    Ctank tank(nullptr);
    Cspecies species;
    CframeSources* s = tank.frameSources();
    CframeSources* fromSpecies = species.frameSources();
    ASSERT_TRUE(s && fromSpecies);
    CdataChan chan;
    CdataImage image;
    CdataVolume volume;
    struct {
        CdataArray* given;
        bool chanSeen, imageSeen, volumeSeen;
    } const cases[] = {
        {nullptr, false, false, false},
        {&chan, true, false, false},
        {&image, false, true, false},
        {&volume, false, false, true},
    };
    for (auto const& c : cases) {
        tank.camShakeChan = tank.fishFinFlutter = tank.levelSet = species.colorNoiseImage = c.given;
        EXPECT_EQ(s->camShakeChan() != nullptr, c.chanSeen);
        EXPECT_EQ(s->fishFinFlutter() != nullptr, c.imageSeen);
        EXPECT_EQ(s->levelSet() != nullptr, c.volumeSeen);
        EXPECT_EQ(fromSpecies->colorNoiseImage() != nullptr, c.imageSeen);
    }
    // Not theirs to free.
    tank.camShakeChan = tank.fishFinFlutter = tank.levelSet = species.colorNoiseImage = nullptr;
    EXPECT_EQ(s->pov(), nullptr) << "no camera built yet";
    EXPECT_EQ(fromSpecies->pov(), nullptr) << "the tank's half is not the species' to give";
    tank.cameraBuilt = 1;
    EXPECT_EQ(s->pov(), &tank.gridPov) << "the view in grid cells, which the culling masks count";
}

} // namespace
