// Relationships told of breakups, and the older dependent lists.
#include <tuple>
#include <vector>

#include "variableTestSupport.h"
#include "variables/dependent.h"
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

TEST_F(VarTest, RelationshipsWalkByNatureAndLeaveNothingBehind) {
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
    EXPECT_EQ(liveSinceStart(), 0) << "records or directories left behind";
    EXPECT_EQ(exits(), "");
}

TEST_F(VarTest, MissingDependentIsAnErrorAndChangesNothing) {
    ColdDependent tank("tank"), fish("fish"), crab("crab");
    tank.addDependent(&fish, "school");
    tank.removeDependent(&crab, "school");
    EXPECT_EQ(tank.numDependents(), 1);
    EXPECT_EQ(exits(), "couldn't find dependent crab  school");
}

} // namespace
