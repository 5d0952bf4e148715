#include "world/dataFolderRun.h"

#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "host/hostServices.h"
#include "host/osFunctions.h"
#include "script/keptScriptFile.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "support/resourceCopy.h"
#include "world/initGlobals.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

namespace {

char const* const kMarker = "[APD]isRunning.txt";
bool takingClosed = false;

void logLine(Cstring const& text) {
    VTRACE(1, text);
    if (masterOut.is_open()) masterOut << text << std::endl;
}

void pause50ms() {
    timespec pause = {0, 50 * 1000000L};
    nanosleep(&pause, nullptr);
}

bool listed(std::vector<Cstring> const& list, Cstring const& name) {
    for (Cstring const& known : list)
        if (known == name) return true;
    return false;
}

} // namespace

CleftRun readLeftRun(char const* path, bool keeping) {
    CleftRun left;
    std::ifstream in;
    // Something else in its place is set aside only by the run that keeps the folder.
    if (!openOwnStream(in, replaceCommonPathKeyword(path).c_str(), keeping ? OWN_READ : OWN_QUIET))
        return left;
    left.present = true;
    std::vector<Cstring> reading;
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
        else if (line == ":s retry 1")
            left.retry = true;
        else if (take(line, ":s reading ", value) && reading.size() < 64)
            reading.push_back(value);
        else if (take(line, ":s read ", value) && left.read.size() < 64 && !listed(left.read, value))
            left.read.push_back(value);
        else if (take(line, ":s ran ", value) && left.ran.size() < 64)
            left.ran.push_back(value);
    }
    // Begun and never finished: the run ended while it ran the file.
    for (Cstring const& name : reading)
        if (!listed(left.read, name) && !listed(left.ended, name)) left.ended.push_back(name);
    return left;
}

bool leftRunAlive(CleftRun const& left) {
    if (!left.present || left.identity.empty()) return false;
    if (left.identity == hostServices().processIdentity()) return false;
    return hostServices().processRuns(left.identity) == 1;
}

bool settleLeftRun(CleftRun const& left) {
    if (!left.present || !mayWriteDataFolder()) return false;
    bool startEnded = startUpPhase(left.phase);
    for (Cstring const& name : left.ended) {
        Cstring path = ownFileNamedInMarker(name.c_str());
        if (!path.empty())
            setKeptFileAside(path.c_str(), "the last run ended while it ran this file", nullptr);
    }
    if (startEnded && left.retry) {
        // The copy was made again after the start before; what the starts still share is the
        // user's own files.
        for (Cstring const& name : left.read) {
            Cstring path = ownFileNamedInMarker(name.c_str());
            if (!path.empty())
                setKeptFileAside(path.c_str(), "two starts in a row ended before their first frame", nullptr);
        }
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

void takeDataFolder(Cstring& note) {
    note = "";
    dataFolderHeldElsewhere = false;
    takingClosed = false;
    int held = hostServices().lockDataFolder(appDataDir.c_str());
    int reason = errno;
    // A stopping run saves for a second or two (its marker names its closing); a killed one
    // holds its files a moment after it is gone.
    for (int waited = 0; held == 1 && waited < kClosingRunWaitMs && !(programStopAsked && programStopAsked());
         waited += 50) {
        CleftRun left = readLeftRun(kMarker);
        bool gone = left.present && !left.identity.empty() && hostServices().processRuns(left.identity) == 0;
        if (left.phase != "closing" && !(gone && waited < kGoneRunWaitMs)) break;
        pause50ms();
        held = hostServices().lockDataFolder(appDataDir.c_str());
        reason = errno;
    }
    Cstring holder = "another run of Velmora";
    if (held == -1) {
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
            << ") and keeps nothing until this one ends" << std::endl;
    std::fprintf(stderr, "velmora: %s: this run writes nothing there until that run ends\n", why.c_str());
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
    // The other run may have ended uncleanly: its marker is judged as a start would.
    if (left.present && !leftRunAlive(left) && settleLeftRun(left)) {
        logLine("the run that kept the data folder ended before its first frame: the resource copy is made "
                "again from the install folder");
        OS::copyResourcesFromInstall();
    }
    beginRunMarker(false);
    settingsNotSaved = "";
    if (shopKeeper && shopKeeper->saveFailureTold) {
        shopKeeper->saveFailureTold = 0;
        ShowMessage("The other run of Velmora has ended: what changes in this one is kept from now on.", "",
                    1);
    }
    return true;
}
