// Handlers of the built-in command table, grouped by the file that implements them.
// Each follows BuiltinCommand: 0 done, 1 not handled, 2 failed or an exit is pending.
#pragma once

#include "script/scripter.h"

// Value declarations and the commands that read settings text back
// (scripterValueCommands.cpp): "int", "string", "s", "short", "float", "dir", "array",
// "var", "set", "mkdir", "cd", "save", "nosave".
int commandDeclare(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandVar(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandSet(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandMkdir(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandCd(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandSave(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
int commandNosave(CscriptHandler* handler, CscriptLine& line, Cvariable** next);
