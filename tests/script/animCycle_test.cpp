#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/animCycle.h"
#include "support/cerr.h"

namespace {

// The least an owner needs: a node with an "animCycles" directory and a frame counter.
class MiniThing : public CdirectoryVar, public CanimCycleOwner {
  public:
    MiniThing() { setAnimCycleDirectory(addDirectory("animCycles")); }
    void step() { doAnimCycles(frame++); }
    int cycles() { return animCycles->countChildren(); }
    int frame = 0;
};

std::vector<std::string> journal;

// Runs for a number of frames, writing its steps to the journal.
class CountingCycle : public CanimCycle {
  public:
    explicit CountingCycle(char const* label, int frames = 1) : frames(frames) {
        setName(label);
        cycleName = "counting";
    }
    ~CountingCycle() override { journal.push_back(std::string("~") + getName().c_str()); }
    void initAnimCycle(Cthing*, int n, float) override { frames = n; }
    int doIt(int frame) override {
        journal.push_back(std::string(getName().c_str()) + "@" + std::to_string(frame));
        return ++steps >= frames;
    }
    void finish() override {
        CanimCycle::finish();
        finished++;
    }
    int frames;
    int steps = 0;
    int finished = 0;
};

// Removes another cycle (or itself) from the owner during its step.
class RemovingCycle : public CountingCycle {
  public:
    RemovingCycle(char const* label, MiniThing* owner, CanimCycle* victim, int result)
        : CountingCycle(label, 100), owner(owner), victim(victim), result(result) {}
    int doIt(int frame) override {
        CountingCycle::doIt(frame);
        int r = result; // read first: removing this cycle may delete it
        owner->removeAnimCycle(victim);
        return r;
    }
    MiniThing* owner;
    CanimCycle* victim;
    int result;
};

// A heap cycle that is deleted when done.
CountingCycle* owned(char const* label, int frames) {
    auto* c = new CountingCycle(label, frames);
    c->setDeleteWhenDone(1);
    return c;
}

class AnimCycles : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        journal.clear();
    }
    void TearDown() override { resetExitState(); }
};

TEST_F(AnimCycles, BaseCycleEndsOnItsFirstStep) {
    MiniThing thing;
    auto* cycle = new CanimCycle;
    cycle->deleteWhenDone = 1; // set directly: adding the cycle takes it into account
    cycle->start(nullptr);
    thing.addAnimCycle(cycle);
    int live = allocedVariables;
    thing.step();
    EXPECT_EQ(thing.cycles(), 0);
    EXPECT_EQ(allocedVariables, live - 1); // deleted
}

TEST_F(AnimCycles, StepsInDirectoryOrderWithTheFrame) {
    MiniThing thing;
    auto* a = owned("a", 2);
    auto* b = owned("b", 1);
    thing.addAnimCycle(a);
    thing.addAnimCycle(b); // prepended: stepped first
    for (int i = 0; i < 3; i++)
        thing.step();
    EXPECT_EQ(journal, (std::vector<std::string>{"b@0", "~b", "a@0", "a@1", "~a"}));
}

TEST_F(AnimCycles, KeptCycleIsOnlyUnhookedAndCanRunAgain) {
    MiniThing thing;
    CountingCycle member("member", 1);
    thing.addAnimCycle(&member);
    member.start(nullptr);
    thing.step();
    EXPECT_EQ(member.parent, nullptr);
    EXPECT_EQ(member.finished, 1);
    EXPECT_EQ(member.running, 0);
    member.initAnimCycle(nullptr, 2, 0);
    member.steps = 0;
    thing.addAnimCycle(&member);
    thing.step();
    thing.step();
    EXPECT_EQ(member.finished, 2);
    EXPECT_EQ(thing.cycles(), 0);
}

TEST_F(AnimCycles, CycleRemovedDuringTheWalkThatRunsIt) {
    MiniThing thing;
    auto* victim = owned("victim", 5);
    auto* last = owned("last", 5);
    thing.addAnimCycle(last);
    thing.addAnimCycle(victim);
    // Walk order: remover, victim, last. The remover deletes the cycle the walk would
    // take next.
    auto* remover = new RemovingCycle("remover", &thing, victim, 0);
    remover->setDeleteWhenDone(1);
    thing.addAnimCycle(remover);
    thing.step();
    EXPECT_EQ(journal, (std::vector<std::string>{"remover@0", "~victim", "last@0"}));
    EXPECT_EQ(thing.cycles(), 2);
}

TEST_F(AnimCycles, CycleThatRemovesItselfAndReportsTheEnd) {
    MiniThing thing;
    auto* after = owned("after", 5);
    thing.addAnimCycle(after);
    auto* self = new RemovingCycle("self", &thing, nullptr, 1);
    self->victim = self;
    self->setDeleteWhenDone(1);
    thing.addAnimCycle(self);
    thing.step(); // removed (deleted) by its own step; the end it reports is not acted on twice
    EXPECT_EQ(journal, (std::vector<std::string>{"self@0", "~self", "after@0"}));
    EXPECT_EQ(thing.cycles(), 1);
}

TEST_F(AnimCycles, CycleDeletedOutrightDuringTheWalk) {
    MiniThing thing;
    auto* next = owned("next", 5);
    thing.addAnimCycle(next);
    struct Deleter : CountingCycle {
        Deleter(CanimCycle* v) : CountingCycle("deleter", 9), victim(v) {}
        int doIt(int frame) override {
            CountingCycle::doIt(frame);
            delete victim;
            victim = nullptr;
            return 0;
        }
        CanimCycle* victim;
    };
    auto* deleter = new Deleter(next);
    deleter->setDeleteWhenDone(1);
    thing.addAnimCycle(deleter);
    thing.step();
    EXPECT_EQ(journal, (std::vector<std::string>{"deleter@0", "~next"}));
    EXPECT_EQ(thing.cycles(), 1);
}

TEST_F(AnimCycles, ClearRemovesEveryCycle) {
    MiniThing thing;
    CountingCycle kept("kept", 9);
    auto* heap = owned("owned", 9);
    thing.addAnimCycle(&kept);
    thing.addAnimCycle(heap);
    thing.clearAnimCycles();
    EXPECT_EQ(thing.cycles(), 0);
    EXPECT_EQ(kept.finished, 1);
    EXPECT_EQ(journal, (std::vector<std::string>{"~owned"}));
    thing.removeAnimCycle(nullptr);
}

TEST_F(AnimCycles, ThingDyingWithCyclesInside) {
    CountingCycle kept("kept", 9);
    {
        MiniThing thing;
        auto* owned = new CountingCycle("owned", 9);
        owned->deleteWhenDone = 1;
        thing.addAnimCycle(owned);
        thing.addAnimCycle(&kept);
        thing.step();
    }
    // The tree deleted the heap cycle and only let go of the member one.
    EXPECT_EQ(journal.back(), "~owned");
    EXPECT_EQ(kept.parent, nullptr);
}

TEST_F(AnimCycles, OwnerWithoutDirectoryRefusesQuietly) {
    CanimCycleOwner owner;
    CountingCycle c("c");
    owner.addAnimCycle(&c);
    owner.doAnimCycles(0);
    owner.clearAnimCycles();
    EXPECT_EQ(c.parent, nullptr);
    EXPECT_EQ(c.steps, 0);
}

} // namespace
