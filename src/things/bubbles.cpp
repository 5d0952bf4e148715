#include "things/bubbles.h"

#include <cmath>
#include <cstdint>
#include <vector>

#include "data/dataArray.h"
#include "graphics/workObject.h"
#include "script/fastNoise.h"
#include "support/cerr.h"
#include "support/fastRand.h"
#include "things/pointAttrib.h"
#include "world/thingServices.h"

namespace {

constexpr float kParkedY = -1000.0f;
constexpr float kMaxCredit = 2.0f;
// Each big bubble's mesh begins with this many points, which jiggle.
constexpr int kJigglePointsPerBig = 4;

float rand01() {
    return randRange(0.0f, 1.0f);
}

} // namespace

int Cbubbles::resetThing(int mode) {
    if (species == nullptr) {
        setExitError("no species!", 1);
        return 1;
    }
    CgeoNew* model = species->skeletonModel();
    if (positions.capacity == 0) {
        int n = model ? model->numPoints : 0;
        positions.setSize(n, "bubpos");
        matrices.setSize(n, "bubrot");
        speeds.setSize(n, "bubspeed");
        states.setSize(n, "bubbon");
        ages.setSize(n, "bublife");
        drifts.setSize(n, "bubdrift");
        wobblePhases.setSize(n, "asd");
        sizes.setSize(n, "aywwy");
        bigOnes.setSize(n, "owyw");
        emissionPoints.setSize(n, "hwhty");
        bubbleCount = positions.capacity;
    }
    switchEmitterOff();
    float tankScale = tank ? tank->tankValue("tankScale", 1.0f) : 1.0f;
    killHeight = tankScale * (tank ? tank->tankValue("bubbleKillHeight", 1.0f) : 1.0f);
    emitCredit = 0.0f;
    noisePhase = 10.0f;
    // A model the loader should never produce; refused (recorded) rather than ending the run.
    if (model && !requireInterleaved(*model, true)) return 1;
    CpointAttrib bigOne(model, "bigOne");
    bigCount = 0;
    std::vector<CskeletonIdentity> identities(static_cast<size_t>(bubbleCount));
    for (int k = 0; k < bubbleCount; k++) {
        matrices[k].identity();
        emissionPoints[k] = positions[k] = Cvector(0.0f, kParkedY, 0.0f);
        states[k] = BUBBLE_FINISHED;
        float big[4];
        bigOne.read(*model, k, big);
        bigOnes[k] = big[0];
        if (big[0] != 0.0f) bigCount++;
        identities[static_cast<size_t>(k)].translatePoint = &positions[k];
        identities[static_cast<size_t>(k)].rotation = &matrices[k];
    }
    if (workObject == nullptr) return 1;
    // The jiggle writes into the first points of the mesh: a model with too few of them
    // is refused here rather than written past.
    int points = workObject->numPoints;
    if (int64_t{kJigglePointsPerBig} * bigCount > points) {
        VTRACE(1, "bubbles " << name << ": " << bigCount << " big bubbles need "
                             << kJigglePointsPerBig * bigCount << " points, the mesh has " << points);
        setExitError("bubble mesh too small for its big bubbles", 1);
        return 1;
    }
    if (workObject->initSkeleton(identities, thingScale) != 0) return 1;
    initialized = 1;
    Cthing::resetThing(mode);
    return 0;
}

void Cbubbles::moveAllZpos() {
    for (int k = 0; k < bubbleCount; k++)
        positions[k].z = origin.z;
}

void Cbubbles::goFish(int) {
    float tankScale = 1.0f, worldSpeed = 1.0f, rate = 1.0f;
    if (tank) {
        tankScale = tank->tankValue("tankScale", 1.0f);
        rate = tank->tankValue("bubbleSpeed", 1.0f) * tank->tankValue("bubbleSpeedMult", 1.0f);
        worldSpeed = tank->tankValue("worldSpeed", 1.0f);
    }
    // A stopped or reversed world would send the bubbles to infinity.
    if (!(worldSpeed > 0.0f)) worldSpeed = 1.0f;
    float scaledRate = tankScale * rate;
    bool on = emitterOn();

    if (on) {
        emitCredit += rate * 2.0f * rand01();
        if (emitCredit > kMaxCredit) emitCredit = kMaxCredit;
    }
    noisePhase += 0.08f;

    for (int k = 0; k < bubbleCount; k++) {
        if (states[k] != BUBBLE_RISING) {
            if (emitCredit >= 1.0f && on && states[k] == BUBBLE_WAITING) {
                emitCredit -= 1.0f;
                states[k] = BUBBLE_RISING;
                positions[k] = origin;
                emissionPoints[k] = origin;
                ages[k] = 0.0f;
                float s = (rand01() + 1.0f) * 0.1f;
                sizes[k] = s;
                matrices[k] = Cmatrix3();
                float diagonal = s / ((tankScale + 1.0f) * 0.5f);
                matrices[k].side.x = matrices[k].up.y = matrices[k].forward.z = diagonal;
                float speed = ((bigOnes[k] != 0.0f ? 2.0f * s : s) * 0.05f + 0.1f) * scaledRate;
                wobblePhases[k] = rand01() * 30.0f;
                float drift = (rand01() - 0.5f) * 0.8f * scaledRate;
                speed -= std::fabs(drift) * speed * ((1.0f - scaledRate) * 0.1f + 0.55f);
                speeds[k] = speed;
                drifts[k] = drift + 0.5f * fastNoiseWrapLookupVar(noisePhase);
            } else {
                if (states[k] == BUBBLE_FINISHED) {
                    positions[k].y = kParkedY;
                    matrices[k] = Cmatrix3();
                    states[k] = BUBBLE_WAITING;
                }
                continue;
            }
        }
        Cvector& p = positions[k];
        p.y += speeds[k] / worldSpeed;
        ages[k] += 1.0f;
        p.x = emissionPoints[k].x + std::sin(4.0f * p.y + wobblePhases[k]) * 0.3f * sizes[k] +
              drifts[k] * (ages[k] + 5.0f) * 0.01f;
        if (p.y > killHeight) {
            states[k] = BUBBLE_FINISHED;
            matrices[k] = Cmatrix3();
        }
    }
    framesUpdated++;
}

void Cbubbles::postDeformProcessing(CworkObject& work) {
    auto const* noise = noiseWrap50x3chan;
    if (noise == nullptr || noise->floatData == nullptr || noise->res[0] < 1 || noise->chans < 1) return;
    int64_t length = noise->res[0];
    int chans = noise->chans;
    int n = kJigglePointsPerBig * bigCount;
    // The buffer the deformation has just written.
    int buffer = work.curGeo == &work.workGeo[1] ? 1 : 0;
    int64_t first = (int64_t{framesUpdated} * 4) % length;
    int64_t second = (int64_t{framesUpdated} * 4 + 100) % length;
    if (first < 0) first += length;
    if (second < 0) second += length;
    for (int v = 0; v < n; v++) {
        float* p = work.pointPosition(buffer, v);
        if (p != nullptr) {
            p[0] += 0.04f * noise->floatData[first * chans];
            p[1] += 0.02f * noise->floatData[second * chans];
        }
        first = (first + 10) % length;
        second = (second + 10) % length;
    }
}
