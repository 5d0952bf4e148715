// Stand-ins for the tanks, panel and devices around the shop keeper's displays, sequences
// and tank registry: tanks are plain tree nodes that record what is done to them, devices
// are the neutral device base counting calls, and the table owns them once registered.
#pragma once

#include <fstream>
#include <string>
#include <vector>

#include "shopTestSupport.h"

class CfakeTank : public CdirectoryVar {
  public:
    int getType() override { return TYPE_TANK; }
    // The line that rebuilds the tank from the settings file.
    void writeConfigString(std::ofstream& out) override { out << ":addTank " << typeName << " " << id; }

    int id = 0;
    Cstring typeName;
    bool displayed = false, updating = true, loading = false;
    int autoFeed = 0;
    Cstring fishClick;
    std::vector<CgraphicsAPI*> devices;
};

inline Ctank* key(CfakeTank* t) { return reinterpret_cast<Ctank*>(t); }
inline CfakeTank* fake(Ctank* t) { return reinterpret_cast<CfakeTank*>(t); }

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
    int InvalidateDeviceObjects() override { return invalidations++, 0; }
    void release() override { releases++; }
    char label;
    std::string& deleted;
    int invalidations = 0, releases = 0;
};

class CfakeTankServices : public CshopDisplayServices {
  public:
    CshopPanel* makeControlPanel(CshopKeeper&) override { return panel = withPanel ? new CtankPanel() : nullptr; }
    Ctank* newTank(CshopKeeper&) override { return key(new CfakeTank()); }
    Cvariable* tankNode(Ctank* t) override { return fake(t); }
    Ctank* asTank(Cvariable* v) override {
        return v && v->getType() == TYPE_TANK ? key(static_cast<CfakeTank*>(v)) : nullptr;
    }
    int tankID(Ctank* t) override { return fake(t)->id; }
    void setTankID(Ctank* t, int id) override { fake(t)->id = id; }
    Cstring tankTypeName(Ctank* t) override { return fake(t)->typeName; }
    int loadDefinition(Ctank* t, char const* name) override {
        log.push_back(std::string("load ") + name);
        fake(t)->typeName = name;
        return definitionResult;
    }
    void prepForAction(Ctank* t) override { log.push_back("prep " + std::to_string(fake(t)->id)); }
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
    void disconnectFromDevices(Ctank* t) override {
        for (CgraphicsAPI* d : fake(t)->devices)
            if (d->tank == t) d->tank = nullptr;
        fake(t)->devices.clear();
    }
    void setTankDisplayed(Ctank* t, bool shown) override { fake(t)->displayed = shown; }
    void stopTankUpdates(Ctank* t) override { fake(t)->updating = false; }
    void setTankLoading(Ctank* t, bool on) override {
        if (on) log.push_back("loading " + std::to_string(fake(t)->id));
        fake(t)->loading = on;
    }

    bool withPanel = true;
    CtankPanel* panel = nullptr;
    int definitionResult = 0;
    std::vector<std::string> log;
};

// A started shop keeper with the fake tanks; screens are registered through addDisplay.
class TankShop : public ShopFixture {
  protected:
    void SetUp() override {
        ShopFixture::SetUp();
        servicesInUse = &tanks;
    }
    // Registers a screen of width 100 at that left edge; the table owns it.
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
