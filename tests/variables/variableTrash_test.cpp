// Deletion with children, deferred deletion into trash, adopted arrays.
#include "variableTestSupport.h"
#include "variables/variableLinks.h"

namespace {

class TrashTest : public VarTest {
  protected:
    void SetUp() override {
        VarTest::SetUp();
        emptyTrash();
        startCount = allocedVariables;
    }
    void TearDown() override {
        emptyTrash();
        EXPECT_EQ(liveSinceStart(), 0);
        VarTest::TearDown();
    }
};

TEST_F(TrashTest, DirectoryGoesWithItsChildren) {
    auto* dir = new CdirectoryVar();
    child(dir, "a");
    child(dir, "b", CLASS_FLOAT);
    child(child(dir, "c", CLASS_DIRECTORY), "deep", CLASS_STRING)->setString("text");
    dir->deleteChild("a");
    dir->deleteChild("zz");
    EXPECT_STREQ(dir->firstChild->name.c_str(), "b");
    EXPECT_EQ(liveSinceStart(), 4);
    deleteVariable(dir);
    EXPECT_EQ(liveSinceStart(), 0);
    deleteVariable(nullptr);
}

TEST_F(TrashTest, DeferredNodeGoesToTrashThenIsFreed) {
    CdirectoryVar tank;
    Cvariable* other = child(&tank, "other");
    Cvariable* thing = child(&tank, "thing", CLASS_DIRECTORY);
    child(thing, "part");
    thing->setFlag(VAR_DEFER_DELETE, true);
    int live = allocedVariables;
    deleteVariable(thing);
    EXPECT_FALSE(tank.hasChild(thing));
    EXPECT_EQ(tank.firstChild, other);
    EXPECT_EQ(variableTrashDir->firstChild, thing);
    EXPECT_TRUE(thing->hasFlag(VAR_IN_TRASH));
    EXPECT_FALSE(thing->hasFlag(VAR_DEFER_DELETE));
    EXPECT_NE(thing->getChild("part"), nullptr); // still whole until emptied
    EXPECT_EQ(allocedVariables, live);
    emptyTrash();
    EXPECT_EQ(allocedVariables, live - 2);
    emptyTrash(); // empty trash: nothing happens
    EXPECT_EQ(allocedVariables, live - 2);
}

// A trashed node deleted again goes at once; deleting the trash holder only empties it.
TEST_F(TrashTest, SecondDeleteOfATrashedNodeFreesItAtOnce) {
    auto* thing = new CdirectoryVar();
    thing->setFlag(VAR_DEFER_DELETE, true);
    deleteVariable(thing);
    EXPECT_EQ(liveSinceStart(), 1);
    deleteVariable(thing);
    EXPECT_EQ(liveSinceStart(), 0);
    Cvariable* other = new Cvariable();
    other->setFlag(VAR_DEFER_DELETE, true);
    deleteVariable(other);
    deleteVariable(variableTrashDir);
    EXPECT_EQ(variableTrashDir->firstChild, nullptr);
    EXPECT_EQ(liveSinceStart(), 0);
}

TEST_F(TrashTest, WidgetGoesToItsOwnTrashDirectory) {
    CdirectoryVar panel;
    CdirectoryVar* trash = panel.addDirectory("trash", 0);
    auto* widget = new CvarTrashDestined();
    widget->setName("button");
    widget->trashDir = trash;
    panel.addVariable(widget, 1);
    deleteVariable(widget);
    EXPECT_EQ(widget->parent, trash);
    EXPECT_EQ(widget->trashDir, nullptr);
    EXPECT_TRUE(widget->hasFlag(VAR_IN_TRASH));
    EXPECT_EQ(variableTrashDir->firstChild, nullptr);
    trash->deleteChildren();
    EXPECT_EQ(trash->firstChild, nullptr);
}

TEST_F(TrashTest, KeptChildSurvivesItsParent) {
    auto* parent = new CdirectoryVar();
    Cvariable* kept = child(parent, "kept");
    child(parent, "gone");
    kept->setDelete(0);
    delete parent;
    EXPECT_EQ(kept->parent, nullptr);
    EXPECT_EQ(kept->nextSibling, nullptr);
    EXPECT_EQ(liveSinceStart(), 1);
    delete kept;
}

// Counts prepareForDelete calls and notes whether the tree was still whole.
class Tidy : public Cvariable {
  public:
    void prepareForDelete() override {
        prepared++;
        hadParent = parent != nullptr;
    }
    int prepared = 0;
    bool hadParent = false;
};

TEST_F(TrashTest, PrepareForDeleteRunsWhileTheTreeIsIntact) {
    auto* dir = new CdirectoryVar();
    auto* marked = new Tidy();
    auto* unmarked = new Tidy();
    marked->setFlag(DO_PREPARE_FOR_DELETE, true);
    dir->addVariable(marked, 1);
    dir->addVariable(unmarked, 1);
    // Both survive (0x2) so their records can be read afterwards.
    marked->setDelete(0);
    unmarked->setDelete(0);
    delete dir;
    EXPECT_EQ(marked->prepared, 1);
    EXPECT_TRUE(marked->hadParent);
    EXPECT_EQ(unmarked->prepared, 0);
    deleteVariable(unmarked); // deleteVariable always asks
    delete marked;
}

TEST_F(TrashTest, SlaveHearsItsMasterGoWithTheParent) {
    struct Slave : Cvariable {
        void messageFromMaster(int m, Cvariable* from) override {
            last = m;
            master = from;
        }
        int last = 0;
        Cvariable* master = nullptr;
    } slave;
    auto* dir = new CdirectoryVar();
    Cvariable* master = child(dir, "m", CLASS_INT);
    master->addSlave(&slave, nullptr);
    delete dir; // not deleteVariable: the parent's deleteChildren must still tell
    EXPECT_EQ(slave.last, -1);
    EXPECT_EQ(slave.master, master);
}

TEST_F(TrashTest, AdoptedShortLinkArrayIsFreedOnce) {
    constexpr int n = 5;
    short values[n] = {1, 2, 3, 4, 5};
    auto* elements = new CshortLinkVar[n];
    for (int i = 0; i < n; i++)
        elements[i].setPointer(&values[i]);
    auto* points = new CfastChildArrayVar();
    points->setName("points");
    points->addChildArrays(elements, n, sizeof(CshortLinkVar), CLASS_SHORT_LINK);
    EXPECT_TRUE(points->hasFlag(CHILDREN_ARE_ARRAY));
    EXPECT_EQ(points->firstChild, &elements[0]);
    EXPECT_EQ(elements[2].parent, points);
    EXPECT_EQ(elements[2].flags & 0x20002u, 0x20002u);
    EXPECT_EQ(points->countChildren(-1), n);
    EXPECT_EQ(points->getChild(3)->getInt(), 4);
    EXPECT_EQ(points->getChild(n), nullptr); // bounded
    EXPECT_EQ(points->getChild(-1), nullptr);
    EXPECT_TRUE(traced("Too high child access in points.  Accessed 5/5"));
    EXPECT_EQ(points->findVariable("points"), nullptr);

    // Nothing may be linked into the block.
    Cvariable* stray = makeVariable("stray", CLASS_INT);
    EXPECT_EQ(points->addVariable(stray, 0), nullptr);
    EXPECT_TRUE(exited("NONONO CHILDREN_ARE_ARRAY!!"));
    EXPECT_EQ(points->addVariableX("x", CLASS_INT, 0), nullptr);
    stray->setParent(points, 0);
    EXPECT_EQ(stray->parent, nullptr);
    delete stray;
    resetExitState();
    points->addChildArrays(elements, n, sizeof(CshortLinkVar), CLASS_SHORT_LINK);
    EXPECT_TRUE(exited("childArray already exists!"));
    deleteVariable(&elements[1]); // an element cannot go alone
    EXPECT_EQ(points->getChild(1), &elements[1]);

    EXPECT_EQ(liveSinceStart(), n + 1);
    deleteVariable(points);
    EXPECT_EQ(liveSinceStart(), 0);
}

TEST_F(TrashTest, DeleteChildrenOfAnArrayReleasesItOnce) {
    auto* elements = new CshortLinkVar[3];
    CfastChildArrayVar points;
    points.addChildArrays(elements, 3, sizeof(CshortLinkVar), CLASS_SHORT_LINK);
    points.deleteChildren();
    EXPECT_FALSE(points.hasFlag(CHILDREN_ARE_ARRAY));
    EXPECT_EQ(points.firstChild, nullptr);
    EXPECT_EQ(points.getChild(0), nullptr);
    // The node is a plain parent again.
    child(&points, "later");
    EXPECT_EQ(points.countChildren(-1), 1);
}

TEST_F(TrashTest, ArrayOfPlainNodesStaysWithItsOwner) {
    // Base elements release nothing: the owner frees the block itself.
    auto* elements = new Cvariable[2];
    auto* points = new CfastChildArrayVar();
    points->addChildArrays(elements, 2, sizeof(Cvariable), CLASS_VAR);
    delete points;
    EXPECT_EQ(elements[0].parent, nullptr);
    EXPECT_EQ(elements[1].parent, nullptr);
    delete[] elements;
}

TEST_F(TrashTest, ChildWithoutParentLinkIsUnlinkedNotLeftDangling) {
    auto* dir = new CdirectoryVar();
    dir->setName("dir");
    child(dir, "first");
    Cvariable* broken = child(dir, "broken");
    child(dir, "last");
    broken->parent = nullptr; // a damaged list
    delete dir;
    EXPECT_TRUE(exited("problem with broken- parent not set"));
    EXPECT_EQ(broken->nextSibling, nullptr);
    EXPECT_EQ(liveSinceStart(), 1); // the others were destroyed
    delete broken;
}

// A node whose destruction takes down another node (as a thing may its tank).
class Killer : public Cvariable {
  public:
    ~Killer() override { delete victim; }
    Cvariable* victim = nullptr;
};

TEST_F(TrashTest, ChildAlreadyBeingDeletedIsSkippedAndUnlinked) {
    // dir -> mid -> killer; killing mid kills killer, which kills dir while mid is dying.
    auto* dir = new CdirectoryVar();
    Cvariable* mid = child(dir, "mid");
    child(dir, "other");
    auto* killer = new Killer();
    killer->victim = dir;
    mid->addVariable(killer, 0);
    delete mid;
    EXPECT_TRUE(traced("mid already being deleted"));
    EXPECT_EQ(liveSinceStart(), 0);
}

TEST_F(TrashTest, ChildClaimedByAnotherParentIsLeftToIt) {
    CdirectoryVar owner;
    auto* dir = new CdirectoryVar();
    Cvariable* stolen = child(dir, "stolen");
    child(dir, "mine");
    stolen->parent = &owner; // a damaged list: linked here, parent elsewhere
    delete dir;              // must neither loop nor free it
    EXPECT_TRUE(traced("problem with stolen- parent is"));
    EXPECT_EQ(stolen->nextSibling, nullptr);
    EXPECT_EQ(liveSinceStart(), 2); // owner and stolen
    stolen->parent = nullptr;
    delete stolen;
}

} // namespace
