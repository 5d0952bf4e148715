// Built-in commands that write, make, rename and delete files and folders. Outcomes
// go to "failed" for the script to test; they are never exit reasons.
#include "host/hostServices.h"
#include "script/scriptCommands.h"
#include "script/scriptOrigin.h"
#include "support/cerr.h"

namespace {

// Names of fewer than 4 characters are taken for mistakes and left alone.
bool longEnough(Cstring const& name) {
    return name.size() >= 4;
}

} // namespace

int commandMfile(CscriptHandler*, CscriptLine& line, Cvariable**) {
    if (line.tokenCount() < 2) {
        line.getString(1, true); // records the missing token
        return CMD_STOP;
    }
    Cstring file = line.getFilename(0);
    if (erroredExit) return CMD_STOP;
    if (!scriptMayTouchFile(file.c_str())) {
        setScriptFailed(1);
        return CMD_DONE;
    }
    // The data token is used exactly as parsed: a binary block keeps its NULs.
    Cstring const& bytes = line.tokens[1];
    setScriptFailed(hostServices().writeFile(file.c_str(), bytes.c_str(), bytes.size()));
    return CMD_DONE;
}

int commandMdir(CscriptHandler*, CscriptLine& line, Cvariable**) {
    Cstring folder = line.getFilename(0);
    if (erroredExit) return CMD_STOP;
    if (!scriptMayTouchFile(folder.c_str())) {
        setScriptFailed(1);
        return CMD_DONE;
    }
    setScriptFailed(hostServices().makeFolders(folder.c_str()));
    return CMD_DONE;
}

int commandRenameFile(CscriptHandler*, CscriptLine& line, Cvariable**) {
    Cstring from = line.getFilename(0);
    Cstring to = line.getFilename(1);
    if (erroredExit) return CMD_STOP;
    if (masterOut.is_open()) masterOut << "renameFile " << from << " -> " << to << std::endl;
    if (!longEnough(from) || !longEnough(to)) return CMD_DONE;
    if (!scriptMayTouchFile(from.c_str()) || !scriptMayTouchFile(to.c_str())) {
        setScriptFailed(1);
        return CMD_DONE;
    }
    setScriptFailed(hostServices().renameFile(from.c_str(), to.c_str()));
    return CMD_DONE;
}

int commandDeleteFile(CscriptHandler*, CscriptLine& line, Cvariable**) {
    Cstring file = line.getFilename(0);
    if (erroredExit) return CMD_STOP;
    if (masterOut.is_open()) masterOut << "deleteFile " << file << std::endl;
    if (!longEnough(file)) return CMD_DONE;
    if (!scriptMayTouchFile(file.c_str())) {
        setScriptFailed(1);
        return CMD_DONE;
    }
    setScriptFailed(hostServices().deleteFile(file.c_str()));
    return CMD_DONE;
}
