// Animated values: the pool of queued moves, linked values, keyframes, and cycles.
#include <limits>

#include "script/animCycle.h"
#include "script/animValue.h"
#include "script/animValueNew.h"
#include "scriptTestSupport.h"

namespace {

// Each test queues through a pool of its own so counts start from zero.
class AnimValues : public ScriptStateTest {
  protected:
    void SetUp() override {
        reset();
        useAdsrPool(&pool);
    }
    void TearDown() override {
        useAdsrPool(nullptr);
        reset();
    }
    CadsrPool pool;
};

TEST_F(AnimValues, PoolIsReusedAndFilledOnDestruction) {
    CanimValue v;
    for (int round = 0; round < 50; round++) {
        v.setMove(1, 2, CURVE_LINEAR, 1);
        for (int k = 0; k < 4; k++)
            v.setNextMove(float(k), 1, CURVE_CUBIC);
        for (int f = 0; f < 8; f++)
            v.update();
        EXPECT_EQ(pool.allocatedCount(), 4) << round; // nothing allocated after warm-up
    }
    {
        CanimValue dying;
        dying.setMove(1, 5, CURVE_LINEAR, 1);
        dying.setNextMove(2, 1, CURVE_LINEAR);
        dying.setNextMove(3, 1, CURVE_LINEAR);
        EXPECT_EQ(pool.spareCount(), 2);
    }
    EXPECT_EQ(pool.spareCount(), 4); // handed back by the destructor

    // A reserve is served without allocating, and tops up only what is missing.
    pool.reserve(6);
    pool.reserve(3);
    EXPECT_EQ(pool.spareCount(), 6);
    int before = pool.allocatedCount();
    for (int k = 0; k < 6; k++)
        v.setNextMove(float(k), 1, CURVE_CUBIC);
    EXPECT_EQ(pool.allocatedCount(), before);
}

TEST_F(AnimValues, LinkedValuesWriteThrough) {
    float cells[3] = {1, 2, 3};
    CanimBase b;
    b.setPointer(cells);
    b.setNumElements(3);
    b.fillWith(4);
    EXPECT_EQ(cells[2], 4);

    float target = 0;
    CanimDelayedSetVal d;
    d.setPointer(&target);
    d.set(5, 3);
    d.update();
    d.update();
    EXPECT_EQ(target, 0);
    d.update();
    EXPECT_EQ(target, 5);
    EXPECT_EQ(d.active, 0);
    d.set(9, 0); // no delay: the next update sets it
    d.update();
    EXPECT_EQ(target, 9);
}

TEST_F(AnimValues, NonFiniteLaggedOutputIsBadLag) {
    TraceCapture trace(1);
    float src = 0, lag = 0;
    CbufferedDelayAnimValue d;
    d.setAnimLagStuff(&src, &lag, 5);
    src = std::numeric_limits<float>::infinity();
    d.update();
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_EQ(exitReasonList[0], "badlag");
}

TEST(Keyframes, LongStepPassesSeveralKeysAndCarriesTheTime) {
    CanimValueNew v;
    v.setKey(10, 1, 0);
    v.nextKey(20, 2, 0);
    v.nextKey(40, 4, 0);
    v.update(2.5f); // past two keys, a quarter into the third segment
    EXPECT_FLOAT_EQ(v.getValue(), 25);
    EXPECT_FLOAT_EQ(v.timeInSegment, 0.5f);
    EXPECT_FLOAT_EQ(v.segmentDuration, 2);
    v.update(10);
    EXPECT_FLOAT_EQ(v.getValue(), 40);
    EXPECT_TRUE(v.atRest());

    v.setKey(1, 1, 0);
    v.nextKey(2, 2, 0);
    v.update(0.5f);
    v = 7.0f; // assignment drops the keys and jumps
    EXPECT_TRUE(v.atRest());
    EXPECT_FLOAT_EQ(v.getValue(), 7);
    EXPECT_FLOAT_EQ(v.startValue, 20.5f); // the value it had
    EXPECT_FLOAT_EQ(v.timeInSegment, 0);
}

TEST(Keyframes, SmoothSlopesAreNegatedCentralDifferences) {
    CanimValueNew v;
    v.setKey(0, 1, KEY_SLOPES);
    v.nextKey(2, 2, KEY_SLOPES);
    v.nextKey(6, 4, KEY_KEEP_SLOPE);
    v.nextKey(6, 5, KEY_SLOPES);
    v.keys->nextKey->nextKey->slope = 9; // a key with flags 7 keeps its slope
    v.smoothSlopes(v.keys);
    CanimKeyframe* k = v.keys;
    EXPECT_FLOAT_EQ(k->slope, -(2 - 0) / (0 + 1.0f)); // first: its own previous, own time 0
    EXPECT_FLOAT_EQ(k->nextKey->slope, -(6 - 0) / (1 + 2.0f));
    EXPECT_FLOAT_EQ(k->nextKey->nextKey->slope, 9);
    EXPECT_FLOAT_EQ(k->nextKey->nextKey->nextKey->slope, -(6 - 6) / 1.0f);

    CanimValueNew same; // coincident keys get a flat slope
    same.setKey(1, 1, 0);
    same.nextKey(5, 1, 0);
    same.smoothSlopes(same.keys);
    EXPECT_FLOAT_EQ(same.keys->nextKey->slope, 0);
}

// A manager that keeps no spares (the pool is shutting down) frees what it is handed.
TEST(Keyframes, SparesFreedOnShutDown) {
    TraceCapture trace(1);
    CanimKeyframeManager m;
    m.keepSpares = 0;
    m.doneWithKeyframe(m.fetchKeyframe()); // freed, not kept (sanitizer checks the leak)
    EXPECT_EQ(m.freeList, nullptr);
}

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
