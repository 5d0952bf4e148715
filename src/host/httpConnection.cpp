#include "host/httpConnection.h"

#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <curl/curl.h>
#include <strings.h>
#include <unistd.h>

#include "host/hostServices.h"
#include "host/internetRequest.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/fileIO.h"

OBChttpConnection* hangingPointerToHttpConnection = nullptr;

namespace {

template <typename... T> void logLine(T const&... parts) {
    if (!masterOut.is_open()) return;
    (masterOut << ... << parts);
    masterOut << std::endl;
}

// What a transfer's callbacks need: the connection and whether it blocks; and where the
// transfer may be redirected to (the scheme, host and port it was asked of).
struct CtransferContext {
    OBChttpConnection* connection;
    bool blocking;
    std::string* blockingReply;
    size_t limit;
    bool* overLimit;
    std::string origin;
    int redirects = 0;
};

// Redirects followed for one transfer at most.
constexpr int kMaxRedirects = 5;
// The longest a blocking request waits before it looks whether the program must stop.
constexpr long kStopCheckMillis = 100;

// "scheme://host:port" of an address, lower case, the port filled in; "" when unreadable.
std::string originOf(char const* url) {
    std::string origin;
    CURLU* parts = curl_url();
    if (parts && url && curl_url_set(parts, CURLUPART_URL, url, 0) == CURLUE_OK) {
        char *scheme = nullptr, *host = nullptr, *port = nullptr;
        if (curl_url_get(parts, CURLUPART_SCHEME, &scheme, 0) == CURLUE_OK &&
            curl_url_get(parts, CURLUPART_HOST, &host, 0) == CURLUE_OK &&
            curl_url_get(parts, CURLUPART_PORT, &port, CURLU_DEFAULT_PORT) == CURLUE_OK)
            origin = std::string(scheme) + "://" + host + ":" + port;
        curl_free(scheme);
        curl_free(host);
        curl_free(port);
    }
    curl_url_cleanup(parts);
    for (char& c : origin)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return origin;
}

bool stopAsked() {
    return programStopAsked && programStopAsked();
}

size_t onBody(char* bytes, size_t size, size_t count, void* context) {
    auto* c = static_cast<CtransferContext*>(context);
    size_t n = size * count;
    if (!c->blocking) return c->connection->didReceiveData(bytes, n) ? n : 0;
    // A blocking request only gathers the reply (no announcement, no progress).
    if (c->blockingReply->size() + n > c->limit) {
        *c->overLimit = true;
        return 0;
    }
    c->blockingReply->append(bytes, n);
    return n;
}

size_t onHeader(char* bytes, size_t size, size_t count, void* context) {
    auto* c = static_cast<CtransferContext*>(context);
    size_t n = size * count;
    // Every response (one per redirect) begins afresh.
    if (n >= 5 && std::memcmp(bytes, "HTTP/", 5) == 0) {
        if (c->blocking)
            c->blockingReply->clear();
        else
            c->connection->didReceiveResponse();
    }
    return n;
}

void initLibraryOnce() {
    static bool done = (curl_global_init(CURL_GLOBAL_DEFAULT), true);
    (void)done;
}

// The description given to the viewer for a failed transfer.
Cstring failureText(CURLcode result, char const* detail, bool overLimit) {
    if (overLimit || result == CURLE_FILESIZE_EXCEEDED) return "The reply was larger than allowed.";
    if (detail && *detail) return detail;
    return curl_easy_strerror(result);
}

// Whether a transfer that ended with result reached its server (SERVER_*); osErrno: the
// system's reason when the connection failed.
int reachOf(CURLcode result, long osErrno) {
    switch (result) {
    case CURLE_OK:
    case CURLE_HTTP_RETURNED_ERROR: // an error status: the server answered
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_FILESIZE_EXCEEDED:
    case CURLE_WRITE_ERROR: // a reply larger than allowed
        return SERVER_REACHED;
    case CURLE_COULDNT_CONNECT:
        return osErrno == ECONNREFUSED ? SERVER_REFUSED : SERVER_NOT_REACHED;
    case CURLE_OPERATION_TIMEDOUT:
        return SERVER_TIMED_OUT;
    case CURLE_COULDNT_RESOLVE_HOST:
        return SERVER_NOT_FOUND;
    default:
        return SERVER_NOT_REACHED;
    }
}

// A transfer that ended well but with a redirect: where to go next, or a refusal. OK: not
// a redirect, or one to follow (url then holds it); otherwise the failure, its text in
// errorBuffer.
CURLcode nextHop(CURL* easy, CtransferContext& context, std::string& url, char* errorBuffer) {
    long status = 0;
    char* location = nullptr;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    if (status < 300 || status > 399 ||
        curl_easy_getinfo(easy, CURLINFO_REDIRECT_URL, &location) != CURLE_OK || location == nullptr)
        return CURLE_OK;
    if (context.origin.empty() || originOf(location) != context.origin) {
        std::snprintf(errorBuffer, CURL_ERROR_SIZE, "A redirect to another server was refused.");
        return CURLE_TOO_MANY_REDIRECTS;
    }
    if (++context.redirects > kMaxRedirects) {
        std::snprintf(errorBuffer, CURL_ERROR_SIZE, "Too many redirects.");
        return CURLE_TOO_MANY_REDIRECTS;
    }
    url = location;
    return CURLE_OK;
}

} // namespace

bool fetchableAddress(char const* url) {
    if (url == nullptr) return false;
    size_t skip = 0;
    if (strncasecmp(url, "http://", 7) == 0)
        skip = 7;
    else if (strncasecmp(url, "https://", 8) == 0)
        skip = 8;
    else
        return false;
    return url[skip] != 0 && url[skip] != '/';
}

OBChttpConnection& theHttpConnection() {
    static OBChttpConnection connection;
    return connection;
}

void advanceWebTransfers() {
    if (hangingPointerToHttpConnection) hangingPointerToHttpConnection->advance();
}

OBChttpConnection::OBChttpConnection() {
    clearData();
    progressPanelIsOn = false;
}

OBChttpConnection::~OBChttpConnection() {
    stopTransfer();
    if (multi) curl_multi_cleanup(static_cast<CURLM*>(multi));
    if (hangingPointerToHttpConnection == this) hangingPointerToHttpConnection = nullptr;
}

void OBChttpConnection::clearData() {
    receivedData.clear();
    receivedData.shrink_to_fit();
}

void OBChttpConnection::resetStatus() {
    logLine("RESET connection status");
    stopTransfer();
    generation++;
    anticipatedDataSize = 0;
    currentStatus = HTTP_IDLE;
    overLimit = false;
    clearData();
    initiatingObject = nullptr;
}

void* OBChttpConnection::newTransfer(char const* url, size_t limit, bool blocking) {
    initLibraryOnce();
    CURL* easy = curl_easy_init();
    if (easy == nullptr) return nullptr;
    errorBuffer[0] = 0;
    curl_easy_setopt(easy, CURLOPT_URL, url);
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    // Redirects are followed here, each checked first (nextHop).
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(easy, CURLOPT_SSL_VERIFYHOST, 2L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT, blocking ? blockingConnectTimeout : connectTimeout);
    curl_easy_setopt(easy, CURLOPT_TIMEOUT, blocking ? blockingTimeout : transferTimeout);
    // A transfer slower than its floor for the idle time is given up: a background one that
    // stalls (under a byte a second); a blocking one whose reply drips (under blockingFloorBytes
    // in the idle time), which would otherwise hold the frame for the whole limit.
    long idle = blocking ? blockingIdleTimeout : idleTimeout;
    long least = blocking && idle > 0 ? (blockingFloorBytes + idle - 1) / idle : 1;
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_LIMIT, least > 1 ? least : 1L);
    curl_easy_setopt(easy, CURLOPT_LOW_SPEED_TIME, idle);
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // An error status of the server is no reply: its page is not kept.
    curl_easy_setopt(easy, CURLOPT_FAILONERROR, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXFILESIZE_LARGE, static_cast<curl_off_t>(limit));
    curl_easy_setopt(easy, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(easy, CURLOPT_USERAGENT, "Velmora/1.296");
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, onBody);
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, onHeader);
    return easy;
}

void OBChttpConnection::stopTransfer() {
    if (transfer == nullptr) return;
    CURL* easy = static_cast<CURL*>(transfer);
    CtransferContext* context = nullptr;
    curl_easy_getinfo(easy, CURLINFO_PRIVATE, reinterpret_cast<char**>(&context));
    curl_multi_remove_handle(static_cast<CURLM*>(multi), easy);
    curl_easy_cleanup(easy);
    delete context;
    transfer = nullptr;
}

int OBChttpConnection::performBlocking(void* transferHandle) {
    CURL* easy = static_cast<CURL*>(transferHandle);
    if (multi == nullptr) multi = curl_multi_init();
    if (multi == nullptr) return CURLE_OUT_OF_MEMORY;
    CURLM* driver = static_cast<CURLM*>(multi);
    curl_multi_add_handle(driver, easy);
    CURLcode result = CURLE_OK;
    for (bool done = false; !done;) {
        if (stopAsked()) {
            std::snprintf(errorBuffer, sizeof errorBuffer, "The program is stopping.");
            result = CURLE_ABORTED_BY_CALLBACK;
            break;
        }
        int running = 0;
        curl_multi_perform(driver, &running);
        int left = 0;
        while (CURLMsg* message = curl_multi_info_read(driver, &left))
            if (message->msg == CURLMSG_DONE && message->easy_handle == easy) {
                result = message->data.result;
                done = true;
            }
        // A signal cuts the wait short.
        if (!done) curl_multi_poll(driver, nullptr, 0, kStopCheckMillis, nullptr);
    }
    curl_multi_remove_handle(driver, easy);
    return result;
}

int OBChttpConnection::sendRequest(char const* url) {
    resetStatus();
    logLine("going to send request ", url ? url : "");
    logLine("currentStatus=", currentStatus);
    currentStatus = HTTP_RUNNING;
    std::string reply;
    bool tooLarge = false;
    CURLcode result = CURLE_URL_MALFORMAT;
    long status = 0, osErrno = 0;
    if (fetchableAddress(url)) {
        CURL* easy = static_cast<CURL*>(newTransfer(url, replyLimit, true));
        if (easy) {
            CtransferContext context{this, true, &reply, replyLimit, &tooLarge, originOf(url)};
            curl_easy_setopt(easy, CURLOPT_WRITEDATA, &context);
            curl_easy_setopt(easy, CURLOPT_HEADERDATA, &context);
            for (std::string next; (result = static_cast<CURLcode>(performBlocking(easy))) == CURLE_OK;) {
                next.clear();
                result = nextHop(easy, context, next, errorBuffer);
                if (result != CURLE_OK || next.empty()) break;
                curl_easy_setopt(easy, CURLOPT_URL, next.c_str());
            }
            curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
            curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno);
            curl_easy_cleanup(easy);
        }
    }
    if (result != CURLE_OK) {
        lastError = failureText(result, errorBuffer, tooLarge);
        bool serverError = result == CURLE_HTTP_RETURNED_ERROR;
        int failure = serverError                           ? HTTP_FAIL_NOT_A_SCRIPT
                      : result == CURLE_ABORTED_BY_CALLBACK ? HTTP_FAIL_CANCELLED
                                                            : HTTP_FAIL_CONNECTION;
        if (myHttpObject) {
            myHttpObject->setFailure(failure);
            myHttpObject->reach = reachOf(result, osErrno);
        }
        logLine("Request Failed ", lastError, " status=", status);
        return 1;
    }
    receivedData.swap(reply);
    logLine("done send request mac receivedBytes=", receivedData.size());
    finishedDownloading();
    return 0;
}

int OBChttpConnection::downloadFileA(char const* url, ChttpDownloadClient* reportBackTo, bool progress) {
    showProgress = progress;
    resetStatus();
    initiatingObject = reportBackTo;
    logLine("downloadFileA ", url ? url : "", " status=", currentStatus, " from ",
            reportBackTo ? reportBackTo->showMyName() : "unknown");
    byteLimit = reportBackTo == this ? replyLimit : downloadLimit;
    CURL* easy = fetchableAddress(url) ? static_cast<CURL*>(newTransfer(url, byteLimit, false)) : nullptr;
    if (easy && multi == nullptr) multi = curl_multi_init();
    if (easy == nullptr || multi == nullptr) {
        if (easy) curl_easy_cleanup(easy);
        if (myHttpObject) {
            myHttpObject->setFailure(HTTP_FAIL_CONNECTION);
            myHttpObject->reach = SERVER_NOT_REACHED;
        }
        lastError = "no connection";
        logLine("connection failed");
        currentStatus = HTTP_FAILED;
        finishedDownloading();
        return 1;
    }
    auto* context = new CtransferContext{this, false, nullptr, byteLimit, &overLimit, originOf(url)};
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, context);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, context);
    curl_easy_setopt(easy, CURLOPT_PRIVATE, context);
    curl_multi_add_handle(static_cast<CURLM*>(multi), easy);
    transfer = easy;
    logLine("connection worked");
    clearData();
    currentStatus = HTTP_RUNNING;
    return 0;
}

bool OBChttpConnection::advance() {
    if (transfer == nullptr) return false;
    int running = 0;
    curl_multi_perform(static_cast<CURLM*>(multi), &running);
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(static_cast<CURLM*>(multi), &left)) {
        if (message->msg != CURLMSG_DONE || message->easy_handle != transfer) continue;
        CURL* easy = message->easy_handle;
        CURLcode result = message->data.result;
        long status = 0, osErrno = 0;
        curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
        curl_easy_getinfo(easy, CURLINFO_OS_ERRNO, &osErrno);
        if (result == CURLE_OK) {
            CtransferContext* context = nullptr;
            curl_easy_getinfo(easy, CURLINFO_PRIVATE, reinterpret_cast<char**>(&context));
            std::string next;
            result = nextHop(easy, *context, next, errorBuffer);
            if (result == CURLE_OK && !next.empty()) {
                // The same transfer goes on at the new address (same server).
                curl_multi_remove_handle(static_cast<CURLM*>(multi), easy);
                curl_easy_setopt(easy, CURLOPT_URL, next.c_str());
                curl_multi_add_handle(static_cast<CURLM*>(multi), easy);
                break;
            }
        }
        stopTransfer();
        if (myHttpObject) myHttpObject->reach = reachOf(result, osErrno);
        finishTransfer(result, status);
        break; // the hand-over may have started a new transfer: it is advanced next frame
    }
    return transfer != nullptr;
}

void OBChttpConnection::finishTransfer(int code, long httpStatus) {
    CURLcode result = static_cast<CURLcode>(code);
    if (result == CURLE_OK) {
        connectionDidFinishLoading();
        return;
    }
    Cstring text = failureText(result, errorBuffer, overLimit);
    logLine("transfer failed: ", text, " status=", httpStatus);
    if (result == CURLE_HTTP_RETURNED_ERROR) {
        lastError = text;
        didFailWithError(HTTP_FAIL_NOT_A_SCRIPT, "");
    } else {
        didFailWithError(HTTP_FAIL_PLATFORM, text.c_str());
    }
}

void OBChttpConnection::didReceiveResponse() {
    logLine("DIDRECEIVERESPONSE");
    currentPercent = 0;
    anticipatedDataSize = 0;
    receivedData.clear();
}

bool OBChttpConnection::didReceiveData(char const* bytes, size_t count) {
    if (receivedData.size() + count > byteLimit) {
        overLimit = true;
        return false;
    }
    size_t before = receivedData.size();
    receivedData.append(bytes, count);
    size_t after = receivedData.size();
    logLine("ldl=", before, " ndl=", after);
    // The announcement is looked for once: in the chunk that first takes the reply past 20 bytes.
    if (before <= 20 && after >= 21 && receivedData.compare(0, 6, "prgssz") == 0) {
        char text[15];
        std::memcpy(text, receivedData.data(), 14);
        text[14] = 0;
        anticipatedDataSize = std::atoi(text + 6);
        if (progressPanelIsOn) setProgressPercent(0);
    }
    if (anticipatedDataSize > 0) {
        int percent = static_cast<int>(static_cast<long long>(after) * 100 / anticipatedDataSize);
        if (percent != currentPercent && progressPanelIsOn) {
            char line[64];
            std::snprintf(line, sizeof line, "Download progress: %d%c", percent, '%');
            hostServices().setProgressMessage(line);
            setProgressPercent(static_cast<float>(percent));
        }
        currentPercent = percent;
    }
    return true;
}

void OBChttpConnection::connectionDidFinishLoading() {
    logLine("Succeeded! Received ", receivedData.size(), "/", anticipatedDataSize, " bytes of data");
    currentStatus = HTTP_FINISHED;
    finishedDownloading();
}

void OBChttpConnection::didFailWithError(int failureCode, char const* description) {
    logLine("didfailwitherror");
    // The failure is recorded and handed over, so the next poll reports it and whoever
    // started the transfer learns of it (a download's progress pane closes).
    if (myHttpObject) myHttpObject->setFailure(failureCode);
    if (engineHooks.sheetMessage) engineHooks.sheetMessage("connection failed, please try again later");
    if (description && *description) {
        lastError = description;
        httpErrorMessage(description);
        logLine("error=", description);
    }
    receivedData.clear();
    currentStatus = HTTP_FAILED;
    unsigned mine = generation;
    finishedDownloading();
    if (mine != generation) return;
    myHttpObject = nullptr;
    initiatingObject = nullptr;
}

void OBChttpConnection::cancel() {
    resetStatus();
    currentStatus = HTTP_CANCELLED;
    finishedDownloading();
    closeProgress();
}

void OBChttpConnection::closeConnection() {
    logLine("httpConnection::closeConnection");
    resetStatus();
    myHttpObject = nullptr;
}

void OBChttpConnection::finishedDownloading() {
    logLine("finishedDownloading status=", currentStatus, " length=", receivedData.size(), " to ",
            initiatingObject ? initiatingObject->showMyName() : "unknown");
    if (currentStatus == HTTP_IDLE) return;
    unsigned mine = generation;
    if (myHttpObject) {
        myHttpObject->copyData(receivedData.data(), static_cast<int>(receivedData.size()));
        logLine("back from copydata");
    }
    if (initiatingObject == this || initiatingObject == nullptr)
        logLine("no object");
    else
        initiatingObject->finishedDownloading();
    // The one told may have started another transfer, whose state this must not touch.
    if (mine != generation) return;
    logLine("finishedDownloading after");
    currentStatus = HTTP_FINISHED;
}

int OBChttpConnection::storeAsFile(char const* path) {
    char cwd[1024];
    if (!getcwd(cwd, sizeof cwd)) cwd[0] = 0;
    logLine("storing as file: ", path ? path : "", " ", receivedData.size());
    logLine("cwdA=", cwd);
    if (path && *path &&
        createDiskFile(path, receivedData.data(), static_cast<int>(receivedData.size())) == 0)
        return 0;
    revealSettingsFolder();
    OS::ShowMessage(
        "We recommend deleting your current installation and, when reinstalling, choose to install "
        "'FOR ALL USERS' rather than 'for this user only'",
        "There was a problem saving the update file", 0);
    return 1;
}

void OBChttpConnection::openProgress(char const* message) {
    logLine("openProgress: ", progressPanelIsOn);
    alertIsBeingShown = 1;
    if (progressPanelIsOn) return;
    progressPanelIsOn = true;
    hostServices().openProgress(message ? message : "");
}

void OBChttpConnection::closeProgress() {
    logLine("closeProgress: ", progressPanelIsOn);
    alertIsBeingShown = 0;
    if (!progressPanelIsOn) return;
    progressPanelIsOn = false;
    hostServices().closeProgress();
    logLine("end DLprogress");
}

void OBChttpConnection::setProgressPercent(float percent) {
    hostServices().setProgressPercent(percent);
}

Cstring OBChttpConnection::getError() const {
    return lastError.empty() ? Cstring("unknownError") : lastError;
}
