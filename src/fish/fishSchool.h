// Schools: a named object in a tank's school directory that owns a moving school point.
// Every so many frames it picks a new point inside the tank and tells each member, one
// after another with a growing delay, to join it and head there.
#pragma once

#include <vector>

#include "script/wanderingValue.h"
#include "support/vector.h"
#include "variables/safeRelationship.h"

class Cfish;
class CtankServices;

// Thing messages a school sends its members.
constexpr int MESSAGE_SCHOOL_POINT = 5;
constexpr int MESSAGE_JOIN_SCHOOL = 6;

class CspeciesSchooling : public CsafeRelationship {
  public:
    // A school called name, bound to tank (may be null), with its first point.
    CspeciesSchooling(char const* name, CtankServices* tank);
    ~CspeciesSchooling() override;

    // Takes the species' school settings, relates the fish to the school (nature 7) and
    // becomes the fish's "mySchool".
    void addFish(Cfish& fish);
    // A member leaving (nature 7) rebuilds the member list.
    void notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) override;
    // Only when flagged for deletion: every member's link goes.
    void prepareForDelete() override;
    // ":addSchool NAME", so a saved tank makes its schools again.
    void writeConfigString(std::ostream& out) override;
    // The point from the noise at noisePosition within the tank's fish volume, kept in the
    // tank's fish frustum.
    void figureSchoolPoint();
    // One frame; nothing at all while the school has no members.
    void updateSchooling();
    void rebuildMembers();

    float noisePosition = 0.0f;
    int frameCounter = 60;
    int period = 60;
    float lastRandom = 0.0f;
    float arriveDistance = 1.5f;
    CwanderingValue schoolWander;
    float noiseStep = 0.3f;
    float averageFrames = 100.0f;
    Cvector schoolPoint;
    CtankServices* tank = nullptr;
    std::vector<Cfish*> members;

  private:
    // Scratch of the member ordering, sized with the members so updates never allocate.
    std::vector<float> memberDistance;
    std::vector<int> memberOrder;
};

// Lets tanks make, join and update schools. Start-up calls it once with the fish kinds.
void installFishSchools();
