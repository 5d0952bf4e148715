// The food shaker the viewer feeds with: drawn in the interface layer, it follows the
// pointer on the interface display, and while the button is held it tips, pours three
// particles into the tank under the pointer, rights itself and tips again every six
// frames. Joint 0 of its model carries the position and size, joint 1 the tilt.
#pragma once

#include <cstdint>

#include "script/animValue.h"
#include "things/basicDeformThing.h"

class Ctank;
class CgraphicsAPI;

class CfoodContainerThing : public CbasicDeformThing {
  public:
    CfoodContainerThing();

    // Pressed tips the shaker at once; released lets the running tip finish. The new state.
    bool buttonState(bool down);
    // Tilts over in 2 frames and back over 15; the counter restarts (at 1 when the last
    // tip is less than six frames old, so its load still falls).
    void tipIt();
    // Follows the pointer, steps the tilt and pours at the fourth frame of a tip.
    void goFish(int) override;

    // Where the pointer is, in pixels of its display (y upward); the shaker's own height
    // instead in the fixed-height feeding mode.
    void pointerPosition(CgraphicsAPI& display, float& x, float& y);

    uint32_t tipCounter = 10; // frames since the last tip
    uint8_t pressed = 0;
    CanimValue tilt;
};

// Feeding modes ("feedMode"): off, pour at a fixed height, pour under the pointer.
enum : short { FEED_OFF = 0, FEED_FIXED_HEIGHT = 2, FEED_AT_POINTER = 3 };
