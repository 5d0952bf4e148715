// The displayed body: a copy of the spine with the swim undulation, the mouth, the waste
// outlet and the choice of body variation and fin draw order by the viewer's side.
#include <algorithm>
#include <cmath>

#include "data/dataArray.h"
#include "fish/fish.h"
#include "script/fastNoise.h"
#include "world/tank.h"

namespace {
constexpr float kPi = 3.14159265f;

// The tank's viewpoint as seen from the fish's middle, normalised; false without a tank
// or when the viewer sits on the fish.
bool viewDirection(Cfish& fish, Cvector& out) {
    auto* t = dynamic_cast<Ctank*>(fish.tank);
    if (t == nullptr) return false;
    Cvector mid;
    fish.getMidPos(mid);
    out = t->camPos - mid;
    float length = out.length();
    if (!(length > 1e-6f)) return false;
    out = out * (1.0f / length);
    return true;
}
} // namespace

void Cfish::calcDisplay() {
    calcDisplayOrientations();
    calcDisplayVertexPositions();
    if (mouthUpdate) calcMouth();
    setBodyRenderPolyIndex();
    determinePelvicAndAnalOrdering();
}

void Cfish::calcDisplayOrientations() {
    int n = std::clamp(bodyPoints, 4, kMaxBodyPoints);
    // A stiff head: the first four frames follow vertex 2 into vertex 3.
    displayOrientation[0] = displayOrientation[1] = vertexOrientation[2];
    displayOrientation[2].blend(vertexOrientation[2], vertexOrientation[3], 0.333f);
    displayOrientation[3].blend(vertexOrientation[2], vertexOrientation[3], 0.666f);
    for (int i = 4; i < n; i++)
        displayOrientation[i] = vertexOrientation[i];

    swimPhase += strokeThrust / 30.0f;
    while (swimPhase >= 1.0f)
        swimPhase -= 1.0f;
    if (!(swimPhase >= 0.0f)) swimPhase = 0.0f;
    tailBend *= 0.85f;
    tailBendSet = 0;
    noiseOffset -= 0.1f;
    if (noiseOffset < 0.0f) noiseOffset += 50.0f;

    auto const* cycle = dynamic_cast<CdataImage const*>(swimCycle);
    float tailSpan = static_cast<float>(lastPoint - 4);
    for (int i = 0; i + 2 < n; i++) {
        float angle = 0.0f;
        if (cycle != nullptr && cycle->floatData != nullptr) {
            cycle->getValues(static_cast<float>(i), swimPhase, &angle, 1u);
            angle *= swimAmpMultiplier * strokeStrength;
        }
        if (bodySpeed < 1.5f) {
            float q = std::pow((static_cast<float>(i) + 1.0f) * 0.11111111f, 1.3f);
            float x = std::fmod(3.0f * q + noiseOffset, 50.0f);
            float noise[3];
            grabNoise3(x, noise);
            angle += noise[0] * (1.5f - bodySpeed) * 0.1f * q;
        }
        if (tailSpan > 0.0f) angle += static_cast<float>(std::max(i - 3, 0)) / tailSpan * tailBend;
        undulation[i] = angle;
        displayOrientation[i + 1].rotateAroundUp(angle);
        if (i > 5) displayOrientation[i + 1].rotateAroundSide(tailPitch);
    }
}

void Cfish::calcDisplayVertexPositions() {
    int last = std::clamp(lastPoint, 3, kMaxBodyPoints - 1);
    float s = segmentLength;
    float shift = 0.0f;
    auto const* side = dynamic_cast<CdataChan const*>(swimAnimSideShift);
    if (strokeStrength > 0.1f && side != nullptr && side->floatData != nullptr) {
        side->getValues(swimPhase, &shift, 1u);
        shift *= strokeStrength * swimAmpMultiplier * s;
    }
    displayVertex[3] = vertex[3] + vertexOrientation[3].side * shift;
    for (int i = 4; i <= last; i++)
        displayVertex[i] = displayVertex[i - 1] - displayOrientation[i].forward * s;
    for (int i = 2; i >= 0; i--)
        displayVertex[i] = displayVertex[i + 1] + displayOrientation[i + 1].forward * s;
}

void Cfish::calcMouth() {
    float g = std::sin(mouthOpening * kPi) * mouthGape;
    jawMatrix.setXrotation(g);
    chinMatrix.setXrotation(0.25f * g);
    float lip = std::min(0.0f, 0.1f - 0.2f * g);
    lipMatrix.setXrotation(lip);
    lipOffset.set(0.0f, -0.01f * lip, -0.015f * lip);
    mouthUpdate = 0;
}

void Cfish::getAnusPos(Cvector& position, Cmatrix3& orientation) {
    float at = std::isfinite(pooInfo[0]) ? pooInfo[0] : 0.0f;
    // An outlet beyond the body is put on its last segment rather than read past it.
    int j = static_cast<int>(std::clamp(at, 0.0f, static_cast<float>(lastPoint - 1)));
    float f = std::clamp(at - static_cast<float>(j), 0.0f, 1.0f);
    position = displayVertex[j] + (displayVertex[j + 1] - displayVertex[j]) * f;
    orientation = displayOrientation[j];
    position += orientation.up * (pooInfo[1] * thingScale);
}

short Cfish::bodyVariationForView(float a, float b) {
    if (a > 0.7f && b > 0.7f) return a > 0.8f && b > 0.8f ? 1 : 2;
    if (a < -0.7f && b < -0.7f) return a < -0.8f && b < -0.8f ? 4 : 3;
    return 0;
}

void Cfish::setBodyRenderPolyIndex() {
    Cvector t;
    if (bodyRenderIndex < 0 || workObject == nullptr || !viewDirection(*this, t)) return;
    float a = t.dot(controlOrientation[0].side), b = t.dot(displayOrientation[4].side);
    workObject->setRenderPolyVariation(bodyRenderIndex, bodyVariationForView(a, b));
}

void Cfish::determinePelvicAndAnalOrdering() {
    Cvector t;
    if (nearFinGroup == nullptr || farFinGroup == nullptr || bodyFinGroup == nullptr) return;
    if (!viewDirection(*this, t)) return;
    // nearFinGroup is "mat_body_t6", farFinGroup "mat_body_t7", bodyFinGroup "mat_body_t0".
    if (t.dot(displayOrientation[1].side) >= 0.0f) {
        nearFinGroup->drawMeOvertopOf(bodyFinGroup);
        bodyFinGroup->drawMeOvertopOf(farFinGroup);
    } else {
        farFinGroup->drawMeOvertopOf(bodyFinGroup);
        bodyFinGroup->drawMeOvertopOf(nearFinGroup);
    }
}

void Cfish::initAdditionalWorkGeoStuff(CworkObject& object) {
    bodyRenderIndex = static_cast<short>(object.findRenderPolyIndex("mat_body_0#_o1"));
    nearFinGroup = object.findRPGbyName("mat_body_t6");
    farFinGroup = object.findRPGbyName("mat_body_t7");
    bodyFinGroup = object.findRPGbyName("mat_body_t0");
    // A new work object needs its own skeleton; the eyes point into its matrices. Until the
    // fin controls exist (the first reset builds it) a command-driven joint could not find
    // the control it follows.
    weightsBuilt = 0;
    if (controlsMade) buildFishWeights();
}
