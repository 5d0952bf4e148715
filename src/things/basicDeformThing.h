// A skinned mesh with little behaviour: the base of most simple kinds. Joint 0 carries
// the whole mesh; its position is the thing's head, middle and tail.
#pragma once

#include <vector>

#include "things/thing.h"

class CbasicDeformThing : public Cthing {
  public:
    // Binds the species skeleton (or scales the buffers of a model without one).
    // 0 done, 1 failed.
    int resetThing(int mode) override;
    void goFish(int) override;

    int32_t jointCount = 0;
    std::vector<Cvector> jointPositions;
    std::vector<Cmatrix3> jointMatrices;
};
