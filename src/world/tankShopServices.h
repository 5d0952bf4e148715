// The shop keeper's services with real tanks: displays and sequences are the shop
// keeper's own, the tank operations act on Ctank (its displays, render lists, update
// state, step and auto-feed counter among them) and on the food shaker through the things
// layer. The parts above the world (panel, sound, input, the web) are the program's
// (program/programServices.h).
#pragma once

#include "world/shopServices.h"

class CtankShopServices : public CshopDisplayServices {
  public:
    float tankWorldSpeed(Ctank* tank) override;
    Ctank* newTank(CshopKeeper& shop) override;
    Cvariable* tankNode(Ctank* tank) override;
    Ctank* asTank(Cvariable* node) override;
    int tankID(Ctank* tank) override;
    void setTankID(Ctank* tank, int id) override;
    Cstring tankTypeName(Ctank* tank) override;
    int loadDefinition(Ctank* tank, char const* name) override;
    void prepForAction(Ctank* tank) override;
    void setClickScripts(Ctank* tank, char const* fish, char const* background) override;
    void attachTank(Ctank* tank, CgraphicsAPI* device) override;
    int detachTank(Ctank* tank, CgraphicsAPI* device) override;
    void setTankDisplayed(Ctank* tank, bool shown) override;
    void disconnectFromDevices(Ctank* tank) override;
    void prepareTankForDelete(Ctank* tank) override;
    void clearTank(Ctank* tank) override;
    void setTankLoading(Ctank* tank, bool on) override;
    void dropDefinitionAnimals(Ctank* tank) override;
    void setTankStep(Ctank* tank, float step) override;
    void setAutoFeedCounter(Ctank* tank, int seconds) override;
    void stopTankUpdates(Ctank* tank) override;
    void rebuildCameraMenu(Ctank* tank) override;
    void foodShakerToTank(CshopKeeper& shop, Ctank* tank, bool resetCounters) override;
    void fakeMousePointerOff(CshopKeeper& shop) override;
    CshopAudio* makeAudioManager(CshopKeeper& shop) override;
    bool tankAllowsTouch(Ctank* tank) override;
    void pinchTank(Ctank* tank, CtouchPointer& a, CtouchPointer& b) override;
    void endTankPinch(Ctank* tank) override;
};
