#include "things/foodBeingSwallowedAnimCycle.h"

#include <algorithm>

#include "things/floatingFood.h"
#include "things/food.h"

namespace {
char const* const kSwallowLink = "foodswallow";
} // namespace

CfoodBeingSwallowedAnimCycle::CfoodBeingSwallowedAnimCycle() {
    setName("foodswallow");
    cycleName = "foodswallow";
}

CfoodBeingSwallowedAnimCycle::~CfoodBeingSwallowedAnimCycle() {
    finish();
}

void CfoodBeingSwallowedAnimCycle::initAnimCycle(Cthing* thing, int index, float r) {
    food = dynamic_cast<Cfood*>(thing);
    progress = 0.0f;
    rate = r;
    end = 0.9999f;
    particle = nullptr;
    particlePos = offset = nullptr;
    if (food == nullptr || index < 0 || index >= static_cast<int>(food->items.size())) return;
    food->addDependent(this, kSwallowLink);
    particle = food->items[static_cast<size_t>(index)];
    particlePos = &particle->position;
    // Only floating food keeps a drawn offset; the others have nothing to move.
    if (auto* floating = dynamic_cast<CfloatingFood*>(food)) offset = &floating->offsets[index];
}

void CfoodBeingSwallowedAnimCycle::extraInit(CfoodSwallower* swallower) {
    fish = swallower;
    if (fish == nullptr) return;
    fish->swallowerThing().addDependent(this, kSwallowLink);
    mouthStart = fish->mouthStart();
    mouthEnd = fish->mouthEnd();
}

bool CfoodBeingSwallowedAnimCycle::swallowsFor(Cthing const* thing) const {
    return fish && thing && &fish->swallowerThing() == thing;
}

void CfoodBeingSwallowedAnimCycle::leaveParticleWhereDrawn() {
    if (particlePos == nullptr || offset == nullptr) return;
    *particlePos += *offset;
    *offset = Cvector();
}

int CfoodBeingSwallowedAnimCycle::doIt(int) {
    if (particle == nullptr || fish == nullptr || mouthStart == nullptr || mouthEnd == nullptr) return 1;
    if (fish->swallowerThing().dying) {
        leaveParticleWhereDrawn();
        return 1;
    }
    progress += rate;
    float k = 2.0f * progress - 1.0f;
    Cvector target = *mouthStart;
    if (k > 0.0f) target = *mouthStart + (*mouthEnd - *mouthStart) * k;
    if (offset) *offset = (target - *particlePos) * std::min(2.0f * progress, 1.0f);
    if (progress < end) return 0;
    // Each call below may end the swallower's feeding; none of them touches this cycle,
    // which the particle no longer names once it is eaten.
    CfoodSwallower* swallower = fish;
    food->particleEaten(particle);
    swallower->ateFood(1.0f);
    swallower->startFeeding(nullptr);
    swallower->lookForSomethingToEat();
    return 1;
}

void CfoodBeingSwallowedAnimCycle::finish() {
    CanimCycle::finish();
    if (particle) {
        if (food) food->removeDependent(this, kSwallowLink);
        if (particle->swallowCycle == this) particle->swallowCycle = nullptr;
        particle = nullptr;
        particlePos = offset = nullptr;
    }
    if (fish) {
        fish->swallowerThing().removeDependent(this, kSwallowLink);
        fish = nullptr;
        mouthStart = mouthEnd = nullptr;
    }
}
