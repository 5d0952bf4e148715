// A shop keeper started headless: a fixture resource tree in temporary folders, the
// recording platform, the neutral display device and recording stand-ins for the panel,
// the sound and the display and sequence services.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "graphics/graphicsMaster.h"
#include "host/fakeHostServices.h"
#include "testSupport.h"
#include "world/shopKeeper.h"

// Seconds since the Unix epoch at which the platform's hour count is `hour` (plus a minute).
inline int64_t clockAtHour(int hour) {
    return 1136779260LL + int64_t(hour) * 3600 + 60;
}

class CrecordingAudio : public CshopAudio {
  public:
    explicit CrecordingAudio(std::vector<std::string>& log) : calls(log) {}
    int start() override { return startResult; }
    void keepTrickleSampleName(Cstring* name) override { trickleName = name; }
    void addTrickleSound(char const* name, char const* file) override {
        calls.push_back(std::string("trickle ") + name + " " + file);
    }
    void setTrickleSound(int index) override { calls.push_back("setTrickle " + std::to_string(index)); }
    // Answers 0 whatever it is given, as a manager that cannot tell its mode does.
    short setLowBubbles(short v) override { return low = v, 0; }
    short setHiBubbles(short v) override { return hi = v, 0; }
    void defineIndividualVolumes(float t, float h, float l, float m) override { volumes = {t, h, l, m}; }
    void generateSingleTrack() override { calls.push_back("generate"); }
    void fadeVolume(float f) override { fades.push_back(f); }
    void managePlaybackStaggering() override { staggers++; }

    std::vector<std::string>& calls;
    int startResult = 0;
    Cstring* trickleName = nullptr;
    short low = -1, hi = -1;
    std::vector<float> volumes;
    std::vector<float> fades;
    int staggers = 0;
};

class CrecordingPanel : public CshopPanel {
  public:
    Cvariable* node() override { return &panelNode; }
    int doExtraInit() override { return initResult; }
    void resetThing(int) override {}
    void setThingFlag(unsigned bits) override { thingFlags |= bits; }
    int update() override { return updates++, updateResult; }
    bool isDisplayed() override { return displayed; }
    void setDisplayed(int shown, int) override { displayed = shown != 0; }
    bool showingPane() override { return pane; }
    bool isPointless() override { return pointless; }
    void panelOff() override { offCalls++; }
    CgraphicsAPI* device() override { return nullptr; }
    Cvariable* findExistingPane(char const* name) override {
        for (auto& pane : panes)
            if (pane->name == name) return pane.get();
        return nullptr;
    }
    void closePane(char const* name) override { closed.push_back(name); }
    Cstring currentPaneName() override { return panes.empty() ? Cstring() : panes.back()->name; }
    void setTankWasClicked(int on) override { tankWasClicked = on; }
    // Opens a pane (the last opened is in front) with the given variable flags.
    void openPane(char const* name, unsigned paneFlags = 0) {
        panes.push_back(std::make_unique<CdirectoryVar>());
        panes.back()->setName(name);
        panes.back()->flags |= paneFlags;
    }

    CdirectoryVar panelNode;
    std::vector<std::unique_ptr<CdirectoryVar>> panes;
    std::vector<std::string> closed;
    int tankWasClicked = -1;
    int initResult = 0, updateResult = 0, updates = 0, offCalls = 0;
    unsigned thingFlags = 0;
    bool displayed = true, pane = false, pointless = false;
};

// Records the calls the shop keeper makes into the parts around it. Tanks are opaque
// keys here; the worldSpeed of every tank is `worldSpeed`.
class CrecordingServices : public CshopServices {
  public:
    CshopPanel* makeControlPanel(CshopKeeper&) override {
        if (!makePanel) return nullptr;
        panel = new CrecordingPanel();
        panel->initResult = panelInitResult;
        return panel;
    }
    CshopAudio* makeAudioManager(CshopKeeper&) override {
        if (!makeAudio) return nullptr;
        audio = new CrecordingAudio(calls);
        audio->startResult = audioStartResult;
        return audio;
    }
    void displaySequence(CshopKeeper&, int s) override {
        calls.push_back("displaySequence " + std::to_string(s));
    }
    void fillSequenceHolder(CshopKeeper& shop, int) override;
    void nextSequence(CshopKeeper&, int step, bool, float fadeOut, float) override {
        calls.push_back("nextSequence " + std::to_string(step) + " " + std::to_string(int(fadeOut)));
    }
    void setGUItoAPI(CshopKeeper&, CgraphicsAPI* d) override {
        calls.push_back(d ? "setGUItoAPI device" : "setGUItoAPI none");
    }
    void setDeviceTank(CshopKeeper&, CgraphicsAPI*, Ctank* t) override {
        calls.push_back(t ? "setDeviceTank tank" : "setDeviceTank none");
    }
    void renderFraction(CgraphicsAPI&, float amount) override { renders.push_back(amount); }
    void setTankStep(Ctank*, float step) override { steps.push_back(step); }
    float tankWorldSpeed(Ctank*) override { return worldSpeed; }
    int checkInOnAnyInternetRequest() override { return requestFinished; }

    std::vector<std::string> calls;
    std::vector<float> renders, steps;
    float worldSpeed = 1.0f;
    int requestFinished = 0;
    int sequencesToFill = 0;
    bool makePanel = false, makeAudio = false;
    int panelInitResult = 0, audioStartResult = 0;
    CrecordingPanel* panel = nullptr; // owned by the shop keeper once made
    CrecordingAudio* audio = nullptr;
};

inline void CrecordingServices::fillSequenceHolder(CshopKeeper& shop, int) {
    calls.push_back("fillSequenceHolder");
    for (int i = 0; i < sequencesToFill; i++)
        shop.sequences->addVariable(new CdirectoryVar(), 1)->setName(("seq" + std::to_string(i)).c_str());
}

// A display device that draws nothing and counts what the frame step asks of it.
class CcountingDevice : public CgraphicsAPI {
  public:
    int switchToThisRenderer(int tag) override { return switches.push_back(tag), 0; }
    int checkRenderUnitForProblems() override { return problem; }
    int present(int) override { return presents++, 0; }

    std::vector<int> switches;
    int problem = 0;
    int presents = 0;
};

class ShopFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // initGlobals, the shop keeper, startup and loadup, as the host does them; the
    // shop keeper is then timer driven and running.
    void startShop(int isPreview = 0);
    // The shop keeper's shut-down and destruction, then the end of the globals.
    void stopShop();
    // Registers n test-owned devices at rate Hz (active, without a tank).
    void addDevices(int n, float rate);
    // One frame step on every display, n times.
    void stepFrames(int n);
    std::string settingsText() { return readWholeFile(data.file("settings.txt")); }
    // Writes a file into the data folder's resource tree (the working folder of a run).
    void writeResource(char const* path, std::string const& text);

    ScopedDataFolder data;
    TempDir install;
    CfakeHostServices host;
    CrecordingServices services;
    // The services the shop keeper is started with.
    CshopServices* servicesInUse = &services;
    std::unique_ptr<CshopKeeper> shop;
    std::vector<std::unique_ptr<CcountingDevice>> devices;
    Cstring savedInstall;
    std::filesystem::path savedCwd;
};
