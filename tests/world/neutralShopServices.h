// A stand-in for the shop keeper's services: no panel, no sound, no tank is ever made or
// shown, and a display taken out of the table is only forgotten (the test owns it). The
// tests that check the shop keeper's own steps start from it and record what they need.
#pragma once

#include "world/shopServices.h"

class CneutralShopServices : public CshopServices {
  public:
    CshopPanel* makeControlPanel(CshopKeeper&) override { return nullptr; }
    CshopAudio* makeAudioManager(CshopKeeper&) override { return nullptr; }
    void displaySequence(CshopKeeper&, int) override {}
    void fillSequenceHolder(CshopKeeper&, int) override {}
    void nextSequence(CshopKeeper&, int, bool, float, float) override {}
    void transitionHandler(CshopKeeper&) override {}
    void setGUItoAPI(CshopKeeper&, CgraphicsAPI*) override {}
    void setDeviceTank(CshopKeeper&, CgraphicsAPI*, Ctank*) override {}
    void windowSizeChanged(CshopKeeper&, CgraphicsAPI*) override {}
    void set3Dmode(CshopKeeper&, short) override {}
    void setTankStep(Ctank*, float) override {}
    float tankWorldSpeed(Ctank*) override { return 1.0f; }
    Ctank* newTank(CshopKeeper&) override { return nullptr; }
    Cvariable* tankNode(Ctank*) override { return nullptr; }
    int tankID(Ctank*) override { return -1; }
    void setTankID(Ctank*, int) override {}
    Cstring tankTypeName(Ctank*) override { return Cstring(); }
    int loadDefinition(Ctank*, char const*) override { return 1; }
    void prepForAction(Ctank*) override {}
    Ctank* asTank(Cvariable*) override { return nullptr; }
    void setAutoFeedCounter(Ctank*, int) override {}
    void setTankLoading(Ctank*, bool) override {}
    void dropDefinitionAnimals(Ctank*) override {}
    void setClickScripts(Ctank*, char const*, char const*) override {}
    void attachTank(Ctank*, CgraphicsAPI*) override {}
    int detachTank(Ctank*, CgraphicsAPI*) override { return 0; }
    void disconnectFromDevices(Ctank*) override {}
    void setTankDisplayed(Ctank*, bool) override {}
    void stopTankUpdates(Ctank*) override {}
    void rebuildCameraMenu(Ctank*) override {}
    void prepareTankForDelete(Ctank*) override {}
    void clearTank(Ctank*) override {}
    void foodShakerToTank(CshopKeeper&, Ctank*, bool) override {}
    void fakeMousePointerOff(CshopKeeper&) override {}
    bool tankAllowsTouch(Ctank*) override { return false; }
    void pinchTank(Ctank*, CtouchPointer&, CtouchPointer&) override {}
    void endTankPinch(Ctank*) override {}
    int checkInOnAnyInternetRequest() override { return 0; }
};
