#include <gtest/gtest.h>

#include "host/osFunctions.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/globals.h"
#include "testSupport.h"
#include <sstream>
#include <string>
#include <vector>

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

// A trace file stops at its limit with one closing line, whatever the sizes of the writes
// that reach it, and starts again whole when the file is opened anew.
TEST(CappedTrace, StopsAtItsLimitWithOneClosingLine) {
    std::string const note = "\n... the trace stops here: this file is full\n";
    struct {
        char const* name;
        std::streamsize limit;
        std::vector<std::string> writes;
        std::string kept; // before the note; empty with stopped false: everything kept
        bool stopped;
    } const cases[] = {
        {"under the limit", 20, {"abc\n", "def\n"}, "abc\ndef\n", false},
        {"exactly the limit", 8, {"abc\n", "def\n"}, "abc\ndef\n", false},
        {"a write past it", 6, {"abc\n", "def\n", "ghi\n"}, "abc\n", true},
        {"single characters", 2, {"a", "b", "c", "d"}, "ab", true},
        {"nothing fits", 0, {"x"}, "", true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        std::stringbuf target;
        CcappedTraceBuf capped;
        capped.reset(&target, c.limit);
        std::ostream out(&capped);
        for (std::string const& w : c.writes)
            if (w.size() == 1)
                out.put(w[0]);
            else
                out << w << std::flush;
        EXPECT_TRUE(out.good());
        EXPECT_EQ(capped.stopped(), c.stopped);
        EXPECT_EQ(target.str(), c.kept + (c.stopped ? note : ""));
        capped.reset(&target, 100); // a new file: whole again
        out << "more";
        EXPECT_FALSE(capped.stopped());
        EXPECT_EQ(target.str().substr(target.str().size() - 4), "more");
    }
}

// With a way to empty its target, a full buffer begins again after a line that says so; when
// emptying fails, or a write could never fit, it stops as without one.
std::stringbuf rotated;
bool emptyRotated() {
    rotated.str("");
    return true;
}
bool cannotEmpty() {
    return false;
}

TEST(CappedTrace, BeginsAgainWhenItsTargetCanBeEmptied) {
    std::string const again = "... the earlier lines of this run were dropped: the file was full\n";
    std::string const stop = "\n... the trace stops here: this file is full\n";
    struct {
        char const* name;
        bool (*whenFull)();
        std::streamsize limit;
        std::string expected;
    } const cases[] = {
        {"begun again", emptyRotated, 100, again + std::string(30, 'c')},
        {"emptying fails", cannotEmpty, 100, std::string(40, 'a') + std::string(40, 'b') + stop},
        {"too small for the note", emptyRotated, 40, std::string(40, 'a') + stop},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        rotated.str("");
        CcappedTraceBuf capped;
        capped.whenFull = c.whenFull;
        capped.reset(&rotated, c.limit);
        std::ostream out(&capped);
        out << std::string(40, 'a') << std::string(40, 'b') << std::string(30, 'c');
        EXPECT_EQ(rotated.str(), c.expected);
    }
}

// A full run-phase file begins again with a line that says so and keeps the latest lines; a
// file opened anew starts whole.
TEST_F(TraceTest, AFullRunPhaseFileBeginsAgain) {
    ASSERT_EQ(openStdout("trace.txt"), 0);
    stdoutObject.capped.reset(stdoutObject.file.rdbuf(), 200);
    for (int i = 0; i < 8; i++)
        VTRACE(1, "line " << i << " of the run, padded out"); // 30 bytes
    closeStdout();
    std::string text = readWholeFile(data.file("trace.txt"));
    EXPECT_EQ(text.rfind("... the earlier lines of this run were dropped", 0), 0u) << text;
    EXPECT_EQ(text.find("line 0 "), std::string::npos) << text;
    EXPECT_NE(text.find("line 7 of the run, padded out\n"), std::string::npos) << text;
    EXPECT_LE(text.size(), 200u);
    ASSERT_EQ(openStdout("trace2.txt"), 0);
    VTRACE(1, "after reopening");
    closeStdout();
    EXPECT_NE(readWholeFile(data.file("trace2.txt")).find("after reopening\n"), std::string::npos);
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
    ASSERT_EQ(exitReasonList.size(), 1u); // the first reason is kept, the messages join apart
    EXPECT_EQ(exitReasonList[0], "first");
    EXPECT_EQ(exitMsg, "first; second");
    setExitError("", 0);
    setExitMessage(" done.");
    setExitError("Next", 0);
    EXPECT_EQ(exitMsg, "first; second done. Next");
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
