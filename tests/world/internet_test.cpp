// Web requests against a server on this machine: replies run as scripts, every failure
// reaches the viewer with its message, and a reply never leaves an exit behind.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "host/fakeHostServices.h"
#include "host/httpConnection.h"
#include "host/internetRequest.h"
#include "script/scripter.h"
#include "shopTestSupport.h"
#include "support/cerr.h"
#include "testHttpServer.h"
#include "world/initGlobals.h"
#include "world/internet.h"
#include "world/velmoraFunctions.h"

namespace {

class WebRequests : public ::testing::Test {
  protected:
    void SetUp() override {
        unsetenv("VELMORA_SERVER_URL");
        resetExitState();
        scriptError = 0;
        globalVariablesDir = &root;
        webServerBase = server.base().c_str();
        skipNSAlert = 0;
        installWebRequests();
        OBChttpConnection& connection = theHttpConnection();
        connection.closeConnection();
        connection.connectTimeout = connection.idleTimeout = connection.blockingTimeout = 1;
        connection.transferTimeout = 1;
        internetConnect = CmyHttpConnection();
        isMakingRequest = false;
        server.serve("/reply", "SCRIPT :float x 1");
        server.serve("/junk", "hello there, no script here");
        server.serve("/bad", "SCRIPT :noSuchCommand 1");
    }
    void TearDown() override {
        theHttpConnection().closeConnection();
        globalVariablesDir = nullptr;
        webServerBase = "";
        skipNSAlert = 1;
        internetConnect = CmyHttpConnection();
        isMakingRequest = false;
        resetExitState();
        scriptError = 0;
    }
    // A polled request, polled frame by frame until it has been dealt with.
    int polled(char const* path, bool verbalise = true) {
        webStartHTTPrequestThread(path, verbalise, 0, nullptr);
        int result = 0;
        for (int frame = 0; frame < 5000; frame++) {
            result = checkInOnAnyInternetRequest();
            if (internetConnect.requestState == REQUEST_IDLE && !theHttpConnection().transferRunning()) break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return result;
    }
    // The message the viewer was shown ("" for none).
    std::string shown() {
        for (std::string const& call : host.calls)
            if (call.rfind("message", 0) == 0) return call;
        return "";
    }
    // Nothing of a failed reply may stay: no exit, no script error.
    void expectNothingPending(std::string const& label) {
        EXPECT_EQ(exitSaver, 0) << label;
        EXPECT_EQ(erroredExit, 0) << label;
        EXPECT_EQ(scriptError, 0) << label;
        EXPECT_TRUE(exitMsg.empty()) << label;
        EXPECT_TRUE(exitReasonList.empty()) << label;
    }

    ScopedDataFolder data;
    CdirectoryVar root;
    CfakeHostServices host;
    CtestHttpServer server;
};

// Each way a request can end, blocking and polled: result, message and what ran.
TEST_F(WebRequests, OutcomesAndTheirMessages) {
    std::string refused = "http://127.0.0.1:" + std::to_string(closedPort()) + "/";
    struct {
        char const* path;
        std::string serverBase;
        int blockingResult;
        char const *blockingMessage, *polledMessage;
    } cases[] = {
        {"reply", server.base(), 0, "", ""},
        {"missing", server.base(), 1, "Communication error.", "Communication error."},
        {"broken", server.base(), 1, "Communication error.", "Communication error."},
        {"junk", server.base(), 1, "Communication error.", "Communication error."},
        {"bad", server.base(), CMD_NOT_HANDLED, "Couldn't find command noSuchCommand",
         "Couldn't find command"},
        {"reply", refused, 1, "Connection Error", "connect"},
        {"slow", server.base(), 1, "Connection Error", "Operation"},
        {"reply", "", 1, "Connection Error", "Connection Error"}, // no server at all
    };
    for (auto const& c : cases) {
        for (bool blocking : {true, false}) {
            std::string label =
                std::string(c.path) + " at " + c.serverBase + (blocking ? " blocking" : " polled");
            webServerBase = c.serverBase.c_str();
            host.calls.clear();
            root.deleteChildren();
            int result = blocking ? webMakeHTTPrequestAndRunScript(c.path, true, 0, nullptr) : polled(c.path);
            if (blocking) EXPECT_EQ(result, c.blockingResult) << label;
            char const* message = blocking ? c.blockingMessage : c.polledMessage;
            if (*message)
                EXPECT_NE(shown().find(message), std::string::npos) << label << ": " << shown();
            else
                EXPECT_EQ(shown(), "") << label;
            EXPECT_EQ(root.getChild("x") != nullptr, c.blockingResult == 0) << label;
            EXPECT_EQ(root.getChild("fromErrorPage"), nullptr) << label; // an error page never runs
            expectNothingPending(label);
            EXPECT_FALSE(isMakingRequest) << label;
        }
    }
}

TEST_F(WebRequests, SilentRequestsShowNothing) {
    for (char const* path : {"missing", "bad", "slow"}) {
        host.calls.clear();
        EXPECT_NE(webMakeHTTPrequestAndRunScript(path, false, 0, nullptr), 0) << path;
        polled(path, false);
        EXPECT_EQ(shown(), "") << path;
        expectNothingPending(path);
    }
}

// A reply script's reason is shown for its own request only: a later failed reply script,
// blocking or polled, with no reason of its own (no tree to run in) shows nothing.
TEST_F(WebRequests, AnEarlierReplysReasonIsNotShownAgain) {
    for (bool blocking : {true, false}) {
        EXPECT_NE(webMakeHTTPrequestAndRunScript("bad", false, 0, nullptr), 0); // silent: nothing shown
        globalVariablesDir = nullptr;
        host.calls.clear();
        EXPECT_EQ(blocking ? webMakeHTTPrequestAndRunScript("reply", true, 0, nullptr) : polled("reply"), 1);
        EXPECT_EQ(shown(), "") << "blocking=" << blocking;
        globalVariablesDir = &root;
        expectNothingPending("reply");
    }
}

// "icancel" stops the running transfer; the next poll says so.
TEST_F(WebRequests, CancelIsReportedAtTheNextPoll) {
    webStartHTTPrequestThread("slow", true, 0, nullptr);
    EXPECT_EQ(checkInOnAnyInternetRequest(), 0);
    cancelInternetRequest();
    EXPECT_FALSE(theHttpConnection().transferRunning());
    EXPECT_EQ(checkInOnAnyInternetRequest(), 1);
    EXPECT_NE(shown().find("Cancelled"), std::string::npos) << shown();
    EXPECT_EQ(root.getChild("late"), nullptr);
    EXPECT_EQ(checkInOnAnyInternetRequest(), 0);
}

// Where the script of a reply starts, and what runs.
TEST_F(WebRequests, ReplyScriptRule) {
    std::string binary("\0\1\2", 3);
    struct {
        std::string reply;
        int result, failure;
        char const* made; // the variable the script makes, or null
    } cases[] = {
        {"SCRIPT", 1, 0, nullptr},
        {"SCRIPT:ab", 0, 0, nullptr},
        {"prgssz00000040SCRIPT :float a 1", 0, 0, "a"},
        {std::string(199, 'x') + "SCRIPT :float b 1", 0, 0, "b"},
        {std::string(200, 'x') + "SCRIPT :float c 1", 1, HTTP_FAIL_NOT_A_SCRIPT, nullptr},
        {"SCRIPx SCRIPT :float d 1", 1, HTTP_FAIL_NOT_A_SCRIPT, nullptr},
        {binary + "SCRIPT :float e 1", 0, 0, "e"},
        {"SCRIPT :float f 1 :exit0", CMD_STOP, HTTP_FAIL_SCRIPT, "f"},          // ran up to the refused exit0
        {"SCRIPT junk :float g 1", CMD_NOT_HANDLED, HTTP_FAIL_SCRIPT, nullptr}, // does not parse
    };
    for (auto const& c : cases) {
        internetConnect.failureType = 0;
        Cstring data;
        data.assign(c.reply.data(), static_cast<int>(c.reply.size()));
        EXPECT_EQ(runInternetConnectDownloadedScript(data), c.result) << c.reply;
        EXPECT_EQ(internetConnect.failureType, c.failure) << c.reply;
        if (c.made) EXPECT_NE(root.getChild(c.made), nullptr) << c.reply;
        expectNothingPending(c.reply);
    }
}

// A reply that asks for itself again stops after a few rounds instead of overflowing.
TEST_F(WebRequests, NestedRequestsAreBounded) {
    std::atomic<int> asked{0};
    server.server.Get("/self", [&asked](httplib::Request const&, httplib::Response& res) {
        asked++;
        res.set_content("SCRIPT :httpRequestAndRun self? 0 :float done 1", "text/plain");
    });
    setHostServices(nullptr); // the script command goes through the platform to the web layer
    EXPECT_EQ(webMakeHTTPrequestAndRunScript("self", false, 0, nullptr), 0);
    setHostServices(&host);
    EXPECT_EQ(asked, kMaxNestedRequests);
    EXPECT_NE(root.getChild("done"), nullptr);
    expectNothingPending("self");
}

TEST_F(WebRequests, FailureReportCarriesAddressAndReply) {
    std::string query;
    server.server.Get("/inquiry/inquiry.php", [&query](httplib::Request const& req, httplib::Response& res) {
        query = req.get_param_value("contents");
        res.set_content("SCRIPT :float thanks 1", "text/plain");
    });
    internetConnect.url = "http://h/p?a=1";
    internetConnect.resultData = "not a script";
    setHostServices(nullptr); // the report goes through the platform to the server
    reportFailedScript();
    setHostServices(&host);
    EXPECT_EQ(query, "http://h/p?a=1\rnot a script");
    EXPECT_NE(root.getChild("thanks"), nullptr);
}

TEST_F(WebRequests, ServerAddressComesFromTheEnvironmentOrTheRegistry) {
    struct {
        char const* environment;
        char const* registry;
        char const* expected;
    } cases[] = {
        {nullptr, "", ""},
        {nullptr, "http://a.test", "http://a.test/"},
        {"http://b.test/", "http://a.test/", "http://b.test/"},
    };
    for (auto const& c : cases) {
        if (c.environment)
            setenv("VELMORA_SERVER_URL", c.environment, 1);
        else
            unsetenv("VELMORA_SERVER_URL");
        webServerBase = c.registry;
        EXPECT_EQ(webServerAddress(), c.expected);
    }
    unsetenv("VELMORA_SERVER_URL");
}

// The shop's "icancel" reaches the running request.
using ShopCancel = ShopFixture;
TEST_F(ShopCancel, IcancelStopsTheRunningRequest) {
    CtestHttpServer server;
    startShop();
    installWebRequests();
    theHttpConnection().closeConnection();
    webServerBase = server.base().c_str();
    webStartHTTPrequestThread("slow", false, 0, nullptr);
    ASSERT_TRUE(theHttpConnection().transferRunning());
    EXPECT_EQ(runStringScript(shop.get(), ":icancel"), 0);
    EXPECT_FALSE(theHttpConnection().transferRunning());
    EXPECT_TRUE(internetConnect.cancelled);
    EXPECT_EQ(internetConnect.failureType, HTTP_FAIL_CANCELLED);
    EXPECT_EQ(checkInOnAnyInternetRequest(), 1); // the empty reply runs nothing, silently
    EXPECT_EQ(internetConnect.requestState, REQUEST_IDLE);
    EXPECT_EQ(exitSaver, 0);
    webServerBase = "";
}

} // namespace
