// Tanks and species on a temporary resource tree, with a small test kind of thing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "data/resourceStreamer.h"
#include "script/proximityVar.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "testSupport.h"
#include "variables/configDialogVars.h"
#include "world/species.h"
#include "world/tank.h"
#include "world/tankThings.h"
#include "world/thingFactory.h"
#include "world/shopKeeper.h"
#include "support/helperFunctions.h"

namespace {
class CtestThing : public CsafeRelationship, public CproximityParty {
  public:
    CtestThing() = default;
    Cvector proximityPosition() override { return {}; }
    float proximityScale() override { return 1.0f; }
    Cvariable* proximityDirectory() override { return this; }
    int kind = 0;
    uint32_t attributes = 0;
    Cspecies* species = nullptr;
    Ctank* tank = nullptr;
    int messages = 0;
    Cvector origin;
};

int resetResult = 0;
uint32_t fishAttributes = 2 | 16 | 32;

Cvariable* makeFish() {
    auto* t = new CtestThing;
    t->kind = 1;
    t->attributes = fishAttributes;
    t->flags |= VAR_SAVE;
    return t;
}
Cvariable* makePlain() {
    return new CtestThing;
}

CtestThing* test(Cvariable* v) {
    return dynamic_cast<CtestThing*>(v);
}

class CtestAccess : public CtankThingAccess {
  public:
    Cvariable* node(Cthing*) override { return nullptr; }
    Cthing* asThing(Cvariable*) override { return nullptr; }
    int whatAmI(Cvariable* t) override { return test(t)->kind; }
    uint32_t attributes(Cvariable* t) override { return test(t)->attributes; }
    Cspecies* speciesOf(Cvariable* t) override { return test(t)->species; }
    void setToTank(Cvariable* t, Ctank* tank) override {
        test(t)->tank = tank;
        if (tank) {
            tank->addNodeToTankLists(t);
            if (test(t)->kind == 1) tank->addFish(t);
        } else if (test(t)->kind == 1 && t->parent) {
            if (Ctank* old = dynamic_cast<Ctank*>(t->parent->parent)) old->removeFish(t);
        }
    }
    void setDisplayed(Cvariable*, char) override {}
    int isAllowed(Cvariable*) override { return 1; }
    int itMoves(Cvariable* t) override { return test(t)->kind == 1; }
    void setDefaultPosition(Cvariable*) override {}
    int doExtraInit(Cvariable*) override { return 0; }
    int resetThing(Cvariable*, int) override { return resetResult; }
    int setPosition(Cvariable*) override { return 0; }
    void postInitScript(Cvariable*) override {}
    int receiveMessage(Cvariable* t, Cstring const&, Cstring const&, float) override { return ++test(t)->messages; }
    float thingScale(Cvariable*) override { return 1.0f; }
    int addRenderGeometry(Cvariable*) override { return 0; }
    CproximityParty* proximityParty(Cvariable* t) override { return test(t); }
    void setBubbleOrigin(Cvariable* b, Cvector const& o, bool) override { test(b)->origin = o; }
    Cvariable* makeSchool(Cvariable* dir, char const* n) override { return dir->addDirectory(n, 1); }
    void joinSchool(Cvariable*, Cvariable*) override {}
};

void writeFile(std::string const& path, std::string const& text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path) << text;
}

class TankTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        scriptError = 0;
        savedCwd = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        speciesTreeBase = &root;
        if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
        savedDiskAlways = resourcesDir->checkDiskAlways;
        resourcesDir->checkDiskAlways = 1;
        tankThingAccess = &access;
        setThingSpecies = [](Cvariable* t, Cspecies* s, uint8_t) { test(t)->species = s; };
        registerThingMaker("fish", makeFish);
        registerThingMaker("basic_deform", makePlain);
        registerThingMaker("bubbles", makePlain);
        writeFile("species/angel/angel.spec", ":set class fish :set maxPerTank 200\n");
        writeFile("species/rock/rock.spec", ":set class basic_deform\n");
        writeFile("species/bubbles/bubbles.spec", ":set class bubbles\n");
        writeFile("species/odd/odd.spec", ":set class Fish\n");
        writeFile("species/broken/broken.spec", ":noSuchCommandAnywhere 1\n");
        resetResult = 0;
        tank = new Ctank(nullptr);
        tank->setName("tank1");
        root.addVariable(tank, 1);
        startRunOrQuit = 1;
    }
    void TearDown() override {
        root.deleteChildren();
        speciesTreeBase = nullptr;
        if (resourcesDir) resourcesDir->checkDiskAlways = savedDiskAlways;
        tankThingAccess = nullptr;
        setThingSpecies = nullptr;
        std::filesystem::current_path(savedCwd);
        resetExitState();
        scriptError = 0;
    }
    TempDir dir;
    uint16_t savedDiskAlways = 0;
    std::filesystem::path savedCwd;
    CdirectoryVar root;
    CtestAccess access;
    Ctank* tank = nullptr;
};
} // namespace

TEST_F(TankTest, SpeciesPatternsTreeAndSharing) {
    writeFile("fish/angel/angel.spec", ":set class fish\n");
    writeFile("tanks/reef/clown/clown.spec", ":set class fish\n");
    struct {
        char const* name;
        char const* folder;
        char const* treePath;
    } const cases[] = {
        {"fish/angel", "tanks/reef/", "speciesScripts/fish/angel"},
        {"rock", nullptr, "speciesScripts/species/rock"},
        {"clown", "tanks/reef/", "speciesScripts/tanks/reef/clown"},
    };
    for (auto const& c : cases) {
        Cspecies* first = requestSpecies2(c.name, c.folder);
        ASSERT_NE(first, nullptr) << c.name << (exitReasonList.empty() ? "" : exitReasonList.back().c_str());
        EXPECT_EQ(root.findVariable(c.treePath), first) << c.name;
        EXPECT_EQ(first->instances, 1);
        EXPECT_EQ(requestSpecies2(c.name, c.folder), first);
        EXPECT_EQ(first->instances, 2);
        unrequestSpecies(first);
        EXPECT_EQ(first->instances, 1);
    }
    EXPECT_EQ(requestSpecies2("nowhere", nullptr), nullptr);
    EXPECT_EQ(erroredExit, 0);
}

TEST_F(TankTest, SpeciesFailuresLeaveNoSpeciesBehind) {
    EXPECT_EQ(requestSpecies2("broken", nullptr), nullptr);
    EXPECT_NE(erroredExit, 0);
    EXPECT_EQ(root.findVariable("speciesScripts/species/broken"), nullptr);
    resetExitState();
    // A node that is not a species at a species path is not handed out as one.
    addVariableForcedPath(&root, "speciesScripts/species/rock", CLASS_DIRECTORY, 0);
    EXPECT_EQ(requestSpecies2("rock", nullptr), nullptr);
}

TEST_F(TankTest, FactoryKeywordsAndFailurePath) {
    Cspecies* rock = requestSpecies2("rock", nullptr);
    ASSERT_NE(rock, nullptr) << (exitReasonList.empty() ? "" : exitReasonList.back().c_str());
    struct {
        char const* keyword;
        int kind;
        bool made;
    } const cases[] = {{"fish", 0, true}, {"basic_deform", 4, true}, {"bubbles", 12, true},
                       {"crab", -1, false}, {"Fish", -1, false},     {"", -1, false}};
    int counter = -1;
    for (auto const& c : cases) {
        resetExitState();
        rock->speciesClass = c.keyword;
        rock->thingKind = -1;
        Cvariable* thing = rock->createNewMemberOfThisSpecies();
        EXPECT_EQ(rock->membersMade, ++counter) << c.keyword;
        EXPECT_EQ(thing != nullptr, c.made) << c.keyword;
        EXPECT_EQ(rock->thingKind, c.kind) << c.keyword;
        if (!c.made) {
            ASSERT_FALSE(exitReasonList.empty());
            EXPECT_EQ(exitReasonList.back(), Cstring((std::string("rock can't be ") + c.keyword).c_str()));
        }
        delete thing;
    }
    EXPECT_EQ(thingKindOf("food_peck"), thingKindOf("food_floating"));
}

TEST_F(TankTest, FishCapsAndSpeciesLimit) {
    struct {
        int option;
        short overstuff;
        uint8_t loading;
        int added;
        int saved;
    } const cases[] = {
        {70, 0, 0, 75, 70}, {70, 0, 1, 70, 70}, {70, 1, 1, 75, 75}, {70, 1, 0, 75, 70}, {70, 2, 0, 110, 110},
    };
    CshopKeeper shop;
    for (auto const& c : cases) {
        Ctank* t = new Ctank(&shop);
        root.addVariable(t, 1);
        shop.overstuff = c.overstuff;
        maxFishPerTank = c.option;
        t->addTankLoading = c.loading;
        int tries = c.overstuff == 2 ? 115 : 75;
        int added = 0;
        for (int i = 0; i < tries; i++)
            if (t->addThing(Cstring("angel"), nullptr)) added++;
        int saved = 0;
        for (Cvariable* f = t->thingList->firstChild; f; f = f->nextSibling)
            saved += f->doSave() ? 1 : 0;
        EXPECT_EQ(added, c.added) << c.overstuff << " " << int(c.loading);
        EXPECT_EQ(t->numFish, c.added);
        EXPECT_EQ(saved, c.saved);
        deleteVariable(t);
    }
    maxFishPerTank = 70;
    // maxPerTank 1: the second member is refused and deleted.
    EXPECT_NE(tank->addThing(Cstring("rock"), nullptr), nullptr) << (exitReasonList.empty() ? "" : exitReasonList.back().c_str());
    EXPECT_EQ(tank->addThing(Cstring("rock"), nullptr), nullptr);
    EXPECT_EQ(tank->thingList->countChildren(-1), 1);
    EXPECT_EQ(tank->findInstanceOfSpecies("rock", 0), tank->findInstanceOfSpecies("rock", 1));
    EXPECT_EQ(tank->findInstanceOfSpecies("rock", 2), nullptr);
}

TEST_F(TankTest, InitScriptAndProximities) {
    Cspecies* angel = requestSpecies2("angel", nullptr);
    ASSERT_NE(angel, nullptr);
    CscriptVar* init = new CscriptVar;
    init->setName("init");
    ASSERT_EQ(init->processStringScript(":int inited 1"), 0);
    angel->addVariable(init, 1);
    for (int i = 0; i < 3; i++)
        ASSERT_NE(tank->addThing(Cstring("angel"), nullptr), nullptr);
    for (Cvariable* f = tank->thingList->firstChild; f; f = f->nextSibling)
        EXPECT_NE(f->getChild("inited"), nullptr) << f->name;
    // Three animals: three pairs.
    EXPECT_EQ(tank->allProximities->countChildren(-1), 3);
    EXPECT_EQ(tank->numMovingThings, 3);
    EXPECT_GE(proximityThingList.size(), 3u);
}

TEST_F(TankTest, FocusSteppingAndBreakup) {
    maxFishPerTank = 70;
    std::vector<Cvariable*> fish;
    for (int i = 0; i < 3; i++)
        fish.push_back(tank->addThing(Cstring("angel"), nullptr));
    // Each focus candidate took the focus as it arrived.
    EXPECT_EQ(tank->focus, fish[2]);
    tank->changeFocusThingStep(-1);
    EXPECT_EQ(tank->focus, fish[0]); // wraps forward
    tank->changeFocusThingStep(1);
    EXPECT_EQ(tank->focus, fish[2]);
    EXPECT_EQ(tank->focusThingName, fish[2]->name);
    tank->focusStep = 1;
    deleteVariable(fish[2]);
    EXPECT_EQ(tank->focus, nullptr);
    EXPECT_EQ(tank->nextFocus, fish[0]);
    tank->updateFocusThing();
    EXPECT_EQ(tank->focus, fish[0]);
    tank->changeFocusThingStep(0);
    EXPECT_EQ(tank->focus, nullptr);
    EXPECT_TRUE(tank->focusThingName.empty());
}

TEST_F(TankTest, HighlightWithoutMarkerFails) {
    CshopKeeper shop;
    startRunOrQuit = 1;
    tank->shop = &shop;
    ASSERT_NE(tank->addThing(Cstring("angel"), nullptr), nullptr);
    tank->animalHighlight(Cstring("ON"), 0);
    EXPECT_EQ(shop.failed, 1);
    EXPECT_EQ(shop.highlight, 0);
    CtestThing* marker = new CtestThing;
    tank->highlightMarker = marker;
    tank->animalHighlight(Cstring("ON"), 0);
    EXPECT_EQ(shop.highlight, 1);
    EXPECT_EQ(marker->parent, tank->thingList);
    tank->animalHighlight(Cstring("OFF"), 0);
    EXPECT_EQ(shop.highlight, 0);
    EXPECT_EQ(marker->parent, nullptr);
    tank->clear();
    delete marker;
}

TEST_F(TankTest, BubbleOriginsAndWireframe) {
    ASSERT_EQ(runStringScript(tank, ":rotater bubbleRotate { :set main 1 :array x 0 0 0 0 :array x 2 0 0 0 "
                                    ":array x 1 1 2 3 :array x 3 4 5 6 :array x 4 7 8 9 }"),
              0);
    tank->bubbles = tank->addThing(Cstring("bubbles"), nullptr);
    ASSERT_NE(tank->bubbles, nullptr);
    tank->tankScale = 2.0f;
    struct {
        short state;
        Cvector origin;
        uint8_t random;
    } const cases[] = {{0, {0, -1000, 0}, 0}, {1, {2, 4, 6}, 0}, {4, {14, 16, 18}, 0}, {2, {0, 0, 0}, 1}};
    for (auto const& c : cases) {
        tank->bubbleState = c.state;
        tank->changeBubbleOrigin(0);
        Cvector o = test(tank->bubbles)->origin;
        EXPECT_EQ(o.x, c.origin.x) << c.state;
        EXPECT_EQ(o.y, c.origin.y) << c.state;
        EXPECT_EQ(tank->randomBubbles, c.random) << c.state;
    }
    EXPECT_EQ(tank->numBubbleOrigins, 3);
    short last = tank->bubbleOrigin;
    int changes = 0;
    for (int frame = 0; frame < 2000; frame++) {
        tank->updateBubbles();
        if (tank->bubbleOrigin != last) {
            changes++;
            EXPECT_GE(tank->bubbleOrigin, 1);
            EXPECT_LE(tank->bubbleOrigin, 3);
            last = tank->bubbleOrigin;
        }
        EXPECT_GE(tank->bubbleCountdown, 0);
        EXPECT_LE(tank->bubbleCountdown, 64);
    }
    EXPECT_GE(changes, 2000 / 64);

    CtankDisplayInfo info;
    tank->setWireframeMode(0);
    int clears = 0;
    for (int i = 0; i < 10; i++) {
        tank->tankInfoToAPI(info);
        clears += info.clearThisFrame;
    }
    EXPECT_EQ(clears, 2);
    tank->setWireframeMode(1);
    tank->tankInfoToAPI(info);
    EXPECT_EQ(info.wireframe, 1);
    EXPECT_EQ(info.clearColor[0], 1.0f);
}

TEST_F(TankTest, RemainingScalesAndRefuses) {
    struct {
        char const* script;
        int result;
        char const* reason;
    } const cases[] = {
        {":array lightDepthLow 1 0 0 0 0 0 0 :array lightDepthHi 3 1 1 1 2 2 2", 0, "no avoidSpheres"},
        {":array lightDepthLow 1 0 0 0 0 0 0", 2, "must have hi and low depths"},
        {":array lightDepthLow 1 0 0 :array lightDepthHi 3 1 1 1 2 2 2", 2, "must have hi and low depths"},
        {":array lightDepthLow 2 0 0 0 0 0 0 :array lightDepthHi 2 1 1 1 2 2 2", 2, "must have hi and low depths"},
    };
    for (auto const& c : cases) {
        resetExitState();
        Ctank* t = new Ctank(nullptr);
        root.addVariable(t, 1);
        t->tankScale = 2.0f;
        runStringScript(t, c.script);
        resetExitState();
        EXPECT_EQ(runStringScript(t, ":remaining"), c.result) << c.script;
        EXPECT_NE(std::string(exitMsg.c_str()).find(c.reason), std::string::npos) << c.script;
        if (c.result == 0) {
            EXPECT_FLOAT_EQ(t->lightDepthStart, 2.0f);
            EXPECT_FLOAT_EQ(t->lightDepthInvSpan, 0.25f);
            EXPECT_FLOAT_EQ(t->lightColorBSpan[0], 2.0f);
            EXPECT_FLOAT_EQ(t->lightPos.y, 18.0f);
            EXPECT_FLOAT_EQ(t->scaledFarPlane, 36.0f);
            EXPECT_EQ(t->definitionFinished, 1);
        }
        deleteVariable(t);
    }
}

TEST_F(TankTest, SavedFormsAndConstants) {
    tank->tankTypeName = "reef";
    tank->tankID = 7;
    std::string path = dir.file("out.txt");
    {
        std::ofstream out(path);
        tank->writeConfigString(out);
    }
    EXPECT_EQ(readWholeFile(path), ":addTank reef 7");
    double v = -1;
    EXPECT_EQ(tank->getLocalConstant(Cstring("SEMI"), v), 0);
    EXPECT_DOUBLE_EQ(v, 0.4);
    EXPECT_EQ(tank->getLocalConstant(Cstring("OTHER"), v), 1);
    EXPECT_EQ(tank->nearPlane, 3.0f);
    EXPECT_EQ(tank->camera, -1);
    EXPECT_EQ(tank->bubbleState, 3);
    tank->wireframeMode = 1;
    tank->worldSpeed = 2.5f;
    EXPECT_EQ(tank->saveSettings(path.c_str(), false, false), 0);
    Ctank* copy = new Ctank(nullptr);
    root.addVariable(copy, 1);
    std::string text = readWholeFile(path);
    ASSERT_NE(text.find("worldSpeed"), std::string::npos) << text;
}
