// Setting a damaged kept file (settings, registry) aside, outside the reading of it: when
// what the file holds fails only later, as a saved tank that cannot be built.
#pragma once

#include "support/mystring.h"

// Renames path to "<path>.damaged" (or ".damaged2" and so on) and logs why; true when it was
// moved (its new name into setAsideAs when given), false when there was no such file or it
// could not be moved.
bool setKeptFileAside(char const* path, char const* reason, Cstring* setAsideAs);

// Set (never cleared here) when a script of the resource copy did not parse and the copy was
// asked back from the install folder: a run that then fails on a saved tank failed on the
// copy, and the settings are not to blame.
extern uint8_t resourceCopyAskedBack;

// Whether path (with or without a folder keyword, relative to the working folder or not)
// leads into the data folder's resource copy.
bool pathInResourceCopy(char const* path);
// Asks for the resource copy back from the install folder (the engine's hook) and notes it.
void askForResourceCopyBack();
