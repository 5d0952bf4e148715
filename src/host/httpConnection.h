// The platform side of every HTTP GET: one connection object that either blocks until a
// reply is in, or runs one transfer in the background that the frame loop advances once
// per frame (advance). It keeps the reply, reads a leading size announcement ("prgssz"
// and up to eight digits) for the download percentage, can store the reply as a file and
// tells whoever started a transfer when it has ended.
//
// Only http:// and https:// addresses are fetched; anything else, an empty server address
// among them, fails at once without touching the network. A redirect is followed (at most
// five) only to the scheme, host and port the transfer was asked of: a request goes to the
// configured server and nowhere else. HTTPS peers are verified. Replies and downloads are
// capped in size while they arrive.
//
// A blocking request holds the frame, so it is held to short limits (a few seconds to
// connect, and a few in which its reply brings less than a floor: a dripping server costs
// no more than a silent one) and gives up within a tenth of a second once the program is
// asked to stop (programStopAsked).
// This is the only file of the program that uses the transfer library.
#pragma once

#include <cstddef>
#include <string>

#include "support/mystring.h"

class CmyHttpConnection;

// An object told when a transfer it started has ended (successfully or not).
class ChttpDownloadClient {
  public:
    virtual ~ChttpDownloadClient() = default;
    virtual void finishedDownloading() = 0;
    virtual char const* showMyName() = 0;
};

// Transfer status of the connection object.
enum { HTTP_IDLE = 0, HTTP_RUNNING = 1, HTTP_FAILED = 2, HTTP_FINISHED = 3, HTTP_CANCELLED = 4 };

// Largest reply a request keeps (replies are scripts) and largest download.
constexpr size_t kMaxReplyBytes = size_t(1) << 20;
constexpr size_t kMaxDownloadBytes = size_t(64) << 20;

class OBChttpConnection : public ChttpDownloadClient {
  public:
    OBChttpConnection();
    ~OBChttpConnection() override;
    OBChttpConnection(OBChttpConnection const&) = delete;
    OBChttpConnection& operator=(OBChttpConnection const&) = delete;

    void clearData();
    // Stops any running transfer; status idle, no data, nobody to tell.
    void resetStatus();

    // Blocking GET. 0 when a reply arrived (handed to the record), 1 when none did (the
    // record gets failure 3, 8 for an error status of the server, or 2 when the program
    // was asked to stop meanwhile).
    int sendRequest(char const* url);
    int sendRequestMac(char const* url) { return sendRequest(url); }
    // Starts a background GET that advance() moves on. 0 started, 1 failed (failure 3 on
    // the record, everything already handed over). The reply of a transfer reported back
    // to this object itself is capped as a reply, any other as a download.
    int downloadFileA(char const* url, ChttpDownloadClient* reportBackTo, bool showProgress);
    // Moves a background transfer on without waiting; called once per frame. True while
    // a transfer is running afterwards.
    bool advance();

    // What a transfer reports as it goes (called by advance, public for the tests).
    void didReceiveResponse();
    // Appends bytes; false when the transfer must stop because the reply is too large.
    bool didReceiveData(char const* bytes, size_t count);
    void connectionDidFinishLoading();
    // The transfer failed: failure code (4 a platform error, 8 an error status of the
    // server) and the platform's description (empty: none given to the viewer).
    void didFailWithError(int failureCode, char const* description);

    // Stops the running transfer: status cancelled, the record (when attached) finished
    // with an empty reply, the progress pane closed.
    void cancel();
    void closeConnection();
    void setMyHttpConnectionObject(CmyHttpConnection* record) { myHttpObject = record; }
    CmyHttpConnection* httpObject() const { return myHttpObject; }
    // Hands the reply to the record and tells the object that started the transfer.
    void finishedDownloading() override;
    // Writes the received bytes as a file (path keywords expanded, folders made); 0 stored.
    int storeAsFile(char const* path);

    // The progress pane: open and close also set and clear alertIsBeingShown.
    void openProgress(char const* message);
    void closeProgress();
    void setProgressPercent(float percent);

    int getStatus() const { return currentStatus; }
    bool justFinished() const { return currentStatus == HTTP_FINISHED; }
    bool errored() const { return currentStatus == HTTP_FAILED; }
    bool wasCancelled() const { return currentStatus == HTTP_CANCELLED; }
    bool finishedWell() const { return currentStatus != HTTP_FAILED && currentStatus != HTTP_CANCELLED; }
    // The reply announced its size (as update packages do).
    bool isVLI() const { return anticipatedDataSize > 0; }
    int getDataSize() const { return static_cast<int>(receivedData.size()); }
    char const* getCharPointer() const { return receivedData.data(); }
    float getProgressPercent() const { return static_cast<float>(currentPercent); }
    int getAnticipatedDataSize() const { return anticipatedDataSize; }
    bool progressIsOn() const { return progressPanelIsOn; }
    bool transferRunning() const { return transfer != nullptr; }
    // The last failure's description, "unknownError" when none is known.
    Cstring getError() const;
    Cstring getDataString() const { return myDataString; }
    char const* showMyName() override { return "httpConnection"; }

    // Limits in seconds of a background transfer: to connect; without a byte arriving; the
    // whole transfer. And of a blocking request, which stops the frame: to connect; while its
    // reply brings less than blockingFloorBytes in that time (replies are scripts of a few
    // kB); the whole request.
    long connectTimeout = 10;
    long idleTimeout = 60;
    long transferTimeout = 1800;
    long blockingConnectTimeout = 3;
    long blockingIdleTimeout = 3;
    long blockingFloorBytes = 1024;
    long blockingTimeout = 20;
    // Largest reply of a request and largest download kept.
    size_t replyLimit = kMaxReplyBytes;
    size_t downloadLimit = kMaxDownloadBytes;

  private:
    void* newTransfer(char const* url, size_t limit, bool blocking);
    // Runs a transfer to its end, or until the program is asked to stop; the result code.
    int performBlocking(void* transferHandle);
    void stopTransfer();
    void finishTransfer(int result, long httpStatus);

    std::string receivedData;
    CmyHttpConnection* myHttpObject = nullptr;
    ChttpDownloadClient* initiatingObject = nullptr;
    int anticipatedDataSize = 0;
    int currentStatus = HTTP_IDLE;
    int currentPercent = 0;
    bool showProgress = false;
    bool progressPanelIsOn = false;
    Cstring myDataString;
    Cstring lastError;

    void* multi = nullptr;    // the background transfers' driver
    void* transfer = nullptr; // the running background transfer, or null
    size_t byteLimit = kMaxReplyBytes;
    bool overLimit = false;
    char errorBuffer[256] = {};
    unsigned generation = 0; // counts resets: a hand-over must not touch a newer transfer
};

// The one connection object; null until the web requests are installed.
extern OBChttpConnection* hangingPointerToHttpConnection;
// The connection object the program publishes (made on first use).
OBChttpConnection& theHttpConnection();
// Advances the background transfer of the published connection, if any; once per frame.
void advanceWebTransfers();
// True for an address the connection fetches: "http://" or "https://" and a host.
bool fetchableAddress(char const* url);
