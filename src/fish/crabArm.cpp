// The crab's feeding arm, which picks at the floor while it grazes and brings what it
// found to the mouth, and the mouth parts that chew.
#include <algorithm>
#include <cmath>

#include "fish/crab.h"
#include "support/fastRand.h"

namespace {
constexpr float kPi = 3.14159265f;
constexpr float kTwoPi = 6.28318531f;
// How far the little claw opens, and how much it moves a frame.
constexpr float kLittleClawOpen = 0.4f;
constexpr float kLittleClawStep = 0.134f;

float rnd() {
    return randRange(0.0f, 1.0f);
}
float rndPm() {
    return fastRandneg1to1();
}
} // namespace

bool Ccrab::tryFoodGrab(Cvector& point) {
    float s = thingScale;
    point = handHome + sideAxis() * (reachOffset + 0.1f * s) + lastMotion * 10.0f - upAxis() * (0.35f * s);
    float floor = 0.0f;
    if (!floorHeight(point.x, point.z, floor)) return false;
    point.y = floor;
    return (point - mouthPoint).length() < 1.9f * armLength;
}

void Ccrab::moveHandToPoint(Cvector const& point, float frames, float arcHeight, bool worldFixed, bool grab) {
    reach.start = handPos;
    reach.point = point;
    reach.progress = 0.0f;
    reach.rate = 1.0f / std::max(frames, 1.0f);
    reach.arcHeight = arcHeight;
    reach.worldFixed = worldFixed ? 1 : 0;
    reach.grab = grab ? 1 : 0;
    reach.active = 1;
    if (grab) littleClawMotion = 1;
}

void Ccrab::stopReach() {
    reach.active = 0;
}

bool Ccrab::moveHand() {
    bool completed = false;
    if (reach.active) {
        reach.progress += reach.rate;
        float t = reach.progress;
        Cvector target = reach.worldFixed ? toBody(reach.point - handHome) : reach.point;
        if (t < 0.99f) {
            handPos = reach.start + (target - reach.start) * ((3.0f - 2.0f * t) * t * t);
            if (reach.arcHeight != 0.0f) handPos.y += std::sin(t * kPi) * reach.arcHeight;
            if (t > 1.0f - reach.rate) littleClawMotion = reach.grab ? -1 : 1;
        } else {
            stopReach();
            handPos = target;
            completed = true;
        }
    }
    handTarget = handHome + toWorld(handPos);
    return completed;
}

void Ccrab::changeLittleClaw() {
    if (littleClawMotion > 0) {
        littleClawOpening += kLittleClawStep;
        if (littleClawOpening >= kLittleClawOpen) littleClawOpening = kLittleClawOpen, littleClawMotion = 0;
    } else if (littleClawMotion < 0) {
        littleClawOpening -= kLittleClawStep;
        if (littleClawOpening <= 0.0f) littleClawOpening = 0.0f, littleClawMotion = 0;
    }
}

void Ccrab::littleArmHandler() {
    float s = thingScale;
    if (armState == 0 && armCountdown-- <= 0) {
        float inc = (rnd() + 0.3f) * (-0.06f * s);
        if (reachOffset + inc < -0.2f * s) inc = 0.2f * s;
        reachOffset += inc;
        bool tried = false, grab = false;
        Cvector point;
        if (activity == GRAZING || activity == SHIFT_TO_NEXT_GRAZE_POINT) {
            tried = true;
            grab = tryFoodGrab(point);
            if (!grab) {
                reachOffset = 0.0f;
                grab = tryFoodGrab(point);
            }
        }
        if (grab) {
            if (armRetry)
                moveHandToPoint(point, 4.0f + 20.0f * std::fabs(inc) / s, (rnd() + 1.0f) * 0.02f * s, true,
                                true);
            else
                moveHandToPoint(point, 10.0f, 0.0f, true, true);
            armRetry = 1;
            littleClawMotion = 1;
            armState = 1;
        } else {
            float frames = 30.0f, lower = 0.3f;
            if (!armRetry) frames = rnd() * 20.0f + 5.0f, lower = rnd() * 0.05f + 0.075f;
            moveHandToPoint(Cvector(rnd() * 0.05f * s, -lower * s, 0.0f), frames, 0.0f, false, false);
            armCountdown = tried ? static_cast<int32_t>(rnd() * 10.0f + frames) : 0;
            // Two failed tries end the graze bout.
            if (tried) activityTimer = 0;
            reachOffset = 0.0f;
            littleClawMotion = -1;
            armRetry = 0;
        }
    }
    bool arrived = moveHand();
    changeLittleClaw();
    if (!arrived) return;
    if (armState == 1) {
        if (rnd() >= 0.7f) {
            armState = 3;
            moveHandToPoint(toBody(mouthPoint - handHome), 10.0f, 0.02f * s, false, false);
        } else {
            armState = 0;
            armCountdown = 2;
        }
    } else if (armState == 3) {
        moveHandToPoint(Cvector(), 10.0f, 0.0f, false, false);
        armRetry = 0;
        armState = 4;
        munchNewFood(5, 40, 0.4f);
    } else if (armState == 4) {
        armState = 0;
    }
}

void Ccrab::munchNewFood(int delay, int chews, float spread) {
    bool idle = chewsLeft <= 0;
    chewsLeft = static_cast<int32_t>(
        std::floor(rndPm() * spread * static_cast<float>(chews) + static_cast<float>(chews)));
    if (idle) {
        chewDelay = delay;
        chewRate = 1.0f;
    }
}

void Ccrab::munchFood() {
    if (chewDelay > 0) {
        chewDelay--;
    } else {
        chewPhase += chewRate;
        if (chewPhase > kTwoPi) {
            chewPhase -= kTwoPi;
            chewsLeft--;
            if (chewsLeft > 0) {
                chewRate = chewsLeft < 21 ? rnd() * 0.3f + 0.7f : rnd() * 0.3f + 1.0f;
            } else {
                chewsLeft = 0;
                chewPhase = 0.0f;
                chewRate = 0.0f;
                if (rnd() < 0.5f) munchNewFood(5, 20, 0.5f);
            }
        }
    }
    if (joints.size() <= kCrabMouthB) return;
    float turn = std::fmin(0.0f, std::sin(chewPhase) * 0.25f - 0.05f) * chewRate;
    joints[kCrabMouthA].identity();
    joints[kCrabMouthA].rotateAroundForward(turn);
    joints[kCrabMouthB].identity();
    joints[kCrabMouthB].rotateAroundForward(-turn);
}
