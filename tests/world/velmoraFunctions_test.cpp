// The run phases and their marker, the run log, the newest-file lookup and the small text
// helpers of the run-phase code.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>

#include "support/cerr.h"
#include "support/globals.h"
#include "testSupport.h"
#include "world/engineWiring.h"
#include "world/velmoraFunctions.h"

namespace {

class RunPhases : public ::testing::Test {
  protected:
    void SetUp() override {
        wireEngineHooks();
        reset();
    }
    void TearDown() override {
        closeStdout();
        reset();
    }
    static void reset() {
        resetExitState();
        stdoutFilename = "";
        phaseName = "";
        global_isPreview = 0;
        allowStdoutFile = 1;
    }
    std::string marker() const { return readWholeFile(data.file("isRunning.txt")); }
    ScopedDataFolder data;
};

// A clean run: each phase with a file of its own opens it and rewrites the marker; "done"
// removes the marker.
TEST_F(RunPhases, CleanLifeCycle) {
    enterRunPhase("initGlobals", false);
    EXPECT_FALSE(pathExists(data.file("isRunning.txt")));
    EXPECT_TRUE(pathExists(data.file("stdout_init.txt")));

    enterRunPhase("openShop", true);
    EXPECT_EQ(marker(), ":s pn openShop\n:s sof stdout_startup.txt\n");
    VTRACE(1, "startup trace line");

    enterRunPhase("loadup", true); // no file of its own: the marker stays
    EXPECT_EQ(marker(), ":s pn openShop\n:s sof stdout_startup.txt\n");
    EXPECT_EQ(phaseName, "loadup");

    enterRunPhase("run", true);
    EXPECT_EQ(marker(), ":s pn run\n:s sof stdout_run.txt\n");
    std::remove(data.file("isRunning.txt").c_str());
    enterRunPhase("run", true); // the same file again: no rewrite
    EXPECT_FALSE(pathExists(data.file("isRunning.txt")));
    enterRunPhase("closing", true);
    EXPECT_TRUE(pathExists(data.file("isRunning.txt")));

    enterRunPhase("done", true);
    EXPECT_FALSE(pathExists(data.file("isRunning.txt")));
    closeStdout();
    EXPECT_NE(readWholeFile(data.file("stdout_startup.txt")).find("startup trace line"), std::string::npos);
}

TEST_F(RunPhases, ErroredRunKeepsMarkerAndMarksFiles) {
    enterRunPhase("run", true);
    ASSERT_TRUE(pathExists(data.file("isRunning.txt")));
    setExitError("broken tank", 0); // enters "closing" with the error already set
    EXPECT_TRUE(pathExists(data.file("Xstdout_closing.txt")));
    EXPECT_EQ(marker(), ":s pn run\n:s sof stdout_run.txt\n");
    enterRunPhase("done", true);
    EXPECT_TRUE(pathExists(data.file("isRunning.txt")));
}

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

} // namespace
