// Shut-down and saving: the settings file (with the loaded tanks as latent tank scripts),
// the custom variables, the weekly activity map and the registry.

#include "graphics/graphicsMaster.h"
#include "data/resourceStreamer.h"
#include "host/osFunctions.h"
#include "script/animValueNew.h"
#include "script/scriptCommands.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "support/keptText.h"
#include "variables/configDialogVars.h"
#include "variables/multiLink.h"
#include "world/activityMap.h"
#include "world/dataFolderRun.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

void CshopKeeper::shutDown() {
    VTRACE(1, "Shutting down saver");
    services().set3Dmode(*this, 0);
    frameStepDone = 0;
    startRunOrQuit = 2;
    setVerbose(1, "shutdwn");
    if (audioManager) audioManager->fadeVolume(0.0f);
    setRealMouseVisible(1);
    OS::saverWindowsToBack();
    clearShopkeeper();
    OS::closeSaver();
    if (displays) {
        deleteVariable(displays);
        displays = nullptr;
    }
    showLoggerTimingInfo();
    trackMemSummary();
    showRemainingMultiLinks();
    if (revertToDefaults) {
        setExitError("Sorry, your settings file has become corrupt.  We will revert to defaults.", 1);
        doNotSendReport = 1;
    }
    for (Cstring const& note : finalNotes)
        VTRACE(1, note);
    emptyTrash();
    showRemainingVariables();
    if (revertToDefaults) {
        OS::_revertToDefaults(OS::getSettingsFileName());
        doNotSendReport = 1;
    }
    if (!inetSite.empty()) {
        OS::showInternetPage(inetSite.c_str());
        inetSite = "";
    }
    int stored = OS::storeRegistryStuff();
    VTRACE(2, "regSaveErr:" << stored);
    VTRACE(2, "end");
    closeStdout();
}

void CshopKeeper::clearShopkeeper() {
    if (shopIsOpen) {
        setVerbose(1, "clr");
        short keptSequence = displayedSequence;
        for (int i = 0; i < numDisplays && i < kMaxDisplays; i++)
            if (display[i]) display[i]->InvalidateDeviceObjects();
        highlight = 0;
        services().displaySequence(*this, -1);
        if (controlPanel) {
            controlPanel->setDisplayed(0, 0);
            services().setGUItoAPI(*this, nullptr);
            delete controlPanel;
            controlPanel = nullptr;
        }
        emptyTrash();
        displayedSequence = keptSequence;
        if (!erroredExit) {
            saveShopSettings();
            updateHours();
            lifetimeRunMinutes += globalSeconds / 60;
        }
        displayedSequence = -1;
        delete audioManager;
        audioManager = nullptr;
        for (int i = numDisplays - 1; i >= 0; i--)
            if (i < kMaxDisplays && display[i]) services().setDeviceTank(*this, display[i], nullptr);
        if (loadedTanks) {
            deleteVariable(loadedTanks);
            loadedTanks = nullptr;
        }
        // The shaker the tanks gave back goes before the species it was made of.
        if (foodShaker && foodShaker->parent == nullptr) deleteVariable(foodShaker);
        foodShaker = nullptr;
        emptyTrash();
        for (int i = numDisplays - 1; i >= 0; i--)
            if (i < kMaxDisplays && display[i]) display[i]->release();
        for (int i = numDisplays - 1; i >= 0; i--)
            if (i < kMaxDisplays && display[i]) services().removeDisplay(*this, display[i]);
        if (displays)
            for (Cvariable* d = displays->firstChild; d; d = d->nextSibling)
                d->deleteChildren();
        setVerbose(0, "ssh");
        setVerbose(1, "hr");
        shopIsOpen = 0;
        shopOpenSecondFlag = 0;
    } else {
        VTRACE(1, "tried to close shop again");
    }
    if (globalVariablesDir && globalVariablesDir->parent == this) globalVariablesDir->setParent(nullptr, 0);
    VTRACE(1, "Deleting ROOT children");
    bool streamerIsChild = resourcesDir && resourcesDir->parent == this;
    deleteChildren(); // the displays directory is only unhooked: shutDown deletes it
    if (streamerIsChild) resourcesDir = nullptr;
    loadedTanks = latentTanks = sequences = nullptr;
    focusTankPath = currentTankPath = focusDevicePath = miscOutput = cpu = fishAnimCycles = nullptr;
    keyFrameManager.freeAllSpares();
    emptyTrash();
}

void CshopKeeper::saveForSuddenEnd() {
    // Half way through a frame's update a tank may be half built: what the file holds stays.
    if (updating) VTRACE(1, "the run ends in the middle of a frame: the settings are not saved");
    if (shopIsOpen && !erroredExit && !updating) {
        storeSequenceHolder(); // which tank each display shows, as a change of tank keeps it
        saveShopSettings();
        updateHours();
        lifetimeRunMinutes += globalSeconds / 60;
    }
    OS::storeRegistryStuff();
}

// Settings that cannot be written (a full disk, a file that may not be replaced) stop
// nothing: the old file stays, the aquarium runs on and the next save tries again. The log
// says so once, and so does the message page, once a tank shows it (not at the stop).
static void settingsNotWritten(CshopKeeper& shop, Cstring const& why, Cstring const& told) {
    VTRACE(1, why); // in each run phase's file
    if (why != settingsNotSaved && masterOut.is_open()) masterOut << why << std::endl;
    settingsNotSaved = why;
    if (shop.saveFailureTold || !shop.controlPanel || !shop.focusTankObject) return;
    shop.saveFailureTold = 1;
    ShowMessage(told.c_str(), "", 1);
    settingsNotSavedSaid = !shop.hasMouse; // a screen saver's note goes to stderr
}

int CshopKeeper::saveShopSettings() {
    takeDataFolderWhenFree();
    bool keeps = !((wasChanged && !saveChanges) || !enableAnim || dontSaveUnderAnyCircumstances);
    if (dataFolderHeldElsewhere) {
        // An engine started again in this run goes on from what it would have written (what a
        // run alone would read again: the file, when it would not save).
        holdKeptText(OS::getSettingsFileName().c_str(), keeps ? settingsFileText() : std::string());
        settingsNotWritten(*this, dataFolderReadOnly + " (this run keeps nothing until that run ends)",
                           Cstring("Nothing of this run is kept yet: ") + dataFolderReadOnly +
                               ". What changes here is kept once that run ends, or left for it should "
                               "this one end first.");
        return 1;
    }
    if (!dataFolderReadOnly.empty()) {
        settingsNotWritten(*this,
                           dataFolderReadOnly + " (the aquarium runs from the installed resources and keeps "
                                                "nothing of this run)",
                           Cstring("Nothing of this run is kept: ") + dataFolderReadOnly +
                               ". The aquarium runs from the installed resources.");
        return 1;
    }
    if (!keeps) {
        settingsSaveRequested = 0;
        return 0;
    }
    VTRACE(1, "SAVING SETTINGS");
    short keptSequence = displayedSequence;
    if (displayedSequence < -1) displayedSequence = 0;
    // Without the line end of the date text: the saved line must stay one line.
    Cstring stamp = OS::getDateTime();
    while (stamp.size() > 0 &&
           (stamp.c_str()[stamp.size() - 1] == '\n' || stamp.c_str()[stamp.size() - 1] == '\r'))
        stamp = stamp.substr(0, stamp.size() - 1);
    settingsTimeStamp = stamp;
    scriptSavedWithVersion = kScriptSavedVersion;
    Cstring path = OS::getSettingsFileName();
    int failedSave = saveKeptText(path.c_str(), settingsFileText());
    displayedSequence = keptSequence;
    if (failedSave) {
        Cstring reason = lastWriteError.empty() ? Cstring("not written") : lastWriteError;
        settingsNotWritten(*this,
                           Cstring("couldn't save \"") + path + "\": " + reason +
                               " (the old file stays; the aquarium runs on without saving)",
                           Cstring("The settings cannot be saved in ") + path + ": " + reason +
                               ". The aquarium runs on; what changes is not kept.");
    } else if (!settingsNotSaved.empty()) {
        VTRACE(1, "settings saved again");
        saveFailureTold = 0;
        if (masterOut.is_open()) masterOut << "settings saved again" << std::endl;
        settingsNotSaved = "";
    }
    saveCustomVars();
    return failedSave;
}

std::string CshopKeeper::settingsFileText() {
    // The loaded tanks are written as latent tank scripts, rebuilt when first shown.
    if (loadedTanks) loadedTanks->setName("latentTanks");
    std::string text = settingsText(false, false);
    if (loadedTanks) loadedTanks->setName("loadedTanks");
    return text;
}

void CshopKeeper::saveCustomVars() {
    Cvariable* custom = getChild("customVars");
    if (custom == nullptr || custom->parent != this) return;
    Cstring path = replaceCommonPathKeyword("[APD]customVars.txt");
    if (custom->saveTree(path.c_str(), 0) != 0)
        saySaveFailed(path.c_str(), lastWriteError.c_str(), "the old file stays");
    else
        saySaveWorked(path.c_str());
}

void CshopKeeper::updateHours() {
    if (activeTimes.size() != kHoursPerWeek) return;
    VTRACE(2, "active times before: " << activeTimes);
    int end = hourOfWeekNow();
    if (end < startHourOfWeek) end += kHoursPerWeek;
    for (int hour = startHourOfWeek + 1; hour < end; hour++)
        shiftActivityDigit(activeTimes, hour, -1);
    shiftActivityDigit(activeTimes, end, 3);
    VTRACE(2, "active times after: " << activeTimes);
}
