// A thing access whose things do nothing: no kind, attributes or species, every step
// succeeds, schools are plain folders. Test stand-ins override only what they care about.
#pragma once

#include "world/tank.h"
#include "world/tankThings.h"

class CquietThingAccess : public CtankThingAccess {
  public:
    Cvariable* node(Cthing*) override { return nullptr; }
    Cthing* asThing(Cvariable*) override { return nullptr; }
    int whatAmI(Cvariable*) override { return 0; }
    uint32_t attributes(Cvariable*) override { return 0; }
    Cspecies* speciesOf(Cvariable*) override { return nullptr; }
    // Joining a tank files the thing's proximity pairs.
    void setToTank(Cvariable* t, Ctank* tank) override {
        if (tank) tank->addNodeToTankLists(t);
    }
    void setDisplayed(Cvariable*, char) override {}
    int isAllowed(Cvariable*) override { return 1; }
    int itMoves(Cvariable*) override { return 0; }
    void setDefaultPosition(Cvariable*) override {}
    int doExtraInit(Cvariable*) override { return 0; }
    int resetThing(Cvariable*, int) override { return 0; }
    int setPosition(Cvariable*) override { return 0; }
    void postInitScript(Cvariable*) override {}
    int receiveMessage(Cvariable*, Cstring const&, Cstring const&, float) override { return 0; }
    float thingScale(Cvariable*) override { return 1.0f; }
    int addRenderGeometry(Cvariable*) override { return 0; }
    CproximityParty* proximityParty(Cvariable*) override { return nullptr; }
    Cvariable* makeSchool(Cvariable* dir, char const* n) override {
        return dir ? dir->addDirectory(n, 1) : nullptr;
    }
    void joinSchool(Cvariable*, Cvariable*) override {}
};
