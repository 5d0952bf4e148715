// Forced paths: a node of another class or an adopted child array on the way adds nothing.
#include "variables/variablePaths.h"

#include <memory>
#include <vector>

#include "variableTestSupport.h"
#include "variables/variableBasics.h"

namespace {

// Checks at the end that the tree took every node it made with it.
class ForcedPath : public VarTest {
  protected:
    void SetUp() override {
        VarTest::SetUp();
        root = std::make_unique<CdirectoryVar>();
    }
    void TearDown() override {
        root.reset();
        EXPECT_EQ(liveSinceStart(), 0);
        VarTest::TearDown();
    }
    std::unique_ptr<CdirectoryVar> root;
};

TEST_F(ForcedPath, ClassMismatchNeitherLeaksNorHandsBackTheWrongKind) {
    Cvariable* c = addVariableForcedPath(root.get(), "a/c", CLASS_INT, 0);
    int live = allocedVariables;
    EXPECT_EQ(addVariableForcedPath(root.get(), "a/c", CLASS_STRING, 0), nullptr);
    EXPECT_TRUE(exited("var 'a/c' exists but different type"));
    EXPECT_EQ(allocedVariables, live);
    EXPECT_EQ(root->findVariable("a/c"), c);
}

TEST_F(ForcedPath, IntoAnAdoptedChildArrayTakesNoNewNodes) {
    auto* arr = new CfastChildArrayVar;
    arr->setName("arr");
    root->addVariable(arr, 0);
    arr->addChildArrays(new CshortLinkVar[2], 2, sizeof(CshortLinkVar), CLASS_SHORT_LINK);
    int live = allocedVariables;
    for (char const* path : {"arr/x", "arr/x/y"}) {
        resetExitState();
        EXPECT_EQ(addVariableForcedPath(root.get(), path, CLASS_INT, 0), nullptr) << path;
        EXPECT_TRUE(exited("child array")) << path;
        EXPECT_EQ(allocedVariables, live) << path;
    }
}

// Permanent search paths stay at the front and are counted; removing a temporary one leaves
// the count, removing a permanent one lowers it, and clearing the temporary ones keeps them.
TEST(SearchPaths, TemporaryAndPermanentEntries) {
    std::vector<Cvariable*> savedPaths = alternateVariableSearchPaths;
    int8_t savedPermanent = numPermanentAlternateVariableSearchPaths;
    alternateVariableSearchPaths.clear();
    numPermanentAlternateVariableSearchPaths = 0;
    CdirectoryVar p1, p2, t1, t2;
    addScriptSearchPath(&t1, 0);
    addScriptSearchPath(&p1, 1);
    addScriptSearchPath(&t2, 0);
    addScriptSearchPath(&p2, 1);
    struct {
        Cvariable* removed;
        size_t entries;
        int permanent;
    } const steps[] = {{&t2, 3, 2}, {&t2, 3, 2}, {&p1, 2, 1}, {&t1, 1, 1}};
    for (auto const& step : steps) {
        removeScriptSearchPath(step.removed);
        EXPECT_EQ(alternateVariableSearchPaths.size(), step.entries);
        EXPECT_EQ(numPermanentAlternateVariableSearchPaths, step.permanent);
    }
    addScriptSearchPath(&t1, 0);
    clearTemporaryScriptSearchPaths();
    EXPECT_EQ(alternateVariableSearchPaths, std::vector<Cvariable*>{&p2});
    alternateVariableSearchPaths = savedPaths;
    numPermanentAlternateVariableSearchPaths = savedPermanent;
}

} // namespace
