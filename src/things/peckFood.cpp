#include "things/peckFood.h"

#include <cmath>

#include "graphics/geoNew.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "world/thingServices.h"

void CpeckFood::prepareForDelete() {
    if (!(flags & DO_PREPARE_FOR_DELETE)) return;
    Cfood::prepareForDelete();
}

int CpeckFood::doExtraInit() {
    if (tank) tank->addFoodToList(this);
    return 0;
}

int CpeckFood::resetThing(int mode) {
    if (peckRotations.capacity > 0) {
        lastPicked = 0;
        initialized = 1;
        return 0;
    }
    setName("peckFood");
    CgeoNew* model = species ? species->modelGeometry() : nullptr;
    if (model == nullptr || model->pointData() == nullptr || model->numPoints <= 0) {
        setExitError("peck food without a model", 1);
        return 1;
    }
    if (model->normalOffset < 0) {
        setExitError("peck food must have normal", 1);
        return 1;
    }
    int broadcast = model->findAttrib("broadcastDP", 0);
    int receive = model->findAttrib("receiveDP", 0);
    if (broadcast < 0 || receive < 0) {
        setExitError("peck food must have broadcastDP and receiveDP attribs", 1);
        return 1;
    }
    // A model the loader should never produce; refused (recorded) rather than ending the run.
    if (!requireInterleaved(*model, true)) return 1;
    // The bits lie on the scenery, which scales with the tank: so do they and their mesh.
    scalesWithTank = 1;
    takeSceneScale();
    float scale = sceneScale;
    if (workObject && scale != 1.0f) {
        workObject->workGeo[0].scaleSize(scale);
        workObject->workGeo[1].scaleSize(scale);
    }
    particleCount = model->numPoints;
    peckRotations.setSize(particleCount, "peckfoodrot");
    items.reserve(static_cast<size_t>(particleCount));
    for (int i = 0; i < particleCount; i++) {
        float const* record = model->pointRecord(i);
        auto* item = new CpeckFoodItem;
        adoptParticle(item, "part", i);
        float const* p = record + model->posOffset;
        item->position = Cvector(p[0], p[1], p[2]) * scale;
        float const* n = record + model->normalOffset;
        item->normal = Cvector(n[0], n[1], n[2]);
        item->normal.normalize();
        item->broadcastDP = record[broadcast];
        item->receiveDP = record[receive];
        peckRotations[i].identity();
        item->active = item->available = 1;
    }
    // Each particle was put first: back into index order.
    foodItems->reverseChildren();
    lastPicked = 0;
    initialized = 1;
    Cthing::resetThing(mode);
    return 0;
}

CfoodItem* CpeckFood::getAvailableParticle(Cvector const& eaterPos, Cmatrix3 const&) {
    if (dying || particleCount <= 0) return nullptr;
    for (int tries = 0; tries < particleCount; tries++) {
        lastPicked = (lastPicked + 1) % particleCount;
        auto& item = static_cast<CpeckFoodItem&>(*items[static_cast<size_t>(lastPicked)]);
        if (!item.active || !item.available) continue;
        Cvector d = eaterPos - item.position;
        float q = d.lengthSquared();
        if (!(q > 0.3f && q < 1.4f)) continue;
        Cvector toEater = d * (1.0f / std::sqrt(q));
        if (item.normal.dot(toEater) > item.broadcastDP) {
            item.approach = toEater;
            return &item;
        }
    }
    return nullptr;
}
