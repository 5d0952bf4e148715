// Script commands (runString, loadScript, runScript, cerr), tree commands (delete, saveVar,
// setmask, setParent, setPath, forEachChild) and the failures of every command that stops a run.
#include <filesystem>

#include "script/variableSearch.h"
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

// A script file of the data folder may have been written by the network: one that does not
// parse or fails is set aside and the run goes on, and it may not end the process.
TEST_F(ScriptCommands, ADataFolderScriptThatFailsIsSetAside) {
    struct {
        char const* text;
        bool setAside;
    } cases[] = {
        {":float fine 1\n", false},
        {"junk :a\n", true},
        {":noSuchCommand 1\n", true},
        {":exit0 bye\n", true},
    };
    for (auto const& c : cases) {
        reset();
        writeWholeFile(data.file("msg.txt"), c.text);
        EXPECT_EQ(run(":loadScript [APD]msg.txt :float after 1"), 0) << c.text;
        EXPECT_EQ(number("after"), 1) << c.text;
        EXPECT_TRUE(exitReasonList.empty()) << c.text << lastReason();
        EXPECT_EQ(pathExists(data.file("msg.txt.damaged")), c.setAside) << c.text;
        EXPECT_NE(pathExists(data.file("msg.txt")), c.setAside) << c.text;
        // The viewer is told the file's own place and name, never a folder keyword.
        std::string told;
        for (Cstring const& note : takeViewerNotes())
            told += note.c_str();
        EXPECT_EQ(told.find(data.file("msg.txt.damaged") + ", and") != std::string::npos, c.setAside) << told;
        EXPECT_EQ(told.find("rename it back to msg.txt.") != std::string::npos, c.setAside) << told;
        EXPECT_EQ(told.find("[APD]"), std::string::npos) << told;
        std::filesystem::remove(data.file("msg.txt.damaged"));
    }
    // What fails once the file is read is not laid at its door.
    reset();
    writeWholeFile(data.file("msg.txt"), ":float fine 1\n");
    EXPECT_NE(run(":loadScript [APD]msg.txt :exiterr later"), 0);
    EXPECT_EQ(lastReason(), "later");
    EXPECT_EQ(std::string(exitOwnFile.c_str()), "");
}

// A script file's ":addScript" replaces the lines of the script it names each time it runs;
// ":appendScript" adds its lines after those already there.
TEST_F(ScriptCommands, AddScriptFromAFileReplacesAndAppendScriptKeeps) {
    writeWholeFile(data.file("add.txt"), ":addScript s {\n :float a 1\n :float b 2\n}\n");
    writeWholeFile(data.file("append.txt"), ":appendScript s {\n :float c 3\n}\n");
    struct {
        char const* file;
        int lines;
    } const steps[] = {{"add.txt", 2}, {"add.txt", 2}, {"append.txt", 3}, {"append.txt", 4}, {"add.txt", 2}};
    for (auto const& step : steps) {
        ASSERT_EQ(run((":loadScript " + data.file(step.file)).c_str()), 0) << step.file;
        Cvariable* script = root.findVariable("s");
        ASSERT_NE(script, nullptr);
        EXPECT_EQ(script->countChildren(-1), step.lines) << step.file;
    }
    ASSERT_EQ(run(":runScript s"), 0);
    EXPECT_EQ(number("a"), 1);
    EXPECT_EQ(number("b"), 2);
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

// Commands that stop the run with an exit reason: the lines after them never run. Each case
// runs its set-up first, on a fresh tree named "top".
TEST_F(ScriptCommands, FailuresStopTheRunWithTheirReason) {
    std::string const rotater =
        ":float count 2 :rotater r { :array x 1 one :array x 2 two } :rotate r master count";
    struct Case {
        std::string setUp;
        char const *line, *reason;
    } const cases[] = {
        {":script bump { :float hit 1 }", ":runScript nothing", "Couldn't find script nothing"},
        {":script bump { :float hit 1 }", ":runScript nobody bump", "Couldn't find run object nobody"},
        {":script bump { :float hit 1 }", ":runScript bump { :float x 1 }", "scerr"},
        {":script bump { :float hit 1 }", ":runScript a b c { :float x 1 }", "scerr"},
        {":float notScript 1", ":script notScript { :x }", "couldn't make scriptvar"},
        {"", ":delete gone 1", "delete gone, var not found"},
        {"", ":delete .", "delete . refused: the root of its tree"}, // its owner once kept a freed root
        {":dir a :dir b", ":cd b { :setParent nowhere }", "parent not found"},
        {"", ":setPath missing d", "setpath error: variable missing not found"},
        {":dir a", ":cd nowhere { :int n 4 }", "bad cd to nowhere from top"},
        {"", ":save ghost", "save command didn't find var ghost"},
        {rotater, ":rotate nothing next", "Couldn't find rotater: nothing"},
        {rotater, ":rotate r sideways", "nofind rotate token"},
        {rotater, ":rotate r master nowhere", "nofind rotater master master nowhere"},
        {rotater, ":rotate r masterExclusive $gone", "nofind rotater master masterExclusive gone"},
        {":float count 4 :rotater r { :set main M }", ":rotate r master count",
         "rotater r has no values to choose from, value was 4.000000"},
        {"", ":exiterr broke", "broke"},
        {"", ":setExitErr broke", "broke"},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.line);
        reset();
        CdirectoryVar tree;
        tree.setName("top");
        ASSERT_EQ(runStringScript(&tree, c.setUp.c_str()), 0) << lastReason();
        EXPECT_EQ(runStringScript(&tree, (c.line + std::string(" :float never 1")).c_str()), 2);
        EXPECT_EQ(lastReason(), c.reason);
        EXPECT_NE(erroredExit, 0);
        EXPECT_EQ(tree.findVariable("never"), nullptr);
    }
    // A miswritten block is a script error, not the end of the process.
    reset();
    EXPECT_EQ(run(":script bump { :float hit 1 } :runScript bump { :float x 1 }"), 2);
    EXPECT_EQ(scriptError, 1);
}

using TreeCommands = CommandTest;

// delete finds its node upward and passes over a missing one (with a second token it stops
// the run); setParent moves the target under a sibling.
TEST_F(TreeCommands, DeleteAndSetParent) {
    ASSERT_EQ(run(":float keep 1 :float gone 2 :dir a :mkdir b { :float inner 3 }"), 0);
    ASSERT_EQ(run(":cd b { :delete gone } :delete gone :cd a { :setParent b } :float after 1"), 0);
    EXPECT_EQ(root.findVariable("gone"), nullptr);
    EXPECT_NE(root.findVariable("keep"), nullptr);
    EXPECT_NE(root.findVariable("after"), nullptr);
    EXPECT_NE(root.findVariable("b/a"), nullptr);
    EXPECT_EQ(root.getChild("a", 0), nullptr);
}

TEST_F(TreeCommands, SaveVarWritesTheSubtreeAndNeedsEveryToken) {
    ASSERT_EQ(run(":mkdir cfg { :float speed 2.5 }"), 0);
    root.findVariable("cfg")->setSave(1);
    root.findVariable("cfg/speed")->setSave(1);
    std::string file = data.file("cfg.txt");
    ASSERT_EQ(run((":saveVar cfg " + file + " 0 0").c_str()), 0);
    std::string written = readWholeFile(file);
    EXPECT_NE(written.find("speed"), std::string::npos) << written;
    EXPECT_NE(written.find("2.5"), std::string::npos) << written;

    // A missing node writes nothing and is no error.
    EXPECT_EQ(run((":saveVar nothing " + data.file("none.txt") + " 0 0").c_str()), 0);
    EXPECT_FALSE(pathExists(data.file("none.txt")));
    EXPECT_EQ(run(":saveVar cfg [APD]short.txt"), 2);
    EXPECT_FALSE(pathExists(data.file("short.txt")));
}

TEST_F(TreeCommands, SetmaskSetsAndClearsBits) {
    ASSERT_EQ(run(":int bits 5 :s word abc"), 0);
    struct {
        char const* line;
        int expected;
    } cases[] = {
        {":setmask bits 2", 7},    {":setmask bits 4 0", 3},   {":setmask bits 8 1", 11},
        {":setmask bits 1 0", 10}, {":setmask nothing 1", 10},
    };
    for (auto const& c : cases) {
        ASSERT_EQ(run(c.line), 0) << c.line;
        EXPECT_EQ(number("bits"), c.expected) << c.line;
    }
    // Text variables are left alone.
    EXPECT_EQ(run(":setmask word 1"), 0);
    EXPECT_EQ(text("word"), "abc");
}

TEST_F(TreeCommands, SetPathStoresAFullPath) {
    root.setName("top");
    ASSERT_EQ(run(":s where x :float n 1 :mkdir d { :float deep 1 }"), 0);
    ASSERT_EQ(run(":setPath where d/deep"), 0);
    EXPECT_EQ(text("where"), "top/d/deep");
    ASSERT_EQ(run(":setPath where nothing"), 0);
    EXPECT_EQ(text("where"), "");
    // Only text variables take a path.
    ASSERT_EQ(run(":setPath n d"), 0);
    EXPECT_EQ(number("n"), 1);
}

TEST_F(TreeCommands, ForEachChildRunsOnEveryChildEvenWhenTheyGo) {
    ASSERT_EQ(run(":mkdir list { :dir a :dir b :dir c }"), 0);
    ASSERT_EQ(run(":forEachChild list \":float mark 1\""), 0);
    for (char const* p : {"list/a/mark", "list/b/mark", "list/c/mark"})
        EXPECT_NE(root.findVariable(p), nullptr) << p;

    // Each run deletes the child it runs on: every child still gets its turn.
    ASSERT_EQ(run(":forEachChild list \":float seen 1 :delete .\""), 0);
    EXPECT_EQ(root.findVariable("list")->firstChild, nullptr);
    EXPECT_EQ(variableTrashDir->countChildren(-1), 3);
    for (Cvariable* c = variableTrashDir->firstChild; c; c = c->nextSibling)
        EXPECT_NE(c->getChild("seen", 0), nullptr);
    emptyTrash();

    // A run that deletes a later sibling: that sibling is skipped, not visited after death.
    ASSERT_EQ(run(":mkdir two { :dir first :dir second }"), 0);
    ASSERT_EQ(run(":forEachChild two \":float hit 1 :delete ../second\""), 0);
    ASSERT_NE(root.findVariable("two/first/hit"), nullptr);
    EXPECT_EQ(root.findVariable("two/second"), nullptr);

    EXPECT_EQ(run(":forEachChild nothing \":float x 1\""), 0);
    EXPECT_NE(trace.text().find("***path nothing not found"), std::string::npos);
}

} // namespace
