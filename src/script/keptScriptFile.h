// Setting a damaged kept file (settings, registry) aside, outside the reading of it: when
// what the file holds fails only later, as a saved tank that cannot be built.
#pragma once

#include "support/mystring.h"
#include "support/resourceCopy.h" // resourceCopyAskedBack, pathInResourceCopy

// Renames path to "<path>.damaged" (or ".damaged2" and so on: an earlier one is never
// replaced), logs why and tells the viewer where it is kept and how to put it back
// (noteForViewer); true when it was moved (its new name into setAsideAs when given), false
// when there was no such file or it could not be moved.
bool setKeptFileAside(char const* path, char const* reason, Cstring* setAsideAs);
// A kept file is being read now (runKeptScriptFile): what ends the run there sets it aside.
bool keptFileRunning();
