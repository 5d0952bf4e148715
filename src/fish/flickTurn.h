// The state of a fish's flick turn: the fast, body-bending turn shaped by the species'
// flick arrays.
#pragma once

#include <cstdint>

#include "support/vector.h"

class CdataArray;

class CflickState {
  public:
    static constexpr int kFlickFuture = 16;

    int32_t isFlicking = 0;
    float flickAngle = 0.0f;       // clamped heading change, radians
    float flickPitchFactor = 0.0f; // the caller's pitch argument
    float flickProgress = 0.0f;    // from -rate/2 up to the end progress
    float flickRate = 0.15f;       // progress per frame
    float flickStrength = 0.9f;
    float flickStartSpeed = 0.0f;
    float flickCentreStart = 0.0f, flickSecondCentre = 0.0f;
    float flickMuscleSpeed = 0.0f;
    float flickEndProgress = 1.0f;
    float flickSideShift = 0.0f; // per frame along the side of body vertex 5
    float residualTurn = 0.0f;
    int32_t flickFrameCount = 0;
    float flickPitchValue = 0.0f, flickPitchDelta = 0.0f;
    float flickBlend[2] = {0.0f, 0.0f};
    float flickFinValue = 0.0f;      // the pelvic fins' share of the flick
    CdataArray* flickChan = nullptr; // the chosen flick ramp
    Cvector predictedEndPoint;
    Cvector flickFuture[kFlickFuture];

    // Steering inputs the activities set.
    int steerHoldFrames = 0;
    float idlePitchTarget = 0.0f;
    uint8_t forceFlick = 0;
    // At or above the flick speed threshold: row 0 of the heading band at 0.5 or more.
    float flickBandSelector = 1.0f;
};
