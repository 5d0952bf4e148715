// What a fault of the process says as it dies. The handlers add one line to the run marker
// (support/resourceCopy.h: faultNote) and then let the fault take its course:
//
//   :s fault <signal> <kind> [<own file>]
//
// kind is "own" when the faulting instruction lies in the program's own code, "library"
// when it lies elsewhere (the graphics or sound driver, the C library) or the signal was
// raised (an abort), "memory" once an allocation has failed, and "sent" for a signal another
// process sent. The own file is the data folder's script file being read, or whose line ran,
// at that moment. An end nothing can catch (a kill, the power) adds nothing.
#pragma once

// Installs the handlers (SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT) and the out-of-memory
// note, once; those in place before (a sanitizer's) act after them.
void installCrashRecord();
