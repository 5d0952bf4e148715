// The tank's pointer, feeding and view commands, run by the interface's mouse and key
// scripts: a press picks the thing under the pointer, a drag keeps the pick or moves the
// view, a release turns a short press on the same thing into a highlighted focus, and
// clicks run the tank's click scripts or reframe the view.
#include "graphics/workObject.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "variables/variableConvert.h"
#include "world/shopGlobals.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/tankThings.h"

int32_t clickTargetIsFish = 0;

namespace {
// Presses shorter than this are clicks.
constexpr float kClickSeconds = 0.2f;

bool paneOpen(CshopKeeper& shop, char const* pane) {
    return shop.controlPanel && shop.controlPanel->findExistingPane(pane) != nullptr;
}

bool ignoringClicks(CshopKeeper& shop) {
    return shop.clickIgnoreCount > 0;
}

void runClickScript(Ctank& tank, Cstring const& script) {
    if (!script.empty()) runStringScript(&tank, script.c_str());
}

void buttonDown(Ctank& tank, CshopKeeper& shop) {
    setVerbose(2, "butDwn");
    if (shop.controlPanel) shop.controlPanel->closePane("notify");
    // A press starts a new gesture: no drag yet, and its clock starts now.
    tank.dragging = 0;
    tankInput.dragDistance = 0.0f;
    tankInput.mouseButtonDownStartTime = static_cast<float>(globalTime);
    if (shop.inClickFeedingMode) return;
    if (paneOpen(shop, "main_pane")) {
        clickTargetIsFish = 0;
        return;
    }
    Cvector2 const& at = shop.touchPointers[0].current;
    tankInput.clickedThing =
        tank.getThingClosestToScreenSpace(tank.interfaceDisplay(), static_cast<float>(static_cast<int>(at.x)),
                                          static_cast<float>(static_cast<int>(at.y)), 0.01f);
    clickTargetIsFish = tankInput.clickedThing ? 1 : 0;
}

void buttonUp(Ctank& tank, CshopKeeper& shop) {
    Cvector2 const& at = shop.touchPointers[0].current;
    if (tank.dragging) return;
    if (shop.inClickFeedingMode) {
        tank.addFood(tank.screenPixelToTankSpace(tank.interfaceDisplay(), at.x, at.y, tank.foodPlaneDepth),
                     3);
        return;
    }
    if (paneOpen(shop, "main_pane")) {
        shop.controlPanel->panelOff();
        return;
    }
    bool clicked = false;
    if (tankInput.clickedThing &&
        tank.mouseSelectFocusThing(static_cast<short>(at.x), static_cast<short>(at.y), 2) != 0) {
        tank.animalHighlight(Cstring("ON"), 0.0f);
        clicked = true;
    }
    if (shop.controlPanel) shop.controlPanel->setTankWasClicked(1);
    // A quick click on empty water lets the highlighted animal go.
    if (!clicked && static_cast<float>(globalTime) - tankInput.mouseButtonDownStartTime < kClickSeconds &&
        shop.highlight) {
        tank.animalHighlight(Cstring("OFF"), 0.0f);
        if (shop.controlPanel) shop.controlPanel->setTankWasClicked(0);
    }
}

void dragTank(Ctank& tank, CshopKeeper& shop) {
    if (ignoringClicks(shop)) return;
    CtouchPointer& pointer = shop.touchPointers[0];
    if (tankInput.clickedThing)
        tank.mouseSelectFocusThing(static_cast<short>(pointer.current.x),
                                   static_cast<short>(pointer.current.y), 1);
    else
        tank.mouseDrag(pointer);
}

void singleClick(Ctank& tank, CshopKeeper& shop) {
    if (ignoringClicks(shop)) return;
    if (clickTargetIsFish == 0) {
        runClickScript(tank, tank.bgClick);
        return;
    }
    // While the fish picker is in front, the picker handles the click itself.
    if (shop.controlPanel && shop.controlPanel->currentPaneName() == "fishSelBar") return;
    shop.xdel = 0;
    runClickScript(tank, tank.fishClick);
}

void doubleClick(Ctank& tank, CshopKeeper& shop) {
    if (ignoringClicks(shop)) return;
    // Only a screen saver ends on a double click; the program's own window is an application
    // the viewer closes as any other.
    if (shop.hasMouse && shop.exitOnMouse != 2 && shop.saverMode) {
        setExit("doubleClick");
    } else if (clickTargetIsFish == 0) {
        tank.autoResizeScreen(shop.touchPointers[0].current.x, shop.touchPointers[0].current.y);
    } else {
        // Close in on the fish: follow it, starting slowly.
        tank.animalHighlight(Cstring("OFF"), 0.0f);
        tank.changeCameraBehavior(CAM_FOLLOW_FISH);
        tank.followBlend.setMove(0.0f, 0.0f, 2, 1);
        tank.followBlend.setNextMove(0.03f, 30.0f, 2);
        tank.followBlend.setNextMove(0.01f, 50.0f, 2);
    }
}

void setDisplay(Ctank& tank, CscriptLine& line) {
    // A short line would hide the material for want of its number.
    if (line.tokenCount() < 3) {
        setExitError("setDisplay needs a thing, a material and a number", 1);
        return;
    }
    Cstring thingName = line.getString(0, true);
    Cstring material = line.getString(1, true);
    int shown = varconv::truncToInt(line.getFloat(2));
    Cvariable* thing = tank.thingList->getChild(thingName.c_str());
    if (thing == nullptr) {
        VTRACE(1, "didn't find thing " << thingName);
        return;
    }
    if (CworkObject* geometry = tankThingAccess ? tankThingAccess->workObjectOf(thing) : nullptr)
        geometry->materialDisplayed(material.c_str(), shown);
}
} // namespace

bool Ctank::processPointerCommand(CscriptLine& line, unsigned& result) {
    Cstring const& command = line.name;
    if (command == "addFood") {
        Cstring word = line.tokenCount() > 0 ? line.getString(0, false) : Cstring();
        if (shop && word == "mousedown") shop->shakeFoodShaker(1);
        if (shop && word == "mouseup") shop->shakeFoodShaker(0);
    } else if (command == "zoomCam") {
        changeCameraBehavior(CAM_FOLLOW_FISH);
        followCountdown = 0.0f;
    } else if (command == "reframe") {
        autoResizeScreen(-1.0f, 0.0f);
    } else if (command == "setDisplay") {
        setDisplay(*this, line);
    } else if (command == "buttonDown" || command == "buttonUp" || command == "dragTank" ||
               command == "singleClick" || command == "doubleClick") {
        // A tank that left its shop keeper has no pointer to read.
        result = CMD_DONE;
        if (shop == nullptr) return true;
        if (command == "buttonDown") buttonDown(*this, *shop);
        if (command == "buttonUp") buttonUp(*this, *shop);
        if (command == "dragTank") dragTank(*this, *shop);
        if (command == "singleClick") singleClick(*this, *shop);
        if (command == "doubleClick") doubleClick(*this, *shop);
    } else {
        return false;
    }
    result = CMD_DONE;
    return true;
}
