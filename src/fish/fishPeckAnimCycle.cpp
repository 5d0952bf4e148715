// The peck cycle and its start.
#include "fish/fishPeckAnimCycle.h"

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "fish/fish.h"

namespace {
char const* const kPeckLink = "peck animcycle";

// The curve at t, or fallback when the curve is missing or not a channel.
float curveAt(CdataArray const* curve, float t, float fallback) {
    auto const* chan = dynamic_cast<CdataChan const*>(curve);
    if (chan == nullptr || chan->floatData == nullptr) return fallback;
    float v = fallback;
    chan->getValues(t, &v, 1u);
    return v;
}
} // namespace

CfishPeckAnimCycle::CfishPeckAnimCycle() {
    setName("fishpeck");
    cycleName = "fishpeck";
}

void CfishPeckAnimCycle::initAnimCycle(Cthing* thing, int, float reach) {
    t = 0.0f, step = 0.1f, end = 0.9999f;
    if (fish) fish->removeDependent(this, kPeckLink);
    fish = dynamic_cast<Cfish*>(thing);
    active = hasBitten = 0;
    if (fish == nullptr) return;
    // Only fish that peck need the curves, so they load with the first peck.
    if (getChild("pfm", 0) == nullptr) {
        char const* const folder = "species/std_fish/arrays/";
        registerDataArrayAndLoad(this, &forwardMotion, "pfm",
                                 "species/std_fish/arrays/peckForwardMotion.chan", folder);
        registerDataArrayAndLoad(this, &swimAmplitude, "psa", "species/std_fish/arrays/peckSwimAmp.chan",
                                 folder);
    }
    fish->addDependent(this, kPeckLink);
    fish->getHeadPos(startPoint);
    direction = fish->peckDirection;
    reachIn = reachOut = reach;
    active = 1;
}

int CfishPeckAnimCycle::doIt(int) {
    t += step;
    if (fish == nullptr) return t >= end;
    fish->pecking = 1;
    if (!hasBitten && t >= step + 0.4999f) {
        fish->startBite(step * 10.0f);
        hasBitten = 1;
    }
    float f = curveAt(forwardMotion, t, 0.0f);
    fish->headForced = 1;
    fish->_setDesiredBodySpeed(t >= 0.7f ? 0.0f : fish->peckApproachSpeed);
    fish->strokeStrength = curveAt(swimAmplitude, t, 0.0f);
    float reach = t < 0.5f ? reachIn * f : (f - 1.0f) * reachOut + reachIn;
    fish->forcedHead = startPoint + direction * reach;
    return t >= end;
}

void CfishPeckAnimCycle::finish() {
    if (fish) {
        fish->pecking = 0;
        fish->bodySpeed = 0.0f;
        fish->_setDesiredBodySpeed(0.0f);
        fish->strokeStrength = 0.0f;
        fish->headForced = 0;
        fish->removeDependent(this, kPeckLink);
        fish = nullptr;
    }
    CanimCycle::finish();
    active = 0;
}

void Cfish::startPeck(float approachSpeed, float reach, float clearance) {
    if (headForced || peckCycle.active) return;
    peckCycle.initAnimCycle(this, frameCounter, reach);
    peckClearance = clearance;
    peckApproachSpeed = approachSpeed;
    addAnimCycle(&peckCycle);
}
