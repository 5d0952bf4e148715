#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "host/osFunctions.h"
#include "support/fastRand.h"
#include "support/vector.h"
#include "traceCapture.h"

namespace {

// The platform generator's recurrence, written out independently.
struct Lcg {
    uint32_t seed;
    int next() {
        seed = seed * 8253729u + 2396403u;
        return static_cast<int>(seed % 32767u);
    }
};

TEST(FastRand, TableHoldsTheSeededDrawsAndCycles) {
    TraceCapture trace(2);
    OS::_srand(4242);
    EXPECT_EQ(initFastRand(), 0);
    EXPECT_NE(trace.text().find("init fast rand"), std::string::npos);

    Lcg lcg{4242};
    for (int k = 0; k < 32; k++) {
        float expected = static_cast<float>(lcg.next() % 32767) / 32768.0f;
        EXPECT_FLOAT_EQ(fastRandValues[k], expected) << "entry " << k;
        EXPECT_GE(fastRandValues[k], 0.0f);
        EXPECT_LT(fastRandValues[k], 1.0f);
    }
    for (int k = 0; k < 32; k++)
        EXPECT_FLOAT_EQ(fastRandneg1to1(), 2 * fastRandValues[k] - 1);
    EXPECT_FLOAT_EQ(fastRandneg1to1(), 2 * fastRandValues[0] - 1); // the 33rd repeats the first
}

TEST(FastRand, SameSeedSameSequence) {
    OS::_srand(7);
    initFastRand();
    float first[40];
    for (float& v : first)
        v = randRange(-3, 3);
    OS::_srand(7);
    initFastRand();
    for (float v : first)
        EXPECT_EQ(randRange(-3, 3), v);
}

// fastRandneg1to1 reads before moving on, randRange after.
TEST(FastRand, DrawOrderReadsEntriesIAndIPlusTwo) {
    OS::_srand(99);
    initFastRand();
    fastRandSeedIndex = 30;
    EXPECT_FLOAT_EQ(fastRandneg1to1(), 2 * fastRandValues[30] - 1);
    EXPECT_FLOAT_EQ(randRange(10, 20), 10 + 10 * fastRandValues[0]); // 32 wraps to 0
    EXPECT_EQ(fastRandSeedIndex & 31, 0);
}

TEST(FastRand, EmptyRangeStillMovesTheIndex) {
    initFastRand();
    uint8_t before = fastRandSeedIndex;
    EXPECT_EQ(randRange(5, 5), 5.0f);
    EXPECT_EQ(static_cast<uint8_t>(before + 1), fastRandSeedIndex);
}

TEST(FastRand, RangeRealUsesThePlatformGeneratorOnly) {
    OS::_srand(1);
    initFastRand();
    uint8_t index = fastRandSeedIndex;
    OS::_srand(555);
    Lcg lcg{555};
    for (int i = 0; i < 100; i++) {
        float expected = 2.0f + static_cast<float>(lcg.next() % 32768) * (6.0f - 2.0f) / 32768.0f;
        float v = randRangeReal(2, 6);
        EXPECT_FLOAT_EQ(v, expected);
        EXPECT_GE(v, 2.0f);
        EXPECT_LT(v, 6.0f);
    }
    EXPECT_EQ(fastRandSeedIndex, index);
}

TEST(FastRand, BellRandStaysWithinSpreadAndCrowdsTheCentre) {
    OS::_srand(3);
    initFastRand();
    fastRandSeedIndex = 0;
    for (int k = 0; k < 32; k++) {
        float r = 2 * fastRandValues[k] - 1;
        float m = std::sqrt(std::fabs(r));
        float expected = r > 0 ? 10 - 2 * (1 - m) : 10 + 2 * (1 - m);
        float v = bellRand(10, 2, 2);
        EXPECT_FLOAT_EQ(v, expected);
        EXPECT_LE(std::fabs(v - 10), 2.0f);
    }
    // A higher power pulls the same draws closer to the centre.
    fastRandSeedIndex = 0;
    for (int k = 0; k < 32; k++) {
        float r = std::fabs(2 * fastRandValues[k] - 1);
        float v = bellRand(0, 1, 4);
        EXPECT_NEAR(1 - std::fabs(v), std::pow(r, 0.25f), 1e-5);
    }
    EXPECT_EQ(bellRand(3, 0, 2), 3.0f);
}

TEST(FastRand, RootTablesAreRoundedFixedPoint) {
    TraceCapture trace(1);
    initRoots();
    EXPECT_EQ(rootTable[0], 0);
    EXPECT_EQ(invRootTable[0], 32767);
    EXPECT_EQ(rootTable[16], 256); // x = 1
    EXPECT_EQ(invRootTable[16], 256);
    EXPECT_EQ(rootTable[64], 512); // x = 4
    EXPECT_EQ(invRootTable[64], 128);
    EXPECT_EQ(rootTable[1], 64); // sqrt(1/16) = 1/4
    EXPECT_EQ(invRootTable[1], 1024);
    EXPECT_EQ(rootTable[2], 91); // sqrt(1/8) x 256 = 90.51
    EXPECT_EQ(trace.lineCount(), 65);
}

TEST(Fixed8_8, PrintsValueAndRaw) {
    Cfixed8_8 f;
    f.value = 384;
    std::ostringstream out;
    out << f;
    EXPECT_EQ(out.str(), "1.5[384]");
}

TEST(Fixed8_8, FromFloatTruncatesTowardZeroAndSaturates) {
    struct Case {
        float in;
        int16_t raw;
    } cases[] = {{1.5f, 384},     {-1.5f, -384},     {0.999f, 255}, {-0.999f, -255},
                 {200.0f, 32767}, {-300.0f, -32768}, {NAN, 0},      {INFINITY, 32767}};
    for (auto const& c : cases) {
        Cfixed8_8 f;
        f.set(c.in);
        EXPECT_EQ(f.value, c.raw) << c.in;
    }
}

} // namespace
