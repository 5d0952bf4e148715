#include "world/internet.h"

#include <cstdlib>
#include <cstring>

#include "host/hostServices.h"
#include "host/httpConnection.h"
#include "host/internetRequest.h"
#include "host/osFunctions.h"
#include "script/scriptCommands.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/globals.h"
#include "support/helperFunctions.h"
#include "world/initGlobals.h"
#include "world/shopKeeper.h"
#include "world/updateMaster.h"
#include "world/velmoraFunctions.h"

uint8_t isErrored = 0;

namespace {

// Blocking requests in progress: a reply script that requests itself stops here.
int nestedRequests = 0;
// Why the last reply script failed (its exit message), shown for failure 6.
Cstring replyScriptMessage;

// A failure report carries at most this much of the reply.
constexpr int kReportedReplyBytes = 2000;

Cvariable* replyTarget() {
    if (shopKeeperDirectory) return shopKeeperDirectory;
    return globalVariablesDir;
}

void setVerbalise(bool verbalise) {
    httpErrorVerbalize = verbalise ? 3 : 0;
}

} // namespace

Cstring webServerAddress() {
    char const* own = std::getenv("VELMORA_SERVER_URL");
    Cstring base = own ? Cstring(own) : webServerBase;
    if (base.size() && base.c_str()[base.size() - 1] != '/') base += '/';
    return base;
}

int webMakeHTTPrequestAndRunScript(Cstring const& path, bool verbalise, int type, char const*) {
    setVerbalise(verbalise);
    // A blocking request shows its failures when it asks to, like a polled one.
    internetConnect.reportFailures = verbalise;
    Cstring url;
    fillStringWithRequestBasics(url, path.c_str(), type);
    if (nestedRequests >= kMaxNestedRequests) {
        VTRACE(1, "requests nested too deeply: " << url);
        return 1;
    }
    nestedRequests++;
    replyScriptMessage = ""; // an earlier reply's reason is no reason of this one
    int result = makeRequestAndRunReturningScript(url.c_str());
    nestedRequests--;
    return result;
}

int webStartHTTPrequestThread(Cstring const& path, bool verbalise, int type, char const*) {
    setVerbalise(verbalise);
    Cstring url;
    fillStringWithRequestBasics(url, path.c_str(), type);
    internetConnect.reportFailures = verbalise;
    replyScriptMessage = "";
    if (internetConnect.initiateRequest(url.c_str(), false) != 0) processAnyHttpFailures();
    return 0;
}

int checkInOnAnyInternetRequest() {
    advanceWebTransfers();
    if (!internetConnect.didRequestJustFinish()) return 0;
    return processRequestReturnData();
}

int processRequestReturnData() {
    if (processAnyHttpFailures() == 1) return 1;
    int result = runInternetConnectDownloadedScript(internetConnect.resultData);
    // A reply that was no script or whose script failed is reported as well.
    if (result != 0 && internetConnect.failureType != HTTP_FAIL_NONE) processAnyHttpFailures();
    return result;
}

int makeRequestAndRunReturningScript(char const* url) {
    if (internetConnect.initiateRequest(url, true) != 0) {
        processAnyHttpFailures();
        return 1;
    }
    return processRequestReturnData();
}

int processAnyHttpFailures() {
    CshopKeeper* shop = shopKeeper;
    if (shop && shop->controlPanel) {
        if (shop->controlPanel->findExistingPane("busypane")) shop->controlPanel->closePane("busypane");
        // Run so that a failure leaves nothing pending: reporting a failure never stops the saver.
        char const* busyOff = ":pane busy off";
        runNetworkScript(shop, busyOff, static_cast<int>(std::strlen(busyOff)));
    }
    CmyHttpConnection& record = internetConnect;
    if (!record.reportFailures || (record.failureType == HTTP_FAIL_NONE && !erroredExit) || isErrored) {
        record.closeConnection();
        return 0;
    }
    if (masterOut.is_open()) masterOut << "there was an error" << std::endl;
    isErrored = 1;
    OS::closeProgress();
    switch (record.failureType) {
    case HTTP_FAIL_CANCELLED:
        httpErrorMessage("Cancelled");
        break;
    case HTTP_FAIL_CONNECTION:
        httpErrorMessage("Connection Error");
        break;
    case HTTP_FAIL_UNREACHABLE:
        httpErrorMessage(
            "Sorry, we encountered an error when contacting Velmora. It could be that our server is "
            "unavailable or a firewall may be blocking access.");
        break;
    case HTTP_FAIL_SCRIPT:
        if (!replyScriptMessage.empty()) {
            httpErrorMessage(replyScriptMessage.c_str());
            replyScriptMessage = "";
        } else if (!exitMsg.empty()) {
            httpErrorMessage(exitMsg.c_str());
            exitMsg = "";
        }
        break;
    case HTTP_FAIL_FIREWALL:
        if (shop) shop->windowsToBack();
        OS::ShowMessage(
            "Communication failed. If you have firewall software asking for permission, choose to Allow "
            "communication BEFORE clicking the OK button below.",
            "Velmora", 0);
        if (shop) shop->windowsToFront();
        record.closeConnection();
        break;
    case HTTP_FAIL_NOT_A_SCRIPT:
    case HTTP_FAIL_COMMUNICATION:
        httpErrorMessage("Communication error.");
        break;
    default:
        break;
    }
    isErrored = 0;
    erroredExit = 0;
    record.failureType = HTTP_FAIL_NONE;
    if (!record.errorText.empty()) ShowMessage(record.errorText.c_str(), "", 1);
    record.closeConnection();
    return 1;
}

int findReplyScript(char const* data, int size) {
    int limit = size < 200 ? size : 200;
    for (int at = 0; at < limit && at + 5 <= size; at++)
        if (std::memcmp(data + at, "SCRIP", 5) == 0) return at;
    return 0;
}

int runInternetConnectDownloadedScript(Cstring& data) {
    int size = data.size();
    if (size < 7) return 1;
    int start = findReplyScript(data.c_str(), size);
    if (start + 6 > size || std::memcmp(data.c_str() + start, "SCRIPT", 6) != 0) {
        internetConnect.failureType = HTTP_FAIL_NOT_A_SCRIPT;
        return 1;
    }
    // The reply is copied: the script may start another request, which empties the record.
    Cstring script = data.substr(start + 6, size - start - 6);
    if (script.size() < 5) return 0; // too short to be a command: nothing to run
    Cvariable* target = replyTarget();
    if (target == nullptr) {
        internetConnect.failureType = HTTP_FAIL_SCRIPT;
        return 1;
    }
    Cstring why;
    int result = runNetworkScript(target, script.c_str(), script.size(), &why);
    if (result == 0) return 0;
    VTRACE(1, "reply script failed: " << why);
    internetConnect.failureType = HTTP_FAIL_SCRIPT;
    replyScriptMessage = why;
    return result;
}

int reportFailedScript() {
    CmyHttpConnection const& record = internetConnect;
    int replyBytes =
        record.resultData.size() < kReportedReplyBytes ? record.resultData.size() : kReportedReplyBytes;
    Cstring path = Cstring("inquiry/inquiry.php?type=FAILURE&fname=") + machineID + "_" +
                   Cstring(OS::getDateSecond()) + "&contents=" + httpSafe(record.url.c_str(), true) + "%0d" +
                   httpSafeLen(record.resultData.c_str(), replyBytes, true);
    MakeHTTPrequestAndRunScript(path, false, 0, nullptr);
    OS::storeRegistryStuff();
    return 0;
}

void installWebRequests() {
    hangingPointerToHttpConnection = &theHttpConnection();
    engineHooks.makeHTTPrequestAndRunScript = webMakeHTTPrequestAndRunScript;
    engineHooks.startHTTPrequestThread = webStartHTTPrequestThread;
    installUpdateMaster();
}
