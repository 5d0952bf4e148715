// Tree commands: delete, saveVar, setmask, setParent, addPath, setPath, forEachChild.
#include "scriptTestSupport.h"
#include "script/variableSearch.h"

namespace {

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
