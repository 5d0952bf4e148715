// A thing that hangs from a master thing: shadows and waste strands. The master links it
// through a relationship whose nature is the attach kind; when that breaks, the master
// forgets it and it forgets the master, but it stays in its tank.
#pragma once

#include "things/basicDeformThing.h"

enum : int { ATTACH_SHADOW = 3, ATTACH_WASTE = 4 };

class CattachedThing : public CbasicDeformThing {
  public:
    ~CattachedThing() override;
    void notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) override;
    // Hangs the thing from master as kind (3 shadow, 4 waste strand) and joins the
    // master's tank. Gives 0.
    virtual int attachThing(Cthing* master, int kind);

    Cthing* origMaster = nullptr;
    int32_t attachKind = 0;

  private:
    void detachFromMaster();
};
