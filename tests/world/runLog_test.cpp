// The run log, the newest-file lookup and the small text helpers of the run-phase code.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <filesystem>

#include "support/globals.h"
#include "testSupport.h"
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
