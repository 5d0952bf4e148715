// Things in tanks: joining and leaving, animation cycles, the teardown of masters and
// their shadows, and the saved text read back by the script runner.
#include "testSupport.h"
#include "thingTestSupport.h"
#include "things/attachedThing.h"
#include "things/basicDeformThing.h"
#include "variables/configDialogVars.h"

namespace {

class ThingInTank : public ThingTest {
  protected:
    static size_t related(CsafeRelationship& side, short nature) {
        std::vector<Cvariable*> out;
        side.fillVectorWithRelationshipsOfNature(out, nature);
        return out.size();
    }
    TestTank other;
};

class StepCycle : public CanimCycle {
  public:
    StepCycle(char const* n, int frames, std::vector<std::string>& log) : frames(frames), log(log) {
        setName(n);
    }
    ~StepCycle() override { log.push_back(std::string("~") + name.c_str()); }
    int doIt(int frame) override {
        return log.push_back(name.c_str() + std::to_string(frame)), ++steps >= frames;
    }
    void finish() override { log.push_back(std::string("finish ") + name.c_str()); }
    int frames, steps = 0;
    std::vector<std::string>& log;
};

TEST_F(ThingInTank, JoiningAndLeavingKeepsTheTankRelationshipAndLists) {
    auto* thing = new ScriptedThing;
    for (TestTank* to : {&tank, &other, static_cast<TestTank*>(nullptr), &tank}) {
        thing->framesUpdated = 5;
        thing->setToTank(to);
        EXPECT_EQ(thing->framesUpdated, 0);
        EXPECT_EQ(thing->tank, to);
        EXPECT_EQ(related(*thing, -NATURE_CONTAINS_THING), to ? 1u : 0u); // the thing made it
        for (TestTank* t : {&tank, &other}) {
            EXPECT_EQ(thing->parent == t->thingList, t == to);
            EXPECT_EQ(t->listed.size(), t == to ? 1u : 0u);
            EXPECT_EQ(related(*t, NATURE_CONTAINS_THING), t == to ? 1u : 0u);
        }
    }
    deleteVariable(thing);
}

TEST_F(ThingInTank, CyclesThatEndAreFinishedAndRemovedDuringTheWalk) {
    std::vector<std::string> log;
    auto* thing = new ScriptedThing;
    thing->setToTank(&tank);
    thing->resetThing(0);
    StepCycle kept("kept", 1, log); // not owned: only unhooked
    auto* owned = new StepCycle("owned", 1, log);
    auto* longer = new StepCycle("longer", 3, log);
    owned->setDeleteWhenDone(1);
    longer->setDeleteWhenDone(1);
    for (CanimCycle* c :
         {static_cast<CanimCycle*>(owned), static_cast<CanimCycle*>(&kept), static_cast<CanimCycle*>(longer)})
        thing->addAnimCycle(c); // each goes in front
    thing->updateThing(1, 0.0f);
    EXPECT_EQ(log, (std::vector<std::string>{"longer1", "kept1", "finish kept", "owned1", "finish owned",
                                             "~owned"}));
    EXPECT_EQ(kept.parent, nullptr);
    log.clear();
    deleteVariable(thing); // the teardown finishes what still runs
    EXPECT_EQ(log, (std::vector<std::string>{"finish longer", "~longer"}));
}

TEST_F(ThingInTank, TeardownOfMastersAndShadowsEitherWay) {
    for (bool masterFirst : {true, false}) {
        auto* fish = new ScriptedThing("fish");
        fish->setToTank(&tank);
        auto* shadow = new CattachedThing;
        shadow->attachThing(fish, ATTACH_SHADOW); // joins the master's tank
        ASSERT_EQ(fish->shadowThing, shadow);
        fish->setToTank(&other); // the shadow follows
        EXPECT_EQ(shadow->tank, &other);
        other.focusThing = fish;
        deleteVariable(masterFirst ? fish : static_cast<Cthing*>(shadow));
        if (masterFirst) {
            EXPECT_TRUE(shadow->dying); // went with its master
            EXPECT_EQ(other.focusThing, nullptr);
            EXPECT_TRUE(other.listed.empty()); // dying things are not listed again
        } else {
            EXPECT_EQ(fish->shadowThing, nullptr); // the break told the master
            EXPECT_EQ(other.listed, std::vector<Cthing*>{fish});
            deleteVariable(fish);
        }
        EXPECT_EQ(trace.text().find("still there"), std::string::npos);
        EXPECT_EQ(trace.text().find("must have master"), std::string::npos);
    }
}

TEST_F(ThingInTank, DeveloperChecksStopTheRunInSpecialModeInsteadOfEndingIt) {
    for (short special : {0, 1}) {
        resetExitState();
        specialMode = special;
        auto* fish = new ScriptedThing("fish");
        auto* shadow = new CattachedThing;
        shadow->attachThing(fish, ATTACH_SHADOW);
        shadow->parentThing = nullptr; // lost its master before the break
        fish->addDependent(fish, "self");
        deleteVariable(fish);
        EXPECT_NE(trace.text().find("AHHH! fish STILL HAS 1 DEPENDENTS!"), std::string::npos);
        EXPECT_NE(trace.text().find("****attached must have master!"), std::string::npos);
        EXPECT_EQ(hasReason("hasdeps") || hasReason("atAbort"), special == 1);
        fish->removeAllDependencies();
    }
    specialMode = 0;
}

TEST_F(ThingInTank, TheSavedTextReadsBackAsTheSameThing) {
    static TestSpecies* rock = &plain;
    tank.maker = other.maker = [] {
        auto* t = new CbasicDeformThing;
        t->species = rock;
        return static_cast<Cthing*>(t);
    };
    Cthing* original = tank.maker();
    original->setToTank(&tank);
    original->thingScale = 2.5f;
    original->mass = 7.0f; // not saved
    original->setSave(1);
    tank.focusThing = original;
    ScopedDataFolder folder;
    auto saved = [&](Cthing* t) {
        EXPECT_EQ(t->saveSettings(folder.file("t.txt").c_str(), false, false), 0);
        return readWholeFile(folder.file("t.txt"));
    };
    std::string text = saved(original);
    EXPECT_EQ(text, ":addThing plain {\n :set thingScale 2.5\n:isFocus\n:save\n}\n");
    ASSERT_EQ(runStringScript(&other, text.c_str()), 0);
    ASSERT_EQ(other.listed.size(), 1u);
    Cthing* back = other.listed[0];
    EXPECT_FLOAT_EQ(back->mass, 1.0f);
    EXPECT_EQ(other.requestedFocusThing, back);
    other.focusThing = back;
    EXPECT_EQ(saved(back), text);
    useAssets = 1;
    back->assetName = "pebble";
    EXPECT_EQ(saved(back).rfind(":addAsset pebble {", 0), 0u);
    useAssets = 0;
    deleteVariable(original);
    deleteVariable(back);
}

TEST_F(ThingInTank, CommandLinesGoodAndBad) {
    struct {
        char const* text;
        int result;
        char const* reason; // recorded exit reason
        char const* call;   // last work-object call, null: none
    } cases[] = {
        {":reset\n:isFocus", 0, nullptr, nullptr},
        {":remapAttrib uv 1 0.25 (0.5+0.25)", 0, nullptr, "remap uv1 0.25 0.75"},
        {":remapAttrib uv 1 1e300 -1e300", 0, nullptr, "remap uv1 3.40282e+38 -3.40282e+38"},
        {":remapAttrib uv 1 0.5", 2, "remapAttrib needs an attribute, a component, lo and hi", nullptr},
        {":remapAttrib uv 0 0 2", 0, nullptr, "remap uv0 0 2"},   // the first of four components
        {":remapAttrib uv 3.5 0 2", 0, nullptr, "remap uv3 0 2"}, // and the last
        {":remapAttrib uv 4 0 2", 2, "remapAttrib component out of range", nullptr},
        {":remapAttrib uv (1/0) 0 2", 2, "remapAttrib component out of range", nullptr},
        {":buildCustomTex", 2, "buildCustomTex needs a script name", nullptr},
        {":buildCustomTex \"\"", 0, "custom tex script not found", nullptr},
        {":noSuchThingCommand", 1, nullptr, nullptr},
    };
    for (auto const& c : cases) {
        resetExitState();
        scriptError = 0;
        auto* thing = new ScriptedThing;
        thing->setToTank(&tank);
        thing->species = &plain;
        record(*thing);
        EXPECT_EQ(runStringScript(thing, c.text), c.result) << c.text;
        if (c.reason) {
            EXPECT_TRUE(hasReason(c.reason)) << c.text;
        }
        auto const& calls = rec(thing).calls;
        EXPECT_EQ(calls.empty() ? "" : calls.back(), c.call ? c.call : "") << c.text;
        deleteVariable(thing);
    }
    EXPECT_NE(tank.requestedFocusThing, nullptr);
}

} // namespace
