// The shipped resource tree: the default tank's species load and its definition runs and
// fills the tank.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "data/dataArray.h"
#include "data/resourceStreamer.h"
#include "script/proximityVar.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "quietThingAccess.h"
#include "testSupport.h"
#include "graphics/textureImage.h"
#include "graphics/texturedGeo.h"
#include "world/species.h"
#include "world/bubbleEmitter.h"
#include "world/thingFactory.h"

// The obstacle loader the fish layer fills in (the tank's "remaining" calls it).
extern int (*loadTankSpheres)(Ctank* tank, CmanagedResourceVar* geometry, float scale);

namespace {

constexpr char const* resourceDir = kGeneratedResourceDir;

// A thing that only remembers its species and kind: the scenery kinds live further up.
class CsceneryThing : public CsafeRelationship, public CproximityParty, public CbubbleEmitter {
  public:
    void moveAllZpos() override {}
    Cvector proximityPosition() override { return {}; }
    float proximityScale() override { return 1.0f; }
    Cvariable* proximityDirectory() override { return this; }
    // Custom textures are the thing layer's; here a request is only checked and kept.
    unsigned processCommand(CscriptHandler* handler, CscriptLine& line) override {
        if (!(line.name == "buildCustomTex")) return CsafeRelationship::processCommand(handler, line);
        Cstring script = line.getString(0, true);
        if (species && species->findVariable(script.c_str())) customTextures.push_back(script.c_str());
        return 0;
    }
    Cspecies* species = nullptr;
    std::vector<std::string> customTextures;
};

CsceneryThing* scenery(Cvariable* v) {
    return dynamic_cast<CsceneryThing*>(v);
}

class CsceneryAccess : public CquietThingAccess {
  public:
    Cspecies* speciesOf(Cvariable* t) override { return scenery(t)->species; }
    CproximityParty* proximityParty(Cvariable* t) override { return scenery(t); }
};

int spheresLoaded = 0;
char const* const kinds[] = {"backdrop", "basic_deform", "waving_plant", "bubbles", "target", "fish"};

class DefaultTank : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        scriptError = 0;
        savedCwd = std::filesystem::current_path();
        std::filesystem::current_path(resourceDir);
        if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
        savedDiskAlways = resourcesDir->checkDiskAlways;
        resourcesDir->checkDiskAlways = 1;
        speciesTreeBase = &root;
        sharedResourceTree = &shared;
        tankThingAccess = &access;
        setThingSpecies = [](Cvariable* t, Cspecies* s, uint8_t) { scenery(t)->species = s; };
        for (char const* kind : kinds)
            registerThingMaker(kind, [] { return static_cast<Cvariable*>(new CsceneryThing); });
        spheresLoaded = 0;
        loadTankSpheres = [](Ctank*, CmanagedResourceVar* geometry, float) {
            auto* geo = dynamic_cast<CgeoNew*>(geometry);
            spheresLoaded = geo && geo->findAttrib("pscale", 0) >= 0 ? geo->numPoints : -1;
            return spheresLoaded > 0 ? 0 : 1;
        };
        installModelLoader();
        startRunOrQuit = 1;
    }
    void TearDown() override {
        root.deleteChildren();
        shared.deleteChildren();
        for (char const* kind : kinds)
            registerThingMaker(kind, nullptr);
        loadTankSpheres = nullptr;
        speciesTreeBase = nullptr;
        sharedResourceTree = nullptr;
        tankThingAccess = nullptr;
        setThingSpecies = nullptr;
        resourcesDir->checkDiskAlways = savedDiskAlways;
        std::filesystem::current_path(savedCwd);
        resetExitState();
        scriptError = 0;
    }
    static std::string lastReason() { return exitReasonList.empty() ? "" : exitReasonList.back().c_str(); }

    std::filesystem::path savedCwd;
    uint16_t savedDiskAlways = 0;
    CdirectoryVar root, shared;
    CsceneryAccess access;
};

TEST_F(DefaultTank, EverySpeciesLoadsWithItsModel) {
    std::set<std::string> names;
    for (auto const& entry : std::filesystem::directory_iterator("species")) {
        std::string name = entry.path().filename().string();
        if (std::filesystem::exists(entry.path() / (name + ".spec"))) names.insert(name);
    }
    ASSERT_GE(names.size(), 8u);
    for (std::string const& name : names) {
        Cspecies* species = requestSpecies2(name.c_str(), nullptr);
        ASSERT_NE(species, nullptr) << name << ": " << lastReason();
        EXPECT_TRUE(exitReasonList.empty()) << name << ": " << lastReason();
        EXPECT_NE(species->model(), nullptr) << name;
        EXPECT_EQ(thingKindOf(species->speciesClass.c_str()) >= 0, true)
            << name << " class " << species->speciesClass.c_str();
        resetExitState();
    }
}

// What the backdrop does with its species' script when it joins a tank: the picture it
// builds is the generated one, whose size the backdrop's uv remapping follows.
TEST_F(DefaultTank, BackdropScriptBuildsThePicture) {
    Cspecies* species = requestSpecies2("species/backdrop_image", nullptr);
    ASSERT_NE(species, nullptr) << lastReason();
    auto* script = dynamic_cast<CscriptVar*>(species->findVariable("backdropTex"));
    ASSERT_NE(script, nullptr);
    CtextureImage* texture = requestTexMap("", "", 0);
    ASSERT_NE(texture, nullptr);
    texture->setDiskPath(species->getDiskPath());
    texture->preScript();
    ASSERT_EQ(runScript(texture, script), 0) << lastReason();
    texture->postScript();
    ASSERT_NE(texture->array, nullptr);
    EXPECT_EQ(texture->array->res[0], 512);
    EXPECT_EQ(texture->array->res[1], 256);
    EXPECT_EQ(texture->array->chans, 3);
    delete texture;
}

TEST_F(DefaultTank, DefinitionFillsTheTank) {
    auto* tank = new Ctank(nullptr);
    tank->setName("tank1");
    root.addVariable(tank, 1);
    ASSERT_EQ(tank->loadDefinition(Cstring("wabi_sabi")), 0) << lastReason();
    EXPECT_TRUE(exitReasonList.empty()) << lastReason();
    EXPECT_EQ(tank->definitionFinished, 1);
    EXPECT_GT(spheresLoaded, 2);
    EXPECT_NE(tank->heightField, nullptr);
    EXPECT_NE(tank->levelSet, nullptr);
    EXPECT_NE(tank->fishFinFlutter, nullptr);
    EXPECT_NE(tank->camShakeChan, nullptr);
    EXPECT_NE(tank->bubbles, nullptr);
    std::set<std::string> species;
    for (Cvariable* t = tank->thingList->firstChild; t; t = t->nextSibling) {
        Cspecies* s = scenery(t)->species;
        if (s == nullptr) continue;
        species.insert(s->name.c_str());
        // Only the backdrop builds a texture of its own, from its species' script.
        bool backdrop = s->name == "backdrop_image";
        EXPECT_EQ(scenery(t)->customTextures,
                  backdrop ? std::vector<std::string>{"backdropTex"} : std::vector<std::string>{})
            << s->name.c_str();
    }
    for (char const* expected :
         {"backdrop_image", "sand_floor", "rock_boulder", "rock_slab", "rock_spire", "kelp", "sea_grass",
          "bubbles", "neon_tetra", "zebra_danio", "tiger_barb", "sun_tang", "pearl_gourami"})
        EXPECT_EQ(species.count(expected), 1u) << expected;
    // The focus marker is made on demand for a focused animal; nothing has the focus yet.
    EXPECT_TRUE(tank->focusThingName.empty());
    EXPECT_EQ(species.count("target"), 0u);
    // The bubble column starts at the first origin of the rotater.
    tank->changeBubbleOrigin(0);
    EXPECT_TRUE(scenery(tank->bubbles)->emitterOn());
    tank->clear();
}

} // namespace
