#include "world/worldHooks.h"

CworldHooks worldHooks;

ChookTable worldHookTable() {
    static constexpr ChookSlot slots[] = {
        HOOK_SLOT(CworldHooks, thingAccess, "things"),     HOOK_SLOT(CworldHooks, liveAccess, "things"),
        HOOK_SLOT(CworldHooks, setThingSpecies, "things"), HOOK_SLOT(CworldHooks, schoolAccess, "fish"),
        HOOK_SLOT(CworldHooks, loadTankSpheres, "fish"),   HOOK_SLOT(CworldHooks, freeTankSpheres, "fish"),
        HOOK_SLOT(CworldHooks, shopServices, "program"),
    };
    static_assert(slotsAreDistinct(slots));
    return describeHooks("worldHooks", worldHooks, slots);
}
