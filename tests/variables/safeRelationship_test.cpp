#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "support/cerr.h"
#include "variables/safeRelationship.h"

namespace {

using Notice = std::tuple<Cvariable*, short, short>;

// An object that remembers every breakup it is told of.
class Party : public CsafeRelationship {
  public:
    explicit Party(char const* n) { setName(n); }
    void notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) override {
        notices.emplace_back(partner, nature, mine);
    }
    std::vector<Notice> notices;
};

class Relationships : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        startCount = allocedVariables;
    }
    void TearDown() override {
        EXPECT_EQ(allocedVariables, startCount) << "records or directories left behind";
        EXPECT_TRUE(exitReasonList.empty()) << (exitReasonList.empty() ? "" : exitReasonList[0].c_str());
        resetExitState();
    }
    int startCount = 0;
};

TEST_F(Relationships, WalkingByNature) {
    auto* s = new Party("S");
    auto* a = new Party("a");
    auto* b = new Party("b");
    a->setRelationshipWith2(s, NATURE_SCHOOL);
    b->setRelationshipWith2(s, NATURE_SCHOOL);
    std::vector<Cvariable*> seen;
    for (Crelationship* r = s->getNextRelationshipWithNature(nullptr, 7); r;
         r = s->getNextRelationshipWithNature(r, 7))
        seen.push_back(r->partner);
    EXPECT_EQ(seen.size(), 2u);
    deleteVariable(s);
    EXPECT_EQ(a->notices.size(), 1u);
    EXPECT_EQ(b->notices.size(), 1u);
    deleteVariable(a);
    deleteVariable(b);
}

} // namespace
