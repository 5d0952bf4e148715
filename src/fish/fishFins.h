// A fish's fin state: the animated values that bend its cloth fins, the springs and
// chains of the skeleton-matrix fins, and the species controllers they feed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "script/animValue.h"
#include "script/chanController.h"
#include "script/matrixControllerManager.h"
#include "support/matrix3.h"

// A raise that travels down a fin one segment per frame: a ring of past values read with a
// growing age along the segments. The skeleton binds the segments' matrices, so they are
// sized once, when the skeleton is built, and never move after.
class CfinChain {
  public:
    // n segments (0 or less turns the chain off) whose weights rise from 1/n to 1.
    void setup(int n);
    // Pushes value and turns each segment's matrix by the value it saw k frames ago.
    void advance(float value);

    int count = 0;
    int index = 0;
    std::vector<float> ring, weights;
    std::vector<Cmatrix3> matrices;
};

class CfinState {
  public:
    // ---- cloth fins
    CanimValue dorsalLiftA, dorsalLiftB, dorsalRest;
    CanimValue wagRamp, wagSpeed, wagAmplitude;
    CanimValue clothParam1, clothParam2;
    float wagPhase = 0.0f;
    int undulateCountdown = 0;
    int flutterCounter = 0;
    CanimValue analLiftA, analLiftB;
    float analRest = 0.0f;
    CanimValue caudalStrength, caudalSpread, caudalBend, caudalStiffness;
    CanimValue caudalSpeed, caudalAmplitude;
    float caudalBendTwoAgo = 0.0f, caudalBendLast = 0.0f;
    float caudalPhase = 0.0f;
    int relaxCountdown = 0;
    // Added to the tail's wagged links: the pitch tilt at [1], zeros after.
    static constexpr size_t kCaudalExtraValues = 64;
    float caudalExtra[kCaudalExtraValues] = {};
    int pelvicCountdown[2] = {0, 0};
    float finPhase = 0.0f, finCycle = 0.0f; // body speed / 30 and 0.02 per frame

    // ---- species controllers (null when the species has none)
    CchanController* dorsalPre = nullptr;
    CfinLiftController *dorsalLift = nullptr, *analLift = nullptr, *caudalLift = nullptr;
    CfinWagController *dorsalWag = nullptr, *analWag = nullptr;
    CcaudalWagController* caudalWag = nullptr;
    float dorsalCells = 0.0f, analCells = 0.0f, caudalCells = 0.0f;
    int dorsalCloth = -1, analCloth = -1, caudalCloth = -1;

    // ---- controls of the controller rig (owned by the fish's control directory)
    uint8_t controllerRig = 0;
    CanimValue* pelvicControl[2] = {nullptr, nullptr};
    CanimValue* pecControl[2] = {nullptr, nullptr};
    CanimValue *pecLagTop = nullptr, *pecLagBottom = nullptr;
    CanimValue* pecTopZ[2] = {nullptr, nullptr};
    CanimValue* pecBottomZ[2] = {nullptr, nullptr};
    CanimValue* pecTopX[2] = {nullptr, nullptr};
    CanimValue* pecBottomX[2] = {nullptr, nullptr};
    CbufferedDelayAnimValue* pecTopY[2] = {nullptr, nullptr};
    CbufferedDelayAnimValue* pecBottomY[2] = {nullptr, nullptr};
    CmatrixAngleDifferenceVar* caudalAngles[5] = {};

    // ---- matrix rig
    float pelvicPosition = 0.0f, pelvicVelocity = 0.0f;
    float dorsalPosition = 0.0f, dorsalVelocity = 0.0f, analPosition = 0.0f, analVelocity = 0.0f;
    float finPitchGain = 0.1f; // 1 - dorsalInertia, set after the species script
    // Left root, left tip, right root, right tip, then the segment trailing each of those
    // by a frame; the skeleton's pelvic joints read them in this order.
    Cmatrix3 pelvicMatrix[8];
    CfinChain dorsalChain, analChain;
};
