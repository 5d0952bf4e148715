#include <limits>
#include <vector>

#include "script/animValue.h"
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
    std::vector<float> run(CanimValue& v, int frames) {
        std::vector<float> out;
        for (int i = 0; i < frames; i++)
            out.push_back(v.getValueAndUpdate());
        return out;
    }
    CadsrPool pool;
};

// An idle value starts a next move at once; queued moves chain without an idle frame
// and hand their records back to the pool when they start.
TEST_F(AnimValues, QueuedMovesChain) {
    CanimValue idle;
    idle.setNextMove(4, 2, CURVE_LINEAR);
    EXPECT_EQ(idle.queuedMoves(), 0);
    EXPECT_EQ(run(idle, 2), (std::vector<float>{2, 4}));
    EXPECT_EQ(pool.allocatedCount(), 0);

    CanimValue v;
    v.setMove(10, 2, CURVE_LINEAR, 1);
    v.setNextMove(20, 2, CURVE_LINEAR);
    v.setNextMove(0, 1, CURVE_QUADRATIC);
    EXPECT_EQ(run(v, 2), (std::vector<float>{5, 10}));
    EXPECT_EQ(v.active, 1); // the second move began in the update that ended the first
    EXPECT_EQ(v.queuedMoves(), 1);
    EXPECT_EQ(run(v, 3), (std::vector<float>{15, 20, 0}));
    EXPECT_EQ(v.active, 0);
    EXPECT_EQ(pool.spareCount(), 2);
}

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
    pool.deleteADSRs();
    EXPECT_EQ(pool.adsrFreeList, nullptr);

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
    float member = 3;
    CanimValue v;
    v.setPointer(&member);
    v.setMove(7, 2, CURVE_LINEAR, 1); // starts from the linked float
    v.update();
    EXPECT_FLOAT_EQ(member, 5);
    v.update();
    EXPECT_FLOAT_EQ(member, 7);
    member = 1;
    v.update(); // idle: no write
    EXPECT_FLOAT_EQ(member, 1);

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
    EXPECT_NE(trace.text().find("history 4"), std::string::npos);
}

} // namespace
