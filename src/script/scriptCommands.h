// Built-in script commands that reach beyond the value declarations: tree and script
// commands, system, file, web and exit commands, and the rotater commands. Each follows
// BuiltinCommand and answers a commandResult.
#pragma once

#include <cstdint>

#include "script/scripter.h"
#include "support/cerr.h"

// ---- shop keeper state the commands write (the shop keeper points these at its own) ----
// The value scripts read as "failed": the outcome of the last request or file operation.
// Null while there is no shop keeper: outcomes are then not kept.
extern int16_t* scriptFailedValue;
// Set while a web request started by a script is pending; null without a shop keeper.
extern uint8_t* webRequestPending;
// The page to open as the saver closes ("inetSite").
extern Cstring inetSite;
// Nonzero: "webpage" shows the password pane instead of the page.
extern int16_t g_passwordProtected;

// ---- helpers shared by the command files ----
// The usual end of a command: CMD_STOP once an exit reason is pending, else CMD_DONE.
inline int commandEnding() {
    return erroredExit ? CMD_STOP : CMD_DONE;
}
// Records format, filled with up to three texts, as an exit reason.
void commandExitWith(char const* format, char const* a, char const* b = "", char const* c = "");
// Stores the outcome scripts read as "failed"; kept nowhere without a shop keeper.
inline void setScriptFailed(int value) {
    if (scriptFailedValue) *scriptFailedValue = static_cast<int16_t>(value);
}

// ---- tree commands (commandsVariables.cpp) ----
int commandDelete(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandSaveVar(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandSetmask(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandSetParent(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandAddPath(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandSetPath(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandForEachChild(CscriptHandler* handler, CscriptLine& line, Cvariable** next);

// ---- script commands (commandsScripts.cpp) ----
int commandRunString(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandLoadScript(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandRunScript(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
// "addScript", "script" and "appendScript".
int commandAddScript(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandCerr(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
// "addGeo" binds a shared model to a registered model field (requestGeo2); "addChan",
// "addImage" and "addVolume" bind a shared data array to a data-array reference, made
// when missing (requestArray). Both look in the running script's folder.
int commandAddGeo(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandAddDataArray(CscriptHandler* handler, CscriptLine& line, Cvariable** next);

// ---- system, file, web and exit commands (commandsSystem.cpp, commandsFiles.cpp) ----
int commandExit0(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandMsgbox(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandStartHttpRequest(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandHttpRequestAndRun(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandDownload(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandSetPriority(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandSendReport(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandExit(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
// "exiterr" and "setExitErr".
int commandExitErr(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandSrand(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandWebpage(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandProgress(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandMfile(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandStoreReg(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandMdir(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandRenameFile(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandDeleteFile(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandSystem(CscriptHandler* handler, CscriptLine& line, Cvariable** next);

// ---- rotaters (commandsRotater.cpp) ----
int commandRotater(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandRotate(CscriptHandler* handler, CscriptLine& line, Cvariable** next);

// Runs text parsed as a script on target as a network-origin script: file commands are
// confined to the data folder, shell commands and "exit0" refused, web pages limited to
// http and https addresses, for the whole run. A run that fails (does not parse, stops or
// leaves a script error) leaves nothing behind: the exit bookkeeping and the script error
// are as they were before it, and errorText (when given) receives the exit message the
// run produced. CMD_DONE when it ran through.
int runNetworkScript(Cvariable* target, char const* text, int length, Cstring* errorText = nullptr);

// deleteVariable, except that a node holding the run's target or the running line goes
// to the trash instead of being destroyed under the running script.
void deleteVariableInUse(Cvariable* node, Cvariable* target, Cvariable* line);
