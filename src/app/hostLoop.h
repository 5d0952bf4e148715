// The program's main loop: makes the window (or adopts one, or draws offscreen), one view
// per display, steps every view 60 times a second and stops them all in order when a
// signal, the window or the engine says so.
#pragma once

#include <csignal>
#include <memory>
#include <vector>

#include "host/hostOptions.h"
#include "host/xHostWindow.h"

class CvelmoraView;

// Set by SIGTERM, SIGINT and SIGHUP (nothing else happens in the handler); the loop stops at
// the next frame and the engine saves its settings. installStopSignals also fills the host's
// programStopAsked (a signal, or the open run's window closed or destroyed), so that a
// waiting message box goes away and a blocking web request gives up.
extern volatile std::sig_atomic_t stopSignalled;
void installStopSignals();
// The program's ends that come at once: a lost X display ends the run saved, right away
// (saveAtSuddenEnd); a fault of the process says what it was doing in the run marker as it
// dies (host/crashRecord.h). For the program's process alone.
void installSuddenEnds();

// Sets the sheet's options the command line gives for this run only: the registry and the
// saver defaults keep what the sheet last kept.
void applyCommandLineSettings(ChostOptions const& options);

// One run of the program, frame by frame.
class ChostRun {
  public:
    ChostRun();
    ~ChostRun();
    // Makes the window (or adopts one, or none headless) and the views and starts them;
    // 0 done, 1 failed (no window or GL context; the reason is printed).
    int open(ChostOptions const& options, int argc, char** argv);
    // One frame: the window's events and input, then every view's frame; false when the
    // run is over (a signal, the window gone, the engine asked to stop, or a frame file
    // that could not be written).
    bool step();
    // Writes the screenshot asked for, stops the views and frees the engine's globals; the
    // process exit status (1 after a failure or a run ended on an error, which is printed).
    int close();

    ChostOptions options;
    CxHostWindow window;
    std::vector<std::unique_ptr<CvelmoraView>> views;
    int frame = 0;
    int status = 0;

  private:
    // Hands one key or button event to the view it happened over.
    void dispatch(ChostInputEvent const& event);
    bool opened = false;
    Cstring copyAtOpen; // resourceCopyIdentity() when the engine started
};

// Runs the program as the options say; the process exit status (0 a normal stop, 1 no
// window or GL context could be had, or the run ended on an error, which is printed).
int runHost(ChostOptions const& options, int argc, char** argv);
