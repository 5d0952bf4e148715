#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "support/osRand.h"
#include "support/fastRand.h"
#include "support/vector.h"
#include "traceCapture.h"

namespace {

TEST(FastRand, BellRandStaysWithinSpreadAndCrowdsTheCentre) {
    OS::_srand(3);
    initFastRand();
    for (float power : {2.0f, 4.0f}) {
        fastRandSeedIndex = 0;
        for (int k = 0; k < 32; k++) {
            float r = 2 * fastRandValues[k] - 1;
            float v = bellRand(10, 2, power);
            EXPECT_NEAR(1 - std::fabs(v - 10) / 2, std::pow(std::fabs(r), 1 / power), 1e-5);
            EXPECT_TRUE(r > 0 ? v <= 10 : v >= 10) << k; // a draw above zero falls below the centre
        }
    }
    EXPECT_EQ(bellRand(3, 0, 2), 3.0f);
}

TEST(FastRand, RootTablesAreRoundedFixedPoint) {
    TraceCapture trace(1);
    initRoots();
    struct Case {
        int index, root, invRoot;
    } cases[] = {{0, 0, 32767}, {16, 256, 256}, {64, 512, 128}, {1, 64, 1024}};
    for (auto const& c : cases) {
        EXPECT_EQ(rootTable[c.index], c.root) << c.index;
        EXPECT_EQ(invRootTable[c.index], c.invRoot) << c.index;
    }
    EXPECT_EQ(rootTable[2], 91); // sqrt(1/8) x 256 = 90.51
    EXPECT_EQ(trace.lineCount(), 65);
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
    Cfixed8_8 f;
    f.value = 384;
    std::ostringstream out;
    out << f;
    EXPECT_EQ(out.str(), "1.5[384]");
}

} // namespace
