// A started shop keeper with one screen showing the fixture's tank: the focus tank, the
// interface display and, unless the test takes it away, the recording panel. Pinches are
// recorded as the pointers stood when the tank got them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "script/scripter.h"
#include "shopTankTestSupport.h"
#include "support/cerr.h"
#include "world/tankCamera.h"
#include "world/touchPointer.h"

class CinputTanks : public CtrackedTanks {
  public:
    CshopPanel* makeControlPanel(CshopKeeper& shop) override {
        return withPanel ? CtrackedTanks::makeControlPanel(shop) : nullptr;
    }
    bool tankAllowsTouch(Ctank* tank) override {
        return allowTouch && CtankShopServices::tankAllowsTouch(tank);
    }
    void pinchTank(Ctank* tank, CtouchPointer& a, CtouchPointer& b) override {
        pinches.emplace_back(a, b);
        CtankShopServices::pinchTank(tank, a, b);
    }
    bool withPanel = true, allowTouch = true;
    std::vector<std::pair<CtouchPointer, CtouchPointer>> pinches;
};

class InputShop : public TankShop {
  protected:
    void SetUp() override {
        TankShop::SetUp();
        servicesInUse = &inputs;
        tankInput = CtankInputState();
    }
    void TearDown() override {
        TankShop::TearDown();
        tankInput = CtankInputState();
    }
    // The shop started with one 200 x 100 screen that shows the tank and has the focus.
    void start(bool withPanel = true) {
        inputs.withPanel = withPanel;
        startShop();
        screen = addScreen('a', 0, 200);
        shop->checkForDisplayChanges();
        shop->setGUItoAPI(screen);
        tank = shop->focusTankObject;
        panel = withPanel ? inputs.panel : nullptr;
    }
    int run(char const* script) { return runStringScript(shop.get(), script); }
    // The first exit reason, or an exit error's message.
    bool exitRecorded(char const* reason) {
        return (!exitReasonList.empty() && exitReasonList[0] == reason) ||
               std::string(exitMsg.c_str()).find(reason) != std::string::npos;
    }
    // The mouse at (x, y) of the screen, handed over as the view does at the end of a frame.
    void pointAt(int x, int y) { shop->touchPointers[0].mouseMoved(x, y, screen); }
    // The next frame's input step.
    void inputStep() {
        shop->frameGate = 1;
        shop->processMouseAndTouchEvents();
    }

    CinputTanks inputs;
    CrecordingDevice* screen = nullptr;
    Ctank* tank = nullptr;
    CtankPanel* panel = nullptr;
};
