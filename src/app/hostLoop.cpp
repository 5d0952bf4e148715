#include "app/hostLoop.h"

#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "app/appWiring.h"
#include "app/velmoraView.h"
#include "app/xKeys.h"
#include "host/crashRecord.h"
#include "host/frameFiles.h"
#include "host/glContext.h"
#include "host/hostServices.h"
#include "host/noticeText.h"
#include "host/osFunctions.h"
#include "host/saverDefaults.h"
#include "script/keptScriptFile.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/shopAudio.h"
#include "world/shopGlobals.h"
#include "world/velmoraFunctions.h"

volatile std::sig_atomic_t stopSignalled = 0;

namespace {

bool engineAskedToStop = false;
void onEngineStop() {
    engineAskedToStop = true;
}

// The window of the open run, watched while something waits outside the frame loop.
CxHostWindow* runWindow = nullptr;

bool runStopAsked() {
    return stopSignalled != 0 || (runWindow && runWindow->closeAsked());
}

extern "C" void onStopSignal(int) {
    stopSignalled = 1;
}

// The X display is gone (the server ended, the connection killed): nothing of it can be
// used any more, so the run saves as a stop does and ends at once.
void endOnLostDisplay() {
    static bool ending = false;
    if (!ending) {
        ending = true;
        std::fprintf(stderr, "velmora: the connection to the X display was lost: the run saves what it did "
                             "and ends\n");
        saveAtSuddenEnd();
    }
    std::fflush(nullptr);
    _exit(0);
}

// The left edge and width of display i of n across a width w.
void screenSpan(int w, int n, int i, int& x, int& width) {
    x = w * i / n;
    width = w * (i + 1) / n - x;
}

// Writes the views' frames side by side as one PNG; 0 written.
int writeScreens(std::vector<std::unique_ptr<CvelmoraView>>& views, int w, int h, char const* path) {
    std::vector<uint8_t> all(static_cast<size_t>(w) * static_cast<size_t>(h) * 4);
    int x = 0;
    for (auto& view : views) {
        CglContext* c = view->glView();
        std::vector<uint8_t> part(static_cast<size_t>(c->width()) * static_cast<size_t>(c->height()) * 4);
        if (c->readPixels(0, 0, c->width(), c->height(), part.data()) != 0) return 1;
        for (int row = 0; row < h && row < c->height(); row++)
            std::copy_n(part.begin() + static_cast<long>(row) * c->width() * 4, c->width() * 4,
                        all.begin() + (static_cast<long>(row) * w + x) * 4);
        x += c->width();
    }
    return writeFramePng(path, w, h, all.data());
}

void sleepUntil(timespec& next) {
    constexpr long frameNanos = 1000000000L / 60;
    next.tv_nsec += frameNanos;
    if (next.tv_nsec >= 1000000000L) {
        next.tv_nsec -= 1000000000L;
        next.tv_sec++;
    }
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    // More than a frame behind: start counting again from now rather than racing.
    if (now.tv_sec > next.tv_sec + 1 || (now.tv_sec == next.tv_sec + 1 && now.tv_nsec > next.tv_nsec)) {
        next = now;
        return;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) != 0 && !stopSignalled) {
    }
}

} // namespace

void applyCommandLineSettings(ChostOptions const& options) {
    setOptionsForThisRun(options.fishPerTank,
                         options.fishSizePercent > 0 ? options.fishSizePercent * 0.01f : -1.0f,
                         options.saveChanges < 0 ? -1 : 1 - options.saveChanges);
    keptUseAllScreens = -1;
    if (options.allScreens < 0) return;
    keptUseAllScreens = gUseAllScreens;
    gUseAllScreens = static_cast<uint8_t>(options.allScreens);
}

void installStopSignals() {
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // A closed terminal (SIGHUP) stops a window's run as the other requests to stop do.
    for (int stop : {SIGTERM, SIGINT, SIGHUP})
        sigaction(stop, &action, nullptr);

    // A message box waiting for an answer goes away unanswered, a web request gives up.
    programStopAsked = runStopAsked;
}

void installSuddenEnds() {
    onLostDisplay(endOnLostDisplay);
    installCrashRecord();
}

ChostRun::ChostRun() = default;

ChostRun::~ChostRun() {
    if (opened) close();
    if (runWindow == &window) runWindow = nullptr;
}

int ChostRun::open(ChostOptions const& runOptions, int argc, char** argv) {
    options = runOptions;
    endOptionsForThisRun(); // the registry the first view reads is saved as read
    resourceCopyAskedBack = 0;
    wireApp(); // before any view: every layer learns of the layers above it
    engineAskedToStop = false;
    viewStopRequested = onEngineStop;
    soundMuted = options.mute;
    bool headless = options.mode == ChostOptions::kHeadless;
    int w = options.width, h = options.height;
    if (!headless) {
        int failed = options.mode == ChostOptions::kWindow ? window.createOwn(nullptr, w, h, "Velmora")
                     : options.root                        ? window.adoptRoot(nullptr)
                                                           : window.adopt(nullptr, options.windowId);
        if (failed) {
            std::fprintf(stderr, "velmora: %s\n", window.error.c_str());
            viewStopRequested = nullptr;
            return 1;
        }
        w = window.width;
        h = window.height;
        runWindow = &window;
        useWindowSystemFonts(argc, argv);
        // The host's own windows (the sheet, the chooser) stand over the program's window.
        if (options.mode == ChostOptions::kWindow) lastFocusWindow = window.id();
    }
    int screens = std::min(options.screens, std::max(1, w));
    for (int i = 0; i < screens; i++) {
        int x = 0, width = 0;
        screenSpan(w, screens, i, x, width);
        // A hack's single display draws in the given window itself when its visual allows.
        bool adopt = options.mode == ChostOptions::kHack && screens == 1;
        CglContext* c = headless ? createOffscreenContext(width, h)
                                 : createWindowContextIn(nullptr, window.id(), x, 0, width, h, adopt);
        if (!c) {
            std::fprintf(stderr, "velmora: couldn't get format (%s)\n", lastContextError().c_str());
            if (masterOut.is_open()) masterOut << "couldn't get format" << std::endl;
            views.clear();
            freeGlobals();
            viewStopRequested = nullptr;
            return 1;
        }
        views.push_back(
            std::make_unique<CvelmoraView>(CviewRect{double(x), 0.0, double(width), double(h)}, c, false));
        // A screen saver's window: the keys and the pointer are the screen saver's.
        views.back()->readsInput = options.mode != ChostOptions::kHack;
    }
    // Read after the registry (the first view read it), before the engine starts.
    applyCommandLineSettings(options);
    copyAtOpen = resourceCopyIdentity();
    forgetStartRetries();
    for (auto& view : views)
        view->startAnimation();
    if (options.settings && !views[0]->configureSheet())
        std::fprintf(stderr, "velmora: the options sheet cannot be shown (no GTK display)\n");
    opened = true;
    return 0;
}

void ChostRun::dispatch(ChostInputEvent const& event) {
    for (auto& view : views) {
        CviewRect const& f = view->myFrame;
        bool last = &view == &views.back();
        if (event.x >= f.x + f.width && !last) continue;
        double x = event.x - f.x, y = f.height - event.y; // the view's rows run upward
        switch (event.kind) {
        case ChostInputEvent::KEY_PRESS:
            for (int code : keyPressCodes(event.keysym, event.text, event.textLength))
                view->keyDown(code);
            break;
        case ChostInputEvent::KEY_RELEASE:
            if (int code = keyReleaseCode(event.keysym)) view->keyUp(code);
            break;
        case ChostInputEvent::BUTTON_PRESS:
            if (event.button == 1) view->mouseDown(x, y);
            // The wheel zooms about where the pointer is.
            if (event.button == 4 || event.button == 5) view->pointerMoved(x, y);
            if (event.button == 4) view->scrollWheel(1.0);
            if (event.button == 5) view->scrollWheel(-1.0);
            break;
        case ChostInputEvent::BUTTON_RELEASE:
            if (event.button == 1) view->mouseUp(x, y);
            break;
        }
        return;
    }
}

bool ChostRun::step() {
    if (stopSignalled || engineAskedToStop) return false;
    // What the platform finished since the last frame first: a request this frame's input
    // makes is answered at the next.
    hostServices().frameTick();
    // What the host's own windows asked for (a new fish size), between frames.
    performEngineRestart();
    retryStartOnRenewedCopy();
    bool headless = options.mode == ChostOptions::kHeadless;
    if (!headless) {
        bool gone = window.poll() != 0;
        for (auto& view : views)
            gone = view->glView()->pollWindow() != 0 || gone;
        if (gone) return false;
        if (window.sizeChanged) {
            int screens = static_cast<int>(views.size());
            for (int i = 0; i < screens; i++) {
                int x = 0, width = 0;
                screenSpan(window.width, screens, i, x, width);
                views[size_t(i)]->glView()->setGeometry(x, 0, width, window.height);
                views[size_t(i)]->setFrameSize(width, window.height);
            }
        }
        for (ChostInputEvent const& event : window.input)
            dispatch(event);
    }
    bool pointerDrawn = false;
    for (auto& view : views) {
        view->animateOneFrame();
        pointerDrawn = pointerDrawn || view->pointerDrawn;
    }
    // One pointer: the system's is hidden while the program draws its own.
    if (!headless) window.showPointer(!pointerDrawn);
    frame++;
    if (headless && options.every && frame % options.every == 0) {
        std::string name = frameFileName(options.screenshot.c_str(), frame);
        if (writeScreens(views, options.width, options.height, name.c_str()) != 0) {
            std::fprintf(stderr, "velmora: couldn't write %s\n", name.c_str());
            status = 1;
            return false;
        }
    }
    return !(options.frames && frame >= options.frames);
}

int ChostRun::close() {
    if (!opened) return status;
    opened = false;
    bool headless = options.mode == ChostOptions::kHeadless;
    if (headless && !options.screenshot.empty() && !options.every && status == 0) {
        if (writeScreens(views, options.width, options.height, options.screenshot.c_str()) != 0) {
            std::fprintf(stderr, "velmora: couldn't write %s\n", options.screenshot.c_str());
            status = 1;
        }
    }
    bool errorShown = showInPreview == 1 || erroredExit;
    Cstring message = exitMsg;
    // The run ended on what the settings hold (a saved tank that cannot be built): the marker
    // stays naming them, the next start reads them again, and when it ends the same way they
    // are set aside (world/dataFolderRun.h). Only when the run's first error came in a line of
    // the settings themselves and nothing else is known of it: a failure that came of
    // something else (a file the install should hold missing or unreadable, memory running
    // out, a line of a resource) costs no file. Not when the resource copy failed and was
    // renewed, nor when the copy changed beneath the run (its files may have gone while a
    // tank loaded).
    bool settingsAtFault = erroredExit && settingsFileError && exitOwnFile == "settings.txt" &&
                           exitCause.empty() && !resourceCopyAskedBack &&
                           resourceCopyIdentity() == copyAtOpen;
    for (auto& view : views)
        view->stopAnimation();
    views.clear();
    // While the data folder is still this run's.
    if (settingsAtFault) leaveMarkerFailedIn("settings.txt");
    clearCrashIndicatorFile(); // the marker stays only for a start that ended inside it, or so
    bool heldElsewhere = dataFolderHeldElsewhere;
    freeGlobals();
    endOptionsForThisRun();
    keptUseAllScreens = -1;
    viewStopRequested = nullptr;
    lastFocusWindow = 0;
    if (runWindow == &window) runWindow = nullptr;
    if (errorShown) {
        std::fprintf(stderr, "velmora: %s\n", message.c_str());
        status = 1;
    }
    // Not an error, but where the log cannot be written (a full disk) the only word of it.
    // One note a fact: not when stderr has it already (a screen saver's note, or the start's
    // word of another run keeping the data folder).
    if (!settingsNotSaved.empty() && !settingsNotSavedSaid && !heldElsewhere)
        std::fprintf(stderr, "velmora: %s\n", settingsNotSaved.c_str());
    settingsNotSavedSaid = false;
    return status;
}

int runHost(ChostOptions const& options, int argc, char** argv) {
    ChostRun run;
    if (run.open(options, argc, argv) != 0) return 1;
    bool headless = options.mode == ChostOptions::kHeadless;
    timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    while (run.step())
        if (!headless) sleepUntil(next);
    return run.close();
}
