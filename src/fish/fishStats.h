// A fish's tuning values and counters: the species keys with their defaults and the fixed
// values of every fish. Lengths and speeds are in body lengths, angles in radians.
#pragma once

#include <cstdint>

#include "support/vector.h"

// Capacity of the per-fish body arrays; a body uses its first bodyPoints entries.
constexpr int kMaxBodyPoints = 50;
constexpr int kFuturePositions = 10;

class CfishStats {
  public:
    CfishStats() = default;

    // ---- species keys (registered by name on the fish)
    Cvector startPos{0.0f, 0.0f, 0.0f};
    float startHeading = 0.0f;
    float startPitch = 0.0f;
    float startRoll = 0.0f;
    float initialSpeed = 1.0f;
    float proxySphereSize = 0.15f; // species value; the scaled one is proxyRadius
    float safetyHeight = 0.2f;     // species value; the scaled one is safetyClearance
    float avgSpeed = 1.333f;
    float moseyHustleRaceBurst[5] = {-1.0f, 0.0f, 0.0f, 0.0f, 0.0f};
    float speciesFlickSpeed = 1.0f;
    float dorsalInertia = 0.9f;
    float dorsalFlickMult = 1.0f;
    float pitchFinAmp = 1.0f;
    float pelvicInertia = 0.9f;
    float pelvicRest = 0.5f;
    float pelvicFlickMult = 1.0f;
    float pelvicMin = 0.0f;
    float pelvicPushMult = 1.0f;
    float pelvicBodySpeed = 0.1f;
    float flickBodySpeedThres = 1.0f;
    float minimumCycleBodySpeed = 1.0f;
    float pectoralPitchVelocityMult = 1.0f;
    float swimOvershoot = 0.2f;
    float stopSwimmingOvershoot = 0.2f;
    float mouthGape = 2.7f;
    float pectoralSpeedChange = 0.5f;
    float swimAmpMultiplier = 1.0f;
    float swimAmpAdd = 0.2f;
    float swimCycleRateMultiplier = 1.3f;
    float flickTurnFinDown = 0.0f;
    float dorsalAnalPitchChangeEffect = 2.0f;
    float minimalDrag = 0.1f;
    float eyeHeadingMult = 0.1f, eyePitchMult = 0.1f;
    float eyeHeadingForwardClamp = 0.1f, eyeHeadingBackClamp = 0.06f;
    float eyePitchUpClamp = 0.05f, eyePitchDownClamp = 0.05f;
    float eyeAvgShiftFrames = 30.0f;
    float spineScale = 1.0f;
    float spinePitchCurvature = 0.5f;
    float pooInfo[3] = {4.0f, -0.1f, 0.15f};

    // ---- fixed values and what derives from them
    int bodyPoints = 10;
    int lastPoint = 9;
    float bodyPointsF = 10.0f, lastPointF = 9.0f;
    float bodyLength = 1.0f;
    float segmentLength = 1.0f / 9.0f;
    float proxyRadius = 0.15f;
    float safetyClearance = 0.2f;
    float flickTurnFactor = 1.0f;
    float avoidanceRangeSquared = 4.0f;
    float drag = 0.01f;
    float glideFactor = 0.99f;
    float rightingGain = -0.15f;
    float maxRightingAngle = 0.1745329f;
    float pitchVelocityDecay = 0.85f;
    float driftDecay = 0.85f;
    float pitchVelocityDecayRatio = 0.0f, driftDecayRatio = 0.0f;
    float strokeEfficiency = 0.9f;
    float maxPitchAtSpeed = 1.3f;
    float speedTiers[5] = {0, 0, 0, 0, 0};
    float finRestlessness = 0.0f;
    int finRestlessCountdown = -1;
};
