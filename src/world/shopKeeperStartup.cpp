// Start-up: the host calls the constructor, startup and loadup in this order; loadup runs
// openShop and openAudio. Tanks load later, in the first frame step.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "data/resourceStreamer.h"
#include "graphics/graphicsGL.h"
#include "host/osFunctions.h"
#include "script/fastNoise.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fastRand.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "support/keptText.h"
#include "support/osRand.h"
#include "support/resourceCopy.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

int CshopKeeper::startup(int isPreview) {
    global_isPreview = static_cast<int16_t>(isPreview);
    engineFrameDrawn = false;
    forgetCopyFilesRead(); // a failed start renews only what it read itself
    askAboutCrash = 0;
    if (isPreview && fileExists("[APD]crash/isRunning.txt")) askAboutCrash = 1;
    enterRunPhase("openShop", true);
    VTRACE(1, "phase openShop");
    VTRACE(2, "isPreview=" << isPreview);
    VTRACE(2, "allowDisturbExit = " << int(allowDisturbExit));
    VTRACE(2, "version " << kAquaVersion);
    VTRACE(2, "installDir=" << installDir);
    VTRACE(2, "appDataDir=" << appDataDir);
    VTRACE(2, "g_exitsaver=" << exitSaver);
    VTRACE(2, "build " << __DATE__ << " " << __TIME__);
    OS::CDtoDirectory(OS::resourceFolder().c_str());
    initVariables();
    OS::SetPriority(runPriority);
    saveChanges = static_cast<uint8_t>(1 - m_noSaveTankChanges);
    return 0;
}

int CshopKeeper::loadup() {
    enterRunPhase("loadup", true);
    VTRACE(1, "phase loadup");
    allowDisturbExit = 1;
    char const* user = std::getenv("USER");
    VTRACE(1, "USERNAME: " << (user ? user : ""));
    if (resourcesDir) {
        if (resourcesDir->parent == nullptr) addVariable(resourcesDir);
        resourcesDir->checkDiskAlways = 1; // resources come from disk files
    }
    if (!exitSaver) {
        OS::createSaverWindows();
        OS::InitGraphics();
    }
    if (m_SaverMode == 1) setExitSaver(1);
    if (!exitSaver && m_SaverMode != 1) {
        audioManager = services().makeAudioManager(*this);
        if (audioManager && audioManager->start() != 0) {
            VTRACE(1, "sound could not start; running without it");
            delete audioManager;
            audioManager = nullptr;
        }
    }
    if (!exitSaver) {
        worldScale = m_fishGlobalScalar != 0.0f ? 1.0f / m_fishGlobalScalar : 1.0f;
        openShop();
    }
    if (!exitSaver) openAudio();
    setRealMouseVisible(0);
    // The marker names the start-up until the first frame is drawn (the tanks load then).
    enterRunPhase("run", false);
    VTRACE(1, "phase run");
    return exitSaver == 1 ? 1 : 0;
}

int CshopKeeper::openShop() {
    startHourOfWeek = hourOfWeekNow();
    if (activeTimes.size() != kHoursPerWeek) activeTimes = std::string(kHoursPerWeek, '1').c_str();
    shiftActivityDigit(activeTimes, startHourOfWeek, 3);
    if (initFastRand() != 0 || !initFastNoise(this)) {
        setExitError("Couldn't init random/noise generator", 1);
        return 1;
    }
    OS::timeRandomizeSrand();
    currentDate = OS::getDateHour() / 24;
    if (loadControlPanel() != 0) return 1;

    CscriptVar settings;
    scriptAllowVariableNotFound = 1;
    enterRunPhase("loadSettings", true);
    VTRACE(1, "phase loadSettings");
    Cstring file = OS::getSettingsFileName();
    if (needsAnUpdate) {
        // The settings of an earlier version are kept from being overwritten by this run;
        // a data folder without any has nothing to keep, and saves as every run does.
        std::error_code error;
        if (std::filesystem::symlink_status(replaceCommonPathKeyword(file).c_str(), error).type() !=
            std::filesystem::file_type::not_found)
            dontSaveUnderAnyCircumstances = 1;
        file = "[INS]defaults.txt";
    }
    VTRACE(1, "SCRIPT ERROR A: " << scriptError);
    // The user's settings run as they are read; a damaged file is set aside and the run
    // starts from the installed defaults instead (when lines of it ran, in an engine begun
    // again without them). An engine started again beside another run goes on from what it
    // could not save.
    std::string held = dataFolderHeldElsewhere ? heldKeptText(file.c_str()) : std::string();
    int kept = KEPT_FILE_UNREAD;
    if (!held.empty())
        kept = settings.processStringScript(held.c_str(), held.size()) == 0 && runScript(this, &settings) == 0
                   ? KEPT_FILE_RAN
                   : KEPT_FILE_UNREAD;
    else if (!needsAnUpdate)
        kept = runKeptScriptFile(this, file.c_str(), nullptr);
    settings.clearScript();
    VTRACE(1, "SCRIPT ERROR B: " << scriptError);
    if (kept == KEPT_FILE_SET_ASIDE) settingsFileError = 1;
    if (kept != KEPT_FILE_RAN) {
        VTRACE(1, "settings not read, reading the defaults: " << file);
        int parsed = settings.processDiskScript(needsAnUpdate ? file.c_str() : "[INS]defaults.txt");
        VTRACE(1, "SCRIPT ERROR C: " << scriptError);
        if (parsed == 0) runScript(this, &settings);
        settings.clearScript();
    }
    VTRACE(1, "SCRIPT ERROR D: " << scriptError);
    if (scriptError) settingsFileError = 1;
    if (exitSaver) return 1;

    if (sequences->firstChild == nullptr) services().fillSequenceHolder(*this, 0);
    enterRunPhase("afterSettings", true);
    VTRACE(1, "phase afterSettings");
    // Files of the resource copy: one that fails is copied again and run once more.
    runResourceScriptFile(this, "species/gui_panel/interface.gui");
    addonsBrief = "";
    constexpr int recordLength = 16, nameLength = 7;
    for (int at = 0; at + nameLength <= modules.size(); at += recordLength) {
        Cstring name = modules.substr(at, nameLength);
        addonsBrief += name;
        runResourceScriptFile(this, (Cstring("addons/") + name + ".das").c_str());
    }
    if (exitSaver) return 1;
    bool found = false;
    runScript(this, "/std_scripts/std_keys", &found);
    if (exitSaver) return 1;

    numSequences = static_cast<short>(sequences->countChildren());
    if (numSequences >= 1) {
        if (seqRotType != 0)
            displayedSequence = static_cast<short>((displayedSequence + 1) % numSequences);
        else if (displayedSequence == -1)
            displayedSequence = 0;
    }
    scriptAllowVariableNotFound = 0;
    if (canDoFade) {
        fadePosition = seqTransType ? 1.0f : 0.0f;
        fadeSpeed = seqTransType ? -3.0f : 0.0f;
    }
    services().displaySequence(*this, displayedSequence);
    services().setGUItoAPI(*this, display[0]);
    // A run beside another writes the settings as that run leaves them, with its changes put in
    // (those of the engine that begins again, when this one read a file set aside).
    if (dataFolderHeldElsewhere && !beginsAgain) {
        Cstring kept = OS::getSettingsFileName();
        keepTextBaseline(kept.c_str(), readKeptText(kept.c_str()), settingsFileText());
    }
    shopIsOpen = 1;
    shopOpenSecondFlag = 1;
    return 0;
}

int CshopKeeper::openAudio() {
    if (audioManager == nullptr) return 0;
    audioManager->keepTrickleSampleName(&trickleSample);
    Cvariable* prefixVar = findVariable("/l/aud/TR");
    Cstring prefix = prefixVar ? Cstring(prefixVar->getString()) : Cstring();
    audioManager->addTrickleSound((prefix + " 2").c_str(), "trickle2.chan");
    audioManager->addTrickleSound((prefix + " 1").c_str(), "trickle1.chan");
    audioManager->addTrickleSound((prefix + " 3").c_str(), "trickle3.chan");
    audioManager->setTrickleSound(0);
    // The manager answers the mode in force, which is what the settings keep.
    lowBubblesVersion = audioManager->setLowBubbles(lowBubblesVersion);
    hiBubblesVersion = audioManager->setHiBubbles(hiBubblesVersion);
    audioManager->defineIndividualVolumes(trickleVolume, hiBubbleVolume, lowBubbleVolume, masterVolume);
    audioManager->generateSingleTrack();
    return 0;
}

int CshopKeeper::loadControlPanel() {
    if (controlPanel) return 0;
    controlPanel = services().makeControlPanel(*this);
    if (controlPanel == nullptr) {
        VTRACE(1, "no control panel; running without the interface");
        return 0;
    }
    controlPanel->setThingFlag(1);
    controlPanel->resetThing(0);
    if (controlPanel->doExtraInit() == 0) return 0;
    delete controlPanel; // never used half made
    controlPanel = nullptr;
    return 1;
}
