// The built-in command table and the control commands of the runner itself.

#include "script/scriptCommands.h"
#include "script/scripterBuiltins.h"
#include "support/cerr.h"

namespace {

int commandIf(CscriptHandler* handler, CscriptLine& line, Cvariable** next) {
    if (line.tokenCount() == 0 || line.tokenTypes[0] != TOKEN_EXPRESSION) {
        setExitError("bad if - not an equation", 1);
        return CMD_STOP;
    }
    double value = 0;
    if (line.getFloat(0, value)) return CMD_STOP;
    if (line.firstChild && value != 0) {
        int result = runScript(handler->thisObject, line.firstChild);
        if (result) return result;
    }
    // A true condition skips the "elseif"/"else" lines after it; a false one hands the
    // first of them to the table at once.
    Cvariable* scan = line.nextSibling;
    while (scan && scan->getClass() == CLASS_SCRIPT_LINE &&
           (scan->name == "elseif" || scan->name == "else")) {
        if (value == 0) {
            Cvariable* after = scan->nextSibling;
            int result = processCommandMain(handler, *static_cast<CscriptLine*>(scan), &after);
            if (result > 0) return result;
            scan = after;
        } else {
            scan = scan->nextSibling;
        }
    }
    *next = scan;
    return CMD_DONE;
}

int commandElse(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    return line.firstChild ? runScript(handler->thisObject, line.firstChild) : int(CMD_DONE);
}

int commandLabel(CscriptHandler* handler, CscriptLine& line, Cvariable**) {
    Cstring label = line.getString(0, true);
    if (handler->thisObject) handler->thisObject->setName(label);
    return CMD_DONE;
}

int commandName(CscriptHandler*, CscriptLine& line, Cvariable**) {
    if (line.tokenCount() > 0 && scriptName != line.tokens[0]) {
        Cstring reason =
            Cstring("not the correct script! scriptName=") + scriptName + " but should be " + line.tokens[0];
        setExitError(reason.c_str(), 1);
        return CMD_STOP;
    }
    return CMD_DONE;
}

struct BuiltinEntry {
    char const* keyword;
    BuiltinCommand handler;
};

// The lookup order: the first keyword equal to the command word handles the line. A
// keyword without a handler passes the line on to the target.
BuiltinEntry builtinTable[] = {
    {"if", commandIf},
    {"elseif", commandIf},
    {"else", commandElse},
    {"label", commandLabel},
    {"exit0", commandExit0},
    {"msgbox", commandMsgbox},
    {"startHttpRequest", commandStartHttpRequest},
    {"httpRequestAndRun", commandHttpRequestAndRun},
    {"download", commandDownload},
    {"saveVar", commandSaveVar},
    {"delete", commandDelete},
    {"runString", commandRunString},
    {"loadScript", commandLoadScript},
    {"runScript", commandRunScript},
    {"set", commandSet},
    {"setmask", commandSetmask},
    {"setPriority", commandSetPriority},
    {"sendReport", commandSendReport},
    {"exit", commandExit},
    {"exiterr", commandExitErr},
    {"srand", commandSrand},
    {"webpage", commandWebpage},
    {"progress", commandProgress},
    {"mfile", commandMfile},
    {"storeReg", commandStoreReg},
    {"mdir", commandMdir},
    {"renameFile", commandRenameFile},
    {"deleteFile", commandDeleteFile},
    {"system", commandSystem},
    {"var", commandVar},
    {"forEachChild", commandForEachChild},
    {"setParent", commandSetParent},
    {"addPath", commandAddPath},
    {"setPath", commandSetPath},
    {"mkdir", commandMkdir},
    {"nosave", commandNosave},
    {"save", commandSave},
    {"int", commandDeclare},
    {"string", commandDeclare},
    {"s", commandDeclare},
    {"short", commandDeclare},
    {"float", commandDeclare},
    {"dir", commandDeclare},
    {"array", commandDeclare},
    {"rotater", commandRotater},
    {"rotate", commandRotate},
    {"cd", commandCd},
    {"setExitErr", commandExitErr},
    {"name", commandName},
    {"addGeo", commandAddGeo},
    {"addChan", commandAddDataArray},
    {"addImage", commandAddDataArray},
    {"addVolume", commandAddDataArray},
    {"cerr", commandCerr},
    {"CERR", commandCerr},
    {"addScript", commandAddScript},
    {"script", commandAddScript},
    {"appendScript", commandAddScript},
};

BuiltinEntry* findEntry(Cstring const& keyword) {
    for (BuiltinEntry& entry : builtinTable) {
        if (keyword == entry.keyword) return &entry;
    }
    return nullptr;
}

} // namespace

int processCommandMain(CscriptHandler* handler, CscriptLine& line, Cvariable** next) {
    *next = line.nextSibling;
    if (erroredExit) return CMD_STOP;
    if (line.name == "ssh") {
        setVerbose(0, "ssh");
        return CMD_DONE;
    }
    if (line.name.empty()) return CMD_DONE;
    BuiltinEntry const* entry = findEntry(line.name);
    if (entry == nullptr || entry->handler == nullptr) return CMD_NOT_HANDLED;
    int result = entry->handler(handler, line, next);
    return (result == CMD_DONE && erroredExit) ? int(CMD_STOP) : result;
}

int setBuiltinCommand(char const* keyword, BuiltinCommand handler) {
    if (keyword == nullptr) return 1;
    BuiltinEntry* entry = findEntry(Cstring(keyword));
    if (entry == nullptr) return 1;
    entry->handler = handler;
    return 0;
}

BuiltinCommand getBuiltinCommand(char const* keyword) {
    BuiltinEntry* entry = keyword ? findEntry(Cstring(keyword)) : nullptr;
    return entry ? entry->handler : nullptr;
}
