// The kinds of this layer made by the species factory, placed in a real tank and seen by
// its frame step through the installed access.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>

#include "data/resourceStreamer.h"
#include "support/cerr.h"
#include "testSupport.h"
#include "things/backdropThing.h"
#include "things/basicDeformThing.h"
#include "things/bubbles.h"
#include "things/targetThing.h"
#include "things/thingKinds.h"
#include "things/wavingPlant.h"
#include "world/species.h"
#include "world/tank.h"
#include "world/tankLive.h"
#include "world/tankThings.h"
#include "world/thingFactory.h"

namespace {
template <typename Kind> bool is(Cvariable* v) {
    return dynamic_cast<Kind*>(v) != nullptr;
}
} // namespace

TEST(ThingFactory, KindsOfThisLayer) {
    installThingKinds();
    Cspecies species;
    species.setName("kelp");
    species.doBlending = 0x100; // only the low byte reaches the thing
    struct {
        char const* keyword;
        int kind;
        bool (*check)(Cvariable*);
    } const cases[] = {
        {"waving_plant", 5, is<CwavingPlant>},      {"bubbles", 12, is<Cbubbles>},
        {"basic_deform", 4, is<CbasicDeformThing>}, {"backdrop", 18, is<CbackdropThing>},
        {"target", 13, is<CtargetThing>},
    };
    for (auto const& c : cases) {
        species.speciesClass = c.keyword;
        Cvariable* made = species.createNewMemberOfThisSpecies();
        ASSERT_NE(made, nullptr) << c.keyword;
        EXPECT_TRUE(c.check(made)) << c.keyword;
        EXPECT_EQ(species.thingKind, c.kind);
        auto* thing = dynamic_cast<Cthing*>(made);
        EXPECT_EQ(thing->species, &species);
        EXPECT_EQ(thing->smoothing, 0);
        delete made;
    }
    // A kind without a maker is refused like an unknown keyword; the counter still moves.
    registerThingMaker("fish", nullptr);
    for (char const* keyword : {"fish", "Fish", ""}) {
        resetExitState();
        species.speciesClass = keyword;
        EXPECT_EQ(species.createNewMemberOfThisSpecies(), nullptr);
        EXPECT_EQ(exitMsg, (std::string("kelp can't be ") + keyword).c_str());
        EXPECT_EQ(species.thingKind, 13); // unchanged
    }
    EXPECT_EQ(species.membersMade, 7);
    EXPECT_EQ(thingKindOf("food_peck"), thingKindOf("food_floating"));
    resetExitState();
}

TEST(ThingFactory, RealThingsJoinLeaveAndLoseTheFocus) {
    installThingKinds();
    Cspecies species; // outlives its members
    CdirectoryVar root;
    auto* tank = new Ctank(nullptr);
    root.addVariable(tank, 1);
    species.setName("rock");
    species.speciesClass = "basic_deform";
    std::vector<Cthing*> things;
    for (int i = 0; i < 3; i++) {
        auto* t = dynamic_cast<Cthing*>(species.createNewMemberOfThisSpecies());
        ASSERT_NE(t, nullptr);
        t->attributes = 16 | 32;
        tankThingAccess->setToTank(t, tank);
        EXPECT_EQ(t->tank, tank);
        EXPECT_EQ(t->parent, tank->thingList);
        things.push_back(t);
    }
    tank->changeFocusThing(things[1]);
    EXPECT_EQ(tank->focusThing, things[1]);
    tank->focusStep = 1;
    deleteVariable(things[1]);
    EXPECT_EQ(tank->focus, nullptr);
    tank->updateFocusThing();
    EXPECT_EQ(tank->focus, things[2]);
    tank->messageAllThingsInTank("hello", "there", 1.0f);
    EXPECT_EQ(tank->thingList->countChildren(-1), 2);
    emptyTrash(); // the deleted thing waits there, and its species goes with this test
    resetExitState();
}

// A species without a model still makes things: they join the tank without render
// geometry; a species with a model that cannot be built is still refused.
TEST(ThingFactory, ASpeciesWithoutAModelMakesThingsWithoutGeometry) {
    installThingKinds();
    TempDir dir;
    std::filesystem::path savedCwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
    uint16_t savedDiskAlways = resourcesDir->checkDiskAlways;
    resourcesDir->checkDiskAlways = 1;
    std::filesystem::create_directories("species/marker");
    writeWholeFile("species/marker/marker.spec", ":set class target\n:set maxPerTank 5\n");
    CdirectoryVar root;
    speciesTreeBase = &root;
    auto* tank = new Ctank(nullptr);
    root.addVariable(tank, 1);
    resetExitState();
    for (int i = 0; i < 2; i++) {
        Cvariable* made = tank->addThing(Cstring("marker"), nullptr);
        ASSERT_NE(made, nullptr) << exitMsg.c_str();
        auto* thing = dynamic_cast<CtargetThing*>(made);
        ASSERT_NE(thing, nullptr);
        EXPECT_EQ(thing->workObject, nullptr);
        EXPECT_EQ(thing->parent, tank->thingList);
    }
    EXPECT_EQ(erroredExit, 0) << exitMsg.c_str();
    EXPECT_EQ(tank->thingList->countChildren(-1), 2);
    delete tank; // its things go before their species
    emptyTrash();
    root.deleteChildren();
    speciesTreeBase = nullptr;
    resourcesDir->checkDiskAlways = savedDiskAlways;
    std::filesystem::current_path(savedCwd);
    resetExitState();
}

// A thing that tells its middle only, away from the tank's origin.
struct CmiddleOnly : CtargetThing {
    void getMidPos(Cvector& out) override { out = Cvector(2, 1, -3); }
};

TEST(ThingLiveAccess, TankStepSeesThingsOfThisLayer) {
    CtankLiveAccess* before = tankLiveAccess;
    installThingKinds();
    CdirectoryVar root, plain;
    auto* tank = new Ctank(nullptr);
    root.addVariable(tank, 1);
    auto* thing = new CtargetThing;
    auto* middleOnly = new CmiddleOnly;
    for (Cthing* t : {static_cast<Cthing*>(thing), static_cast<Cthing*>(middleOnly)}) {
        t->tank = tank;
        tank->thingList->addVariable(t, 1);
    }
    for (auto [node, owner] :
         {std::pair<Cvariable*, Ctank*>{thing, tank}, {middleOnly, tank}, {&plain, nullptr}}) {
        Cvector mid, head, tail;
        float radius = -1;
        EXPECT_EQ(tankLiveAccess->tankOf(node), owner);
        EXPECT_EQ(tankLiveAccess->getMidPos(node, mid), owner != nullptr);
        EXPECT_EQ(tankLiveAccess->pickBody(node, head, tail, radius), owner != nullptr);
        if (owner) EXPECT_GT(radius, 0.0f) << "a thing is picked over some thickness";
        // Without a head or a tail the body is its middle: its own scale, not the origin.
        if (owner) EXPECT_TRUE((head - mid).length() + (tail - mid).length() < 1e-6f) << node->name.c_str();
    }
    thing->dying = 1;
    EXPECT_TRUE(tankLiveAccess->isBeingDeleted(thing));
    EXPECT_FALSE(tankLiveAccess->isBeingDeleted(&plain));
    thing->dying = 0;
    thing->tank = nullptr;
    root.deleteChildren();
    tankLiveAccess = before;
}
