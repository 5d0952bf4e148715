#include "things/wavingPlant.h"

#include <vector>

#include "graphics/workObject.h"
#include "script/fastNoise.h"
#include "support/cerr.h"
#include "things/pointAttrib.h"
#include "world/thingServices.h"

namespace {

constexpr float kClockPeriod = 50.0f;

float advanceClock(float clock, float step) {
    clock += step;
    if (clock >= kClockPeriod) clock -= kClockPeriod;
    return clock;
}

} // namespace

int CwavingPlant::resetThing(int) {
    if (rotations.capacity > 0) {
        initialized = 1;
        return 0;
    }
    if (species == nullptr) {
        setExitError("no species!", 1);
        return 1;
    }
    // Checked before anything is sized, so a refused model is refused again on the next
    // reset instead of passing as set up.
    CgeoNew* model = species->skeletonModel();
    CpointAttrib start(model, "noiseStart"), amp(model, "noiseAmp");
    if (!start.present() || !amp.present()) {
        setExitError("waving plant does not have proper attribs", 1223);
        return 1;
    }
    // A model the loader should never produce; refused (recorded) rather than ending the run.
    if (!requireInterleaved(*model, true)) return 1;
    int components = start.size > 2 ? 2 : start.size;
    CpointAttrib base(model, "baseAngle"), normal(model, "N");

    int n = model->numPoints;
    takeSceneScale();
    jointOrigin = Cvector();
    rotations.setSize(n, "wprot");
    rotationAxes.setSize(n, "wprotaxis");
    baseAngles.setSize(n, "wpbaseang");
    noiseStarts.setSize(n, "wpnzstart");
    noiseAmps.setSize(n, "wpnzamp0");
    if (components > 1) {
        noiseStarts1.setSize(n, "wpnzstatr1");
        noiseAmps1.setSize(n, "wpnzamp1");
    }
    jointCount = n;
    VTRACE(1, "num plant matrices: " << n);

    std::vector<CskeletonIdentity> identities(static_cast<size_t>(n > 0 ? n : 0));
    for (int i = 0; i < n; i++) {
        rotations[i].identity();
        float v[4];
        normal.read(*model, i, v);
        rotationAxes[i] = Cvector(v[0], v[1], v[2]);
        start.read(*model, i, v);
        noiseStarts[i] = v[0];
        if (components > 1) noiseStarts1[i] = v[1];
        amp.read(*model, i, v);
        noiseAmps[i] = v[0];
        if (components > 1) noiseAmps1[i] = v[1];
        base.read(*model, i, v);
        baseAngles[i] = v[0];
        identities[static_cast<size_t>(i)].translatePoint = &jointOrigin;
        identities[static_cast<size_t>(i)].rotation = &rotations[i];
    }
    if (workObject == nullptr || workObject->initSkeleton(identities, geometryScale()) != 0) {
        releaseLists();
        return 1;
    }
    clock0 = clock1 = 0.0f;
    initialized = 1;
    return 0;
}

void CwavingPlant::releaseLists() {
    // Empty lists make the next reset set the plant up from the start.
    rotations.setSize(0, nullptr);
    rotationAxes.setSize(0, nullptr);
    baseAngles.setSize(0, nullptr);
    noiseStarts.setSize(0, nullptr);
    noiseAmps.setSize(0, nullptr);
    noiseStarts1.setSize(0, nullptr);
    noiseAmps1.setSize(0, nullptr);
    jointCount = 0;
}

void CwavingPlant::goFish(int) {
    clock0 = advanceClock(clock0, 0.01f);
    clock1 = advanceClock(clock1, 0.02f);
    for (int i = 0; i < jointCount; i++) {
        float at = clock0 + noiseStarts[i];
        float angle = baseAngles[i] + fastNoiseWrapLookupVar(at) * noiseAmps[i];
        rotations[i].setAxisRotation(rotationAxes[i], angle);
    }
    framesUpdated++;
}
