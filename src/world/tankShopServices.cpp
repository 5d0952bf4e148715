#include "world/tankShopServices.h"

#include <algorithm>

#include "world/shopAudio.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/tankThings.h"

float CtankShopServices::tankWorldSpeed(Ctank* tank) {
    return tank ? tank->worldSpeed : 1.0f;
}

Ctank* CtankShopServices::newTank(CshopKeeper& shop) {
    return new Ctank(&shop);
}

Cvariable* CtankShopServices::tankNode(Ctank* tank) {
    return tank;
}

Ctank* CtankShopServices::asTank(Cvariable* node) {
    return node && node->getType() == TYPE_TANK ? static_cast<Ctank*>(node) : nullptr;
}

int CtankShopServices::tankID(Ctank* tank) {
    return tank ? tank->tankID : -1;
}

void CtankShopServices::setTankID(Ctank* tank, int id) {
    if (tank) tank->tankID = id;
}

Cstring CtankShopServices::tankTypeName(Ctank* tank) {
    return tank ? tank->tankTypeName : Cstring();
}

int CtankShopServices::loadDefinition(Ctank* tank, char const* name) {
    return tank ? tank->loadDefinition(Cstring(name)) : 1;
}

void CtankShopServices::prepForAction(Ctank* tank) {
    if (tank == nullptr) return;
    tank->prepForAction(); // focus, clear colour, bubble origin, speed
    tank->runTankPostLoadScript();
}

void CtankShopServices::setClickScripts(Ctank* tank, char const* fish, char const* background) {
    if (tank == nullptr) return;
    tank->fishClick = fish;
    tank->bgClick = background;
}

void CtankShopServices::attachTank(Ctank* tank, CgraphicsAPI* device) {
    if (tank && device &&
        std::find(tank->tankDisplays.begin(), tank->tankDisplays.end(), device) == tank->tankDisplays.end())
        tank->attachAPI(device);
}

int CtankShopServices::detachTank(Ctank* tank, CgraphicsAPI* device) {
    if (tank == nullptr) return 0;
    tank->detachAPI(device);
    return static_cast<int>(tank->tankDisplays.size());
}

void CtankShopServices::setTankDisplayed(Ctank* tank, bool shown) {
    if (tank) tank->setTankDisplayed(shown ? 1 : 0);
}

void CtankShopServices::disconnectFromDevices(Ctank* tank) {
    if (tank) tank->disconnectFromDevices();
}

void CtankShopServices::prepareTankForDelete(Ctank* tank) {
    if (tank) tank->prepareForDelete();
}

void CtankShopServices::clearTank(Ctank* tank) {
    if (tank) tank->clear();
}

void CtankShopServices::setTankLoading(Ctank* tank, bool on) {
    if (tank) tank->addTankLoading = on ? 1 : 0;
}

void CtankShopServices::dropDefinitionAnimals(Ctank* tank) {
    if (tank) tank->deleteAllFish();
}

void CtankShopServices::setTankStep(Ctank* tank, float step) {
    if (tank) tank->tankSpeed = step;
}

void CtankShopServices::setAutoFeedCounter(Ctank* tank, int seconds) {
    if (tank) tank->autoFeedCounter = seconds;
}

void CtankShopServices::stopTankUpdates(Ctank* tank) {
    if (tank) tank->runState = 0;
}

void CtankShopServices::rebuildCameraMenu(Ctank* tank) {
    if (tank) tank->rebuildCameraMenu(nullptr);
}

void CtankShopServices::foodShakerToTank(CshopKeeper& shop, Ctank* tank, bool resetCounters) {
    if (shop.foodShaker == nullptr || tankThingAccess == nullptr) return;
    if (resetCounters) tankThingAccess->resetShakerCounters(shop.foodShaker);
    tankThingAccess->setToTank(shop.foodShaker, tank);
}

void CtankShopServices::fakeMousePointerOff(CshopKeeper& shop) {
    shop.fakeMouseIsOn = 0;
    if (shop.foodShaker == nullptr) return;
    if (tankThingAccess) tankThingAccess->setToTank(shop.foodShaker, nullptr);
    shop.recalcAnyMousePointerIsOn();
    shop.feedingOff();
}

CshopAudio* CtankShopServices::makeAudioManager(CshopKeeper&) {
    return makeShopAudioUnlessSilent();
}

bool CtankShopServices::tankAllowsTouch(Ctank* tank) {
    // Drags and pinches move the camera only once one was chosen.
    return tank && tank->cameraUnlocked;
}

void CtankShopServices::pinchTank(Ctank* tank, CtouchPointer& a, CtouchPointer& b) {
    if (tank) tank->doPinch(a, b);
}

void CtankShopServices::endTankPinch(Ctank* tank) {
    if (tank) tank->dragging = 0;
}
