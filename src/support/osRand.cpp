#include "support/osRand.h"

namespace OS {

static uint32_t nSeed = 5323;

int _rand() {
    nSeed = nSeed * 8253729u + 2396403u;
    return static_cast<int>(nSeed % 32767u);
}

uint32_t _srand(uint32_t seed) {
    nSeed = seed * 539u;
    return nSeed;
}

uint32_t randState() {
    return nSeed;
}

void setRandState(uint32_t state) {
    nSeed = state;
}

void timeRandomizeSrand() {}

} // namespace OS
