// The shared noise channel: three smooth random curves over positions 0 to 50 whose ends
// meet, loaded once from "global/arrays/noise50.chan" and read by position.
#pragma once

class CdataArray;
class Cvariable;

// The array file of the noise curves, relative to a resource folder.
extern char const* const noiseFileName;
// The shared noise channel (a three-channel float CdataChan), or null before
// initFastNoise or after its reference went.
extern CdataArray* noiseWrap50x3chan;

// Binds *slot, through a reference named name under owner (reused when owner already has
// it), to the shared noise channel: the data folder's copy first, else the install
// folder's. True when it is bound to a three-channel float curve; otherwise the slot is
// left null and the failure recorded.
bool requestNoiseChannel(Cvariable* owner, CdataArray** slot, char const* name);
// Loads the shared noise channel under owner ("noise50ramp"); true when it loaded.
bool initFastNoise(Cvariable* owner);

// Channel 0 at fmodf(x, 50): a negative x reads the clamped start of the curve. 0 without
// a noise channel.
float fastNoise(float x);
// Wraps x into [0, 50), writes it back and gives channel 0 there.
float fastNoiseWrapLookupVar(float& x);
// All three channels at x, not wrapped (zeros without a noise channel).
void grabNoise3(float x, float* out);
