// The swallow: for about ten frames after a bite the drawn particle is pulled into the
// swallower's mouth, then it is eaten and the swallower told. The cycle runs in its food's
// cycle directory, stepped by the food once per frame.
#pragma once

#include "script/animCycle.h"
#include "support/vector.h"

class Cfood;
class CfoodItem;
class CfoodSwallower;

class CfoodBeingSwallowedAnimCycle : public CanimCycle {
  public:
    CfoodBeingSwallowedAnimCycle();
    // Leaves the food and the swallower first.
    ~CfoodBeingSwallowedAnimCycle() override;

    // One step; nonzero once the particle is eaten (or its swallower died).
    int doIt(int frame) override;
    // Binds particle index of food (a Cfood) at rate progress per frame.
    void initAnimCycle(Cthing* food, int index, float rate) override;
    // Leaves the food's and the swallower's dependents and the particle.
    void finish() override;
    // Binds the swallower; the mouth points move with it.
    void extraInit(CfoodSwallower* swallower);
    // The particle stays where it was last drawn: the offset moves into its position.
    void leaveParticleWhereDrawn();
    // Whether thing is the animal this cycle swallows for.
    bool swallowsFor(Cthing const* thing) const;

    float progress = 0.0f;
    float rate = 0.1f;
    float end = 0.9999f;
    Cfood* food = nullptr;
    CfoodItem* particle = nullptr;
    CfoodSwallower* fish = nullptr;
    Cvector* particlePos = nullptr;
    Cvector* offset = nullptr;
    Cvector* mouthStart = nullptr;
    Cvector* mouthEnd = nullptr;
};
