// Built-in commands that define, load and run scripts, and print to the trace.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "data/aquaResource.h"
#include "data/dataArrayManager.h"
#include "script/keptScriptFile.h"
#include "script/scriptCommands.h"
#include "script/scriptOrigin.h"
#include "script/variableSearch.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/fileIO.h"
#include "support/helperFunctions.h"
#include "variables/variablePaths.h"

void commandExitWith(char const* format, char const* a, char const* b, char const* c) {
    char text[1024];
    std::snprintf(text, sizeof text, format, a, b, c);
    setExitError(text, 1);
}

int commandRunString(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cstring text = line.getString(0, true);
    if (erroredExit) return CMD_STOP;
    return runStringScript(handler->thisObject, text.c_str());
}

int commandLoadScript(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cstring file = line.getFilename(0);
    Cstring option = line.getString(1, false);
    if (erroredExit) return CMD_STOP;
    // A script file of the data folder (the tenth frame's "msg.txt") may have been written
    // by the network: it runs as a network script, and one that does not parse or fails is
    // set aside as damaged settings are, so that it cannot end every later start. (The
    // resource copy has its own road: it is asked back from the install folder.)
    if (pathInsideDataFolder(file.c_str()) && !pathInResourceCopy(file.c_str()) && fileExists(file.c_str())) {
        CnetworkScriptScope network;
        runKeptScriptFile(handler->thisObject, file.c_str(), nullptr);
        return CMD_DONE;
    }
    CscriptVar script;
    if (script.processDiskScript(file.c_str()) != 0 && !(option == "-n"))
        commandExitWith("loadscript error %s", file.c_str());
    // A script that did not load has no lines, so nothing runs.
    return runScript(handler->thisObject, &script);
}

int commandRunScript(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cvariable* self = handler->thisObject;
    setVerbose(1, "rs");
    int count = line.tokenCount();
    Cvariable* runObject = self;
    Cstring objectName;
    Cstring name;
    if (count == 2) {
        objectName = line.getString(0, true);
        name = line.getString(1, true);
        runObject = searchUpParentsForVariable(self, objectName.c_str());
    } else {
        name = line.getString(0, true);
        if (line.firstChild && !(name.size() > 0 && name.c_str()[0] == '!')) {
            // A block here means the line was miswritten; stop the script, not the process.
            scriptError = 1;
            setExitError("scerr", 1);
            return CMD_STOP;
        }
    }
    if (erroredExit) return CMD_STOP;

    CscriptVar inlineScript;
    Cvariable* script = nullptr;
    if (name.size() > 0 && name.c_str()[0] == '!') {
        // Whatever parsed runs; a parse error has already been reported by the parser.
        inlineScript.processStringScript(name.c_str() + 1);
        script = &inlineScript;
    } else {
        script = searchUpParentsForVariable(self, name.c_str());
    }
    if (script == nullptr) {
        commandExitWith("Couldn't find script %s", name.c_str());
        return CMD_STOP;
    }
    if (runObject == nullptr) {
        commandExitWith("Couldn't find run object %s", objectName.c_str());
        line.showScriptLine();
        return CMD_STOP;
    }
    return runScript(runObject, script);
}

int commandAddScript(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    if (line.firstChild == nullptr) return commandEnding();
    Cvariable* self = handler->thisObject;
    Cstring path = line.getString(0, true);
    if (erroredExit) return CMD_STOP;
    Cvariable* found = self->findVariable(path.c_str());
    if (found == nullptr) found = addVariableForcedPath(self, path.c_str(), new CscriptVar(), 0);
    // Lines can only be stored into a script; any other node of that name is a mistake.
    if (found == nullptr || found->getClass() != CLASS_SCRIPT) {
        setExitError("couldn't make scriptvar", 1);
        return CMD_STOP;
    }
    auto* s = static_cast<CscriptVar*>(found);
    s->diskPath = self->getDiskPath();
    VTRACE(2, "adding script: " << path);
    if (originalScript == 0) {
        s->copyScriptChildren(&line);
    } else {
        // A script read from a file gives its lines away; "appendScript" keeps the old ones.
        if (!(line.name == "appendScript")) s->deleteChildren();
        line.moveChildListToNewParent(s);
    }
    return commandEnding();
}

int commandCerr(CscriptHandler*, CscriptLine& line, Cvariable**) {
    setVerbose(1, "cerr");
    if (!(errorChannels & 2)) return commandEnding();
    std::ostream& out = traceStream();
    out << "CERR ";
    for (int i = 0; i < line.tokenCount(); i++) {
        out << ">";
        if (line.tokenTypes[i] == TOKEN_EXPRESSION)
            out << line.getFloat(i);
        else
            out << line.getString(i, true);
        out << "<";
    }
    out << std::endl;
    return commandEnding();
}

int commandAddGeo(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cstring refName = line.getString(0, true);
    Cstring file = line.getString(1, true);
    if (erroredExit) return CMD_STOP;
    Cvariable* found = handler->thisObject->findVariable(refName.c_str());
    if (found == nullptr) {
        VTRACE(1, "couldn't create geoRef");
        setExitError(scriptName.c_str(), 1);
        return CMD_STOP;
    }
    CmanagedResourceVar* model = requestGeo2(file.c_str(), scriptDiskPath.c_str());
    if (model == nullptr) {
        commandExitWith("Couldn't find geo %s in %s/%s", refName.c_str(), scriptDiskPath.c_str(),
                        file.c_str());
        return CMD_STOP;
    }
    auto* ref = dynamic_cast<CresourceReference*>(found);
    if (ref == nullptr || ref->target == nullptr) {
        // Only a registered model field can hold the share just taken.
        unrequestResource(model);
        VTRACE(1, "couldn't create geoRef");
        setExitError(scriptName.c_str(), 1);
        return CMD_STOP;
    }
    VTRACE(2, "geo file = " << file);
    // The field keeps one share: the one it already had of this model, else the new one.
    CmanagedResourceVar* old = *ref->target;
    *ref->target = model;
    if (old == model)
        unrequestResource(model);
    else if (old)
        unrequestResource(old);
    ref->fileName = file;
    return commandEnding();
}

int commandAddDataArray(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cstring refName = line.getString(0, true);
    Cstring file = line.getString(1, true);
    if (erroredExit) return CMD_STOP;
    Cvariable* found = handler->thisObject->findVariable(refName.c_str());
    CdataArrayReference* ref = found
                                   ? dynamic_cast<CdataArrayReference*>(found)
                                   : registerDataArrayPointer(handler->thisObject, nullptr, refName.c_str());
    if (ref == nullptr) {
        commandExitWith("couldn't find ref for %s", refName.c_str());
        return CMD_STOP;
    }
    // A failure is already reported by the reference.
    if (ref->requestArray(file.c_str(), scriptDiskPath.c_str()) != 0) return CMD_STOP;
    return commandEnding();
}

namespace {

// The exit bookkeeping and script error before a network run, put back when it fails.
struct CexitState {
    std::vector<Cstring> reasons = exitReasonList;
    Cstring message = exitMsg;
    int16_t errored = erroredExit;
    int16_t exiting = exitSaver;
    int8_t runOrQuit = startRunOrQuit;
    uint8_t report = sendErrorReport;
    Cstring mendwell = mendwellArgument;
    int16_t scriptErrorBefore = scriptError;

    void restore() const {
        exitReasonList = reasons;
        exitMsg = message;
        erroredExit = errored;
        exitSaver = exiting;
        startRunOrQuit = runOrQuit;
        sendErrorReport = report;
        mendwellArgument = mendwell;
        scriptError = scriptErrorBefore;
    }
};

} // namespace

int runNetworkScript(Cvariable* target, char const* text, int length, Cstring* errorText) {
    if (errorText) *errorText = "";
    if (target == nullptr || text == nullptr || length < 0) return CMD_NOT_HANDLED;
    CexitState before;
    // A failing run must not switch the run phase to "closing": the phase moves only
    // once the run is known to have asked for an exit.
    auto enterPhase = engineHooks.enterRunPhase;
    engineHooks.enterRunPhase = nullptr;
    scriptError = 0;
    int result = CMD_NOT_HANDLED;
    bool failed = false;
    {
        // A failed run's exits never reach the holds around it: the script that asked for
        // it (a "msg.txt") did not fail.
        CexitHold hold;
        {
            CnetworkScriptScope network;
            CscriptVar script;
            if (script.processStringScript(text, static_cast<size_t>(length)) == 0)
                result = runScript(target, &script);
        }
        failed = result != CMD_DONE || scriptError;
        // What the script added to the exit message (after the separator) tells why it failed.
        std::string added(exitMsg.c_str());
        added.erase(0, std::min(added.size(), size_t(before.message.size())));
        added.erase(0, added.find_first_not_of("; "));
        if (failed && errorText) *errorText = added.c_str();
        if (failed) hold.forget();
    }
    engineHooks.enterRunPhase = enterPhase;
    if (failed) {
        before.restore();
        return result != CMD_DONE ? result : int(CMD_STOP);
    }
    scriptError = before.scriptErrorBefore;
    if (exitSaver && !before.exiting && enterPhase) enterPhase("closing", true);
    return CMD_DONE;
}
