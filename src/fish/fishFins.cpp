// The cloth fins: binding a fish to its species' fin controllers, the per-frame wave and
// lift fills, the dorsal re-timing and the fins' snap at a flick.
#include <algorithm>
#include <cmath>

#include "fish/fish.h"
#include "graphics/texturedGeo.h"
#include "support/fastRand.h"
#include "world/species.h"

namespace {
constexpr float kTwoPi = 6.28318531f;

float fastRand() {
    return fastRandValues[fastRandSeedIndex++ & 31];
}

// Still at value, nothing queued.
void rest(CanimValue& v, float value) {
    v.clearFuture();
    v.active = 0;
    v.ownValue = value;
}

// Phases run downward and wrap by a turn once below minus a turn.
void advancePhase(float& phase, float speed) {
    phase -= speed;
    if (phase < -kTwoPi) phase += kTwoPi;
}

// The control of that name when it is of kind T; otherwise a new one registered on the fish.
template <class T> T* adoptControl(Cfish& fish, char const* name) {
    if (auto* found = dynamic_cast<T*>(fish.findControl(name))) return found;
    auto* made = new T;
    fish.addAndRegisterControl(name, made);
    return made;
}

CanimValue* animControl(Cfish& fish, char const* name, float value) {
    CanimValue* v = dynamic_cast<CanimValue*>(fish.findControl(name));
    if (v == nullptr) return fish.addAndRegisterAnimControl(name, value);
    rest(*v, value);
    return v;
}

// The cloth reads one extra value per wagged link: a longer tail than the extra values
// gets none rather than reading past them.
bool extraFits(CworkObject const& object, int piece) {
    if (object.model == nullptr || piece < 0) return false;
    auto const& pieces = object.model->cloth.clothPieces;
    return piece < static_cast<int>(pieces.size()) &&
           pieces[static_cast<size_t>(piece)].slavePoints.size() <= CfinState::kCaudalExtraValues;
}

float cells(CchanController* c) {
    auto* wag = dynamic_cast<CcosSinController*>(c);
    return wag ? static_cast<float>(wag->angles.count) : 0.0f;
}
} // namespace

void CfinChain::setup(int n) {
    count = std::max(n, 0);
    index = 0;
    auto size = static_cast<size_t>(count);
    ring.assign(size, 0.0f);
    weights.resize(size);
    matrices.resize(size);
    for (size_t k = 0; k < size; k++) {
        weights[k] = static_cast<float>(k + 1) / static_cast<float>(count);
        matrices[k].identity();
    }
}

void CfinChain::advance(float value) {
    if (count <= 0) return;
    ring[static_cast<size_t>(index)] = value;
    for (int k = 0; k < count; k++) {
        auto at = static_cast<size_t>(k);
        matrices[at].identity();
        matrices[at].rotateAroundSide(ring[static_cast<size_t>((index + k) % count)] * weights[at]);
    }
    index = (index + count - 1) % count;
}

void Cfish::initializeControllers() {
    auto* sp = dynamic_cast<Cspecies*>(species);
    auto find = [sp](char const* name) { return sp ? sp->getChanController(name) : nullptr; };
    dorsalPre = find("dorsalPre");
    dorsalLift = dynamic_cast<CfinLiftController*>(find("dorsalLift0"));
    dorsalWag = dynamic_cast<CfinWagController*>(find("dorsalWag0"));
    analLift = dynamic_cast<CfinLiftController*>(find("analLift0"));
    analWag = dynamic_cast<CfinWagController*>(find("analWag0"));
    caudalLift = dynamic_cast<CfinLiftController*>(find("caudalLift0"));
    caudalWag = dynamic_cast<CcaudalWagController*>(find("caudalWag0"));
    dorsalCells = cells(dorsalWag), analCells = cells(analWag), caudalCells = cells(caudalWag);
    dorsalCloth = sp ? sp->getClothIndex("dorsal") : -1;
    analCloth = sp ? sp->getClothIndex("anal") : -1;
    caudalCloth = sp ? sp->getClothIndex("caudal") : -1;
    CgeoNew* skeleton = species ? species->skeletonModel() : nullptr;
    controllerRig = skeleton && commandDrivenModel(*skeleton) ? 1 : 0;

    rest(dorsalLiftA, 0.7f), rest(dorsalLiftB, 0.7f), rest(dorsalRest, 0.7f);
    rest(wagRamp, 0.5f), rest(wagSpeed, 0.3f), rest(wagAmplitude, 0.5f);
    rest(clothParam1, 1.0f), rest(clothParam2, 1.0f);
    rest(analLiftA, 0.0f), rest(analLiftB, 0.0f);
    rest(caudalStrength, 1.0f), rest(caudalSpread, 0.0f), rest(caudalBend, 0.0f);
    rest(caudalStiffness, 0.6f), rest(caudalSpeed, 0.6f), rest(caudalAmplitude, 0.2f);
    wagPhase = caudalPhase = 0.0f;
    caudalBendTwoAgo = caudalBendLast = 0.0f;
    undulateCountdown = flutterCounter = relaxCountdown = 0;
    analRest = 0.0f;

    char const* sides[2] = {"Left", "Right"};
    for (int i = 0; i < 2; i++) {
        Cstring side(sides[i]);
        pelvicControl[i] = animControl(*this, (Cstring("pelvic") + side).c_str(), 0.8f);
        pecControl[i] = animControl(*this, (Cstring("pec") + side).c_str(), 0.0f);
        pecTopZ[i] = animControl(*this, (Cstring("pec") + side + "TopZ").c_str(), 0.0f);
        pecBottomZ[i] = animControl(*this, (Cstring("pec") + side + "BottomZ").c_str(), 0.0f);
        pecTopX[i] = animControl(*this, (Cstring("pec") + side + "TopX").c_str(), 0.0f);
        pecBottomX[i] = animControl(*this, (Cstring("pec") + side + "BottomX").c_str(), 0.0f);
    }
    pecLagTop = animControl(*this, "pecLagTop", 0.0f);
    pecLagBottom = animControl(*this, "pecLagBottom", 4.0f);
    for (int i = 0; i < 2; i++) {
        Cstring side(sides[i]);
        pecTopY[i] = adoptControl<CbufferedDelayAnimValue>(*this, (Cstring("pec") + side + "TopY").c_str());
        pecBottomY[i] =
            adoptControl<CbufferedDelayAnimValue>(*this, (Cstring("pec") + side + "BottomY").c_str());
        pecTopY[i]->setAnimLagStuff(&pecControl[i]->ownValue, &pecLagTop->ownValue, 5);
        pecBottomY[i]->setAnimLagStuff(&pecControl[i]->ownValue, &pecLagBottom->ownValue, 5);
    }
    char const* tailNames[5] = {"caudalY6", "caudalY7", "caudalY8", "caudalY68", "caudalY79"};
    for (int i = 0; i < 5; i++) {
        caudalAngles[i] = adoptControl<CmatrixAngleDifferenceVar>(*this, tailNames[i]);
        caudalAngles[i]->value = 0.0f;
    }
    bindTailAngles();
    controlsMade = 1;
}

void Cfish::dorsalUndulate(float a, int frames) {
    float r = fastRand();
    wagSpeed.setMove(0.3f + 0.3f * a + 0.2f * r, 8.0f - 4.0f * a, CURVE_SMOOTHSTEP, 1);
    clothParam1.setMove(a * randRange(0.3f, 0.6f) + 0.1f, 4.0f, CURVE_SMOOTHSTEP, 1);
    clothParam2.setMove(0.3f + 0.1f * a, 4.0f, CURVE_SMOOTHSTEP, 1);
    undulateCountdown = frames;
}

void Cfish::updateClothControllers() {
    float s = finRestlessness;
    if (undulateCountdown-- < 2) dorsalUndulate(s * s * s, 20);
    for (CanimValue* v : {&dorsalLiftA, &dorsalLiftB, &dorsalRest, &wagRamp, &wagSpeed, &wagAmplitude,
                          &clothParam1, &clothParam2})
        v->update();
    advancePhase(wagPhase, wagSpeed.ownValue);
    if (flutterCounter++ >= 11 && fastRand() < 0.05f) {
        float ramp = randRange(0.3f, 0.6f);
        if (fastRand() < 0.5f) ramp = -ramp;
        wagRamp.setMove(ramp, 4.0f, CURVE_SMOOTHSTEP, 1);
        wagRamp.setNextMove(0.0f, 30.0f, CURVE_SMOOTHSTEP);
        clothParam1.setMove(0.4f + 0.2f * s, 2.0f, CURVE_SMOOTHSTEP, 1);
        clothParam1.setNextMove(0.1f + 0.1f * s, 4.0f, CURVE_SMOOTHSTEP);
        flutterCounter = 0;
    }
    float b = 1.0f - dorsalLiftB.ownValue;
    float f = 1.0f - b * b * b;
    float wagAmp = wagAmplitude.ownValue * f;

    if (dorsalLift) {
        dorsalLift->fill(dorsalLiftA.ownValue, dorsalLiftB.ownValue);
        dorsalLift->copyToCosSine();
        if (dorsalWag) {
            dorsalWag->fill(wagRamp.ownValue, wagAmp, wagPhase, wagPhase + dorsalCells);
            dorsalWag->cheapCopyToCosSine();
        }
        if (workObject)
            workObject->updateClothPiece(dorsalCloth, clothParam1.ownValue, clothParam2.ownValue, nullptr);
    }
    analLiftA.update();
    analLiftB.update();
    if (analLift) {
        if (analWag) {
            analWag->fill(wagRamp.ownValue, wagAmp, wagPhase, wagPhase + analCells);
            analWag->cheapCopyToCosSine();
        }
        analLift->fill(analLiftA.ownValue, analLiftB.ownValue);
        analLift->copyToCosSine();
        if (workObject)
            workObject->updateClothPiece(analCloth, clothParam1.ownValue, clothParam2.ownValue, nullptr);
    }

    caudalStrength.update();
    caudalBendTwoAgo = caudalBendLast;
    caudalBendLast = caudalBend.ownValue;
    for (CanimValue* v : {&caudalBend, &caudalStiffness, &caudalAmplitude, &caudalSpeed, &caudalSpread})
        v->update();
    advancePhase(caudalPhase, caudalSpeed.ownValue);
    if (!caudalSpeed.active)
        caudalSpeed.setMove(randRange(0.4f, 0.8f), randRange(10.0f, 60.0f), CURVE_SMOOTHSTEP, 1);

    if (caudalLift) {
        float strength = caudalStrength.ownValue;
        if (caudalWag) {
            auto* sp = dynamic_cast<Cspecies*>(species);
            float amp = caudalAmplitude.ownValue * (sp ? sp->tailWagAmp : 1.0f) * strength;
            caudalWag->angles.angleToSine(amp, caudalPhase, caudalPhase + caudalCells);
            caudalWag->angles.addMultedChan(caudalWag->bendCurve, caudalBendTwoAgo - caudalBend.ownValue);
            caudalWag->cheapCopyToCosSine();
        }
        float base = std::fabs(caudalBend.ownValue) + 1.0f;
        base = base * base * strength;
        float spread = caudalSpread.ownValue;
        caudalLift->fill(std::clamp(base + spread, 0.0f, 1.0f), std::clamp(base - spread, 0.0f, 1.0f));
        caudalLift->copyToCosSine();
        if (workObject) {
            // The tail's pitch tilts the wag; one value per wagged link of a spine.
            float tilt = std::asin(std::clamp(vertexOrientation[lastPoint].forward.y, -1.0f, 1.0f));
            caudalExtra[1] = -std::sin(tilt);
            float k = caudalStiffness.ownValue;
            workObject->updateClothPiece(caudalCloth, k, k,
                                         extraFits(*workObject, caudalCloth) ? caudalExtra : nullptr);
        }
    }
}

void Cfish::flickFins(float turn, float pitch, float strength, float endSpeed) {
    float s = finRestlessness;
    float down = 0.7f + (flickTurnFinDown - 0.7f) * strength;
    float back = 0.6f + 0.3f * s;
    dorsalLiftA.setMove(down, 2.0f, CURVE_SMOOTHSTEP, 1);
    dorsalLiftA.setNextMove(back, 20.0f, CURVE_SMOOTHSTEP);
    dorsalLiftB.setMove(dorsalLiftB.ownValue, 2.0f, CURVE_SMOOTHSTEP, 1);
    dorsalLiftB.setNextMove(down, 2.0f, CURVE_SMOOTHSTEP);
    dorsalLiftB.setNextMove(back, 20.0f, CURVE_SMOOTHSTEP);
    wagRamp.setMove(strength, 2.0f, CURVE_SMOOTHSTEP, 1);
    wagRamp.setNextMove(0.0f, 20.0f, CURVE_SMOOTHSTEP);
    analLiftA.setMove(flickTurnFinDown, 2.0f, CURVE_SMOOTHSTEP, 1);
    analLiftA.setNextMove(back, 20.0f, CURVE_SMOOTHSTEP);
    analLiftB.setMove(flickTurnFinDown, 4.0f, CURVE_SMOOTHSTEP, 1);
    analLiftB.setNextMove(back, 20.0f, CURVE_SMOOTHSTEP);
    for (CanimValue* pelvic : pelvicControl) {
        if (pelvic == nullptr) continue;
        pelvic->setMove(flickTurnFinDown, randRange(2.0f, 4.0f), CURVE_SMOOTHSTEP, 1);
        pelvic->setNextMove(0.3f + 0.4f * s, randRange(10.0f, 30.0f), CURVE_SMOOTHSTEP);
    }
    caudalStrength.setMove(0.7f + 0.2f * strength, 3.0f, CURVE_SMOOTHSTEP, 1);
    caudalStrength.setNextMove(0.7f - 0.7f * strength, 2.0f, CURVE_SMOOTHSTEP);
    caudalStrength.setNextMove(0.6f + 0.3f * strength, 5.0f, CURVE_SMOOTHSTEP);
    caudalStrength.setNextMove(back, 12.0f, CURVE_SMOOTHSTEP);
    if (endSpeed < 0.2f) {
        caudalSpread.setMove(std::clamp(pitch, -0.2f, 0.2f), 4.0f, CURVE_SMOOTHSTEP, 1);
        caudalSpread.setNextMove(0.0f, 40.0f, CURVE_SMOOTHSTEP);
    }
    bool fast = endSpeed >= 0.5f;
    caudalBend.setMove(std::clamp(0.3f * turn, -0.3f, 0.3f), 3.0f, CURVE_SMOOTHSTEP, 1);
    caudalBend.setNextMove(0.0f, fast ? 3.0f : 7.0f, CURVE_SMOOTHSTEP);
    caudalStiffness.setMove(0.6f + 0.1f * strength, 2.0f, CURVE_LINEAR, 1);
    caudalStiffness.setNextMove(fast ? 0.5f : 0.2f, fast ? 5.0f : 8.0f, CURVE_SMOOTHSTEP);
    caudalAmplitude.setMove(0.05f, 2.0f, CURVE_SMOOTHSTEP, 1);
}

void Cfish::processLevelSetSensor(ClevelSetSensor* sensor, float) {
    // Sensors 10 to 19 sit by the left pelvic fin, 20 and above by the right one.
    if (sensor == nullptr || sensor->value < 10) return;
    CanimValue* pelvic = pelvicControl[sensor->value < 20 ? 0 : 1];
    if (pelvic == nullptr) return;
    if (pelvic->active && pelvic->startValue + pelvic->delta <= 0.0f) return; // already folding
    pelvic->setMove(0.0f, 10.0f, CURVE_SMOOTHSTEP, 1);
    pelvic->setNextMove(0.8f, 40.0f, CURVE_SMOOTHSTEP);
}
