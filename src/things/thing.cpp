// Construction, teardown and the services every kind uses.
#include "things/thing.h"

#include "graphics/geoNew.h"
#include "graphics/workObject.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fastRand.h"
#include "world/thingServices.h"

uint32_t thingSerialCounter = 0;

Cthing::Cthing() : CthingMessageHandler(this), ColdDependent("thing") {
    serialNumber = thingSerialCounter++;
    registerFloat(thingScale, "thingScale", 1)->flags |= VAR_LINK | VAR_BINARY_MERGE;
    registerFloat(mass, "mass", 0)->flags |= VAR_LINK | VAR_BINARY_MERGE;
    registerShort(maskID, "maskID", 0)->flags |= VAR_LINK | VAR_BINARY_MERGE;
    registerPointer(reinterpret_cast<void*&>(parentThing), "parentThing", 0);
    registerPointer(reinterpret_cast<void*&>(shadowThing), "shadowThing", 0);
    customTextures = addDirectory("customTextures");
    setAnimCycleDirectory(addDirectory("animCycles"));
    proxim = addDirectory("proxim");
    flags |= VAR_DEFER_DELETE;
    // Every relationship holder carries the prepare-for-delete flag from the start, so a
    // thing deleted before it ever joined a tank is still torn down in order.
    getDependentsDir();
    // Things made in one frame must not draw the same random sequence.
    fastRandneg1to1();
}

Cvector Cthing::proximityPosition() {
    if (positionRefs[1]) return *positionRefs[1];
    Cvector mid;
    getMidPos(mid);
    return mid;
}

Cvariable* Cthing::proximityDirectory() {
    return proxim;
}

Cthing::~Cthing() {
    flags |= VAR_TEARING_DOWN;
    delete workObject;
    workObject = nullptr;
    if (species) species->unrequestSpecies();
    species = nullptr;
}

void Cthing::processMessages() {
    while (CthingMessage* m = getMessage()) {
        if (m->code == 0) break;
        processMessage(m);
        markMessageRead();
    }
    purgeNullMessages();
}

void Cthing::showThing() {
    if (workObject) workObject->showMatrixList();
}

int Cthing::addRenderGeometry() {
    delete workObject;
    workObject = new CworkObject;
    workObject->thing = &workOwner;
    workObject->setName(name + "_wrkObj");
    if (workObject->initWorkGeometry(&workOwner) != 0) {
        setExitError("init geometry failed!", 1);
        return 1;
    }
    initAdditionalWorkGeoStuff(*workObject);
    return 0;
}

void Cthing::freeThingsGraphicsResources() {
    if (workObject) workObject->freeAllWorkObjectGraphicsResources();
}

void Cthing::forceAttribUpdate() {
    if (workObject) workObject->flagToUpdateStaticData();
}

void Cthing::cloneThingsWorkObjectState(Cthing* from) {
    if (from == nullptr) return;
    fraction = from->fraction;
    lastFraction = from->lastFraction;
    lastUpdateFrame = from->lastUpdateFrame;
    needsGeometry = from->needsGeometry;
    bufferIndex = from->bufferIndex;
    framesUpdated = from->framesUpdated;
    geometryCount = from->geometryCount;
    if (workObject && from->workObject) workObject->copyDataFrom(from->workObject);
}

void Cthing::getSmoothMidPos(Cvector& out) {
    Cvector mid = lastMidPos;
    getMidPos(mid);
    out = lastMidPos + (mid - lastMidPos) * fraction;
}

int Cthing::getIKchain(int joint, std::vector<CskeletonIdentity>& identities, std::vector<Cmatrix3>& matrices,
                       Cvector& offset, float& limbSize) {
    CgeoNew* skeleton = species ? species->skeletonModel() : nullptr;
    // A model the loader should never produce; refused rather than ending the run.
    if (skeleton == nullptr || !requireInterleaved(*skeleton, true)) {
        if (skeleton == nullptr) setExitError("notInterlvd", 1);
        return 1;
    }
    size_t next = static_cast<size_t>(joint) + 1;
    if (joint < 0 || joint + 1 >= skeleton->numPoints || next >= identities.size() ||
        next >= matrices.size()) {
        setExitError("IK chain beyond the skeleton", 1);
        return 1;
    }
    float const* rest0 = skeleton->pointRecord(joint) + skeleton->posOffset;
    float const* rest1 = skeleton->pointRecord(joint + 1) + skeleton->posOffset;
    Cmatrix3& m0 = matrices[static_cast<size_t>(joint)];
    Cmatrix3& m1 = matrices[next];
    m0.identity();
    m1.identity();
    identities[static_cast<size_t>(joint)].rotation = &m0;
    identities[static_cast<size_t>(joint)].translatePoint = nullptr;
    identities[next].rotation = &m1;
    identities[next].translatePoint = &offset;
    offset = Cvector();
    limbSize =
        0.5f * thingScale * Cvector(rest1[0] - rest0[0], rest1[1] - rest0[1], rest1[2] - rest0[2]).length();
    return 0;
}

void Cthing::takeSceneScale() {
    sceneScale = scalesWithTank && tank ? tank->tankValue("tankScale", 1.0f) : 1.0f;
    if (!(sceneScale > 0.0f)) sceneScale = 1.0f;
}

void Cthing::postInitScript() {
    if (species == nullptr) return;
    if (Cvariable* script = species->findVariable("post_init")) runScript(this, script);
}

// ---- the thing as its work object's owner ----

CmatrixControllerManager* CthingWorkObjectOwner::skeletonControllers() {
    return &thing;
}
Cmatrix_4* CthingWorkObjectOwner::tankCameraMatrix() {
    return thing.tank ? thing.tank->cameraMatrix() : nullptr;
}
char const* CthingWorkObjectOwner::skeletonOwnerName() {
    return thing.getName().c_str();
}
CtexturedGeo* CthingWorkObjectOwner::workObjectModel() {
    return thing.species ? thing.species->modelGeometry() : nullptr;
}
CgeoNew* CthingWorkObjectOwner::skeletonModel() {
    return thing.species ? thing.species->skeletonModel() : nullptr;
}
int CthingWorkObjectOwner::currentBufferIndex() {
    return thing.bufferIndex;
}
float CthingWorkObjectOwner::thingScale() {
    return thing.geometryScale();
}
int CthingWorkObjectOwner::thingCooks() {
    return thing.framesUpdated;
}
