// A control panel made from the generated "gui_panel" species, on a display of 1280 x 720
// that draws nothing, with a host whose input state the test sets and whose requests it
// records. Panes are built from script text; frames are panel updates.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "graphics/graphicsMaster.h"
#include "graphics/texturedGeo.h"
#include "interface/controlPanel.h"
#include "interface/groupWidget.h"
#include "interface/interfaceKinds.h"
#include "interface/sliders.h"
#include "interface/textWidget.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "testSupport.h"
#include "things/thingKinds.h"
#include "world/shopGlobals.h"
#include "world/species.h"

class CtestPanelHost : public CpanelHost {
  public:
    double lastInputTime() override { return lastInput; }
    void setLastInputTime(double s) override { lastInput = s; }
    void lastPointerPosition(float& x, float& y) override { x = pointer[0], y = pointer[1]; }
    void lastPressPosition(float& x, float& y) override { x = press[0], y = press[1]; }
    bool pointerStillDown() override { return stillDown; }
    void setTempInt(int v) override { tempInt = v; }
    void setTurnOffMouseIfNoMovement(bool on) override { turnOffMouse = on; }
    bool pickerOn() override { return picker; }
    void removePanelKeys() override { keyRemovals++; }
    unsigned addPanelKey(CscriptLine& line) override {
        keys.push_back(line.getString(0, true).c_str());
        return CMD_DONE;
    }
    void realMousePointerOff() override { pointerOffs++; }
    void giveGraceSecondsUntilSequenceRotate() override { graces++; }
    bool sequenceIsChanging() override { return changing; }
    Cstring panelOffScript() override { return offScript; }
    int runScriptFile(char const* path) override {
        files.push_back(path);
        return 1;
    }
    Cvariable* scrollPositionRoot() override { return nullptr; }
    float interfaceScale() override { return 1.0f; }

    double lastInput = -100.0;
    float pointer[2] = {0, 0}, press[2] = {0, 0};
    bool stillDown = false, picker = false, changing = false, turnOffMouse = false;
    int tempInt = -1, keyRemovals = 0, pointerOffs = 0, graces = 0;
    Cstring offScript;
    std::vector<std::string> keys, files;
};

// The panel's surroundings: where page scripts and test variables live. Its "buttonUp"
// stands for the tank's mouse command, which tells the panel that a click reached the tank.
class CtestScene : public CdirectoryVar {
  public:
    unsigned processCommand(CscriptHandler* handler, CscriptLine& line) override {
        if (line.name == "buttonUp") {
            if (controlPanel) controlPanel->thingWasClicked = 1;
            return CMD_DONE;
        }
        return CdirectoryVar::processCommand(handler, line);
    }
};

class PanelFixture : public ::testing::Test {
  protected:
    static constexpr float kWidth = 1280.0f, kHeight = 720.0f;

    void SetUp() override {
        resetExitState();
        scriptError = 0;
        savedCwd = std::filesystem::current_path();
        std::filesystem::current_path(kGeneratedResourceDir);
        if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
        savedDiskAlways = resourcesDir->checkDiskAlways;
        resourcesDir->checkDiskAlways = 1;
        speciesTreeBase = &speciesRoot;
        sharedResourceTree = &shared;
        installModelLoader();
        installThingKinds();
        installInterfaceKinds();
        globalTime = 100.0;
        globalSecondsSinceLastFrame = 1.0f / 60.0f;
        scene.setName("scene");
        std_scripts = scene.addDirectory("std_scripts", 1);
        runStringScript(std_scripts, ":addScript no_panes_pane { :int nothingOpen 1 }");
        display.width = kWidth;
        display.height = kHeight;
        display.guiViewportRect = Crect(0.0f, kWidth / kHeight, 0.0f, 1.0f);
        panel = dynamic_cast<CcontrolPanel*>(makeThing(Cstring("gui_panel"), nullptr));
        ASSERT_NE(panel, nullptr) << lastReason();
        panel->setHost(host);
        scene.addVariable(panel, 1);
        ASSERT_EQ(panel->resetThing(0), 0) << lastReason();
        ASSERT_EQ(panel->doExtraInit(), 0) << lastReason();
        panel->display = &display;
        panel->setDisplayed(true, false);
        ASSERT_TRUE(exitReasonList.empty()) << lastReason();
    }
    void TearDown() override {
        if (panel) {
            panel->unhook();
            delete panel;
        }
        scene.deleteChildren();
        speciesRoot.deleteChildren();
        shared.deleteChildren();
        speciesTreeBase = nullptr;
        sharedResourceTree = nullptr;
        resourcesDir->checkDiskAlways = savedDiskAlways;
        std::filesystem::current_path(savedCwd);
        resetExitState();
        scriptError = 0;
    }
    static std::string lastReason() { return exitReasonList.empty() ? "" : exitReasonList.back().c_str(); }

    // A new pane of that name (free placement over the whole screen) built by the script.
    CgroupWidgetVar* pane(std::string const& script, char const* name = "test") {
        CgroupWidgetVar* p = panel->showPane(name, "create", "", true);
        EXPECT_NE(p, nullptr);
        if (p) EXPECT_EQ(runStringScript(p, script.c_str()), 0) << lastReason();
        panel->allWidgetsRoot->display();
        return p;
    }
    // The first widget of that name below the root, depth first.
    template <typename Kind = CwidgetVar> Kind* widget(char const* name) {
        return dynamic_cast<Kind*>(find(panel->allWidgetsRoot, name));
    }
    static CwidgetVar* find(CgroupWidgetVar* group, char const* name) {
        for (Cvariable* c = group->widgetList()->firstChild; c; c = c->nextSibling) {
            auto* w = dynamic_cast<CwidgetVar*>(c);
            if (w == nullptr) continue;
            if (w->name == name) return w;
            if (auto* g = dynamic_cast<CgroupWidgetVar*>(w))
                if (CwidgetVar* inner = find(g, name)) return inner;
        }
        return nullptr;
    }
    // n panel updates, each a frame later.
    void frames(int n) {
        for (int i = 0; i < n; i++) {
            globalTime += globalSecondsSinceLastFrame;
            panel->update();
        }
    }
    // Interface coordinates to window pixels of the display.
    static float px(float x) { return x / (kWidth / kHeight) * kWidth; }
    static float py(float y) { return y * kHeight; }
    void press(float x, float y) {
        host.press[0] = px(x), host.press[1] = py(y);
        panel->mouseButtonDown(px(x), py(y));
    }
    void moveTo(float x, float y) {
        host.pointer[0] = px(x), host.pointer[1] = py(y);
        panel->mouseMove(px(x), py(y));
    }
    void release(float x, float y) { panel->mouseButtonUp(px(x), py(y)); }
    // A script counter below the scene, bumped by ":set hits (hits + 1)".
    Cvariable* counter(char const* name) {
        runStringScript(&scene, (std::string(":int ") + name + " 0").c_str());
        return scene.getChild(name);
    }

    std::filesystem::path savedCwd;
    uint16_t savedDiskAlways = 0;
    CdirectoryVar speciesRoot, shared;
    CtestScene scene;
    CdirectoryVar* std_scripts = nullptr;
    CgraphicsAPI display;
    CtestPanelHost host;
    CcontrolPanel* panel = nullptr;
};
