// The spine body: four control orientations steer, the vertex orientations follow them,
// and every frame the chain is re-laid so the body slides forward along its old path.
#include <algorithm>
#include <cmath>

#include "fish/fish.h"
#include "support/frustum.h"
#include "support/cerr.h"
#include "world/thingServices.h"

namespace {
Cvector lerp(Cvector const& a, Cvector const& b, float f) {
    return a + (b - a) * f;
}
Cvector cross(Cvector const& a, Cvector const& b) {
    Cvector c;
    c.crossOf(a, b);
    return c;
}
bool finite(Cvector const& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}
// A frame whose forward row is dir and whose up row stays near up; false when either is
// degenerate.
bool frameFrom(Cvector const& up, Cvector dir, Cmatrix3& out) {
    if (dir.normalize() < 1e-12f) return false;
    Cvector side = cross(up, dir);
    if (side.normalize() < 1e-12f) return false;
    out.side = side;
    out.up = cross(dir, side);
    out.forward = dir;
    return true;
}
void splitShift(float value, int& whole, float& fraction) {
    float f = std::floor(value);
    whole = static_cast<int>(f);
    fraction = value - f;
}
} // namespace

void Cfish::calcVertexMoveShift() {
    moveShift = -(bodySpeed / 30.0f * bodyLength) / segmentLength;
    legalTest("moveShift", moveShift);
    if (!std::isfinite(moveShift)) moveShift = 0.0f;
    splitShift(moveShift, moveShiftFloor, moveShiftFraction);
}

void Cfish::calcVertexShift(float rate) {
    vertexShift = -(rate / 30.0f * bodyLength) / segmentLength;
    legalTest("vertexShift", vertexShift);
    if (!std::isfinite(vertexShift)) vertexShift = 0.0f;
    splitShift(vertexShift, vertexShiftFloor, vertexShiftFraction);
}

void Cfish::getHeadAndTailAnticipatedPositions() {
    auto at = [this](int i) -> Cvector const& { return vertex[std::clamp(i, 0, lastPoint)]; };
    int k = lastPoint + moveShiftFloor;
    rearAnticipated = lerp(at(std::max(k - 8, 0)), at(std::max(k - 7, 0)), moveShiftFraction);
    frontAnticipated = lerp(at(std::min(k - 1, lastPoint)), at(std::min(k, lastPoint)), moveShiftFraction);
}

void Cfish::slideCVsForward() {
    vertexOrientation[0].side.normalize();
    controlOrientation[0] = vertexOrientation[0];
    for (int k = 1; k <= 3; k++) {
        int j = 3 * k + vertexShiftFloor;
        float f = vertexShiftFraction;
        if (j < 0) j = 0, f = 0.0f; // more than 3 segments a frame: hold at the head
        Cmatrix3& cv = controlOrientation[k];
        if (j < lastPoint)
            cv.blend(vertexOrientation[j], vertexOrientation[j + 1], f);
        else
            cv = vertexOrientation[lastPoint];
        cv.side = cross(cv.up, cv.forward);
        cv.side.normalize();
    }
    float headPitch = 0.0f;
    if (bodySpeed < 0.0f) {
        extraYaw[1] = extraYaw[2] = moveShift * headingChange;
    } else {
        headTurn += std::min(-moveShift, 1.0f) * headingChange;
        headPitch = std::max(moveShift, -1.0f) * headPitchChange;
    }
    controlOrientation[0].rotateAroundUp(headTurn);
    controlOrientation[0].rotateAroundSide(headPitch);
    if (!finite(controlOrientation[0].forward)) VTRACE(1, "sidecheck");
    for (int k = 1; k <= 3; k++)
        controlOrientation[k].rotateAroundUp(extraYaw[k - 1]);
}

void Cfish::changeVertexPitch(float angle) {
    if (legalTest("bad pitch angle", angle) || !std::isfinite(angle)) return;
    if (angle == 0.0f) return;
    Cmatrix3 r;
    r.identity();
    r.setAxisRotation(vertexOrientation[5].side, -angle);
    for (Cmatrix3& cv : controlOrientation)
        cv *= r;
}

void Cfish::uprightCVs() {
    float r = rightingGain * uprightStrength * controlOrientation[1].side.y;
    if (std::fabs(r) <= 0.01f) return;
    r = std::clamp(r, -maxRightingAngle, maxRightingAngle);
    for (Cmatrix3& cv : controlOrientation)
        cv.rotateAroundForward(r);
}

void Cfish::bendWholeBody(float angle) {
    extraYaw[0] += angle * 0.3333f;
    extraYaw[1] -= angle * 0.3333f;
    extraYaw[2] -= angle;
}

void Cfish::interpolateVertexOrientationsFromCVs() {
    vertexOrientation[0] = controlOrientation[0];
    for (int k = 1; k <= 3; k++) {
        for (int part = 1; part <= 2; part++) {
            Cmatrix3& m = vertexOrientation[3 * k - 3 + part];
            m.blend(controlOrientation[k - 1], controlOrientation[k], part / 3.0f);
            m.side.normalize();
            m.up.normalize();
        }
        vertexOrientation[3 * k] = controlOrientation[k];
    }
    for (int i = 10; i < bodyPoints; i++)
        vertexOrientation[i] = controlOrientation[3];
    for (int i = 0; i < bodyPoints; i++)
        vertexOrientation[i].forward = cross(vertexOrientation[i].side, vertexOrientation[i].up);
    previousBodyBend = bodyBend;
    float d = vertexOrientation[3].side.dot(vertexOrientation[7].side);
    bodyBend = std::acos(std::clamp(d, -1.0f, 1.0f));
}

void Cfish::calcVertexUntransformedPositions() {
    if (bodyPoints < 2) return;
    vertexUntransformed[0] = Cvector();
    for (int i = 1; i < bodyPoints; i++)
        vertexUntransformed[i] = vertexUntransformed[i - 1] - vertexOrientation[i].forward * segmentLength;
}

void Cfish::rotateToAnticipatedPosition() {
    Cvector a = vertexUntransformed[lastPoint - 1] - vertexUntransformed[lastPoint - 8];
    Cvector b = frontAnticipated - rearAnticipated;
    float speed = std::clamp(bodySpeed, 0.0f, 1.0f);
    Cvector c = b + (a - b) * (1.0f - speed);
    Cmatrix3 from, to;
    Cvector const& up = vertexOrientation[4].up;
    if (!frameFrom(up, a, from) || !frameFrom(up, c, to)) return;
    for (int i = 0; i < bodyPoints; i++) {
        vertexUntransformed[i] /= from;
        vertexUntransformed[i] *= to;
        vertexOrientation[i] /= from;
        vertexOrientation[i] *= to;
    }
}

void Cfish::transformVertices() {
    // Where vertex 5 lies on the old path; a shift of more than five segments is held
    // at the head.
    int i = 5 + moveShiftFloor;
    float f = moveShiftFraction;
    if (i < 0) i = 0, f = 0.0f;
    Cvector p = lerp(vertex[i], vertex[std::min(i + 1, lastPoint)], f);
    Cvector head = p - vertexUntransformed[5];
    if (headFollow < 1.0f) {
        Cvector bodyMean, spineMean;
        int n = bodyPoints - 3;
        for (int v = 1; v <= n; v++)
            bodyMean += vertex[v], spineMean += vertexUntransformed[v];
        Cvector centroid = bodyMean * (1.0f / n) + (p - vertex[5]) - spineMean * (1.0f / n);
        head = head * headFollow + centroid * (1.0f - headFollow);
    }
    if (bodySpeed < 0.5f) {
        drift.y = std::max(drift.y - 0.0002f, -0.003f);
        accumulatedSink += drift.y;
    } else {
        drift = drift * 0.8f;
    }
    head += waterCurrent;
    drift = drift * driftDecay;
    if (drift.y < 0.0f && markers[kGroundMarker] != 0) drift.y = 0.0f;
    head += drift;
    createPureVertex(head);
}

void Cfish::createPureVertex(Cvector& head) {
    // Steering sees a rock from the middle of the body, so a bent fish grazing one can
    // carry its head a little inside: the head stays on the surface instead.
    if (CsphereField const* rocks = tank ? tank->sphereField() : nullptr)
        rocks->pushOutOfSpheres(head, -vertexOrientation[0].forward);
    // The tank's walls are steered from (the jam reactions) once touched; a flick that carries
    // the head on past one leaves it on the wall instead.
    if (CflatFrustum const* walls = tank ? tank->occupantFrustum() : nullptr;
        walls && walls->depthScale != 0.0f) {
        Cvector f = head;
        walls->realToFrustum(f);
        if (std::fabs(f.x) > 1.0f || std::fabs(f.y) > 1.0f || f.z < 0.0f || f.z > 1.0f) {
            f.x = std::clamp(f.x, -1.0f, 1.0f);
            f.y = std::clamp(f.y, -1.0f, 1.0f);
            f.z = std::clamp(f.z, 0.0f, 1.0f);
            walls->frustumToReal(f);
            head = f;
        }
    }
    float farZ = tank ? tank->farZLimit() : 1000.0f;
    float nearZ = tank ? tank->nearZLimit() : -1000.0f;
    if (head.z > farZ) {
        head.z = farZ;
        setGotoPoint(Cvector(head.x, head.y, farZ - 3.0f), "createPureVertex");
    }
    if (std::fabs(head.x) > 50.0f) VTRACE(1, "2FAR");
    if (head.z < nearZ) head.z = nearZ;
    if (headForced) head = forcedHead;
    for (int i = 0; i < bodyPoints; i++)
        vertex[i] = head + vertexUntransformed[i];
}

void Cfish::updateFutureIfNecessary() {
    if (futureFresh) return;
    futureFresh = 1;
    if (flickTurnRunning()) {
        for (int i = 0; i + 1 < kFuturePositions; i++)
            futurePosition[i] = futurePosition[i + 1];
        futurePosition[kFuturePositions - 1] =
            futurePosition[kFuturePositions - 2] * 2.0f - futurePosition[kFuturePositions - 3];
        return;
    }
    Cmatrix3 turn;
    turn.identity();
    turn.rotateAroundUp(headingLean);
    turn.rotateAroundSide(pitchLean);
    Cvector step(0.0f, 0.0f, (desiredBodySpeed + bodySpeed) * bodyLength * 0.5f / 30.0f);
    Cvector pos = vertex[0];
    for (Cvector& f : futurePosition) {
        Cvector world = step;
        world *= vertexOrientation[0];
        pos += world;
        f = pos;
        step *= turn;
    }
}

void Cfish::getFutureVertexPosition(int i, float frames, Cvector& out) {
    float k = static_cast<float>(i) + frames * moveShift;
    if (!std::isfinite(k)) k = static_cast<float>(i);
    if (k >= 0.0f)
        out = vertex[std::min(static_cast<int>(k), std::min(9, lastPoint))];
    else
        out = futurePosition[std::min(static_cast<int>(-k), kFuturePositions - 1)];
}
