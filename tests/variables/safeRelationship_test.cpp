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

TEST_F(Relationships, ClearOneTypeKeepsTheRest) {
    auto* crab = new Party("crab");
    auto* f1 = new Party("f1");
    auto* f2 = new Party("f2");
    crab->setRelationshipWith2(f1, NATURE_CHASE);
    crab->setRelationshipWith2(f2, NATURE_CHASE);
    f1->setRelationshipWith2(crab, NATURE_CHASE); // made by f1: stays
    crab->setRelationshipWith2(f2, NATURE_SHADOW);
    EXPECT_EQ(crab->clearRelationshipType(NATURE_CHASE), 2);
    std::vector<Cvariable*> left;
    crab->fillVectorWithRelationshipsOfNature(left, 9);
    EXPECT_EQ(left, (std::vector<Cvariable*>{f1}));
    crab->fillVectorWithRelationshipsOfNature(left, -3);
    EXPECT_EQ(left, (std::vector<Cvariable*>{f2}));
    EXPECT_EQ(crab->clearRelationshipType(NATURE_SHADOW, f1), 0);
    EXPECT_EQ(crab->clearRelationshipType(NATURE_SHADOW, f2), 1);
    deleteVariable(crab);
    deleteVariable(f1);
    deleteVariable(f2);
}

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
