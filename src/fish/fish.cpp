// A fish's construction, reset, placement, messages and saving.
#include "fish/fish.h"

#include <cmath>

#include "data/dataArrayManager.h"
#include "support/cerr.h"
#include "world/tank.h"

namespace {
constexpr char const* kArrayFolder = "species/std_fish/arrays/";

bool inRange(float v, float lo, float hi) {
    return std::isfinite(v) && v >= lo && v <= hi;
}
void legalize(float& v, float lo, float hi) {
    if (!inRange(v, lo, hi)) v = 0.0f;
}
} // namespace

Cfish::Cfish() {
    registerKeys();
    attributes =
        THING_FISH | THING_FOOD_EATER | THING_FOCUS_CANDIDATE | THING_PICKABLE_ANIMAL | THING_ANIMAL_MARK;
    flags |= VAR_SAVE;
    struct {
        CdataArray** slot;
        char const* name;
        char const* file;
    } const arrays[] = {
        {&swimCycle, "sab", "swimCycle.image"},
        {&swimAnimSideShift, "sass", "swimAnimSideShift.chan"},
        {&flickRamp[0], "flickRamp[0]", "flick_chans.0.chan"},
        {&flickRamp[1], "flickRamp[1]", "flick_chans.1.chan"},
        {&flickRamp[2], "flickRamp[2]", "flick_chans.2.chan"},
        {&flickPredict, "flickPredictB", "flickPredict.volume"},
        {&pitchChangeChan, "pitchChangeChan", "pitchChangeCurve.chan"},
        {&flickSpeedVariations, "flickSpeedVariationsRamp", "flick_speed_var.chan"},
    };
    bool missing = false;
    for (auto const& a : arrays) {
        Cstring path = Cstring(kArrayFolder) + a.file;
        registerDataArrayAndLoad(this, a.slot, a.name, path.c_str(), path.c_str());
        missing = missing || *a.slot == nullptr;
    }
    if (missing) setExitError("ahh", 1);
    clearSteering();
    clearNavigationVars();
}

Cfish::~Cfish() {
    flags |= VAR_TEARING_DOWN;
}

void Cfish::registerKeys() {
    auto key = [this](float& field, char const* name, int elements, int save) {
        Cvariable* v = registerFloat(field, name, save);
        if (v == nullptr) return;
        v->flags |= VAR_LINK | VAR_BINARY_MERGE;
        if (elements > 1) v->setNumElements(elements);
    };
    key(startPos.x, "startPos", 3, 1);
    key(startHeading, "startHeading", 1, 1);
    key(startPitch, "startPitch", 1, 1);
    key(initialSpeed, "initialSpeed", 1, 1);
    key(proxySphereSize, "proxySphereSize", 1, 0);
    key(safetyHeight, "safetyHeight", 1, 0);
    key(avgSpeed, "avgSpeed", 1, 0);
    key(moseyHustleRaceBurst[0], "moseyHustleRaceBurst", 5, 0);
    struct {
        float* field;
        char const* name;
    } const plain[] = {
        {&speciesFlickSpeed, "speciesFlickSpeed"},
        {&dorsalInertia, "dorsalInertia"},
        {&dorsalFlickMult, "dorsalFlickMult"},
        {&pitchFinAmp, "pitchFinAmp"},
        {&pelvicInertia, "pelvicInertia"},
        {&pelvicRest, "pelvicRest"},
        {&pelvicFlickMult, "pelvicFlickMult"},
        {&pelvicMin, "pelvicMin"},
        {&pelvicPushMult, "pelvicPushMult"},
        {&pelvicBodySpeed, "pelvicBodySpeed"},
        {&flickBodySpeedThres, "flickBodySpeedThres"},
        {&minimumCycleBodySpeed, "minimumCycleBodySpeed"},
        {&pectoralPitchVelocityMult, "pectoralPitchVelocityMult"},
        {&swimOvershoot, "swimOvershoot"},
        {&stopSwimmingOvershoot, "stopSwimmingOvershoot"},
        {&mouthGape, "mouthGape"},
        {&pectoralSpeedChange, "pectoralSpeedChange"},
        {&swimAmpMultiplier, "swimAmpMultiplier"},
        {&swimAmpAdd, "swimAmpAdd"},
        {&swimCycleRateMultiplier, "swimCycleRateMultiplier"},
        {&flickTurnFinDown, "flickTurnFinDown"},
        {&dorsalAnalPitchChangeEffect, "dorsalAnalPitchChangeEffect"},
        {&minimalDrag, "minimalDrag"},
        {&eyeHeadingMult, "eyeHeadingMult"},
        {&eyePitchMult, "eyePitchMult"},
        {&eyeHeadingForwardClamp, "eyeHeadingForwardClamp"},
        {&eyeHeadingBackClamp, "eyeHeadingBackClamp"},
        {&eyePitchUpClamp, "eyePitchUpClamp"},
        {&eyePitchDownClamp, "eyePitchDownClamp"},
        {&eyeAvgShiftFrames, "eyeAvgShiftFrames"},
        {&spineScale, "spineScale"},
        {&spinePitchCurvature, "spinePitchCurvature"},
    };
    for (auto const& k : plain)
        key(*k.field, k.name, 1, 0);
    key(pooInfo[0], "pooInfo", 3, 0);
    registerDataArrayPointer(this, &planesChan, "planes");
    registerDataArrayPointer(this, &heights, "heights");
    registerPointer(tankPointer, "tankPointer", 0);
    registerPointer(mySchool, "mySchool", 0);
    registerShort(fishMode, "fishMode", 0);
}

void Cfish::clearSteering() {
    headingChange = pitchChange = previousHeadingChange = previousPitchChange = 0.0f;
    requestedHeadingChange = savedPitchChange = headPitchChange = 0.0f;
    pitchVelocity = flickPitch = headTurn = 0.0f;
    extraYaw[0] = extraYaw[1] = extraYaw[2] = 0.0f;
    bodySpeed = desiredBodySpeed = realSpeed = 0.0f;
    stroking = 0;
    strokeStrength = strokeThrust = 0.0f;
    avoiding = freeSteering = 0;
    avoidCount = emergencyLevel = bigTurnCount = 0;
    minimumPitchChange = -1.0f;
    drift = Cvector();
    accumulatedSink = 0.0f;
    headingLean = pitchLean = 0.0f;
    avoidZone.count = 0;
}

void Cfish::setParent(Cvariable* newParent, int append) {
    CtankServices* before = tank;
    Cthing::setParent(newParent, append);
    if (tank == before) return;
    if (auto* old = dynamic_cast<Ctank*>(before)) old->removeFish(this);
    if (auto* now = dynamic_cast<Ctank*>(tank)) now->addFish(this);
    tankPointer = tank;
}

void Cfish::setBodyPoints(int n) {
    bodyPoints = n < 10 ? 10 : n > kMaxBodyPoints ? kMaxBodyPoints : n;
    lastPoint = bodyPoints - 1;
    bodyPointsF = static_cast<float>(bodyPoints);
    lastPointF = static_cast<float>(lastPoint);
}

void Cfish::setBodyLength(float length) {
    bodyLength = length;
    invBodyLength = 1.0f / length;
    segmentLength = spineScale * length / lastPointF;
    // The species values stay as given: a second reset must not scale them again.
    proxyRadius = proxySphereSize * length;
    safetyClearance = safetyHeight * length;
    // The head may pitch up to the clearance it keeps above the floor, in body lengths.
    maxPitchAtSpeed = 1.5f - safetyClearance;
    flickTurnFactor = 1.0f / std::pow(speciesFlickSpeed * length, 0.33333f);
    avoidanceRangeSquared = 4.0f * length * length;
}

int Cfish::resetThing(int) {
    speedScale = kBehaviourFramesPerSecond;
    clearSteering();
    waterCurrent = Cvector();
    wholeBodyBend = 0.0f;
    uprightStrength = 1.0f;
    pitchVelocityDecayRatio = 1.0f / (1.0f / pitchVelocityDecay - 1.0f);
    driftDecayRatio = 1.0f / (1.0f / driftDecay - 1.0f);
    glideFactor = 1.0f - drag;
    setBodyPoints(bodyPoints);
    setBodyLength(thingScale);
    // The skeleton carries the body length: one built before the scale was set is rebuilt,
    // after the fin controls its command-driven joints follow.
    if (!controlsMade) initializeControllers();
    weightsBuilt = 0;
    buildFishWeights();
    // The tiers derive from the species values; tiers that do not increase fall back to
    // the average speed, since the steering divides by their differences.
    float const derived[5] = {1.0f, 1.3f, 2.0f, 3.0f, 4.0f};
    bool fromAverage = moseyHustleRaceBurst[0] == -1.0f;
    for (int i = 1; i < 5 && !fromAverage; i++)
        if (!(moseyHustleRaceBurst[i] > moseyHustleRaceBurst[i - 1])) {
            VTRACE(1, name << ": speed tiers do not increase; derived from avgSpeed");
            fromAverage = true;
        }
    for (int i = 0; i < 5; i++)
        speedTiers[i] = (fromAverage ? avgSpeed * derived[i] : moseyHustleRaceBurst[i]) * bodyLength;
    if (CcollisionPlaneGroup::count != 4) initCollisionPlaneGroup(4, 0.07f, this);
    pectoralInit();
    needsPlacement = 1;
    initialized = 1;
    return 0;
}

void Cfish::legalizeInitValues() {
    float const lo[3] = {-10.0f, -2.0f, -4.0f}, hi[3] = {10.0f, 7.0f, 10.0f};
    for (int i = 0; i < 3; i++)
        legalize((&startPos.x)[i], lo[i], hi[i]);
    legalize(startHeading, -360.0f, 360.0f);
    legalize(startPitch, -360.0f, 360.0f);
    legalize(startRoll, -360.0f, 360.0f);
    legalize(initialSpeed, 0.0f, 10.0f);
    if (!inRange(bodyLength, 0.01f, 10.0f)) setBodyLength(1.0f);
}

void Cfish::setDefaultPosition() {
    auto* t = dynamic_cast<Ctank*>(tank);
    if (t == nullptr) return;
    startPos = t->fishAddPos;
    startHeading = t->fishAddDirection.x;
    startPitch = t->fishAddDirection.y;
    startRoll = t->fishAddDirection.z;
    initialSpeed = t->fishAddSpeed;
}

int Cfish::setPosition() {
    clearSteering();
    navigateReset();
    flickTurnReset();
    legalizeInitValues();
    currentPitch = startPitch;
    Cmatrix3 start;
    start.identity();
    start.rotateAroundUp(startHeading);
    start.rotateAroundSide(startPitch);
    start.rotateAroundForward(startRoll);
    for (int i = 0; i < 4; i++)
        controlOrientation[i] = vertexOrientation[i] = start;
    for (Cvector& f : futurePosition)
        f = startPos;
    bodySpeed = initialSpeed;
    realSpeed = bodySpeed * bodyLength;
    strokeRate = std::max(bodySpeed, 1.0f);
    calcVertexMoveShift();
    calcVertexShift(strokeRate);
    setDesiredRealSpeed(realSpeed);
    interpolateVertexOrientationsFromCVs();
    calcVertexUntransformedPositions();
    for (int i = 0; i < bodyPoints; i++) {
        vertex[i] = startPos + vertexUntransformed[i];
        displayVertex[i] = vertex[i];
        displayOrientation[i] = vertexOrientation[i];
    }
    lastMidPos = vertex[4];
    needsPlacement = 0;
    futureFresh = 0;
    return 0;
}

int Cfish::doExtraInit() {
    setBodyLength(thingScale);
    if (tank == nullptr) {
        setExitError("fish tried to extra init with no tank set!", 1);
        return 1;
    }
    finPitchGain = 1.0f - dorsalInertia;
    initializeControllers();
    // The shadow and the waste strand join with their own kinds.
    return 0;
}

int Cfish::receiveMessage(Cstring const& name, Cstring const& text, float value) {
    if (name == "delete animals") {
        deleteVariable(this);
        return 0;
    }
    return Cthing::receiveMessage(name, text, value);
}

void Cfish::notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) {
    // Chases of other fish and crabs come with the activities.
    if (nature == -7) mySchool = nullptr;
    CanimalThing::notifyOfBreakup(partner, nature, mine);
}

void Cfish::prepareForDelete() {
    if (!(flags & DO_PREPARE_FOR_DELETE)) return;
    dying = 1;
    setActivityDirectly(ACTIVITY_NONE);
    if (auto* t = dynamic_cast<Ctank*>(tank)) t->removeFish(this);
    CanimalThing::prepareForDelete();
}

void Cfish::getCollisionSphere(int i, float frames, Cvector& centre, float& radius) {
    getFutureVertexPosition(2 * i, frames, centre);
    radius = i == 0 ? proxyRadius * 1.3f : proxyRadius;
}

void Cfish::translateAndRotate(Cvector offset, Cmatrix3 const& rotation) {
    Cvector pivot = (vertex[4] + vertex[5]) * 0.5f;
    for (int i = 0; i < lastPoint; i++) {
        Cvector v = vertex[i] - pivot;
        v *= rotation;
        vertex[i] = pivot + v + offset;
        Cvector d = displayVertex[i] - pivot;
        d *= rotation;
        displayVertex[i] = pivot + d + offset;
        vertexOrientation[i] *= rotation;
    }
}

void Cfish::prepForSaveConfig() {
    startPos = vertex[0];
    Cvector d = vertex[0] - vertex[1];
    startHeading = std::atan2(d.x, d.z);
    float s = segmentLength > 0.0f ? d.y / segmentLength : 0.0f;
    s = s < -1.0f ? -1.0f : s > 1.0f ? 1.0f : s;
    startPitch = -std::asin(s);
    initialSpeed = bodySpeed;
}

void Cfish::setDesiredRealSpeed(float speed) {
    Cvector d = vertexOrientation[0].forward * speed - waterCurrent * 30.0f;
    desiredBodySpeed = d.length() * invBodyLength;
}

void Cfish::writeConfigString(std::ostream& out) {
    // An unplaced fish keeps the start values it was given.
    if (!needsPlacement) prepForSaveConfig();
    Cthing::writeConfigString(out);
}
