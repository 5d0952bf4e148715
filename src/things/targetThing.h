// The marker that sits on the tank's focus thing.
#pragma once

#include "things/basicDeformThing.h"

class CtargetThing : public CbasicDeformThing {
  public:
    // Moves joint 0 onto the focus thing's middle; stays put without a focus.
    void goFish(int) override;
};
