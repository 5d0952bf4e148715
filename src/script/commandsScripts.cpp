// Built-in commands that define, load and run scripts, and print to the trace.
#include <cstdio>

#include "script/scriptCommands.h"
#include "script/scriptOrigin.h"
#include "script/variableSearch.h"
#include "support/cerr.h"
#include "support/helperFunctions.h"

namespace {

void exitWith(char const* format, char const* a, char const* b = "", char const* c = "") {
    char text[1024];
    std::snprintf(text, sizeof text, format, a, b, c);
    setExitError(text, 1);
}

int ending() {
    return erroredExit ? 2 : 0;
}

} // namespace

int commandRunString(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cstring text = line.getString(0, true);
    if (erroredExit) return 2;
    return runStringScript(handler->thisObject, text.c_str());
}

int commandLoadScript(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cstring file = line.getFilename(0);
    Cstring option = line.getString(1, false);
    if (erroredExit) return 2;
    CscriptVar script;
    if (script.processDiskScript(file.c_str()) != 0 && !(option == "-n"))
        exitWith("loadscript error %s", file.c_str());
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
            return 2;
        }
    }
    if (erroredExit) return 2;

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
        exitWith("Couldn't find script %s", name.c_str());
        return 2;
    }
    if (runObject == nullptr) {
        exitWith("Couldn't find run object %s", objectName.c_str());
        line.showScriptLine();
        return 2;
    }
    return runScript(runObject, script);
}

int commandAddScript(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    if (line.firstChild == nullptr) return ending();
    Cvariable* self = handler->thisObject;
    Cstring path = line.getString(0, true);
    if (erroredExit) return 2;
    Cvariable* found = self->findVariable(path.c_str());
    if (found == nullptr) found = addVariableForcedPath(self, path.c_str(), new CscriptVar(), 0);
    // Lines can only be stored into a script; any other node of that name is a mistake.
    if (found == nullptr || found->getClass() != CLASS_SCRIPT) {
        setExitError("couldn't make scriptvar", 1);
        return 2;
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
    return ending();
}

int commandCerr(CscriptHandler*, CscriptLine& line, Cvariable**) {
    setVerbose(1, "cerr");
    if (!(errorChannels & 2)) return ending();
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
    return ending();
}

int commandAddGeo(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cstring refName = line.getString(0, true);
    Cstring file = line.getString(1, true);
    if (erroredExit) return 2;
    if (handler->thisObject->findVariable(refName.c_str()) == nullptr) {
        VTRACE(1, "couldn't create geoRef");
        setExitError(scriptName.c_str(), 1);
        return 2;
    }
    // No model requests exist yet: every model counts as not found.
    exitWith("Couldn't find geo %s in %s/%s", refName.c_str(), scriptDiskPath.c_str(), file.c_str());
    return 2;
}

int commandAddDataArray(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cstring refName = line.getString(0, true);
    Cstring file = line.getString(1, true);
    if (erroredExit) return 2;
    if (handler->thisObject->findVariable(refName.c_str()) == nullptr) {
        exitWith("couldn't find ref for %s", refName.c_str());
        return 2;
    }
    // No data-array requests exist yet: the array cannot be bound.
    exitWith("couldn't get array %s for %s", file.c_str(), refName.c_str());
    return 2;
}

int runNetworkScript(Cvariable* target, char const* text, int length) {
    if (target == nullptr || text == nullptr || length < 0) return 1;
    CnetworkScriptScope network;
    CscriptVar script;
    if (script.processStringScript(text, static_cast<size_t>(length)) != 0) return 1;
    return runScript(target, &script);
}
