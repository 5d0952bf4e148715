// Variable search: by path, up the parents, "@" paths and the alternate search paths.
#include <gtest/gtest.h>

#include "script/variableSearch.h"
#include "variables/variable.h"

namespace {

class VariableSearch : public ::testing::Test {
  protected:
    void SetUp() override {
        root = new CdirectoryVar();
        root->setName("root");
        a = root->addDirectory("a");
        b = a->addDirectory("b");
        c = b->addDirectory("c");
        top = root->addVariableX("top", CLASS_FLOAT);
        x = b->addVariableX("x", CLASS_FLOAT);
        q = a->addDirectory("p")->addVariableX("q", CLASS_FLOAT);
        alt1 = new CdirectoryVar();
        alt2 = new CdirectoryVar();
        far1 = alt1->addVariableX("far", CLASS_FLOAT);
        far2 = alt2->addVariableX("far", CLASS_FLOAT);
        only2 = alt2->addVariableX("only2", CLASS_FLOAT);
        savedPaths = alternateVariableSearchPaths;
        savedPermanent = numPermanentAlternateVariableSearchPaths;
        alternateVariableSearchPaths.clear();
        numPermanentAlternateVariableSearchPaths = 0;
    }
    void TearDown() override {
        alternateVariableSearchPaths = savedPaths;
        numPermanentAlternateVariableSearchPaths = savedPermanent;
        delete root;
        delete alt1;
        delete alt2;
    }

    Cvariable *root, *a, *b, *c, *top, *x, *q, *alt1, *alt2, *far1, *far2, *only2;
    std::vector<Cvariable*> savedPaths;
    int8_t savedPermanent = 0;
};

TEST_F(VariableSearch, ParentWithFlag) {
    EXPECT_EQ(searchUpForParentWithFlag(c, VAR_DIRECTORY), b); // a proper ancestor
    b->setFlag(VAR_APPEND_CHILDREN, true);
    root->setFlag(VAR_READ_ONLY, true);
    EXPECT_EQ(searchUpForParentWithFlag(c, VAR_READ_ONLY), root);
    EXPECT_EQ(searchUpForParentWithFlag(c, VAR_APPEND_CHILDREN | VAR_READ_ONLY), b);
    EXPECT_EQ(searchUpForParentWithFlag(c, VAR_BINARY_MERGE), nullptr);
    EXPECT_EQ(searchUpForParentWithFlag(root, VAR_DIRECTORY), nullptr);
    EXPECT_EQ(searchUpForParentWithFlag(nullptr, VAR_DIRECTORY), nullptr);
}

} // namespace
