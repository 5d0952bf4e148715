// Feeding: finding food, swimming to a floating particle and biting it, pecking food that
// sits on a surface, and the waste strand that digestion grows.
#include <cmath>

#include "fish/fish.h"
#include "support/cerr.h"
#include "support/fastRand.h"
#include "things/peckFood.h"
#include "world/species.h"
#include "world/thingServices.h"

namespace {
constexpr int kBiteMessage = 7;
constexpr float kDeg10 = 0.1745329f;
// Times the bite is sent: when the particle is this many frames away, but not sooner.
constexpr float kBiteEtaFrames = 8.0f;
constexpr float kBiteEtaFloor = 4.0f;
} // namespace

int Cfish::lookForSomethingToEat() {
    if (foodBeingChased) return 0;
    foodReLookCountdown = 5;
    CfoodItem* found = lookForFood(vertex[0], controlOrientation[1].forward, -100.0f);
    if (found == nullptr) return 0;
    startFeeding(found);
    return 1;
}

bool Cfish::peckFoodIsConvenient(CpeckFoodItem const* item) {
    return item && -vertexOrientation[0].forward.dot(item->normal) > item->receiveDP;
}

void Cfish::startFeeding(CfoodItem* item) {
    VTRACE(2, name << ": START FEEDING");
    if (item == nullptr || foodBeingChased) {
        cleanupFeeding();
        _setDesiredBodySpeed(speedTiers[0]);
        int found = lookForSomethingToEat();
        if (item == nullptr) {
            if (!found) newActivity(ACTIVITY_WANDER, ACTIVITY_NONE);
            return;
        }
    }
    Cfood* food = item->food;
    int type = food ? food->foodType() : FOOD_BASE;
    if (type == FOOD_FLOATING) {
        chaseFood(item);
        setGotoPoint(&item->position, "chasing food1");
        _setDesiredBodySpeed(speedTiers[1]);
        previousGoalDistance = 0.0f;
        etaThreshold = kBiteEtaFrames;
        arriveDistance = 0.1f;
        newActivity(ACTIVITY_FEED, ACTIVITY_NONE);
        setEyeMovement(EYES_FORWARD_GLANCES, 0);
    } else if (type == FOOD_PECK) {
        if (!peckFoodIsConvenient(static_cast<CpeckFoodItem const*>(item))) return;
        chaseFood(item);
        setEyeMovement(EYES_FORWARD_GLANCES, 0);
        if (repeatChaseCount < 2) {
            setGotoPoint(&item->position, "chasingFoodItem position");
            peckState = 0;
            previousGoalDistance = 0.0f;
            arriveDistance = 0.4f * bodyLength;
            gotClose = 0;
            // Brake first, then peck.
            newActivity(ACTIVITY_STOP, ACTIVITY_PECK);
        } else {
            // The third go at the same point in a row: give it up.
            chaseFood(nullptr);
        }
    }
}

void Cfish::activity_feeding() {
    bool closeAhead = goalDistance <= 1.5f && goalZone == 2.0f;
    if (!closeAhead && --foodReLookCountdown <= 0) {
        CfoodItem* other = lookForFood(vertex[0], controlOrientation[1].forward, 0.0f);
        if (other && other != foodBeingChased) {
            chaseFood(nullptr);
            startFeeding(other);
            return;
        }
    }
    if (previousGoalZone >= 1.0f && goalZone == 0.0f) {
        // The particle slipped behind the head: hold the heading and dash on.
        steerHoldFrames = static_cast<int>(randRange(10.0f, 40.0f));
        _setDesiredBodySpeed(speedTiers[2]);
    } else if (goalZone >= 1.0f && goalDistance < 0.5f) {
        steerHoldFrames = 1;
    } else if (goalZone == 1.0f && goalDistance < 1.0f) {
        steerHoldFrames = 0;
    } else if (goalZone == 0.0f && desiredBodySpeed < 1.0f) {
        lookForSomethingToEat();
    }
    _setDesiredBodySpeed(speedTiers[1]);
    if (steerHoldFrames > 0) {
        headingChange = 0.0f;
        if (desiredBodySpeed < speedTiers[0] && avoidCount == 0) _setDesiredBodySpeed(speedTiers[0]);
    }
    if (goalZone == 2.0f && residualTurn < kDeg10) {
        closingSpeed = previousGoalDistance - goalDistance;
        if (closingSpeed > 0.0f) {
            float eta = goalDistance / closingSpeed;
            if (eta > kBiteEtaFloor && eta < etaThreshold) {
                VTRACE(2, "DO THE HIT! " << name);
                sendMessage(kBiteMessage, this, 0, 0.0f, 0);
                steerHoldFrames = static_cast<int>(eta + 1.0f);
                etaThreshold = -1.0f;
            }
        }
    }
}

void Cfish::biteMessage(CthingMessage&) {
    if (CfoodItem* item = foodBeingChased) {
        // Too late: another fish has it, or it sank out of reach.
        if (!item->available) return;
        activity = ACTIVITY_BITE; // feeding goes on: no clean-up
        startBite(0.1f);
        if (item->food) item->food->foodBeingSwallowed(item, this);
    } else if (chasing) {
        startBite(0.1f);
    }
}

void Cfish::biteStep() {
    if (goalZone >= 1.0f) {
        steerHoldFrames = 1;
        return;
    }
    headingChange = 0.0f;
    if (animCycles == nullptr || animCycles->firstChild == nullptr)
        newActivity(ACTIVITY_IDLE, ACTIVITY_SCHOOL);
}

void Cfish::cleanupFeeding() {
    VTRACE(2, name << ": cleanupFeeding");
    setGotoPoint(&ownGoalPoint, "feed cleanup");
    previousGoalDistance = 0.0f;
    if (foodBeingChased) chaseFood(nullptr);
    // Directly, and never left locked out of its own machine (a peck that lost its food).
    setActivityDirectly(ACTIVITY_NONE);
}

void Cfish::chaseFood(CfoodItem* item) {
    CfoodItem* held = foodBeingChased;
    CanimalThing::chaseFood(item);
    if (held && held != item && goalPointer == &held->position) setGotoPoint(&ownGoalPoint, "let go of food");
}

void Cfish::ateFood(float) {
    foodPieceIntoStomach();
}

void Cfish::peckStep() {
    VTRACE(4, name << ": peck state: " << peckState);
    groundChecks = 0;
    auto abandon = [this] {
        clearHeadingFrames = 100;
        newActivity(ACTIVITY_CLEAR_HEADING, ACTIVITY_NONE);
    };
    switch (peckState) {
    case 0:
        if (flickTurnRunning()) return;
        if (goalZone < 1.0f || goalDirection.z < 0.9f) {
            abandon();
            return;
        }
        setEyeMovement(EYES_FORWARD_GLANCES, 20);
        if (goalDistance >= arriveDistance) {
            // Slower the nearer it gets.
            _setDesiredBodySpeed(goalDistance);
            setDrag(0.03f);
        } else {
            setDrag(0.25f);
            _setDesiredBodySpeed(0.0f);
            peckState = 1;
        }
        return;
    case 1:
        headingChange = pitchChange = 0.0f;
        if (goalZone == 0.0f || goalDistance < 0.3f * arriveDistance) {
            abandon();
            return;
        }
        if (bodySpeed < 0.02f * bodyLength && !flickTurnRunning()) {
            peckState = 2;
            steerHoldFrames = 1;
            activityLock = 1;
            if (goalPointer) {
                Cvector toFood = *goalPointer - vertex[0];
                if (toFood.lengthSquared() > 0.0f) {
                    toFood.normalize();
                    peckDirection = toFood;
                }
            }
            startPeck(0.02f, goalDistance - segmentLength, 0.25f * bodyLength);
        }
        return;
    default:
        headingChange = pitchChange = 0.0f;
        steerHoldFrames = 1;
        if (!peckCycle.active) {
            // Refused while the lock holds: the next frame asks again with it clear.
            clearHeadingFrames = 100;
            newActivity(ACTIVITY_CLEAR_HEADING, ACTIVITY_NONE);
            activityLock = 0;
        }
        return;
    }
}

int Cfish::setPooThing(Cthing* strand) {
    if (strand == nullptr) {
        if (Cthing* old = pooThing) {
            pooThing = nullptr;
            deleteVariable(old);
        }
    } else {
        pooThing = strand;
    }
    pooing = 0;
    return 0;
}

int Cfish::setPooState(float mode) {
    if (pooThing) setPooThing(nullptr);
    if (!(mode > 0.0f)) return 0;
    Cvariable* made = makeThing(Cstring("fish_poo"), "species");
    auto* strand = dynamic_cast<CfishPoo*>(made);
    if (strand == nullptr) {
        if (made) deleteVariable(made);
        setExitError("poo not loaded", 1);
        return 1;
    }
    if (strand->attachThing(this, ATTACH_WASTE) != 0) return 1;
    VTRACE(2, name << ": waste mode " << mode);
    float width = 0.3f * pooInfo[2] + 0.054f;
    if (mode <= 15.0f)
        setDigestiveSettings2(width, 3.0f, 7.0f, 3.0f);
    else if (mode <= 35.0f)
        setDigestiveSettings2(width, 30.0f, 5.0f, 3.0f);
    else if (mode <= 100.0f)
        setDigestiveSettings2(width, 600.0f, 1.0f, 0.5f);
    return 0;
}
