// Wandering values: one to three smooth random values that drift along the shared noise
// curve at a set pace, optionally mapped into a range (a school's wander, for example).
#pragma once

#include <cstdint>

#include "variables/variable.h"

class CdataArray;

class CwanderingValue : public CdirectoryVar {
  public:
    CwanderingValue() = default;

    // Exposes the four settings on owner (when given) as one float variable of four
    // elements named name, binds the shared noise curve, reads channelCount channels (1 to
    // 3) and starts at startPhase.
    void init(Cvariable* owner, char const* name, float startPhase, int channelCount);
    void setDefaults(float minimum, float maximum, float power, float pace);
    // One step: advances the phase by 1 / period (wrapped into [0, 50)) and writes the
    // channelCount values there into out, mapped into [minValue, maxValue] when mapToRange
    // is set (the raw noise taken as lying in -1..1).
    void getChanValues(float* out);

    // The four settings stay together: one registered variable of four elements reaches them.
    float minValue = 0.0f;
    float maxValue = 1.0f;
    float exponent = 1.0f;
    float period = 10.0f; // calls per unit of noise position
    float phase = 0.0f;
    CdataArray* noise = nullptr;
    uint8_t channelCount = 0;
    uint8_t channelMask = 0;
    uint8_t mapToRange = 0;
};
