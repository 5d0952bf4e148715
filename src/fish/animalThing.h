// The base of the animals that eat (fish and crabs): finding the best particle ahead,
// holding a safe link to the particle being chased, the stomach, and the digestion clock
// that decides when the waste strand grows and when it snaps off and falls.
#pragma once

#include <cstdint>

#include "things/thing.h"

class CfoodItem;
class Cfood;

// Relationship nature between an animal and the particle it chases.
constexpr short NATURE_CHASING_FOOD = 10;
// Particles a search examines of one peck food at a time.
constexpr int kPeckFoodSearchWindow = 10;

class CanimalThing : public Cthing {
  public:
    CanimalThing() = default;
    ~CanimalThing() override;

    // ---- the animal's own hooks, in slot order
    // Gives up the held particle (offered again when this animal was swallowing it) and
    // chases item; null only gives up.
    virtual void chaseFood(CfoodItem* item);
    virtual void cleanupFeeding() {}
    // Adds the avoid rectangles of thing, seen at squared distance q.
    virtual void addThingAvoidanceZone(Cthing&, float) {}
    // One digestion step (the waste strand calls it once per frame); the waste state:
    // 0 nothing to drop, up to 1 the strand growing, 1 full.
    virtual float digestAndPoo();

    // Acts only while the prepare-for-delete flag is set: a particle being swallowed stays
    // where it was drawn, then the chase is given up.
    void prepareForDelete() override;
    // Losing the chased particle ends the chase and the feeding.
    void notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) override;

    // The best free particle ahead of position along direction (its y flattened), scored
    // by how far ahead and how near it is; null when none scores above threshold. Sets the
    // re-look countdown to 5.
    CfoodItem* lookForFood(Cvector const& position, Cvector const& direction, float threshold);
    // A swallowed particle reached the stomach.
    void foodPieceIntoStomach() { stomachContents += 1.0f; }
    // The waste strand snaps off and falls at once; nothing left to drop.
    void dropPoo();
    // Digestion: strand width, cycles per 1440 clock steps, and the clock values at which
    // the strand is full and, hold later, dropped. The clock starts anywhere in its cycle.
    void setDigestiveSettings2(float width, float cycleDivisor, float grow, float hold);
    // Kept for the animals' shared interface: pooing starts from the digestion clock.
    void commencePooing() {}

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

  private:
    // The waste strand (the poo link) snaps off and falls, when there is one.
    void snapWasteStrand();
    // Scores the particles of one food into best/bestScore (a window of peck food).
    void scoreFood(Cfood& food, Cvector const& position, Cmatrix3 const& look, float threshold,
                   CfoodItem*& best, float& bestScore);
};
