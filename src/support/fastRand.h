// Cheap repeatable random numbers for per-frame behaviour: a table of 32 values drawn
// from the seeded platform generator, stepped through by a running index.
#pragma once

#include <cstdint>

extern float fastRandValues[32];  // each in [0, 1)
extern uint8_t fastRandSeedIndex; // read modulo 32

// Fills the table from OS::_rand and rewinds the index; 0 on success.
int initFastRand();

// The current entry mapped to [-1, 1), then the index moves on.
inline float fastRandneg1to1() {
    float v = 2.0f * fastRandValues[fastRandSeedIndex & 31] - 1.0f;
    fastRandSeedIndex++;
    return v;
}

// The index moves on first, then low + (high - low) x entry.
inline float randRange(float low, float high) {
    fastRandSeedIndex++;
    return low + (high - low) * fastRandValues[fastRandSeedIndex & 31];
}

// A fresh draw from the platform generator in [low, high); the table is not touched.
float randRangeReal(float low, float high);

// A value within centre +- spread that crowds about the centre as power grows above 1.
float bellRand(float centre, float spread, float power);

// 8.8 fixed-point square roots for x = 0, 1/16, ..., 4: sqrt(x) x 256 and 256 / sqrt(x)
// (32767 for x = 0). Filled by initRoots.
extern int16_t rootTable[65];
extern int16_t invRootTable[65];
void initRoots();
