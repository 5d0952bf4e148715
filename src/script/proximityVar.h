// Proximities: a variable that links two things of a tank and keeps the square of their
// distance, recomputed every update for the tank's avoidance lists.
#pragma once

#include "support/vector.h"
#include "variables/variableLinks.h"

// What a proximity needs of a thing.
class CproximityParty {
  public:
    virtual ~CproximityParty() = default;
    // The thing's position in the world.
    virtual Cvector proximityPosition() = 0;
    // The thing's thingScale.
    virtual float proximityScale() = 0;
    // The directory that holds the thing's proximities.
    virtual Cvariable* proximityDirectory() = 0;
    // The thing's own node in the tree (null when it is none); a thing that is a variable
    // answers without the cross-cast.
    virtual Cvariable* proximityNode() { return dynamic_cast<Cvariable*>(this); }
};

class CproximityVar : public CtwoParentsVar {
  public:
    CproximityVar() = default;

    // Hangs the variable under both things' proximity directories (it dies with either),
    // stores them and takes the larger of their scales. Null things are refused.
    void setThings(CproximityParty* a, CproximityParty* b);
    // Recomputes and gives the squared distance between the two things (unchanged without
    // things).
    float updateGross();

    CproximityParty* thingA = nullptr;
    CproximityParty* thingB = nullptr;
    float squaredDistance = 0.0f;
    float pairScale = 0.0f;
};
