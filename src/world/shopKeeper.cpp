#include "world/shopKeeper.h"

#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "graphics/deviceGlobals.h"
#include "graphics/graphicsGL.h"
#include "host/osFunctions.h"
#include "script/scriptCommands.h"
#include "script/scripter.h"
#include "script/variableSearch.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/tank.h"
#include "world/tankThings.h"
#include "world/velmoraFunctions.h"

void CshopServices::renderFraction(CgraphicsAPI& device, float fraction) {
    device.RenderFraction(fraction);
}

void CshopServices::removeDisplay(CshopKeeper&, CgraphicsAPI* device) {
    int n = 0;
    for (int i = 0; i < numDisplays && i < kMaxDisplays; i++)
        if (display[i] != device) display[n++] = display[i];
    for (int i = n; i < kMaxDisplays; i++)
        display[i] = nullptr;
    numDisplays = static_cast<int16_t>(n);
}

CshopKeeper::CshopKeeper(CshopServices* services)
    : shopServices(services ? services : worldHooks.shopServices) {
    if (shopKeeper) {
        delete shopKeeper;
        exit0("dshp");
    }
    setName("shopKeeper");
    shopKeeper = this;
    shopKeeperDirectory = this;
    startRunOrQuit = 0;
    wasChanged = 0;
    scriptAllowVariableNotFound = 0;
    revertToDefaults = 0;
    settingsNotSaved = "";
    masterFrame = 0;
    masterOddFrame = 0;
    globalTime = 0.0;
    globalSecondInc = 0;
    allowTexturing = 1;
    settingsFileError = 0;
    erroredExit = 0;
    skipFrameDisplay = 0;
    canReadRasterStatus = 1;
    aquaVersion = kAquaVersion;
    numDisplays = 0;
    for (CgraphicsAPI*& d : display)
        d = nullptr;
    // A streamer the script loader made before us is kept rather than leaked.
    if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
    featureFlags |= 8;
    addScriptSearchPath(this, 1);
}

CshopKeeper::~CshopKeeper() {
    if (shopIsOpen) clearShopkeeper();
    // A shop that never opened still holds what loadup made.
    delete controlPanel;
    controlPanel = nullptr;
    delete audioManager;
    audioManager = nullptr;
    // A shaker in a tank went with its things; one the tanks gave back is ours.
    if (foodShaker && foodShaker->parent == nullptr) delete foodShaker;
    foodShaker = nullptr;
    if (displays) {
        if (displays->parent) displays->unhook();
        delete displays;
        displays = nullptr;
    }
    for (Cstring const& reason : exitReasonList)
        VTRACE(1, "exit reason: " << reason);
    removeScriptSearchPath(this);
    if (sharedResourceTree == this) sharedResourceTree = nullptr;
    startRunOrQuit = static_cast<int8_t>(255);
    // A streamer never adopted by loadup is still ours to free.
    if (resourcesDir && resourcesDir->parent == nullptr) delete resourcesDir;
    resourcesDir = nullptr;
    shopKeeper = nullptr;
    shopKeeperDirectory = nullptr;
}

void CshopKeeper::initVariables() {
    setFlag(VAR_SAVE | VAR_INVISIBLE_SAVE, true);
    registerShort(displayedSequence, "displayedSequence", 1);
    registerShort(numSequences, "numSequences", 0);
    registerShort(seqRotType, "seqRotType", 1);
    registerShort(seqTransType, "seqTransType", 1);
    registerInt(secsSinceSeqRot, "secsSinceSeqRot", 0);
    alfixset = allowFixSettings;
    registerShort(alfixset, "alfixset", 0);
    registerInt(currentDate, "currentDate", 0);
    scriptError = 0;
    registerShort(scriptError, "scriptError", 0);
    registerShort(isMac, "isMac", 0);
    registerShort(returnToSeq, "returnToSeq", 0);
    registerString(returnTankType, "returnTankType", 0);
    registerShort(isWin, "isWin", 0);
    registerShort(hasMouse, "hasMouse", 0);
    registerShort(newGui, "newGui", 1);
    registerShort(returnToTankID, "returnToTankID", 0);
    registerShort(highlight, "highlightOn", 0);
    registerInt(addFishSeed, "addFishSeed", 0);
    registerShort(highlight, "highlight", 0);
    registerFloat(barThick, "barThick", 0);
    registerFloat(dragThreshold, "dragThreshold", 0);
    registerShort(overstuff, "overstuff", 1);
    registerInt(globalSeconds, "globalSeconds", 0);
    registerFloat(scriptSavedWithVersion, "scriptSavedWithVersion", 1);
    registerString(inetSite, "inetSite", 0);
    registerFloat(crabMood, "crabMood", 1);
    registerFloat(bezel, "bezel", 0);
    registerFloat(bshift, "bshift", 0);
    registerFloat(m2vs, "m2vs", 0);
    registerInt(maxTexUnits, "maxTexUnits", 0);
    canDoFadeVar = canDoFade;
    canDoMultAddVar = canDoMultAdd;
    registerShort(canDoMultAddVar, "canDoMultAdd", 0);
    registerShort(inClickFeedingMode, "inClickFeedingMode", 0);
    registerShort(canDoModInvAlphaAddColor, "canDoModInvAlphaAddColor", 0);
    registerShort(canDoFadeVar, "canDoFade", 0);
    registerShort(canDoTemp, "canDoTemp", 0);
    registerShort(D3D, "D3D", 0);
    registerShort(HVP, "HVP", 0);
    registerShort(GLSL, "GLSL", 0);
    registerShort(HLSL, "HLSL", 0);
    registerShort(shaderSpeed, "shaderSpeed", 0);
    registerShort(miniTex, "miniTex", 0);
    registerShort(lowResGeo, "lowResGeo", 0);
    registerShort(minimizeVtxData, "minimizeVtxData", 0);
    registerShort(OpenGL, "OpenGL", 0);
    registerShort(numDisplays, "numDisplays", 0);
    registerShort(debug, "debug", 0);
    registerInt(featureFlags, "features", 0);
    registerString(seqRotScript, "seqRotScript", 0);
    registerShort(seqRotScriptSeconds, "seqRotScriptSeconds", 0);
    registerShort(motionSensingOn, "motionSensingOn", 0);
    registerShort(tabIsDown, "tabIsDown", 0);
    registerShort(pickerOn, "pickerOn", 0);
    registerShort(allowUpdates, "allowUpdates", 0);
    registerShort(doLogo, "doLogo", 0);
    registerShort(autoFeedSeconds, "autoFeedSeconds", 1);
    registerShort(pooMode, "pooMode", 1);
    registerShort(exitStrategy, "exitStrategy", 1);
    registerShort(exitOnMouse, "exitOnMouse", 1);
    registerShort(shiftIsDown, "shiftIsDown", 0);
    registerShort(fakeMouseIsOn, "fakeMouseIsOn", 0);
    registerShort(inAppCom, "inAppCom", 0);
    registerShort(failed, "failed", 0);
    allowOnlineVar = allowOnline;
    registerShort(allowOnlineVar, "allowOnline", 0);
    registerFloat(masterVolume, "masterVolume", 1);
    registerFloat(trickleVolume, "trickleVolume", 1);
    registerFloat(lowBubbleVolume, "lowBubbleVolume", 1);
    registerFloat(hiBubbleVolume, "hiBubbleVolume", 1);
    registerShort(lowBubblesVersion, "lowBubblesVersion", 1);
    registerShort(hiBubblesVersion, "hiBubblesVersion", 1);
    registerShort(mnulFood, "mnulFood", 0);
    registerShort(feedMode, "feedMode", 0);
    registerShort(defFeedMode, "defFeedMode", 1);
    registerShort(ch4up, "ch4up", 0);
    registerShort(allowSeqChng, "allowSeqChng", 0);
    registerFloat(worldScale, "worldScale", 0);
    registerString(focusTank, "focusTank", 0);
    registerShort(focusTankID, "focusTankID", 0);
    registerString(focusTankType, "focusTankType", 0);
    registerString(settingsTimeStamp, "settingsTimeStamp", 1);
    registerInt(tempInt, "tempInt", 0);
    registerFloat(nextPageTimer, "nextPageTimer", 0);
    registerString(nextFrameCommand, "nextFrameCommand", 0);
    registerShort(turnOffPopup, "turnOffPopup", 0);
    registerShort(isMakingRequest, "isMakingRequest", 0);
    registerFloat(guiMonitorAspect, "guiMonitorAspect", 0);
    registerShort(g_passwordProtected, "passwd", 0);
    registerString(flexText, "flexText", 0);
    addVariableX("testTempInt", CLASS_INT);
    registerFloat(tempFloat, "tempFloat", 0);
    registerShort(xdel, "xdel", 0);
    focusTankPath = addVariableX("focusTankPath", CLASS_STRING);
    currentTankPath = addVariableX("currentTankPath", CLASS_STRING);
    focusDevicePath = addVariableX("focusDevicePath", CLASS_STRING);
    addDirectory("customGui");
    addVariableX("gs", CLASS_INT);
    fishAnimCycles = addDirectory("fishAnimCycles");
    registerString(trickleSample, "trickleSample", 1);
    miscOutput = addVariableX("miscOutput", CLASS_STRING);
    if (miscOutput) miscOutput->setString("testing");
    cpu = addVariableX("cpu", CLASS_FLOAT);
    registerShort(doCPU, "doCPU", 0);
    addDirectory("speciesScripts");
    loadedTanks = addDirectory("loadedTanks");
    loadedTanks->setSave(1);
    latentTanks = addDirectory("latentTanks");
    latentTanks->setFlag(VAR_SAVE | VAR_SAVE_ALL_CHILDREN, true);
    sequences = addDirectory("sequences");
    sequences->setFlag(VAR_SAVE | VAR_SAVE_ALL_CHILDREN | VAR_UNIQUE_DIRECTORIES, true);
    addDirectory("std_scripts");
    // The trash lives for the whole process: the shop keeper only shows it.
    variableTrashDir->setName("trash");
    variableTrashDir->setFlag(VAR_NOT_DELETED_BY_PARENT, true);
    addVariable(variableTrashDir);
    displays = addDirectory("displays");
    displays->setFlag(VAR_NOT_DELETED_BY_PARENT, true);
    addDirectory("queued_tanks");
    initInputProcessing();
    // Requests for shared resources search and file below the shop keeper from now on.
    sharedResourceTree = this;
    if (globalVariablesDir) globalVariablesDir->setParent(this, 0);
}

void CshopKeeper::setSeqTransition(uint8_t t) {
    seqTransType = canDoFade ? static_cast<short>(t & 1) : 0;
}

void CshopKeeper::shakeFoodShaker(int down) {
    if (foodShaker && tankThingAccess) tankThingAccess->shakerButtonState(foodShaker, down != 0);
}

void CshopKeeper::settingWasChanged(Cvariable* setting) {
    wasChanged = 1;
    Cvariable* parent = setting ? setting->parent : nullptr;
    switch (parent ? parent->getType() : 0) {
    case TYPE_REGISTRY_HOLDER:
        OS::storeRegistryStuff();
        break;
    case TYPE_SHOP_KEEPER:
        break;
    case TYPE_TANK:
        if (focusTankObject) focusTankObject->tankContentsWereChanged();
        break;
    default: // a setting somewhere else: nothing to save, and no reason to stop
        VTRACE(1, "unknown setting change:" << (setting ? setting->getName().c_str() : ""));
        break;
    }
}

void CshopKeeper::fakeMousePointerOff() {
    services().fakeMousePointerOff(*this);
}

void CshopKeeper::feedingOff() {
    if (feedMode == 0) return;
    feedMode = 0;
    if (fakeMouseIsOn) fakeMousePointerOff();
    mouseDownScript = Cstring();
    mouseUpScript = Cstring();
}
