// The connection object and the request record: the size announcement, cancelling, the
// record's rules, and real transfers from a server on this machine.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "allocationWatch.h"
#include "host/fakeHostServices.h"
#include "host/httpConnection.h"
#include "host/internetRequest.h"
#include "testHttpServer.h"
#include "testSupport.h"

namespace {

// Stores what it is told about and keeps the file it stores.
class CstoringClient : public ChttpDownloadClient {
  public:
    CstoringClient(OBChttpConnection& c, std::string file) : connection(c), path(std::move(file)) {}
    void finishedDownloading() override {
        told++;
        finishedWell = connection.finishedWell();
        if (connection.getDataSize() > 0) stored = connection.storeAsFile(path.c_str());
    }
    char const* showMyName() override { return "storingClient"; }
    OBChttpConnection& connection;
    std::string path;
    int told = 0, stored = -1;
    bool finishedWell = false;
};

class HttpConnection : public ::testing::Test {
  protected:
    void SetUp() override {
        internetConnect = CmyHttpConnection();
        isMakingRequest = false;
        httpErrorVerbalize = 3;
        hangingPointerToHttpConnection = &connection;
        connection.setMyHttpConnectionObject(&internetConnect);
        connection.replyLimit = 1000;
        connection.connectTimeout = connection.idleTimeout = connection.blockingTimeout = 1;
        connection.transferTimeout = 1;
        server.server.Get(
            "/hop", [](httplib::Request const&, httplib::Response& res) { res.set_redirect("/reply"); });
        server.server.Get("/loop",
                          [](httplib::Request const&, httplib::Response& res) { res.set_redirect("/loop"); });
        server.server.Get("/tofile", [](httplib::Request const&, httplib::Response& res) {
            res.set_redirect("file:///etc/hostname");
        });
        // The same machine by another name: another server.
        server.server.Get("/away", [this](httplib::Request const&, httplib::Response& res) {
            res.set_redirect("http://localhost:" + std::to_string(server.port) + "/reply");
        });
        server.serve("/reply", "SCRIPT :float x 1");
        server.serve("/big", std::string(1001, 'b'));
    }
    void TearDown() override {
        hangingPointerToHttpConnection = nullptr;
        httpErrorVerbalize = 0;
        internetConnect = CmyHttpConnection();
        isMakingRequest = false;
        alertIsBeingShown = 0;
    }
    // Advances frames until the transfer has ended; false after ten seconds.
    bool runFrames(std::vector<float>* percents = nullptr) {
        for (int frame = 0; frame < 5000; frame++) {
            bool running = connection.advance();
            if (percents && (percents->empty() || percents->back() != connection.getProgressPercent()))
                percents->push_back(connection.getProgressPercent());
            if (!running) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }

    CfakeHostServices host;
    CtestHttpServer server;
    OBChttpConnection connection;
};

// The announcement is read once, in the chunk that takes the reply past 20 bytes.
TEST_F(HttpConnection, SizeAnnouncement) {
    std::string pad(16, 'x');
    struct {
        std::vector<std::string> chunks;
        int anticipated, percent;
    } cases[] = {
        {{"prgssz00000100" + pad}, 100, 30},
        {{"prgssz00000100", pad}, 100, 30},                   // the 14 bytes alone are not looked at
        {{"prgssz0050abcdefghijk"}, 50, 42},                  // leading digits only
        {{"prgssz00000100xxxxxx"}, 0, 0},                     // 20 bytes: never looked at
        {{"abc" + pad + "xx", "prgssz00000100" + pad}, 0, 0}, // too late
        {{"prgssz-0000005" + pad}, -5, 0},                    // no size: no percentage
    };
    for (auto const& c : cases) {
        connection.resetStatus();
        connection.didReceiveResponse();
        for (std::string const& chunk : c.chunks)
            ASSERT_TRUE(connection.didReceiveData(chunk.data(), chunk.size()));
        EXPECT_EQ(connection.getAnticipatedDataSize(), c.anticipated) << c.chunks[0];
        EXPECT_EQ(connection.getProgressPercent(), c.percent) << c.chunks[0];
        EXPECT_EQ(connection.isVLI(), c.anticipated > 0) << c.chunks[0];
    }
    // With the pane open the percentage is shown as it changes.
    connection.resetStatus();
    connection.openProgress("Downloading");
    std::string reply = "prgssz00000100" + pad;
    connection.didReceiveData(reply.data(), reply.size());
    connection.closeProgress();
    std::vector<std::string> expected = {"openProgress Downloading", "progress 0",
                                         "progressText Download progress: 30%", "progress 30",
                                         "closeProgress"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(alertIsBeingShown, 0);
}

TEST_F(HttpConnection, RecordKeepsTheFirstFailureAndHandsRepliesOverOnce) {
    internetConnect.setFailure(HTTP_FAIL_PLATFORM);
    internetConnect.setFailure(HTTP_FAIL_CONNECTION);
    EXPECT_EQ(internetConnect.failureType, HTTP_FAIL_PLATFORM);
    internetConnect.setFailure(HTTP_FAIL_NONE);
    EXPECT_EQ(internetConnect.failureType, HTTP_FAIL_NONE);
    internetConnect.resultData = "old";
    internetConnect.copyData("ignored", 0);
    EXPECT_TRUE(internetConnect.resultData.empty());
    EXPECT_TRUE(internetConnect.didRequestJustFinish());
    EXPECT_FALSE(internetConnect.didRequestJustFinish());
}

// Every way a request ends, blocking and polled: the failure code, the reply kept, whether
// the platform's description became the error text, and whether the server was reached.
TEST_F(HttpConnection, RequestOutcomes) {
    std::string refused = "http://127.0.0.1:" + std::to_string(closedPort()) + "/reply";
    CsilentServer silent;
    struct {
        std::string address;
        int blockingCode, polledCode;
        char const* reply;
        int reach;
    } cases[] = {
        {server.url("reply"), 0, 0, "SCRIPT :float x 1", SERVER_REACHED},
        {server.url("hop"), 0, 0, "SCRIPT :float x 1", SERVER_REACHED},
        {server.url("missing"), HTTP_FAIL_NOT_A_SCRIPT, HTTP_FAIL_NOT_A_SCRIPT, "", SERVER_REACHED},
        {server.url("broken"), HTTP_FAIL_NOT_A_SCRIPT, HTTP_FAIL_NOT_A_SCRIPT, "", SERVER_REACHED},
        {refused, HTTP_FAIL_CONNECTION, HTTP_FAIL_PLATFORM, "", SERVER_REFUSED},
        {server.url("slow"), HTTP_FAIL_CONNECTION, HTTP_FAIL_PLATFORM, "", SERVER_TIMED_OUT},
        {silent.base() + "reply", HTTP_FAIL_CONNECTION, HTTP_FAIL_PLATFORM, "", SERVER_TIMED_OUT},
        {server.url("big"), HTTP_FAIL_CONNECTION, HTTP_FAIL_PLATFORM, "", SERVER_REACHED},
        {server.url("loop"), HTTP_FAIL_CONNECTION, HTTP_FAIL_PLATFORM, "", SERVER_REACHED},
        {server.url("tofile"), HTTP_FAIL_CONNECTION, HTTP_FAIL_PLATFORM, "", SERVER_REACHED},
        {server.url("away"), HTTP_FAIL_CONNECTION, HTTP_FAIL_PLATFORM, "", SERVER_REACHED},
        {"inquiry/inquiry.php?type=INIT&", HTTP_FAIL_CONNECTION, HTTP_FAIL_CONNECTION, "", // no server
         SERVER_NOT_REACHED},
    };
    for (auto const& c : cases) {
        for (bool blocking : {true, false}) {
            int started = internetConnect.initiateRequest(c.address.c_str(), blocking);
            if (!blocking && started == 0) ASSERT_TRUE(runFrames()) << c.address;
            int code = blocking ? c.blockingCode : c.polledCode;
            // A polled request fails to start only without a server to ask.
            bool fetchable = c.address.rfind("http", 0) == 0;
            EXPECT_EQ(started != 0, blocking ? code != 0 : !fetchable) << c.address;
            EXPECT_EQ(internetConnect.failureType, code) << c.address << " blocking=" << blocking;
            EXPECT_EQ(internetConnect.resultData, c.reply) << c.address;
            // A polled request's platform failure brings its description for the viewer.
            EXPECT_EQ(internetConnect.errorText.empty(), code != HTTP_FAIL_PLATFORM) << c.address;
            EXPECT_EQ(internetConnect.didRequestJustFinish(), !blocking) << c.address;
            EXPECT_EQ(internetConnect.reach, c.reach) << c.address << " blocking=" << blocking;
            internetConnect.closeConnection();
        }
    }
}

TEST_F(HttpConnection, CancelEndsTheTransferAndFinishesTheRecordEmpty) {
    ASSERT_EQ(internetConnect.initiateRequest(server.url("slow").c_str(), false), 0);
    connection.openProgress("Downloading");
    connection.advance();
    cancelInternetRequest();
    EXPECT_FALSE(connection.transferRunning());
    EXPECT_TRUE(connection.justFinished());
    EXPECT_EQ(connection.getDataSize(), 0);
    EXPECT_FALSE(connection.isVLI());
    EXPECT_FALSE(connection.progressIsOn());
    EXPECT_EQ(alertIsBeingShown, 0);
    EXPECT_TRUE(internetConnect.cancelled);
    EXPECT_EQ(internetConnect.failureType, HTTP_FAIL_CANCELLED);
    EXPECT_TRUE(internetConnect.didRequestJustFinish());
    EXPECT_TRUE(internetConnect.resultData.empty());
}

// A download advances over the frames, shows its percentage and is stored as a file.
TEST_F(HttpConnection, DownloadIsStoredAsAFile) {
    ScopedDataFolder data;
    std::string body = "prgssz00000400";
    for (int i = 0; body.size() < 400; i++)
        body += static_cast<char>(i % 256); // binary, NULs included
    server.serve("/package", body, 50, 20);
    CstoringClient client(connection, data.file("Resources/VL_update.vli"));
    connection.setMyHttpConnectionObject(nullptr);
    ASSERT_EQ(connection.downloadFileA(server.url("package").c_str(), &client, true), 0);
    std::vector<float> percents;
    ASSERT_TRUE(runFrames(&percents));
    EXPECT_EQ(client.told, 1);
    EXPECT_TRUE(client.finishedWell);
    EXPECT_EQ(client.stored, 0);
    EXPECT_EQ(readWholeFile(client.path), body);
    EXPECT_TRUE(connection.isVLI());
    // Several steps on the way to 100, never backwards.
    EXPECT_GE(percents.size(), 4u);
    EXPECT_EQ(percents.back(), 100.0f);
    for (size_t i = 1; i < percents.size(); i++)
        EXPECT_GT(percents[i], percents[i - 1]);

    // A download larger than allowed fails, and its client learns of it: whether its size
    // is announced or it simply goes on (never held beyond the limit).
    server.server.Get("/endless", [](httplib::Request const&, httplib::Response& res) {
        res.set_chunked_content_provider("application/octet-stream",
                                         [](size_t offset, httplib::DataSink& sink) {
                                             std::string block(65536, 'e');
                                             sink.write(block.data(), block.size());
                                             if (offset > (size_t(16) << 20)) sink.done();
                                             return true;
                                         });
    });
    for (char const* path : {"package", "endless"}) {
        connection.downloadLimit = std::string(path) == "package" ? 100 : 100000;
        client.told = 0;
        LargestAllocation largest;
        ASSERT_EQ(connection.downloadFileA(server.url(path).c_str(), &client, true), 0);
        ASSERT_TRUE(runFrames());
        EXPECT_EQ(client.told, 1) << path;
        EXPECT_FALSE(client.finishedWell) << path;
        EXPECT_EQ(connection.getError(), "The reply was larger than allowed.") << path;
        EXPECT_LT(largest.bytes(), size_t(1) << 20) << path;
    }
}

} // namespace
