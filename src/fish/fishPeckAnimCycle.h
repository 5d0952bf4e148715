// The fish's peck: the head reaches onto food stuck to a surface and back, biting on its
// way in.
#pragma once

#include <cstdint>

#include "script/animCycle.h"
#include "support/vector.h"

class CdataArray;
class Cfish;

class CfishPeckAnimCycle : public CanimCycle {
  public:
    CfishPeckAnimCycle();
    // One frame of the head's reach; nonzero once the head is back.
    int doIt(int frame) override;
    // Starts on thing (a fish) from its head along its peck direction, reaching reach.
    // The first peck loads the two curves.
    void initAnimCycle(Cthing* thing, int frame, float reach) override;
    // Leaves the fish stopped with its head free.
    void finish() override;

    float t = 0.0f, step = 0.1f, end = 0.9999f;
    Cfish* fish = nullptr;
    Cvector startPoint, direction;
    CdataArray* forwardMotion = nullptr; // "pfm": the reach over t
    CdataArray* swimAmplitude = nullptr; // "psa": the stroke strength over t
    float reachIn = 0.0f, reachOut = 0.0f;
    uint8_t active = 0, hasBitten = 0;
};
