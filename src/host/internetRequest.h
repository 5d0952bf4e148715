// The engine's record of the one web request at a time, and the request state the
// engine code reads: failure codes, the first error text, cancelling.
//
// A request moves the record from idle (0) to running (1) when it starts, to just
// finished (3) when the connection object hands the reply in, and back to idle when the
// poll or the blocking call has taken it.
#pragma once

#include <cstdint>

#include "support/mystring.h"

// Failure codes of a request; the first nonzero code of a request wins.
enum {
    HTTP_FAIL_NONE = 0,
    HTTP_FAIL_CANCELLED = 2,
    HTTP_FAIL_CONNECTION = 3,
    HTTP_FAIL_PLATFORM = 4,
    HTTP_FAIL_UNREACHABLE = 5,
    HTTP_FAIL_SCRIPT = 6,
    HTTP_FAIL_FIREWALL = 7,
    HTTP_FAIL_NOT_A_SCRIPT = 8,
    HTTP_FAIL_COMMUNICATION = 9,
};

// Request states.
enum { REQUEST_IDLE = 0, REQUEST_RUNNING = 1, REQUEST_JUST_FINISHED = 3 };

// Whether a request reached its server: it answered (an error status too), or it refused
// the connection, gave no answer in time, its name was not found, or it was not reached
// another way (no address, no network, the program stopping).
enum { SERVER_REACHED = 0, SERVER_REFUSED, SERVER_TIMED_OUT, SERVER_NOT_FOUND, SERVER_NOT_REACHED };

class CmyHttpConnection {
  public:
    // Stores a nonzero code only while none is stored; 0 clears it.
    void setFailure(int code);
    // Starts a request (closing a running one first). Blocking: returns when the reply is
    // in resultData (0) or the request failed (1), the record idle again. Otherwise the
    // transfer runs on; 0 started, 1 failed.
    int initiateRequest(char const* address, bool blocking);
    // Ends the request from the engine side: idle, no request being made.
    void closeConnection();
    // True once after the connection handed a reply in (the record is then idle).
    bool didRequestJustFinish();
    // The reply's bytes; marks the record just finished.
    void copyData(char const* bytes, int length);

    Cstring resultData;
    Cstring url;
    Cstring errorText;
    bool reportFailures = false;
    bool cancelled = false;
    int requestState = REQUEST_IDLE;
    int failureType = HTTP_FAIL_NONE;
    int reach = SERVER_REACHED; // of the last request (SERVER_*), set as it ends
};

extern CmyHttpConnection internetConnect; // the one request record
extern bool isMakingRequest;              // a request is running (until its connection is closed)
// 3 while the current request records error texts for the viewer, 0 while it is silent.
extern int16_t httpErrorVerbalize;
// Run by the update master when a download has finished; empty: none.
extern Cstring onFinishedDownloadingScript;

// Traces text and, while the request verbalises and has no error text yet, makes it the
// request's error text.
void httpErrorMessage(char const* text);
void setHttpErrorOutput(int level);
// "icancel": marks the request cancelled and stops a running transfer, which the next
// poll reports as cancelled (failure 2).
void cancelInternetRequest();
