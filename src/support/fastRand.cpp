#include "support/fastRand.h"

#include <cmath>

#include "support/osRand.h"
#include "support/cerr.h"

float fastRandValues[32];
uint8_t fastRandSeedIndex = 0;
int16_t rootTable[65];
int16_t invRootTable[65];

int initFastRand() {
    VTRACE(2, "init fast rand");
    for (float& v : fastRandValues)
        v = static_cast<float>(OS::_rand() % 32767) / 32768.0f;
    fastRandSeedIndex = 0;
    return 0;
}

float randRangeReal(float low, float high) {
    return low + static_cast<float>(OS::_rand() % 32768) * (high - low) / 32768.0f;
}

float bellRand(float centre, float spread, float power) {
    float r = fastRandneg1to1();
    float a = std::fabs(r);
    float m = power == 2.0f ? std::sqrt(a) : std::pow(a, 1.0f / power);
    return r > 0.0f ? centre - spread * (1.0f - m) : centre + spread * (1.0f - m);
}

void initRoots() {
    for (int i = 0; i <= 64; i++) {
        double x = i / 16.0;
        rootTable[i] = static_cast<int16_t>(std::lround(std::sqrt(x) * 256.0));
        invRootTable[i] = i == 0 ? 32767 : static_cast<int16_t>(std::lround(256.0 / std::sqrt(x)));
        VTRACE(1, "root " << x << " " << rootTable[i] << " " << invRootTable[i]);
    }
}
