// The tank's render lists from synthetic groups (the after-opaque rule, the back-to-front
// order, the last group of each material, capacities, once-per-update building) and its
// displays (ordering, refusals, freeing, a missing tank at draw time).
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "graphics/frameSources.h"
#include "graphics/graphicsMaster.h"
#include "graphics/polyGroups.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "support/pov.h"
#include "world/shopGlobals.h"
#include "world/shopServices.h"
#include "world/tank.h"
#include "world/tankThings.h"

namespace {

class Csources : public CframeSources {
  public:
    Cpov const* pov() override { return &view; }
    Cpov view;
};

class Cowner : public CworkObjectOwner {
  public:
    CmatrixControllerManager* skeletonControllers() override { return nullptr; }
    Cmatrix_4* tankCameraMatrix() override { return nullptr; }
    char const* skeletonOwnerName() override { return "t"; }
    CtexturedGeo* workObjectModel() override { return nullptr; }
    CgeoNew* skeletonModel() override { return nullptr; }
    int currentBufferIndex() override { return 0; }
    float thingScale() override { return 1.0f; }
    int thingCooks() override { return 0; }
    CframeSources* frameSources() override { return &sources; }
    Csources sources;
};

// A thing node that shows one work object (or nothing while hidden).
class CshownThing : public CdirectoryVar {
  public:
    CworkObject object;
    bool shown = true;
};

class CaccessForRender : public CtankThingAccess {
  public:
    Cvariable* node(Cthing*) override { return nullptr; }
    Cthing* asThing(Cvariable*) override { return nullptr; }
    int whatAmI(Cvariable*) override { return 0; }
    uint32_t attributes(Cvariable*) override { return 0; }
    Cspecies* speciesOf(Cvariable*) override { return nullptr; }
    void setToTank(Cvariable*, Ctank*) override {}
    void setDisplayed(Cvariable*, char) override {}
    int isAllowed(Cvariable*) override { return 1; }
    int itMoves(Cvariable*) override { return 0; }
    void setDefaultPosition(Cvariable*) override {}
    int doExtraInit(Cvariable*) override { return 0; }
    int resetThing(Cvariable*, int) override { return 0; }
    int setPosition(Cvariable*) override { return 0; }
    void postInitScript(Cvariable*) override {}
    int receiveMessage(Cvariable*, Cstring const&, Cstring const&, float) override { return 0; }
    float thingScale(Cvariable*) override { return 1.0f; }
    int addRenderGeometry(Cvariable*) override { return 0; }
    CproximityParty* proximityParty(Cvariable*) override { return nullptr; }
    Cvariable* makeSchool(Cvariable*, char const*) override { return nullptr; }
    void joinSchool(Cvariable*, Cvariable*) override {}
    CworkObject* shownGeometry(Cvariable* n) override {
        auto* t = dynamic_cast<CshownThing*>(n);
        return t && t->shown ? &t->object : nullptr;
    }
};

class CcountingDisplay : public CgraphicsAPI {
  public:
    int switchToThisRenderer(int tag) override { return tags.push_back(tag), 0; }
    int geoToDisplay(CrenderPolyGroup* g) override {
        if (g) g->passBits = uint8_t(g->passBits & ~displayBit), drawn.push_back(g);
        return 0;
    }
    std::vector<CrenderPolyGroup*> drawn;
    int frees() const { return int(std::count(tags.begin(), tags.end(), 21)); }
    std::vector<int> tags;
};

// A group: material number, transparent set or not, sort position, shown.
struct G {
    uint16_t material;
    bool transparent;
    float sortPosition;
    bool displayed = true;
};

class TankRender : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        tankThingAccess = &access;
        tank = std::make_unique<Ctank>(nullptr);
        tank->setTankDisplayed(1);
    }
    void TearDown() override {
        tank.reset();
        tankThingAccess = nullptr;
        resetExitState();
    }
    // A thing with one group per entry, added to the tank.
    CshownThing* addThing(std::vector<G> const& gs) {
        auto* t = new CshownThing;
        t->object.thing = &owner;
        for (G const& g : gs) {
            sets.push_back(std::make_unique<CpolyGroupSet>());
            sets.back()->transparent = g.transparent;
            defs.push_back(std::make_unique<CpolyGroupDefinition>());
            defs.back()->sortPosition = g.sortPosition;
            CrenderPolyGroup r;
            r.owner = &t->object;
            r.set = sets.back().get();
            r.definition = defs.back().get();
            r.materialNumber = g.material;
            r.displayed = g.displayed;
            t->object.renderPolyGroups.push_back(r);
        }
        tank->thingList->addVariable(t, 1);
        return t;
    }
    std::vector<float> keysInOrder() {
        std::vector<float> out;
        for (int j = 0; j < tank->transparentOrder.count; j++)
            out.push_back(tank->transparentList[tank->transparentOrder[j]]->definition->sortPosition);
        return out;
    }

    CaccessForRender access;
    Cowner owner;
    std::vector<std::unique_ptr<CpolyGroupSet>> sets;
    std::vector<std::unique_ptr<CpolyGroupDefinition>> defs;
    std::unique_ptr<Ctank> tank;
};

TEST_F(TankRender, GatheringSplitsOpaqueTransparentAndAfterOpaque) {
    CshownThing* a = addThing({{1, false, 0}, {2, true, -1000.0f}, {3, true, 5}, {4, false, 0, false}});
    CshownThing* b = addThing({{5, true, -1000.0f}, {6, false, 0}, {3, true, 2}});
    addThing({{7, false, 0}})->shown = false;
    tank->fetchTankDisplayGeo();
    auto& ga = a->object.renderPolyGroups;
    auto& gb = b->object.renderPolyGroups;
    // Opaque in thing order, then the after-opaque groups in theirs.
    std::vector<CrenderPolyGroup*> opaque(tank->opaqueList.elements, tank->opaqueList.elements + tank->opaqueList.count);
    EXPECT_EQ(opaque, (std::vector<CrenderPolyGroup*>{&ga[0], &gb[1], &ga[1], &gb[0]}));
    EXPECT_EQ(tank->transparentList.count, 2);
    EXPECT_EQ(tank->afterOpaqueList.count, 2);
    // After-opaque groups cover the whole grid; every gathered group may draw everywhere.
    EXPECT_EQ(ga[1].screenMin.x, 0.0f);
    EXPECT_EQ(ga[1].screenMax.x, 31.0f);
    EXPECT_EQ(ga[1].screenMax.y, 31.0f);
    EXPECT_EQ(ga[0].passBits, 255);
    EXPECT_EQ(ga[3].passBits, 0); // hidden group untouched
    EXPECT_EQ(exitMsg.c_str()[0], '\0');
}

TEST_F(TankRender, SortOrdersBackToFrontAndLinksTheLastOfEachMaterial) {
    struct Case {
        std::vector<G> groups;
        std::vector<float> order;
    };
    for (Case const& c : std::vector<Case>{
             {{{1, true, 3}, {2, true, -2}, {1, true, 1}, {2, true, 5}, {3, true, 4}}, {-2, 1, 3, 4, 5}},
             {{{9, true, 2}}, {2}},
         }) {
        tank->thingList->deleteChildren();
        CshownThing* t = addThing(c.groups);
        tank->updateForRenderPass();
        tank->fetchTankDisplayGeo();
        EXPECT_EQ(keysInOrder(), c.order);
        // Gathering order stays; the last group of a material in the sorted order is the
        // one every group of that material points to.
        EXPECT_EQ(tank->transparentList[0], &t->object.renderPolyGroups[0]);
        for (CrenderPolyGroup& g : t->object.renderPolyGroups) {
            CrenderPolyGroup* last = nullptr;
            for (int j = 0; j < tank->transparentOrder.count; j++)
                if (tank->transparentList[tank->transparentOrder[j]]->materialNumber == g.materialNumber)
                    last = tank->transparentList[tank->transparentOrder[j]];
            EXPECT_EQ(g.lastSameMaterial, last);
        }
    }
}

TEST_F(TankRender, ListsAreBuiltOncePerUpdateAndAThingLeavingRebuildsThem) {
    CshownThing* t = addThing({{1, false, 0}});
    tank->fetchTankDisplayGeo();
    addThing({{2, false, 0}});
    tank->fetchTankDisplayGeo(); // a second display in the same frame
    EXPECT_EQ(tank->opaqueList.count, 1);
    tank->updateForRenderPass();
    EXPECT_EQ(tank->lastUpdateFrame, masterFrame);
    tank->fetchTankDisplayGeo();
    EXPECT_EQ(tank->opaqueList.count, 2);
    tank->removeThingFromList(nullptr);
    t->shown = false;
    tank->fetchTankDisplayGeo();
    EXPECT_EQ(tank->opaqueList.count, 1);
}

TEST_F(TankRender, CapacitiesFollowTheDisplayedState) {
    EXPECT_EQ(tank->opaqueList.capacity, 1000);
    EXPECT_EQ(tank->transparentList.capacity, 1100);
    EXPECT_EQ(tank->afterOpaqueList.capacity, 200);
    std::vector<G> many(1101, G{1, true, 1});
    addThing(many);
    tank->fetchTankDisplayGeo();
    EXPECT_EQ(tank->transparentList.count, 1100); // the rest dropped
    EXPECT_GE(tank->transparentKeys.capacity, 1100);

    CcountingDisplay d;
    ASSERT_EQ(tank->attachAPI(&d), 0);
    struct Case {
        short displayed;
        int16_t exiting;
        int capacity;
    };
    for (Case c : {Case{0, 0, 0}, Case{1, 0, 1000}, Case{1, 1, 0}}) {
        exitSaver = c.exiting;
        int frees = d.frees();
        tank->setTankDisplayed(c.displayed);
        EXPECT_EQ(tank->opaqueList.capacity, c.capacity);
        EXPECT_EQ(d.frees() - frees, c.capacity == 0 ? 1 : 0);
    }
    exitSaver = 0;
    tank->detachAPI(&d);
}

TEST_F(TankRender, DisplaysAreOrderedByTheirLeftEdges) {
    CcountingDisplay d[4];
    float const lefts[4] = {2, 0, 1, 1};
    for (int i = 0; i < 4; i++) {
        d[i].setDisplayIndex(3 + i);
        d[i].appliedWindowRect = Crect(lefts[i], lefts[i] + 1, 0, 1);
    }
    for (int i = 0; i < 3; i++)
        ASSERT_EQ(tank->attachAPI(&d[i]), 0);
    EXPECT_EQ(tank->tankDisplays, (std::vector<CgraphicsAPI*>{&d[1], &d[2], &d[0]}));
    EXPECT_EQ(tank->numTankDisplays, 3);
    EXPECT_EQ(d[1].leftMonitorExtendStatus, 0);
    EXPECT_EQ(d[2].leftMonitorExtendStatus, 1);
    EXPECT_EQ(d[2].rightMonitorExtendStatus, 1);
    EXPECT_EQ(d[0].rightMonitorExtendStatus, 0);
    EXPECT_EQ(d[0].tank, tank.get());
    // An equal edge goes after the equal ones.
    ASSERT_EQ(tank->attachAPI(&d[3]), 0);
    EXPECT_EQ(tank->tankDisplays[2], &d[3]);

    // Twice: refused and recorded, nothing changes.
    EXPECT_EQ(tank->attachAPI(&d[2]), 1);
    EXPECT_STREQ(exitMsg.c_str(), "repeatAPI");
    EXPECT_EQ(tank->numTankDisplays, 4);

    CcountingDisplay stranger;
    tank->detachAPI(&stranger);
    EXPECT_EQ(tank->numTankDisplays, 4);
    EXPECT_EQ(stranger.frees(), 0);
    tank->detachAPI(&d[1]);
    EXPECT_EQ(tank->numTankDisplays, 3);
    EXPECT_EQ(d[1].tank, nullptr);
    EXPECT_EQ(d[1].frees(), 1);
    EXPECT_EQ(d[2].leftMonitorExtendStatus, 0); // now the leftmost

    // A tank that goes lets its displays go too.
    tank.reset();
    for (CcountingDisplay* left : {&d[0], &d[2], &d[3]})
        EXPECT_EQ(left->tank, nullptr);
}

TEST_F(TankRender, TheShopsRenderStepDrawsEachDisplaysTank) {
    CshownThing* t = addThing({{1, true, 4}, {2, false, 0}, {3, true, -1000.0f}, {4, true, 2}});
    auto& g = t->object.renderPolyGroups;
    CcountingDisplay d[2];
    for (int i = 0; i < 2; i++) {
        d[i].setDisplayIndex(i);
        d[i].appliedWindowRect = Crect(float(i), float(i) + 1, 0, 1);
        d[i].drawAll = 1;
        ASSERT_EQ(tank->attachAPI(&d[i]), 0);
    }
    CshopServices services;
    masterFrame = 77;
    for (CcountingDisplay& display : d)
        services.renderFraction(display, 100.0f);
    EXPECT_EQ(tank->lastUpdateFrame, 77);
    // Opaque, after-opaque, then the transparent ones back to front, on both displays.
    std::vector<CrenderPolyGroup*> order = {&g[1], &g[2], &g[3], &g[0]};
    EXPECT_EQ(d[0].drawn, order);
    EXPECT_EQ(d[1].drawn, order);
    EXPECT_EQ(g[0].passBits, 0xFC);
    for (CcountingDisplay& display : d)
        tank->detachAPI(&display);
}

TEST_F(TankRender, DrawingWithoutATankAsksForTheDefaultsAndDrawsNothing) {
    CcountingDisplay d;
    revertToDefaults = 0;
    d.RenderFraction(0);
    EXPECT_STREQ(exitMsg.c_str(), "Null Tank - this is a bug!");
    EXPECT_EQ(revertToDefaults, 2);
    EXPECT_EQ(d.framesRendered, 0);
    revertToDefaults = 0;
}

} // namespace
