// Animation cycles: short timed pieces of behaviour attached to one owner (a thing) and
// stepped once per frame until they report the end.
//
// A cycle lives in its owner's "animCycles" directory, so it is found, listed and deleted
// like any variable, and it is a dependent so that it learns when an object it works on
// goes away. The owner side (adding, stepping, removing) is CanimCycleOwner, a base the
// thing class takes on.
#pragma once

#include "variables/dependent.h"
#include "variables/variable.h"

class Cthing;

class CanimCycle : public CdirectoryVar, public ColdDependent {
  public:
    CanimCycle();
    // Leaves any walk in progress and the tree.
    ~CanimCycle() override;

    // One frame; nonzero when the cycle has ended. The base ends at once.
    virtual int doIt(int frame);
    // Prepares the cycle for the thing before it is added; the meaning of the numbers
    // belongs to the concrete cycle.
    virtual void initAnimCycle(Cthing* thing, int value, float amount);
    virtual void start(CanimCycle* other);
    // Releases what the cycle holds; called by the owner when doIt reports the end.
    virtual void finish();

    // 1: deleted when removed from its owner; 0: only unhooked (its owner keeps it, for
    // example as a member). A kept cycle is also only unhooked when its directory dies.
    void setDeleteWhenDone(unsigned char on);

    Cstring cycleName;
    unsigned char deleteWhenDone = 0;
    unsigned char running = 0;
};

// The owner side: a directory of cycles stepped in order once per frame.
class CanimCycleOwner {
  public:
    CanimCycleOwner() = default;
    CanimCycleOwner(CanimCycleOwner const&) = delete;
    CanimCycleOwner& operator=(CanimCycleOwner const&) = delete;

    // The directory that holds the cycles (the owner's "animCycles" child).
    void setAnimCycleDirectory(CdirectoryVar* dir) { animCycles = dir; }
    CdirectoryVar* getAnimCycleDirectory() const { return animCycles; }

    // Adds the cycle to the directory; the tree owns a cycle with deleteWhenDone set.
    void addAnimCycle(CanimCycle* cycle);
    // Steps every cycle in directory order; a cycle that ends is removed before the next
    // one is stepped. Any cycle may be removed or deleted during the walk.
    void doAnimCycles(int frame);
    // finish, then unhook (deleteWhenDone 0) or delete. Null is ignored.
    void removeAnimCycle(CanimCycle* cycle);
    // Removes every cycle as above.
    void clearAnimCycles();

  protected:
    CdirectoryVar* animCycles = nullptr;
};
