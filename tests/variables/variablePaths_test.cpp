#include "variables/variablePaths.h"

#include <string>

#include <gtest/gtest.h>

#include "support/cerr.h"
#include "variables/variableBasics.h"

namespace {

class ForcedPath : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        startCount = allocedVariables;
        root = new CdirectoryVar;
        root->setName("root");
    }
    void TearDown() override {
        delete root;
        EXPECT_EQ(allocedVariables, startCount);
        resetExitState();
    }
    bool exited(char const* text) const {
        return std::string(exitMsg.c_str()).find(text) != std::string::npos;
    }

    CdirectoryVar* root = nullptr;
    int startCount = 0;
};

TEST_F(ForcedPath, ClassMismatchNeitherLeaksNorHandsBackTheWrongKind) {
    Cvariable* c = addVariableForcedPath(root, "a/c", CLASS_INT, 0);
    int live = allocedVariables;
    EXPECT_EQ(addVariableForcedPath(root, "a/c", CLASS_STRING, 0), nullptr);
    EXPECT_TRUE(exited("var 'a/c' exists but different type"));
    EXPECT_EQ(allocedVariables, live);
    EXPECT_EQ(root->findVariable("a/c"), c);
}

TEST_F(ForcedPath, AnAdoptedChildArrayTakesNoNewNodes) {
    auto* arr = new CfastChildArrayVar;
    arr->setName("arr");
    root->addVariable(arr, 0);
    arr->addChildArrays(new CshortLinkVar[2], 2, sizeof(CshortLinkVar), CLASS_SHORT_LINK);
    int live = allocedVariables;
    for (char const* path : {"arr/x", "arr/x/y"}) {
        resetExitState();
        EXPECT_EQ(addVariableForcedPath(root, path, CLASS_INT, 0), nullptr) << path;
        EXPECT_TRUE(exited("child array")) << path;
        EXPECT_EQ(allocedVariables, live) << path;
    }
}

} // namespace
