#include <gtest/gtest.h>

#include "script/animValueNew.h"
#include "support/traceCapture.h"

namespace {

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
    v.update(5); // at rest: holds
    EXPECT_FLOAT_EQ(v.getValue(), 40);

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

TEST(Keyframes, SparesAreFreedAndLaterKeysDropped) {
    TraceCapture trace(1);
    CanimKeyframeManager m;
    CanimKeyframe* a = m.fetchKeyframe();
    CanimKeyframe* b = m.fetchKeyframe();
    EXPECT_EQ(m.allocated, 2);
    m.doneWithKeyframe(a);
    m.doneWithKeyframe(b);
    EXPECT_EQ(m.fetchKeyframe(), b);
    m.doneWithKeyframe(b);
    m.freeAllSpares();
    EXPECT_EQ(m.freeList, nullptr);
    CanimValueNew v;
    v.setKey(1, 1, 0);
    v.nextKey(3, 2.5f, 0);
    v.showKeyframes();
    EXPECT_NE(trace.text().find("key 3 at 2.5"), std::string::npos);
    m.keepSpares = 0;
    m.doneWithKeyframe(m.fetchKeyframe()); // freed, not kept (sanitizer checks the leak)
    EXPECT_EQ(m.freeList, nullptr);
}

} // namespace
