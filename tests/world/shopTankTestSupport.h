// Stand-ins around the shop keeper's displays, sequences and tank registry: tanks are
// plain tree nodes that record what is done to them, devices are the neutral device base
// (owned by the display table once registered) noting their deletion.
#pragma once

#include <string>
#include <vector>

#include "shopTestSupport.h"

class CfakeTank : public CdirectoryVar {
  public:
    int getType() override { return TYPE_TANK; }
    int id = 0;
    Cstring typeName, fishClick;
    bool displayed = false, updating = true;
    int autoFeed = 0;
    std::vector<CgraphicsAPI*> devices;
};
inline Ctank* key(CfakeTank* t) {
    return reinterpret_cast<Ctank*>(t);
}
inline CfakeTank* fake(Ctank* t) {
    return reinterpret_cast<CfakeTank*>(t);
}

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

class CfakeTankServices : public CshopDisplayServices {
  public:
    CshopPanel* makeControlPanel(CshopKeeper&) override { return panel = new CtankPanel(); }
    Ctank* newTank(CshopKeeper&) override { return key(new CfakeTank()); }
    Cvariable* tankNode(Ctank* t) override { return fake(t); }
    Ctank* asTank(Cvariable* v) override {
        return v && v->getType() == TYPE_TANK ? key(static_cast<CfakeTank*>(v)) : nullptr;
    }
    int tankID(Ctank* t) override { return fake(t)->id; }
    void setTankID(Ctank* t, int id) override { fake(t)->id = id; }
    Cstring tankTypeName(Ctank* t) override { return fake(t)->typeName; }
    int loadDefinition(Ctank* t, char const* name) override {
        fake(t)->typeName = name;
        return definitionResult;
    }
    void prepForAction(Ctank* t) override { prepared.push_back(fake(t)->id); }
    void setAutoFeedCounter(Ctank* t, int v) override { fake(t)->autoFeed = v; }
    void setClickScripts(Ctank* t, char const* fish, char const*) override { fake(t)->fishClick = fish; }
    void attachTank(Ctank* t, CgraphicsAPI* d) override {
        fake(t)->devices.push_back(d);
        fake(t)->displayed = fake(t)->updating = true;
    }
    int detachTank(Ctank* t, CgraphicsAPI* d) override {
        std::erase(fake(t)->devices, d);
        return static_cast<int>(fake(t)->devices.size());
    }
    void disconnectFromDevices(Ctank* t) override { fake(t)->devices.clear(); }
    void setTankDisplayed(Ctank* t, bool shown) override { fake(t)->displayed = shown; }
    void stopTankUpdates(Ctank* t) override { fake(t)->updating = false; }

    CtankPanel* panel = nullptr;
    int definitionResult = 0;
    std::vector<int> prepared;
};

// A started shop keeper with the stand-in tanks; screens register through addDisplay.
class TankShop : public ShopFixture {
  protected:
    void SetUp() override {
        ShopFixture::SetUp();
        servicesInUse = &tanks;
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
    CfakeTank* shown(int d) { return fake(display[d]->tank); }

    CfakeTankServices tanks;
    std::string deleted;
};
