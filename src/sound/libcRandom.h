// An additive feedback generator seeded as the C library's srand seeds its own, kept private
// to the sound tracks: rebuilding a track never disturbs anyone else's draws and gives the
// same track on every machine.
#pragma once

#include <cstdint>

class ClibcRandom {
  public:
    explicit ClibcRandom(unsigned seed = 0) { reseed(seed); }
    // As srand(seed).
    void reseed(unsigned seed);
    // As rand(): 0 to 2^31 - 1.
    int next();
    // rand() scaled by 2^-31: [0, 1).
    double unit() { return next() * (1.0 / 2147483648.0); }

  private:
    uint32_t ring[34] = {};
    int at = 0; // index of the next value to make
};
