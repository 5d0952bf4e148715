#include "things/basicDeformThing.h"

#include "graphics/geoNew.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "world/thingServices.h"

int CbasicDeformThing::resetThing(int mode) {
    if (species == nullptr) {
        setExitError("no species!", 1);
        return 1;
    }
    takeSceneScale();
    CgeoNew* skeleton = species->skeletonModel();
    int joints = skeleton ? skeleton->numPoints : 0;
    if (joints > 0) {
        // A second reset keeps the storage the skeleton and the position references
        // already point into; only a changed joint count moves it.
        if (jointCount != joints) {
            Cvector* oldFirst = jointPositions.empty() ? nullptr : jointPositions.data();
            jointPositions.assign(static_cast<size_t>(joints), Cvector());
            jointMatrices.assign(static_cast<size_t>(joints), Cmatrix3());
            for (Cvector*& ref : positionRefs)
                if (ref == oldFirst) ref = nullptr;
            jointCount = joints;
        }
        std::vector<CskeletonIdentity> identities(static_cast<size_t>(joints));
        for (size_t i = 0; i < identities.size(); i++) {
            jointPositions[i] = Cvector();
            jointMatrices[i].identity();
            identities[i].translatePoint = &jointPositions[i];
            identities[i].rotation = &jointMatrices[i];
        }
        if (workObject == nullptr || workObject->initSkeleton(identities, geometryScale()) != 0) return 1;
        initialized = 1;
        if (positionRefs[0] == nullptr)
            for (Cvector*& ref : positionRefs)
                ref = &jointPositions[0];
    } else {
        if (workObject) {
            workObject->workGeo[0].scaleSize(geometryScale());
            workObject->workGeo[1].scaleSize(geometryScale());
        }
        forceAttribUpdate();
        initialized = 1;
    }
    Cthing::resetThing(mode);
    return 0;
}

void CbasicDeformThing::goFish(int) {
    framesUpdated++;
    if (jointCount > 0) jointMatrices[0].buildMatrixFromNormalizedVect(Cvector(0.0f, 0.0f, 1.0f), 2, 1, 0);
}
