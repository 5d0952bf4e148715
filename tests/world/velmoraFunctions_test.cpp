// The error report question after a bad run, the run log, the newest-file lookup and the
// small text helpers of the run-phase code.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>

#include "host/fakeHostServices.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "support/traceCapture.h"
#include "testSupport.h"
#include "variables/configDialogVars.h"
#include "world/dataFolderRun.h"
#include "world/velmoraFunctions.h"

namespace {

TEST(SmallHelpers, IntToAtozAndTokens) {
    struct Case {
        int n;
        char const* text;
    } cases[] = {{0, "a"},
                 {25, "z"},
                 {26, "ba"},
                 {675, "zz"},
                 {676, "baa"},
                 {-27, "-bb"},
                 {2147483647, "gytisyx"},
                 {-2147483647 - 1, "-gytisyy"}};
    for (auto const& c : cases)
        EXPECT_EQ(intToAtoz(c.n), c.text) << c.n;

    EXPECT_STREQ(tokenToTempBuf("key", "value"), "key=value&");
    std::string huge(3 * tempBufSize, 'v');
    char* text = tokenToTempBuf("big", huge.c_str());
    EXPECT_EQ(std::strlen(text), static_cast<size_t>(tempBufSize - 1)); // cut, never overrun
    EXPECT_EQ(std::string(text, 4), "big=");
}

// The marker a run left, as the next start reads it: a fault line as the fault handler writes
// it, and whatever else a damaged or planted marker holds, read without harm.
TEST(RunMarker, ReadsWhatTheRunLeftAndNothingElse) {
    ScopedDataFolder data;
    std::string manyRan;
    for (int i = 0; i < 2000; i++)
        manyRan += ":s ran species/x/x.spec\n";
    struct {
        std::string text;
        char const* phase;
        int signal;
        char const* kind;
        char const* file;
        char const* suspect;
        size_t ran;
    } const rows[] = {
        {":s pn loadSettings\n:s suspect settings.txt\n:s fault 11 own settings.txt\n", "loadSettings", 11,
         "own", "settings.txt", "settings.txt", 0},
        {":s pn run\n:s fault 6 library\n:s fault 11 own settings.txt\n", "run", 6, "library", "", "", 0},
        {":s fault x own settings.txt\n:s fault -3 own\n:s fault 11\n:s fault\n", "", 0, "", "", "", 0},
        {std::string("\0\xff:s pn run\n:s pn openShop\n:s suspect \n", 30), "openShop", 0, "", "", "", 0},
        {":s pn run\n" + manyRan, "run", 0, "", "", "", 64},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.text.substr(0, 60));
        writeWholeFile(data.file("isRunning.txt"), row.text);
        CleftRun left = readLeftRun("[APD]isRunning.txt");
        EXPECT_TRUE(left.present);
        EXPECT_EQ(std::string(left.phase.c_str()), row.phase);
        EXPECT_EQ(left.faultSignal, row.signal);
        EXPECT_EQ(std::string(left.faultKind.c_str()), row.kind);
        EXPECT_EQ(std::string(left.faultFile.c_str()), row.file);
        EXPECT_EQ(std::string(left.suspect.c_str()), row.suspect);
        EXPECT_EQ(left.ran.size(), row.ran);
    }
    std::filesystem::remove(data.file("isRunning.txt"));
    EXPECT_FALSE(readLeftRun("[APD]isRunning.txt").present);
}

TEST(RunLog, StartsGrowsAndStartsAfresh) {
    ScopedDataFolder data;
    runLogFileName = "";
    writeToMasterLog("before the name is known"); // goes nowhere
    clearLargeRunLogIfNecessary();
    EXPECT_EQ(runLogFileName, (data.path() + "runLog.txt").c_str());
    EXPECT_EQ(readWholeFile(data.file("runLog.txt")), "start\n");
    thisRunID = "r7";
    writeToMasterLog("hello");
    clearLargeRunLogIfNecessary(); // small: kept
    EXPECT_EQ(readWholeFile(data.file("runLog.txt")), "start\nr7: hello\n");
    writeWholeFile(data.file("runLog.txt"), std::string(50000, 'x'));
    clearLargeRunLogIfNecessary();
    EXPECT_TRUE(pathExists(data.file("runLog.txt")));
    writeWholeFile(data.file("runLog.txt"), std::string(50001, 'x'));
    clearLargeRunLogIfNecessary();
    EXPECT_FALSE(pathExists(data.file("runLog.txt")));
    runLogFileName = "";
    thisRunID = "";
}

TEST(RunLog, MostRecentFileWithPrefix) {
    ScopedDataFolder data;
    namespace fs = std::filesystem;
    auto now = fs::file_time_type::clock::now();
    struct File {
        char const* name;
        int ageSeconds;
    } files[] = {
        {"shot 1.png", 30}, {"shot 2.png", 10}, {"shot 3.png", 20}, {"other.png", 0}, {".shot.png", 0}};
    for (auto const& f : files) {
        writeWholeFile(data.file(f.name), "");
        fs::last_write_time(data.file(f.name), now - std::chrono::seconds(f.ageSeconds));
    }
    EXPECT_EQ(getMostRecentFileWithPrefix("shot *"), "shot 2.png");
    EXPECT_EQ(getMostRecentFileWithPrefix("*.png"), "other.png"); // hidden files do not match
    EXPECT_EQ(getMostRecentFileWithPrefix("none*"), "");
    EXPECT_FALSE(pathExists(data.file("listing.txt")));
}

class ErrorReport : public ::testing::Test {
  protected:
    void SetUp() override {
        root.setName("globals");
        globalVariablesDir = &root;
        createRegistryAndRegisterVars(&root);
        skipNSAlert = 0;
    }
    void TearDown() override {
        skipNSAlert = 1;
        globalVariablesDir = nullptr;
        registries = nullptr;
        m_userFlags = 64;
        append_test_to_internet_calls = "";
        scriptError = 0; // the shop message's script finds no page here
    }
    void leaveCrash(char const* marker) {
        std::filesystem::create_directories(data.file("crash"));
        writeWholeFile(data.file("crash/description.txt"), "what happened");
        if (marker) writeWholeFile(data.file("crash/isRunning.txt"), marker);
        writeWholeFile(data.file("isRunning.txt"), ":s pn run\n");
    }
    ScopedDataFolder data;
    TraceCapture trace{1};
    CfakeHostServices host;
    CregistryHolderVar root;
};

char const crashQuestion[] =
    "message Velmora quit with an error. Would you like to report this to Velmora? It may "
    "help us fix this problem /  [Yes|Dont ask me again|No]";
char const errorQuestion[] =
    "message Would you like to report this error to Velmora? It may help us fix this "
    "problem /  [Yes|Don't ask me again|No]";
char const reportRequest[] =
    "httpAndRun inquiry/errorreport_mac.php?type=ERRREPORT&keyword=E& report=0 type=2 extra=(none)";

TEST_F(ErrorReport, AnswersAndPhases) {
    char const ran[] = ":s pn run\n", ranWithFile[] = ":s pn run\n:s sof stdout_run.txt\n";
    struct Case {
        char const *what, *marker; // the crash folder's copy, null for none
        int16_t errored;
        unsigned flags;
        int button; // index chosen
        std::vector<std::string> calls;
        bool neverAskAfter;
        bool setAside = false;
    } cases[] = {
        {"yes reports", ranWithFile, 0, 64, 0, {crashQuestion, reportRequest}, false},
        {"don't ask", ran, 0, 64, 1, {crashQuestion}, true},
        {"no", ran, 0, 64, 2, {crashQuestion}, false},
        {"after an error exit", ran, 1, 64, 2, {errorQuestion}, false},
        {"died while closing", ":s pn closing\n", 0, 64, 0, {}, false},
        {"no marker copy", nullptr, 0, 64, 2, {crashQuestion}, false},
        {"declined for good", ran, 0, 64 | 0x1000, 0, {}, true},
        // The copy is data: what it holds ends nothing, and a damaged one is set aside.
        {"a copy that ends the run", ":s pn run\n:exit0\n", 0, 64, 2, {crashQuestion}, false, true},
        {"a copy with a bad line", ":s pn run\n:noSuchCommand 1\n", 0, 64, 2, {crashQuestion}, false, true},
        {"a copy cut short", ":s pn run\n:mkdir sent {\n:s at 1\n", 0, 64, 2, {crashQuestion}, false, true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        leaveCrash(c.marker);
        erroredExit = c.errored;
        m_userFlags = c.flags;
        host.calls.clear();
        host.answers = {c.button};
        std::remove(data.file("registry.txt").c_str());
        size_t traced = trace.text().size();
        EXPECT_EQ(inquireAboutSendingErrorReport(), 0);
        EXPECT_EQ(host.calls, c.calls);
        EXPECT_EQ((m_userFlags & 0x1000) != 0, c.neverAskAfter);
        bool declinedNow = c.neverAskAfter && !(c.flags & 0x1000);
        EXPECT_EQ(pathExists(data.file("registry.txt")), declinedNow);
        if (declinedNow) {
            EXPECT_NE(readWholeFile(data.file("registry.txt")).find(":set uflags 4160"), std::string::npos);
        }
        EXPECT_FALSE(pathExists(data.file("crash")));
        EXPECT_EQ(exitSaver, 0) << exitMsg;
        if (c.setAside)
            EXPECT_NE(trace.text().find("crash/isRunning.txt.damaged", traced), std::string::npos);
        // The marker of the run before goes unless the question was skipped for good.
        EXPECT_EQ(pathExists(data.file("isRunning.txt")), (c.flags & 0x1000) != 0);
        root.deleteChild("pn");
        root.deleteChild("sof");
        resetExitState();
    }
}

TEST_F(ErrorReport, CrashFolderRemovalStaysInTheDataFolder) {
    std::filesystem::create_directories(data.file("crash/deep"));
    clearCrashDirectory();
    EXPECT_FALSE(pathExists(data.file("crash")));
    EXPECT_TRUE(pathExists(data.path()));
    Cstring saved = appDataDir;
    appDataDir = "relative/"; // never a folder relative to wherever the process runs
    std::filesystem::create_directories(data.file("crash"));
    clearCrashDirectory();
    appDataDir = saved;
    EXPECT_TRUE(pathExists(data.file("crash")));
}

TEST_F(ErrorReport, ShopMessageIsAValueNeverScript) {
    host.answers = {0};
    EXPECT_EQ(ShowMessage("Before||Go", nullptr, 1), 1); // no shop keeper: a message box
    ASSERT_EQ(host.calls.size(), 1u);
    EXPECT_EQ(host.calls[0], "message Before /  [Go]");

    // A shop without a control panel has no page to show it on: a message box too, and
    // nothing of the text runs.
    CdirectoryVar keeper;
    shopKeeperDirectory = &keeper;
    char const sneaky[] = "quoted\" :set hacked 1 :s more \"";
    host.answers = {0};
    EXPECT_EQ(ShowMessage(sneaky, "title", 3), 1);
    shopKeeperDirectory = nullptr;
    EXPECT_EQ(keeper.findVariable("hacked"), nullptr);
    ASSERT_EQ(host.calls.size(), 2u);
    EXPECT_EQ(host.calls[1].rfind("message title / quoted", 0), 0u) << host.calls[1];
    EXPECT_TRUE(exitReasonList.empty()) << exitMsg.c_str();
}

} // namespace
