// Run phases and the crash marker.
//
// A run passes "initGlobals", "openShop", "loadup", "loadSettings", "afterSettings", "run",
// "closing" and "done". Some phases switch the trace output to a file of their own and
// rewrite the marker "[APD]isRunning.txt", which only a clean "done" deletes; a marker
// left behind tells the next start that the run before it ended uncleanly.
#pragma once

#include <cstdint>

#include "support/mystring.h"

class CshopKeeper;
extern CshopKeeper* shopKeeper;

extern Cstring phaseName;
extern Cstring stdoutFilename;
extern uint8_t allowStdoutFile;
extern int16_t global_isPreview;
extern uint8_t askAboutCrash;

// Enters a phase: switches the output file when the phase has one and, with writeMarker,
// rewrites the crash marker (never in the preview pane or after an error).
void enterRunPhase(Cstring phase, bool writeMarker);
// Deletes "[APD]isRunning.txt".
void clearCrashIndicatorFile();
// The output file of a phase, or an empty string when the phase keeps the current one.
Cstring runPhaseOutputFile(Cstring const& phase);
