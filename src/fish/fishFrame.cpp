// One fish frame: the preparation, the pipeline, the speed model and the limits on the
// turn that the activities ask for.
#include <algorithm>
#include <cmath>

#include "fish/fish.h"
#include "support/cerr.h"
#include "support/fastRand.h"
#include "world/thingServices.h"

namespace {
constexpr float kPi = 3.14159265f;
constexpr float kDeg5 = 0.08726646f, kDeg10 = 0.1745329f, kDeg25 = 0.4363323f, kDeg30 = 0.5235988f;
constexpr float kDeg40 = 0.6981317f, kDeg50 = 0.8726646f, kDeg120 = 2.094395f;

// Clamps v into +-limit; true when it had to.
bool clampTo(float& v, float limit) {
    float c = std::clamp(v, -limit, limit);
    bool changed = c != v;
    v = c;
    return changed;
}
} // namespace

void Cfish::prepForCook() {
    groundChecks = obstacleChecks = 1;
    previousHeadingChange = headingChange;
    previousPitchChange = pitchChange;
    headingChange = pitchChange = flickPitch = 0.0f;
    if (uprightStrength < 1.0f) uprightStrength = std::min(uprightStrength + 0.1f, 1.0f);
    headTurn = 0.0f;
    extraYaw[0] = extraYaw[1] = extraYaw[2] = 0.0f;
    headFollow = 1.0f;
    finSpeed = 1.0f;
    minimumPitchChange = -1.0f;
    futureFresh = 0;
}

void Cfish::goFish(int display) {
    framesUpdated++;
    if (frameCounter % 12 == 0)
        for (uint16_t& m : markers)
            m = static_cast<uint16_t>(m >> 1);
    processMessages();
    if (tank == nullptr) {
        setExitError("fish doesn't belong to tank", 1);
        return;
    }
    contemplateOccasionalActivities();
    float samples[3] = {10.0f, 10.0f, 10.0f};
    if (groundChecks) {
        samples[0] = getTankLevelSetValue(0, 0.0f, 0.0f, 0.0f);
        samples[1] = getTankLevelSetValue(8, 0.0f, 0.0f, 0.0f);
        samples[2] = getTankLevelSetValue(4, 0.0f, -0.5f * safetyHeight, 0.0f);
    }
    reachedGotoGoal();
    if (samples[0] < 0.0f || samples[1] < 0.0f || samples[2] < 0.0f) tightJam();
    contemplateFlickTurn();
    addVisualAvoidanceObjects();
    updatePectorals();
    updateSpeed();
    strokeRate = std::max(bodySpeed, 1.0f);
    if (flickTurnRunning())
        updateFlickTurn();
    else
        finSpeed = std::clamp(bodySpeed, 0.0f, 1.0f);
    if (finRestlessCountdown-- <= 0) {
        float r = fastRandValues[fastRandSeedIndex++ & 31];
        finRestlessness = r * r;
        finRestlessCountdown = static_cast<int>(randRange(100.0f, 300.0f));
    }

    calcVertexMoveShift();
    calcVertexShift(strokeRate);
    getHeadAndTailAnticipatedPositions();
    limitHeadingPitchChange();
    slideCVsForward();
    pitchVelocity *= pitchVelocityDecay;
    changeVertexPitch(pitchVelocity + flickPitch);
    uprightCVs();
    interpolateVertexOrientationsFromCVs();
    calcVertexUntransformedPositions();
    rotateToAnticipatedPosition();
    transformVertices();
    float rise = (vertex[0].y - vertex[1].y) / segmentLength;
    currentPitch = std::asin(std::clamp(rise, -1.0f, 1.0f));

    bool push = contemplatePectoralPush();
    doAnimCycles(frameCounter);
    if (push) doPecPush(-0.1f * accumulatedSink);
    handleFins();
    animValuesToMatrices();
    if (workObject) workObject->doLevelSetSensors();
    calcEyes();
    if (display == 1 && displayed) {
        breathe();
        calcDisplay();
    }
    updateFutureIfNecessary();
    updateCollisionPlanes();
    frameCounter++;
}

void Cfish::breathe() {
    float t = static_cast<float>(frameCounter) * 0.25f;
    float s = std::sin(t);
    // The gill covers flare sideways and close again with every breath.
    gillMatrix[0].identity();
    gillMatrix[1].identity();
    gillMatrix[0].side *= 0.1f * s + 1.1f;
    gillMatrix[1].side *= 0.05f * s + 1.05f;
    gillOffset.set(0.005f * (1.0f + std::sin(s)), 0.0f, 0.0f);
    if (!biteCycle.active && !peckCycle.active)
        mouthOpening = 0.03f * std::max(0.0f, std::sin(t + 1.8f) + 0.7f);
    mouthUpdate = 1;
}

void Cfish::updateSpeed() {
    if (stroking) {
        bool goesOn = desiredBodySpeed + stopSwimmingOvershoot >= bodySpeed && bodyBend <= kDeg50 &&
                      desiredBodySpeed > minimumCycleBodySpeed && avoidCount < 3;
        if (goesOn) {
            if (strokeStrength < 0.9f) strokeStrength += swimAmpAdd;
        } else {
            stroking = 0;
        }
    }
    if (!stroking) {
        bool started = false;
        if (!flickTurnRunning() && 0.95f * desiredBodySpeed > bodySpeed) {
            bool bentTooFar = bodyBend >= kDeg40 && bodyBend + 4.0f * (bodyBend - previousBodyBend) >= kDeg40;
            if (!bentTooFar && desiredBodySpeed > minimumCycleBodySpeed && avoidCount <= 2) {
                stroking = 1;
                started = true;
                startStrokeFins();
                strokeThrust = bodySpeed;
                if (strokeStrength < 0.05f) {
                    strokeStrength = swimAmpAdd;
                    swimPhase =
                        vertexOrientation[4].side.dot(vertexOrientation[7].forward) > 0.0f ? 0.5f : 0.0f;
                }
            }
        }
        if (!started && strokeStrength > 0.0f) {
            strokeStrength = std::max(strokeStrength - 0.25f * swimAmpAdd, 0.0f);
            finClothFactor = 0.5f;
        }
    }
    if (strokeStrength > 0.1f && bodySpeed < swimOvershoot + desiredBodySpeed) {
        float thrust = (1.0f + swimOvershoot) * desiredBodySpeed * swimCycleRateMultiplier;
        strokeThrust = 0.4f * thrust + 0.6f * strokeThrust;
        bodySpeed = 0.95f * bodySpeed + thrust * strokeStrength * (1.0f - strokeEfficiency);
        if (strokeThrust > 3.0f)
            finClothFactor = 0.85f;
        else if (strokeThrust > 2.0f)
            finClothFactor = 0.8f;
        else if (strokeThrust > 1.0f)
            finClothFactor = 0.7f;
        else if (strokeThrust > 0.5f)
            finClothFactor = 0.6f;
    } else {
        bodySpeed *= glideFactor * (1.0f - 0.0003f * bodyBend);
    }
    realSpeed = bodySpeed * bodyLength;
}

void Cfish::_setDesiredBodySpeed(float s) {
    if (s > bodySpeed) setDrag(minimalDrag);
    setEyeMovement(s < 1.0f ? 3 : s <= 1.2f * speedTiers[0] ? 2 : 1);
    desiredBodySpeed = s;
}

void Cfish::limitPitchChange() {
    // Equal tiers would divide by zero: such a fish pitches as at race speed.
    float span = speedTiers[2] - speedTiers[0];
    float f = span > 0.0f ? std::clamp((bodySpeed - speedTiers[0]) / span, 0.0f, 1.0f) : 1.0f;
    float largest = kDeg40 + (maxPitchAtSpeed - kDeg40) * f;
    pitchChange = std::clamp(currentPitch + pitchChange, -largest, largest) - currentPitch;
}

void Cfish::limitHeadingPitchChange() {
    requestedHeadingChange = headingChange;
    savedPitchChange = pitchChange;
    clampTo(headingChange, kDeg30);
    clampTo(pitchChange, kDeg10);
    if (avoidCount >= 4) {
        headingChange = 0.3f * headingChange + 0.7f * previousHeadingChange;
        pitchChange = 0.3f * pitchChange + 0.7f * previousPitchChange;
    }
    if (avoiding) {
        if (std::fabs(requestedHeadingChange) > kDeg120) {
            if (bigTurnCount++ >= 10 && !flickTurnRunning() &&
                startFlickTurn(requestedHeadingChange >= 0.0f ? -kPi / 2 : kPi / 2))
                return;
        }
        headingChange =
            std::clamp(headingChange, previousHeadingChange - kDeg5, previousHeadingChange + kDeg5);
        pitchChange = std::clamp(pitchChange, previousPitchChange - kDeg5, previousPitchChange + kDeg5);
    }
    limitPitchChange();
    Cvector result;
    avoiding =
        static_cast<uint8_t>(avoidZone.getBestHeadingOrPitchChange(headingChange, pitchChange, 3.0f, result));
    bool steeringDone = false;
    if (avoiding) {
        float h = 0.05f * std::fabs(headingChange);
        uprightStrength *= 1.0f - h * h;
        headingChange = result.x;
        pitchChange = result.y;
        savedPitchChange = pitchChange * (bodySpeed < 1.0f ? bodySpeed : 1.0f);
        float clampedPitch = std::clamp(pitchChange + currentPitch, -0.7853982f, 1.047198f) - currentPitch;
        if (freeSteering) {
            steeringDone = true;
        } else {
            bool clamped = clampTo(headingChange, kDeg25);
            clamped = clampTo(pitchChange, kDeg10) || clamped;
            avoidCount = clamped ? avoidCount + 1 : 0;
            if (avoidCount >= 4) {
                emergencyLevel = static_cast<int>(result.z) + 1;
                pitchChange = 0.7f * clampedPitch;
                if (emergencyLevel <= 2 && bodyBend < kDeg50) {
                    if (emergencyLevel == 1)
                        wholeBodyBend = std::max(wholeBodyBend - 0.05f * bodySpeed, -0.3f);
                    else
                        wholeBodyBend = std::min(wholeBodyBend + 0.05f * bodySpeed, 0.3f);
                } else if (bodySpeed < 0.5f) {
                    savedPitchChange = pitchChange = -0.1f * currentPitch;
                    if (avoidCount % 40 == 0) startFlickTurn(randRange(0.0f, 1.0f) * kPi - kPi / 2);
                } else {
                    _setDesiredBodySpeed(std::min(desiredBodySpeed, 0.052f));
                }
            }
        }
    }
    if (!avoiding && !steeringDone) {
        clampTo(headingChange, kDeg25);
        clampTo(pitchChange, kDeg10);
        avoidCount = 0;
    }
    pitchChange = std::max(pitchChange, minimumPitchChange);
    freeSteering = 0;
    if (wholeBodyBend != 0.0f) {
        float step = 0.025f * bodySpeed;
        if (std::fabs(wholeBodyBend) <= step)
            wholeBodyBend = 0.0f;
        else
            wholeBodyBend -= wholeBodyBend > 0.0f ? step : -step;
    }
    bendWholeBody(wholeBodyBend);
    limitPitchChange();
    headPitchChange = pitchChange * spinePitchCurvature;
    float moved = -moveShift;
    headingLean = 0.7f * headingChange * moved;
    if (std::fabs(requestedHeadingChange) > 0.0001f && headingLean / requestedHeadingChange > 0.1f)
        headingLean = 0.1f * requestedHeadingChange;
    pitchLean = 0.7f * pitchChange * moved;
    if (std::fabs(savedPitchChange) > 0.0001f && pitchLean / savedPitchChange > 0.1f)
        pitchLean = 0.1f * savedPitchChange;
}
