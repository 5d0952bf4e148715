// Per-frame geometry: the skeleton's matrices skin the model's rest points into one work
// buffer, then the model's per-point effects, the thing's own passes and the bounding box.
// Nothing here allocates; every table index was checked when the model was loaded, and
// the few that depend on this object (joint indices, sensor points) are checked here.
#include <algorithm>
#include <cmath>

#include "data/dataArray.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "support/matrix4.h"

namespace {

enum MissingSource : uint8_t {
    MISSING_TANK = 1,
    MISSING_CAM_SHAKE = 2,
    MISSING_FLUTTER = 4,
    MISSING_LEVEL_SET = 8,
    MISSING_COLOR_NOISE = 16,
};

// Wraps a running phase into [0, 50); a phase that is not finite restarts at 0.
float wrapPhase(float t) {
    if (t >= 50.0f) t -= 50.0f;
    if (t >= 0.0f && t < 50.0f) return t;
    return std::isfinite(t) ? t - 50.0f * std::floor(t / 50.0f) : 0.0f;
}

float fraction(float v) {
    return v - std::floor(v);
}

Cvector readVector(float const* at) {
    return Cvector(at[0], at[1], at[2]);
}

void writeVector(float* at, Cvector const& v) {
    at[0] = v.x, at[1] = v.y, at[2] = v.z;
}

bool insideWorld(Cvector const& p) {
    return p.x > -10000.0f && p.x < 10000.0f && p.y > -10000.0f && p.y < 10000.0f && p.z > -10000.0f &&
           p.z < 10000.0f;
}

} // namespace

void CworkObject::traceMissing(int bit, char const* what) {
    if (missingSourcesTraced & bit) return;
    missingSourcesTraced |= static_cast<uint8_t>(bit);
    VTRACE(1, (thing ? thing->skeletonOwnerName() : "") << ": no " << what << ", its effect is skipped");
}

CframeSources* CworkObject::sources() {
    CframeSources* s = thing ? thing->frameSources() : nullptr;
    if (s == nullptr) traceMissing(MISSING_TANK, "tank");
    return s;
}

int CworkObject::calcGeometry(int buffer) {
    int n = buffer & 1;
    calcDeformMatrices();
    curGeo = &workGeo[n];
    prevGeo = &workGeo[1 - n];
    calcDeformedGeometry();
    if (thing) thing->updateClothControllers();
    finalProcessing();
    if (thing) thing->postDeformProcessing(*this);
    processStealColorsPoints();
    updateBoundingBox();
    prevBufferMatrices = &bufferMatrices[1 - n];
    curBufferMatrices = &bufferMatrices[n];
    if (keepMatrixHistory) {
        std::vector<Cmatrix_4>& history = bufferMatrices[n];
        for (size_t j = 0; j < history.size() && j < deformMatrices.size(); j++)
            history[j] = deformMatrices[j];
    }
    return 0;
}

// Points both skinning tables cover (a model whose tables were never built has none).
int CworkObject::skinnedPoints() const {
    size_t tables = std::min(model->blendInfo.size(), model->pointFlags.size());
    return static_cast<int>(std::min(static_cast<size_t>(std::max<int>(numPoints, 0)), tables));
}

void CworkObject::skinPoints(bool& failed) {
    CgeoNew const& rest = model->clonedPoints;
    float* pos = attribute(curGeo, posOffset);
    float const* restPos = rest.pointData() ? rest.pointData() + rest.posOffset * rest.numPoints : nullptr;
    if (pos == nullptr || restPos == nullptr || rest.numPoints < numPoints) return;
    int points = skinnedPoints();
    for (int i = 0; i < points; i++) {
        if (!model->pointFlags[static_cast<size_t>(i)]) continue;
        CmatrixBlendInfo const& b = model->blendInfo[static_cast<size_t>(i)];
        Cvector p = readVector(restPos + static_cast<size_t>(i) * rest.posSize);
        Cvector skinned = p;
        // A joint this skeleton does not have is as bad as a broken matrix.
        bool known = b.matrixA < numMatrices && b.matrixB < numMatrices;
        if (known) skinned.blendByMatrices(deformMatrices[b.matrixB], deformMatrices[b.matrixA], b.weight);
        if (!known || !insideWorld(skinned)) {
            VTRACE(1, (thing ? thing->skeletonOwnerName() : "")
                          << " ERROR! bad matrix  pt:" << i << "/" << numPoints << " " << skinned
                          << " p=" << p << " matIndexes=" << int(b.matrixA) << ", " << int(b.matrixB));
            if (b.matrixA < numMatrices) matrixPoints[b.matrixA].showMatrixPoint(b.matrixA);
            if (b.matrixB < numMatrices) matrixPoints[b.matrixB].showMatrixPoint(b.matrixB);
            skinned.set(0.0f, 0.0f, 0.0f);
            failed = true;
        }
        writeVector(pos + static_cast<size_t>(i) * posSize, skinned);
    }
}

void CworkObject::pushNoise() {
    CframeSources* s = sources();
    if (s == nullptr) return;
    noiseTime = wrapPhase(noiseTime + s->pushNoiseSpeed());
    CdataChan const* shake = s->camShakeChan();
    if (shake == nullptr) return traceMissing(MISSING_CAM_SHAKE, "camShakeChan");
    if (!requireInterleaved(*model, true)) return;
    bool onPosition = model->pushUVSet == 255;
    float scale = onPosition && thing ? thing->thingScale() : 1.0f;
    int stride = onPosition ? posSize : 2;
    float* target = attribute(curGeo, onPosition ? posOffset : noiseTargetOffset);
    int push = model->noisePushOffset, timing = model->noiseTimingOffset, base = model->noiseUVOffset;
    int fpp = model->floatsPerPoint;
    if (target == nullptr || push < 0 || push + 2 > fpp || base < 0 || base + 2 > fpp || timing >= fpp)
        return;
    for (int i = 0; i < numPoints; i++) {
        float const* r = model->pointRecord(i);
        if (r[push] == 0.0f) continue;
        float t = wrapPhase((timing >= 0 ? r[timing] : 0.0f) + noiseTime);
        float v = 0.0f;
        shake->getValues(t, &v, 1);
        float* out = target + static_cast<size_t>(i) * stride;
        out[0] = (r[push] * v + r[base]) * scale;
        out[1] = (r[push + 1] * v + r[base + 1]) * scale;
    }
}

void CworkObject::setDualNormalFactors() {
    CframeSources* s = sources();
    Cvector mid;
    if (thing) thing->getMidPos(mid);
    Cvector d = (s ? s->camPos() : Cvector()) - mid;
    d.normalize();
    std::vector<float>& factors = model->dualNormalFactors;
    for (int p : model->dualNormalPoints) {
        if (p < 0 || static_cast<size_t>(p) >= model->blendInfo.size() ||
            static_cast<size_t>(p) >= factors.size())
            continue;
        CmatrixBlendInfo const& b = model->blendInfo[static_cast<size_t>(p)];
        int joint = b.weight < 0.5f ? b.matrixB : b.matrixA;
        if (joint >= numMatrices) continue;
        factors[static_cast<size_t>(p)] =
            deformMatrices[static_cast<size_t>(joint)].rot.side.dot(d) >= 0.0f ? 1.0f : -1.0f;
    }
}

void CworkObject::calcDeformedGeometry() {
    if (model == nullptr || curGeo == nullptr) return;
    bool deferred = model->workSwitches[0] != 0;
    bool skinning = numMatrices > 0 && !model->blendInfo.empty() && !deferred;
    bool failed = false;
    if (skinning) {
        if (!requireInterleaved(*curGeo, false)) return;
        skinPoints(failed);
    }
    if (noiseTargetOffset != -1) pushNoise();
    if (!model->dualNormalPoints.empty()) setDualNormalFactors();

    float* normals = attribute(curGeo, normalOffset);
    CgeoNew const& rest = model->clonedPoints;
    float const* restNormals = rest.pointData() && rest.normalOffset >= 0
                                   ? rest.pointData() + rest.normalOffset * rest.numPoints
                                   : nullptr;
    if (skinning && normals && restNormals && rest.numPoints >= numPoints) {
        std::vector<float> const& factors = model->dualNormalFactors;
        int points = skinnedPoints();
        for (int i = 0; i < points; i++) {
            if (!model->pointFlags[static_cast<size_t>(i)]) continue;
            CmatrixBlendInfo const& b = model->blendInfo[static_cast<size_t>(i)];
            if (b.matrixA >= numMatrices || b.matrixB >= numMatrices) continue;
            Cvector n = readVector(restNormals + static_cast<size_t>(i) * 3);
            if (static_cast<size_t>(i) < factors.size()) n.x *= factors[static_cast<size_t>(i)];
            Cvector nb = n, na = n;
            nb *= normalMatrices[b.matrixB];
            na *= normalMatrices[b.matrixA];
            writeVector(normals + static_cast<size_t>(i) * 3, nb + (na - nb) * b.weight);
        }
    }
    if (failed) {
        VTRACE(1, "\n\n\nFAILED THING: " << (thing ? thing->skeletonOwnerName() : ""));
        setExitError("bad matrix", 1);
        if (thing) thing->showThing();
    }
}

void CworkObject::flutter() {
    CframeSources* s = sources();
    if (s == nullptr) return;
    CdataImage const* image = s->fishFinFlutter();
    if (image == nullptr) return traceMissing(MISSING_FLUTTER, "fishFinFlutter");
    float* pos = attribute(curGeo, posOffset);
    if (pos == nullptr) return;
    float t = static_cast<float>(s->waterPhase() * 1.5) + (thing ? thing->randomPhase() : 0.0f);
    std::vector<float> const& values = model->flutterValues;
    int point = 0;
    for (size_t k = 0; k < model->flutterSkips.size() && 3 * k + 2 < values.size(); k++) {
        point += model->flutterSkips[k];
        if (point < 0 || point >= numPoints) break;
        float x = std::fmod(t - values[3 * k], 1.0f);
        float y = std::fmod(values[3 * k + 1] * 0.33333334f + t * 0.27f, 1.0f);
        float sample = 0.0f;
        image->getValues(x, y, &sample, 1);
        float a = values[3 * k + 2] * 5.0f * sample;
        float* p = pos + static_cast<size_t>(point) * posSize;
        p[0] += a * 0.007f;
        p[1] += a * 0.003f;
    }
}

void CworkObject::recomputeNormals() {
    float* pos = attribute(curGeo, posOffset);
    float* normals = attribute(curGeo, normalOffset);
    if (pos == nullptr || normals == nullptr) return;
    std::vector<uint16_t> const& calcs = model->normalCalcs;
    for (size_t k = 0; k + 2 < calcs.size(); k += 3) {
        int p = calcs[k], a = calcs[k + 1], b = calcs[k + 2];
        if (p >= numPoints || a >= numPoints || b >= numPoints) continue;
        Cvector here = readVector(pos + static_cast<size_t>(p) * posSize);
        Cvector toA = readVector(pos + static_cast<size_t>(a) * posSize) - here;
        Cvector toB = readVector(pos + static_cast<size_t>(b) * posSize) - here;
        Cvector n;
        n.crossOf(toB, toA);
        approxNormalize(n);
        writeVector(normals + static_cast<size_t>(p) * 3, n);
    }
}

void CworkObject::causticColors() {
    CframeSources* s = sources();
    if (s == nullptr) return;
    causticPhaseU = wrapPhase(causticPhaseU + s->causticPointNoiseSpeedU());
    causticPhaseV = wrapPhase(causticPhaseV + s->causticPointNoiseSpeedV());
    CdataImage const* noise = s->colorNoiseImage();
    if (noise == nullptr) return traceMissing(MISSING_COLOR_NOISE, "colorNoiseImage");
    if (!requireInterleaved(*model, true)) return;
    float* colors = attribute(curGeo, colorOffset);
    if (colors == nullptr) return setExitError("no color", 1);
    if (colorSize != 3) return setExitError("owhb", 1);
    int amp = model->causticAmpOffset, offsets = model->causticNoiseOffset;
    int modelColor = model->colorSize >= 3 ? model->colorOffset : -1;
    if (amp >= model->floatsPerPoint || offsets + 2 > model->floatsPerPoint) return;
    for (int i = 0; i < numPoints; i++) {
        float const* r = model->pointRecord(i);
        float c = 0.0f;
        if (r[amp] > 0.0f) {
            float sample = 0.0f;
            noise->getValues(fraction(causticPhaseU + r[offsets]), fraction(causticPhaseV + r[offsets + 1]),
                             &sample, 1);
            c = sample * r[amp];
        }
        float* out = colors + static_cast<size_t>(i) * 3;
        for (int k = 0; k < 3; k++)
            out[k] = (modelColor >= 0 ? r[modelColor + k] : 0.0f) + c;
    }
}

void CworkObject::specularReflection() {
    float* normals = attribute(curGeo, normalOffset);
    float* reflected = attribute(curGeo, specOffset);
    if (normals == nullptr || reflected == nullptr) return;
    CframeSources* s = sources();
    float k = model->reflectionTexScale[1];
    Cvector mid;
    if (thing) thing->getMidPos(mid);
    Cvector cam = s ? s->camPos() : Cvector();
    Cvector d(mid.x - cam.x, 0.0f, mid.z - cam.z);
    d.normalize();
    float o = d.x * 0.4f;
    if (auto const* image = dynamic_cast<CdataImage const*>(model->specColRef)) {
        if (colorSize != 3) return setExitError("owhb2", 1);
        if (image->floatData == nullptr) return setExitError("ImageArray must have float data.", 1);
        for (int i = 0; i < numPoints; i++) {
            float const* n = normals + static_cast<size_t>(i) * 3;
            float out[4] = {0.0f, 0.0f, 0.0f, 0.0f};
            image->getValuesUninterp(n[0] * k + o, n[1] * k, out, 7);
            writeVector(reflected + static_cast<size_t>(i) * 3, readVector(out));
        }
        return;
    }
    auto const* ramp = dynamic_cast<CdataChan const*>(model->specColRefC);
    if (ramp == nullptr || ramp->floatData == nullptr || ramp->res[0] < 1) return;
    // The index runs over the ramp's samples.
    float scaled = k * static_cast<float>(ramp->res[0] - 1);
    for (int i = 0; i < numPoints; i++) {
        float const* n = normals + static_cast<size_t>(i) * 3;
        float x = n[0] + o;
        float index = (x * x + n[1] * n[1]) * scaled;
        float out[3] = {0.0f, 0.0f, 0.0f};
        if (index >= 0.0f) ramp->getValDirectIndex3Chans(index, out);
        writeVector(reflected + static_cast<size_t>(i) * 3, readVector(out));
    }
}

void CworkObject::finalProcessing() {
    if (model == nullptr || curGeo == nullptr) return;
    if (!requireInterleaved(*curGeo, false)) return;
    if (!model->flutterSkips.empty()) flutter();
    if (!model->normalCalcs.empty()) recomputeNormals();
    if (envMapUVOffset != -1) {
        float* uv = attribute(curGeo, envMapUVOffset);
        float const* normals = attribute(curGeo, normalOffset);
        float s = model->reflectionTexScale[0] * 0.5f;
        for (int i = 0; uv && normals && i < numPoints; i++) {
            float const* n = normals + static_cast<size_t>(i) * 3;
            uv[2 * i] = n[0] * s + 0.5f;
            uv[2 * i + 1] = std::clamp(n[1] * s + 0.5f, 0.0f, 0.98f);
        }
    }
    if (model->causticNoiseOffset > 0 && model->causticAmpOffset > 0) causticColors();
    if (model->specColRef || model->specColRefC) specularReflection();
}

void CworkObject::processStealColorsPoints() {
    if (model == nullptr || model->stealColorPairs.empty() || colorSize < 3) return;
    float* colors = attribute(curGeo, colorOffset);
    if (colors == nullptr) return;
    std::vector<int> const& pairs = model->stealColorPairs;
    for (size_t k = 0; k + 1 < pairs.size(); k += 2) {
        int to = pairs[k], from = pairs[k + 1];
        if (to < 0 || from < 0 || to >= numPoints || from >= numPoints) continue;
        for (int c = 0; c < 3; c++)
            colors[static_cast<size_t>(to) * colorSize + c] =
                colors[static_cast<size_t>(from) * colorSize + c];
    }
}

void CworkObject::updateBoundingBox() {
    int count = CgeoNew::groupSize(static_cast<ClinkVar const*>(extremity));
    float* pos = attribute(curGeo, posOffset);
    float* box = thing ? thing->boundingBox() : nullptr;
    if (count == 0 || pos == nullptr || box == nullptr) return;
    short const* members = CgeoNew::groupMembers(static_cast<ClinkVar const*>(extremity));
    Cvector lo;
    bool started = thing->boundingBoxStart(lo);
    Cvector hi = lo;
    for (int k = 0; k < count; k++) {
        int p = members[k];
        if (p < 0 || p >= numPoints) continue;
        Cvector v = readVector(pos + static_cast<size_t>(p) * posSize);
        if (!started) lo = hi = v, started = true;
        lo.set(std::min(lo.x, v.x), std::min(lo.y, v.y), std::min(lo.z, v.z));
        hi.set(std::max(hi.x, v.x), std::max(hi.y, v.y), std::max(hi.z, v.z));
    }
    if (!started) return;
    float widen = thing->thingScale() * 0.15f;
    box[0] = lo.x - widen, box[1] = lo.y, box[2] = lo.z - widen;
    box[3] = hi.x + widen, box[4] = hi.y, box[5] = hi.z + widen;
}

void CworkObject::calcPointNum(int point, Cvector& out, Cmatrix3* rotationOut) {
    if (curGeo == nullptr || !requireInterleaved(*curGeo, false)) return;
    float* pos = attribute(curGeo, posOffset);
    if (pos == nullptr || point < 0 || point >= numPoints) return;
    out = readVector(pos + static_cast<size_t>(point) * posSize);
    if (numMatrices == 0 || model == nullptr || static_cast<size_t>(point) >= model->blendInfo.size()) return;
    CmatrixBlendInfo const& b = model->blendInfo[static_cast<size_t>(point)];
    if (b.matrixA >= numMatrices || b.matrixB >= numMatrices) return;
    out.blendByMatrices(deformMatrices[b.matrixB], deformMatrices[b.matrixA], b.weight);
    if (rotationOut) *rotationOut = deformMatrices[b.matrixB].rot;
}

void CworkObject::doLevelSetSensors() {
    if (curGeo == nullptr || levelSetSensors.empty()) return;
    if (!requireInterleaved(*curGeo, false)) return;
    CframeSources* s = sources();
    float* pos = attribute(curGeo, posOffset);
    if (s == nullptr || pos == nullptr) return;
    CdataVolume const* volume = s->levelSet();
    if (volume == nullptr) traceMissing(MISSING_LEVEL_SET, "levelSet (spheres used)");
    for (ClevelSetSensor& sensor : levelSetSensors) {
        if (sensor.pointIndex < 0 || sensor.pointIndex >= numPoints) continue;
        Cvector p = readVector(pos + static_cast<size_t>(sensor.pointIndex) * posSize);
        float level = 10000.0f;
        if (volume)
            volume->getValues(p, &level, 1);
        else
            level = s->sphereLevelSet(p);
        if (level < sensor.threshold) thing->processLevelSetSensor(&sensor, level);
    }
}
