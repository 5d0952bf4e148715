#include "world/tankShopServices.h"

#include <algorithm>

#include "world/shopKeeper.h"
#include "world/tank.h"

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
