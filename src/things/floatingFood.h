// Floating food: the food a viewer drops. Its particles are released in small bursts at a
// point, drift and sink through the moving water, are chased and swallowed by fish, and go
// when they reach the bottom. Each particle is one joint of the species' skeleton, so the
// model's joint count fixes how many particles one food thing has.
#pragma once

#include <cstdint>

#include "support/list.h"
#include "things/food.h"

// Level-set checks in a row (one every tenth frame) after which a particle still stuck in
// or against an obstacle, or outside the water, counts as lost: no fish can reach it.
constexpr int kStuckChecksUntilLost = 30;

class CfloatingFood : public Cfood {
  public:
    CfloatingFood();

    // Sizes the per-particle lists and binds one joint per particle, once; a later reset
    // only marks the food set up. 0 done, 1 without a usable skeleton.
    int resetThing(int mode) override;
    void prepForCook() override {}
    // Messages, then the swallow cycles, before goFish moves the particles.
    void doBehavior() override;
    // One frame of the particles; a food with none in the water tears itself down.
    void goFish(int) override;

    // The next particle after the last one examined that is in the water, free, not stuck,
    // between sqrt(0.3) and sqrt(20.4) from the eater and not behind it.
    CfoodItem* getAvailableParticle(Cvector const& eaterPos, Cmatrix3 const& eaterRot) override;
    // Starts the swallow of item into swallower; a null item stops the run (recorded).
    void foodBeingSwallowed(CfoodItem* item, CfoodSwallower* swallower) override;
    // Hides and frees the particle; its eaters are told.
    void particleEaten(CfoodItem* item) override;
    int foodType() override { return FOOD_FLOATING; }

    // Releases up to n idle particles about pos, spaced along x.
    void addFreeParticles(Cvector const& pos, int n);
    // Particles not in the water: how many a drop may still release.
    int idleCount() const { return particleCount - freeCount; }

    Clist<Cmatrix3> rotations;       // "foodrot": zero while hidden, size x identity, rolled
    Clist<float> fallRates;          // "fallrate": sinking per frame
    Clist<Cvector> offsets;          // "foodposoff": drawn offset (the swallow moves it)
    Clist<Cvector> displayPositions; // "fooddispPos": position + offset, the joint's point
    Clist<float> timings;            // "foodtiming": offset into the shared noise
    Clist<float> ownTimings;         // "foodindivtiming": own place in the wrapping noise
    Clist<float> ceilings;           // "foodceiling": the height a particle was released at
    Clist<int16_t> stuckChecks;      // "foodstuck": stuck level-set checks in a row
    int32_t freeCount = 0;           // particles in the water (active)
    float clock = 5.2f;
    int32_t lastPicked = 0;
    // The fastest sinking per frame; each particle sinks at a random share of it. A key of
    // the species script.
    float fallRate = 0.0045f;

  private:
    // The particle leaves the water: no longer drawn, chosen or counted.
    void loseParticle(CfoodItem& item);
    float levelSetAt(Cvector const& p);
};
