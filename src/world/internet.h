// Web requests whose replies run as scripts.
//
// A request path becomes an HTTP GET to the server (fillStringWithRequestBasics); the
// reply is awaited either by blocking or by the frame's poll (checkInOnAnyInternetRequest)
// and runs as a network script when "SCRIPT" stands within its first 200 bytes. Failures
// are codes on the request record (internetRequest.h), shown to the viewer as messages
// when the request asked for that. One request at a time.
#pragma once

#include <cstdint>

#include "support/mystring.h"

extern uint8_t isErrored; // set while a failure is being reported

// Fills the web layer's slots (request entry points, downloads, the update check) and
// publishes the connection object. Calling it again changes nothing.
void installWebRequests();

// The four request functions behind MakeHTTPrequestAndRunScript and startHTTPrequestThread
// (hostServices.h), which reach them through the host. verbalise: failures are shown; type:
// the level of the common query; extra: accepted and unused.
// 0 when the reply script ran; 1 when the request failed or the reply was no script or too
// short; otherwise the script's failing result.
int webMakeHTTPrequestAndRunScript(Cstring const& path, bool verbalise, int type, char const* extra);
// Starts a polled request; always 0 (the outcome comes through the poll).
int webStartHTTPrequestThread(Cstring const& path, bool verbalise, int type, char const* extra);

// Once per frame: advances the transfer; 0 unless a request has just finished, then the
// result of processRequestReturnData.
int checkInOnAnyInternetRequest();
// Reports failures (1 when it did) or runs the reply; a reply that fails the script rule is
// reported too.
int processRequestReturnData();
// A blocking request of the full address; 1 when it could not be made.
int makeRequestAndRunReturningScript(char const* url);
// Closes the busy pane, shows the current failure when the request reports failures (1),
// and closes the request.
int processAnyHttpFailures();
// The reply rule: fewer than 7 bytes give 1; the first "SCRIP" below byte 200 must begin
// "SCRIPT" (else failure 8 and 1); the text after it runs as a network script on the shop
// keeper (or the root of the tree): 0, or failure 6 and the script's result.
int runInternetConnectDownloadedScript(Cstring& data);
// Where the reply script would start: the first "SCRIP" below byte min(size, 200), else 0.
int findReplyScript(char const* data, int size);
// Sends the last request's address and reply to the server as a failure report; 0.
int reportFailedScript();
// Blocking requests made from within reply scripts may nest this deep.
constexpr int kMaxNestedRequests = 4;

// The server's base address: $VELMORA_SERVER_URL when set, else the registry's "webServer",
// ending in "/"; "" when there is none (every request then fails at once).
Cstring webServerAddress();
