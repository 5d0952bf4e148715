#include "world/dataFolderRun.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "host/hostServices.h"
#include "host/osFunctions.h"
#include "script/keptScriptFile.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "support/keptText.h"
#include "support/resourceCopy.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

namespace {

char const* const kMarker = "[APD]isRunning.txt";
bool takingClosed = false;
bool folderUnlockable = false; // this run's folder cannot be locked: markers alone tell runs apart
int changesLeft = 0;           // this run left what it changed: 1 with the registry's, -1 without

void logLine(Cstring const& text) {
    VTRACE(1, text);
    if (masterOut.is_open()) masterOut << text << std::endl;
}

void pause50ms() {
    timespec pause = {0, 50 * 1000000L};
    nanosleep(&pause, nullptr);
}

// The start counts as the registry held them when this run read it.
int runsRead = 0, runsThisVersionRead = 0;

// A whole-number setting of a kept text (":set name 12"), or fallback when it holds none.
int keptNumber(std::string const& text, char const* name, int fallback) {
    std::string key = std::string(":set ") + name + " ";
    for (size_t at = 0; (at = text.find(key, at)) != std::string::npos; at += key.size())
        if (at == 0 || text[at - 1] == '\n') return std::atoi(text.c_str() + at + key.size());
    return fallback;
}
} // namespace

void countThisStart() {
    runsRead = numRuns;
    runsThisVersionRead = numRunsThisVersion;
    numRuns++;
    numRunsThisVersion++;
}

CleftRun readLeftRun(char const* path, bool keeping) {
    CleftRun left;
    std::ifstream in;
    // Something else in its place is set aside only by the run that keeps the folder.
    if (!openOwnStream(in, replaceCommonPathKeyword(path).c_str(), keeping ? OWN_READ : OWN_QUIET))
        return left;
    left.present = true;
    auto take = [](std::string const& line, char const* prefix, Cstring& into) {
        size_t n = std::strlen(prefix);
        if (line.compare(0, n, prefix) != 0) return false;
        into = Cstring(line.c_str() + n);
        return true;
    };
    int lines = 0;
    for (std::string line; std::getline(in, line) && lines < 1024; lines++) {
        Cstring value;
        if (take(line, ":s pn ", value) && left.phase.empty())
            left.phase = value;
        else if (take(line, ":s pid ", value))
            left.identity = value;
        else if (take(line, ":s suspect ", value))
            left.suspect = value;
        else if (take(line, ":s fault ", value) && left.faultSignal == 0) {
            // ":s fault <signal> <kind> [<file>]", as the fault handler writes it
            std::istringstream fields(value.c_str());
            std::string kind, file;
            int signal = 0;
            if (!(fields >> signal >> kind) || signal <= 0) continue;
            fields >> file;
            left.faultSignal = signal;
            left.faultKind = kind.c_str();
            left.faultFile = file.c_str();
        } else if (take(line, ":s failed ", value))
            left.failedIn = value;
        else if (take(line, ":s ran ", value) && left.ran.size() < 64)
            left.ran.push_back(value);
    }
    return left;
}

bool leftRunAlive(CleftRun const& left) {
    if (!left.present || left.identity.empty()) return false;
    if (left.identity == hostServices().processIdentity()) return false;
    return hostServices().processRuns(left.identity, appDataDir.c_str()) == 1;
}

namespace {
// How the run ended, as far as its marker tells, for the log.
Cstring howItEnded(CleftRun const& left) {
    if (!left.failedIn.empty()) return Cstring("it ended on an error in ") + left.failedIn;
    if (left.faultSignal == 0)
        return "it was ended from outside (killed, the power, memory) or crashed unrecorded";
    Cstring how = Cstring("signal ") + std::to_string(left.faultSignal).c_str();
    if (left.faultKind == "own") how += " in the program's own code";
    if (left.faultKind == "library") how += " inside a library (a graphics or sound driver, the system)";
    if (left.faultKind == "memory") how += ": memory ran out";
    if (left.faultKind == "sent") how += ", sent by another process";
    if (!left.faultFile.empty()) how += Cstring(" while it ran ") + left.faultFile;
    return how;
}
} // namespace

bool settleLeftRun(CleftRun const& left, Cstring& suspect) {
    suspect = "";
    if (!left.present || !mayWriteDataFolder()) return false;
    // A run this process cannot judge (another machine's, on a folder without locks) may
    // still go on: it is no crash to mend.
    if (folderUnlockable && !left.identity.empty() &&
        hostServices().processRuns(left.identity, nullptr) == -1) {
        logLine(Cstring("run marker: it names a run of another machine (process ") + left.identity +
                "), which nothing here can judge: it is neither mended after nor waited for");
        return false;
    }
    bool startEnded = startUpPhase(left.phase);
    logLine(Cstring("the last run ended uncleanly (") + left.phase + "): " + howItEnded(left) +
            "; the data folder's own files stay as they are");
    // Only the program's own fault while a file of the user ran, or an error in what it holds,
    // lays it at that file's door, and only twice in a row: the file is set aside after the
    // second.
    Cstring failed = !left.failedIn.empty()                             ? left.failedIn
                     : left.faultSignal != 0 && left.faultKind == "own" ? left.faultFile
                                                                        : Cstring();
    Cstring path = failed.empty() ? Cstring() : ownFileNamedInMarker(failed.c_str());
    if (!path.empty() && left.suspect == failed)
        withdrawKeptFile(path.c_str(), "the program failed twice in a row while it ran this file", nullptr);
    else if (!path.empty()) {
        suspect = failed;
        logLine(Cstring("run marker: the program failed while it ran ") + failed +
                "; it is read again, and set aside should the next run fail in it the same way");
    }
    if (!startEnded) {
        // Only files of the copy: a folder, a name leading elsewhere or out of it is ignored.
        for (Cstring const& part : left.ran) {
            Cstring path = copyFileNamedInMarker(part.c_str());
            if (path.empty())
                logLine(Cstring("run marker: \"") + part + "\" is no file of the resource copy; ignored");
            else
                renewCopyFile(path.c_str(), "ran in a run that ended uncleanly");
        }
    }
    return startEnded;
}

void keepDataFolderHeldElsewhere() {
    takingClosed = true;
}

void takeInLeftChanges() {
    if (!mayWriteDataFolder()) return;
    takeInLeftKeptText(OS::getSettingsFileName().c_str());
    takeInLeftKeptText(OS::getRegistryFileName().c_str(), registryStartCounts());
}

bool leaveWhatThisRunChanged() {
    if (!dataFolderHeldElsewhere) return true;
    if (changesLeft != 0) return changesLeft > 0; // once: a second file would count it twice
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    std::string tag = std::to_string(getpid()) + "-" + std::to_string(now.tv_sec) +
                      std::to_string(1000000000L + now.tv_nsec).substr(1);
    std::string keeper = readLeftRun(kMarker).identity.c_str();
    Cstring who = keeper.empty() ? Cstring("another run of Velmora")
                                 : Cstring("another run of Velmora (process ") +
                                       keeper.substr(0, keeper.find(' ')).c_str() + ")";
    Cstring settings = OS::getSettingsFileName(), registry = OS::getRegistryFileName();
    std::string const texts[] = {heldKeptText(settings.c_str()), registryText(globalVariablesDir)};
    // The left files are this run's only writes there, under names no other run takes.
    Cstring heldBy = dataFolderReadOnly;
    dataFolderReadOnly = "";
    std::string left, lost;
    bool registryLeft = true;
    for (int i = 0; i < 2; i++) {
        std::string where;
        int done = leaveKeptText((i == 0 ? settings : registry).c_str(), texts[i], tag, where);
        if (done == 0) left += (left.empty() ? "" : ", ") + where;
        if (done == 1)
            lost += std::string(lost.empty() ? "" : "; ") + (i == 0 ? "settings.txt: " : "registry.txt: ") +
                    (lastWriteError.empty() ? "not written" : lastWriteError.c_str());
        if (done == 1 && i == 1) registryLeft = false;
    }
    Cstring said = Cstring("this run ends while ") + who + " keeps the data folder \"" + appDataDir + "\"";
    if (lost.empty() && left.empty())
        said += ": nothing this run keeps was changed";
    else if (lost.empty())
        said += Cstring(": what this run changed is left there for that run, which takes it in at its next "
                        "save (or the next start does): ") +
                left.c_str();
    else
        said += Cstring(left.empty() ? ": nothing of this run was kept" : ": not all of this run was kept") +
                ": what it changed could not be left there for that run (" + lost.c_str() + ")" +
                (left.empty() ? Cstring() : Cstring("; the rest is left in ") + left.c_str());
    VTRACE(1, said);
    std::ofstream log;
    if (openOwnStream(log, (appDataDir + "masterout.txt").c_str(), OWN_APPEND | OWN_QUIET))
        log << said << std::endl;
    dataFolderReadOnly = heldBy;
    std::fprintf(stderr, "velmora: %s\n", said.c_str());
    changesLeft = registryLeft ? 1 : -1;
    return registryLeft;
}

void takeDataFolder(Cstring& note) {
    note = "";
    dataFolderHeldElsewhere = false;
    takingClosed = false;
    folderUnlockable = false;
    changesLeft = 0;
    int held = hostServices().lockDataFolder(appDataDir.c_str());
    int reason = errno;
    // A stopping run saves for a second or two (its marker names its closing); a killed one
    // holds its files a moment after it is gone.
    for (int waited = 0; held == 1 && waited < kClosingRunWaitMs && !(programStopAsked && programStopAsked());
         waited += 50) {
        CleftRun left = readLeftRun(kMarker);
        bool gone = left.present && !left.identity.empty() &&
                    hostServices().processRuns(left.identity, appDataDir.c_str()) == 0;
        if (left.phase != "closing" && !(gone && waited < kGoneRunWaitMs)) break;
        pause50ms();
        held = hostServices().lockDataFolder(appDataDir.c_str());
        reason = errno;
    }
    Cstring holder = "another run of Velmora";
    if (held == -1) {
        folderUnlockable = true;
        // No lock to be had here: the marker alone tells whether another run lives.
        note = Cstring("the data folder \"") + appDataDir + "\" cannot be locked (" + std::strerror(reason) +
               "): runs sharing it are told apart by the run marker alone";
        std::fprintf(stderr, "velmora: %s\n", note.c_str());
        CleftRun left = readLeftRun(kMarker);
        if (!leftRunAlive(left)) return;
        std::string identity = left.identity.c_str();
        holder += Cstring(" (process ") + identity.substr(0, identity.find(' ')).c_str() + ")";
    } else if (held != 1) {
        return;
    }
    Cstring why = holder + " keeps the data folder \"" + appDataDir + "\"";
    std::ofstream log;
    if (openOwnStream(log, (appDataDir + "masterout.txt").c_str(), OWN_APPEND | OWN_QUIET))
        log << "another run started beside this one (process " << getpid()
            << ") and keeps nothing until this one ends (should it end first, it leaves what it changed "
               "for this one)"
            << std::endl;
    std::fprintf(stderr,
                 "velmora: %s: this run writes nothing there until that run ends (should this one end "
                 "first, it leaves what it changed there for that run)\n",
                 why.c_str());
    dataFolderReadOnly = why;
    dataFolderHeldElsewhere = true;
}

bool takeDataFolderWhenFree() {
    if (!dataFolderHeldElsewhere || takingClosed) return false;
    int held = hostServices().lockDataFolder(appDataDir.c_str());
    if (held == 1) return false;
    CleftRun left = readLeftRun(kMarker);
    if (held == -1 && leftRunAlive(left)) return false;
    dataFolderReadOnly = "";
    dataFolderHeldElsewhere = false;
    openMasterOut(nullptr, true); // after the log of the run that kept the folder
    Cstring said = Cstring("the run that kept the data folder \"") + appDataDir +
                   "\" has ended: this run keeps it from now on (what was saved meanwhile stays, with "
                   "this run's changes put in)";
    logLine(said);
    std::fprintf(stderr, "velmora: %s\n", said.c_str());
    setAsideKeptFilesRefused(); // damaged files of the folder this run could not move before
    // The other run may have ended uncleanly: its marker is judged as a start would.
    Cstring suspect;
    if (left.present && !leftRunAlive(left) && settleLeftRun(left, suspect)) {
        logLine("the run that kept the data folder ended before its first frame: the resource copy is made "
                "again from the install folder");
        OS::copyResourcesFromInstall();
    }
    beginRunMarker(suspect);
    takeInLeftChanges();
    // This run's start is counted on top of the other run's.
    std::string registry = readKeptText(OS::getRegistryFileName().c_str());
    numRuns = keptNumber(registry, "runs", runsRead) + numRuns - runsRead;
    numRunsThisVersion =
        keptNumber(registry, "runsTV", runsThisVersionRead) + numRunsThisVersion - runsThisVersionRead;
    settingsNotSaved = "";
    if (shopKeeper && shopKeeper->saveFailureTold) {
        shopKeeper->saveFailureTold = 0;
        ShowMessage("The other run of Velmora has ended: what changes in this one is kept from now on.", "",
                    1);
    }
    return true;
}
