// The occasional chase of one fish by another of its school: the chaser's pursuit and
// nip, the chased fish's flight, and the clean-up when either ends or goes away.
#include "fish/fish.h"
#include "fish/fishSchool.h"
#include "support/cerr.h"
#include "support/fastRand.h"

namespace {
constexpr int kChasedMessage = 10;

bool atEase(Cfish const& f) {
    return f.activity == Cfish::ACTIVITY_IDLE || f.activity == Cfish::ACTIVITY_SCHOOL;
}
} // namespace

Cfish* Cfish::pickRandomFishOfMySpecies() {
    auto* school = static_cast<CspeciesSchooling*>(mySchool);
    if (school == nullptr || school->members.empty()) return nullptr;
    float r = fastRandValues[fastRandSeedIndex++ & 31];
    auto pick = static_cast<size_t>(static_cast<float>(school->members.size()) * r);
    if (pick >= school->members.size()) return nullptr;
    Cfish* other = school->members[pick];
    if (other == this || other == nullptr || other->deletionHasBegun()) return nullptr;
    return other;
}

void Cfish::decideToChaseFish() {
    if (chasing || chasedBy || !atEase(*this)) return;
    Cfish* other = pickRandomFishOfMySpecies();
    if (other == nullptr || other->chasing || other->chasedBy || !atEase(*other)) return;
    Cvector mid, head;
    other->getMidPos(mid);
    getHeadPos(head);
    Cvector v = mid - head;
    float d = v.length();
    if (!(d > 1.5f * bodyLength && d < 5.0f * bodyLength)) return;
    v /= vertexOrientation[0];
    if (v.z > -bodyLength) startChase(other);
}

void Cfish::startChase(Cfish* target) {
    // One chase per fish on either side: a chased fish does not turn on its chaser.
    if (chasing || chasedBy || target == nullptr || target == this || target->chasedBy || target->chasing)
        return;
    setRelationshipWith2(target, NATURE_CHASE);
    chasing = target;
    target->chasedBy = this;
    target->finRestlessness = 1.0f;
    newActivity(ACTIVITY_CHASE, ACTIVITY_IDLE);
    setGotoPoint(&target->vertex[7], "chasing fish");
    arriveDistance = 0.1f;
    previousGoalDistance = 0.0f;
    _setDesiredBodySpeed(speedTiers[2]);
    setDrag(minimalDrag);
    chaseFramesLeft = 100;
    chaseFrameCount = 0;
    gotClose = 0;
}

void Cfish::chaseStep() {
    int left = chaseFramesLeft--;
    int counted = chaseFrameCount++;
    Cfish* target = chasing;
    if (target == nullptr) {
        newActivity(nextActivity, ACTIVITY_NONE);
        return;
    }
    float length = bodyLength, d = goalDistance;
    if (goalZone != 0.0f && d >= 0.1f * length && left > 0) {
        if (bodySpeed > speedTiers[0] && d < 3.0f * length && counted >= 10 &&
            target->activity != ACTIVITY_CHASED) {
            target->sendMessage(kChasedMessage, this, 0, 0.0f, 0);
        } else if (d < 1.2f * length) {
            if (target->bodySpeed < 1.0f) {
                gotClose = 1;
                startBite(0.1f);
                doStop(ACTIVITY_NONE);
            } else {
                if (target->bodySpeed >= bodySpeed - 1.0f) {
                    _setDesiredBodySpeed(speedTiers[3]);
                    chaseFramesLeft = 30;
                }
                gotClose = 1;
                startBite(0.1f);
            }
        }
        return;
    }
    if (!gotClose) {
        target->setSchoolValues();
        target->newActivity(ACTIVITY_IDLE, ACTIVITY_SCHOOL);
        setSchoolValues();
        newActivity(ACTIVITY_SCHOOL, ACTIVITY_NONE);
        return;
    }
    // Nipped: the chased fish bolts.
    target->_setDesiredBodySpeed(speedTiers[3]);
    target->setAvoidForFrames(5);
    target->bodySpeed = speedTiers[2];
    target->setDrag(minimalDrag);
    target->urgentSpeedUpdate();
    setSchoolValues();
    doStop(ACTIVITY_NONE);
}

void Cfish::chasedMessage(CthingMessage&) {
    if (chasedBy == nullptr) return;
    setAvoidForFrames(200);
    newActivity(ACTIVITY_CHASED, ACTIVITY_STOP);
    fleeDistance = 5.0f;
    setDrag(minimalDrag);
    setGotoPoint(&chasedBy->vertex[4], "chased by");
    _setDesiredBodySpeed(speedTiers[2] * randRange(0.8f, 1.2f));
    urgentSpeedUpdate();
    arriveDistance = -1.0f;
    previousGoalDistance = 0.0f;
}

void Cfish::chaserEndingChase() {
    if (Cfish* target = chasing) {
        target->ownGoalPoint = vertex[4];
        target->setGotoPoint(&target->ownGoalPoint, "goto point of chaser");
        target->setActivityDirectly(ACTIVITY_NONE);
        target->newActivity(ACTIVITY_IDLE, ACTIVITY_STOP);
        target->idleFrames = static_cast<int>(randRange(15.0f, 30.0f));
        target->stopFrames = static_cast<int>(randRange(15.0f, 30.0f));
    }
    clearRelationshipType(NATURE_CHASE);
}

void Cfish::chasedEndingChase() {
    if (chasedBy) chasedBy->newActivity(ACTIVITY_IDLE, ACTIVITY_NONE);
    clearRelationshipType(-NATURE_CHASE);
    clearRelationshipType(-NATURE_CRAB_CHASE);
}

void Cfish::clearChasePointers() {
    Cfish* target = chasing;
    if (target == nullptr) return;
    gotClose = 0;
    if (activity == ACTIVITY_CHASE) setActivityDirectly(ACTIVITY_NONE);
    if (target->activity == ACTIVITY_CHASED) target->setActivityDirectly(ACTIVITY_NONE);
    setGotoPoint(&ownGoalPoint, "clear chase pointers");
    target->chasedBy = nullptr;
    chasing = nullptr;
}
