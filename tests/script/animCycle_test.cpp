#include "script/animCycle.h"
#include "scriptTestSupport.h"

namespace {

// The least an owner needs: a node with an "animCycles" directory and a frame counter.
class MiniThing : public CdirectoryVar, public CanimCycleOwner {
  public:
    MiniThing() { setAnimCycleDirectory(addDirectory("animCycles")); }
    void step() { doAnimCycles(frame++); }
    int frame = 0;
};

// Counts its steps and never ends.
class CountingCycle : public CanimCycle {
  public:
    int doIt(int) override { return steps++ < 0; }
    int steps = 0;
};

using AnimCycles = ScriptStateTest;

TEST_F(AnimCycles, BaseCycleEndsOnItsFirstStep) {
    MiniThing thing;
    auto* cycle = new CanimCycle;
    cycle->deleteWhenDone = 1; // set directly: adding the cycle takes it into account
    cycle->start(nullptr);
    thing.addAnimCycle(cycle);
    int live = allocedVariables;
    thing.step();
    EXPECT_EQ(thing.getAnimCycleDirectory()->countChildren(), 0);
    EXPECT_EQ(allocedVariables, live - 1); // deleted
}

TEST_F(AnimCycles, OwnerWithoutDirectoryRefusesQuietly) {
    CanimCycleOwner owner;
    CountingCycle c;
    owner.addAnimCycle(&c);
    owner.doAnimCycles(0);
    owner.clearAnimCycles();
    EXPECT_EQ(c.parent, nullptr);
    EXPECT_EQ(c.steps, 0);
}

} // namespace
