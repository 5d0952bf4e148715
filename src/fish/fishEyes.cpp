// The eyes: every so many frames each eye jumps to a new gaze chosen by the eye mode.
#include <algorithm>
#include <cmath>

#include "fish/fish.h"
#include "support/cerr.h"
#include "support/fastRand.h"

namespace {
float nextFastRandom() {
    return fastRandValues[fastRandSeedIndex++ & 31];
}
} // namespace

void Cfish::Ceye::initEye(Cmatrix_4* jointMatrix, Cvector const& at, float angle, float sign) {
    matrix = jointMatrix;
    position = at;
    sideAngle = angle;
    sideSign = sign;
    heading = pitch = 0.0f;
    localRotation.identity();
    VTRACE(1, "init eye");
}

void Cfish::Ceye::calcMatrix() {
    localRotation.identity();
    localRotation.rotateAroundUp(heading);
    localRotation.rotateAroundForward(pitch);
}

void Cfish::initEyes() {
    eyeCountdown = 1;
    framesSinceGlance = 100;
    eyeMode = EYES_ANYWHERE;
    eyeModeHold = 0;
    for (Ceye& e : eyes)
        e.calcMatrix();
}

void Cfish::setEyeMovement(int mode, int holdFrames) {
    if (framesInEyeMode < eyeModeHold) return;
    eyeModeHold = holdFrames;
    framesInEyeMode = 0;
    eyeMode = std::clamp(mode, 0, 3);
    // A held mode shows within 8 frames of the last glance.
    if (holdFrames != 0)
        eyeCountdown = static_cast<int16_t>(framesSinceGlance < 9 ? 8 - framesSinceGlance : 0);
}

void Cfish::calcEyes() {
    eyeCountdown--;
    if (framesSinceGlance < INT16_MAX) framesSinceGlance++;
    framesInEyeMode++;
    if (eyeCountdown > 0) return;

    float h = 0.0f, v = 0.0f;
    switch (eyeMode) {
    case EYES_AHEAD:
        h = 1.0f, v = std::clamp(pitchChange, -0.5f, 0.5f);
        break;
    case EYES_FORWARD_GLANCES:
        h = nextFastRandom(), v = nextFastRandom() - 0.5f;
        break;
    case EYES_ANYWHERE: {
        h = 2.0f * nextFastRandom() - 1.0f, v = 2.0f * nextFastRandom() - 1.0f;
        float sum = std::abs(h) + std::abs(v);
        if (sum > 1.0f) h /= sum, v /= sum;
        break;
    }
    default:
        break;
    }
    float heading = h * eyeHeadingMult, pitch = v * eyePitchMult;
    auto clampHeading = [this](float x) {
        return std::clamp(x, -eyeHeadingBackClamp, eyeHeadingForwardClamp);
    };
    if (heading > 0.0f) {
        // Both eyes look the same way: their frames are mirror images.
        eyes[1].heading = clampHeading(heading);
        eyes[0].heading = -clampHeading(heading);
    } else {
        if (nextFastRandom() < 0.5f) heading = -heading;
        eyes[0].heading = -clampHeading(heading);
        eyes[1].heading = clampHeading(-heading);
    }
    float frames = std::floor((nextFastRandom() + 0.5f) * eyeAvgShiftFrames);
    eyeCountdown = static_cast<int16_t>(frames >= 1.0f ? std::min(frames, 32767.0f) : 1.0f);
    float p = std::clamp(pitch, -eyePitchDownClamp, eyePitchUpClamp);
    eyes[0].pitch = p;
    eyes[1].pitch = -p;
    for (Ceye& e : eyes)
        e.calcMatrix();
    framesSinceGlance = 0;
}
