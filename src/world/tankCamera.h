// The tank camera record, the pointers that drag and pinch a tank's view, and the input
// state of the shop that the camera and the picking code share.
#pragma once

#include <cstdint>

#include "support/mystring.h"
#include "support/vector.h"
#include "support/vector2.h"
#include "world/touchPointer.h"

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

// What the shop's input step keeps for the tanks' cameras and picking.
struct CtankInputState {
    CgraphicsAPI* interfaceDisplay = nullptr; // without a shop keeper: the display the pointer is on
    Cvariable* clickedThing = nullptr;        // picked at button-down
    float mouseButtonDownStartTime = 0.0f;    // seconds
    // Pointer travel since button-down, in display sizes (a sweep across the width is 1).
    float dragDistance = 0.0f;
};
extern CtankInputState tankInput;
// 1 when the last button-down found a pickable thing under the pointer, else 0.
extern int32_t clickTargetIsFish;

// The depth at which drags measure pointer motion.
extern float touchManipulationZplane;
