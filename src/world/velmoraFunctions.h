// Run phases, the crash marker, the error-report question, the run log and small helpers.
//
// A run passes "initGlobals", "openShop", "loadup", "loadSettings", "afterSettings", "run",
// "closing" and "done". Some phases switch the trace output to a file of their own; each
// rewrites the marker "[APD]isRunning.txt", which only a clean "done" deletes: a marker left
// behind tells the next start that the run before it ended uncleanly. The marker names a
// phase of the start-up until the first frame is drawn: a marker left so tells of a start
// that never got going. It also names the process (":s pid", so that a run that is alive is
// never taken for one that ended), after the first frame the files of the copy whose scripts
// ran, and what a fault of the process itself was doing as it died (host/crashRecord).
#pragma once

#include <cstdint>

#include "support/languageCodes.h"
#include "support/mystring.h"

class CshopKeeper;
class CdirectoryVar;
extern CshopKeeper* shopKeeper;
// The shop keeper as a node of the tree (scripts run on it); set and cleared with shopKeeper.
extern CdirectoryVar* shopKeeperDirectory;

extern Cstring phaseName;
extern Cstring stdoutFilename;
extern uint8_t allowStdoutFile;
extern int16_t global_isPreview;
extern uint8_t askAboutCrash;
extern Cstring runLogFileName;                // the data folder plus "runLog.txt" once known
extern Cstring thisRunID;                     // written before each run-log line
extern Cstring append_test_to_internet_calls; // "" or "_test"

// User flag: never ask about error reports.
constexpr unsigned USER_FLAG_NEVER_ASK_REPORT = 0x1000;

// Deletes the data folder's "crash" folder and everything in it.
void clearCrashDirectory();
// Asks whether to report the unclean end of the previous run (unless the user said never
// or the run died while closing), acts on the answer and deletes the crash folder; 0.
int inquireAboutSendingErrorReport();
// Shows a message: as a message box before the shop keeper exists (its answer returned),
// afterwards on the in-scene message page (0 at once; title and buttons unused).
int ShowMessage(char const* text, char const* title, int buttons);
// The host calls this every frame; nothing fills the crash folder on this platform.
void makeCrashBackupDir();

// The run log "[APD]runLog.txt": a log of 50001 bytes or more starts afresh; a missing one
// is started with "start".
void clearLargeRunLogIfNecessary();
// Appends "<thisRunID>: <text>" to the run log once its name is known.
void writeToMasterLog(char const* text);
// The newest entry of the data folder whose name matches the wildcard pattern, or "".
Cstring getMostRecentFileWithPrefix(Cstring pattern);

// n in base 26 with the digits 'a'..'z', most significant first (0 "a", 26 "ba"); a
// negative n gets a leading "-".
Cstring intToAtoz(int n);
// Writes "name=value&" into tempBuf (cut to fit) and returns tempBuf.
char* tokenToTempBuf(char const* name, Cstring value);

// Debug hooks of other platforms; silent here.
inline void showDebug(short, char const*) {}
inline void showDebug(char const*, Cstring const&) {}
inline void showDebug(char const*, int) {}
inline void showDebug(char const*, float) {}
inline void debugPreRender() {}

// Enters a phase: switches the output file when the phase has one and, with writeMarker,
// rewrites the crash marker (never in the preview pane or after an error).
void enterRunPhase(Cstring phase, bool writeMarker);
// Deletes "[APD]isRunning.txt" (unless the run left it naming a file it failed in, or it
// names another run that may go on, which wrote over this one's).
void clearCrashIndicatorFile();
// The run ends on an error in an own file (a saved tank of the settings that cannot be
// built): the marker stays, naming the file, so that the next start reads it again as
// suspect and the file is set aside only when that start fails in it too.
void leaveMarkerFailedIn(char const* ownFile);
// The marker of this run still names the start-up and no exit was asked for: a process
// ending now ends inside its start.
bool startUnfinished();
// The first frame is drawn: the marker names the phase now in force.
void markStartFinished();
// The engine drew a whole frame without an error since it started (cleared by its start).
extern bool engineFrameDrawn;
// The phases of the start-up, before the first frame: a marker left naming one tells of a
// start that ended before its first frame.
bool startUpPhase(Cstring const& phase);
// Begins this run's marker (a screen's run that keeps the data folder), naming this process
// and the own file the run before it failed in, when one did (world/dataFolderRun.h).
void beginRunMarker(Cstring const& suspect);
// The output file of a phase, or an empty string when the phase keeps the current one.
Cstring runPhaseOutputFile(Cstring const& phase);
