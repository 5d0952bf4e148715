// Pectoral strokes and the fish's decisions to push and to brake hard.
#include "fish/pectoralFins.h"

#include <algorithm>
#include <cmath>

#include "fish/fish.h"
#include "support/cerr.h"

namespace {
constexpr float kDeg10 = 0.17453293f, kDeg16 = 0.27925268f, kDeg40 = 0.69813170f;

float smooth(float p) {
    return (3.0f - 2.0f * p) * p * p;
}
} // namespace

void CpecFin::reset() {
    yaw[0] = yaw[1] = startYaw[0] = startYaw[1] = kPecRestYaw;
    roll[0] = roll[1] = startRoll[0] = startRoll[1] = 0.0f;
    packet = CpecPushPacket();
    progress[0] = progress[1] = 1.0f;
    hasWaiting = 0;
    targetSpeed = -1.0f;
    pitchVelocityAdd = verticalPush = step = 0.0f;
}

void CpecFin::startPacket(CpecPushPacket const& p) {
    packet = p;
    packet.lead &= 1;
    verticalPush = packet.lift * 0.1f;
    for (int h = 0; h < 2; h++) {
        change[h] = packet.targets[h] - yaw[h];
        change[2 + h] = packet.targets[2 + h] - roll[h];
        startYaw[h] = yaw[h];
        startRoll[h] = roll[h];
        progress[h] = 0.0f;
    }
    hasWaiting = 0;
    // A stroke whose leading yaw is already at its target completes at once.
    float lead = change[packet.lead];
    step = lead != 0.0f ? std::fabs(packet.speed / lead) : 1.0f;
    if (!std::isfinite(step) || step <= 0.0f) step = 1.0f;
    if (fish && change[0] > 0.0f)
        targetSpeed = std::min(fish->bodySpeed + fish->pectoralSpeedChange, fish->desiredBodySpeed);
    else
        targetSpeed = -1.0f;
    calcPitchVelocityAdd();
}

void CpecFin::newPacket(CpecPushPacket const& p) {
    if (playing()) {
        waiting = p;
        hasWaiting = 1;
        VTRACE(1, "fin currently in use - store this packet");
        return;
    }
    startPacket(p);
}

void CpecFin::calcPitchVelocityAdd() {
    pitchVelocityAdd = 0.0f;
    if (!packet.urgent || fish == nullptr) return;
    float response = fish->pitchResponse();
    float e = fish->pitchChange - fish->pitchVelocity * response;
    pitchVelocityAdd = e * (pitchVelocityMult * 0.125f) / response;
    if (std::fabs(e) > kDeg10) {
        fish->caudalStrength.setMove(0.0f, 4.0f, 1, 1);
        fish->caudalStrength.setNextMove(0.8f, 15.0f, 1);
    }
}

void CpecFin::urgentSpeedChange() {
    if (fish == nullptr) return;
    targetSpeed = fish->desiredBodySpeed;
    VTRACE(1, "URGENT SPEED UPDATE!");
}

void CpecFin::applyHalf(int half) {
    float p = progress[half];
    float e = smooth(p);
    float e2 = e * e;
    if (packet.lift != 0.0f) fish->drift.y = std::clamp(fish->drift.y + verticalPush * e2, -0.01f, 0.01f);
    if (change[half] < 0.0f && targetSpeed != -1.0f) {
        if (targetSpeed < fish->bodySpeed) fish->bodySpeed += (targetSpeed - fish->bodySpeed) * e2;
    } else {
        if (targetSpeed > fish->bodySpeed) fish->bodySpeed += (targetSpeed - fish->bodySpeed) * e2;
        if (fish->bodySpeed < 0.5f) fish->pelvicVelocity += fish->pelvicPushMult * 0.05f;
    }
    yaw[half] = startYaw[half] + change[half] * p;
    float q = 1.0f - p;
    roll[half] = startRoll[half] + change[2 + half] * (1.0f - q * q);
}

void CpecFin::updatePec() {
    if (fish == nullptr) return;
    int lead = packet.lead & 1, trail = 1 - lead;
    if (progress[lead] == 1.0f) {
        if (hasWaiting) {
            if (!(waiting.waitForFlick && fish->flickTurnRunning())) newPacket(waiting);
        } else if (progress[trail] == 1.0f) {
            return;
        }
        lead = packet.lead & 1, trail = 1 - lead;
    }
    if (progress[lead] >= 0.0f && progress[lead] / step < 3.1f) fish->pitchVelocity += pitchVelocityAdd;
    bool wasPlaying = progress[lead] < 1.0f;
    progress[lead] = std::min(progress[lead] + step, 1.0f);
    if (wasPlaying && progress[lead] == 1.0f && packet.brakeEnd) fish->braking = 0;
    float lag = std::clamp(packet.lag, 0.0f, 1.0f);
    progress[trail] = std::min((1.0f - lag) * progress[lead] + lag * progress[trail], 1.0f);
    applyHalf(lead);
    applyHalf(trail);
}

void Cfish::pectoralInit() {
    for (CpecFin* fin : {&pecLeft, &pecRight}) {
        fin->fish = this;
        fin->pitchVelocityMult = pectoralPitchVelocityMult;
        fin->reset();
    }
    pushCounter = 0;
    braking = 0;
    for (Cmatrix3& m : pectoralMatrix)
        m.identity();
}

void Cfish::updatePectorals() {
    pecLeft.updatePec();
    pecRight.updatePec();
}

void Cfish::addPacketBoth(CpecPushPacket const& packet) {
    pecLeft.newPacket(packet);
    pecRight.newPacket(packet);
}

void Cfish::replacePacketBoth(CpecPushPacket const& packet) {
    pecLeft.startPacket(packet);
    pecRight.startPacket(packet);
}

void Cfish::urgentSpeedUpdate() {
    pecLeft.urgentSpeedChange();
    pecRight.urgentSpeedChange();
    flickEndSpeed = desiredBodySpeed;
}

bool Cfish::pecsAreMoving() const {
    return pecLeft.playing() || pecRight.playing() || pecLeft.hasWaiting || pecRight.hasWaiting;
}

bool Cfish::contemplatePectoralPush() {
    pushCounter++;
    if (pecsAreMoving()) return false;
    float d = desiredBodySpeed - bodySpeed;
    if (d > 0.3f) return true;
    if (d < -0.3f && !flickTurnRunning()) return true;
    if (std::fabs(accumulatedSink) > 0.05f * bodyLength) return true;
    float miss = std::fabs(pitchChange - pitchVelocity * pitchResponse());
    return miss > kDeg16 && (std::fabs(headingChange) < kDeg40 || climbing);
}

void Cfish::doFullBrakes() {
    if (braking) return;
    CpecPushPacket spread;
    float spreadTargets[4] = {-1.0471976f, -1.0471976f, 0.0f, -0.08726646f};
    std::copy(spreadTargets, spreadTargets + 4, spread.targets);
    spread.lag = 0.8f;
    spread.speed = -0.52359879f;
    spread.lead = pitchChange < 0.0f ? 1 : 0;
    spread.requestedSpeed = std::max(bodySpeed - 1.5f, 0.0f);
    spread.waitForFlick = 1;
    replacePacketBoth(spread);

    CpecPushPacket back;
    float backTargets[4] = {kPecRestYaw, kPecRestYaw, 0.43633232f, -0.08726646f};
    std::copy(backTargets, backTargets + 4, back.targets);
    back.lag = 0.2f;
    back.speed = 0.43633232f;
    back.requestedSpeed = std::max(bodySpeed - 2.0f, 0.0f);
    back.brakeEnd = 1;
    addPacketBoth(back);

    braking = 1;
    strokeStrength = 0.0f;
    bendWholeBody(0.0f);
    VTRACE(1, "DOING FULL BRAKES!");
}

void Cfish::doPecPush(float strength) {
    if (pecsAreMoving()) return;
    // A bent body, or a first push or two, corrects the pitch only in an emergency; a
    // straight fish that has pushed a while always does.
    int urgent = bodyBend >= kDeg40 || pushCounter < 2 ? (emergencyLevel > 2 ? 1 : 0) : 1;
    if (urgent) pushCounter = 0;

    CpecPushPacket back;
    float backTargets[4] = {-0.78539816f, -0.78539816f, 0.0f, -0.08726646f};
    std::copy(backTargets, backTargets + 4, back.targets);
    back.lag = 0.8f;
    back.speed = -0.26179939f;
    back.lead = pitchChange < 0.0f ? 1 : 0;
    back.urgent = urgent;
    back.strength = strength;
    addPacketBoth(back);

    CpecPushPacket forward;
    float forwardTargets[4] = {1.3962634f, 1.3962634f, 0.17453293f, -0.17453293f};
    std::copy(forwardTargets, forwardTargets + 4, forward.targets);
    forward.lag = 0.2f;
    forward.speed = 0.43633232f;
    forward.requestedSpeed = std::min(bodySpeed + 1.0f, 1.1f * desiredBodySpeed);
    addPacketBoth(forward);
}
