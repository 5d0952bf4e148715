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
