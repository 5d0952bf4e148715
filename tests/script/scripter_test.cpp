// Running scripts: command lookup order, conditionals, labels and error reporting; declaring,
// setting and saving variables from scripts.
#include <vector>

#include "scriptTestSupport.h"

namespace {

// A target that records the commands it is asked to handle and knows only "mark".
class Recorder : public CdirectoryVar {
  public:
    unsigned processCommand(CscriptHandler* handler, CscriptLine& line) override {
        if (line.name == "mark") {
            seen.push_back(line.tokenCount() ? line.tokens[0].c_str() : "");
            return 0;
        }
        return CdirectoryVar::processCommand(handler, line);
    }
    std::vector<std::string> seen;
};

class ScriptRun : public ScriptStateTest {
  protected:
    int run(char const* text) { return runStringScript(&target, text); }
    std::string seen() {
        std::string all;
        for (auto const& s : target.seen)
            all += s;
        return all;
    }

    ScopedDataFolder dataFolder; // exit reasons write the closing phase's file there
    Recorder target;
};

TEST_F(ScriptRun, ConditionalsPickOneBranch) {
    struct Case {
        char const* text;
        char const* ran;
    } cases[] = {
        {":if (1) { :mark a } :else { :mark b } :mark z", "az"},
        {":if (0) { :mark a } :else { :mark b } :mark z", "bz"},
        {":if (0) { :mark a } :elseif (1) { :mark b } :else { :mark c } :mark z", "bz"},
        {":if (0) { :mark a } :elseif (0) { :mark b } :else { :mark c } :mark z", "cz"},
        {":if (1) { :mark a } :elseif (1) { :mark b } :else { :mark c } :mark z", "az"},
        {":else { :mark e } :mark z", "ez"},
        {":if (1) :mark z", "z"},
        {":if (1) { :if (0) { :mark x } :else { :mark y } } :mark z", "yz"},
    };
    for (Case const& c : cases) {
        target.seen.clear();
        EXPECT_EQ(run(c.text), 0) << c.text;
        EXPECT_EQ(seen(), c.ran) << c.text;
        EXPECT_TRUE(exitReasonList.empty()) << c.text << ": " << lastReason();
    }
}

TEST_F(ScriptRun, LineOutcomes) {
    struct Case {
        char const* text;
        int result;
        char const* reason;
        char const* ran;
    } cases[] = {
        {":if 1 { :mark a } :mark z", 2, "bad if - not an equation", ""},
        {":if ($nope) { :mark a } :mark z", 2,
         "Evaluation failed: ($nope) / solver couldn't find float var: nope", ""},
        {":ab", 0, "", ""}, // too short to hold a command
        {":ssh :mark a", 0, "", "a"},
        {": :mark b", 0, "", "b"}, // an empty command word is skipped
        {":label fish7 :mark c", 0, "", "c"},
    };
    for (Case const& c : cases) {
        reset();
        target.seen.clear();
        EXPECT_EQ(run(c.text), c.result) << c.text;
        EXPECT_EQ(lastReason(), c.reason) << c.text;
        EXPECT_EQ(seen(), c.ran) << c.text;
    }
    EXPECT_STREQ(target.name.c_str(), "fish7");
    EXPECT_EQ(run(nullptr), 0);
    target.seen.clear();
    setExitError("earlier", 1); // an errored exit stops every run
    EXPECT_EQ(run(":mark a :mark b"), 2);
    EXPECT_EQ(seen(), "");
}

// Only keywords of the built-in table take a handler; a handler set there runs in place of
// the target's own command.
TEST_F(ScriptRun, BuiltinTableComesBeforeTheTarget) {
    static int builtinCalls = 0;
    BuiltinCommand saved = getBuiltinCommand("set");
    BuiltinCommand counting = [](CscriptHandler*, CscriptLine&, Cvariable**) {
        builtinCalls++;
        return 0;
    };
    ASSERT_EQ(setBuiltinCommand("set", counting), 0);
    EXPECT_EQ(setBuiltinCommand("mark", nullptr), 1);
    EXPECT_EQ(run(":set x 1 :mark a"), 0);
    setBuiltinCommand("set", saved);
    EXPECT_EQ(builtinCalls, 1);
    EXPECT_EQ(seen(), "a");
}

TEST_F(ScriptRun, NameChecksTheRunningFile) {
    TempDir dir;
    std::string path = dir.file("tank.txt");
    writeWholeFile(path, ":name " + path + "\n:mark ok\n");
    EXPECT_EQ(runDiskScript(&target, path.c_str()), 0);
    EXPECT_EQ(seen(), "ok");
    EXPECT_STREQ(scriptName.c_str(), ""); // restored afterwards
    std::string folder = dir.path().substr(0, dir.path().size() - 1);
    EXPECT_STREQ(target.getDiskPath().c_str(), folder.c_str());

    writeWholeFile(path, ":name other.txt\n:mark no\n");
    EXPECT_EQ(runDiskScript(&target, path.c_str()), 2);
    EXPECT_EQ(lastReason(), "not the correct script! scriptName=" + path + " but should be other.txt");
    EXPECT_EQ(seen(), "ok");
    EXPECT_EQ(runDiskScript(&target, dir.file("none.txt").c_str()), 0); // missing: runs nothing
}

// A directory runs its lines, a line runs itself; other kinds are refused.
TEST_F(ScriptRun, DispatchByKind) {
    CdirectoryVar lines;
    CscriptLine* l = new CscriptLine();
    l->name = "mark";
    l->addToken("d", TOKEN_LITERAL);
    lines.addVariable(l, 0);
    EXPECT_EQ(runScript(&target, &lines), 0);
    EXPECT_EQ(runScript(&target, l), 0);
    EXPECT_EQ(seen(), "dd");
    EXPECT_EQ(runScript(&target, static_cast<Cvariable*>(nullptr)), 0);
    CintVar value;
    EXPECT_EQ(runScript(&target, &value), 0);
    EXPECT_EQ(lastReason(), "can't run script from this object");
}

using ValueCommands = CommandTest;

TEST_F(ValueCommands, ArraysTakeElementsByTokenKind) {
    root.addVariableX("x", CLASS_STRING, 0)->setElem_char(0, "ex");
    ASSERT_EQ(run(":array list 1 #2 abc $x \"two words\""), 0);
    Cvariable* list = root.getChild("list", 0);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->countChildren(-1), 5);
    int classes[] = {CLASS_FLOAT, CLASS_INT, CLASS_STRING, CLASS_STRING, CLASS_STRING};
    char const* values[] = {"1", "2", "abc", "ex", "two words"};
    for (int i = 0; i < 5; i++) {
        EXPECT_EQ(list->getChild(i)->getClass(), classes[i]) << i;
        EXPECT_STREQ(list->getChild(i)->getElem_char(0), values[i]) << i;
    }
    ASSERT_EQ(run(":array float pos 1 2 3"), 0);
    Cvariable* pos = root.getChild("pos", 0);
    ASSERT_NE(pos, nullptr);
    EXPECT_EQ(pos->getClass(), CLASS_FLOAT_LINK);
    ASSERT_EQ(pos->elements(), 3);
    EXPECT_EQ(pos->getElem_float(2), 3.0);
}

TEST_F(ValueCommands, SetChecksElementsAndReadOnly) {
    auto* pos = static_cast<CfloatLinkVar*>(root.addVariableX("pos", CLASS_FLOAT_LINK, 0));
    pos->allocElements(3, 4);
    pos->zeroAllocedMem();
    ASSERT_EQ(run(":set pos 1 2 3"), 0);
    EXPECT_EQ(pos->getElem_float(0), 1.0);
    EXPECT_EQ(pos->getElem_float(2), 3.0);
    ASSERT_EQ(run(":set array pos 4 5"), 0);
    EXPECT_EQ(pos->getElem_float(1), 5.0);
    EXPECT_EQ(run(":set missing 1"), 0); // silently passed over

    scriptName = "tank.txt";
    EXPECT_EQ(run(":set pos 1 2 3 4 :int after 1"), 2);
    EXPECT_EQ(lastReason(), "elements out of range in :set for pos in scrpt:tank.txt");
    EXPECT_EQ(root.getChild("after", 0), nullptr);

    reset();
    scriptName = "tank.txt";
    root.addVariableX("fixed", CLASS_INT, 0)->setFlag(VAR_READ_ONLY, true);
    EXPECT_EQ(run(":set fixed 3"), 2);
    EXPECT_EQ(lastReason(), "set read-only var fixed not found in tank.txt");
    EXPECT_EQ(scriptError, 1);
    EXPECT_EQ(recommendReinstall, 1);

    // Elements of a text variable keep their text: read back as numbers they would be lost.
    reset();
    Cstring names[2];
    auto* link = static_cast<ClinkVar*>(root.addVariableX("names", CLASS_STRING_LINK, 0));
    link->setPointer(names);
    link->setNumElements(2);
    ASSERT_EQ(run(":set names 1.5 kelp"), 0);
    EXPECT_STREQ(names[0].c_str(), "1.5");
    EXPECT_STREQ(names[1].c_str(), "kelp");
    ASSERT_EQ(run(":set names \"only one\""), 0);
    EXPECT_STREQ(names[0].c_str(), "only one");
    link->clearPointer();
}

TEST_F(ValueCommands, SaveSetsAndClearsFlags) {
    Cvariable* item = root.addVariableX("item", CLASS_INT, 0);
    ASSERT_EQ(run(":save item"), 0);
    EXPECT_EQ(item->flags & (VAR_SAVE | VAR_SAVE_ALL_CHILDREN | VAR_SAVE_COMMAND),
              unsigned(VAR_SAVE | VAR_SAVE_ALL_CHILDREN | VAR_SAVE_COMMAND));
    ASSERT_EQ(run(":save item -1"), 0);
    EXPECT_EQ(item->flags & (VAR_SAVE | VAR_SAVE_COMMAND), 0u);
    item->flags = 0;
    ASSERT_EQ(run(":save item 0"), 0);
    EXPECT_EQ(item->flags & (VAR_SAVE | VAR_SAVE_ALL_CHILDREN | VAR_SAVE_COMMAND), unsigned(VAR_SAVE));
    ASSERT_EQ(run(":save :nosave :save"), 0);
    EXPECT_TRUE(root.doSave());
}

TEST_F(ValueCommands, RefusedChildrenAreNotLeaked) {
    // A node whose children are an adopted block takes no new ones; the commands must
    // free what they made (the leak checker watches this test).
    Cvariable* block = root.addDirectory("block", 0);
    block->setFlag(CHILDREN_ARE_ARRAY, true);
    EXPECT_EQ(run(":array block 1 #2 x \"y z\""), 2);
    EXPECT_EQ(lastReason(), "NONONO CHILDREN_ARE_ARRAY!!");
    EXPECT_EQ(block->firstChild, nullptr);
    reset();
    EXPECT_EQ(runStringScript(block, ":var v1"), 2);
    EXPECT_EQ(block->firstChild, nullptr);
    block->setFlag(CHILDREN_ARE_ARRAY, false);
}

} // namespace
