// The tank camera record, the pointers that drag and pinch a tank's view, and the input
// state of the shop that the camera and the picking code share.
#pragma once

#include <cstdint>

#include "support/mystring.h"
#include "support/vector.h"
#include "support/vector2.h"

class CarrayVar;
class CgraphicsAPI;
class Cvariable;

// Camera behaviours.
enum : short { CAM_STATIC = 0, CAM_MOUSE = 1, CAM_FOLLOW_FISH = 2 };

class Ccamera {
  public:
    Ccamera();
    // Reads "number name x y z dx dy dz fov pin behaviour" (the choice value first); 1 when
    // filled, 0 for a null or misshapen array ("bad cam", camera unchanged).
    int fillFromCameraArray(CarrayVar* array, float scale);
    void showCamera() const;

    Cstring name;
    Cvector camPos{0.0f, 0.0f, 6.0f};
    Cvector direction{0.0f, 0.0f, -1.0f};
    Cvector up{0.0f, 1.0f, 0.0f};
    float fovy = 0.0f;
    float fovMaxDim = 0.0f;
    float dimensionPin = 0.0f;
    uint8_t behavior = 0;
    uint8_t containmentCount = 0;
    uint8_t allowLetterboxing = 1;
};

// One pointer (mouse or touch) in pixels of its display.
struct CtouchPointer {
    Cvector2 previous, current;
    CgraphicsAPI* display = nullptr;
    int buttonDown = 0;
    void setMouseButtonState(int down) { buttonDown = down; }
    // The pointer is now at (x, y) of the display; the first position seen on a display
    // is its own previous one, so a pointer arriving from elsewhere makes no jump.
    void mouseMoved(float x, float y, CgraphicsAPI* on) {
        if (on == nullptr) return;
        previous = on == display ? current : Cvector2(x, y);
        current = Cvector2(x, y);
        display = on;
    }
};

// What the shop's input step keeps for the tanks' cameras and picking.
struct CtankInputState {
    CgraphicsAPI* interfaceDisplay = nullptr; // without a shop keeper: the display the pointer is on
    Cvariable* clickedThing = nullptr;        // picked at button-down
    float mouseButtonDownStartTime = 0.0f;    // seconds
    float dragDistance = 0.0f;                // pixels dragged since button-down
    uint8_t endOfEmulatedPinch = 0;           // the scroll wheel's pinch ends this frame
    uint8_t realMousePointerOn = 0;
    int graceSecondsRequests = 0; // times the sequence rotation was delayed
    CtouchPointer pointer;        // the mouse, in pixels of its display (y upward)
};
extern CtankInputState tankInput;
// 1 when the last button-down found a pickable thing under the pointer, else 0.
extern int32_t clickTargetIsFish;

// The depth at which drags measure pointer motion.
extern float touchManipulationZplane;
