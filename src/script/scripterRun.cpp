// Running scripts: line lists against a target, dispatch by node kind, text and files.
#include <cstring>

#include "script/mathSolver.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fileIO.h"
#include "support/resourceCopy.h"

int16_t scriptError = 0;
Cstring scriptName;
Cstring scriptDiskPath;
Cstring currentScriptName;
int originalScript = 0;
int scriptRunDepth = 0;

int runScriptLines(Cvariable* target, Cvariable* firstLine) {
    if (target == nullptr) {
        VTRACE(1, "script run without a target");
        return CMD_DONE;
    }
    if (scriptRunDepth >= kMaxScriptRunDepth) {
        // A script that runs itself would otherwise recurse until the stack overflows.
        scriptError = 1;
        setExitError("scripts nested too deeply", 1);
        return CMD_STOP;
    }
    scriptRunDepth++;
    CscriptHandler handler;
    handler.thisObject = target;
    Cvariable* savedSearchPath = mathSolver.searchVariablePath;
    mathSolver.setSearchVariablePath(target);

    int result = CMD_DONE;
    CscriptLine* lastLine = nullptr;
    int outerSource = runningScriptSource;
    Cvariable* current = mathSolver.errorReported ? nullptr : firstLine;
    while (current) {
        Cvariable* next = current->nextSibling;
        if (current->getClass() == CLASS_SCRIPT_LINE) {
            CscriptLine* line = static_cast<CscriptLine*>(current);
            lastLine = line;
            forgetFileNotHad(); // an error of this line is not told of a file an earlier one lacked
            // What the line ends is laid at its file's door (a line of a text, at its runner's).
            if (line->sourceIndex >= 0 && line->sourceIndex != runningScriptSource) {
                runningScriptSource = line->sourceIndex;
                scriptSourceRuns(runningScriptSource);
            }
            result = processCommandMain(&handler, *line, &next);
            if (erroredExit) {
                result = CMD_STOP;
            } else if (result == CMD_NOT_HANDLED) {
                Cvariable* before = mathSolver.searchVariablePath;
                result = static_cast<int>(target->processCommand(&handler, *line));
                mathSolver.setSearchVariablePath(before);
            }
        } else {
            result = runScript(target, current);
        }
        if (result != CMD_DONE || next == nullptr || mathSolver.errorReported) break;
        current = next;
    }

    if (mathSolver.errorReported) {
        scriptError = 1;
        Cstring reason = Cstring("math evaluation error: ") + mathSolver.errorText;
        setExitError(reason.c_str(), 1);
    }
    if (result == CMD_NOT_HANDLED) {
        scriptError = 1;
        Cstring reason = Cstring("Couldn't find command ") + (lastLine ? lastLine->name : Cstring()) +
                         " in script " + scriptName;
        setExitError(reason.c_str(), 1);
    }
    mathSolver.setSearchVariablePath(savedSearchPath);
    mathSolver.clearError();
    runningScriptSource = outerSource;
    scriptRunDepth--;
    return result;
}

int runScript(Cvariable* target, Cvariable* script) {
    originalScript = 0;
    if (script == nullptr) return CMD_DONE;
    switch (script->getClass()) {
    case CLASS_DIRECTORY:
        return script->firstChild ? runScriptLines(target, script->firstChild) : int(CMD_DONE);
    case CLASS_SCRIPT:
        return runScript_(target, static_cast<CscriptVar*>(script));
    case CLASS_SCRIPT_LINE:
        return runScriptLines(target, script);
    default:
        setExitError("can't run script from this object", 1);
        return CMD_DONE;
    }
}

int runScript(Cvariable* target, char const* path, bool* found) {
    Cvariable* script = (target && path) ? target->findVariable(path) : nullptr;
    if (found) *found = script != nullptr;
    return script ? runScript(target, script) : int(CMD_DONE);
}

int runScript_(Cvariable* target, CscriptVar* script) {
    if (target == nullptr || script == nullptr) return CMD_DONE;
    int savedOriginal = originalScript;
    originalScript = script->fromDisk;
    if (target->getDiskPath().empty()) target->setDiskPath(script->diskPath);

    // The registry shows which file runs; messages name it through scriptName.
    Cvariable* shown = globalVariablesDir ? globalVariablesDir->getChild("currentScriptName", 0) : nullptr;
    Cstring kept = shown ? Cstring(shown->getString()) : scriptName;
    if (!script->diskPath.empty()) {
        if (shown) shown->setString(script->name.c_str());
        scriptName = script->name;
        scriptDiskPath = script->diskPath;
    }
    int result = runScriptLines(target, script->firstChild);
    if (shown) shown->setString(kept.c_str());
    scriptName = kept;
    originalScript = savedOriginal;
    return result;
}

int runStringScript(Cvariable* target, char const* text) {
    if (text == nullptr) return CMD_DONE;
    if (std::strncmp(text, ":ssh", 4) == 0) setVerbose(0, "ssh");
    if (std::strlen(text) < 5) return CMD_DONE;
    CscriptVar script;
    script.processStringScript(text);
    if (scriptError) return CMD_NOT_HANDLED;
    return runScript(target, &script);
}

int runDiskScript(Cvariable* target, char const* path) {
    CscriptVar script;
    int loaded = script.processDiskScript(path);
    masterOut << "pds returned " << loaded << std::endl;
    int result = runScript(target, &script);
    masterOut << "runscript ret=" << result << std::endl;
    return result;
}

bool runResourceScriptFile(Cvariable* target, char const* path) {
    auto once = [&] {
        CscriptVar script;
        return script.processDiskScript(path) == 0 && !scriptFailed(runScript(target, &script));
    };
    // A script already failing fails any parse: nothing to judge the file by.
    if (scriptError) return once();
    bool there = pathInResourceCopy(path) && fileExists(path);
    CexitHold hold;
    bool ran = loadRenewingCopy([&] {
        scriptError = 0; // each attempt starts as the first did
        return once();
    });
    // One the install folder does not hold goes, as it does when the copy is made again.
    if (!ran && (dropFileNotInstalled(path) || (there && !fileExists(path)))) {
        hold.forget();
        scriptError = 0;
    }
    return ran;
}
