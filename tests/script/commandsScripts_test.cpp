// Script commands: runString, loadScript, runScript, addScript and kin, cerr.
#include "scriptTestSupport.h"

namespace {

using ScriptCommands = CommandTest;

TEST_F(ScriptCommands, LoadScriptRunsAFileAndReportsAMissingOne) {
    writeWholeFile(data.file("part.txt"), ":float fromFile 9\n");
    ASSERT_EQ(run((":loadScript " + data.file("part.txt")).c_str()), 0);
    EXPECT_EQ(number("fromFile"), 9);

    // "-n": a missing file runs nothing and is no error.
    EXPECT_EQ(run((":loadScript " + data.file("none.txt") + " -n :float after 1").c_str()), 0);
    EXPECT_TRUE(exitReasonList.empty());
    EXPECT_EQ(number("after"), 1);

    EXPECT_EQ(run((":loadScript " + data.file("none.txt") + " :float never 1").c_str()), 2);
    EXPECT_EQ(lastReason(), "loadscript error " + data.file("none.txt"));
    EXPECT_EQ(root.findVariable("never"), nullptr);
}

TEST_F(ScriptCommands, RunScriptForms) {
    ASSERT_EQ(run(":script bump { :float hit 1 } :mkdir obj :cd obj { :runString \":float made 3\" }"), 0);
    EXPECT_EQ(number("obj/made"), 3); // runString runs on the target
    // One token: a stored script found upward, run on this.
    ASSERT_EQ(run(":runScript bump"), 0);
    EXPECT_EQ(number("hit"), 1);
    // Two tokens: run object, then script.
    ASSERT_EQ(run(":runScript obj bump"), 0);
    EXPECT_EQ(number("obj/hit"), 1);
    // "!": the rest is script text, kept whole by the quotes.
    ASSERT_EQ(run(":runScript \"!:float inl 4\""), 0);
    EXPECT_EQ(number("inl"), 4);
    // A block with the inline form is allowed.
    ASSERT_EQ(run(":runScript \"!:float inl2 5\" { :float ignored 1 }"), 0);
    EXPECT_EQ(number("inl2"), 5);
}

TEST_F(ScriptCommands, RunScriptFailures) {
    ASSERT_EQ(run(":script bump { :float hit 1 }"), 0);
    struct {
        char const* line;
        char const* reason;
    } cases[] = {
        {":runScript nothing", "Couldn't find script nothing"},
        {":runScript nobody bump", "Couldn't find run object nobody"},
        {":runScript bump { :float x 1 }", "scerr"},
        {":runScript a b c { :float x 1 }", "scerr"},
    };
    for (auto const& c : cases) {
        reset();
        EXPECT_EQ(run(c.line), 2) << c.line;
        EXPECT_EQ(lastReason(), c.reason) << c.line;
    }
    // The miswritten block is a script error, not the end of the process.
    EXPECT_EQ(scriptError, 1);
}

TEST_F(ScriptCommands, AddScriptMakesPathsKeepsTheFolderAndRefusesOtherKinds) {
    root.setDiskPath("/some/folder/");
    ASSERT_EQ(run(":addScript deep/er/s { :x 1 }"), 0);
    Cvariable* s = root.findVariable("deep/er/s");
    ASSERT_NE(s, nullptr);
    ASSERT_EQ(s->getClass(), CLASS_SCRIPT);
    EXPECT_EQ(static_cast<CscriptVar*>(s)->diskPath, "/some/folder/");
    // Without a block nothing is made.
    ASSERT_EQ(run(":addScript empty"), 0);
    EXPECT_EQ(root.findVariable("empty"), nullptr);
    // A value of that name cannot take lines.
    ASSERT_EQ(run(":float notScript 1"), 0);
    EXPECT_EQ(run(":script notScript { :x }"), 2);
    EXPECT_EQ(lastReason(), "couldn't make scriptvar");
}

TEST_F(ScriptCommands, CerrWritesEachTokenBetweenMarks) {
    ASSERT_EQ(run(":float val 2 :cerr ($val*3) word $val"), 0);
    EXPECT_NE(trace.text().find("CERR >6<>word<>2<"), std::string::npos) << trace.text();
}

} // namespace
