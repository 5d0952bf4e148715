// A binary tree file naming an unknown class fails that load and nothing more.
#include <gtest/gtest.h>

#include "support/cerr.h"
#include "testSupport.h"
#include "variables/variableBasics.h"

namespace {

TEST(FuzzFindings, UnknownClassFailsTheLoadOnly) {
    resetExitState();
    CdirectoryVar into;
    into.setName("into");
    EXPECT_EQ(into.loadBinaryChildren(Cstring(testInput("robustness/dbt-1.bin").c_str())), 1);
    EXPECT_EQ(into.firstChild, nullptr);
    EXPECT_TRUE(exitReasonList.empty());
    EXPECT_EQ(erroredExit, 0);
}

} // namespace
