#include "things/crabFootAnimCycle.h"

#include <cmath>

namespace {
constexpr float kPi = 3.14159265f;
// How high a stepping foot rises at the middle of its step.
constexpr float kStepLift = 0.05f;
} // namespace

CcrabFootAnimCycle::CcrabFootAnimCycle() {
    setName("crabfoot");
    cycleName = "crabfoot";
}

void CcrabFootAnimCycle::initAnimCycle(Cthing* owner, int, float) {
    progress = 0.0f;
    rate = 0.1f;
    end = 0.9999f;
    thing = owner;
}

int CcrabFootAnimCycle::doIt(int) {
    progress += rate;
    if (foot) {
        *foot = start + delta * progress;
        foot->y += kStepLift * std::sin(progress * kPi);
    }
    return progress >= end;
}

void CcrabFootAnimCycle::finish() {
    CanimCycle::finish();
    thing = nullptr;
    progress = 0.0f;
}
