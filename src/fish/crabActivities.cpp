// The crab's activity machine: grazing in bouts, graze points, relocation walks, pauses,
// food bits, chasing fish, the end of a walk and getting away from the floor's edge.
#include <cmath>

#include "data/dataArray.h"
#include "fish/crab.h"
#include "fish/fish.h"
#include "graphics/workObject.h"
#include "support/fastRand.h"
#include "world/thingServices.h"

namespace {
constexpr float kPi = 3.14159265f;
// Things the crab looks at around itself at once.
constexpr int kNearCapacity = 64;
// Squared distance within which the crab notices fish.
constexpr float kNoticeRange = 2.0f;

float rnd() {
    return randRange(0.0f, 1.0f);
}
float rndPm() {
    return fastRandneg1to1();
}
} // namespace

// ---- small services ----

Cvector Ccrab::toBody(Cvector const& world) const {
    Cvector v = world;
    v /= joints.empty() ? bodyRotation : joints[0];
    return v;
}

Cvector Ccrab::toWorld(Cvector const& body) const {
    Cvector v = body;
    v *= joints.empty() ? bodyRotation : joints[0];
    return v;
}

Cvector Ccrab::flattenedTarget(Cvector const& f) const {
    Cvector d = toBody(f - pos);
    d.y = 0.0f;
    return pos + toWorld(d);
}

float Ccrab::floorWalkable(float x, float z) const {
    auto const* image = dynamic_cast<CdataImage const*>(extrasImage);
    if (image == nullptr || !std::isfinite(x) || !std::isfinite(z)) return 0.0f;
    float v = 0.0f;
    image->getValues(x, z, &v, 1u);
    return v;
}

float Ccrab::getNogoAngle(Cmatrix3 const& m, float turn, float sideDistance) const {
    Cmatrix3 c = m;
    c.rotateAroundUp(turn);
    Cvector at = pos + c.side * (sideDistance * thingScale);
    return floorWalkable(at.x, at.z);
}

float Ccrab::obstacleLevelAt(Cvector const& p) {
    CframeSources* sources = workOwner.frameSources();
    if (sources == nullptr) return tank ? tank->levelSetAt(p) : 10.0f;
    if (CdataVolume const* volume = sources->levelSet()) {
        float level = 10.0f;
        volume->getValues(p, &level, 1u);
        return level;
    }
    return sources->sphereLevelSet(p);
}

int Ccrab::pointAccessible(Cvector const& p, float maxDistSq, float maxRise, float sideMargin) const {
    Cvector d = p - pos;
    if (!(d.lengthSquared() < maxDistSq)) return 0;
    float along = d.z / (std::fabs(d.x) + sideMargin);
    if (!(along > -0.5f && along < 0.5f)) return 1;
    return d.y >= maxRise ? 2 : 3;
}

// ---- walks ----

void Ccrab::crabGoToPoint(Cvector const& target, float speed) {
    gotoTarget = target;
    gotoSpeed = speed;
    gotoSteps = 0;
    gotoSlowNear = 1;
    slowed = 0;
    // Queued moves never pile up: walks may start faster than the twist unwinds.
    bodyTwist->clearFuture();
    bodyTwist->setNextMove(0.0f, 30.0f, CURVE_SMOOTHSTEP);
}

void Ccrab::crabEndGoto(int reason) {
    slowed = 0;
    if (activity == CHASING || activity == RECHASE) {
        if (reason != REACHED_TARGET) {
            relaxGrabbyClaw();
            abortChase();
        } else {
            float dx = pos.x - gotoTarget.x, dz = pos.z - gotoTarget.z;
            if (dx * dx + dz * dz >= thingScale)
                relaxGrabbyClaw();
            else
                activityUponArrival = RECHASE;
        }
    }
    if (activity == MOVING) {
        grazeDirection = turnSign;
        if (reason == HIT_EDGE) {
            grazeDirection = -turnSign;
            if (activityUponArrival == RELOCATE) activityUponArrival = GRAZING;
        }
    }
    activity = activityUponArrival;
    if (activity == PAUSE) {
        doSomePauseEvent(20, 50);
        activityUponArrival = GRAZING;
    } else if (activity == GRAZING) {
        startGrazing();
    }
    gotoTarget.x = kNoWalk;
}

void Ccrab::startGrazing() {
    activityTimer = static_cast<int32_t>(rnd() * 120.0f + 20.0f);
    bigClaw->setMove(0.0f, 10.0f, CURVE_SMOOTHSTEP, 1);
}

void Ccrab::doSomePauseEvent(int minFrames, int maxFrames) {
    activity = PAUSE;
    activityTimer = static_cast<int32_t>(static_cast<float>(maxFrames - minFrames) * rnd() +
                                         static_cast<float>(minFrames));
    if (activityTimer >= 41) bodyTwist->setMove(rndPm() * 0.15f, 15.0f, CURVE_SMOOTHSTEP, 1);
    if (rnd() < 0.2f) {
        bool second = rnd() > 0.5f;
        CanimValue* g = glance[second ? 1 : 0];
        float to = second ? 1.4f : -1.4f;
        g->clearFuture();
        g->setNextMove(to, 8.0f, CURVE_SMOOTHSTEP);
        g->setNextMove(to, rnd() * 10.0f + 10.0f, CURVE_LINEAR);
        g->setNextMove(0.0f, rnd() * 6.0f + 15.0f, CURVE_SMOOTHSTEP);
    }
}

void Ccrab::pickRandomDestPos() {
    crabGoToPoint(Cvector(rndPm() * 7.0f, 0.0f, rndPm() * 3.0f), 0.02f);
}

void Ccrab::pickRandomDestPos(float side, float spread, float speed) {
    crabGoToPoint(pos + toWorld(Cvector(side, 0.0f, rndPm() * spread * std::fabs(side))), speed);
}

int Ccrab::findFoodBit() {
    for (size_t i = 0; i < foodBits.size(); i++) {
        Cvector bit = foodBits[i];
        if (pointAccessible(bit, 16.0f, 999.0f, 0.1f) != 3) continue;
        foodBits.erase(foodBits.begin() + static_cast<std::ptrdiff_t>(i));
        crabGoToPoint(bit, 0.035f * thingScale);
        activity = MOVING;
        activityUponArrival = GRAZING;
        return 1;
    }
    return 0;
}

void Ccrab::findUnstuckRotation() {
    Cmatrix3 const& m = heading();
    float h = std::atan2(m.forward.x, m.forward.z);
    Cmatrix3 facing = m;
    facing.rotateAroundUp(-h);
    float best = 0.0f, winner = 0.0f;
    for (float side : {-1.0f, 1.0f})
        for (float turn : {-0.1f, 0.1f}) {
            float v = getNogoAngle(facing, turn, side);
            if (v > best) best = v, winner = turn;
        }
    unstuckRotation = (winner - h) * 0.05f;
    unstuckFrames = 20;
}

// ---- chases ----

void Ccrab::abortChase() {
    if (chaseThing) clearRelationshipType(NATURE_CRAB_CHASE);
}

void Ccrab::relaxGrabbyClaw() {
    if (rnd() >= 0.99f) {
        bigClaw->setNextMove(0.0f, rnd() * 40.0f + 20.0f, CURVE_SMOOTHSTEP);
    } else {
        float v = bigClaw->ownValue;
        bigClaw->setNextMove(v * 0.35f, rnd() * 10.0f + 20.0f, CURVE_SMOOTHSTEP);
        bigClaw->setNextMove(v * 0.35f, rnd() * 10.0f + 10.0f, CURVE_SMOOTHSTEP);
        bigClaw->setNextMove(0.0f, rnd() * 10.0f + 7.0f, CURVE_SMOOTHSTEP);
    }
    clawPinch->setNextMove(0.0f, rnd() * 10.0f + 5.0f, CURVE_SMOOTHSTEP);
    bodyLift->setNextMove(0.0f, 15.0f, CURVE_SMOOTHSTEP);
    activityUponArrival = CALM_DOWN_AFTER_CHASE;
}

void Ccrab::snapClaw() {
    clawPinch->setMove(rnd() * 0.4f + 0.3f, 13.0f, CURVE_LINEAR, 1);
    clawPinch->setNextMove(-0.1f, rnd() * 6.0f + 4.0f, CURVE_LINEAR);
    clawPinch->setNextMove(0.0f, rnd() * 4.0f + 3.0f, CURVE_LINEAR);
}

void Ccrab::chaseStep() {
    legTimeFactor = 5.0f;
    Cvector f;
    if (chaseThing) chaseThing->getMidPos(f);
    if (activity == RECHASE) {
        if (chaseThing && std::fabs(toBody(f - pos).x) > 0.5f * thingScale) {
            crabGoToPoint(f, 0.03f);
            activity = CHASING;
        }
    } else if (!slowed && framesUpdated % 5 == 0 && chaseThing) {
        gotoTarget = flattenedTarget(f);
    }
    if (bigClaw->ownValue > 0.5f) {
        // The claw closes before it reaches into a rock.
        Cvector tip;
        if (workObject && static_cast<int>(workObject->matrixPoints.size()) > kCrabClawTip) {
            workObject->matrixPoints[kCrabClawTip].getWorldMatrixPos(tip);
            if (obstacleLevelAt(tip) < 0.1f) {
                bigClaw->setMove(0.0f, 30.0f, CURVE_SMOOTHSTEP, 1);
                clawPinch->setMove(0.0f, 10.0f, CURVE_SMOOTHSTEP, 1);
                clawPinch->setNextMove(0.0f, 30.0f, CURVE_SMOOTHSTEP);
                bodyLift->setMove(0.0f, 15.0f, CURVE_SMOOTHSTEP, 1);
            }
        }
    }
    if (bigClaw->ownValue > 0.5f && tank) {
        Cthing* near[kNearCapacity];
        float distances[kNearCapacity];
        int n = tank->avoidanceList(this, kNoticeRange, near, distances, kNearCapacity);
        for (int i = 0; i < n; i++) {
            auto* fish = dynamic_cast<Cfish*>(near[i]);
            if (fish == nullptr || near[i]->whatAmI() != WHAT_FISH || fish->dying ||
                fish->activity == Cfish::ACTIVITY_CHASED)
                continue;
            fish->startled(pos);
            fish->setAvoidForFrames(60);
            fish->fleeDistance = 4.0f;
        }
    }
    if (chaseThing && pointAccessible(f, 9.0f, 3.0f * thingScale, thingScale) < 2) abortChase();
    if (!clawPinch->active) {
        snapClaw();
        float r = rndPm() * 0.4f + 2.0f;
        // The claw may snap faster than it swings: only the newest swing waits.
        bigClaw->clearFuture();
        bigClaw->setNextMove(r, rnd() * 6.0f + 12.0f, CURVE_SMOOTHSTEP);
        bigClaw->setNextMove(r - 0.4f, 10.0f, CURVE_SMOOTHSTEP);
        bodyLift->setMove(0.05f * thingScale, 10.0f, CURVE_SMOOTHSTEP, 1);
        bodyLift->setNextMove(0.1f * thingScale, 10.0f, CURVE_SMOOTHSTEP);
        bodyLift->setNextMove(0.05f * thingScale, 15.0f, CURVE_SMOOTHSTEP);
    }
}

void Ccrab::lookForFishToChase() {
    if (tank == nullptr) return;
    Cthing* near[kNearCapacity];
    float distances[kNearCapacity];
    int n = tank->avoidanceList(this, kNoticeRange, near, distances, kNearCapacity);
    for (int i = 0; i < n; i++) {
        Cthing* t = near[i];
        Cvector f;
        t->getMidPos(f);
        if (pointAccessible(f, 3.0f, 2.0f * thingScale, 0.5f * thingScale) != 3) continue;
        if (floorWalkable(f.x, f.z) <= 0.5f || t->whatAmI() != WHAT_FISH) continue;
        setRelationshipWith2(t, NATURE_CRAB_CHASE);
        chaseThing = t;
        crabGoToPoint(flattenedTarget(f), 0.04f);
        activity = CHASING;
        activityUponArrival = CALM_DOWN_AFTER_CHASE;
        chaseTimer = 60;
        clawReach->setMove(f.x >= pos.x ? 0.7f : 1.0f, 5.0f, CURVE_LINEAR, 1);
        bigClaw->setMove(2.0f, 25.0f, CURVE_SMOOTHSTEP, 1);
        snapClaw();
        bodyLift->setMove(0.0f, 10.0f, CURVE_SMOOTHSTEP, 1);
        bodyLift->setNextMove(0.1f * thingScale, 10.0f, CURVE_SMOOTHSTEP);
        bodyLift->setNextMove(0.05f * thingScale, 15.0f, CURVE_SMOOTHSTEP);
        legTimeFactor = 5.0f;
        moveHandToPoint(Cvector(), 15.0f, 0.0f, false, false);
        return;
    }
}

// ---- grazing and relocation ----

void Ccrab::grazeStep(bool& walkOnly) {
    strideScale = 0.5f;
    if (gotoTarget.x != kNoWalk) crabEndGoto(START_GRAZING);
    if (activityTimer >= 1) {
        activityTimer--;
        return;
    }
    int boutsBefore = grazeBouts--;
    float r = rnd();
    if (boutsBefore < 1) {
        grazeBouts = static_cast<int32_t>(rnd() * 6.0f + 3.0f);
        if (findFoodBit()) {
            grazeBouts = 1;
        } else if (r >= 0.5f) {
            crabGoToPoint(pos + toWorld(Cvector(0.5f * grazeDirection * thingScale, 0.0f, 0.3f * thingScale)),
                          0.035f * thingScale);
            grazeDirection = -grazeDirection;
            activity = GRAZE_REORIENT;
            activityUponArrival = GRAZING;
        } else {
            relocateCount = 4;
            activity = RELOCATE;
        }
        startGrazing();
        return;
    }
    if (r < 0.5f && foodBits.empty()) {
        doSomePauseEvent(20, 90);
        activityUponArrival = GRAZING;
        return;
    }
    crabGoToPoint(pos + toWorld(Cvector((rnd() * 0.2f + 0.04f) * grazeDirection, 0.0f, 0.0f)), 0.02f);
    activity = SHIFT_TO_NEXT_GRAZE_POINT;
    activityUponArrival = GRAZING;
    walkOnly = true;
}

void Ccrab::relocateStep() {
    activity = MOVING;
    relocateCount--;
    pickRandomDestPos(grazeDirection, 0.7f, 0.02f);
    bigClaw->setMove(rnd() * 0.5f, rnd() * 10.0f + 10.0f, CURVE_SMOOTHSTEP, 1);
    clawPinch->setMove(rnd() * 0.1f, rnd() * 15.0f + 5.0f, CURVE_SMOOTHSTEP, 1);
    if (relocateCount > 0) {
        if (rnd() < 0.5f) {
            activityUponArrival = RELOCATE;
        } else {
            crabEndGoto(START_GRAZING);
            doSomePauseEvent(20, 140);
            activityUponArrival = RELOCATE;
        }
        gotoSlowNear = 0;
    } else {
        activityUponArrival = GRAZING;
    }
}

// ---- the frame's behaviour ----

void Ccrab::behave() {
    strideScale = 1.0f;
    legTimeFactor = 10.0f;
    littleArmHandler();
    pos = prevPos;
    step = 0.0f;
    speedFactor = 1.0f;
    munchFood();

    if (activity == CHASING || activity == RECHASE) {
        chaseStep();
    } else if (activity == CALM_DOWN_AFTER_CHASE) {
        if (chaseTimer-- <= 0) {
            activity = GRAZING;
            clearRelationshipType(NATURE_CRAB_CHASE);
            chaseThing = nullptr;
        }
    } else if (mood > 0.0f) {
        lookForFishToChase();
    }

    bool walkOnly = false;
    if (activity == GRAZING)
        grazeStep(walkOnly);
    else if (activity == GRAZE_REORIENT || activity == SHIFT_TO_NEXT_GRAZE_POINT)
        strideScale = 0.5f;
    if (!walkOnly) {
        if (activity == RELOCATE) relocateStep();
        if (activity == PAUSE) {
            strideScale = 0.5f;
            if (activityTimer-- <= 1) activity = activityUponArrival;
        }
    }
    if (gotoTarget.x != kNoWalk) walkStep();

    if (unstuckRotation != 0.0f) {
        heading().rotateAroundUp(unstuckRotation);
        if (--unstuckFrames <= 0) unstuckRotation = 0.0f;
    }
}

void Ccrab::walkStep() {
    Cvector d = toBody(gotoTarget - pos);
    float a = std::atan2(d.z, d.x);
    float speed = gotoSpeed;
    float across = std::fabs(d.x);
    bool far = across >= 0.2f && speed > 0.0f && across / speed >= 10.0f;
    if (!far && gotoSlowNear) {
        speed *= 0.5f;
        speedFactor *= 0.5f;
        strideScale = 0.5f;
        slowed = 1;
    }
    float s = d.x >= 0.0f ? 1.0f : -1.0f;
    if (d.x < 0.0f) {
        a += kPi;
        if (a > kPi) a -= 2.0f * kPi;
    }
    if (s != turnSign && gotoSteps >= 1) {
        crabEndGoto(REACHED_TARGET);
        return;
    }
    // Turning keeps the crab from showing the camera its side.
    Cvector toCamera = cameraPosition() - pos;
    toCamera.y = 0.0f;
    if (toCamera.z < 0.5f) toCamera.z = 0.5f;
    toCamera.normalize();
    Cvector side = heading().side;
    side.y = 0.0f;
    side.normalize();
    float c = side.dot(toCamera);
    if (across < 0.2f) a *= 0.01f;
    float turn = a >= 0.0f ? std::fmin(a, 0.02f) : std::fmax(a, -0.02f);
    if (a >= 0.0f && c >= 0.7f) turn = -0.001f;
    if (a < 0.0f && c <= -0.7f) turn = 0.001f;
    heading().rotateAroundUp(-turn);
    gotoSteps++;
    turnSign = s;
    step = speed * s;
    // The floor ahead must be walkable.
    float ahead = step >= 0.0f ? 1.0f : -1.0f;
    Cvector probe = pos + heading().side * (thingScale * ahead);
    if (floorWalkable(probe.x, probe.z) <= 0.5f) {
        if (getNogoAngle(heading(), 0.0f, -ahead) < 0.7f && unstuckRotation == 0.0f) findUnstuckRotation();
        bool firstStep = gotoSteps == 1;
        crabEndGoto(HIT_EDGE);
        step *= 0.5f;
        if (firstStep) pickRandomDestPos();
    }
}
