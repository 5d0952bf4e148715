// Tanks and species on a temporary resource tree, with a small test kind of thing.

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>

#include "quietThingAccess.h"
#include "data/resourceStreamer.h"
#include "script/proximityVar.h"
#include "script/scripter.h"
#include "support/engineHooks.h"
#include "support/globals.h"
#include "shopTestSupport.h"
#include "variables/variablePaths.h"
#include "variables/configDialogVars.h"
#include "world/bubbleEmitter.h"
#include "world/species.h"
#include "world/tankLive.h"
#include "world/thingFactory.h"

namespace {
class CtestThing : public CsafeRelationship, public CproximityParty, public CbubbleEmitter {
  public:
    Cvector proximityPosition() override { return {}; }
    float proximityScale() override { return 1.0f; }
    Cvariable* proximityDirectory() override { return this; }
    void moveAllZpos() override {}
    // A fish leaves its tank's fish list as it goes.
    void prepareForDelete() override {
        if (kind == 1 && tank) tank->removeFish(this);
        tank = nullptr;
        CsafeRelationship::prepareForDelete();
    }
    int kind = 0;
    uint32_t attributes = 0;
    Cspecies* species = nullptr;
    Ctank* tank = nullptr;
};

int resetResult = 0;

CtestThing* test(Cvariable* v) {
    return dynamic_cast<CtestThing*>(v);
}

class CtestAccess : public CquietThingAccess {
  public:
    int whatAmI(Cvariable* t) override { return test(t) ? test(t)->kind : 0; }
    uint32_t attributes(Cvariable* t) override { return test(t) ? test(t)->attributes : 0; }
    Cspecies* speciesOf(Cvariable* t) override { return test(t) ? test(t)->species : nullptr; }
    void setToTank(Cvariable* t, Ctank* tank) override {
        if (tank && test(t)->tank == tank) return; // already there, as a real thing does
        if (tank == nullptr && test(t)->kind == 1 && test(t)->tank) test(t)->tank->removeFish(t);
        test(t)->tank = tank;
        if (tank == nullptr) return;
        tank->thingList->addVariable(t, 1);
        tank->addNodeToTankLists(t);
        if (test(t)->kind == 1) tank->addFish(t);
    }
    int itMoves(Cvariable* t) override { return test(t) && test(t)->kind == 1; }
    int resetThing(Cvariable*, int) override { return resetResult; }
    CproximityParty* proximityParty(Cvariable* t) override { return test(t); }
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
        if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
        resourcesDir->checkDiskAlways = 1;
        speciesTreeBase = &root;
        // The tank holds test things: the upper layers' slots are stand-ins or empty.
        CshopServices* services = worldHooks.shopServices;
        worldHooks = CworldHooks{};
        worldHooks.shopServices = services;
        tankLiveAccess = &plainNodes;
        tankThingAccess = &access;
        setThingSpecies = [](Cvariable* t, Cspecies* s, uint8_t) { test(t)->species = s; };
        registerThingMaker("fish", [] {
            auto* t = new CtestThing;
            t->kind = 1;
            t->attributes = 2 | 16 | 32; // a fish, a focus candidate, pickable
            t->flags |= VAR_SAVE;
            return static_cast<Cvariable*>(t);
        });
        registerThingMaker("basic_deform", [] { return static_cast<Cvariable*>(new CtestThing); });
        registerThingMaker("bubbles", [] { return static_cast<Cvariable*>(new CtestThing); });
        for (char const* entry : {"angel:fish :set maxPerTank 200", "cod:fish", "rock:basic_deform",
                                  "bubbles:bubbles", "broken:fish :noSuchCommandAnywhere 1"}) {
            std::string name(entry, std::strchr(entry, ':'));
            writeFile("species/" + name + "/" + name + ".spec",
                      std::string(":set class ") + (entry + name.size() + 1));
        }
        resetResult = 0;
        maxFishPerTank = 70;
        tank = new Ctank(nullptr);
        root.addVariable(tank, 1);
        startRunOrQuit = 1;
    }
    void TearDown() override {
        emptyTrash(); // deleted tanks wait there
        root.deleteChildren();
        for (char const* keyword : {"fish", "basic_deform", "bubbles"})
            registerThingMaker(keyword, nullptr);
        speciesTreeBase = nullptr;
        if (resourcesDir) resourcesDir->checkDiskAlways = 0;
        tankThingAccess = nullptr;
        setThingSpecies = nullptr;
        std::filesystem::current_path(savedCwd);
        resetExitState();
        scriptError = 0;
    }
    int things() { return tank->thingList->countChildren(-1); }
    CtankLiveAccess plainNodes;
    TempDir dir;
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
        char const *name, *folder, *treePath;
    } const cases[] = {
        {"fish/angel", "tanks/reef/", "speciesScripts/fish/angel"},
        {"rock", nullptr, "speciesScripts/species/rock"},
        {"clown", "tanks/reef/", "speciesScripts/tanks/reef/clown"},
    };
    for (auto const& c : cases) {
        Cspecies* first = requestSpecies2(c.name, c.folder);
        ASSERT_NE(first, nullptr) << c.name;
        EXPECT_EQ(root.findVariable(c.treePath), first) << c.name;
        EXPECT_EQ(requestSpecies2(c.name, c.folder), first);
        EXPECT_EQ(first->instances, 2);
        unrequestSpecies(first);
        EXPECT_EQ(first->instances, 1);
    }
    EXPECT_EQ(requestSpecies2("nowhere", nullptr), nullptr);
    EXPECT_EQ(erroredExit, 0);
    // A failed load leaves no species behind; a node that is no species is not handed out.
    EXPECT_EQ(requestSpecies2("broken", nullptr), nullptr);
    EXPECT_NE(std::string(exitMsg.c_str()).find("failed loading species species/broken/broken.spec"),
              std::string::npos);
    EXPECT_EQ(root.findVariable("speciesScripts/species/broken"), nullptr);
    resetExitState();
    writeFile("species/garbled/garbled.spec", ":set class fish { \"unterminated\n");
    EXPECT_EQ(requestSpecies2("garbled", nullptr), nullptr); // no script at all
    EXPECT_NE(std::string(exitMsg.c_str()).find("couldn't open species species/garbled/garbled.spec"),
              std::string::npos)
        << exitMsg.c_str();
    addVariableForcedPath(&root, "speciesScripts/species/cod", CLASS_DIRECTORY, 0);
    EXPECT_EQ(requestSpecies2("cod", nullptr), nullptr);
}

// A species of the data folder's resource copy that fails to load (a model or skeleton
// that cannot be read fails the same way) asks for the copy back from the install folder;
// one from anywhere else does not.
int copyRequests = 0;
TEST_F(TankTest, ASpeciesOfTheResourceCopyThatFailsAsksForTheCopyBack) {
    writeFile("Resources/species/broken/broken.spec", ":set class fish\n:noSuchCommandAnywhere 1\n");
    TempDir elsewhere;
    Cstring keptDataFolder = appDataDir;
    auto keptHook = engineHooks.restoreResourceTree;
    engineHooks.restoreResourceTree = [] { copyRequests++; };
    struct {
        std::string dataFolder, workIn;
        int requests;
    } const cases[] = {
        {dir.path(), dir.path() + "Resources", 1}, // the engine works inside the copy
        {elsewhere.path(), dir.path() + "Resources", 0},
        {dir.path(), dir.path(), 0}, // species/broken here is no part of the copy
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.workIn + " with the data folder " + c.dataFolder);
        copyRequests = 0;
        appDataDir = c.dataFolder.c_str();
        std::filesystem::current_path(c.workIn);
        EXPECT_EQ(requestSpecies2("broken", nullptr), nullptr);
        EXPECT_NE(std::string(exitMsg.c_str()).find("failed loading species"), std::string::npos);
        EXPECT_EQ(copyRequests, c.requests);
        resetExitState();
        scriptError = 0;
    }
    engineHooks.restoreResourceTree = keptHook;
    appDataDir = keptDataFolder;
}

TEST_F(TankTest, FishCapsAndSpeciesLimit) {
    // A cap of the run's command line alone (runCap) saves fish by the kept one, and a
    // saved tank it cuts is not saved back.
    struct {
        short overstuff;
        uint8_t loading;
        int added, saved;
        int runCap = -1;
        bool tanksSaved = true;
    } const cases[] = {{0, 0, 75, 70},   {0, 1, 70, 70},     {1, 1, 75, 75},           {1, 0, 75, 70},
                       {2, 0, 110, 110}, {0, 0, 75, 70, 50}, {0, 1, 50, 50, 50, false}};
    CshopKeeper shop;
    for (auto const& c : cases) {
        Ctank* t = new Ctank(&shop);
        root.addVariable(t, 1);
        shop.overstuff = c.overstuff;
        shop.dontSaveUnderAnyCircumstances = 0;
        t->addTankLoading = c.loading;
        setOptionsForThisRun(c.runCap, -1.0f, -1);
        int added = 0, saved = 0;
        for (int i = 0; i < (c.overstuff == 2 ? 115 : 75); i++)
            added += t->addThing(Cstring("angel"), nullptr) ? 1 : 0;
        for (Cvariable* f = t->thingList->firstChild; f; f = f->nextSibling)
            saved += f->doSave() ? 1 : 0;
        EXPECT_EQ(added, c.added) << c.overstuff << " " << int(c.loading);
        EXPECT_EQ(t->numFish, c.added);
        EXPECT_EQ(saved, c.saved);
        EXPECT_EQ(shop.dontSaveUnderAnyCircumstances == 0, c.tanksSaved);
        endOptionsForThisRun();
        deleteVariable(t);
    }
    // maxPerTank 1: the second member is refused and deleted.
    EXPECT_NE(tank->addThing(Cstring("rock"), nullptr), nullptr)
        << exitMsg.c_str() << "|" << exitReasonList.size();
    EXPECT_EQ(tank->addThing(Cstring("rock"), nullptr), nullptr);
    EXPECT_EQ(things(), 1);
    EXPECT_EQ(tank->findInstanceOfSpecies("rock", 0), tank->findInstanceOfSpecies("rock", 1));
    EXPECT_EQ(tank->findInstanceOfSpecies("rock", 2), nullptr);
}

// A fish that leaves its tank leaves the count with it; one that was never there changes
// nothing.
TEST_F(TankTest, TheFishCountFollowsFishLeaving) {
    std::vector<Cvariable*> fish;
    for (int i = 0; i < 3; i++)
        fish.push_back(tank->addThing(Cstring("angel"), nullptr));
    ASSERT_EQ(tank->numFish, 3);
    deleteVariable(fish[1]);
    EXPECT_EQ(tank->numFish, 2);
    EXPECT_EQ(tank->fishList.size(), 2u);
    if (tank->numFish != static_cast<int>(tank->fishList.size())) {
        // The next removal would end the process (and this test with it, as a pass).
        tank->fishList.clear();
        tank->numFish = 0;
        FAIL() << "the count and the list differ";
    }
    EXPECT_EQ(std::count(tank->fishList.begin(), tank->fishList.end(), fish[1]), 0);
    CtestThing stranger;
    tank->removeFish(&stranger);
    EXPECT_EQ(tank->numFish, 2);
    deleteVariable(fish[0]);
    EXPECT_EQ(tank->numFish, 1);
    EXPECT_EQ(tank->fishList.front(), fish[2]);
}

TEST_F(TankTest, InitScriptAndProximities) {
    Cspecies* angel = requestSpecies2("angel", nullptr);
    ASSERT_NE(angel, nullptr);
    auto* init = new CscriptVar;
    init->setName("init");
    ASSERT_EQ(init->processStringScript(":int inited 1"), 0);
    angel->addVariable(init, 1);
    for (int i = 0; i < 3; i++)
        ASSERT_NE(tank->addThing(Cstring("angel"), nullptr), nullptr);
    for (Cvariable* f = tank->thingList->firstChild; f; f = f->nextSibling)
        EXPECT_NE(f->getChild("inited"), nullptr) << f->name;
    EXPECT_EQ(tank->allProximities->countChildren(-1), 3); // three animals, three pairs
    EXPECT_EQ(tank->numMovingThings, 3);
    EXPECT_GE(proximityThingList.size(), 3u);
}

TEST_F(TankTest, FocusAndHighlight) {
    std::vector<Cvariable*> fish;
    for (int i = 0; i < 3; i++)
        fish.push_back(tank->addThing(Cstring("angel"), nullptr));
    EXPECT_EQ(tank->focus, fish[2]); // each focus candidate took the focus as it came
    tank->changeFocusThingStep(-1);
    EXPECT_EQ(tank->focus, fish[0]); // wraps forward
    tank->changeFocusThingStep(1);
    EXPECT_EQ(tank->focusThingName, fish[2]->name);
    tank->focusStep = 1;
    deleteVariable(fish[2]);
    EXPECT_EQ(tank->focus, nullptr);
    EXPECT_EQ(tank->nextFocus, fish[0]);
    tank->updateFocusThing();
    EXPECT_EQ(tank->focus, fish[0]);

    CshopKeeper shop;
    startRunOrQuit = 1;
    tank->shop = &shop;
    tank->animalHighlight(Cstring("ON"), 0); // no marker species: a failure, not a crash
    EXPECT_EQ(shop.failed, 1);
    EXPECT_EQ(shop.highlight, 0);
    EXPECT_EQ(tank->highlightMarker, nullptr);
    // The marker is made on the first highlight, leaves the scene with it and comes back.
    registerThingMaker("target", [] { return static_cast<Cvariable*>(new CtestThing); });
    writeFile("species/target/target.spec", ":set class target");
    tank->animalHighlight(Cstring("NEXT"), 0);
    EXPECT_EQ(tank->focus, fish[1]);
    EXPECT_EQ(shop.highlight, 1);
    Cvariable* marker = tank->highlightMarker;
    ASSERT_NE(marker, nullptr);
    EXPECT_EQ(marker->parent, tank->thingList);
    tank->animalHighlight(Cstring("OFF"), 0);
    EXPECT_EQ(shop.highlight, 0);
    EXPECT_EQ(marker->parent, nullptr);
    tank->animalHighlight(Cstring("ON"), 0);
    EXPECT_EQ(tank->highlightMarker, marker);
    EXPECT_EQ(marker->parent, tank->thingList);
    tank->animalHighlight(Cstring("OFF"), 0);
    tank->changeFocusThingStep(0);
    EXPECT_TRUE(tank->focusThingName.empty());
    tank->clear(); // the marker, out of the scene, goes with the tank
    EXPECT_EQ(tank->highlightMarker, nullptr);
    registerThingMaker("target", nullptr);
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
        float x, y;
        uint8_t random;
    } const cases[] = {{0, 0, -1000, 0}, {1, 2, 4, 0}, {4, 14, 16, 0}, {2, 0, 0, 1}};
    for (auto const& c : cases) {
        tank->bubbleState = c.state;
        tank->changeBubbleOrigin(0);
        EXPECT_EQ(test(tank->bubbles)->origin.x, c.x) << c.state;
        EXPECT_EQ(test(tank->bubbles)->origin.y, c.y) << c.state;
        EXPECT_EQ(tank->randomBubbles, c.random) << c.state;
    }
    EXPECT_EQ(tank->numBubbleOrigins, 3);
    short last = tank->bubbleOrigin;
    int changes = 0;
    for (int frame = 0; frame < 2000; frame++) {
        tank->updateBubbles();
        ASSERT_TRUE(tank->bubbleOrigin >= 1 && tank->bubbleOrigin <= 3);
        ASSERT_LE(tank->bubbleCountdown, 64);
        changes += tank->bubbleOrigin != last ? 1 : 0;
        last = tank->bubbleOrigin;
    }
    EXPECT_GE(changes, 2000 / 64); // never the same origin twice in a row

    CtankDisplayInfo info;
    int clears = 0;
    tank->setWireframeMode(0);
    for (int i = 0; i < 10; i++)
        clears += (tank->tankInfoToAPI(info), info.clearThisFrame);
    EXPECT_EQ(clears, 2);
    tank->wireClearColor[1] = 0.5f;
    tank->setWireframeMode(1);
    tank->tankInfoToAPI(info);
    EXPECT_EQ(info.wireframe, 1);
    EXPECT_EQ(info.clearColor[1], 0.5f);
}

TEST_F(TankTest, RemainingScalesAndRefuses) {
    char const* low = ":array lightDepthLow 1 0 0 0 0 0 0 ";
    struct {
        std::string script;
        int result;
        char const* reason;
    } const cases[] = {
        {std::string(low) + ":array lightDepthHi 3 1 1 1 2 2 2", 0, "no avoidSpheres"},
        {low, 2, "must have hi and low depths"},
        {":array lightDepthLow 1 0 0 :array lightDepthHi 3 1 1 1 2 2 2", 2, "must have hi and low depths"},
        {std::string(low) + ":array lightDepthHi 1 1 1 1 2 2 2", 2, "must have hi and low depths"},
        {std::string(low) +
             ":array lightDepthHi 3 1 1 1 2 2 2 :array diffuseVoxelPaths \"a\" \"b\" \"c\" \"d\"",
         2, "nfv>mdv"},
    };
    for (auto const& c : cases) {
        Ctank* t = new Ctank(nullptr);
        root.addVariable(t, 1);
        t->tankScale = 2.0f;
        resetExitState(); // the last case's error would stop this set-up after its first line
        ASSERT_EQ(runStringScript(t, c.script.c_str()), 0) << c.script;
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

TEST_F(TankTest, DefinitionAndAddThingCommands) {
    writeFile("tanks/reef/reef.tank",
              ":addScript tanks/reef/reef.tank {\n :addThing rock\n :addThing angel \":int tagged 1\"\n"
              " :addThing species/bubbles { :int inBlock 2 }\n :addThing clam\n}\n");
    writeFile("tanks/reef/clam/clam.spec", ":set class basic_deform\n");
    ASSERT_EQ(runStringScript(tank, ":tankType reef"), 0) << exitMsg.c_str();
    EXPECT_EQ(tank->tankFolder, "tanks/reef/");
    EXPECT_EQ(things(), 4);
    EXPECT_NE(root.findVariable("speciesScripts/tanks/reef/clam"), nullptr); // the tank's folder
    EXPECT_NE(tank->findInstanceOfSpecies("angel", 1)->getChild("tagged"), nullptr);
    ASSERT_NE(tank->bubbles, nullptr);
    EXPECT_NE(tank->bubbles->getChild("inBlock"), nullptr);
    struct {
        char const* line;
        short allow;
        int reset, result, change;
    } const cases[] = {
        {":addThing angel", 0, 0, 0, 0},                      // adding is switched off
        {":addThing species/backdrop_image", 0, 0, 0, 0},     // allowed, but no such species
        {":addThing angel", 1, 0, 0, 1},                      //
        {":addThing angel { :noSuchCommand 1 }", 1, 0, 0, 0}, // a failed block removes it
        {":addThing angel", 1, 1, 2, 0},                      // a failed reset removes it
        {":addFood sideways", 1, 0, 0, 0},                    //
        {":int extra 4", 1, 0, 0, 0},                         // the variable's own command
    };
    for (auto const& c : cases) {
        resetExitState();
        scriptError = 0;
        tank->allowAddThing = c.allow;
        resetResult = c.reset;
        int before = things();
        EXPECT_EQ(runStringScript(tank, c.line), c.result) << c.line;
        EXPECT_EQ(things() - before, c.change) << c.line;
        EXPECT_EQ(tank->numFish, static_cast<int>(tank->fishList.size()));
        EXPECT_EQ(std::string(exitMsg.c_str()).find("RESET FAILED") != std::string::npos, c.reset != 0);
    }
    EXPECT_NE(tank->getChild("extra"), nullptr);
}

TEST_F(TankTest, PopulateSaveAndPostLoad) {
    ASSERT_NE(tank->addThing(Cstring("rock"), nullptr), nullptr);
    ASSERT_NE(tank->addThing(Cstring("angel"), nullptr), nullptr);
    EXPECT_EQ(runStringScript(tank, ":populateTank"), 0); // no fish information: only deletes
    emptyTrash();
    EXPECT_EQ(things(), 1);
    CdirectoryVar* info = root.addDirectory("std_scripts")->addDirectory("fishInfo");
    Cvariable* extra = info->addVariableX("extraInit", CLASS_STRING);
    auto* addOne = new CscriptVar;
    addOne->setName("addThingFromTempInt");
    ASSERT_EQ(addOne->processStringScript(":addThing angel"), 0);
    info->addVariable(addOne, 1);
    EXPECT_EQ(runStringScript(tank, ":populateTank"), 0);
    EXPECT_EQ(tank->numFish, 20);
    std::string text = extra->getString();
    EXPECT_EQ(text.rfind(":set startPos ", 0), 0u) << text;
    EXPECT_NE(text.find(" :set thingScale ((.8+.4*rand())*$thingScale)\n"), std::string::npos) << text;

    ScopedDataFolder data;
    tank->tankTypeName = "reef";
    tank->tankID = 7;
    {
        std::ofstream out(data.file("line"));
        tank->writeConfigString(out);
    }
    EXPECT_EQ(readWholeFile(data.file("line")), ":addTank reef 7");
    double savedTime = globalTime;
    globalTime = 12.5;
    tank->tankContentsWereChanged();
    globalTime = savedTime;
    EXPECT_EQ(tank->changeTime, 12.5f);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(data.path()), {}), 1); // no file of its own
    EXPECT_EQ(runStringScript(tank, ":addScript postLoad { :int ranPostLoad 1 }"), 0);
    EXPECT_EQ(tank->runTankPostLoadScript(), 0);
    EXPECT_NE(tank->getChild("ranPostLoad"), nullptr);
    double v = 0;
    EXPECT_EQ(tank->getLocalConstant(Cstring("SEMI"), v), 0);
    EXPECT_EQ(v, 0.4);
    EXPECT_EQ(tank->getLocalConstant(Cstring("OTHER"), v), 1);
}

// A saved tank's thing whose species cannot be made is written back by every save of the
// tank as the settings held it, once, whatever the viewer changes meanwhile, and counts
// against no cap; a viewer's own add and a thing the caps refuse are not kept.
TEST_F(TankTest, SavedThingsWhoseSpeciesCannotBeMadeAreWrittenBackAsTheyWere) {
    char const* saved = ":addThing angel\n:addThing gone { :set startPos 1 2 3\n :save\n}\n:addThing gone\n";
    struct {
        char const* what;
        char const* lines;
        uint8_t loading;
        int cap;
        std::function<void(Ctank&)> change;
        int kept, fish; // ":addThing" lines each save writes; fish after the change
    } const rows[] = {
        {"a cod added", saved, 1, 70, [](Ctank& t) { t.addThing(Cstring("cod"), nullptr); }, 2, 2},
        {"the angel taken out", saved, 1, 70,
         [](Ctank& t) { deleteVariable(t.findInstanceOfSpecies("angel", 1)); }, 2, 0},
        {"a cod added at the cap", saved, 1, 2, [](Ctank& t) { t.addThing(Cstring("cod"), nullptr); }, 2, 2},
        {"a viewer's add", saved, 0, 70, [](Ctank&) {}, 0, 1},
        {"refused by the cap", ":addThing angel\n:addThing angel { :int refused 1 }\n", 1, 1, [](Ctank&) {},
         0, 1},
    };
    auto count = [](std::string const& text, char const* what) {
        int n = 0;
        for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at++)
            n++;
        return n;
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.what);
        maxFishPerTank = row.cap;
        Ctank* t = new Ctank(nullptr);
        root.addVariable(t, 1);
        t->addTankLoading = row.loading;
        EXPECT_EQ(runStringScript(t, row.lines), 0) << exitMsg.c_str();
        t->addTankLoading = 0;
        std::string first = t->settingsText(false, false);
        row.change(*t);
        emptyTrash();
        std::string second = t->settingsText(false, false);
        EXPECT_EQ(t->numFish, row.fish);
        for (std::string const& text : {first, second}) {
            EXPECT_EQ(count(text, ":addThing "), row.kept) << text;
            EXPECT_EQ(count(text, ":addThing gone {"), row.kept / 2) << text;
            EXPECT_EQ(count(text, ":set startPos 1 2 3"), row.kept / 2) << text;
        }
        EXPECT_EQ(count(second, "cod"), std::string(row.what).find("cod") != std::string::npos ? 1 : 0)
            << second;
        EXPECT_EQ(count(second, "angel"), std::string(row.what).find("angel") != std::string::npos ? 0 : 1)
            << second;
        deleteVariable(t);
    }
    maxFishPerTank = 70;
}
