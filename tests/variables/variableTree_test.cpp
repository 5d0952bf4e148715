// Paths, child lookup, child order, commands and the class factory.
#include <memory>

#include "variableTestSupport.h"
#include "variables/variableBasics.h"

namespace {

// root
//  ├ a ── x, x, abc, abd
//  └ b ── x
// (children listed in order; built with append)
class TreeTest : public VarTest {
  protected:
    void SetUp() override {
        VarTest::SetUp();
        root = std::make_unique<CdirectoryVar>();
        root->setName("root");
        a = child(root.get(), "a", CLASS_DIRECTORY);
        b = child(root.get(), "b", CLASS_DIRECTORY);
        ax0 = child(a, "x");
        ax1 = child(a, "x");
        abc = child(a, "abc");
        abd = child(a, "abd");
        bx = child(b, "x");
    }
    void TearDown() override {
        root.reset();
        EXPECT_EQ(liveSinceStart(), 0);
        VarTest::TearDown();
    }
    std::unique_ptr<CdirectoryVar> root;
    Cvariable *a, *b, *ax0, *ax1, *abc, *abd, *bx;
};

TEST_F(TreeTest, PathSegmentsUpTo1023CharactersAndLonger) {
    std::string longName(1023, 'n');
    Cvariable* deep = child(a, longName.c_str());
    child(deep, "leaf");
    EXPECT_NE(root->findVariable(("a/" + longName + "/leaf").c_str()), nullptr);
    std::string tooLong(5000, 'n');
    EXPECT_EQ(root->findVariable(("a/" + tooLong + "/leaf").c_str()), nullptr);
}

TEST_F(TreeTest, PositionsCountsAndWalks) {
    int index = -1;
    struct Case {
        Cvariable* got;
        Cvariable* want;
        char const* what;
    } const walks[] = {
        {a->getChild(-1), nullptr, "getChild(-1)"},
        {a->getChildNoErr(9), nullptr, "getChildNoErr"},
        {a->getChildAndIndex(Cstring("abc"), index), abc, "getChildAndIndex"},
        {ax1->goToLast(), abd, "goToLast"},
        {bx->getRoot(), root.get(), "getRoot"},
        {a->findPreviousChildTo(abc), ax1, "previous"},
        {a->findPreviousChildTo(bx), nullptr, "previous of absent"},
        {abd->marchNext(1, 0), nullptr, "march off the end"},
        {abd->marchNext(1, 1), ax0, "march wrapping"},
        {ax0->marchNext(-1, 0), nullptr, "march back off the front"},
        {ax0->marchNext(-1, 1), abd, "march back wrapping"},
        {root->marchNext(1, 1), nullptr, "march without parent"},
        {root->findFirstChildOfType(TYPE_DIRECTORY), a, "first of type"},
        {a->findFirstChildOfType(TYPE_DIRECTORY), nullptr, "none of type"},
        {a->getChild(4), nullptr, "getChild past the end"},
    };
    for (auto const& w : walks)
        EXPECT_EQ(w.got, w.want) << w.what;
    EXPECT_EQ(index, 2);
    EXPECT_EQ(a->childNum(bx), 3); // absent: position of the last child
    EXPECT_EQ(root->countChildren(TYPE_DIRECTORY), 2);
    EXPECT_EQ(bx->getMyDepthFromRoot(), 2);
}

TEST_F(TreeTest, NextSiblingOfTypeWrapsAndGivesUp) {
    Cvariable* f = child(a, "f", CLASS_FLOAT);
    EXPECT_EQ(ax0->findNextSiblingOfType(TYPE_FLOAT, 0), f);
    EXPECT_EQ(f->findNextSiblingOfType(TYPE_VAR, 0), ax0); // wraps to the first child
    EXPECT_EQ(abc->findNextSiblingOfType(TYPE_VAR, 2), ax0);
    EXPECT_EQ(exits(), "");
    EXPECT_EQ(ax0->findNextSiblingOfType(TYPE_ARRAY, 0), nullptr);
    EXPECT_TRUE(exited("fns error"));
}

TEST_F(TreeTest, FullPathAndPrefixSearch) {
    EXPECT_STREQ(bx->getFullPath('/').c_str(), "root/b/x");
    Cvariable* unnamed = child(b, "");
    EXPECT_STREQ(unnamed->getFullPath('.').c_str(), "root.b.unnamed");
    root->setName("");
    EXPECT_STREQ(bx->getFullPath('/').c_str(), "/b/x");
    std::vector<Cvariable*> found;
    a->findAndAddChildrenStartingWith("ab", found);
    EXPECT_EQ(found, (std::vector<Cvariable*>{abc, abd}));
    std::vector<Cvariable*> all{bx};
    EXPECT_EQ(a->fillVectorWithAllChildren(all), 4);
    EXPECT_EQ(all, (std::vector<Cvariable*>{ax0, ax1, abc, abd}));
}

// Records the order of trickle-down hooks.
class Recorder : public Cvariable {
  public:
    Recorder(std::string* log, char name) : log(log) { setName(std::string(1, name).c_str()); }
    void trickleDownPreChildProcessingMessage(int m, void*) override {
        log->append("<").append(name.c_str()).append(std::to_string(m));
    }
    void trickleDownPostChildProcessingMessage(int, void*) override { log->append(">").append(name.c_str()); }
    std::string* log;
};

TEST_F(VarTest, TrickleDownIsDepthFirstWithPreAndPostHooks) {
    std::string log;
    Recorder* n[4];
    for (int i = 0; i < 4; i++)
        n[i] = new Recorder(&log, "tpqr"[i]);
    Recorder* top = n[0];
    top->addVariable(n[1], 1);
    top->addVariable(n[2], 1);
    n[1]->addVariable(n[3], 1);
    top->trickleDownMessage(7, nullptr);
    EXPECT_EQ(log, "<t7<p7<r7>r>p<q7>q>t");
    delete top;
    EXPECT_EQ(liveSinceStart(), 0);
}

TEST_F(VarTest, ReorderingOperations) {
    CdirectoryVar p, q;
    Cvariable* v[4];
    for (int i = 0; i < 4; i++)
        v[i] = child(&p, std::to_string(i).c_str());
    p.reverseChildren();
    EXPECT_EQ(childNames(&p), "3210");
    v[1]->setAsFirstChild();
    v[3]->setAsLastChild();
    EXPECT_EQ(childNames(&p), "1203");
    child(&q, "q");
    v[2]->setFlag(VAR_SAVE, true);
    v[3]->setFlag(VAR_IN_TRASH, true);
    p.reparentChildrenWithFlag(VAR_SAVE | VAR_IN_TRASH, &q);
    EXPECT_EQ(childNames(&p), "10");
    EXPECT_EQ(childNames(&q), "32q"); // each added with prepend, in list order
    q.moveChildListToNewParent(&p);
    EXPECT_EQ(childNames(&p), "1032q");
    EXPECT_EQ(v[3]->parent, &p);
    int before = allocedVariables;
    p.limitChildren(2);
    EXPECT_EQ(childNames(&p), "10");
    EXPECT_EQ(allocedVariables, before - 3);
    p.limitChildren(0); // keeps at least one
    EXPECT_EQ(childNames(&p), "1");
}

TEST_F(VarTest, AddDirectoryReusesOrMakes) {
    CdirectoryVar root;
    CdirectoryVar* d = root.addDirectory("d", 0);
    EXPECT_EQ(root.addDirectory("d", 0), d);
    EXPECT_NE(d->flags & VAR_DIRECTORY, 0u);
    child(&root, "v");
    CdirectoryVar* v2 = root.addDirectory("v", 0);
    EXPECT_TRUE(exited("Tried to add dir v but a variable of different type already exists"));
    EXPECT_EQ(v2->getType(), TYPE_DIRECTORY);
    root.setFlag(VAR_UNIQUE_DIRECTORIES, true);
    EXPECT_NE(root.addDirectory("d", 0), d);
    EXPECT_EQ(root.countChildren(TYPE_DIRECTORY), 3);
    EXPECT_EQ(d->findDirectoryOrMake("e", true), d->findDirectoryOrMake("e", false));
}

TEST_F(VarTest, DirectoryHelpers) {
    CdirectoryVar dir;
    EXPECT_EQ(dir.getArray("pos"), nullptr);
    Cvariable* e = dir.getArrayVarElementOrMake("pos", 3, CLASS_FLOAT, 2.0f);
    ASSERT_NE(e, nullptr);
    Cvariable* array = dir.getArray("pos");
    ASSERT_NE(array, nullptr);
    EXPECT_EQ(childNames(array), "vvvv");
    EXPECT_EQ(array->getChild(3), e);
    EXPECT_EQ(array->getChild(0)->getFloat(), 2.0);
    EXPECT_EQ(dir.getArrayVarElementOrMake("pos", 1, CLASS_FLOAT, 9.0f), array->getChild(1));
    EXPECT_EQ(array->getChild(1)->getFloat(), 2.0); // found, not refilled
    child(&dir, "notArray", CLASS_INT);
    EXPECT_EQ(dir.getArray("notArray"), nullptr);
    EXPECT_TRUE(exited("tried to find dir but got something else"));
    child(&dir, "title", CLASS_STRING)->setString("hello");
    child(&dir, "count", CLASS_INT)->setInt(3);
    EXPECT_STREQ(dir.getStringVarValueOrReturnDefault("title", "dflt"), "hello");
    EXPECT_STREQ(dir.getStringVarValueOrReturnDefault("count", "dflt"), "dflt");
    EXPECT_STREQ(dir.getStringVarValueOrReturnDefault("none", "dflt"), "dflt");
}

// Keywords match exactly; a class the factory cannot make gives nothing.
TEST_F(VarTest, StringToVariableType) {
    EXPECT_EQ(stringToVariableType(Cstring("dir")), CLASS_DIRECTORY);
    for (char const* bad : {"Int", "", "strings"}) {
        resetExitState();
        EXPECT_EQ(stringToVariableType(Cstring(bad)), CLASS_VAR) << bad;
        EXPECT_EQ(exits(), "umtUNSET");
    }
    resetExitState();
    EXPECT_EQ(makeVariable("s", "script"), nullptr);
    EXPECT_EQ(exits(), "makeVariable unknown type 12");
    Cvariable* f = makeVariable("f", "float");
    EXPECT_EQ(f->getClass(), CLASS_FLOAT);
    delete f;
}

// Every value access of a plain node records an error and reads as empty or zero.
TEST_F(VarTest, PlainNodeHoldsNoValue) {
    Cvariable v;
    v.setName("plain");
    v.setElem_char(0, "1");
    v.setElem_float(0, 1.0);
    v.setElem_int(0, 1);
    v = "text";
    v.setFloat(2);
    EXPECT_STREQ(v.getElem_char(0), "");
    EXPECT_EQ(v.getElem_float(0), 0.0);
    EXPECT_EQ(v.getElem_int(0), 0);
    EXPECT_EQ(v.getInt(), 0);
    std::string errors = exits();
    int count = 0;
    for (size_t at = errors.find(" in var plain"); at != std::string::npos;
         at = errors.find(" in var plain", at + 1))
        count++;
    EXPECT_EQ(count, 9) << errors;
    double value = 5;
    EXPECT_EQ(v.getLocalConstant(Cstring("x"), value), 1);
    EXPECT_EQ(value, 5);
}

TEST_F(VarTest, ANodeCannotBecomeItsOwnAncestor) {
    CdirectoryVar top;
    top.setName("top");
    Cvariable* mid = child(&top, "mid");
    Cvariable* low = child(mid, "low");
    EXPECT_EQ(low->addVariable(&top, 0), nullptr);
    EXPECT_TRUE(exited("variable would become its own ancestor in var top"));
    EXPECT_EQ(mid->addVariable(mid, 0), nullptr);
    mid->setParent(low, 0);
    EXPECT_EQ(mid->parent, &top);
    EXPECT_EQ(low->parent, mid);
    EXPECT_EQ(low->getRoot(), &top);
}

// A child whose parent link points elsewhere marks a damaged list: nothing moves and the
// saver winds down instead of ending the process.
TEST_F(VarTest, MovingADamagedChildListIsRefused) {
    CdirectoryVar p, q, stranger;
    Cvariable* a = child(&q, "a");
    Cvariable* b = child(&q, "b");
    a->parent = &stranger;
    q.moveChildListToNewParent(&p);
    EXPECT_TRUE(exited("prp"));
    EXPECT_EQ(childNames(&p), "");
    EXPECT_EQ(b->parent, &q);
    a->parent = &q;
}

} // namespace
