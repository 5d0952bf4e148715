#include "program/programWiring.h"

#include <cstring>

#include "fish/fishKind.h"
#include "graphics/glDeviceData.h"
#include "graphics/graphicsMaster.h"
#include "graphics/workObject.h"
#include "interface/interfaceKinds.h"
#include "program/programServices.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "things/thingKinds.h"
#include "world/engineWiring.h"
#include "world/internet.h"
#include "world/thingFactory.h"
#include "world/worldHooks.h"

namespace {

// The parts built into this program. A part joins the list with the layer that builds it.
char const* const kBuiltParts[] = {"script", "graphics", "gl",      "world",     "things", "fish",
                                   "food",   "crab",     "shadows", "interface", "program"};

} // namespace

std::vector<ChookTable> programHookTables() {
    return {engineHookTable(), graphicsHookTable(), workObjectDeviceHookTable(), worldHookTable()};
}

// Program parts added above the engine (a handful at most).
char const* addedParts[4] = {};

bool partIsBuilt(char const* owner) {
    for (char const* part : kBuiltParts)
        if (std::strcmp(part, owner) == 0) return true;
    for (char const* part : addedParts)
        if (part && std::strcmp(part, owner) == 0) return true;
    return false;
}

void addBuiltPart(char const* part) {
    if (partIsBuilt(part)) return;
    for (char const*& slot : addedParts)
        if (slot == nullptr) {
            slot = part;
            return;
        }
}

CshopServices& programServices() {
    static CprogramServices services;
    return services;
}

void wireProgram() {
    installWorldHooks();
    installWorkObjectDeviceHooks();
    installThingKinds();
    installFishKind();
    installInterfaceKinds();
    installWebRequests();
    worldHooks.shopServices = &programServices();
}

std::vector<std::string> unwiredSlots() {
    std::vector<std::string> out;
    for (ChookTable const& table : programHookTables())
        for (size_t i = 0; i < table.count; i++)
            if (partIsBuilt(table.slots[i].owner) && !table.isSet(i))
                out.push_back(std::string(table.name) + "." + table.slots[i].name);
    for (CunmadeKind const& kind : kindsWithoutMaker())
        if (partIsBuilt(kind.owner)) out.push_back(std::string("thingKinds.") + kind.keyword);
    return out;
}

int checkWiring() {
    std::vector<std::string> missing = unwiredSlots();
    if (missing.empty()) return 0;
    std::string text = "unwired:";
    for (std::string const& slot : missing)
        text += " " + slot;
    setExitError(text.c_str(), 1);
    return 1;
}
