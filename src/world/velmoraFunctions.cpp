#include "world/velmoraFunctions.h"

#include <cstring>
#include <string>
#include <vector>

#include "host/hostServices.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "support/resourceCopy.h"
#include "world/dataFolderRun.h"

CshopKeeper* shopKeeper = nullptr;
Cstring phaseName;
Cstring stdoutFilename;
uint8_t allowStdoutFile = 1;
int16_t global_isPreview = 0;
uint8_t askAboutCrash = 0;

namespace {
// The marker of this run names the start-up: its first frame is not drawn yet.
bool markedStarting = false;
Cstring markerIdentity;  // this process as its marker names it
Cstring markerSuspect;   // an own file the run before failed in (see world/dataFolderRun.h)
bool markerLeft = false; // the run ended on an error in an own file: its marker stays

// The marker's path where a fault of the process can write it (host/crashRecord).
void noteOwnRunMarker(Cstring const& path) {
    ownRunMarker = path;
    size_t n = path.size() < int(sizeof faultNote.marker) ? size_t(path.size()) : 0;
    std::memcpy(faultNote.marker, path.c_str(), n);
    faultNote.marker[n] = 0;
}

// The marker names another run that may go on, alive or one this process cannot judge (only
// such a run writes over this one's: one of another machine, on a folder without locks).
// This run then neither rewrites nor removes that run's marker, nor adds to it.
bool markerOfAnotherRun() {
    CleftRun left = readLeftRun("[APD]isRunning.txt");
    if (!left.present || left.identity.empty() || left.identity == hostServices().processIdentity() ||
        hostServices().processRuns(left.identity, appDataDir.c_str()) == 0)
        return false;
    noteOwnRunMarker(Cstring());
    runMarkerPath = "";
    return true;
}

// False when the marker is another run's, left as it is.
bool rewriteMarker(bool begin = false) {
    markedStarting = startUpPhase(phaseName);
    if (!begin && markerOfAnotherRun()) return false;
    Cstring marker = Cstring(":s pn ") + phaseName + "\n:s sof " + stdoutFilename + "\n";
    if (!markerIdentity.empty()) marker += Cstring(":s pid ") + markerIdentity + "\n";
    if (!markerSuspect.empty()) marker += Cstring(":s suspect ") + markerSuspect + "\n";
    for (Cstring const& part : copyScriptsRun())
        marker += Cstring(":s ran ") + part + "\n";
    bool written = createDiskFile("[APD]isRunning.txt", marker.c_str(), -1) == 0;
    noteOwnRunMarker(written && mayWriteDataFolder() ? replaceCommonPathKeyword("[APD]isRunning.txt")
                                                     : Cstring());
    return true;
}
} // namespace

bool startUpPhase(Cstring const& phase) {
    for (char const* starting : {"initGlobals", "openShop", "loadup", "loadSettings", "afterSettings"})
        if (phase == starting) return true;
    return false;
}

void beginRunMarker(Cstring const& suspect) {
    markerLeft = false;
    if (!mayWriteDataFolder() || global_isPreview || erroredExit) return;
    markerIdentity = hostServices().processIdentity();
    markerSuspect = suspect;
    rewriteMarker(true);
}

Cstring runPhaseOutputFile(Cstring const& phase) {
    static char const* const table[][2] = {{"initGlobals", "stdout_init.txt"},
                                           {"openShop", "stdout_startup.txt"},
                                           {"run", "stdout_run.txt"},
                                           {"closing", "stdout_closing.txt"}};
    for (auto const& row : table)
        if (phase == row[0]) return Cstring(row[1]);
    return Cstring();
}

void clearCrashIndicatorFile() {
    markedStarting = false;
    runMarkerPath = "";
    noteOwnRunMarker(Cstring());
    if (!markerLeft && !markerOfAnotherRun()) deleteFile("[APD]isRunning.txt");
}

void leaveMarkerFailedIn(char const* ownFile) {
    if (!mayWriteDataFolder() || global_isPreview || ownFile == nullptr || markerOfAnotherRun()) return;
    Cstring marker = Cstring(":s pn closing\n:s pid ") + markerIdentity + "\n";
    if (!markerSuspect.empty()) marker += Cstring(":s suspect ") + markerSuspect + "\n";
    marker += Cstring(":s failed ") + ownFile + "\n";
    markerLeft = createDiskFile("[APD]isRunning.txt", marker.c_str(), -1) == 0;
}

bool startUnfinished() {
    return markedStarting && !exitSaver && !erroredExit;
}

bool engineFrameDrawn = false;

void markStartFinished() {
    if (!erroredExit) engineFrameDrawn = true;
    if (!markedStarting || erroredExit || global_isPreview) return;
    for (CscriptSource& source : scriptSources)
        source.named = false;
    // From now on the files of the copy whose lines run are named in the marker.
    if (rewriteMarker() && mayWriteDataFolder())
        runMarkerPath = replaceCommonPathKeyword("[APD]isRunning.txt");
}

void enterRunPhase(Cstring phase, bool writeMarker) {
    phaseName = phase;
    if (phase == "done") {
        if (!erroredExit) clearCrashIndicatorFile();
        return;
    }
    Cstring name = runPhaseOutputFile(phase);
    if (masterOut.is_open()) masterOut << name << std::endl;
    if (!name.empty() && allowStdoutFile) {
        if (erroredExit == 1) name = Cstring("X") + name;
        if (shopKeeper) name = appDataDir + name;
        if (name != stdoutFilename) {
            stdoutFilename = name;
            openStdout(stdoutFilename.c_str());
        }
    }
    // Every phase the run passes is in the marker, not only those with an output file.
    if (!erroredExit && !global_isPreview && writeMarker) rewriteMarker();
}
