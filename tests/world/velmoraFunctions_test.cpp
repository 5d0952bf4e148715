#include <gtest/gtest.h>

#include "support/cerr.h"
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

} // namespace
