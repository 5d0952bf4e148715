// One pointer, the mouse or a finger, as the input step and the tank camera read it: its
// button state, the display it was last seen on and its position there in pixels (y upward).
// The shop keeper holds two: the host feeds the first; the second stands in for a second
// finger when the scroll wheel is turned into a pinch.
#pragma once

#include <cstdint>

#include "support/vector2.h"

class CgraphicsAPI;

class CtouchPointer {
  public:
    // Bits of state.
    enum : uint8_t { POINTER_DOWN = 1, POINTER_CHANGED = 2 };
    // x of a previous position that is not there.
    static constexpr float kNoPosition = -32000.0f;

    bool buttonIsDown() const { return (state & POINTER_DOWN) != 0; }
    bool buttonIsUp() const { return (state & POINTER_DOWN) == 0; }
    bool buttonJustClicked() const {
        return (state & (POINTER_DOWN | POINTER_CHANGED)) == (POINTER_DOWN | POINTER_CHANGED);
    }
    bool buttonJustReleased() const { return (state & (POINTER_DOWN | POINTER_CHANGED)) == POINTER_CHANGED; }
    // 1 presses, 0 releases; a real change also marks the state changed. Either way the
    // pointer counts as updated.
    void setMouseButtonState(int s);
    // Forgets that the pointer changed or moved: it has been processed.
    void buttonClearRecents();
    void _setMask(uint8_t bits) { state = static_cast<uint8_t>(state | bits); }

    // The pointer is at (x, y) of the display; nothing without a display. While the engine
    // runs, a pointer that comes to a display other than the interface's takes the interface
    // along (unless flag is set); a pointer new to a display starts without a jump.
    void mouseMoved(int x, int y, CgraphicsAPI* on);
    bool hasPrevious() const { return previous.x != kNoPosition; }
    void clearPrevious() { previous.x = kNoPosition; }

    uint8_t flag = 0;    // set: the interface stays on its display
    uint8_t updated = 0; // moved or pressed since last processed
    uint8_t state = 0;
    CgraphicsAPI* display = nullptr;
    Cvector2 previous{kNoPosition, 0.0f};
    Cvector2 current;
};
