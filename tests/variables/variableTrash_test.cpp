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

TEST_F(TrashTest, AdoptedShortLinkArrayIsFreedOnce) {
    constexpr int n = 5;
    short values[n] = {1, 2, 3, 4, 5};
    auto* elements = new CshortLinkVar[n];
    for (int i = 0; i < n; i++)
        elements[i].setPointer(&values[i]);
    auto* points = new CfastChildArrayVar();
    points->setName("points");
    points->addChildArrays(elements, n, sizeof(CshortLinkVar), CLASS_SHORT_LINK);
    EXPECT_EQ(points->countChildren(-1), n);
    EXPECT_EQ(points->getChild(3)->getInt(), 4);
    EXPECT_EQ(points->getChild(n), nullptr); // bounded
    EXPECT_EQ(points->getChild(-1), nullptr);
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

// A child whose parent link is missing or points elsewhere (a damaged list) is unlinked,
// neither looped over nor freed, while its siblings go.
TEST_F(TrashTest, DamagedChildIsUnlinkedNotFreed) {
    CdirectoryVar owner;
    for (Cvariable* wrongParent : {static_cast<Cvariable*>(nullptr), static_cast<Cvariable*>(&owner)}) {
        auto* dir = new CdirectoryVar();
        child(dir, "first");
        Cvariable* broken = child(dir, "broken");
        child(dir, "last");
        broken->parent = wrongParent;
        delete dir;
        EXPECT_EQ(broken->nextSibling, nullptr);
        EXPECT_EQ(liveSinceStart(), 2); // owner and broken
        broken->parent = nullptr;
        delete broken;
    }
    EXPECT_TRUE(exited("problem with broken- parent not set"));
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
    EXPECT_EQ(liveSinceStart(), 0);
}

} // namespace
