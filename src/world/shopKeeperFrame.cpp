// The frame step: the host calls timerMoveFrame once per display per timer tick. The
// clocks advance by a fixed amount per step, never from a system clock.
#include "graphics/graphicsMaster.h"
#include "host/osFunctions.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/dataFolderRun.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

int CshopKeeper::timerMoveFrame(CgraphicsAPI* device) {
    if (!timerDriven || startRunOrQuit != 1 || device == nullptr || exitSaver) {
        if (masterOut.is_open()) masterOut << "nopz" << std::endl;
        return 1;
    }
    float displaysShown = numDisplays > 0 ? float(numDisplays) : 1.0f;
    float rate = device->refreshRate > 0.0f ? device->refreshRate : 60.0f;
    globalSecondsSinceLastFrame = static_cast<float>(1.0 / (double(displaysShown) * rate));
    frameGate = 1;
    updating = true;
    int updated = updateShop();
    updating = false;
    if (updated != 0) {
        VTRACE(2, "upd returned 0");
        return 0;
    }
    device->switchToThisRenderer(17);
    if (device->checkRenderUnitForProblems() == 2) return 1;
    if (device->isActive) services().renderFraction(*device, 100.0f);
    if (!noPresent) device->present(1);
    perRefreshStuff();
    if (!frameStepDone) markStartFinished();
    frameStepDone = 1;
    showViewerNotes();
    return 1;
}

void CshopKeeper::showViewerNotes() {
    // A screen saver's notes went to stderr and the log alone: nobody could close a page.
    if (!hasMouse || !controlPanel || !focusTankObject || beginsAgain) return;
    std::vector<Cstring> notes = takeViewerNotes();
    if (notes.empty()) return;
    Cstring text;
    for (Cstring const& note : notes)
        text += (text.empty() ? Cstring() : Cstring(" ")) + note;
    ShowMessage(text.c_str(), "", 1);
}

int CshopKeeper::updateShop() {
    processMouseAndTouchEvents();
    if (services().checkInOnAnyInternetRequest()) {
        requestInProgress = 0;
        VTRACE(2, "shop::didReqJustFinish");
    }
    for (int i = 0; i < numDisplays && i < kMaxDisplays; i++) {
        CgraphicsAPI* device = display[i];
        if (device == nullptr) continue;
        if (device->windowChanged != 0) services().windowSizeChanged(*this, device);
        if (device->tank == nullptr) services().displaySequence(*this, displayedSequence);
    }
    nextVerboseFrame();
    secondAccumulator += globalSecondsSinceLastFrame;
    globalTime += globalSecondsSinceLastFrame;
    VTRACE(2, "gt=" << globalTime << " " << numDisplays << " masterframe:" << masterFrame);
    // Exactly 1.0 is not yet a second: the carry happens on the next step.
    if (secondAccumulator > 1.0f) {
        oncePerSecond();
    } else {
        globalSecondInc = 0;
    }
    if (globalSeconds <= 3) {
        float level = (float(globalSeconds) + secondAccumulator) * (1.0f / 3.0f);
        if (level < 1.01f && audioManager) audioManager->fadeVolume(level);
    }
    if (audioManager) audioManager->managePlaybackStaggering();
    if (enableAnim) {
        masterFrame++;
        masterOddFrame = masterFrame % 2;
        VTRACE(2, "\nF " << masterFrame);
    }
    if (!nextFrameCommand.empty()) {
        // Cleared first, so a command that sets a new one keeps it for the next frame.
        Cstring command = nextFrameCommand;
        nextFrameCommand = "";
        runStringScript(this, command.c_str());
    }
    if (controlPanel) {
        if (CgraphicsAPI* panelDevice = controlPanel->device()) panelDevice->switchToThisRenderer(1);
        if (controlPanel->update() != 0) return 1;
    }
    services().transitionHandler(*this);
    if (exitSaver) return 1;
    ignoreActivationThisFrame = 0;
    return 0;
}

void CshopKeeper::oncePerSecond() {
    globalSecondInc = 1;
    globalSeconds++;
    secondAccumulator -= 1.0f;
    takeDataFolderWhenFree(); // a run beside another keeps what it does once that one ends
    if (quitSecondsLeft != -1) {
        quitSecondsLeft--;
        if (quitSecondsLeft == 0) {
            VTRACE(1, "quit seconds!");
            messageFromSystem(4);
        }
    }
    if (globalSeconds % 10 == 0) {
        int hour = hourOfWeekNow();
        if (activeTimes.size() == kHoursPerWeek && activeTimes.c_str()[hour] >= '4' && !energySavingBlocked) {
            doHalfRefreshRate();
            energyConserveOn = 1;
        }
        if (globalSeconds == 10) saveShopSettings();
    }
    if (displayedSequence >= 0) secondsShowingSequences += 1.0f;
    if (controlPanel && controlPanel->isDisplayed()) {
        if (controlPanel->isPointless() && turnOffPopup != 0) {
            turnOffPopup--;
            if (turnOffPopup == 0) controlPanel->panelOff();
        }
    }
    if (cpu) cpu->setInt(secondsUntilSequenceRotate);
    secsSinceSeqRot++;
    secondsUntilSequenceRotate--;
    if (secsSinceSeqRot == seqRotScriptSeconds) {
        Cvariable* target = controlPanel ? controlPanel->node() : this;
        runStringScript(target, seqRotScript.c_str());
        seqRotScriptSeconds = -1;
    }
    bool paneShown = controlPanel && controlPanel->showingPane();
    bool idle = globalTime - lastActivityTime > 10.0;
    if (idle && !paneShown && secondsUntilSequenceRotate <= 0 && nextSequenceIndex == -1)
        services().nextSequence(*this, 1, true, 3.0f, 0.0f);
    if (!paneShown && secsSinceSeqRot == 2 && masterFrame <= 199) {
        bool found = false;
        runScript(controlPanel ? controlPanel->node() : this, "/std_scripts/twoSecondsIn", &found);
    }
    if (pointerHideAllowed && autoHideRealPointer && idle) {
        realPointerHidePending = 0;
        setRealMouseVisible(0);
    }
}

void CshopKeeper::perRefreshStuff() {
    if (++refreshesSinceDisplay != 10) return;
    bool found = false;
    if (masterFrame == 10) runScript(this, "/std_scripts/tenFramesIn", &found);
    if (slowRefreshCount > 6 || energyConserveOn == 1) doHalfRefreshRate();
    if (masterFrame != 10) return;
    setVerbose(1, "asf");
    if (masterOut.is_open())
        masterOut << "masterframe=" << masterFrame << " isPreview=" << global_isPreview
                  << " askCrash=" << int(askAboutCrash) << std::endl;
    if (askAboutCrash && !(m_userFlags & USER_FLAG_NEVER_ASK_REPORT)) {
        if (global_isPreview)
            inquireAboutSendingErrorReport();
        else
            frame10Script = ":page /std_scripts/ask_do_err_report main.gui";
    }
    if (!global_isPreview && !frame10Script.empty()) {
        Cstring script = frame10Script;
        frame10Script = "";
        runStringScript(this, script.c_str());
    }
}

int CshopKeeper::updateAndRenderTanks(CgraphicsAPI* device, int16_t full) {
    if (device == nullptr || !device->isActive) return 1;
    services().renderFraction(*device, full ? 100.0f : 1.0f);
    return 0;
}

int CshopKeeper::run() {
    if (timerDriven) timerMessageLoop();
    return 1;
}

void CshopKeeper::timerMessageLoop() {
    startRunOrQuit = 1;
    while (OS::checkMessages() == 0 && !exitSaver)
        OS::SleepMilliseconds(1);
    VTRACE(1, "QUITTING timerMessageLoop");
}
