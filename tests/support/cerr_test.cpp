#include <gtest/gtest.h>

#include "host/osFunctions.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/globals.h"
#include "testSupport.h"
#include <string>

namespace {

// Every test starts with no file, no channels and no exit recorded.
class TraceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        closeStdout();
        allowErrorChannels = 0;
        errorChannels = 0;
        framesUntilNoOutput = 3;
        resetExitState();
    }
    void TearDown() override {
        closeStdout();
        allowErrorChannels = 0;
        resetExitState();
    }
    ScopedDataFolder data;
};

TEST_F(TraceTest, TraceLinesReachTheFileOnlyOnOpenChannels) {
    ASSERT_EQ(openStdout("trace.txt"), 0);
    VTRACE(1, "first " << 42);
    closeErrorChan(1); // bit number 1 is the verbose channel (mask 2)
    VTRACE(2, "hidden");
    EXPECT_EQ(openErrorChan(40), 0u); // out of range
    EXPECT_EQ(openErrorChan(5), 32u);
    EXPECT_EQ(errorChannels & 32, 0u); // not allowed
    closeStdout();
    std::string text = readWholeFile(data.file("trace.txt"));
    EXPECT_NE(text.find("first 42\n"), std::string::npos);
    EXPECT_EQ(text.find("hidden"), std::string::npos);
    unsigned long mask = 0;
    setBit(mask, 3);
    setBit(mask, 33);
    EXPECT_EQ(mask, 8ul);
}

TEST_F(TraceTest, ExitReasonBookkeeping) {
    // An exit enters the closing phase through the world's slot.
    static std::string enteredPhase;
    enteredPhase.clear();
    engineHooks.enterRunPhase = [](char const* phase, bool) { enteredPhase = phase; };

    setExit("user quit"); // a plain exit is no error
    EXPECT_EQ(erroredExit, 0);
    EXPECT_EQ(exitSaver, 1);
    EXPECT_EQ(exitMsg, "");
    resetExitState();
    setExitError("first", 0);
    setExitError("second", 0);
    ASSERT_EQ(exitReasonList.size(), 1u); // the first reason is kept, the messages join
    EXPECT_EQ(exitReasonList[0], "first");
    EXPECT_EQ(exitMsg, "firstsecond");
    EXPECT_EQ(erroredExit, 1);
    EXPECT_EQ(startRunOrQuit, 2);
    EXPECT_EQ(sendErrorReport, 1);
    EXPECT_EQ(mendwellArgument, "-f");
    EXPECT_EQ(enteredPhase, "closing");
    engineHooks.enterRunPhase = nullptr;

    resetExitState();
    ignoreSubsequentErrors = 1;
    setExitError("first", 0);
    setExitError("second", 0);
    EXPECT_EQ(exitMsg, "");
    EXPECT_EQ(exitReasonList.size(), 1u);

    exitReasonList = {Cstring("disk full")};
    erroredExit = 1;
    skipNSAlert = 1;
    showError();
    EXPECT_EQ(exitMsg, "Velmora encountered an issue: disk full");
}

// An exit held back: the step that failed sees it as usual, the closing phase waits for the
// end of the hold, and a forgotten exit leaves the bookkeeping as before the hold.
TEST_F(TraceTest, HeldExitsWaitOrAreForgotten) {
    static int closings;
    engineHooks.enterRunPhase = [](char const*, bool) { closings++; };
    struct {
        bool forget, nested, exitBefore;
        int closingsAtEnd;
    } const cases[] = {{true, false, false, 0},
                       {false, false, false, 1},
                       {true, true, false, 0},
                       {false, true, false, 1},
                       {true, false, true, 1}};
    for (auto const& c : cases) {
        resetExitState();
        closings = 0;
        if (c.exitBefore) setExitError("before", 1);
        int closingsBefore = closings;
        {
            CexitHold hold;
            if (c.nested) {
                CexitHold inner;
                setExitError("inside", 1);
                EXPECT_EQ(closings, closingsBefore);
            } else {
                setExitError("inside", 1);
            }
            EXPECT_EQ(exitSaver, 1); // the failing step stops as it would
            EXPECT_EQ(erroredExit, 1);
            EXPECT_TRUE(hold.exitRecorded());
            EXPECT_EQ(hold.reason(), "inside");
            EXPECT_EQ(closings, closingsBefore) << "the closing phase waits";
            if (c.forget) hold.forget();
        }
        EXPECT_EQ(closings, c.closingsAtEnd);
        bool exitStands = !c.forget || c.exitBefore;
        EXPECT_EQ(exitSaver, exitStands ? 1 : 0);
        EXPECT_EQ(erroredExit, exitStands ? 1 : 0);
        EXPECT_EQ(startRunOrQuit, exitStands ? 2 : -1);
        EXPECT_EQ(std::string(exitMsg.c_str()),
                  c.exitBefore ? (c.forget ? "before" : "beforeinside") : (c.forget ? "" : "inside"));
        EXPECT_EQ(exitReasonList.size(), exitStands ? 1u : 0u);
    }
    engineHooks.enterRunPhase = nullptr;
}

TEST(ValueChecks, LegalTestMakeLegalAndByteSwap) {
    struct Case {
        float value;
        bool illegal;
    } cases[] = {{9999999.0f, false}, {10000000.0f, true}, {-1000000.0f, true}, {-999999.0f, false}};
    for (auto c : cases)
        EXPECT_EQ(legalTest("v", c.value), c.illegal) << c.value;
    float f = 5;
    EXPECT_FALSE(makeLegal(f, 0, 10, 1));
    EXPECT_EQ(f, 5);
    f = 11;
    EXPECT_TRUE(makeLegal(f, 0, 10, 1));
    EXPECT_EQ(f, 1);

    unsigned char b[4] = {1, 2, 3, 4};
    swapEndian = 0;
    organize4bits(b);
    EXPECT_EQ(b[0], 1);
    swapEndian = 1;
    organize4bits(b);
    EXPECT_EQ(b[0], 4);
    EXPECT_EQ(b[3], 1);
    organize2bits(b);
    EXPECT_EQ(b[0], 3);
    setSwapEndian();
    EXPECT_EQ(swapEndian, 0);
}

} // namespace
