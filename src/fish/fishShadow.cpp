#include "fish/fishShadow.h"

#include <algorithm>
#include <vector>

#include "fish/fish.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "world/thingServices.h"

bool modelHasAlpha(CgeoNew const* model) {
    return model && model->colorOffset >= 0 && (model->colorSize == 4 || model->colorSize == 1);
}

int CfishShadow::resetThing(int) {
    CtexturedGeo* model = species ? species->modelGeometry() : nullptr;
    if (!modelHasAlpha(model)) {
        setExitError("Fish shadow needs an alpha!!!", 1);
        return 1;
    }
    return 0;
}

int CfishShadow::attachThing(Cthing* master, int kind) {
    // Checked before anything is attached: a refused master keeps its own shadow.
    auto* f = dynamic_cast<Cfish*>(master);
    if (master == nullptr || master->whatAmI() != WHAT_FISH || f == nullptr) {
        // A wrong master fails this attach only: the tank goes on without the shadow.
        VTRACE(1, "master is not a fish!");
        return 1;
    }
    if (shadowRotations.capacity != 0) {
        setExitError("fish shadow has no fish is already initialized", 1);
        return 1;
    }
    // Without an alpha the shadow could not fade.
    if (resetThing(0) != 0) return 1;
    CattachedThing::attachThing(master, kind);
    CgeoNew* skeleton = species ? species->skeletonModel() : nullptr;
    int joints = skeleton ? skeleton->numPoints : 0;
    if (joints < kShadowSpineJoints || joints > f->bodyPoints || workObject == nullptr) {
        // Joints past the spine would read points the fish does not have.
        setExitError("fish shadow model must follow five to all of the fish's spine points", 1);
        return 1;
    }
    fish = f;
    matrixCount = joints;
    fishRotations.setSize(joints, "fshadrot");
    fishPoints.setSize(joints, "fshadpos");
    shadowRotations.setSize(joints, "fsharot");
    shadowPoints.setSize(joints, "fshadpos");
    heights.setSize(joints, "fshadheigt");
    std::vector<CskeletonIdentity> entries(static_cast<size_t>(joints));
    for (int i = 0; i < joints; i++) {
        entries[static_cast<size_t>(i)].name = "fishshadow";
        entries[static_cast<size_t>(i)].translatePoint = &shadowPoints[i];
        entries[static_cast<size_t>(i)].rotation = &shadowRotations[i];
        shadowRotations[i].identity();
        shadowPoints[i] = f->vertex[i];
        fishRotations[i] = &f->vertexOrientation[i];
        fishPoints[i] = &f->vertex[i];
        heights[i] = 0.0f;
    }
    fishBodyLength = f->bodyLength;
    if (workObject->initSkeleton(entries, fishBodyLength) != 0) return 1;
    for (Cvector*& ref : positionRefs)
        ref = &shadowPoints[0];
    initialized = 1;
    setDisplayed(1);
    VTRACE(2, "fishshadow reset successful");
    return 0;
}

void CfishShadow::followBodyLength() {
    if (fish == nullptr || workObject == nullptr || fish->bodyLength == fishBodyLength ||
        !(fish->bodyLength > 0.0f))
        return;
    fishBodyLength = fish->bodyLength;
    // A rootless joint's rest offset scales in place; nothing is rebuilt.
    for (CmatrixPoint& joint : workObject->matrixPoints) {
        joint.scale = fishBodyLength;
        if (joint.parentMatrix) continue;
        joint.localMatrix.identity();
        joint.localMatrix.pos = -joint.center;
        joint.localMatrix.scale(fishBodyLength);
    }
}

void CfishShadow::goFish(int) {
    framesUpdated++;
    if (fish == nullptr || matrixCount < kShadowSpineJoints) return;
    followBodyLength();
    Cvector d = *fishPoints[4] - *fishPoints[0];
    d.y = 0.0f;
    d.normalize();
    Cmatrix3& first = shadowRotations[0];
    first.forward = d;
    first.up.set(0.0f, 0.8f, 0.3f);
    first.side.crossOf(first.up, first.forward);
    for (int i = 0; i < kShadowSpineJoints; i++) {
        shadowRotations[i] = first;
        shadowPoints[i] = *fishPoints[i];
    }
    float floor = 0.0f;
    Cvector const& v1 = *fishPoints[1];
    heights[1] = tank && tank->groundHeightAt(v1.x, v1.z, floor) ? v1.y - floor : 0.0f;
}

float CfishShadow::darkness() const {
    float h = heights.capacity > 1 ? heights[1] : 0.0f;
    float length = fishBodyLength > 0.0f ? fishBodyLength : 1.0f;
    return std::clamp(1.0f - 0.3f * h / length, 0.0f, 0.8f);
}

void CfishShadow::postDeformProcessing(CworkObject& object) {
    if (object.colorOffset < 0 || !(object.colorSize == 4 || object.colorSize == 1) || object.numPoints < 1)
        return;
    int buffer = object.curGeo == &object.workGeo[1] ? 1 : 0;
    float* data = object.workGeo[buffer].pointData();
    if (data == nullptr || object.workGeo[buffer].interleaved || tank == nullptr) return;
    float* alphas =
        data + static_cast<size_t>(object.colorOffset) * object.numPoints + (object.colorSize - 1);
    CframeSources* sources = workOwner.frameSources();
    Cvector camera = sources ? sources->camPos() : Cvector();
    float dark = darkness();
    float sum = 0.0f;
    for (int p = 0; p < object.numPoints; p++) {
        float* at = object.pointPosition(buffer, p);
        if (at == nullptr) break;
        float floor = at[1], strength = 0.0f;
        if (!tank->groundAndShadowAt(at[0], at[2], floor, strength)) strength = 0.0f;
        float a = strength * dark;
        alphas[static_cast<size_t>(p) * object.colorSize] = a;
        sum += a;
        Cvector q(at[0], floor, at[2]);
        if (sources) q = camera + (q - camera) * 0.99f;
        at[0] = q.x, at[1] = q.y, at[2] = q.z;
    }
    object.materialsDisplayed(sum > 0.1f ? 1 : 0);
}
