#include <gtest/gtest.h>

#include "support/cerr.h"
#include "variables/dependent.h"

namespace {

class Dependents : public ::testing::Test {
  protected:
    void SetUp() override { resetExitState(); }
    void TearDown() override { resetExitState(); }
};

TEST_F(Dependents, MissingDependentIsAnErrorAndChangesNothing) {
    ColdDependent tank("tank"), fish("fish"), crab("crab");
    tank.addDependent(&fish, "school");
    tank.removeDependent(&crab, "school");
    EXPECT_EQ(tank.numDependents(), 1);
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_EQ(exitReasonList[0], "couldn't find dependent crab  school");
}

} // namespace
