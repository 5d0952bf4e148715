// Flick turns: choosing them, predicting their path against walls and other fish, and
// playing them from the species' flick arrays.
#include <algorithm>
#include <cmath>

#include "data/dataArray.h"
#include "fish/fish.h"
#include "support/cerr.h"
#include "world/thingServices.h"

namespace {
constexpr float kDeg5 = 0.08726646f, kDeg10 = 0.1745329f, kDeg15 = 0.2617994f, kDeg40 = 0.6981317f;
constexpr float kDeg45 = 0.7853982f, kDeg181 = 3.159046f;
constexpr float kAngleSlowdown = 0.1762947f;
constexpr int kMaxChannels = 64;

// The first n channels of a curve at x (interpolated or the nearest sample); false, with
// zeros, when the array is not a usable float curve.
bool readCurve(CdataArray* array, float x, float* out, int n, bool interpolate) {
    std::fill(out, out + n, 0.0f);
    auto* chan = dynamic_cast<CdataChan*>(array);
    if (chan == nullptr || chan->floatData == nullptr || chan->chans < 1 || chan->chans > kMaxChannels ||
        !std::isfinite(x))
        return false;
    float all[kMaxChannels];
    if (interpolate)
        chan->getValues(x, all, ~0u);
    else
        chan->getValUninterp(x, all);
    std::copy(all, all + std::min<int>(n, chan->chans), out);
    return true;
}
} // namespace

void Cfish::flickTurnReset() {
    isFlicking = 0;
    flickProgress = 0.0f;
    flickRate = 0.15f;
    flickStrength = 0.9f;
    residualTurn = 0.0f;
    flickChan = nullptr;
}

bool Cfish::startFlickTurn(float heading) {
    return startFlickTurn(heading, idlePitchTarget, desiredBodySpeed, 0) == 0;
}

void Cfish::contemplateFlickTurn() {
    if (!isFlicking && steerHoldFrames < 1) {
        float h = headingChange;
        // Rows of the band used at speed, chosen by the selector.
        float const band[2][2] = {{0.5235988f, kDeg181}, {0.8901179f, kDeg181}};
        float lo = kDeg5, hi = kDeg181;
        if (bodySpeed >= flickBodySpeedThres) {
            int row = flickBandSelector >= 0.5f ? 0 : 1;
            lo = band[row][0], hi = band[row][1];
        }
        float a = std::fabs(h);
        bool onBeat = strokeStrength <= 0.3f || (h > 0.0f && swimPhase > 0.3f && swimPhase < 0.7f) ||
                      (h < 0.0f && (swimPhase > 0.8f || swimPhase < 0.2f));
        if (lo <= a && a <= hi && bodyBend < kDeg10 && onBeat) {
            steerHoldFrames = 10;
            if (startFlickTurn(h, idlePitchTarget, desiredBodySpeed, 0) != 0 && h > kDeg40)
                startFlickTurn(h * 0.5f, idlePitchTarget, desiredBodySpeed, 0);
        }
    }
    steerHoldFrames--;
    if (isFlicking) {
        headingChange = 0.0f;
        VTRACE(2, "headingchange=0,  isFlicking=" << isFlicking << " flickOnly=" << 0);
    }
}

int Cfish::startFlickTurn(float heading, float pitch, float endSpeed, int keepEndSpeed) {
    if (!std::isfinite(heading) || !std::isfinite(endSpeed) || endSpeed < 0.0f || bodySpeed < 0.0f ||
        isFlicking || (braking && !forceFlick))
        return 1;
    float maxAngle = std::min(0.3f * bodySpeed + 1.9198622f, 2.268928f);
    float angle = std::clamp(heading, -maxAngle, maxAngle);
    if (!keepEndSpeed) endSpeed = std::min(endSpeed, bodySpeed + std::fabs(angle) + 0.1f);
    float slow = 1.0f - kAngleSlowdown * std::fabs(angle);
    float rate = 0.15f * slow * flickTurnFactor;
    // A flick that would never advance is refused rather than played forever.
    if (!(rate > 0.0f) || !std::isfinite(rate)) return 1;
    flickPitchFactor = pitch;
    flickPitchValue = flickPitchDelta = 0.0f;
    flickRate = rate;
    flickChan = flickRamp[std::min(static_cast<int>(bodySpeed * 50.0f), 2)];
    // Angle multiplier, centre start, end progress, muscle speed factor.
    float v[4];
    if (!readCurve(flickSpeedVariations, 0.5f * (endSpeed + bodySpeed), v, 4, true))
        v[0] = v[2] = v[3] = 1.0f;
    float endProgress = std::isfinite(v[2]) && v[2] > 0.0f ? v[2] : 1.0f;
    flickStrength = angle * slow * flickTurnFactor * v[0];
    flickCentreStart = v[1];
    flickSecondCentre = endProgress - 1.0f;
    flickMuscleSpeed = v[3] * slow * flickTurnFactor;
    flickEndProgress = endProgress;
    VTRACE(2, "angle: " << angle << "body speed:" << bodySpeed << "flick angle mult:" << v[0]
                        << "  centerstart:" << v[1] << "  muscleSpeed:" << flickMuscleSpeed
                        << "flickStartSpeed:" << bodySpeed << "  flickEndSpeed:" << endSpeed);
    flickStartSpeed = bodySpeed;
    flickEndSpeed = endSpeed;
    flickProgress = -0.5f * rate;
    flickSideShift = flickStrength * 0.003f * bodyLength * std::clamp(1.0f - bodySpeed, 0.0f, 1.0f);
    flickAngle = angle;
    flickFrameCount = 0;
    if (doesFlickTurnCollideWithSomething() == 0 || forceFlick) {
        forceFlick = 0;
        isFlicking = 1;
        if (strokeStrength > 0.1f) strokeStrength -= 0.2f;
        flickFins(angle, pitch, std::min(std::fabs(flickStrength), 1.0f), endSpeed);
        return 0;
    }
    isFlicking = 0;
    return 1;
}

void Cfish::getFuturePositions(Cvector* out, Cvector&, int n) {
    auto* path = dynamic_cast<CdataVolume*>(flickPredict);
    float degrees = std::fabs(flickAngle) * 57.29578f;
    float z = flickStartSpeed + 0.25f;
    float side = flickAngle > 0.0f ? 1.0f : -1.0f;
    Cmatrix3 const& head = vertexOrientation[0];
    bool usable = path && path->floatData && path->chans >= 2;
    if (n > 0) out[0] = vertex[0];
    for (int k = 1; k < n; k++) {
        float ab[2] = {0.0f, 0.0f};
        if (usable) path->getValues(static_cast<float>(k), degrees, z, ab, 3u);
        Cvector offset(bodyLength * side * ab[0], 0.0f, bodyLength * ab[1]);
        out[k] = vertex[0] + head.side * offset.x + head.up * offset.y + head.forward * offset.z;
    }
}

int Cfish::doesFlickTurnCollideWithSomething() {
    Cvector unused;
    getFuturePositions(flickFuture, unused, kFlickFuture);
    Cmatrix3 r = vertexOrientation[4];
    r.rotateAroundUp(0.9f * flickAngle);
    predictedEndPoint = vertex[4] + r.forward * (bodyLength * (0.2f * flickEndSpeed - 0.4f));
    // A tank without a level-set volume answers with its obstacle spheres.
    auto levelSet = [this](Cvector const& p) {
        if (tank == nullptr) return 1000.0f;
        if (tank->hasLevelSetVolume()) return tank->levelSetAt(p);
        CsphereField const* spheres = tank->sphereField();
        return spheres ? spheres->getSphereLevelSet(p, nullptr) : 10000.0f;
    };
    if (flickEndSpeed < 2.0f) {
        float room = groundChecks ? levelSet(predictedEndPoint) : 1000.0f;
        if (!(room >= proxyRadius)) return 1;
    }
    if (currentPitch > -kDeg45 && currentPitch < kDeg45) {
        Cvector const& from = flickFuture[10];
        CcollisionPlaneX plane;
        plane.thickness = 0.0f;
        plane.thicknessSquared = 0.0f;
        plane.start = from;
        plane.start.y = 0.5f * (from.y + predictedEndPoint.y) - 0.25f;
        plane.height = 0.5f;
        plane.span[0] = predictedEndPoint.x - from.x;
        plane.span[1] = predictedEndPoint.z - from.z;
        plane.calced();
        if (doesPlaneIntersectOtherFish(plane, 0)) return 1;
    }
    if (groundChecks) {
        float lowest = 1e30f;
        for (int i = 2; i <= 14; i += 2) {
            float v = levelSet(flickFuture[i]);
            if (v < lowest) {
                lowest = v;
                if (v < 1.3f * proxyRadius) return 1;
            }
        }
    }
    if (std::fabs(currentPitch) >= kDeg15)
        for (int i = 0; i < kFuturePositions; i++)
            futurePosition[i] = flickFuture[i];
    return 0;
}

void Cfish::updateFlickTurn() {
    flickProgress += flickRate;
    flickFrameCount++;
    float p = flickProgress;
    float push = p < 0.3f ? 0.35f : p < 0.7f ? 0.1f : p < 1.0f ? -0.1f : -0.03f;
    flickFinValue += pelvicFlickMult * push;
    if (p < 1.0f) {
        Cmatrix3 still;
        still.identity();
        translateAndRotate(vertexOrientation[5].side * flickSideShift, still);
    }
    if (p >= flickEndProgress) {
        flickProgress = 0.0f;
        isFlicking = 0;
        residualTurn = 0.0f;
        return;
    }
    flickBlend[0] = std::clamp(p - flickCentreStart, 0.0f, 1.0f);
    flickBlend[1] = std::clamp(p - flickSecondCentre, 0.0f, 1.0f);
    float abc[3];
    readCurve(flickChan, p, abc, 3, false);
    float s = flickStrength;
    headTurn += abc[0] * s;
    extraYaw[0] += abc[0] * 0.5f * s;
    extraYaw[1] += -0.35f * abc[1] * s;
    extraYaw[2] += -0.9f * abc[1] * s;
    finSpeed = flickMuscleSpeed;
    float pitchCurve[1];
    if (readCurve(pitchChangeChan, p, pitchCurve, 1, true)) {
        flickPitchDelta = (pitchCurve[0] - flickPitchValue) * flickPitchFactor;
        flickPitchValue = pitchCurve[0];
        flickPitch = flickPitchDelta;
    }
    bodySpeed = flickStartSpeed + (flickEndSpeed - flickStartSpeed) * abc[2];
    residualTurn = std::fabs(abc[1] * s);
    VTRACE(2, "flickCycle:" << p);
}

int Cfish::cleanupFlickTurn() {
    isFlicking = 0;
    residualTurn = 0.0f;
    return 0;
}
