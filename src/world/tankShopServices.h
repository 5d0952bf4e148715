// The shop keeper's services with real tanks: displays and sequences are the shop
// keeper's own, the tank operations act on Ctank (its displays and render lists among
// them). What a tank does not keep yet (its update state, auto-feed counter, frame rate
// and camera menu) stays neutral.
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
    bool tankAllowsTouch(Ctank* tank) override;
    void pinchTank(Ctank* tank, CtouchPointer& a, CtouchPointer& b) override;
    void endTankPinch(Ctank* tank) override;
};
