// The tank's hold on its column of rising bubbles: the point they rise from.
//
// The tank picks the emitter point and sets it here; the bubbles thing, which sits above
// the tank, implements the rest.
#pragma once

#include "support/vector.h"

class CbubbleEmitter {
  public:
    virtual ~CbubbleEmitter() = default;

    // Brings every bubble to the emitter's depth; the tank calls it after moving origin.
    virtual void moveAllZpos() = 0;
    // Parks the emitter below the tank, which switches it off.
    void switchEmitterOff() { origin = Cvector(0.0f, -1000.0f, 0.0f); }
    // Whether bubbles are being emitted: the emitter is above the parking depth.
    bool emitterOn() const { return origin.y > -100.0f; }

    // Where bubbles start, in tank space.
    Cvector origin{0.0f, -1000.0f, 0.0f};
};
