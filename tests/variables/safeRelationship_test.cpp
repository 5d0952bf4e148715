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

// A script may delete an object's "dependents" directory: the object must not use it after.
TEST_F(VarTest, DeletedDependentsDirectoryIsMadeAgain) {
    auto* s = new Party("S");
    auto* a = new Party("a");
    a->setRelationshipWith2(s, NATURE_SCHOOL);
    deleteVariable(a->getChild("dependents"));
    std::vector<Cvariable*> partners;
    a->fillVectorWithRelationshipsOfNature(partners, -NATURE_SCHOOL);
    EXPECT_TRUE(partners.empty());
    a->setRelationshipWith2(s, NATURE_SCHOOL); // a new directory holds the new record
    EXPECT_EQ(exits(), "DO_PREP_FOR_DELETE is set but no dir!");
    a->fillVectorWithRelationshipsOfNature(partners, -NATURE_SCHOOL);
    EXPECT_EQ(partners, std::vector<Cvariable*>{s});
    deleteVariable(s);
    deleteVariable(a);
    EXPECT_EQ(liveSinceStart(), 0) << "records or directories left behind";
}

TEST_F(VarTest, MissingDependentIsAnErrorAndChangesNothing) {
    ColdDependent tank("tank"), fish("fish"), crab("crab");
    tank.addDependent(&fish, "school");
    tank.removeDependent(&crab, "school");
    EXPECT_EQ(tank.numDependents(), 1);
    EXPECT_EQ(exits(), "couldn't find dependent crab  school");
}

} // namespace
