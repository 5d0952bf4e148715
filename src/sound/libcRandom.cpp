#include "sound/libcRandom.h"

// r[0] = seed (1 for 0); r[i] = 16807 r[i-1] mod (2^31 - 1) for i < 31; r[i] = r[i-31] for
// i < 34; then r[i] = r[i-31] + r[i-3] (mod 2^32). Draw k is r[k + 344] >> 1.
void ClibcRandom::reseed(unsigned seed) {
    int32_t word = seed == 0 ? 1 : static_cast<int32_t>(seed);
    ring[0] = static_cast<uint32_t>(word);
    for (int i = 1; i < 31; i++) {
        // 16807 * word mod (2^31 - 1) without overflow (Schrage).
        int32_t hi = word / 127773, lo = word % 127773;
        word = 16807 * lo - 2836 * hi;
        if (word < 0) word += 2147483647;
        ring[i] = static_cast<uint32_t>(word);
    }
    for (int i = 31; i < 34; i++)
        ring[i] = ring[i - 31];
    at = 34;
    for (int i = 34; i < 344; i++)
        next();
}

int ClibcRandom::next() {
    uint32_t value = ring[(at - 31) % 34] + ring[(at - 3) % 34];
    ring[at % 34] = value;
    at = (at + 1) % 34 + 34; // stays in 34 .. 67, so at - 31 never goes below 0
    return static_cast<int>(value >> 1);
}
