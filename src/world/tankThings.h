// What a tank does with the things in it.
//
// Things are built in a layer above the tank, so the tank reaches them through this
// interface, which the thing layer installs at start-up. Without it the tank holds things
// as plain nodes: kind 0, no attributes, nothing refused.
#pragma once

#include <cstdint>

#include "support/mystring.h"
#include "support/vector.h"
#include "world/worldHooks.h"

class Cthing;
class Ctank;
class Cspecies;
class Cvariable;
class CworkObject;
class CproximityParty;

class CtankThingAccess {
  public:
    virtual ~CtankThingAccess() = default;
    // The node of a thing and the thing of a node (null when the node is no thing).
    virtual Cvariable* node(Cthing* thing) = 0;
    virtual Cthing* asThing(Cvariable* node) = 0;
    // Kind code: 0 plain, 1 fish, 3 fish waste, 4 crab.
    virtual int whatAmI(Cvariable* thing) = 0;
    virtual uint32_t attributes(Cvariable* thing) = 0;
    virtual Cspecies* speciesOf(Cvariable* thing) = 0;
    // Joins the tank (null leaves it).
    virtual void setToTank(Cvariable* thing, Ctank* tank) = 0;
    virtual void setDisplayed(Cvariable* thing, char shown) = 0;
    virtual int isAllowed(Cvariable* thing) = 0;
    virtual int itMoves(Cvariable* thing) = 0;
    virtual void setDefaultPosition(Cvariable* thing) = 0;
    // Non-zero on failure.
    virtual int doExtraInit(Cvariable* thing) = 0;
    // 0 on success.
    virtual int resetThing(Cvariable* thing, int how) = 0;
    virtual int setPosition(Cvariable* thing) = 0;
    virtual void postInitScript(Cvariable* thing) = 0;
    virtual int receiveMessage(Cvariable* thing, Cstring const& command, Cstring const& argument,
                               float value) = 0;
    virtual float thingScale(Cvariable* thing) = 0;
    // Builds the thing's render geometry; 0 on success.
    virtual int addRenderGeometry(Cvariable* thing) = 0;
    // The thing as a party of proximities; null when it cannot be one.
    virtual CproximityParty* proximityParty(Cvariable* thing) = 0;
    // The fish schools: the school of that name made under dir, and a fish joining one.
    virtual Cvariable* makeSchool(Cvariable* dir, char const* name) = 0;
    virtual void joinSchool(Cvariable* school, Cvariable* fish) = 0;
    // This frame's geometry of a thing that is ready and shown; null otherwise.
    virtual CworkObject* shownGeometry(Cvariable*) { return nullptr; }
    // The thing's work object, shown or not; null when it has none.
    virtual CworkObject* workObjectOf(Cvariable*) { return nullptr; }
    // Tips (down) or rights the food shaker; nothing for a thing that is no shaker.
    virtual void shakerButtonState(Cvariable*, bool) {}
    // Zeroes the two counters the shaker keeps while it is in a tank; nothing for others.
    virtual void resetShakerCounters(Cvariable*) {}
};

// The things layer's access, a slot of worldHooks.
inline CtankThingAccess*& tankThingAccess = worldHooks.thingAccess;
