// Relationships: links between objects that are safe against either side dying.
//
// A relationship is recorded on both sides, in each object's "dependents" directory.
// Deleting either object breaks all its relationships first, and each side is told once,
// so no side is left holding a pointer to a deleted partner.
#pragma once

#include <cstdint>
#include <vector>

#include "variables/variable.h"

class Crelationship;

// Natures, from the side of the object that made the relationship (stored negated there).
enum : short {
    NATURE_CONTAINS_THING = 1,
    NATURE_FOCUS = 2,
    NATURE_SHADOW = 3,
    NATURE_VALUE_CONTROLLER = 5,
    NATURE_SCHOOL = 7,
    NATURE_CRAB_CHASE = 8,
    NATURE_CHASE = 9,
    NATURE_EAT = 10,
};

// Text of a nature as seen from the record's owner; "undef" outside -10..10.
char const* natureToEnglish(short nature);

// Gives every new relationship its id.
extern int32_t relationshipID;

class CsafeRelationship : public CdirectoryVar {
  public:
    ~CsafeRelationship() override;
    void writeConfigString(std::ostream& out) override;
    void writeSaveString(std::ostream& out) override;
    void writeUnregisteredData(std::ostream& out, int indent) override;
    void prepareForDelete() override;
    void childLeaving(Cvariable* child) override;
    int getType() override { return TYPE_SAFE_RELATIONSHIP; }

    // The "dependents" directory, made on first use.
    virtual Cvariable* getDependentsDir();
    virtual void notifyOfBreakupFrom(CsafeRelationship* other, short nature);
    // Told when a relationship breaks: partner, nature seen from this side, and 1 when this
    // object's own deletion (or its own clearing) broke it. Must not delete the record.
    virtual void notifyOfBreakup(CsafeRelationship* partner, short nature, short mine);

    // Makes a relationship of nature n: -n is stored here, +n with the other object.
    void setRelationshipWith2(CsafeRelationship* other, short nature);
    Crelationship* addRelationship(CsafeRelationship* partner, short nature, int uid);
    // Breaks the relationships this object made with nature n (with one partner only when
    // given); returns how many.
    int clearRelationshipType(short nature, CsafeRelationship* partner = nullptr);
    void fillVectorWithRelationshipsOfNature(std::vector<Cvariable*>& out, short nature);
    Crelationship* getNextRelationshipWithNature(Crelationship* after, short nature);
    void removeAllRelationships();

  private:
    Cvariable* dependentsDir = nullptr;
};

// One side's record of a relationship, kept in its owner's "dependents" directory.
class Crelationship : public Cvariable {
  public:
    // Breaks the relationship: tells both sides once and deletes the other side's record.
    ~Crelationship() override;
    void saveCommand(std::ostream& out, int indent) override;
    int getType() override { return TYPE_RELATIONSHIP; }

    CsafeRelationship* partner = nullptr;
    Crelationship* alter = nullptr;
    int32_t uid = 0;
    short nature = 0;
};
