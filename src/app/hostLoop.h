// The program's main loop: makes the window (or adopts one, or draws offscreen), one view
// per display, steps every view 60 times a second and stops them all in order when a
// signal, the window or the engine says so.
#pragma once

#include <csignal>

#include "host/hostOptions.h"

// Set by SIGTERM and SIGINT (nothing else happens in the handler); the loop stops at the
// next frame and the engine saves its settings.
extern volatile std::sig_atomic_t stopSignalled;
void installStopSignals();

// Sets the sheet's options the command line gives (the registry keeps them as the sheet's
// own changes; "Use All Screens" is written to the saver defaults at once).
void applyCommandLineSettings(ChostOptions const& options);

// Runs the program as the options say; the process exit status (0 a normal stop, 1 no
// window or GL context could be had, or the run ended on an error, which is printed).
int runHost(ChostOptions const& options, int argc, char** argv);
