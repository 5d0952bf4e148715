#include <gtest/gtest.h>

#include "support/osRand.h"

namespace {

// The recurrence written out independently: state x 8253729 + 2396403, draw = state % 32767.
struct Lcg {
    uint32_t state;
    int next() {
        state = state * 8253729u + 2396403u;
        return static_cast<int>(state % 32767u);
    }
};

TEST(OsRand, KnownDrawsAndSeeding) {
    // 539 is odd, so a seed exists that puts back the state the program starts with (5323).
    uint32_t inverse539 = 1;
    for (int i = 0; i < 5; i++)
        inverse539 *= 2u - 539u * inverse539; // Newton steps modulo 2^32
    ASSERT_EQ(inverse539 * 539u, 1u);
    EXPECT_EQ(OS::_srand(5323u * inverse539), 5323u);
    EXPECT_EQ(OS::_rand(), 20433); // the first draw of an unseeded run
    EXPECT_EQ(OS::_srand(1), 539u);
    EXPECT_EQ(OS::_rand(), 21516);

    for (uint32_t seed : {0u, 7u, 0xFFFFFFFFu}) {
        Lcg lcg{seed * 539u};
        OS::_srand(seed);
        for (int k = 0; k < 200; k++) {
            int r = OS::_rand();
            ASSERT_EQ(r, lcg.next()) << seed << " draw " << k;
            ASSERT_LT(r, 32767);
        }
    }
}

} // namespace
