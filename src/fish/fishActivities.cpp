// The activity machine: what a fish is doing, where it steers and how fast, and the
// changes between activities.
#include <algorithm>
#include <cmath>

#include "fish/fish.h"
#include "fish/fishSchool.h"
#include "support/cerr.h"
#include "support/fastRand.h"
#include "support/frustum.h"
#include "world/species.h"
#include "world/thingServices.h"

namespace {
constexpr float kDegree = 0.017453292f;

float nextFastRand() {
    return fastRandValues[fastRandSeedIndex++ & 31];
}

// Frames between chase decisions: the species' mean times a random in [0.5, 1.5].
int chaseFrames(Cfish& fish) {
    auto* species = dynamic_cast<Cspecies*>(fish.species);
    float mean = species ? species->avgChaseFrames : 400.0f;
    return static_cast<int>(mean * randRange(0.5f, 1.5f));
}

// The goal zone of a unit direction: 0 behind, 1 ahead, 2 inside the narrow cone.
float zoneOf(Cvector const& d, float widen, float cone) {
    return (d.z >= 0.0f ? 1.0f : 0.0f) + (widen * std::fabs(d.x) + d.z > cone ? 1.0f : 0.0f);
}
} // namespace

void Cfish::clearNavigationVars() {
    setActivityDirectly(ACTIVITY_NONE);
    nextActivity = ACTIVITY_NONE;
    goalPointer = nullptr;
    ownGoalPoint = goalDirection = Cvector();
    goalDistance = previousGoalDistance = closingSpeed = arriveDistance = 0.0f;
    goalZone = 0.0f;
    previousGoalZone = -1.0f;
    etaThreshold = -1.0f;
    steerHoldFrames = stopFrames = 0;
    idleFrames = -1;
    braked = awayFlag = forceFlick = 0;
    avoidForFrames = avoidFrameCounter = 0;
    chaseCountdown = chaseFrameCount = peckState = 0;
    foodLookCountdown = 10;
    startleTries = clearHeadingFrames = wanderTimer = schoolCountdown = tightJamFrames = 0;
}

void Cfish::navigateReset() {
    clearNavigationVars();
    goalName = "unset";
    chaseCountdown = chaseFrames(*this);
}

void Cfish::setActivityDirectly(int a) {
    activity = a;
    // A fish must never stay locked out of its own machine.
    activityLock = 0;
}

void Cfish::newActivity(int a, int next) {
    if (activityLock) return;
    previousGoalDistance = 0.0f;
    awayFlag = 0;
    if (a != activity) {
        cleanupActivity();
        activity = a;
        startActivity();
    }
    nextActivity = next;
    if (activity == ACTIVITY_IDLE || activity == ACTIVITY_NONE) {
        idleFrames = -1;
        activity = ACTIVITY_IDLE;
    }
}

void Cfish::cleanupActivity() {
    switch (activity) {
    case ACTIVITY_FEED:
    case ACTIVITY_PECK:
        cleanupFeeding();
        break;
    case ACTIVITY_CHASED:
        setAvoidForFrames(0);
        chasedEndingChase();
        break;
    case ACTIVITY_CHASE:
        chaserEndingChase();
        break;
    default:
        break;
    }
}

void Cfish::startActivity() {
    if (activity == ACTIVITY_WANDER) {
        startWander();
    } else if (activity == ACTIVITY_SCHOOL) {
        wanderTimer = 0;
        if (schoolCountdown == 0) schoolCountdown = 200;
    }
}

void Cfish::setGotoPoint(Cvector const* point, char const* name) {
    previousGoalZone = -1.0f;
    goalName = name;
    if (point) goalPointer = point;
    goalDistance = 1000.0f;
}

void Cfish::setGotoPoint(Cvector const& p, char const* name) {
    ownGoalPoint = p;
    setGotoPoint(&ownGoalPoint, name);
}

void Cfish::setSchoolValues() {
    auto* school = static_cast<CspeciesSchooling*>(mySchool);
    ownGoalPoint = school ? school->schoolPoint : Cvector();
    arriveDistance = school ? school->arriveDistance : 10.0f;
    setGotoPoint(&ownGoalPoint, "setschoolvals");
    previousGoalDistance = 0.0f;
    _setDesiredBodySpeed(speedTiers[0]);
    setDrag(minimalDrag);
    etaThreshold = -1.0f;
}

void Cfish::reachedGotoGoal() {
    if (goalPointer == nullptr) {
        goalDirection = Cvector();
        newActivity(ACTIVITY_SCHOOL, ACTIVITY_NONE);
        setGotoPoint(&ownGoalPoint, "schooling?");
    }
    Cvector goal = *goalPointer;
    if (!(goal.x >= -100.0f && goal.x <= 100.0f))
        setExitError("Dest Position out of range! Check for newer version of aquarium.", 1);
    previousGoalZone = goalZone;
    previousGoalDistance = goalDistance;

    // Both lengths are floored: a goal on the measuring point must not divide by zero.
    Cvector from = vertex[4];
    Cvector d = (goal - from) * invBodyLength;
    float length = std::max(d.length(), 0.00001f);
    if (length < 1.0f) {
        from = vertex[1];
        d = (goal - from) * invBodyLength;
        length = std::max(d.length(), 0.00001f);
    }
    if (awayFlag) {
        d = d * (-2.0f / length);
        processChaseCoord(d, from);
    }
    goalDistance = length;
    d /= vertexOrientation[0];
    goalDirection = d * (1.0f / length);
    goalZone = zoneOf(goalDirection, 0.03f, 0.95f);
    if (previousGoalZone == -1.0f) previousGoalZone = goalZone;

    float heading = std::atan2(goalDirection.x, goalDirection.z);
    headingChange = heading > -1000.0f && heading < 1000.0f ? heading : 0.0f;
    float pitch = goalDirection.y;
    pitchChange = std::isnan(pitch) ? 0.0f : std::clamp(pitch, -0.9999f, 0.9999f);
    limitPitchChange();
    if (std::fabs(pitchChange) >= 9e10f) VTRACE(1, name << ": pitch change " << pitchChange);

    if (activity == ACTIVITY_TIGHT_JAM) {
        tightJamStep();
        return;
    }
    tightJamFrames = 0;
    awayFlag = 0;
    activityStep();
}

void Cfish::activityStep() {
    switch (activity) {
    case ACTIVITY_NONE:
        newActivity(ACTIVITY_IDLE, ACTIVITY_NONE);
        break;
    case ACTIVITY_STOP:
        stopStep();
        break;
    case ACTIVITY_IDLE:
        idleStep();
        break;
    case ACTIVITY_SCHOOL:
    case ACTIVITY_WANDER:
        doSchooling();
        break;
    case ACTIVITY_BITE:
        biteStep();
        break;
    case ACTIVITY_CHASE:
        chaseStep();
        break;
    case ACTIVITY_FEED:
        activity_feeding();
        break;
    case ACTIVITY_PECK:
        peckStep();
        break;
    case ACTIVITY_CHASED:
        chasedStep();
        break;
    case ACTIVITY_CLEAR_HEADING:
        clearHeadingStep();
        break;
    case ACTIVITY_STARTLED:
        reTryStartle();
        freeSteering = 1;
        break;
    default:
        // Only a fault of the program gets here; the fish starts over instead of stopping.
        setExitError("unknown activity", 1);
        setActivityDirectly(ACTIVITY_IDLE);
        idleFrames = -1;
        break;
    }
}

void Cfish::stopStep() {
    if (bodySpeed > 0.02f) {
        finRestlessness = 1.0f;
        pitchChange = 0.0f;
        setDrag(0.2f);
        _setDesiredBodySpeed(0.0f);
        dorsalVelocity += 0.1f;
        analVelocity += 0.1f;
        if (!braked) {
            doFullBrakes();
            braked = 1;
        }
        return;
    }
    setDrag(minimalDrag);
    if (stopFrames-- < 0) newActivity(nextActivity, ACTIVITY_NONE);
}

void Cfish::doStop(int) {
    braked = 0;
    newActivity(ACTIVITY_STOP, ACTIVITY_NONE);
    _setDesiredBodySpeed(0.0f);
    setDrag(0.1f);
}

void Cfish::idleStep() {
    if (idleFrames == -1) {
        headingChange = randRange(-45.0f, 45.0f) * kDegree;
        idlePitchTarget = randRange(-10.0f, 10.0f) * kDegree;
        idleFrames = static_cast<int>(randRange(10.0f, 20.0f));
        float r = nextFastRand();
        float speed = desiredBodySpeed <= 0.5f * speedTiers[0] ? r * speedTiers[0] * 0.4f
                                                               : r * speedTiers[0] * 0.3f + 0.2f;
        _setDesiredBodySpeed(speed);
        setEyeMovement(3);
        if (speed < bodySpeed) setDrag(0.04f);
        return;
    }
    idleFrames--;
    headingChange = 0.0f;
    pitchChange = idlePitchTarget - currentPitch;
    doIdleAvoidance();
    if (idleFrames == 0) newActivity(nextActivity, ACTIVITY_NONE);
}

void Cfish::chasedStep() {
    awayFlag = 1;
    int framesLeft = avoidForFrames--;
    int counted = avoidFrameCounter++;
    if (framesLeft < 2 || goalDistance > fleeDistance || (counted >= 100 && bodySpeed < 0.5f)) {
        setAvoidForFrames(0);
        newActivity(nextActivity, ACTIVITY_NONE);
        _setDesiredBodySpeed(0.0f);
    }
}

void Cfish::clearHeadingStep() {
    groundChecks = 0;
    if (clearHeadingFrames-- > 0) {
        headingChange = findClearestHeading(0.0f, 0.7853982f, 0.1f);
        forceFlick = 1;
        if (flickTurnRunning()) newActivity(ACTIVITY_IDLE, ACTIVITY_NONE);
        return;
    }
    setSchoolValues();
    newActivity(ACTIVITY_SCHOOL, ACTIVITY_NONE);
}

void Cfish::doSchooling() {
    if (foodBeingChased) {
        newActivity(ACTIVITY_FEED, ACTIVITY_NONE);
        return;
    }
    if (wanderTimer-- > 0) {
        doWander();
        if (wanderTimer < 1) newActivity(ACTIVITY_SCHOOL, ACTIVITY_NONE);
        return;
    }
    if (schoolCountdown-- < 2) {
        wanderTimer = 0;
        newActivity(ACTIVITY_WANDER, ACTIVITY_NONE);
    }
    if (goalDistance >= arriveDistance) {
        doIdleAvoidance();
        _setDesiredBodySpeed(speedTiers[0] * randRange(0.8f, 1.3f));
        setDrag(minimalDrag);
        return;
    }
    VTRACE(2, name << ": in goal dist");
    idleFrames = -1;
    newActivity(ACTIVITY_IDLE, activity);
}

void Cfish::startWander() {
    if (wanderTimer == 0) wanderTimer = 300;
    Cvector const *points = nullptr, *normals = nullptr;
    wanderPoint.master = nullptr;
    if (tank && tank->wanderWalls(points, normals)) {
        for (int i = 0; i < 6; i++)
            wanderBounds.addOutsidePlane(i, points[i], normals[i]);
        wanderPoint.master = &wanderBounds;
    }
    wanderPoint.position = vertex[0];
    wanderPoint.direction = vertexOrientation[0].forward;
    wanderPoint.findNextPoint(3.0f * bodyLength, 20);
    setGotoPoint(&wanderPoint.position, "wander");
    arriveDistance = 1.0f;
    _setDesiredBodySpeed(speedTiers[2]);
}

void Cfish::doWander() {
    if (goalDistance < arriveDistance) {
        if (nextFastRand() < 0.5f) {
            if (nextFastRand() < 0.5f)
                doStop(ACTIVITY_WANDER);
            else
                newActivity(ACTIVITY_IDLE, ACTIVITY_WANDER);
            // The pause holds still: no new random turn.
            idleFrames = 20;
        } else {
            startWander();
        }
    }
    doIdleAvoidance();
    setDrag(minimalDrag);
}

void Cfish::contemplateOccasionalActivities() {
    if (chaseCountdown-- < 0) {
        decideToChaseFish();
        chaseCountdown = chaseFrames(*this);
    }
    if (foodLookCountdown-- < 0) {
        lookForSomethingToEat();
        foodLookCountdown = static_cast<int>(30.0f * nextFastRand() + 10.0f);
    }
}

void Cfish::insertIdle() {
    idleFrames = -1;
    newActivity(ACTIVITY_IDLE, activity);
}

void Cfish::endActivity() {
    newActivity(nextActivity, ACTIVITY_NONE);
}

float Cfish::isPointInTargetZone(Cvector const& p) {
    Cvector d = (p - vertex[4]) * invBodyLength;
    float length = std::max(d.length(), 0.00001f);
    d /= vertexOrientation[0];
    return zoneOf(d * (1.0f / length), 0.04f, 0.97f);
}

int Cfish::ETAframes() {
    closingSpeed = previousGoalDistance - goalDistance;
    float frames = goalDistance / closingSpeed;
    return std::isfinite(frames) ? static_cast<int>(frames) : 0;
}

void Cfish::fixPitchChange() {
    if (std::fabs(headingChange) > 0.8726646f) {
        pitchChange = 0.0f;
        if (strokeStrength < 0.5f) bigPitchFrames++;
    } else {
        bigPitchFrames = 0;
        if (goalZone == 0.0f && activity != ACTIVITY_IDLE) pitchChange = -currentPitch;
    }
    if (currentPitch < -50.0f * kDegree && pitchChange < 0.0f) pitchChange = 0.0f;
    if (currentPitch > 50.0f * kDegree && pitchChange > 0.0f) pitchChange = 0.0f;
}
