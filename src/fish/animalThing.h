// The base of the animals that eat: the particle being chased and the digestion state.
//
// Food search, digestion and the waste strand come with the food code; until then an
// animal never looks for food and its digestion stays at rest.
#pragma once

#include "things/thing.h"

class CfoodItem;

// Relationship nature between an animal and the particle it chases.
constexpr short NATURE_CHASING_FOOD = 10;

class CanimalThing : public Cthing {
  public:
    CanimalThing() = default;
    ~CanimalThing() override;

    // Gives up the held particle and chases item (null only gives up).
    virtual void chaseFood(CfoodItem* item);
    virtual void cleanupFeeding() {}
    // Adds the avoid rectangles of thing, seen at squared distance q.
    virtual void addThingAvoidanceZone(Cthing&, float) {}
    // One digestion step; the waste state (0 until digestion is configured).
    virtual float digestAndPoo() { return pooState; }

    // Acts only while the prepare-for-delete flag is set: gives up the chase first.
    void prepareForDelete() override;
    // Losing the chased particle ends the chase.
    void notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) override;

    CfoodItem* foodBeingChased = nullptr;
    CfoodItem* lastFoodChased = nullptr;
    int16_t repeatChaseCount = 0;
    int16_t foodReLookCountdown = 0;
    float pooState = 0.0f;
    float pooWidth = 0.0f;
    double digestionClock = 0.0;
    float growTime = 0.0f, dropTime = 0.0f, cycleLength = 0.0f, clockStep = 0.0f;
    float stomachSpeedUp = 0.0f, stomachContents = 0.0f;
    float invBodyLength = 1.0f;
};
