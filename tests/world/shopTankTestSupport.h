// A started shop keeper with real tanks (their definition "wabi_sabi" in the fixture's
// resources), a panel that records where it is, and devices of the neutral base owned by
// the display table once registered, noting their deletion.
#pragma once

#include <map>

#include "shopTestSupport.h"
#include "world/tank.h"
#include "program/programServices.h"

class CtankPanel : public CrecordingPanel {
  public:
    CgraphicsAPI* device() override { return on; }
    void setDevice(CgraphicsAPI* d) override { on = d; }
    void setToTank(Ctank* t) override { inTank = t; }
    CgraphicsAPI* on = nullptr;
    Ctank* inTank = nullptr;
};

class CrecordingDevice : public CgraphicsAPI {
  public:
    CrecordingDevice(char l, std::string& gone) : label(l), deleted(gone) {}
    ~CrecordingDevice() override { deleted += label; }
    char label;
    std::string& deleted;
};

// The program's services, recording which tanks are shown and updating (true) besides.
class CtrackedTanks : public CprogramServices {
  public:
    CshopPanel* makeControlPanel(CshopKeeper&) override { return panel = new CtankPanel(); }
    void attachTank(Ctank* t, CgraphicsAPI* d) override {
        CtankShopServices::attachTank(t, d);
        live[t] = true;
    }
    void setTankDisplayed(Ctank* t, bool shown) override {
        CtankShopServices::setTankDisplayed(t, shown);
        live[t] = live[t] && shown;
    }
    void stopTankUpdates(Ctank* t) override {
        CtankShopServices::stopTankUpdates(t);
        live[t] = false;
    }
    CtankPanel* panel = nullptr;
    std::map<Ctank*, bool> live;
};

class TankShop : public ShopFixture {
  protected:
    void SetUp() override {
        ShopFixture::SetUp();
        servicesInUse = &tanks;
        writeResource("tanks/wabi_sabi/wabi_sabi.tank",
                      ":addScript tanks/wabi_sabi/wabi_sabi.tank {\n :int planted 1\n"
                      // The wide camera every tank frames itself with.
                      " :rotater cameraRotate {\n  :set main 7\n"
                      "  :array cam 7 \"wide\" 0 0.1 6.4 0 -0.04 -1 48 1 0\n }\n}\n");
    }
    // A screen of that width at that left edge.
    CrecordingDevice* addScreen(char label, float left, float width = 100.0f) {
        auto* d = new CrecordingDevice(label, deleted);
        shop->addDisplay(d, Crect(left, left + width, 0, 100), 60);
        return d;
    }
    std::string order() {
        std::string labels;
        for (int i = 0; i < numDisplays; i++)
            labels += static_cast<CrecordingDevice*>(display[i])->label;
        return labels;
    }
    Ctank* shown(int d) { return display[d]->tank; }

    CtrackedTanks tanks;
    std::string deleted;
};
