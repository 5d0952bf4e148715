// A shop keeper started headless: a fixture resource tree in temporary folders, the
// recording platform, the neutral display device and recording stand-ins for the panel,
// the sound and the display and sequence services.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <memory>
#include <string>
#include <vector>

#include "graphics/graphicsMaster.h"
#include "host/fakeHostServices.h"
#include "neutralShopServices.h"
#include "testSupport.h"
#include "world/shopKeeper.h"

// A sound manager that starts or not as told and records each call as a line; the bubble
// selections answer `variantAnswer` (-1: the variant given).
class CsilentAudio : public CshopAudio {
  public:
    int start() override { return startResult; }
    void keepTrickleSampleName(Cstring* name) override { keptName = name; }
    void addTrickleSound(char const* name, char const* file) override { say("addTrickle ", name, "|", file); }
    int setTrickleSound(int advance) override { return say("setTrickle ", advance), 0; }
    short setLowBubbles(short v) override { return say("low ", v), variantAnswer >= 0 ? variantAnswer : v; }
    short setHiBubbles(short v) override { return say("high ", v), variantAnswer >= 0 ? variantAnswer : v; }
    void defineIndividualVolumes(float t, float h, float l, float m) override {
        say("volumes ", t, " ", h, " ", l, " ", m);
    }
    void generateSingleTrack() override { say("single"); }
    void multiTrackMode() override { say("multi"); }
    void setAllTrackVolumes() override { say("trackVolumes"); }
    void refreshPlayerSample(int track) override { say("refresh ", track); }
    void fadeVolume(float factor) override { say("fade ", factor); }
    void managePlaybackStaggering() override {}
    int startResult = 0;
    short variantAnswer = -1;
    Cstring* keptName = nullptr;
    std::vector<std::string> calls;

  private:
    template <typename... T> void say(T const&... parts) {
        std::ostringstream line;
        (line << ... << parts);
        calls.push_back(line.str());
    }
};

class CrecordingPanel : public CshopPanel {
  public:
    Cvariable* node() override { return &panelNode; }
    int doExtraInit() override { return initResult; }
    void resetThing(int) override {}
    void setThingFlag(unsigned) override {}
    int update() override { return 0; }
    bool isDisplayed() override { return displayed; }
    void setDisplayed(int shown, int) override { displayed = shown != 0; }
    bool showingPane() override { return false; }
    bool isPointless() override { return false; }
    void panelOff() override { offCalls++; }
    CgraphicsAPI* device() override { return nullptr; }
    Cvariable* widgetsRoot() override { return &widgets; }
    // The pointer calls, one line each ("down 3 4", "up 3 4", "move 3 4", "wheel -1").
    int mouseButtonDown(float x, float y) override { return pointer("down", x, y), takesPress; }
    void mouseButtonUp(float x, float y) override { pointer("up", x, y); }
    int mouseMove(float x, float y) override { return pointer("move", x, y), 1; }
    int mouseWheel(int notches) override {
        pointerCalls.push_back("wheel " + std::to_string(notches));
        return takesWheel;
    }
    Cvariable* findExistingPane(char const* name) override {
        for (auto& pane : panes)
            if (pane->name == name) return pane.get();
        return nullptr;
    }
    void closePane(char const* name) override { closed.push_back(name); }
    // Opening a pane makes it the pane being made, as the panel does; each call is a line
    // ("show pane|script|argument", "clearHistory", "deleteLastHistory", "noPanes").
    Cvariable* showPane(char const* pane, char const* script, char const* argument, bool) override {
        paneCalls.push_back(std::string("show ") + pane + "|" + script + "|" + argument);
        making = &madePane;
        return nullptr;
    }
    void doNoPanesPaneIfNecessary() override { paneCalls.push_back("noPanes"); }
    void clearHistory() override { paneCalls.push_back("clearHistory"); }
    void deleteLastHistory() override { paneCalls.push_back("deleteLastHistory"); }
    Cvariable* currentPane() override { return making; }
    void setCurrentPane(Cvariable* pane) override { making = pane; }
    Cstring currentPaneName() override { return panes.empty() ? Cstring() : panes.back()->name; }
    void setTankWasClicked(int on) override { tankWasClicked = on; }
    // Opens a pane (the last opened is in front) with the given variable flags.
    void openPane(char const* name, unsigned paneFlags = 0) {
        panes.push_back(std::make_unique<CdirectoryVar>());
        panes.back()->setName(name);
        panes.back()->flags |= paneFlags;
    }
    // No panes and nothing recorded.
    void forget() {
        panes.clear();
        closed.clear();
        pointerCalls.clear();
        paneCalls.clear();
        offCalls = 0;
        tankWasClicked = -1;
    }
    void pointer(char const* what, float x, float y) {
        pointerCalls.push_back(std::string(what) + " " + std::to_string(int(x)) + " " +
                               std::to_string(int(y)));
    }

    CdirectoryVar panelNode;
    CdirectoryVar widgets; // the widget tree's root
    std::vector<std::string> pointerCalls;
    int takesPress = 1, takesWheel = 0;
    std::vector<std::unique_ptr<CdirectoryVar>> panes;
    std::vector<std::string> closed;
    std::vector<std::string> paneCalls;
    CdirectoryVar madePane;
    Cvariable* making = nullptr;
    int tankWasClicked = -1;
    int initResult = 0, offCalls = 0;
    bool displayed = true;
};

// Records what the shop keeper asks of the parts around it. Tanks are opaque keys here.
class CrecordingServices : public CneutralShopServices {
  public:
    CshopPanel* makeControlPanel(CshopKeeper&) override {
        if (!makePanel) return nullptr;
        auto* panel = new CrecordingPanel();
        panel->initResult = panelInitResult;
        return panel;
    }
    CshopAudio* makeAudioManager(CshopKeeper&) override {
        if (!makeAudio) return nullptr;
        auto* audio = new CsilentAudio();
        audio->startResult = audioStartResult;
        audio->variantAnswer = audioVariantAnswer;
        return audio;
    }
    void renderFraction(CgraphicsAPI&, float amount) override { renders.push_back(amount); }

    std::vector<float> renders;
    bool makePanel = false, makeAudio = false;
    int panelInitResult = 0, audioStartResult = 0;
    short audioVariantAnswer = -1;
};

// A display device that draws nothing and counts its presented frames.
class CcountingDevice : public CgraphicsAPI {
  public:
    int present(int) override { return presents++, 0; }
    int presents = 0;
};

class ShopFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // initGlobals, the shop keeper, startup and loadup, as the host does them; the
    // shop keeper is then timer driven and running, with `devices` added at `rate` Hz.
    void startShop(int isPreview = 0, int devices = 0, float rate = 60);
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
