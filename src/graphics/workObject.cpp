// Work objects: the two work buffers, the drawables and their material numbers, default
// colours, per-display data and taking over another object's state.
#include "graphics/workObject.h"

#include <cstdio>

#include "graphics/material.h"
#include "graphics/rigFromGeo.h"
#include "graphics/streamChans.h"
#include "graphics/texturedGeo.h"
#include "support/cerr.h"
#include "variables/multiLink.h"

CworkObjectDeviceHooks workObjectDeviceHooks;

ChookTable workObjectDeviceHookTable() {
    static constexpr ChookSlot slots[] = {
        HOOK_SLOT(CworkObjectDeviceHooks, displayIndex, "gl"),
        HOOK_SLOT(CworkObjectDeviceHooks, makeDeviceData, "gl"),
        HOOK_SLOT(CworkObjectDeviceHooks, flagStaticData, "gl"),
        HOOK_SLOT(CworkObjectDeviceHooks, displayCount, "gl"),
    };
    static_assert(slotsAreDistinct(slots));
    return describeHooks("workObjectDeviceHooks", workObjectDeviceHooks, slots);
}

CworkObject::CworkObject() = default;

CworkObject::~CworkObject() {
    freeAllWorkObjectGraphicsResources();
}

int CworkObject::initWorkGeometry(CworkObjectOwner* owner) {
    thing = owner;
    model = owner ? owner->workObjectModel() : nullptr;
    if (model == nullptr) {
        setExitError("work object without a model", 1);
        return 1;
    }
    uint16_t used = model->usedAttribMask;
    std::vector<Cstring> names = {"pos"};
    if (model->colorOffset >= 0 || (used & CHAN_DIFFUSE)) names.push_back("Cd");
    if (model->normalOffset >= 0) names.push_back("N");
    if (model->CgeoNew::specOffset >= 0 || (used & CHAN_SPECULAR)) names.push_back("spec");
    if (model->uvOffset >= 0 || (used & CHAN_TEX1)) names.push_back("uv");
    if (model->uvBOffset >= 0 || (used & CHAN_TEX2)) names.push_back("uvB");
    keepMatrixHistory = (used & 128) ? 1 : 0;

    workGeo[0].clonePoints(*model, names, 0);
    workGeo[1].clonePoints(*model, names, 0);
    VTRACE(2, "CLONE POINTS");
    VTRACE(2,
           "color elems: " << workGeo[0].colorSize << " " << workGeo[1].colorSize << " " << model->colorSize);
    CgeoNew const& first = workGeo[0];
    numPoints = first.numPoints;
    floatsPerPoint = first.floatsPerPoint;
    uvOffset = first.uvOffset, uvBOffset = first.uvBOffset;
    colorOffset = first.colorOffset, colorSize = first.colorSize;
    specOffset = first.specOffset;
    posOffset = first.posOffset, posSize = first.posSize;
    normalOffset = first.normalOffset;
    VTRACE(2, "did copy");

    if (model->noisePushOffset != -1) {
        noiseTargetOffset = 0;
        if (model->pushUVSet == 1) noiseTargetOffset = uvBOffset;
        if (model->pushUVSet == 0) noiseTargetOffset = uvOffset;
    }
    if (model->normalsToTexture == 0) envMapUVOffset = uvOffset;
    if (model->normalsToTexture == 1) envMapUVOffset = uvBOffset;
    CshortLinkVar* group = model->pointSide.findGroup("extremity");
    extremity = CgeoNew::groupSize(group) > 0 ? group : nullptr;

    createRenderPolyGroupList();
    setupCloth();
    flagToUpdateStaticData();
    curGeo = &workGeo[0];
    prevGeo = &workGeo[1];
    setColorsToDefault(0);
    setColorsToDefault(1);
    VTRACE(2, "--- done copying geometry");

    if ((model->specColRef || model->specColRefC) && (normalOffset < 0 || specOffset < 0)) {
        char text[512];
        std::snprintf(text, sizeof text, "no normals or spec in %s", owner->skeletonOwnerName());
        setExitError(text, 1);
        return 1;
    }
    return 0;
}

void CworkObject::createRenderPolyGroupList() {
    size_t n = model ? model->polyGroupSets.size() : 0;
    VTRACE(2, "start createRenderPolyGroupList " << static_cast<void*>(model));
    VTRACE(2, "num poly groups:" << n);
    renderPolyGroups.clear();
    renderPolyGroups.resize(n);
    // A material that never got a number lends a fresh one to each run of consecutive
    // groups that use it, in this object only.
    Cmaterial* numberedHere = nullptr;
    for (size_t i = 0; i < n; i++) {
        CrenderPolyGroup& group = renderPolyGroups[i];
        group.owner = this;
        group.set = model->polyGroupSets[i];
        group.displayed = 1;
        Cmaterial* material = group.set ? group.set->material : nullptr;
        if (material) {
            if (static_cast<uint16_t>(material->materialID) == 65535) {
                if (numberedHere) numberedHere->materialID = static_cast<short>(-1);
                material->materialID = static_cast<short>(masterMaterialNum & 0xFFFF);
                masterMaterialNum++;
                numberedHere = material;
            }
            group.materialNumber = static_cast<uint16_t>(material->materialID);
        }
        group.usePolyGroupIndex(0);
    }
    if (numberedHere) numberedHere->materialID = static_cast<short>(-1);
}

int CworkObject::setColorsToDefault(short buffer) {
    if (colorOffset == -1 || renderPolyGroups.empty() || buffer < 0 || buffer > 1) return 0;
    float* data = workGeo[buffer].pointData();
    if (data == nullptr) return 0;
    for (CrenderPolyGroup const& group : renderPolyGroups) {
        Cmaterial* material = group.set ? group.set->material : nullptr;
        if (material == nullptr || !material->hasColor || group.set->variations.empty()) continue;
        CpolyGroupDefinition const* definition = group.set->variations[0];
        int entries = 3 * definition->allTriangleCount;
        for (int k = 0; k < entries && k < static_cast<int>(definition->allTriangleIndices.size()); k++) {
            int point = definition->allTriangleIndices[static_cast<size_t>(k)] + definition->minVertex;
            if (point < 0 || point >= numPoints) continue;
            float* c =
                data + static_cast<size_t>(colorOffset) * numPoints + static_cast<size_t>(point) * colorSize;
            if (colorSize >= 3) {
                c[0] = material->color[0];
                c[1] = material->color[1];
                c[2] = material->color[2];
            }
            if (colorSize == 4 || colorSize == 1) c[colorSize - 1] = material->color[3];
        }
    }
    return 0;
}

ClinkedResourceNode* CworkObject::getDeviceDataStructure(CgraphicsAPI* device) {
    if (device == nullptr || workObjectDeviceHooks.displayIndex == nullptr) return nullptr;
    int d = workObjectDeviceHooks.displayIndex(device);
    if (d < 0 || d >= kWorkObjectDisplays) return nullptr;
    if (deviceData[d]) return deviceData[d];
    ClinkedResourceNode* handler =
        workObjectDeviceHooks.makeDeviceData ? workObjectDeviceHooks.makeDeviceData(device, this) : nullptr;
    if (handler == nullptr) {
        setExitError("couldn't create device data struct", 1);
        return nullptr;
    }
    deviceData[d] = handler;
    handler->addPointerToClear(reinterpret_cast<void**>(&deviceData[d]));
    return handler;
}

void CworkObject::freeWorkObjectDeviceResources(int displayIndex) {
    if (displayIndex < 0 || displayIndex >= kWorkObjectDisplays) return;
    if (ClinkedResourceNode* handler = deviceData[displayIndex]) {
        // Clears the slot and makes the handler forget it, so that a handler released
        // later never writes into a work object that is gone.
        handler->zeroAllPointersToZero();
        deviceData[displayIndex] = nullptr;
        handler->removeAllLinks();
    }
}

void CworkObject::freeAllWorkObjectGraphicsResources() {
    for (int d = 0; d < kWorkObjectDisplays; d++)
        freeWorkObjectDeviceResources(d);
}

void CworkObject::flagToUpdateStaticData() {
    if (workObjectDeviceHooks.flagStaticData == nullptr) return;
    int displays =
        workObjectDeviceHooks.displayCount ? workObjectDeviceHooks.displayCount() : kWorkObjectDisplays;
    for (int d = 0; d < displays && d < kWorkObjectDisplays; d++) {
        if (deviceData[d]) workObjectDeviceHooks.flagStaticData(deviceData[d]);
    }
}

int CworkObject::copyDataFrom(CworkObject* other) {
    VTRACE(2, "copyDataFrom");
    if (other == nullptr || other == this || other->model != model || other->numPoints != numPoints ||
        other->floatsPerPoint != floatsPerPoint || other->curGeo == nullptr || other->prevGeo == nullptr) {
        setExitError("copyDataFrom: work objects of different models or shapes", 1);
        return 1;
    }
    int k = thing ? thing->currentBufferIndex() & 1 : 0;
    prevGeo = &workGeo[k];
    curGeo = &workGeo[1 - k];
    workGeo[1 - k].copyPointDataFrom(*other->curGeo);
    workGeo[k].copyPointDataFrom(*other->prevGeo);
    return 0;
}

int CworkObject::initSkeleton(std::vector<CskeletonIdentity>& identities, float scale) {
    CgeoNew* skeletonGeo = thing ? thing->skeletonModel() : nullptr;
    if (skeletonGeo == nullptr) return Cskeleton::initSkeleton(identities, scale, nullptr, thing);
    CskeletonModelPoints points;
    if (!skeletonPointsFromGeo(*skeletonGeo, points)) return 1;
    return Cskeleton::initSkeleton(identities, scale, &points, thing);
}

void CworkObject::setupCloth() {
    if (model) cloth.setupCloth(model->cloth);
}

void CworkObject::updateClothPiece(int piece, float xFactor, float yzFactor, float const* extra) {
    if (model == nullptr || curGeo == nullptr || piece < 0) return;
    if (!requireInterleaved(*curGeo, false)) return;
    CclothFrame frame;
    frame.deformMatrices = deformMatrices.data();
    frame.normalMatrices = normalMatrices.data();
    frame.numMatrices = numMatrices;
    float* data = curGeo->pointData();
    frame.positions = data ? data + static_cast<size_t>(posOffset) * numPoints : nullptr;
    frame.posSize = posSize;
    frame.numPoints = numPoints;
    frame.thingScale = thing ? thing->thingScale() : 1.0f;
    frame.cooks = thing ? thing->thingCooks() : 0;
    cloth.updateClothPiece(model->cloth, piece, xFactor, yzFactor, extra, frame);
}
