// The pointer record, mouse buttons, the wheel as a pinch, pointer motion and the system's
// messages, as the host delivers them to the shop keeper.
#include <cmath>

#include "inputTestSupport.h"
#include "world/shopGlobals.h"
#include "world/tankCamera.h"

namespace {

using Pointer = InputShop;
using Mouse = InputShop;
using Wheel = InputShop;
using Motion = InputShop;
using SystemMessages = InputShop;
using NoPanel = InputShop;

TEST(TouchPointer, ButtonStatesAndMoves) {
    // Presses and releases: s, then the state bits and what the pointer reports.
    struct {
        int s;
        uint8_t state;
        bool clicked, released;
    } const presses[] = {{1, 3, true, false}, {1, 3, true, false}, {0, 2, false, true}, {0, 2, false, true}};
    CtouchPointer p;
    for (auto const& c : presses) {
        p.setMouseButtonState(c.s);
        EXPECT_EQ(p.state, c.state) << c.s;
        EXPECT_EQ(p.buttonJustClicked(), c.clicked);
        EXPECT_EQ(p.buttonJustReleased(), c.released);
        EXPECT_EQ(p.updated, 1);
    }
    p.buttonClearRecents();
    EXPECT_EQ(p.state, 0);
    EXPECT_EQ(p.updated, 0);
    p.setMouseButtonState(1);
    p.buttonClearRecents();
    p.setMouseButtonState(1); // already down: no change to report
    EXPECT_TRUE(p.buttonIsDown());
    EXPECT_FALSE(p.buttonJustClicked());

    CgraphicsAPI a, b;
    struct {
        CgraphicsAPI* on;
        int x, y;
        float previousX, currentX;
        CgraphicsAPI* display;
    } const moves[] = {
        {nullptr, 5, 5, CtouchPointer::kNoPosition, 0, nullptr}, // no display: nothing
        {&a, 10, 20, 10, 10, &a},                                // first sight: no jump
        {&a, 30, 20, 10, 30, &a},
        {&b, 70, 20, 70, 70, &b}, // another display: no motion across the two
    };
    CtouchPointer q;
    for (auto const& m : moves) {
        q.mouseMoved(m.x, m.y, m.on);
        EXPECT_FLOAT_EQ(q.previous.x, m.previousX) << m.x;
        EXPECT_FLOAT_EQ(q.current.x, m.currentX) << m.x;
        EXPECT_EQ(q.display, m.display) << m.x;
    }
}

TEST_F(Pointer, TheInterfaceFollowsThePointerToAnotherDisplay) {
    start();
    CrecordingDevice* other = addScreen('b', 200);
    shop->checkForDisplayChanges();
    shop->setGUItoAPI(screen);
    CtouchPointer& p = shop->touchPointers[0];
    pointAt(10, 10);
    pointAt(20, 10);
    p.mouseMoved(30, 10, other);
    EXPECT_EQ(shop->guiDisplay, other);
    EXPECT_EQ(shop->focusTankObject, other->tank);
    EXPECT_FLOAT_EQ(p.previous.x, 30.0f) << "no jump from the other display";
    p.flag = 1; // the interface stays where it is
    pointAt(40, 10);
    EXPECT_EQ(shop->guiDisplay, other);
    EXPECT_EQ(p.display, screen);
}

TEST_F(Mouse, PressesGoToTheScriptTheInterfaceOrEndTheSaver) {
    struct {
        char const* what;
        int8_t running;
        char const* script;
        uint8_t pointerOn;
        bool panelShown;
        short exitOnMouse, ignore;
        uint8_t saver;
        int result;
        bool toPanel, scriptRan;
        char const* exit;
        short ignoreAfter;
    } const cases[] = {
        {"click-feeding", 1, ":mkdir pressed", 1, true, 0, 0, 1, 0, false, true, nullptr, 0},
        {"to the panel", 1, "", 1, true, 0, 0, 1, 0, true, false, nullptr, 0},
        {"panel hidden", 1, "", 1, false, 0, 0, 1, 0, false, false, nullptr, 0},
        {"clicks ignored", 1, "", 0, true, 2, 0, 1, 0, false, false, nullptr, 0},
        {"one to ignore", 1, "", 0, true, 0, 1, 1, 0, false, false, nullptr, 0},
        {"saver ends", 1, "", 0, true, 0, 0, 1, 1, false, false, "mouse clicked", 0},
        {"window: the press shows the pointer", 1, "", 0, true, 0, 0, 0, 0, true, false, nullptr, 0},
        {"not running", 2, ":mkdir pressed", 1, true, 2, 0, 1, 1, false, false, "mouse clicked", 0},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        start();
        panel->forget();
        panel->displayed = c.panelShown;
        shop->mouseDownScript = c.script;
        shop->anyMousePointerIsOn = c.pointerOn;
        shop->exitOnMouse = c.exitOnMouse;
        shop->clickIgnoreCount = c.ignore;
        shop->saverMode = c.saver;
        masterFrame = 40;
        globalTime = 7.5;
        startRunOrQuit = c.running;
        EXPECT_EQ(shop->mouseButtonDown(12, 34), c.result);
        EXPECT_EQ(panel->pointerCalls.size() == 1 && panel->pointerCalls[0] == "down 12 34", c.toPanel);
        EXPECT_EQ(tank->getChild("pressed") != nullptr, c.scriptRan);
        EXPECT_EQ(c.exit != nullptr, exitSaver != 0);
        if (c.exit) EXPECT_TRUE(exitRecorded(c.exit));
        EXPECT_EQ(shop->clickIgnoreCount, c.ignoreAfter);
        EXPECT_EQ(shop->anyMousePointerIsOn, c.pointerOn || c.toPanel);
        EXPECT_EQ(shop->pressFrame, 40);
        EXPECT_FLOAT_EQ(tankInput.mouseButtonDownStartTime, 7.5f);
        EXPECT_FLOAT_EQ(shop->lastActivityTime, 7.5f);
        resetExitState();
        startRunOrQuit = 1;
        stopShop();
    }
    globalTime = 0;
}

TEST_F(Mouse, ReleasesGoToTheScriptOrTheInterfaceAndEndThePinch) {
    struct {
        char const* what;
        char const* script;
        uint8_t pointerOn;
        int pointersDown;
        int result;
        bool toPanel, scriptRan;
        uint8_t draggingAfter;
    } const cases[] = {
        {"click-feeding", ":mkdir released", 1, 0, 0, false, true, 1},
        {"to the panel", "", 1, 0, 0, true, false, 0},
        {"a finger still down", "", 1, 1, 0, true, false, 1},
        {"pointer off", "", 0, 0, 1, false, false, 1},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        start();
        panel->forget();
        shop->mouseUpScript = c.script;
        shop->anyMousePointerIsOn = c.pointerOn;
        shop->pointerCount = c.pointersDown;
        tank->dragging = 1;
        EXPECT_EQ(shop->mouseButtonUp(5, 6), c.result);
        EXPECT_EQ(panel->pointerCalls == std::vector<std::string>{"up 5 6"}, c.toPanel);
        EXPECT_EQ(tank->getChild("released") != nullptr, c.scriptRan);
        EXPECT_EQ(tank->dragging, c.draggingAfter);
        stopShop();
    }
}

TEST_F(Wheel, NotchesWeighByTheirPace) {
    start();
    struct {
        double at;
        int notches;
        float added;
    } const cases[] = {
        {10.0, 1, 0.2f}, {10.1, 1, 0.9f}, {12.1, -1, -0.2f}, {12.1, -3, -1.0f}, {12.6, 2, 0.5f}};
    for (auto const& c : cases) {
        globalTime = c.at;
        float before = shop->wheelAccumulator;
        shop->mouseWheel(c.notches);
        EXPECT_NEAR(shop->wheelAccumulator - before, c.added, 1e-4) << c.at;
        EXPECT_DOUBLE_EQ(shop->lastWheelTime, c.at);
    }
    EXPECT_EQ(panel->pointerCalls.size(), 5u) << "the panel is offered every notch";
    // The pointer shows itself; a scrolling list takes the wheel; quitting ignores it.
    EXPECT_EQ(shop->realMouseVisible, 1);
    float kept = shop->wheelAccumulator;
    panel->takesWheel = 1;
    shop->mouseWheel(1);
    EXPECT_FLOAT_EQ(shop->wheelAccumulator, kept);
    panel->takesWheel = 0;
    startRunOrQuit = 2;
    shop->mouseWheel(1);
    EXPECT_FLOAT_EQ(shop->wheelAccumulator, kept);
    startRunOrQuit = 1;
    shop->wheelPinch = 0;
    shop->mouseWheel(1);
    EXPECT_FLOAT_EQ(shop->wheelAccumulator, kept);
    globalTime = 0;
}

// A quick notch up: the mouse and a second finger 100 pixels off it, moving 5 pixels away,
// pinch the tank about the pointer; both let go, and the next frame delivers the releases.
TEST_F(Wheel, TheWheelPinchesTheFocusTankAboutThePointer) {
    start();
    tank->cameraUnlocked = 1;
    pointAt(40, 30);
    inputStep();
    globalTime = 5.0;
    shop->lastWheelTime = 5.0;
    shop->mouseWheel(1);
    inputStep();
    ASSERT_EQ(inputs.pinches.size(), 1u);
    auto const& [first, second] = inputs.pinches[0];
    EXPECT_FLOAT_EQ(first.previous.x, 40.0f);
    EXPECT_FLOAT_EQ(first.current.y, 30.0f) << "about the pointer itself";
    EXPECT_FLOAT_EQ(second.previous.x, 140.0f);
    EXPECT_FLOAT_EQ(second.previous.y, 130.0f);
    EXPECT_FLOAT_EQ(second.current.x, 145.0f);
    EXPECT_FLOAT_EQ(second.current.y, 135.0f);
    EXPECT_EQ(shop->pointerCount, 2);
    EXPECT_EQ(tank->dragging, 1);
    EXPECT_FALSE(shop->touchPointers[0].buttonIsDown());
    EXPECT_FALSE(shop->touchPointers[1].buttonIsDown());
    panel->forget();
    inputStep();
    EXPECT_EQ(panel->pointerCalls, (std::vector<std::string>{"up 40 30", "up 145 135"}));
    EXPECT_EQ(tank->dragging, 0);
    EXPECT_EQ(shop->touchPointers[0].updated, 0);
    inputStep();
    EXPECT_EQ(inputs.pinches.size(), 1u) << "one pinch per turn of the wheel";
    globalTime = 0;
}

TEST_F(Wheel, NoPinchWithoutAMovableTankOrAPointer) {
    struct {
        char const* what;
        bool allow, pointerSeen, focus;
    } const cases[] = {{"camera not chosen yet", false, true, true},
                       {"pointer never seen", true, false, true},
                       {"no focus tank", true, true, false}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        start();
        tank->cameraUnlocked = 1;
        inputs.allowTouch = c.allow;
        if (c.pointerSeen) pointAt(40, 30);
        if (!c.focus) shop->setFocusTank(nullptr);
        shop->mouseWheel(1);
        inputStep();
        EXPECT_TRUE(inputs.pinches.empty());
        EXPECT_EQ(exitSaver, 0);
        EXPECT_EQ(shop->previousWheelValue == shop->wheelAccumulator, c.focus) << "the turn is used up";
        inputs.allowTouch = true;
        stopShop();
    }
}

TEST_F(Motion, ShakingLeftAndRightShowsThePointer) {
    struct {
        char const* what;
        std::vector<int> xs; // successive positions on the 200-pixel screen
        uint8_t shown;
    } const cases[] = {
        {"right only", {0, 30, 60, 90}, 0},
        {"left and right", {100, 130, 100}, 1},
        {"small shakes", {100, 110, 100, 110, 100}, 0},
        {"slow: the first sweep fades", {0, 25, 25, 25, 25, 25, 25, 25, 25, 25, 25, 25, 25, 0}, 0}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        start();
        shop->setRealMouseVisible(0);
        for (int x : c.xs) {
            pointAt(x, 50);
            inputStep();
        }
        EXPECT_EQ(shop->realMouseVisible, c.shown);
        stopShop();
    }
}

TEST_F(Motion, MovesEndTheSaverOnlyWhenAsked) {
    struct {
        char const* what;
        uint8_t saver, pointerOn;
        short exitOnMouse, picker;
        int frame, dx;
        bool ends;
    } const cases[] = {
        {"saver, motion ends it", 1, 0, 1, 0, 3, 5, true}, {"clicks only", 1, 0, 0, 0, 3, 5, false},
        {"pointer showing", 1, 1, 1, 0, 3, 5, false},      {"picker open", 1, 0, 1, 1, 3, 5, false},
        {"first frames", 1, 0, 1, 0, 2, 5, false},         {"no motion", 1, 0, 1, 0, 3, 0, false},
        {"in a window", 0, 0, 1, 0, 3, 5, false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        start();
        shop->saverMode = c.saver;
        shop->anyMousePointerIsOn = c.pointerOn;
        shop->exitOnMouse = c.exitOnMouse;
        shop->pickerOn = c.picker;
        masterFrame = c.frame;
        pointAt(50, 50);
        pointAt(50 + c.dx, 50);
        shop->frameGate = 1;
        EXPECT_EQ(shop->mouseMove(shop->touchPointers[0]), c.ends ? 1 : 0);
        EXPECT_EQ(exitRecorded("mouse move"), c.ends);
        resetExitState();
        startRunOrQuit = 1;
        stopShop();
    }
}

TEST_F(Motion, OncePerFrameTheMoveReachesTheInterfaceOrEndsEnergySaving) {
    start();
    shop->setRealMouseVisible(1);
    pointAt(10, 10);
    pointAt(20, 10);
    shop->frameGate = 1;
    panel->forget();
    shop->mouseMove(shop->touchPointers[0]);
    shop->mouseMove(shop->touchPointers[0]); // same frame: not evaluated again
    EXPECT_EQ(panel->pointerCalls, std::vector<std::string>{"move 20 10"});
    EXPECT_NEAR(tankInput.dragDistance, 0.1f, 1e-5) << "both moves count towards a drag";
    shop->startEnergyConserveMode(1);
    ASSERT_EQ(shop->energyConserveOn, 1);
    panel->forget();
    pointAt(30, 10);
    inputStep();
    EXPECT_EQ(shop->energyConserveOn, 0);
    EXPECT_TRUE(panel->pointerCalls.empty()) << "the move woke the screens instead";
    EXPECT_FLOAT_EQ(shop->lastPointerPosition.x, 30.0f);
}

TEST_F(SystemMessages, WhatEndsTheSaver) {
    struct {
        int code;
        uint8_t saver, activationIgnored;
        int result;
        char const* exit;
    } const cases[] = {{1, 1, 0, 1, "activate app"}, {1, 1, 1, 1, nullptr}, {1, 0, 0, 1, nullptr},
                       {3, 1, 0, 1, "monitor off"},  {3, 0, 0, 0, nullptr}, {4, 0, 0, 1, "closed by system"},
                       {2, 1, 0, 0, nullptr}};
    start();
    for (auto const& c : cases) {
        shop->saverMode = c.saver;
        shop->ignoreActivationThisFrame = c.activationIgnored;
        EXPECT_EQ(shop->messageFromSystem(c.code), c.result) << c.code;
        EXPECT_EQ(exitSaver != 0, c.exit != nullptr) << c.code;
        if (c.exit) EXPECT_TRUE(exitRecorded(c.exit)) << c.code;
        resetExitState();
        startRunOrQuit = 1;
    }
}

// Without a control panel the focus tank's own pointer commands take the button: a press
// picks, a drag moves the view only while pressed, and the release ends the drag.
TEST_F(NoPanel, PressDragAndReleaseReachTheTank) {
    start(false);
    ASSERT_EQ(shop->controlPanel, nullptr);
    ASSERT_NE(tank, nullptr);
    tank->cameraUnlocked = 1;
    shop->setRealMouseVisible(1);
    pointAt(50, 50);
    pointAt(90, 50);
    inputStep(); // moved without a press: the view stays
    EXPECT_EQ(tank->dragging, 0);
    globalTime = 3.0;
    EXPECT_EQ(shop->mouseButtonDown(90, 50), 0);
    EXPECT_FLOAT_EQ(tankInput.mouseButtonDownStartTime, 3.0f);
    pointAt(140, 50);
    inputStep();
    EXPECT_EQ(tank->dragging, 1);
    EXPECT_EQ(shop->mouseButtonUp(140, 50), 0);
    EXPECT_EQ(tank->dragging, 0);
    pointAt(180, 50);
    inputStep();
    EXPECT_EQ(tank->dragging, 0) << "released: moves no longer drag";
    globalTime = 0;
}

} // namespace
