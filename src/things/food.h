// Food in a tank: a thing that owns a fixed set of particles and hands them out to eaters.
//
// Cfood is the base of the food kinds (floatingFood.h, peckFood.h). A particle is a
// CfoodItem, a relationship holder, so an eater that holds a safe relationship to it learns
// when it is eaten, lost or deleted. Eating happens through a swallow cycle that carries the
// particle into a CfoodSwallower's mouth (foodBeingSwallowedAnimCycle.h).
#pragma once

#include <cstdint>
#include <vector>

#include "support/matrix3.h"
#include "support/vector.h"
#include "things/thing.h"

class Cfood;
class CfoodBeingSwallowedAnimCycle;
class CfoodItem;

// Food kinds as foodType gives them.
enum : int { FOOD_BASE = 0, FOOD_FLOATING = 1, FOOD_PECK = 2 };

// What a swallow cycle needs of the animal it carries a particle to. The animals live in a
// higher layer and implement it.
class CfoodSwallower {
  public:
    // The animal as a thing: its dying mark and its list of dependents.
    virtual Cthing& swallowerThing() = 0;
    // The tip of the head and a point further back; both move with the animal.
    virtual Cvector* mouthStart() = 0;
    virtual Cvector* mouthEnd() = 0;
    // A swallowed particle reached the stomach.
    virtual void ateFood(float amount) = 0;
    // Starts feeding on item; with null, ends this feeding and looks for more.
    virtual void startFeeding(CfoodItem* item) = 0;
    // 1 when a particle was found and feeding started.
    virtual int lookForSomethingToEat() = 0;

  protected:
    ~CfoodSwallower() = default;
};

// One particle of food.
class CfoodItem : public CsafeRelationship {
  public:
    CfoodItem() = default;

    Cfood* food = nullptr;
    float size = 0.0f;
    uint8_t active = 0;    // in the water: released and not yet eaten or lost
    uint8_t available = 0; // an eater may choose it
    uint8_t stuck = 0;     // in or against an obstacle: offered to no fish
    int32_t index = 0;     // its number within its food (its skeleton joint)
    CfoodBeingSwallowedAnimCycle* swallowCycle = nullptr;
    Cvector position;
    Cvector velocity; // drift per frame
    float pushMagnitude = 0.0f;
    float drift = 0.0f;
    float lastPush = 0.0f;
};

class Cfood : public Cthing {
  public:
    Cfood();
    // Runs the teardown when nothing did yet.
    ~Cfood() override;

    // ---- the food's own hooks, in slot order
    // A particle for an eater at eaterPos facing eaterRot's forward row; null when none.
    virtual CfoodItem* getAvailableParticle(Cvector const&, Cmatrix3 const&) { return nullptr; }
    // The eater bit item: the particle starts on its way into the mouth.
    virtual void foodBeingSwallowed(CfoodItem*, CfoodSwallower*) {}
    // The particle reached the stomach.
    virtual void particleEaten(CfoodItem*) {}
    // The eater let go of a particle it was swallowing: the particle is offered again.
    virtual void particleNotFinishedSwallowing(CfoodItem* item);
    virtual int foodType() { return FOOD_BASE; }

    int itMoves() override { return 0; }
    // Joins the tank's food list. 0.
    int doExtraInit() override;
    // Acts only while the prepare-for-delete flag is set: cycles, particles, food list.
    void prepareForDelete() override;

    Cvector getParticlePos(int index);
    // Index of the next particle an eater's search window starts at (peck food).
    int32_t scanIndex = 0;

    CdirectoryVar* foodItems = nullptr; // owns the particles
    std::vector<CfoodItem*> items;      // the same particles in index order
    int32_t particleCount = 0;

  protected:
    // Adds a particle as the last of items and a child of foodItems.
    void adoptParticle(CfoodItem* item, char const* prefix, int index);

  private:
    void tearDownFood();
};
