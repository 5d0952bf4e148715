// The mouse, the wheel and the pointer: buttons go to the click-feeding scripts or the
// interface, the wheel becomes a two-finger pinch of the focus tank, and motion shows the
// pointer, may end the saver and reaches the interface. A shop without a control panel
// hands presses, drags and releases to the focus tank's pointer commands itself.
#include <algorithm>
#include <cmath>

#include "graphics/graphicsMaster.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"
#include "world/tankCamera.h"

namespace {

bool running() {
    return startRunOrQuit == 1;
}

Cvariable* focusNode(CshopKeeper& shop) {
    return shop.focusTankObject ? shop.services().tankNode(shop.focusTankObject) : nullptr;
}

// A script of the focus tank: the click-feeding scripts.
void runOnFocusTank(CshopKeeper& shop, char const* script) {
    if (Cvariable* tank = focusNode(shop)) runStringScript(tank, script);
}

// One of the focus tank's pointer commands, parsed once: a drag sends one every frame.
enum TankPointerCommand { TANK_PRESS, TANK_DRAG, TANK_RELEASE };
void tankPointerCommand(CshopKeeper& shop, TankPointerCommand which) {
    static char const* const texts[3] = {":buttonDown\n", ":dragTank\n", ":buttonUp\n"};
    Cvariable* tank = focusNode(shop);
    if (tank == nullptr) return;
    std::unique_ptr<CscriptVar>& script = shop.tankPointerScripts[which];
    if (!script) {
        script = std::make_unique<CscriptVar>();
        if (script->processStringScript(texts[which]) != 0) return;
    }
    runScript(tank, script.get());
}

} // namespace

int CshopKeeper::mouseButtonDown(int x, int y) {
    pressFrame = masterFrame;
    pressPosition = Cvector2(float(x), float(y));
    tankInput.mouseButtonDownStartTime = static_cast<float>(globalTime);
    tankInput.dragDistance = 0.0f;
    lastActivityTime = static_cast<float>(globalTime);
    if (running()) {
        if (!mouseDownScript.empty()) {
            runOnFocusTank(*this, mouseDownScript.c_str());
            return 0;
        }
        if (anyMousePointerIsOn) {
            if (controlPanel) {
                if (controlPanel->isDisplayed()) controlPanel->mouseButtonDown(float(x), float(y));
            } else if (focusTankObject) {
                tankHasPress = 1;
                tankPointerCommand(*this, TANK_PRESS);
            }
            return 0;
        }
        if (exitOnMouse == 2) return 0;
        if (clickIgnoreCount > 0) {
            clickIgnoreCount--;
            return 0;
        }
    }
    if (saverMode) {
        setExit("mouse clicked");
        return 1;
    }
    // The program's own window shows the system's pointer all along, also after the
    // engine's own one was hidden for want of motion: a press there brings it back and
    // counts, rather than falling through.
    if (running() && hasMouse && controlPanel) {
        realMousePointerOn();
        if (controlPanel->isDisplayed()) controlPanel->mouseButtonDown(float(x), float(y));
        return 0;
    }
    return 1;
}

int CshopKeeper::mouseButtonUp(int x, int y) {
    lastActivityTime = static_cast<float>(globalTime);
    bool tankPressed = tankHasPress != 0;
    tankHasPress = 0;
    if (!mouseUpScript.empty()) {
        runOnFocusTank(*this, mouseUpScript.c_str());
        return 0;
    }
    if (!anyMousePointerIsOn) return 1;
    if (controlPanel) {
        if (controlPanel->isDisplayed()) controlPanel->mouseButtonUp(float(x), float(y));
    } else if (tankPressed) {
        tankPointerCommand(*this, TANK_RELEASE);
    }
    if (pointerCount == 0 && focusTankObject) services().endTankPinch(focusTankObject);
    return 0;
}

void CshopKeeper::mouseWheel(int notches) {
    lastActivityTime = static_cast<float>(globalTime);
    if (!running()) return;
    if (controlPanel && controlPanel->mouseWheel(notches)) return;
    if (wheelPinch) {
        if (!realMouseVisible) realMousePointerOn();
        // Quick notches count up to 1 each, slow ones 0.2.
        float weight = std::clamp(1.0f - static_cast<float>(globalTime - lastWheelTime), 0.2f, 1.0f);
        wheelAccumulator += notches >= 0 ? weight : -weight;
    }
    lastWheelTime = globalTime;
}

int CshopKeeper::mouseMove(CtouchPointer& pointer) {
    lastActivityTime = static_cast<float>(globalTime);
    lastPointerPosition = pointer.current;
    int dx = 0, dy = 0;
    if (pointer.hasPrevious()) {
        dx = static_cast<int16_t>(static_cast<int>(pointer.current.x - pointer.previous.x));
        dy = static_cast<int16_t>(static_cast<int>(pointer.current.y - pointer.previous.y));
    }
    shakeLeft *= 0.92f;
    shakeRight *= 0.92f;
    float width = pointer.display ? pointer.display->width : 0.0f;
    float height = pointer.display ? pointer.display->height : 0.0f;
    float nx = width > 0.0f ? float(dx) / width : 0.0f;
    float ny = height > 0.0f ? float(dy) / height : 0.0f;
    tankInput.dragDistance += std::sqrt(nx * nx + ny * ny);
    if (dx < 0)
        shakeLeft -= nx;
    else
        shakeRight += nx;
    // Shaking the mouse left and right shows the pointer.
    if (shakeLeft > 0.1f && shakeRight > 0.1f && !realMouseVisible) realMousePointerOn();
    if (!running() || !frameGate) return 0;
    frameGate = 0;
    bool moved = dx != 0 || dy != 0;
    if (!anyMousePointerIsOn && saverMode && exitOnMouse == 1 && moved && masterFrame > 2 && !pickerOn) {
        setExit("mouse move");
        return 1;
    }
    if (!moved) return 0;
    lastMovementTime = globalTime;
    if (energyConserveOn) {
        endEnergyConserveMode(0);
    } else if (anyMousePointerIsOn) {
        if (controlPanel) {
            if (controlPanel->isDisplayed()) controlPanel->mouseMove(pointer.current.x, pointer.current.y);
        } else if (tankHasPress) {
            tankPointerCommand(*this, TANK_DRAG);
        }
    }
    return 0;
}

void CshopKeeper::processTouchPointerMove(CtouchPointer& pointer) {
    mouseMove(pointer);
    int x = static_cast<int>(pointer.current.x), y = static_cast<int>(pointer.current.y);
    if (pointer.buttonJustClicked())
        mouseButtonDown(x, y);
    else if (pointer.buttonJustReleased())
        mouseButtonUp(x, y);
    pointer.buttonClearRecents();
}

void CshopKeeper::processMouseAndTouchEvents() {
    pointerCount = 0;
    CtouchPointer& first = touchPointers[0];
    CtouchPointer& second = touchPointers[1];
    if (focusTankObject && wheelAccumulator != previousWheelValue) {
        if (services().tankAllowsTouch(focusTankObject)) {
            float d = wheelAccumulator - previousWheelValue;
            if (first.display == nullptr) {
                // Nothing to pinch on yet: the wheel turned before the pointer was seen.
                VTRACE(1, "noTouchApi");
            } else {
                // Two fingers: the mouse where it is, a second one 100 pixels off that
                // moves away (wheel up, zooming in) or closer by 5 pixels a notch.
                CgraphicsAPI* on = first.display;
                int x = static_cast<int>(first.current.x), y = static_cast<int>(first.current.y);
                first.clearPrevious();
                first.mouseMoved(x, y, on);
                first.setMouseButtonState(1);
                second.mouseMoved(x + 100, y + 100, on);
                second.mouseMoved(static_cast<int>(float(x) + 100.0f + 5.0f * d),
                                  static_cast<int>(float(y) + 100.0f + 5.0f * d), on);
                second.setMouseButtonState(1);
            }
        }
        previousWheelValue = wheelAccumulator;
    }
    for (CtouchPointer& p : touchPointers)
        if (p.buttonIsDown()) pointerCount++;
    Ctank* firstTank = first.display ? first.display->tank : nullptr;
    Ctank* secondTank = second.display ? second.display->tank : nullptr;
    if (pointerCount == 2 && firstTank && firstTank == secondTank) {
        services().pinchTank(firstTank, first, second);
        return;
    }
    for (CtouchPointer& p : touchPointers)
        if (p.updated) processTouchPointerMove(p);
}

int CshopKeeper::messageFromSystem(int code) {
    switch (code) {
    case 1:
        // Opening a file chooser or starting a web request moves the focus away: not a
        // reason to stop.
        if (saverMode && running() && !ignoreActivationThisFrame) setExit("activate app");
        return 1;
    case 3:
        if (!saverMode) return 0;
        setExit("monitor off");
        return 1;
    case 4:
        setExit("closed by system");
        return 1;
    default:
        return 0;
    }
}

void CshopKeeper::activateApp(int how) {
    VTRACE(1, "activateApp " << how);
}

int CshopKeeper::setRealMouseVisible(int shown) {
    realMouseVisible = shown != 0 ? 1 : 0;
    return recalcAnyMousePointerIsOn();
}

int CshopKeeper::recalcAnyMousePointerIsOn() {
    anyMousePointerIsOn = hasMouse == 0 || fakeMouseIsOn || realMouseVisible ? 1 : 0;
    return anyMousePointerIsOn;
}

void CshopKeeper::realMousePointerOn() {
    setRealMouseVisible(1);
}

void CshopKeeper::realMousePointerOff() {
    realPointerHidePending = 1;
    autoHideRealPointer = 1;
}
