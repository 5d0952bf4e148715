// Displays: the table of devices in left-to-right order, which tank each shows, and which
// display carries the control panel (and so decides the focus tank).
#include <cstdio>

#include "graphics/graphicsMaster.h"
#include "host/osFunctions.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"

void CshopDisplayServices::setGUItoAPI(CshopKeeper& shop, CgraphicsAPI* device) {
    shop.setGUItoAPI(device);
}
void CshopDisplayServices::setDeviceTank(CshopKeeper& shop, CgraphicsAPI* device, Ctank* tank) {
    shop.setDeviceTank(device, tank);
}
void CshopDisplayServices::windowSizeChanged(CshopKeeper& shop, CgraphicsAPI* device) {
    shop.windowSizeChanged(device);
}
void CshopDisplayServices::set3Dmode(CshopKeeper& shop, short mode) {
    shop.set3Dmode(mode);
}
void CshopDisplayServices::removeDisplay(CshopKeeper& shop, CgraphicsAPI* device) {
    shop.removeDisplay(device);
}

void CshopKeeper::addDisplay(CgraphicsAPI* device, Crect const& windowRect, int) {
    if (device == nullptr) return;
    VTRACE(2, "add display " << windowRect.minx << " " << windowRect.maxx << " " << windowRect.miny << " "
                             << windowRect.maxy);
    storeSequenceHolder();
    int slot = 0;
    while (slot < kMaxDisplays && display[slot] != nullptr)
        slot++;
    if (slot == kMaxDisplays) {
        setExit("Out of displays!"); // refused: the caller keeps the device
        return;
    }
    if (masterOut.is_open()) masterOut << "found a free display at " << slot << std::endl;
    display[slot] = device;
    device->setDisplayIndex(slot);
    device->setNewWindowMetrics(windowRect);
    if (device->determineRefreshRate() != 0) device->setRefresh(60);
    numDisplays++;
    sortDisplays();
    sequenceHolder.resize(static_cast<size_t>(numDisplays));
    rebuildDisplayMenu();
    fillSequenceHolder(loadedHolderSequence);
}

void CshopKeeper::sortDisplays() {
    VTRACE(1, "sort displays");
    for (bool swapped = numDisplays > 1; swapped;) {
        swapped = false;
        for (int i = 0; i + 1 < numDisplays; i++) {
            // Strictly greater: screens with equal left edges keep their order.
            if (display[i]->appliedWindowRect.minx > display[i + 1]->appliedWindowRect.minx) {
                std::swap(display[i], display[i + 1]);
                swapped = true;
            }
        }
    }
    for (int i = 0; i < numDisplays; i++)
        VTRACE(1, "SORT: " << display[i]->appliedWindowRect.minx);
    rebuildDisplayMenu();
}

void CshopKeeper::rebuildDisplayMenu() {
    for (int i = 0; i < numDisplays; i++) {
        display[i]->InvalidateDeviceObjects();
        display[i]->setParent(nullptr, 0);
    }
    for (int i = 0; i < numDisplays; i++) {
        char name[24];
        std::snprintf(name, sizeof name, "display%d", i);
        display[i]->setName(name);
        display[i]->setDisplayIndex(i);
        if (displays) displays->addVariable(display[i], 1);
    }
    displaysChanged = 1;
}

void CshopKeeper::invalidateAllDisplays() {
    for (int i = 0; i < numDisplays; i++)
        display[i]->InvalidateDeviceObjects();
}

void CshopKeeper::activateDisplays() {
    for (CgraphicsAPI* device : display) {
        if (device == nullptr) continue;
        if (device->determineRefreshRate() != 0) device->setRefresh(60);
        device->activate();
    }
}

void CshopKeeper::checkForDisplayChanges() {
    VTRACE(2, "checkForDisplayChanges");
    if (!displaysChanged) return;
    VTRACE(1, "checkForDisplayChanges num=" << numDisplays);
    invalidateAllDisplays();
    sortDisplays();
    displaySequence(displayedSequence);
    displaysChanged = 0; // the sort set it again
}

void CshopKeeper::removeDisplay(CgraphicsAPI* device) {
    if (device == nullptr) return;
    int slot = 0;
    while (slot < numDisplays && display[slot] != device)
        slot++;
    if (slot == numDisplays) return; // not ours: whoever made it still owns it
    setVerbose(1, "remdis");
    if (device == guiDisplay) {
        VTRACE(2,
               "controlPanle->graphicsAPI(before) = " << (controlPanel ? controlPanel->device() : nullptr));
        setGUItoAPI(nullptr);
        VTRACE(2, "controlPanle->graphicsAPI(after) = " << (controlPanel ? controlPanel->device() : nullptr));
        VTRACE(2, "back from setGUItoAPI");
    }
    guiDisplay = guiDisplay == device ? nullptr : guiDisplay; // also without a panel
    invalidateAllDisplays();
    VTRACE(2, "__RDA");
    if (Ctank* tank = device->tank) {
        services().stopTankUpdates(tank);
        services().setTankDisplayed(tank, false);
        services().disconnectFromDevices(tank);
        device->tank = nullptr;
    }
    VTRACE(2, "__RDB");
    for (int i = slot; i + 1 < numDisplays; i++) {
        display[i] = display[i + 1];
        display[i]->displayIndex = static_cast<int16_t>(i);
    }
    numDisplays--;
    display[numDisplays] = nullptr;
    if (sequenceHolder.size() > static_cast<size_t>(numDisplays))
        sequenceHolder.resize(static_cast<size_t>(numDisplays));
    VTRACE(2, "__RDC");
    rebuildDisplayMenu();
    device->setParent(nullptr, 0);
    VTRACE(2, "__RDF");
    device->release();
    delete device;
    VTRACE(2, "__DELETED API ");
}

void CshopKeeper::setDeviceTank(CgraphicsAPI* device, Ctank* tank) {
    if (device == nullptr) return;
    VTRACE(2, "setDeviceTank");
    if (Ctank* old = device->tank) {
        if (services().detachTank(old, device) == 0) {
            VTRACE(2, "tank is no longer being shown on any device");
            services().stopTankUpdates(old);
            services().setTankDisplayed(old, false);
        }
    }
    if (tank) {
        VTRACE(2, "set device " << device->displayIndex << " to tank " << services().tankID(tank));
        services().attachTank(tank, device);
        services().setTankDisplayed(tank, true);
    } else {
        device->clearColor[0] = device->clearColor[1] = device->clearColor[2] = 0.0f;
    }
    device->tank = tank;
    VTRACE(2, "end set device tank");
}

void CshopKeeper::setGUItoAPI(CgraphicsAPI* device) {
    // Without a panel the display still takes the pointer and the focus.
    if (device) {
        guiMonitorAspect = device->height > 0 ? device->width / device->height : 0.0f;
        if (Ctank* tank = device->tank) {
            if (controlPanel) controlPanel->setDevice(device);
            if (focusDevicePath) focusDevicePath->setString(device->getFullPath().c_str());
            if (controlPanel) controlPanel->setDisplayed(0, 0);
            if (controlPanel) controlPanel->setToTank(tank);
            setFocusTank(tank);
            services().foodShakerToTank(*this, tank, true);
        }
        // The panel lives in a tank: a display whose tank has not loaded yet (the pointer
        // came before the first frame) shows it once the tank is there.
        if (controlPanel && device->tank) controlPanel->setDisplayed(1, 1);
    } else {
        if (controlPanel) controlPanel->setDisplayed(0, 0);
        guiMonitorAspect = 0;
        setFocusTank(nullptr);
        if (controlPanel) controlPanel->setDevice(nullptr);
        fakeMousePointerOff();
    }
    guiDisplay = device;
}

void CshopKeeper::setFocusTank(Ctank* tank) {
    if (focusTankObject && controlPanel) controlPanel->setDisplayed(0, 0);
    focusTankObject = tank;
    Cvariable* node = services().tankNode(tank);
    if (tank && node) {
        focusTank = node->getName();
        focusTankType = services().tankTypeName(tank);
        focusTankID = static_cast<short>(services().tankID(tank));
        if (focusTankPath) focusTankPath->setString(node->getFullPath().c_str());
        Cstring path = Cstring("/tanks/") + focusTankType + "/focus";
        VTRACE(2, "tank global focus script " << path);
        if (Cvariable* global = findVariable(path.c_str()))
            runScript(controlPanel ? controlPanel->node() : static_cast<Cvariable*>(this), global);
        if (Cvariable* own = node->getChild("focus")) runScript(node, own);
        return;
    }
    if (controlPanel) controlPanel->setToTank(nullptr);
    focusTank = "";
    focusTankType = "";
    if (focusTankPath) focusTankPath->setString("");
}

void CshopKeeper::possibleWindowSizeChange(CgraphicsAPI* device, Crect const& r) {
    if (device) device->setNewWindowMetrics(r);
}

void CshopKeeper::windowSizeChanged(CgraphicsAPI* device) {
    if (device == nullptr) return;
    bool showing = controlPanel && controlPanel->isDisplayed();
    if (controlPanel) controlPanel->setDisplayed(0, 0);
    device->applyNewWindowMetrics();
    device->windowChanged = 0;
    if (device->tank && device == guiDisplay) {
        services().rebuildCameraMenu(device->tank);
        setFocusTank(device->tank);
    }
    if (showing) controlPanel->setDisplayed(1, 1);
}

void CshopKeeper::set3Dmode(short mode) {
    if (mode == threeDMode) return;
    if (display[0]) display[0]->change3Dmode(mode);
    threeDMode = mode;
    if (mode != 0)
        featureFlags |= 4096;
    else
        featureFlags &= ~4096;
}

void CshopKeeper::windowsToBack() {
    VTRACE(1, "windowsToBack");
    OS::saverWindowsToBack();
}

void CshopKeeper::windowsToFront() {
    VTRACE(1, "windowsToFront");
    OS::saverWindowsToFront();
}
