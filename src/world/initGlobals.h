// Start-up of the program-wide state before the shop keeper exists, and the common query
// of every web request.
#pragma once

#include <cstdint>

#include "support/mystring.h"

extern Cstring tempDir;       // "$TEMP/"
extern Cstring frame10Script; // run at the tenth refresh
extern int intrinsicVersion;  // the resource version this program expects
extern int resourcesVersion;  // the version of the data folder's resources
extern uint8_t needsAnUpdate; // the resources differ: read the installed defaults and keep
                              // any settings file as it is
extern uint8_t allowOnline;
extern Cstring countryCode; // two letters
extern int compileDate;     // yyyymmdd of the build
extern int minutesThisVersion;
extern Cstring webServerBase;   // registry "webServer": "http://host/" of web requests; empty: none
extern Cstring randomMachineID; // registry "rmid": made once where the system has no identifier

constexpr int kIntrinsicVersion = 12960018;
constexpr float kAquaVersion = 1.296f;

// Makes the root "globals", finds the folders, opens the master log, reads the registry,
// checks the resource version and settles language and country. 0 when done (or done
// before); otherwise the number of folders (install, data) that could not be found, and
// globalsFailure says why (the install folders looked in, why the data folder could not be
// had). Without a data folder nothing after that is done: no file is read or written. A
// data folder that is, lies inside or holds the install folder is only read, as a
// read-only one (dataFolderReadOnly says why and how to mend it).
int initGlobals();
extern Cstring globalsFailure;
// How long a start waits for a run that stops (its marker names its closing) to save.
constexpr int kClosingRunWaitMs = 5000;
// Reads which resources the resource folder holds (OS::loadDownloadedComponents) against the
// program's own version: needsAnUpdate, and the copy made again when it is the newer. Again
// when the run turns to the install folder's resources, which are the program's version.
void checkResourceVersion();
// Deletes the root and the crash marker; the tree must not be used afterwards.
void freeGlobals();

// Fills url with the server address, path and the common query of the given level
// (0 none, 1 the common fields, 2 also the executable and user fields); returns url.
Cstring& fillStringWithRequestBasics(Cstring& url, char const* path, int level);
