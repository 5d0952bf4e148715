// The bite cycle and its start.
#include "fish/fishBiteAnimCycle.h"

#include <algorithm>

#include "fish/fish.h"

namespace {
char const* const kBiteLink = "fish_bite_ac";
} // namespace

CfishBiteAnimCycle::CfishBiteAnimCycle() {
    setName("fishbite");
    cycleName = "fishbite";
}

void CfishBiteAnimCycle::initAnimCycle(Cthing* thing, int, float) {
    t = 0.0f, step = 0.1f, end = 0.9999f;
    if (fish) fish->removeDependent(this, kBiteLink);
    fish = dynamic_cast<Cfish*>(thing);
    if (fish) fish->addDependent(this, kBiteLink);
    active = fish ? 1 : 0;
}

int CfishBiteAnimCycle::doIt(int) {
    t += step;
    if (fish) {
        fish->mouthOpening = std::min(t, 1.0f);
        fish->mouthUpdate = 1;
        fish->biting = 1;
    }
    return t >= end;
}

void CfishBiteAnimCycle::finish() {
    CanimCycle::finish();
    active = 0;
    if (fish) fish->removeDependent(this, kBiteLink);
    fish = nullptr;
}

void Cfish::startBite(float amount) {
    if (biteCycle.active) return;
    biteCycle.initAnimCycle(this, frameCounter, amount);
    biteAmount = amount;
    addAnimCycle(&biteCycle);
}
