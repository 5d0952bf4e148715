#include "things/crabShadow.h"

#include <vector>

#include "graphics/geoNew.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "world/thingServices.h"

int CcrabShadow::attachThing(Cthing* master, int kind) {
    // Checked before anything is attached: a refused master keeps its own shadow.
    auto* source = dynamic_cast<CcrabShadowSource*>(master);
    if (master == nullptr || master->whatAmI() != WHAT_CRAB || source == nullptr) {
        setExitError("master is not a crab!", 1);
        return 1;
    }
    if (shadowMatrices.capacity != 0) {
        setExitError("crab shadow has no crab is already initialized", 1);
        return 1;
    }
    CattachedThing::attachThing(master, kind);
    CgeoNew* skeleton = species ? species->skeletonModel() : nullptr;
    int joints = skeleton ? skeleton->numPoints : 0;
    if (joints < kShadowJoints || workObject == nullptr) {
        // Feet beyond the model's joints would be bound to nothing.
        setExitError("crab shadow model needs a body joint and eight foot joints", 1);
        return 1;
    }
    crab = source;
    jointCount = joints;
    sourceMatrices.setSize(joints, "fshadrot");
    sourcePoints.setSize(joints, "fshadpos");
    shadowMatrices.setSize(joints, "fsharot");
    shadowPoints.setSize(joints, "fshadpos");
    std::vector<CskeletonIdentity> entries(static_cast<size_t>(joints));
    for (int k = 0; k < joints; k++) {
        entries[static_cast<size_t>(k)].name = "crabshadow";
        entries[static_cast<size_t>(k)].translatePoint = &shadowPoints[k];
        entries[static_cast<size_t>(k)].rotation = &shadowMatrices[k];
        shadowMatrices[k].identity();
        sourceMatrices[k] = source->shadowHeadingMatrices();
        sourcePoints[k] = source->shadowBodyPosition();
    }
    for (int leg = 0; leg < 8; leg++)
        sourcePoints[leg + 1] = source->shadowFoot(leg);
    thingScale = master->thingScale;
    if (workObject->initSkeleton(entries, thingScale) != 0) return 1;
    for (Cvector*& ref : positionRefs)
        ref = &shadowPoints[0];
    initialized = 1;
    return 0;
}

int CcrabShadow::resetThing(int) {
    VTRACE(2, "crab shadow reset " << name);
    return 0;
}

void CcrabShadow::goFish(int) {
    if (crab != nullptr && shadowMatrices.capacity >= kShadowJoints) {
        Cmatrix3 const& heading = *sourceMatrices[0];
        shadowMatrices[0] = heading;
        shadowPoints[0] = *sourcePoints[0];
        Cvector forward = heading.forward;
        forward.normalize();
        for (int k = 1; k < kShadowJoints; k++) {
            Cmatrix3& m = shadowMatrices[k];
            m.forward = forward;
            m.up.set(0.0f, 1.0f, 0.0f);
            m.side.crossOf(m.up, m.forward);
            shadowPoints[k] = *sourcePoints[k];
        }
    }
    framesUpdated++;
}

void CcrabShadow::postDeformProcessing(CworkObject& object) {
    if (crab == nullptr || tank == nullptr) return;
    CframeSources* sources = workOwner.frameSources();
    Cvector toCamera = sources ? sources->camPos() - *crab->shadowBodyPosition() : Cvector();
    toCamera.normalize(); // a zero vector stays zero
    toCamera *= 0.3f * thingScale;
    int buffer = object.curGeo == &object.workGeo[1] ? 1 : 0;
    for (int p = 0; p < object.numPoints; p++) {
        float* at = object.pointPosition(buffer, p);
        if (at == nullptr) return;
        float floor = 0.0f;
        if (tank->groundHeightAt(at[0], at[2], floor)) at[1] = floor;
        at[0] += toCamera.x, at[1] += toCamera.y, at[2] += toCamera.z;
    }
}
