// The shop's "feed" command: drops of food, and click-feeding with the food shaker as the
// in-scene pointer.
#include "graphics/graphicsMaster.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "variables/variableConvert.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/tankCamera.h"
#include "world/tankThings.h"

namespace {
// Particles one drop of the "screen" and "4" modes gives; the instant drop gives nine.
constexpr int kParticlesPerDrop = 3;
constexpr int kInstantParticles = 9;

void dropAtPixel(Ctank& tank, CgraphicsAPI* display, float x, float y) {
    tank.addFood(tank.screenPixelToTankSpace(display, x, y, tank.foodPlaneDepth), kParticlesPerDrop);
}
} // namespace

unsigned CshopKeeper::feedCommand(CscriptLine& line) {
    Cstring mode = line.tokenCount() > 0 ? line.getString(0, true) : Cstring();
    if (mode == "off") {
        if (feedMode) feedingOff();
    } else if (mode == "screen") {
        int n = line.tokenCount() > 1 ? varconv::truncToInt(line.getFloat(1)) : -1;
        CgraphicsAPI* device = n >= 0 && n < kMaxDisplays ? display[n] : nullptr;
        // Half way across the display, 100 pixels above its bottom.
        if (device && device->tank) dropAtPixel(*device->tank, device, 0.5f * device->width, 100.0f);
    } else if (mode == "instant" || mode == "1") {
        if (focusTankObject)
            focusTankObject->addFood(focusTankObject->getDefaultFoodDropPosition(), kInstantParticles);
    } else if (mode == "4") {
        // Where the pointer was pressed, unless it is dragging the view.
        if (focusTankObject && !focusTankObject->dragging)
            dropAtPixel(*focusTankObject, guiDisplay, pressPosition.x, pressPosition.y);
    } else if (mode == "top" || mode == "2" || mode == "ctrl" || mode == "3") {
        mouseDownScript = ":addFood mousedown";
        mouseUpScript = ":addFood mouseup";
        feedMode = (mode == "top" || mode == "2") ? 2 : 3;
        if (controlPanel && controlPanel->isDisplayed()) controlPanel->panelOff();
        if (fakeMouseIsOn) return CMD_DONE;
        if (foodShaker) {
            if (tankThingAccess) {
                tankThingAccess->setToTank(foodShaker, focusTankObject);
                tankThingAccess->setDisplayed(foodShaker, 1);
            }
        } else if (focusTankObject) {
            foodShaker = focusTankObject->addThing(Cstring("food_container"), "species");
            if (foodShaker == nullptr) {
                VTRACE(1, "no food shaker: feeding without a pointer");
            } else if (tankThingAccess) {
                if (tankThingAccess->resetThing(foodShaker, 0) != 0) {
                    setExitError("RESET FAILED - REMOVING DEFECTIVE THING FROM LIST", 1);
                    return CMD_STOP;
                }
                tankThingAccess->setPosition(foodShaker);
                tankThingAccess->postInitScript(foodShaker);
            }
        }
        // Without a tank to hold it there is no shaker yet: a later "feed" makes it.
        if (foodShaker == nullptr) return CMD_DONE;
        fakeMouseIsOn = 1;
        setRealMouseVisible(0);
    }
    return CMD_DONE;
}
