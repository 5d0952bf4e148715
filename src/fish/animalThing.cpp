#include "fish/animalThing.h"

CanimalThing::~CanimalThing() {
    flags |= VAR_TEARING_DOWN;
}

void CanimalThing::chaseFood(CfoodItem* item) {
    // Particles are not relationship partners until the food code exists: only the
    // bookkeeping of which particle is held is kept.
    if (foodBeingChased) {
        lastFoodChased = foodBeingChased;
        foodBeingChased = nullptr;
    }
    if (item == nullptr) return;
    repeatChaseCount = item == lastFoodChased ? static_cast<int16_t>(repeatChaseCount + 1) : 0;
    foodBeingChased = item;
}

void CanimalThing::prepareForDelete() {
    if (!(flags & DO_PREPARE_FOR_DELETE)) return;
    dying = 1;
    chaseFood(nullptr);
    Cthing::prepareForDelete();
}

void CanimalThing::notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) {
    Cthing::notifyOfBreakup(partner, nature, mine);
    if (nature == NATURE_CHASING_FOOD && foodBeingChased) {
        chaseFood(nullptr);
        cleanupFeeding();
    }
}
