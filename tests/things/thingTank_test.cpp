// Things in tanks: joining and leaving, animation cycles, the teardown of masters and
// their shadows, the thing commands, and the saved text read back by the script runner.
#include <fstream>

#include "scriptedThing.h"
#include "testSupport.h"
#include "thingTestSupport.h"
#include "things/attachedThing.h"
#include "things/basicDeformThing.h"
#include "variables/configDialogVars.h"

namespace {

class ThingInTank : public ThingTest {
  protected:
    // A heap thing in tank, as the species factory makes them.
    template <typename T = ScriptedThing> T* makeThing(char const* label, TestTank& t) {
        T* thing = new T;
        thing->setName(label);
        thing->setToTank(&t);
        return thing;
    }
    static std::vector<Cvariable*> partners(CsafeRelationship& side, short nature) {
        std::vector<Cvariable*> out;
        side.fillVectorWithRelationshipsOfNature(out, nature);
        return out;
    }
    TestTank tank;
};

TEST_F(ThingInTank, JoiningAndLeavingKeepsTheTankRelationshipAndLists) {
    TestTank other;
    ScriptedThing* thing = makeThing("guppy", tank);
    ASSERT_EQ(thing->addRenderGeometry(), 0);
    struct {
        char const* label;
        TestTank* to;
    } moves[] = {{"into other", &other}, {"back", &tank}, {"out", nullptr}, {"in again", &tank}};
    for (auto const& m : moves) {
        thing->framesUpdated = 5;
        thing->geometryCount = 5;
        thing->displayed = 1;
        thing->setToTank(m.to);
        EXPECT_EQ(thing->tank, m.to) << m.label;
        EXPECT_EQ(thing->framesUpdated, 0) << m.label;
        EXPECT_EQ(thing->geometryCount, 0u) << m.label;
        for (TestTank* t : {&tank, &other}) {
            bool inside = t == m.to;
            EXPECT_EQ(thing->parent == t->thingList, inside) << m.label;
            EXPECT_EQ(t->listed.size(), inside ? 1u : 0u) << m.label;
            // The thing set the relationship up: it holds -1, the tank +1.
            EXPECT_EQ(partners(*thing, -NATURE_CONTAINS_THING).size(), m.to ? 1u : 0u) << m.label;
            EXPECT_EQ(partners(*t, NATURE_CONTAINS_THING).size(), inside ? 1u : 0u) << m.label;
        }
        EXPECT_EQ(thing->displayed, m.to ? 1 : 0) << m.label;
    }
    EXPECT_EQ(std::count(recorder(*thing)->calls.begin(), recorder(*thing)->calls.end(), "camera"), 3);
    deleteVariable(thing);
}

TEST_F(ThingInTank, TheShadowFollowsItsMasterIntoATank) {
    TestTank other;
    ScriptedThing* fish = makeThing("fish", tank);
    auto* shadow = new CattachedThing;
    shadow->setName("shadow");
    shadow->attachThing(fish, ATTACH_SHADOW);
    EXPECT_EQ(shadow->tank, &tank); // joined the master's tank
    fish->setToTank(&other);
    EXPECT_EQ(shadow->tank, &other);
    EXPECT_EQ(other.listed.size(), 2u);
    deleteVariable(fish);
    EXPECT_TRUE(other.listed.empty());
}

// Records its steps; ends after a number of frames.
class StepCycle : public CanimCycle {
  public:
    StepCycle(char const* label, int frames, std::vector<std::string>& log) : frames(frames), log(log) {
        setName(label);
    }
    ~StepCycle() override { log.push_back(std::string("~") + getName().c_str()); }
    int doIt(int frame) override {
        log.push_back(std::string(getName().c_str()) + "@" + std::to_string(frame));
        return ++steps >= frames;
    }
    void finish() override {
        CanimCycle::finish();
        log.push_back(std::string("finish ") + getName().c_str());
    }
    int frames;
    int steps = 0;
    std::vector<std::string>& log;
};

TEST_F(ThingInTank, CyclesThatEndAreFinishedAndRemovedDuringTheWalk) {
    std::vector<std::string> log;
    ScriptedThing* thing = makeThing("crab", tank);
    thing->resetThing(0);
    auto* owned = new StepCycle("owned", 1, log);
    owned->setDeleteWhenDone(1);
    StepCycle kept("kept", 1, log);
    auto* longer = new StepCycle("longer", 3, log);
    longer->setDeleteWhenDone(1);
    // Added at the front: walked longer, kept, owned.
    thing->addAnimCycle(owned);
    thing->addAnimCycle(&kept);
    thing->addAnimCycle(longer);
    thing->updateThing(1, 0.0f);
    EXPECT_EQ(log, (std::vector<std::string>{"longer@1", "kept@1", "finish kept", "owned@1", "finish owned",
                                             "~owned"}));
    EXPECT_EQ(kept.parent, nullptr); // unhooked, not deleted
    EXPECT_EQ(thing->getAnimCycleDirectory()->countChildren(), 1);
    log.clear();
    deleteVariable(thing); // the teardown finishes what is still running
    EXPECT_EQ(log, (std::vector<std::string>{"finish longer", "~longer"}));
}

TEST_F(ThingInTank, TeardownOfMastersAndShadowsEitherWay) {
    struct {
        char const* label;
        bool deleteMaster;
    } cases[] = {{"master first", true}, {"shadow first", false}};
    for (auto const& c : cases) {
        TraceCapture caseTrace(1);
        ScriptedThing* fish = makeThing("fish", tank);
        auto* shadow = new CattachedThing;
        shadow->setName("shadow");
        shadow->attachThing(fish, ATTACH_SHADOW);
        tank.focusThing = fish;
        ASSERT_EQ(fish->shadowThing, shadow);
        ASSERT_EQ(shadow->parentThing, fish);
        ASSERT_EQ(tank.listed.size(), 2u);
        if (c.deleteMaster) {
            deleteVariable(fish);
            // The shadow went with its master, in order: both out of the tank's lists.
            EXPECT_TRUE(shadow->dying) << c.label;
            EXPECT_TRUE(tank.listed.empty()) << c.label;
            EXPECT_EQ(tank.focusThing, nullptr) << c.label;
        } else {
            deleteVariable(shadow);
            EXPECT_EQ(fish->shadowThing, nullptr) << c.label;
            EXPECT_FALSE(fish->dying) << c.label;
            EXPECT_EQ(tank.listed, std::vector<Cthing*>{fish}) << c.label;
            deleteVariable(fish);
        }
        EXPECT_EQ(caseTrace.text().find("parent still there"), std::string::npos) << c.label;
        EXPECT_EQ(caseTrace.text().find("must have master"), std::string::npos) << c.label;
        EXPECT_TRUE(exitReasonList.empty()) << c.label;
        emptyTrash();
    }
}

TEST_F(ThingInTank, AWasteStrandIsTheMastersUntilTheBreak) {
    ScriptedThing* fish = makeThing("fish", tank);
    auto* strand = new CattachedThing;
    strand->attachThing(fish, ATTACH_WASTE);
    EXPECT_EQ(fish->pooThing, strand);
    EXPECT_EQ(strand->origMaster, fish);
    fish->clearRelationshipType(ATTACH_WASTE, strand); // the master lets go
    EXPECT_EQ(fish->pooThing, nullptr);
    EXPECT_EQ(strand->parentThing, nullptr);
    EXPECT_EQ(strand->tank, &tank); // stays in its tank
    deleteVariable(strand);
    deleteVariable(fish);
}

TEST_F(ThingInTank, ABreakWithoutAMasterIsReported) {
    struct {
        char const* label;
        short special;
    } cases[] = {{"normal", 0}, {"special mode", 1}};
    for (auto const& c : cases) {
        TraceCapture caseTrace(1);
        specialMode = c.special;
        ScriptedThing* fish = makeThing("fish", tank);
        auto* shadow = new CattachedThing;
        shadow->setName("lost");
        shadow->attachThing(fish, ATTACH_SHADOW);
        shadow->parentThing = nullptr;
        fish->shadowThing = nullptr;
        deleteVariable(fish);
        EXPECT_NE(caseTrace.text().find("****attached must have master!"), std::string::npos) << c.label;
        EXPECT_NE(caseTrace.text().find("orig parent fish cooks:0 name:lost"), std::string::npos) << c.label;
        EXPECT_EQ(hasReason("atAbort"), c.special == 1) << c.label;
        deleteVariable(shadow);
    }
    specialMode = 0;
}

TEST_F(ThingInTank, TeardownActsOnlyWithItsFlagAndReportsDependentsLeft) {
    ScriptedThing* thing = makeThing("plant", tank);
    thing->unsetFlag(DO_PREPARE_FOR_DELETE);
    thing->prepareForDelete();
    EXPECT_EQ(thing->active, 1);
    EXPECT_EQ(thing->dying, 0);
    EXPECT_EQ(thing->tank, &tank);
    thing->setFlag(DO_PREPARE_FOR_DELETE, true);
    thing->addDependent(thing, "self");
    thing->prepareForDelete();
    EXPECT_EQ(thing->active, 0);
    EXPECT_EQ(thing->dying, 1);
    EXPECT_NE(trace.text().find("AHHH! plant STILL HAS 1 DEPENDENTS!"), std::string::npos);
    thing->removeAllDependencies();
    deleteVariable(thing);
}

TEST_F(ThingInTank, ThingCommands) {
    ScriptedThing* thing = makeThing("rock", tank);
    ASSERT_EQ(thing->addRenderGeometry(), 0);
    EXPECT_EQ(runStringScript(thing, ":reset\n:isFocus\n:remapAttrib uv 1 0.25 (0.5+0.25)\n"), 0);
    EXPECT_EQ(thing->journal, std::vector<std::string>{"reset"});
    EXPECT_EQ(tank.requestedFocusThing, thing);
    auto const* remap = recorder(*thing)->lastRemap("uv", 1);
    ASSERT_NE(remap, nullptr);
    EXPECT_FLOAT_EQ(remap->lo, 0.25f);
    EXPECT_FLOAT_EQ(remap->hi, 0.75f);
    deleteVariable(thing);
}

TEST_F(ThingInTank, TheSavedTextReadsBackAsTheSameThing) {
    ScopedDataFolder folder;
    TestSpecies rock("rock");
    tank.knownSpecies.push_back(&rock);
    tank.maker = [](CspeciesServices* s) -> Cthing* {
        auto* t = new CbasicDeformThing;
        t->species = s;
        return t;
    };
    Cthing* original = tank.maker(&rock);
    original->setName("rock_a");
    original->setToTank(&tank);
    original->thingScale = 2.5f;
    original->mass = 7.0f; // not saved
    original->setSave(1);
    tank.focusThing = original;

    auto saved = [&](Cthing* t) {
        std::string path = folder.file("tank.txt");
        EXPECT_EQ(t->saveSettings(path.c_str(), false, false), 0);
        return readWholeFile(path);
    };
    std::string text = saved(original);
    EXPECT_EQ(text.rfind(":addThing rock {", 0), 0u) << text;
    for (char const* line : {":set thingScale 2.5", ":isFocus", ":save"})
        EXPECT_NE(text.find(line), std::string::npos) << line << " in " << text;
    EXPECT_EQ(text.find("mass"), std::string::npos) << text;

    TestTank copy;
    copy.knownSpecies = tank.knownSpecies;
    copy.maker = tank.maker;
    ASSERT_EQ(runStringScript(&copy, text.c_str()), 0) << text;
    ASSERT_EQ(copy.listed.size(), 1u);
    Cthing* back = copy.listed[0];
    EXPECT_EQ(back->species, &rock);
    EXPECT_FLOAT_EQ(back->thingScale, 2.5f);
    EXPECT_FLOAT_EQ(back->mass, 1.0f);
    EXPECT_TRUE(back->doSave());
    EXPECT_EQ(copy.requestedFocusThing, back);
    copy.focusThing = back;
    EXPECT_EQ(saved(back), text);

    std::ofstream line(folder.file("line.txt"));
    back->writeSaveString(line);
    line.close();
    EXPECT_EQ(readWholeFile(folder.file("line.txt")), ":thing " + std::string(back->getName().c_str()));
    useAssets = 1;
    back->assetName = "pebble";
    EXPECT_EQ(saved(back).rfind(":addAsset pebble {", 0), 0u);
    useAssets = 0;
    deleteVariable(original);
    deleteVariable(back);
    emptyTrash(); // before the species goes
}

} // namespace

namespace {

class MalformedThingScripts : public ThingInTank {};

TEST_F(MalformedThingScripts, BadCommandLinesAreReportedAndLeaveTheThingWhole) {
    TestSpecies species("odd");
    struct {
        char const* text;
        int result; // of the script run
        char const* reason;
    } cases[] = {
        {":remapAttrib", 2, "remapAttrib needs an attribute, a component, lo and hi"},
        {":remapAttrib uv 1 0.5", 2, "remapAttrib needs an attribute, a component, lo and hi"},
        {":remapAttrib uv (1/0) (nan) 2", 0, nullptr},
        {":buildCustomTex", 2, "buildCustomTex needs a script name"},
        {":buildCustomTex \"\"", 0, "custom tex script not found"},
        {":buildCustomTex ../../..", 0, "custom tex script not found"},
        {":noSuchThingCommand", 1, nullptr},
    };
    for (auto const& c : cases) {
        resetExitState();
        scriptError = 0;
        ScriptedThing* thing = makeThing("odd", tank);
        thing->species = &species;
        ASSERT_EQ(thing->addRenderGeometry(), 0);
        int result = runStringScript(thing, c.text);
        EXPECT_EQ(result, c.result) << c.text;
        if (c.reason) {
            EXPECT_TRUE(hasReason(c.reason)) << c.text;
        }
        EXPECT_EQ(thing->parent, tank.thingList) << c.text;
        EXPECT_EQ(thing->getChild("thingScale")->getFloat(), 1.0) << c.text;
        thing->species = nullptr;
        deleteVariable(thing);
    }
    scriptError = 0;
}

} // namespace
