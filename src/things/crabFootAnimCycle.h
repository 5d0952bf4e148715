// One step of a crab's foot: the foot glides from where it stood to its new place, lifted
// on an arc, over 1 / rate frames.
#pragma once

#include "script/animCycle.h"
#include "support/vector.h"

class CcrabFootAnimCycle : public CanimCycle {
  public:
    CcrabFootAnimCycle();
    // Moves the foot one frame further; nonzero once the step has landed.
    int doIt(int frame) override;
    // Readies a step for thing: progress 0, rate 0.1, end 0.9999. The caller then sets the
    // foot, the rate, the start and the delta.
    void initAnimCycle(Cthing* thing, int frame, float amount) override;
    // The step is over: the cycle is idle again.
    void finish() override;
    bool idle() const { return thing == nullptr; }

    float progress = 0.0f;
    float rate = 0.1f;
    float end = 0.9999f;
    Cvector start;
    Cvector delta;
    Cvector* foot = nullptr;
    Cthing* thing = nullptr;
};
