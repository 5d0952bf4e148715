#include "host/internetRequest.h"

#include "host/httpConnection.h"
#include "support/cerr.h"

CmyHttpConnection internetConnect;
bool isMakingRequest = false;
int16_t httpErrorVerbalize = 0;
Cstring onFinishedDownloadingScript;

void CmyHttpConnection::setFailure(int code) {
    if (code == HTTP_FAIL_NONE) {
        failureType = HTTP_FAIL_NONE;
        return;
    }
    if (failureType != HTTP_FAIL_NONE) return;
    failureType = code;
    if (masterOut.is_open()) masterOut << "failureType=" << code << std::endl;
}

int CmyHttpConnection::initiateRequest(char const* address, bool blocking) {
    OBChttpConnection* connection = hangingPointerToHttpConnection;
    if (masterOut.is_open()) {
        masterOut << "initiateRequest " << isMakingRequest << std::endl;
        if (!connection) masterOut << "NO HTTP!" << std::endl;
    }
    if (isMakingRequest) closeConnection();
    url = address ? address : "";
    isMakingRequest = true;
    cancelled = false;
    resultData = "";
    requestState = REQUEST_RUNNING;
    failureType = HTTP_FAIL_NONE;
    errorText = "";
    reach = connection ? SERVER_REACHED : SERVER_NOT_REACHED;
    int result = 0;
    if (blocking) {
        if (connection) {
            connection->setMyHttpConnectionObject(this);
            result = connection->sendRequest(url.c_str());
        }
        // The reply (or nothing) is in; the record is idle again.
        requestState = REQUEST_JUST_FINISHED;
        didRequestJustFinish();
    } else if (connection) {
        connection->setMyHttpConnectionObject(this);
        result = connection->downloadFileA(url.c_str(), connection, false);
    }
    if (masterOut.is_open()) masterOut << "initRequest returning fail " << result << std::endl;
    return result;
}

void CmyHttpConnection::closeConnection() {
    if (masterOut.is_open()) masterOut << "closing connection" << std::endl;
    requestState = REQUEST_IDLE;
    isMakingRequest = false;
}

bool CmyHttpConnection::didRequestJustFinish() {
    if (requestState != REQUEST_JUST_FINISHED) return false;
    requestState = REQUEST_IDLE;
    return true;
}

void CmyHttpConnection::copyData(char const* bytes, int length) {
    if (bytes && length > 0)
        resultData.assign(bytes, length);
    else
        resultData = "";
    requestState = REQUEST_JUST_FINISHED;
}

void httpErrorMessage(char const* text) {
    VTRACE(1, (text ? text : ""));
    if (httpErrorVerbalize && internetConnect.errorText.empty()) internetConnect.errorText = text ? text : "";
}

void setHttpErrorOutput(int level) {
    httpErrorVerbalize = static_cast<int16_t>(level);
}

void cancelInternetRequest() {
    VTRACE(1, "cancelIT");
    internetConnect.cancelled = true;
    OBChttpConnection* connection = hangingPointerToHttpConnection;
    if (connection == nullptr || !connection->transferRunning()) return;
    if (connection->httpObject() == &internetConnect && internetConnect.requestState == REQUEST_RUNNING)
        internetConnect.setFailure(HTTP_FAIL_CANCELLED);
    connection->cancel();
}
