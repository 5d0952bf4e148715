// The activity machine's reactions: jams against the tank, contact with other fish,
// startles and flights, and the thing messages a fish takes.
#include <algorithm>
#include <cmath>

#include "fish/collisionPlane.h"
#include "fish/fish.h"
#include "fish/fishSchool.h"
#include "support/cerr.h"
#include "support/fastRand.h"
#include "support/frustum.h"
#include "variables/thingMessage.h"
#include "world/thingServices.h"

namespace {
constexpr float kDegree = 0.017453292f;
// How far two touching fish drift apart per frame.
constexpr float kContactDrift = 0.0005f;

// Reflects v back into [lo, hi] at the bound it crossed.
float reflectInto(float v, float lo, float hi) {
    if (v < lo) return 2.0f * lo - v;
    if (v > hi) return 2.0f * hi - v;
    return v;
}
} // namespace

void Cfish::moveBody(Cvector const& by) {
    for (int i = 0; i < bodyPoints; i++) {
        vertex[i] += by;
        displayVertex[i] += by;
    }
}

void Cfish::jamSamples(float out[3]) {
    out[0] = out[1] = out[2] = 10.0f;
    if (!groundChecks) return;
    out[0] = getTankLevelSetValue(0, 0.0f, 0.0f, 0.0f);
    out[1] = getTankLevelSetValue(8, 0.0f, 0.0f, 0.0f);
    out[2] = getTankLevelSetValue(4, 0.0f, -0.5f * safetyHeight, 0.0f);
}

void Cfish::tightJam() {
    newActivity(ACTIVITY_TIGHT_JAM, activity);
}

void Cfish::tightJamStep() {
    tightJamFrames++;
    awayFlag = 0;
    freeSteering = 1;
    float back = 0.002f * bodySpeed * bodyLength + 0.001f;
    // The samples the frame took before the dispatcher; nothing has moved since.
    float sample[3];
    jamSamples(sample);
    bool mayEnd = false;
    if (sample[0] < 0.05f) {
        moveBody(vertexOrientation[0].forward * -back);
        doFullBrakes();
        if (sample[0] < 0.0f) bodySpeed = 0.0f;
        if (!flickTurnRunning() && steerHoldFrames < 1) {
            headingChange = findClearestHeading(0.0f, 1.396263f, 0.1f);
            forceFlick = 1;
        }
    } else if (sample[1] < 0.05f) {
        // Swim the tail out: a wish no faster than the stroke threshold never strokes, and
        // a resting fish would stay jammed for good.
        _setDesiredBodySpeed(std::max(1.0f, 1.05f * minimumCycleBodySpeed));
    } else {
        mayEnd = true;
    }
    if (sample[2] < 0.0f)
        moveBody(Cvector(0.0f, back, 0.0f));
    else if (mayEnd)
        newActivity(nextActivity, ACTIVITY_NONE);
    if (tightJamFrames >= 500 && !flickTurnRunning()) {
        headingChange = findClearestHeading(1.22173f, 1.570796f, 0.1f);
        forceFlick = 1;
        startFlickTurn(headingChange, 0.0f, bodySpeed, static_cast<int>(bodySpeed));
        VTRACE(4, "HC:" << headingChange / kDegree);
    }
}

void Cfish::doIdleAvoidance() {
    collisionPlaneCollector.count = 0;
    if (collectIntersectionsWithOtherFish(0) == 0) return;
    // At most one other fish per record; the records of one fish come together.
    Cfish* touching[CcollisionPlaneCollector::capacity];
    int n = 0;
    bool sideContact = false;
    for (int i = 0; i < collisionPlaneCollector.count; i++) {
        auto const& r = collisionPlaneCollector.records[i];
        auto* other = dynamic_cast<Cfish*>(r.other);
        if (other == nullptr) continue;
        if (n == 0 || touching[n - 1] != other) touching[n++] = other;
        if (r.mine == 0 || r.mine == 2) sideContact = true;
    }
    if (sideContact) {
        if (!flickTurnRunning() && steerHoldFrames < 1) {
            bool turned = startFlickTurn(15.0f * kDegree, 0.0f, desiredBodySpeed, 0) == 0 ||
                          startFlickTurn(-15.0f * kDegree, 0.0f, desiredBodySpeed, 0) == 0;
            if (!turned) doFullBrakes();
        } else {
            doFullBrakes();
        }
    }
    for (int i = 0; i < n; i++) {
        Cvector mine, theirs;
        getMidPos(mine);
        touching[i]->getMidPos(theirs);
        Cvector apart(theirs.x - mine.x, 0.0f, theirs.z - mine.z);
        float q = apart.lengthSquared();
        if (q > 1.1754944e-38f && q != 1.0f) apart = apart * (1.0f / std::sqrt(q));
        if (activity != ACTIVITY_TIGHT_JAM) moveBody(apart * -kContactDrift);
        if (touching[i]->activity != ACTIVITY_TIGHT_JAM) touching[i]->moveBody(apart * kContactDrift);
    }
}

void Cfish::processChaseCoord(Cvector& d, Cvector const& from) {
    CflatFrustum const* f = tank ? tank->occupantFrustum() : nullptr;
    if (f == nullptr || f->depthScale == 0.0f) return;
    Cvector p = from + d;
    f->realToFrustum(p);
    p.x = reflectInto(p.x, -1.0f, 1.0f);
    p.y = reflectInto(p.y, -1.0f, 1.0f);
    p.z = reflectInto(p.z, 0.0f, 1.0f);
    f->frustumToReal(p);
    d = p - from;
}

void Cfish::startled(Cvector const& point) {
    startlePoint = point;
    startleTries = 0;
    if (!reTryStartle() && peckState != 2) newActivity(ACTIVITY_STARTLED, ACTIVITY_STOP);
}

int Cfish::reTryStartle() {
    startleTries++;
    if (flickTurnRunning() || peckState == 2) return 0;
    setGotoPoint(&startlePoint, "scared of point");
    float const tries[] = {90.0f, -90.0f, -45.0f, 45.0f, 0.0f};
    bool turned = false;
    for (float h : tries)
        if ((turned = startFlickTurn(h * kDegree, 0.0f, speedTiers[4], 1) == 0)) break;
    if (!turned) _setDesiredBodySpeed(speedTiers[4]);
    urgentSpeedUpdate();
    setAvoidForFrames(static_cast<int>(randRange(30.0f, 60.0f)));
    fleeDistance = 4.0f;
    int next = fastRandValues[fastRandSeedIndex++ & 31] < 0.5f ? ACTIVITY_IDLE : ACTIVITY_STOP;
    newActivity(ACTIVITY_CHASED, next);
    chaseFrameCount = 0;
    setDrag(minimalDrag);
    return 1;
}

void Cfish::processMessage(CthingMessage* m) {
    switch (m->code) {
    case 1:
    case 17:
        break;
    case MESSAGE_SCHOOL_POINT:
        if (activity == ACTIVITY_SCHOOL) {
            if (auto* school = static_cast<CspeciesSchooling*>(mySchool)) ownGoalPoint = school->schoolPoint;
            arriveDistance = m->floatValue;
        }
        break;
    case MESSAGE_JOIN_SCHOOL:
        if (activity == ACTIVITY_IDLE || activity == ACTIVITY_NONE) {
            setSchoolValues();
            newActivity(ACTIVITY_SCHOOL, ACTIVITY_NONE);
        }
        break;
    case 7:
        biteMessage(*m);
        break;
    case 10:
        chasedMessage(*m);
        break;
    default:
        setExitError("Unknown fish message", 1);
        break;
    }
}

void Cfish::processMessages() {
    Cthing::processMessages();
    if (activity == ACTIVITY_NONE) sendMessage(MESSAGE_JOIN_SCHOOL, this, 0, 2.0f, 0);
}
