// Built-in commands that reach outside the tree: messages, web requests, the browser,
// the progress pane, random seeds, report requests and the ways the saver ends.
#include <cmath>

#include "host/hostServices.h"
#include "host/internetRequest.h"
#include "host/osFunctions.h"
#include "support/osRand.h"
#include "script/scriptCommands.h"
#include "script/scriptOrigin.h"
#include "support/engineHooks.h"
#include "support/cerr.h"
#include "support/resourceCopy.h"
#include "variables/configDialogVars.h"
#include "variables/variableConvert.h"

int16_t* scriptFailedValue = nullptr;
uint8_t* webRequestPending = nullptr;
Cstring inetSite;
int16_t g_passwordProtected = 0;

namespace {

// The request arguments shared by "startHttpRequest" and "httpRequestAndRun".
struct RequestArgs {
    Cstring path;
    bool report = true;
    bool hasExtra = false;
    Cstring extra;
    char const* extraText() const { return hasExtra ? extra.c_str() : nullptr; }
};

RequestArgs readRequest(CscriptLine& line) {
    RequestArgs args;
    args.path = line.getString(0, true);
    if (line.tokenCount() >= 2) args.report = varconv::truncToInt(line.getFloat(1)) != 0;
    if (line.tokenCount() >= 3) {
        args.hasExtra = true;
        args.extra = line.getString(2, true);
    }
    return args;
}

} // namespace

int commandExit0(CscriptHandler*, CscriptLine& line, Cvariable**) {
    Cstring message = line.tokenCount() == 1 ? line.getString(0, true) : Cstring("ex0");
    if (char const* refused = processEndRefusal()) {
        // Downloaded text, and data the program keeps, never end the process.
        refuseProcessEnd("exit0", refused);
        return CMD_STOP;
    }
    // While the data folder is still this run's: a changed file of the copy goes first.
    renewRunningScriptFile(true);
    processEndsAtOnce = true;
    if (engineHooks.freeGlobals) engineHooks.freeGlobals();
    exit0(message.c_str());
}

int commandMsgbox(CscriptHandler*, CscriptLine& line, Cvariable**) {
    Cstring text = line.getString(0, true);
    if (erroredExit) return CMD_STOP;
    OS::ShowMessage(text.c_str(), "", 1);
    return CMD_DONE;
}

int commandStartHttpRequest(CscriptHandler*, CscriptLine& line, Cvariable**) {
    setScriptFailed(0);
    RequestArgs args = readRequest(line);
    if (erroredExit) return CMD_STOP;
    if (webRequestPending) *webRequestPending = 1;
    int result = startHTTPrequestThread(args.path, args.report, 2, args.extraText());
    // A request that never started (or failed at once) will never complete: nothing is pending.
    if ((result != 0 || !isMakingRequest) && webRequestPending) *webRequestPending = 0;
    setScriptFailed(result);
    return CMD_DONE;
}

int commandHttpRequestAndRun(CscriptHandler*, CscriptLine& line, Cvariable**) {
    setScriptFailed(0);
    RequestArgs args = readRequest(line);
    if (erroredExit) return CMD_STOP;
    setScriptFailed(MakeHTTPrequestAndRunScript(args.path, args.report, 2, args.extraText()));
    return CMD_DONE;
}

int commandDownload(CscriptHandler*, CscriptLine& line, Cvariable**) {
    Cstring url = line.getFilename(0);
    Cstring file = line.getFilename(1);
    if (erroredExit) return CMD_STOP;
    // The update package's own name is stored in the data folder's resources by the host.
    if (!(file == "VL_update.vli") && !scriptMayTouchFile(file.c_str())) {
        setScriptFailed(1);
        return CMD_DONE;
    }
    OS::startFileDownload(url.c_str(), file.c_str(), true);
    return commandEnding();
}

int commandSetPriority(CscriptHandler*, CscriptLine&, Cvariable**) {
    OS::SetPriority(runPriority);
    return commandEnding();
}

int commandSendReport(CscriptHandler*, CscriptLine& line, Cvariable**) {
    mendwellArgument = line.getString(0, true);
    setExit(mendwellArgument.c_str());
    sendErrorReport = 1;
    return commandEnding();
}

int commandExit(CscriptHandler*, CscriptLine& line, Cvariable**) {
    Cstring reason = line.getString(0, true);
    setExit(reason.c_str());
    return commandEnding();
}

int commandExitErr(CscriptHandler*, CscriptLine& line, Cvariable**) {
    Cstring reason = line.getString(0, true);
    setExitError(reason.c_str(), 1);
    return commandEnding();
}

int commandSrand(CscriptHandler*, CscriptLine& line, Cvariable**) {
    // Any number becomes a seed: negative ones wrap, NaN gives 0.
    int64_t whole = varconv::truncToInt64(line.getFloat(0));
    OS::_srand(static_cast<unsigned>(static_cast<uint64_t>(whole)));
    return commandEnding();
}

int commandWebpage(CscriptHandler*, CscriptLine& line, Cvariable**) {
    if (g_passwordProtected && engineHooks.showPasswordPane && engineHooks.showPasswordPane())
        return commandEnding();
    Cstring address = line.getString(0, true);
    if (erroredExit) return CMD_STOP;
    if (!webPageAddress(address.c_str())) {
        // The opener would also start local files and programs.
        VTRACE(1, "webpage refused, not a web page: " << address);
        setScriptFailed(1);
        return CMD_DONE;
    }
    inetSite = address;
    if (line.tokenCount() >= 2 && line.getString(1, true) == "instant") {
        OS::showInternetPage(inetSite.c_str());
        inetSite = "";
        return CMD_DONE;
    }
    // The host opens the page as the saver closes.
    setExit("to the internet");
    return commandEnding();
}

int commandProgress(CscriptHandler*, CscriptLine& line, Cvariable**) {
    Cstring text = line.getString(0, true);
    if (erroredExit) return CMD_STOP;
    if (text == "close") {
        OS::closeProgress();
    } else {
        OS::openProgress(text.c_str());
        OS::setProgressPercent(100);
    }
    return CMD_DONE;
}

int commandStoreReg(CscriptHandler*, CscriptLine&, Cvariable**) {
    OS::storeRegistryStuff();
    return commandEnding();
}

int commandSystem(CscriptHandler*, CscriptLine& line, Cvariable**) {
    Cstring command = line.getString(0, true);
    if (erroredExit) return CMD_STOP;
    if (masterOut.is_open()) masterOut << "cmdA=" << command << std::endl;
    // A shell command could write anywhere, and any script may have come from the network
    // through the data folder: none is run.
    VTRACE(1, "system refused: " << command);
    if (masterOut.is_open()) masterOut << "system refused" << std::endl;
    setScriptFailed(1);
    return CMD_DONE;
}
