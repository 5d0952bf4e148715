// The fish's bite: the mouth opens over ten frames.
#pragma once

#include <cstdint>

#include "script/animCycle.h"

class Cfish;

class CfishBiteAnimCycle : public CanimCycle {
  public:
    CfishBiteAnimCycle();
    // Opens the mouth one step further; nonzero once it has opened fully.
    int doIt(int frame) override;
    // Starts on thing (a fish; anything else leaves the cycle idle) from a closed mouth.
    void initAnimCycle(Cthing* thing, int frame, float value) override;
    // Leaves the fish.
    void finish() override;

    float t = 0.0f, step = 0.1f, end = 0.9999f;
    Cfish* fish = nullptr;
    uint8_t active = 0;
};
