#include "things/attachedThing.h"

#include "support/cerr.h"
#include "variables/configDialogVars.h"

CattachedThing::~CattachedThing() {
    if (parentThing) detachFromMaster();
}

int CattachedThing::attachThing(Cthing* master, int kind) {
    if (master == nullptr) return 0;
    attachKind = kind;
    master->setRelationshipWith2(this, static_cast<short>(kind));
    parentThing = master;
    origMaster = master;
    if (kind == ATTACH_WASTE) master->setPooThing(this);
    if (kind == ATTACH_SHADOW) master->shadowThing = this;
    if (master->tank != tank) setToTank(master->tank);
    return 0;
}

void CattachedThing::notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) {
    CbasicDeformThing::notifyOfBreakup(partner, nature, mine);
    if (nature != -attachKind) return;
    if (parentThing == nullptr) {
        VTRACE(1, "****attached must have master!");
        VTRACE(1, "orig parent " << (origMaster ? origMaster->name : Cstring("none"))
                                 << " cooks:" << framesUpdated << " name:" << name);
        // A developer check: the run stops in order instead of the process ending.
        if (specialMode) setExitError("atAbort", 1);
        return;
    }
    detachFromMaster();
}

void CattachedThing::detachFromMaster() {
    if (attachKind == ATTACH_SHADOW && parentThing->shadowThing == this) parentThing->shadowThing = nullptr;
    if (attachKind == ATTACH_WASTE) parentThing->setPooThing(nullptr);
    parentThing = nullptr;
}
