// The view's life: construction, start (the shop keeper and the display), stop (the
// engine's shut-down by the last view) and the display table the views fill.
#include "app/velmoraView.h"

#include <cstdio>
#include <limits>

#include "app/optionsSheet.h"

#include "graphics/deviceGlobals.h"
#include "graphics/graphicsGL.h"
#include "host/glContext.h"
#include "host/gtkHost.h"
#include "host/hostServices.h"
#include "host/noticeScreens.h"
#include "host/osFunctions.h"
#include "host/pseudoCursor.h"
#include "host/saverDefaults.h"
#include "host/sheetWindow.h"
#include "script/scriptCommands.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "support/helperFunctions.h"
#include "support/resourceCopy.h"
#include "program/programWiring.h"
#include "variables/configDialogVars.h"
#include "world/dataFolderRun.h"
#include "world/initGlobals.h"
#include "world/internet.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

CvelmoraView* allWindows[kMaxViews] = {};
int doingOpenFile = 0;
int showInPreview = 0;
uint8_t pleaseQuitSystemPreferences = 0;
CvelmoraView* lastFocusView = nullptr;
double lastMouseX = 0, lastMouseY = 0;
Cstring sendExtraHttpString;
void (*viewStopRequested)() = nullptr;

namespace {

enum class Restart { none, saving, withoutSaving };
Restart restartAsked = Restart::none;

template <typename... T> void logLine(T const&... parts) {
    if (!masterOut.is_open()) return;
    (masterOut << ... << parts);
    masterOut << std::endl;
}

// A run that ends while another keeps the data folder leaves what it changed for that run;
// the sheet's saver defaults go with the registry's changes, or neither is kept.
void leaveAtTheEnd(CvelmoraView* view) {
    if (!dataFolderHeldElsewhere) return;
    bool registryLeft = leaveWhatThisRunChanged();
    auto follow = [registryLeft](CvelmoraView* v) {
        if (v->sheetOptionsWaiting && registryLeft) v->update_defaults();
        v->sheetOptionsWaiting = false;
    };
    for (CvelmoraView* v : allWindows)
        if (v && v != view) follow(v);
    if (view) follow(view);
}

int viewsAnimating(CvelmoraView const* except) {
    int n = 0;
    for (CvelmoraView* v : allWindows)
        if (v && v != except && v->animating) n++;
    return n;
}

} // namespace

void installViewHooks() {
    // An installed update takes effect at the next start: the views say so.
    engineHooks.updateInstalled = [] {
        pleaseQuitSystemPreferences = 1;
        showInPreview = 2;
    };
    // Lines of a file set aside ran in the engine: between frames it begins again without
    // them, saving nothing, as a start without the file would. A registry's options go back to
    // their defaults. What the viewer changed in the run is lost with it: the viewer is told.
    engineHooks.beginEngineWithoutFile = [](char const* path) {
        if (!shopKeeper) return false;
        if (replaceCommonPathKeyword(path) == OS::getRegistryFileName()) setRegistrySettingsToDefaults();
        if (engineFrameDrawn && !shopKeeper->beginsAgain)
            noteForViewer("Velmora begins again without it: what changed in this run is not kept.");
        shopKeeper->dontSaveUnderAnyCircumstances = 1;
        shopKeeper->beginsAgain = 1;
        logLine("a kept file whose lines ran was set aside (", path, "): the engine begins again without it");
        requestEngineRestart(false);
        return true;
    };
}

void addWindow(CvelmoraView* view) {
    for (int i = 0; i < kMaxViews; i++) {
        if (allWindows[i] == nullptr || allWindows[i] == view) {
            allWindows[i] = view;
            logLine("adding window ", 1, " at index ", i);
            return;
        }
    }
}

CvelmoraView::CvelmoraView(CviewRect frame, CglContext* context, bool isPreview)
    : preview(frame.width < 400.0), myFrame(frame), glContext(context) {
    setExitSaver(0);
    erroredExit = 0;
    // A preview keeps no run marker: known before the globals begin one.
    global_isPreview = preview ? 1 : 0;
    // The program was wired before any view (wireApp); a slot left empty stops the start
    // with its name.
    checkWiring();
    // Each failure says which folder and why; one that follows from another says nothing more.
    bool globalsFailed = initGlobals() != 0;
    if (globalsFailed)
        setExitError(globalsFailure.empty() ? "init globals failed"
                                            : (Cstring("init globals failed: ") + globalsFailure).c_str(),
                     1);
    // A log that cannot be written (a folder in its place that cannot be moved, a read-only
    // data folder) stops nothing: the run goes on without it.
    Cstring why;
    if (openMasterOut(&why) != 0 && !globalsFailed && dataFolderReadOnly.empty())
        std::fprintf(stderr, "velmora: running without a log: %s\n", why.c_str());
    logLine("appDataDir|=", appDataDir, " (int)sPreview|=", int(isPreview), " ");
    logLine("VelmoraView initWithFrame frame size.width=", frame.width, " size.height=", frame.height);
    // A missing copy, or one of another build's resources, is replaced by the installed tree.
    if (!globalsFailed && dataFolderReadOnly.empty() &&
        (!fileExists((appDataDir + "Resources/global/arrays/noise50.chan").c_str()) ||
         OS::installedResourcesChanged())) {
        OS::copyResourcesFromInstall();
        // A copy that could not be made leaves the run on the installed resources, whose
        // version is the program's own: the settings are read as the version it then has.
        if (!resourceCopyGivenUp.empty()) checkResourceVersion();
    }
    logLine("installDir", installDir);
    logLine("sPreview=", int(isPreview), " _preview(actual)=", int(preview));
    CsaverDefaults defaults;
    readSaverDefaults(defaults);
    gUseAllScreens = defaults.useAllScreens ? 1 : 0; // the sheet's check box shows it when it opens
    maxTexUnits = 8;
    if (!glContext) {
        logLine("~initWithFrame");
        return;
    }
    glContext->makeCurrent();
    initRenderer();
    CarrowPicture arrow = arrowPicture();
    cursor = std::make_unique<CpseudoCursor>(std::move(arrow.rgba), arrow.w, arrow.h, arrow.hotX, arrow.hotY,
                                             glContext.get());
    logLine("~initWithFrame");
}

CvelmoraView::~CvelmoraView() {
    logLine("VLV dealloc  self=", 1);
    dropSheet();
    if (glContext) glContext->makeCurrent();
    cursor.reset();
    for (CvelmoraView*& v : allWindows)
        if (v == this) v = nullptr;
    if (lastFocusView == this) lastFocusView = nullptr;
}

CgraphicsAPI* CvelmoraView::findThisAPI() {
    if (!device) return nullptr;
    for (int i = 0; i < numDisplays && i < kMaxDisplays; i++)
        if (display[i] == device) return display[i];
    return nullptr;
}

void CvelmoraView::startAnimation() {
    logLine("______VLV startAnimation    gl:", 1, "  ", int(preview));
    if (doingOpenFile) return;
    glContext->makeCurrent();
    logLine("frame bounds: ", myFrame.x, " ", myFrame.y, " ", myFrame.width, " ", myFrame.height);
    bool registered = findThisAPI() != nullptr;
    if (registered) logLine("found existing display (sa)");
    if (!shopKeeper && !exitSaver && !erroredExit && showInPreview != 1 && showInPreview != 2) {
        logLine("making new shopkeeper");
        auto* shop = new CshopKeeper(&programServices());
        // A new engine has been handed no pointer yet, wherever it stands.
        lastMouseX = lastMouseY = std::numeric_limits<double>::quiet_NaN();
        shop->timerDriven = 1;
        shop->noPresent = 1; // the view presents, after drawing the cursor
        // A screen-saver hack reads no input: the interface offers nothing to click.
        shop->hasMouse = readsInput ? 1 : 0;
        shop->startup(preview ? 1 : 0);
        GLSL = 1;
        shop->loadup();
        logLine("exitsaver=", exitSaver);
        if (exitSaver) {
            delete shop;
        } else {
            startRunOrQuit = 1;
            // Without a server there is nobody to ask: the countdown waits for one.
            if (!webServerAddress().empty() && phoneHomeThisRun > 0 && --phoneHomeThisRun == 0) {
                phoneHomeThisRun = 100;
                MakeHTTPrequestAndRunScript("inquiry/inquiry.php?type=INIT&", false, 2, nullptr);
                OS::storeRegistryStuff();
            }
        }
    }
    logLine("shopkeeper=", static_cast<void*>(shopKeeper));
    if (!registered && shopKeeper) registerDisplay();
    animating = true;
}

void CvelmoraView::registerDisplay() {
    logLine("displayIndex=-1 (preview?) create display & set size:  x=", myFrame.x, "<< y=", myFrame.y,
            " w=", myFrame.width, " h=", myFrame.height);
    auto* gl = new CopenGL;
    gl->context = glContext.get();
    gl->GetDeviceCapabilities();
    char line[160];
    std::snprintf(line, sizeof line, "numDisplays=%d, _myFrame=%d,%d,%d,%d\n", int(numDisplays),
                  int(myFrame.x), int(myFrame.y), int(myFrame.width), int(myFrame.height));
    sendExtraHttpString += line;
    sendExtraHttpString += Cstring("osver=") + osID + "\n";
    float minX = float(myFrame.x), minY = float(myFrame.y);
    float maxX = float(myFrame.x + myFrame.width), maxY = float(myFrame.y + myFrame.height);
    std::snprintf(line, sizeof line, "add display x=%d,y=%d,mxx=%d,mxy=%d\n", int(minX), int(minY), int(maxX),
                  int(maxY));
    sendExtraHttpString += line;
    shopKeeper->addDisplay(gl, Crect(minX, maxX, minY, maxY), 60);
    device = gl;
    if (!findThisAPI()) { // refused: all slots taken
        device = nullptr;
        gl->release();
        delete gl;
        return;
    }
    gl->backingScale = 1.0f;
    addWindow(this);
    logLine("numDisplays=", numDisplays);
    int screens = 0;
    for (CvelmoraView* v : allWindows)
        if (v) screens++;
    // Diagnostics go out once every so many starts, when every screen has its display.
    if (numDisplays == screens && !preview && !sendExtraHttpString.empty() && !webServerAddress().empty() &&
        countdownToSendExtraHttpString > 0) {
        if (--countdownToSendExtraHttpString == 0) {
            Cstring request = Cstring("inquiry/phone_home.php?debugInfo=") +
                              httpSafe(sendExtraHttpString.c_str(), true) + "&";
            logLine(request);
            MakeHTTPrequestAndRunScript(request, false, 1, nullptr);
        }
        OS::storeRegistryStuff();
    }
}

void CvelmoraView::stopAnimation() {
    logLine("stopAnimation self=", 1, " sk=", static_cast<void*>(shopKeeper), " errored=", erroredExit,
            "exitSaver=", exitSaver);
    bool wasAnimating = animating;
    animating = false;
    if (doingOpenFile) {
        setExitSaver(1);
        logLine("EXIT SAVER");
        logLine("doneStopAnim");
        return;
    }
    logLine("prepare to delete shopKeeper");
    glContext->makeCurrent();
    setVerbose(1, "stanim");
    keepSheetAtTheEnd();
    if (shopKeeper) {
        logLine("deleting shopkeeper?", " numDisps:", numDisplays, "  exitSaver:", exitSaver);
        // The last view to stop ends the engine even while other displays stay registered:
        // the host stops every view when it quits, and the engine must be saved then.
        if (numDisplays <= 1 || (wasAnimating && viewsAnimating(this) == 0)) {
            logLine("sx no disps");
            setExit("no displays");
        }
        if (exitSaver) {
            logLine("deleting shopkeeper   nd:", numDisplays, " exitSaver:", exitSaver,
                    " errored=", erroredExit);
            shopKeeper->shutDown();
            logLine("deleting shop");
            delete shopKeeper;
            device = nullptr; // freed with the display table
            logLine("done deleting shopkeeper", " errored=", erroredExit);
            leaveAtTheEnd(this);
            restartAsked = Restart::none; // the engine is gone for good: nothing to start again
            enterRunPhase("done", false);
            openStdout("outside.txt");
            if (!inetSite.empty()) {
                OS::showInternetPage(inetSite.c_str());
                inetSite = "";
            }
            clearCrashIndicatorFile();
        }
    }
    logLine("exitSaver=", exitSaver, " errored=", erroredExit, " preview=", int(preview));
    setExitSaver(0);
    logLine("doneStopAnim");
}

void CvelmoraView::keepSheetAtTheEnd() {
    // An open sheet keeps what its close keeps; its window is left alone (at a sudden end its
    // display is gone).
    if (sheetIsOpen()) {
        keepOptionsTheSheetChanged();
        sheetOptionsWaiting = true;
    }
    if (!sheetOptionsWaiting) return;
    // The sheet's options go with the registry the end writes (or leaves for the run that
    // keeps the data folder), or neither is kept.
    takeDataFolderWhenFree();
    if (dataFolderHeldElsewhere)
        keepDataFolderHeldElsewhere();
    else
        keepSheetOptions();
}

void saveAtSuddenEnd() {
    logLine("the run ends at once: saving");
    // An open sheet keeps what its close keeps, by the same rules; its window, on a display
    // that is gone, is left alone.
    for (CvelmoraView* v : allWindows)
        if (v) v->keepSheetAtTheEnd();
    if (shopKeeper) shopKeeper->saveForSuddenEnd();
    if (shopKeeper) leaveAtTheEnd(nullptr);
    // Where the log cannot be written, the only word of it (as at a stop).
    if (!settingsNotSaved.empty() && !settingsNotSavedSaid && !dataFolderHeldElsewhere)
        std::fprintf(stderr, "velmora: %s\n", settingsNotSaved.c_str());
    if (!erroredExit) clearCrashIndicatorFile();
    if (masterOut.is_open()) masterOut.flush();
}

void requestEngineRestart(bool save) {
    if (restartAsked != Restart::withoutSaving)
        restartAsked = save ? Restart::saving : Restart::withoutSaving;
}

namespace {
int startRetries = 0; // this run's: each try renews only what differs from the install
} // namespace

void forgetStartRetries() {
    startRetries = 0;
}

bool retryStartOnRenewedCopy() {
    if (!erroredExit || engineFrameDrawn || startRetries >= 3) return false;
    Cstring failure = exitMsg;
    if (!renewCopyFilesRead("stopped the start")) return false;
    startRetries++;
    resourceCopyAskedBack = 1; // the copy failed, not the settings
    logLine("the start failed on a file of the resource copy (", failure,
            "): it was copied again from the install folder; the start begins again");
    CvelmoraView* first = nullptr;
    for (CvelmoraView* v : allWindows)
        if (v && v->animating && !first) first = v;
    if (!first) return false;
    first->glContext->makeCurrent();
    if (shopKeeper) {
        shopKeeper->dontSaveUnderAnyCircumstances = 1;
        shopKeeper->shutDown();
        delete shopKeeper;
    }
    for (CvelmoraView* v : allWindows)
        if (v) v->device = nullptr; // freed with the display table
    resetExitState();
    showInPreview = 0;
    pleaseQuitSystemPreferences = 0;
    startRunOrQuit = 0;
    for (CvelmoraView* v : allWindows)
        if (v && v->animating) v->startAnimation();
    return shopKeeper != nullptr;
}

bool performEngineRestart() {
    Restart asked = restartAsked;
    restartAsked = Restart::none;
    if (asked == Restart::none || !shopKeeper || exitSaver) return false;
    logLine("restarting the engine", asked == Restart::saving ? " (saving)" : " (not saving)");
    CvelmoraView* first = nullptr;
    for (CvelmoraView* v : allWindows)
        if (v && v->animating && !first) first = v;
    if (!first) return false;
    first->glContext->makeCurrent();
    if (asked == Restart::withoutSaving) shopKeeper->dontSaveUnderAnyCircumstances = 1;
    // The last view's stop without the exit: the engine saves and goes, the views stay.
    shopKeeper->shutDown();
    delete shopKeeper;
    for (CvelmoraView* v : allWindows)
        if (v) v->device = nullptr; // freed with the display table
    enterRunPhase("done", false);
    clearCrashIndicatorFile();
    startRunOrQuit = 0;
    for (CvelmoraView* v : allWindows)
        if (v && v->animating) v->startAnimation();
    return shopKeeper != nullptr;
}
