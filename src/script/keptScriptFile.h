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
// Sets aside a kept file some of whose lines ran in this process (its reading stopped part
// way, a script it stored was refused later, the program failed in it twice): none of them
// stay. What a run beside another read of it is no longer merged against, a file that could
// not be moved is not read again while it holds the same text, and the engine, if one runs,
// saves nothing more and begins again without it. True when an engine begins again.
bool withdrawKeptFile(char const* path, char const* reason, Cstring* setAsideAs);
// Sets aside the kept files withdrawn while another run kept the data folder that still hold
// the text refused, now that this run may move them; forgetKeptFilesRefused forgets them (a
// new start reads them again).
void setAsideKeptFilesRefused();
void forgetKeptFilesRefused();
// A kept file is being read now (runKeptScriptFile): what ends the run there sets it aside.
bool keptFileRunning();
