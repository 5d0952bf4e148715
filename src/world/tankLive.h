// What a tank's frame step needs of the living things in it.
//
// Things, fish and food sit above the tank in the layering; the things layer installs this
// interface. The base's answers are those for a plain node: nothing updates, nothing has a
// middle, nothing is food.
#pragma once

#include "support/vector.h"
#include "world/worldHooks.h"

class Ctank;
class Cvariable;

// The attribute bits a tank tests.
enum : unsigned {
    ATTR_FISH = 2,
    ATTR_CRAB = 4,
    ATTR_FOOD_EATER = 8,
    ATTR_FOCUS_CANDIDATE = 16,
    ATTR_PICKABLE = 32,
    ATTR_FOOD = 64,
    ATTR_INTERFACE = 256,
};

// A fish's push on the water: its swimming vector and its size times speed scale.
struct CswimPush {
    Cvector position;
    float vx = 0, vy = 0;
    float scale = 0;
};

class CtankLiveAccess {
  public:
    virtual ~CtankLiveAccess() = default;
    // One whole simulation frame of the tank's schools.
    virtual void updateSchools(Ctank*) {}
    // The tank the thing belongs to (null when none).
    virtual Ctank* tankOf(Cvariable*) { return nullptr; }
    // The thing's per-frame update; non-zero asks the tank to stop its step.
    virtual int updateThing(Cvariable*, int, float) { return 0; }
    virtual bool isBeingDeleted(Cvariable*) { return false; }
    virtual bool hasWorkObject(Cvariable*) { return false; }
    virtual void clearAllRPGpredecessors(Cvariable*) {}
    // The thing's middle; false when it has none.
    virtual bool getMidPos(Cvariable*, Cvector&) { return false; }
    // The thing's body as drawn, for picking: the two ends of its length and its half
    // thickness (world units); false when it has none.
    virtual bool pickBody(Cvariable*, Cvector& head, Cvector& tail, float& radius) {
        (void)head, (void)tail, (void)radius;
        return false;
    }
    // A fish's push; false when the thing is no fish.
    virtual bool swimPush(Cvariable*, CswimPush&) { return false; }
    // Floating food: particles still free, and freeing n of them at a position.
    virtual int freeFoodCapacity(Cvariable*) { return 0; }
    virtual void addFreeParticles(Cvariable*, Cvector const&, int) {}
};

// The things layer's access, a slot of worldHooks.
inline CtankLiveAccess*& tankLiveAccess = worldHooks.liveAccess;
