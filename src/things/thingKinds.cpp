// How tanks and species reach the things of this layer.
#include "things/thingKinds.h"

#include "graphics/graphicsMaster.h"
#include "graphics/workObject.h"
#include "script/proximityVar.h"
#include "things/backdropThing.h"
#include "things/basicDeformThing.h"
#include "things/bubbles.h"
#include "things/crabShadow.h"
#include "things/fishPoo.h"
#include "things/floatingFood.h"
#include "things/foodContainer.h"
#include "things/peckFood.h"
#include "things/targetThing.h"
#include "things/thing.h"
#include "things/wavingPlant.h"
#include "world/species.h"
#include "world/tank.h"
#include "world/tankThings.h"
#include "world/thingFactory.h"

namespace {
Cthing* thingOf(Cvariable* node) {
    return dynamic_cast<Cthing*>(node);
}

class CthingAccess : public CtankThingAccess {
  public:
    Cvariable* node(Cthing* thing) override { return thing; }
    Cthing* asThing(Cvariable* n) override { return thingOf(n); }
    int whatAmI(Cvariable* n) override { return thingOf(n) ? thingOf(n)->whatAmI() : 0; }
    uint32_t attributes(Cvariable* n) override { return thingOf(n) ? thingOf(n)->attributes : 0; }
    Cspecies* speciesOf(Cvariable* n) override {
        return thingOf(n) ? dynamic_cast<Cspecies*>(thingOf(n)->species) : nullptr;
    }
    void setToTank(Cvariable* n, Ctank* tank) override {
        if (Cthing* t = thingOf(n)) t->setToTank(tank);
    }
    void setDisplayed(Cvariable* n, char shown) override {
        if (Cthing* t = thingOf(n)) t->setDisplayed(shown);
    }
    int isAllowed(Cvariable* n) override { return thingOf(n) ? thingOf(n)->isAllowed() : 0; }
    int itMoves(Cvariable* n) override { return thingOf(n) ? thingOf(n)->itMoves() : 0; }
    void setDefaultPosition(Cvariable* n) override {
        if (Cthing* t = thingOf(n)) t->setDefaultPosition();
    }
    int doExtraInit(Cvariable* n) override { return thingOf(n) ? thingOf(n)->doExtraInit() : 1; }
    int resetThing(Cvariable* n, int how) override { return thingOf(n) ? thingOf(n)->resetThing(how) : 1; }
    int setPosition(Cvariable* n) override { return thingOf(n) ? thingOf(n)->setPosition() : 0; }
    void postInitScript(Cvariable* n) override {
        if (Cthing* t = thingOf(n)) t->postInitScript();
    }
    int receiveMessage(Cvariable* n, Cstring const& command, Cstring const& argument, float value) override {
        return thingOf(n) ? thingOf(n)->receiveMessage(command, argument, value) : 0;
    }
    float thingScale(Cvariable* n) override { return thingOf(n) ? thingOf(n)->thingScale : 1.0f; }
    int addRenderGeometry(Cvariable* n) override { return thingOf(n) ? thingOf(n)->addRenderGeometry() : 1; }
    // Things are not proximity parties yet: the animals that are come with the fish.
    CproximityParty* proximityParty(Cvariable* n) override { return dynamic_cast<CproximityParty*>(n); }
    // Schools come with the fish.
    Cvariable* makeSchool(Cvariable*, char const*) override { return nullptr; }
    void joinSchool(Cvariable*, Cvariable*) override {}
    CworkObject* shownGeometry(Cvariable* n) override {
        Cthing* t = thingOf(n);
        if (t == nullptr || !t->initialized || !t->displayed) return nullptr;
        return t->getFinalGeometry();
    }
    CworkObject* workObjectOf(Cvariable* n) override {
        Cthing* t = thingOf(n);
        return t ? t->workObject : nullptr;
    }
    void shakerButtonState(Cvariable* n, bool down) override {
        if (auto* shaker = dynamic_cast<CfoodContainerThing*>(n)) shaker->buttonState(down);
    }
    // Its frame counters: the first frames in a new tank are behaviour frames again.
    void resetShakerCounters(Cvariable* n) override {
        if (auto* shaker = dynamic_cast<CfoodContainerThing*>(n))
            shaker->framesUpdated = 0, shaker->geometryCount = 0;
    }
};

CthingAccess thingAccessOfThisLayer;

template <typename Kind> Cvariable* make() {
    return new Kind;
}

// Sand, rocks and plants: scaled with their tank (peck food takes it itself).
template <typename Kind> Cvariable* makeScenery() {
    auto* thing = new Kind;
    thing->scalesWithTank = 1;
    return thing;
}

// The thing whose work object this is; null for a work object of no thing.
Cthing* thingOfWorkObject(CworkObject* object) {
    auto* owner = object ? dynamic_cast<CthingWorkObjectOwner*>(object->thing) : nullptr;
    return owner ? &owner->ownerThing() : nullptr;
}

void setSpecies(Cvariable* n, Cspecies* species, uint8_t blending) {
    if (Cthing* t = thingOf(n)) {
        t->species = species;
        t->smoothing = blending;
    }
}
} // namespace

void installThingKinds() {
    registerThingMaker("waving_plant", makeScenery<CwavingPlant>);
    registerThingMaker("bubbles", make<Cbubbles>);
    registerThingMaker("basic_deform", makeScenery<CbasicDeformThing>);
    registerThingMaker("backdrop", make<CbackdropThing>);
    registerThingMaker("target", make<CtargetThing>);
    registerThingMaker("crab_shadow", make<CcrabShadow>);
    registerThingMaker("food_floating", make<CfloatingFood>);
    registerThingMaker("food_peck", make<CpeckFood>);
    registerThingMaker("food_container", make<CfoodContainerThing>);
    registerThingMaker("fish_poo", make<CfishPoo>);
    setThingSpecies = setSpecies;
    // The device skips a thing whose relationships are being torn down, and draws an
    // interface thing flat and never faded.
    graphicsHooks.thingTearingDown = [](CworkObject* object) {
        Cthing* thing = thingOfWorkObject(object);
        return thing != nullptr && (thing->flags & VAR_TEARING_DOWN) != 0;
    };
    graphicsHooks.interfaceThing = [](CworkObject* object) {
        Cthing* thing = thingOfWorkObject(object);
        return thing != nullptr && thing->hasAttribute(THING_INTERFACE);
    };
    tankThingAccess = &thingAccessOfThisLayer;
    installThingLiveAccess();
}
