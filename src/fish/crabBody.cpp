// The crab's frame: the body on the floor, the legs and their steps, the feeding arm's
// joints, the claw, the side joints and the lighting with moving caustics.
#include <algorithm>
#include <cmath>

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "fish/crab.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "things/limbSolver.h"
#include "variables/variableLinks.h"
#include "world/thingServices.h"

namespace {
// Joints recalculated before the legs are bent: the heading, the body and the legs.
constexpr int kJointsBeforeLegs = 18;

float fractionOf(float v) {
    return v - std::floor(v);
}
} // namespace

bool Ccrab::floorHeight(float x, float z, float& height) const {
    return tank != nullptr && tank->groundHeightAt(x, z, height);
}

Cvector Ccrab::jointCentre(int joint) const {
    Cvector out;
    if (workObject && joint >= 0 && joint < static_cast<int>(workObject->matrixPoints.size()))
        workObject->matrixPoints[static_cast<size_t>(joint)].getCenter(out);
    return out;
}

Cvector Ccrab::cameraPosition() {
    CframeSources* sources = workOwner.frameSources();
    return sources ? sources->camPos() : pos;
}

void Ccrab::calcBodyOrientation() {
    Cvector p[3] = {jointCentre(kCrabFirstAnchor), jointCentre(kCrabFirstAnchor + 3),
                    jointCentre(kCrabFirstAnchor + 4)};
    for (Cvector& a : p)
        floorHeight(a.x, a.z, a.y);
    Cvector side = p[0] - p[2];
    float y = 0.25f * thingScale + (p[0].y + p[2].y) * 0.5f;
    if (framesUpdated >= 2) {
        float limit = 0.05f * thingScale;
        y = std::clamp(y, pos.y - limit, pos.y + limit);
    }
    prevPos.y = y;
    Cvector forward(p[0].x - p[1].x, (p[0].y - p[1].y) * 0.5f, p[0].z - p[1].z);
    Cvector up;
    up.crossOf(forward, side);
    // Anchors that coincide (a degenerate model) leave the heading as it was.
    if (!(up.lengthSquared() > 1e-12f) || !(side.lengthSquared() > 1e-12f)) return;
    up.normalize();
    side.normalize();
    forward.crossOf(side, up);
    Cmatrix3& m = heading();
    m.side = side;
    m.up = up;
    m.forward = forward;
}

void Ccrab::goFish(int) {
    if (joints.empty() || workObject == nullptr) return;
    float ground = 0.0f;
    if (extrasImage == nullptr || !floorHeight(pos.x, pos.z, ground)) {
        // The crab cannot walk without its floor; reported, and the run stops in order.
        setExitError("fisherr!", 1);
        return;
    }
    doAnimCycles(framesUpdated);
    prevPos = pos;
    Cmatrix3& m = heading();
    if (framesUpdated == 0) {
        if (floorWalkable(pos.x, pos.z) < 0.4f && tank) {
            if (Cvariable* start = tank->getChild("crabPos", 0))
                pos.set(float(start->getElem_float(0)), float(start->getElem_float(1)),
                        float(start->getElem_float(2)));
            prevPos = pos;
        }
        bodyPos = pos;
        workObject->calcDeformMatrices();
        calcBodyOrientation();
        pos.y = prevPos.y;
        bodyPos = pos;
        workObject->calcDeformMatrices();
        if (shadowThing && shadowThing->workObject) shadowThing->workObject->calcDeformMatrices();
        for (CcrabLeg& leg : legs) {
            int i = static_cast<int>(&leg - legs);
            leg.foot = jointCentre(kCrabFirstAnchor + i) - m.side * (leg.legLength * leg.legPhase);
            floorHeight(leg.foot.x, leg.foot.z, leg.foot.y);
        }
        handTarget = jointCentre(kCrabHandHome);
        handPos = Cvector();
    }
    calcBodyOrientation();
    handHome = jointCentre(kCrabHandHome);
    mouthPoint = jointCentre(kCrabArmUpper);
    behave();
    lastMotion = m.side * step;
    pos += lastMotion;
    joints[kCrabBody] = m;
    joints[kCrabBody].rotateAroundUp(bodyTwist->getValueAndUpdate());

    Cvector feet;
    for (CcrabLeg const& leg : legs)
        feet += leg.foot;
    feet *= 1.0f / kCrabLegs;
    bodyPos = pos + m.side * (0.625f * (feet - pos).dot(m.side)) + m.up * bodyLift->getValueAndUpdate();

    for (int j = 0; j < kJointsBeforeLegs; j++)
        workObject->matrixPoints[static_cast<size_t>(j)].calc();
    moveLegs();
    moveArm();
    joints[kCrabLittleClaw].setYrotation(-littleClawOpening);
    handleClaw();
    moveSideJoints();
    // Every joint from this frame's values: the claw tip and the hand are read from them
    // next frame whether or not the crab was drawn.
    workObject->calcDeformMatrices();
    framesUpdated++;
}

void Ccrab::moveLegs() {
    Cmatrix3 const& m = joints[kCrabHeading];
    Cvector camera = cameraPosition();
    for (int i = 0; i < kCrabLegs; i++) {
        CcrabLeg& leg = legs[i];
        Cvector hip = jointCentre(leg.chainJoint);
        Cvector anchor = jointCentre(kCrabFirstAnchor + i);
        Cvector hint = m.up + m.side * (i < 4 ? 0.5f : -0.5f);
        hint.normalize();
        size_t upper = static_cast<size_t>(leg.chainJoint);
        // A foot the body has drawn to the edge of its leg's reach would be dragged along
        // by the solver (after a chase the crab settles without stepping): it is lifted from
        // where it stands, the leg reaching towards it, and put down again near its anchor.
        bool atReach = (leg.foot - hip).length() >= kLegReach * leg.legLength * 0.999f;
        Cvector reached = leg.foot;
        Cvector& solved = atReach && leg.footCycle.idle() ? reached : leg.foot;
        float r = inverseKinematicsMatrices2(hip, solved, hint, joints[upper], joints[upper + 1], camera,
                                             leg.legLength);
        joints[upper] /= joints[kCrabBody];
        leg.legPhase += legScale * step / strideScale;
        if (!leg.footCycle.idle() || !(leg.legLength > 0.0f)) continue;
        Cvector v = (anchor - leg.foot) * (1.0f / leg.legLength);
        float drift = std::fabs(v.dot(m.forward)) * thingScale;
        float p = leg.legPhase, s = step;
        bool go = false;
        if (p < -1.0f && s < -0.001f) {
            p += 2.0f, go = true;
        } else if ((p > 1.0f && s > 0.001f) || drift > 0.7f) {
            if (p > 1.0f && s > 0.001f) {
                p -= 2.0f, go = true;
            } else if (r < 0.35f) {
                if (p < 0.0f && s > 0.001f)
                    p += 2.0f, go = true;
                else if (p > 0.0f && s < -0.001f)
                    p -= 2.0f, go = true;
            } else {
                go = true;
            }
        }
        go = go || atReach;
        leg.legPhase = p;
        if (!go) continue;
        CcrabFootAnimCycle& cycle = leg.footCycle;
        cycle.initAnimCycle(this, framesUpdated, 0.0f);
        cycle.foot = &leg.foot;
        cycle.rate = 1.0f / legTimeFactor;
        cycle.start = leg.foot;
        Cvector target = anchor - m.side * (leg.legLength * p * strideScale * 0.5f) +
                         lastMotion * (legTimeFactor * speedFactor);
        floorHeight(target.x, target.z, target.y);
        cycle.delta = target - cycle.start;
        addAnimCycle(&cycle);
    }
}

void Ccrab::moveArm() {
    float length = armLength > 0.0f ? armLength : 1.0f;
    Cvector hint(1.0f, -handPos.y / length, 0.5f);
    hint.normalize();
    hint = toWorld(hint);
    workObject->matrixPoints[kCrabArmUpper].calc();
    mouthPoint = jointCentre(kCrabArmUpper);
    inverseKinematicsMatrices(mouthPoint, handTarget, hint, joints[kCrabArmUpper], joints[kCrabArmLower],
                              armLength);
    joints[kCrabArmUpper] /= joints[kCrabHeading];
    joints[kCrabArmLower].orientFace(handTarget, cameraPosition(), 1, 0);
}

void Ccrab::handleClaw() {
    float pinch = clawPinch->getValueAndUpdate();
    float open = bigClaw->getValueAndUpdate();
    float reachOut = clawReach->getValueAndUpdate();
    joints[kCrabClawPinch].setZrotation(std::fmax(0.0f, pinch));
    joints[kCrabClawOpen].setZrotation(-0.35f * open);
    joints[kCrabClawWrist].setYrotation(std::fmax(-open, -1.0f) * 0.5f);
    joints[kCrabClawWrist].rotateAroundForward(open * reachOut);
}

void Ccrab::moveSideJoints() {
    Cvector camera = cameraPosition();
    for (int k = 0; k < 2; k++) {
        Cmatrix3& j = joints[static_cast<size_t>(kCrabSideA + k)];
        j.identity();
        j.rotateAroundForward(glance[k]->getValueAndUpdate());
        j *= joints[kCrabBody];
        j.orientFace(pos, camera, 2, 1);
        j /= joints[kCrabHeading];
    }
}

// ---- lighting ----

void Ccrab::getPointLighting() {
    int n = lightModel ? lightModel->numPoints : 0;
    if (n < 1 || static_cast<int>(lightValues.size()) < n || !lightModel->interleaved ||
        workObject->deformMatrices.empty())
        return;
    lightModel->deformGeometry(lightPositions.data(), workObject->deformMatrices);
    auto const* image = dynamic_cast<CdataImage const*>(extrasImage);
    unsigned lightChannel = image && image->chans >= 2 ? 2u : 1u;
    for (int i = 0; i < n; i++) {
        float light = 1.0f;
        if (image) image->getValues(lightPositions[3 * i], lightPositions[3 * i + 2], &light, lightChannel);
        lightValues[static_cast<size_t>(i)] = light;
    }
}

void Ccrab::postDeformProcessing(CworkObject& object) {
    float ox = pos.x - 3.0f, oz = pos.z + 2.0f;
    float length = std::sqrt(ox * ox + oz * oz);
    if (length > 0.0f) {
        causticOffset[0] -= 0.02f * ox / length;
        causticOffset[1] -= 0.02f * oz / length;
    }
    CtexturedGeo* model = object.model;
    if (model == nullptr) return;
    if (causticAttrib == -2) causticAttrib = model->findAttrib("caustic", 0);
    if (causticAttrib < 0) return;
    if (!model->interleaved) {
        // A model the loader should never produce: reported rather than ending the run.
        setExitError("notInterlvd", 1);
        return;
    }
    getPointLighting();
    int pairOffset = model->findAttrib("lightpoint", 0), blendOffset = model->findAttrib("lightblend", 0);
    int points = std::min<int>(object.numPoints, model->numPoints);
    int buffer = object.curGeo == &object.workGeo[1] ? 1 : 0;
    float* data = object.workGeo[buffer].pointData();
    if (data == nullptr || object.workGeo[buffer].interleaved || object.colorOffset < 0 ||
        object.colorSize < 3 || object.posOffset < 0)
        return;
    int baseOffset = model->findAttrib("Cd", 0);
    if (baseOffset < 0) return;
    float* colours = data + static_cast<size_t>(object.colorOffset) * object.numPoints;
    float const* positions = data + static_cast<size_t>(object.posOffset) * object.numPoints;
    auto const* caustic = dynamic_cast<CdataImage const*>(causticImage);
    if (caustic && caustic->floatData == nullptr) caustic = nullptr;
    int last = static_cast<int>(lightValues.size()) - 1;
    for (int p = 0; p < points; p++) {
        float const* record = model->pointRecord(p);
        float l = 1.0f;
        if (pairOffset >= 0 && blendOffset >= 0 && last >= 0) {
            int a = std::clamp(static_cast<int>(record[pairOffset]), 0, last);
            int b = std::clamp(static_cast<int>(record[pairOffset + 1]), 0, last);
            l = lightValues[static_cast<size_t>(a)] +
                (lightValues[static_cast<size_t>(b)] - lightValues[static_cast<size_t>(a)]) *
                    record[blendOffset];
        }
        float c = 0.0f;
        float w = record[causticAttrib];
        if (w > 0.0f && caustic) {
            float const* at = positions + static_cast<size_t>(p) * object.posSize;
            float value = 0.5f;
            caustic->getValuesUsingPercent(fractionOf(causticOffset[0] + at[0]),
                                           fractionOf(causticOffset[1] + at[2]), &value);
            c = (value - 0.5f) * w * l;
        }
        float const* base = record + baseOffset;
        float* out = colours + static_cast<size_t>(p) * object.colorSize;
        for (int k = 0; k < 3; k++)
            out[k] = (base[k] + c) * l;
    }
}
