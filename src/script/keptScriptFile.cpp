// Script files the data folder keeps (the settings, the registry): a damaged one is set
// aside under a free name and the run goes on without it, nothing of it lost.
#include "script/keptScriptFile.h"

#include <map>
#include <string>

#include "script/scripter.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/fileIO.h"
#include "support/keptText.h"
#include "variables/configDialogVars.h"

namespace {

void logLine(Cstring const& text) {
    if (masterOut.is_open()) masterOut << text << std::endl;
    VTRACE(1, text);
}

} // namespace

namespace {
int keptFilesRunning = 0;

// The file is noted while it runs, so that a fault of the process meanwhile names it in the
// run marker (host/crashRecord).
class CkeptFileRun {
  public:
    explicit CkeptFileRun(char const* p) : path(p) {
        keptFilesRunning++;
        ownScriptFileBegins(path);
    }
    ~CkeptFileRun() {
        keptFilesRunning--;
        ownScriptFileEnds(path);
    }
    CkeptFileRun(CkeptFileRun const&) = delete;
    CkeptFileRun& operator=(CkeptFileRun const&) = delete;

  private:
    char const* path;
};
} // namespace

bool keptFileRunning() {
    return keptFilesRunning > 0;
}

namespace {
// Kept files withdrawn that could not be moved (another run keeps the data folder), by their
// whole path, with the text refused.
std::map<std::string, std::string> refusedInPlace;
// What each kept file read whole did to the registry, its values before and after: undone
// should the file be withdrawn later in the run.
std::map<std::string, std::pair<CregistryValues, CregistryValues>> registryChanged;

bool refusedBefore(char const* path) {
    auto found = refusedInPlace.find(replaceCommonPathKeyword(path).c_str());
    return found != refusedInPlace.end() && readKeptText(path) == found->second;
}
} // namespace

int runKeptScriptFile(Cvariable* target, char const* path, Cstring* setAsideAs) {
    if (setAsideAs) *setAsideAs = "";
    if (path == nullptr || !fileExists(path)) return KEPT_FILE_UNREAD;
    if (refusedBefore(path)) {
        logLine(Cstring("damaged file ") + path + " is not read again: it was refused in this run");
        return KEPT_FILE_UNREAD;
    }
    // Read anew: what an earlier reading did is part of the state it begins from.
    registryChanged.erase(replaceCommonPathKeyword(path).c_str());
    int16_t scriptErrorBefore = scriptError;
    int parsed = 1;
    bool ran = false;
    Cstring reason;
    // The registry's values as they were: a file that fails part-way leaves none of its own.
    CregistryValues registryBefore(registries);
    {
        CkeptFileRun named(path);
        CexitHold hold;
        CscriptVar script;
        parsed = script.processDiskScript(path);
        // The program writes every block whole: a file ending inside one was cut short, and
        // what it still holds would come back half made (a fish without its size).
        bool cutShort = parsed == 0 && script.endedInOpenBlock;
        ran = parsed == 0 && !cutShort;
        bool ranBadly = ran && !hold.exitRecorded() && scriptFailed(runScript(target, &script));
        if (!hold.exitRecorded() && !ranBadly && !cutShort) {
            if (parsed != 0) return KEPT_FILE_UNREAD;
            registryChanged.insert_or_assign(
                replaceCommonPathKeyword(path).c_str(),
                std::make_pair(std::move(registryBefore), CregistryValues(registries)));
            return KEPT_FILE_RAN;
        }
        reason = hold.exitRecorded() ? hold.reason()
                 : cutShort          ? Cstring("it ends inside a block: cut short")
                                     : Cstring("its script failed");
        hold.forget();
    }
    scriptError = scriptErrorBefore;
    if (ran) {
        registryBefore.restore();
        withdrawKeptFile(path, reason.c_str(), setAsideAs);
    } else {
        setKeptFileAside(path, reason.c_str(), setAsideAs);
    }
    return KEPT_FILE_SET_ASIDE;
}

bool withdrawKeptFile(char const* path, char const* reason, Cstring* setAsideAs) {
    std::string text = readKeptText(path);
    auto changed =
        path ? registryChanged.find(replaceCommonPathKeyword(path).c_str()) : registryChanged.end();
    if (changed != registryChanged.end()) {
        changed->second.first.undoChanges(registries, changed->second.second);
        registryChanged.erase(changed);
    }
    bool moved = setKeptFileAside(path, reason, setAsideAs);
    forgetTextBaseline(path);
    if (!moved && path && fileExists(path)) refusedInPlace[replaceCommonPathKeyword(path).c_str()] = text;
    return engineHooks.beginEngineWithoutFile && engineHooks.beginEngineWithoutFile(path);
}

void setAsideKeptFilesRefused() {
    std::map<std::string, std::string> refused;
    refused.swap(refusedInPlace);
    for (auto const& [path, text] : refused)
        if (readKeptText(path.c_str()) == text &&
            !setKeptFileAside(path.c_str(), "refused earlier in this run", nullptr))
            refusedInPlace[path] = text;
}

void forgetKeptFilesRefused() {
    refusedInPlace.clear();
    registryChanged.clear();
}

bool setKeptFileAside(char const* given, char const* reason, Cstring* setAsideAs) {
    if (setAsideAs) *setAsideAs = "";
    if (given == nullptr || !fileExists(given)) return false;
    // Named as the viewer finds it: its whole path, no folder keyword.
    Cstring whole = replaceCommonPathKeyword(given);
    char const* path = whole.c_str();
    Cstring aside = freeSetAsideName(path);
    bool moved = !aside.empty() && renameFile(path, aside.c_str()) == 0;
    if (moved) {
        logLine(Cstring("damaged file ") + path + " (" + reason + ") set aside as " + aside);
        if (setAsideAs) *setAsideAs = aside;
        Cstring name = path;
        noPath(name);
        noteForViewer(Cstring("The file ") + path + " could not be used (" + reason + "). It is kept as " +
                      aside + ", and Velmora goes on without it. To use it again, stop Velmora, mend it " +
                      "and rename it back to " + name + ".");
    } else {
        logLine(Cstring("damaged file ") + path + " (" + reason + ") could not be set aside; it is not read");
    }
    return moved;
}
