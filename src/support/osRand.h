// The engine's seedable random generator, shared by scripts and the per-frame tables.
//
// A plain linear congruential generator so that a seed gives the same sequence on every
// machine: seed = seed x 8253729 + 2396403 (modulo 2^32), each draw is seed % 32767.
#pragma once

#include <cstdint>

namespace OS {

// The next draw, 0 to 32766; the state starts at 5323 when the program loads.
int _rand();
// Seeds with seed x 539 (modulo 2^32); returns the new state.
uint32_t _srand(uint32_t seed);
// The generator's whole state, to start again where it stood (a process that starts the
// engine more than once begins each start alike).
uint32_t randState();
void setRandState(uint32_t state);
// Leaves the seed alone: runs are repeatable unless a script seeds the generator.
void timeRandomizeSrand();

} // namespace OS
