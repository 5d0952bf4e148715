// The slots through which the world layer reaches the layers above it: the things in a
// tank, their species and the fish's schools and obstacle spheres. The program's wiring
// fills every slot before anything starts (program/programWiring.h).
#pragma once

#include <cstdint>

#include "support/hookTable.h"

class CmanagedResourceVar;
class CshopServices;
class Cspecies;
class CsphereField;
class Ctank;
class CtankLiveAccess;
class CtankSchoolAccess;
class CtankThingAccess;
class Cvariable;

struct CworldHooks {
    // -- owned by the things
    // What a tank does with the things in it (world/tankThings.h).
    CtankThingAccess* thingAccess = nullptr;
    // The per-frame calls of the tank update into its things (world/tankLive.h).
    CtankLiveAccess* liveAccess = nullptr;
    // How the factory hands a new member its species and blending flag byte.
    void (*setThingSpecies)(Cvariable* thing, Cspecies* species, uint8_t blending) = nullptr;

    // -- owned by the fish
    // How a tank reaches its fish schools (world/tankSchools.h).
    CtankSchoolAccess* schoolAccess = nullptr;
    // Loads the avoid-sphere model into the tank's sphere field (made on first use); 0 loaded.
    int (*loadTankSpheres)(Ctank* tank, CmanagedResourceVar* geometry, float scale) = nullptr;
    // Frees a tank's sphere field.
    void (*freeTankSpheres)(CsphereField* field) = nullptr;

    // -- owned by the program
    // The services a shop keeper made without its own uses.
    CshopServices* shopServices = nullptr;
};

extern CworldHooks worldHooks;

// The table's description for the start-up check.
ChookTable worldHookTable();
