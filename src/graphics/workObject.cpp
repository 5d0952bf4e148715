#include "graphics/workObject.h"

#include "support/cerr.h"

static CworkObject* makePlainWorkObject() {
    return new CworkObject;
}

WorkObjectMaker workObjectMaker = makePlainWorkObject;

int CworkObject::initWorkGeometry() {
    VTRACE(1, name << ": no model geometry to build");
    return 1;
}

int CworkObject::initSkeleton(std::vector<CskeletonIdentity>&, float) {
    VTRACE(1, name << ": no skeleton model to bind");
    return 1;
}

int CworkObject::calcGeometry(int buffer) {
    curGeoIndex = static_cast<short>(buffer);
    return 0;
}

void CworkObject::interpolateGeoWith(int, int, float) {}
void CworkObject::calcBlendedMatrix(float) {}
void CworkObject::shiftTexCoords(int, int, float) {}
void CworkObject::mathOnAttribFromOriginalValues(char const*, int, float, float) {}
void CworkObject::scaleSize(float) {}
void CworkObject::flagToUpdateStaticData() {}
void CworkObject::freeAllWorkObjectGraphicsResources() {}
void CworkObject::showMatrixList() {}
void CworkObject::copyDataFrom(CworkObject*) {}
void CworkObject::setCameraMatricesToTank() {}
