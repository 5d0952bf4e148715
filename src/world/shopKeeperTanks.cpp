// The tank registry: tanks by id. Loaded tanks hang under "loadedTanks", each through a
// script holder named like it; latent tanks are scripts under "latentTanks" (written by
// the settings save) whose ":addTank" line rebuilds the tank when it is first shown.
#include <cstdlib>
#include <cstring>

#include "graphics/graphicsMaster.h"
#include "script/scriptLine.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "variables/variableConvert.h"
#include "support/globals.h"
#include "world/shopKeeper.h"
#include "world/species.h"

namespace {

// Ids above this come only from a corrupt file; marking them would allocate without bound.
constexpr int kHighestTankID = 32767;

void markUsedID(int id, std::vector<int>& used) {
    if (id < 0 || id > kHighestTankID) return;
    // One past the highest id seen, so that a free index always exists.
    if (used.size() < static_cast<size_t>(id) + 2) used.resize(static_cast<size_t>(id) + 2, 0);
    used[static_cast<size_t>(id)] = 1;
}

// The id of a name "tank<digits>"; -1 for any other name.
int idFromTankName(Cstring const& name) {
    char const* text = name.c_str();
    if (name.size() < 5 || std::strncmp(text, "tank", 4) != 0) return -1;
    char* end = nullptr;
    long id = std::strtol(text + 4, &end, 10);
    if (*end != '\0' || text[4] < '0' || text[4] > '9' || id > kHighestTankID) return -1;
    return static_cast<int>(id);
}

bool isWithin(Cvariable* node, Cvariable* ancestor) {
    for (; node; node = node->parent)
        if (node == ancestor) return true;
    return false;
}

} // namespace

void markUsedTanks(Cvariable* sequence, std::vector<int>& used) {
    if (sequence == nullptr) return;
    Cvariable* ids = sequence->getChild("tankID");
    if (ids == nullptr || ids->getType() != TYPE_ARRAY) return;
    for (Cvariable* element = ids->firstChild; element; element = element->nextSibling) {
        VTRACE(4, "_tankID " << element->getInt());
        markUsedID(element->getInt(), used);
    }
}

Cstring CshopKeeper::getTankNameByID(int id) {
    if (id == -5) return "holding";
    return Cstring("tank") + std::to_string(id).c_str();
}

Ctank* CshopKeeper::findLoadedTankByID(int id) {
    VTRACE(2, "findLoadedTankByID " << id);
    if (loadedTanks == nullptr) return nullptr;
    for (Cvariable* holder = loadedTanks->firstChild; holder; holder = holder->nextSibling) {
        Ctank* tank = services().asTank(holder->firstChild);
        if (tank && services().tankID(tank) == id) {
            VTRACE(2, "found tank id " << id << " in " << holder->getName());
            return tank;
        }
    }
    return nullptr;
}

Cvariable* CshopKeeper::findLatentTankScriptByID(int id) {
    VTRACE(2, "findLatentTankScriptByID");
    if (latentTanks == nullptr) return nullptr;
    return latentTanks->getChild(getTankNameByID(id).c_str());
}

int CshopKeeper::findUnusedTankID() {
    std::vector<int> used;
    if (sequences)
        for (Cvariable* seq = sequences->firstChild; seq; seq = seq->nextSibling)
            markUsedTanks(seq, used);
    for (char const* special : {"stallSeq", "hallSeq", "storeTankSeq", "holdingTankSeq"})
        markUsedTanks(getChild(special), used);
    if (variableTrashDir) markUsedTanks(variableTrashDir->getChild("seq"), used);
    // Tanks that no sequence names still hold their ids: two tanks never share one.
    if (loadedTanks)
        for (Cvariable* holder = loadedTanks->firstChild; holder; holder = holder->nextSibling)
            if (Ctank* tank = services().asTank(holder->firstChild))
                markUsedID(services().tankID(tank), used);
    if (latentTanks)
        for (Cvariable* script = latentTanks->firstChild; script; script = script->nextSibling)
            markUsedID(idFromTankName(script->getName()), used);
    VTRACE(4, "_usdTnks.size:" << used.size());
    for (size_t i = 0; i < used.size(); i++)
        if (used[i] == 0) return static_cast<int>(i);
    return 0;
}

Ctank* CshopKeeper::allocBlankTankObject(int id) {
    VTRACE(2, "creating new tank object2");
    if (id == -1) id = findUnusedTankID();
    if (id == -1 || loadedTanks == nullptr) return nullptr;
    Ctank* tank = services().newTank(*this);
    Cvariable* node = services().tankNode(tank);
    if (node == nullptr) return nullptr;
    Cstring name = getTankNameByID(id);
    node->setName(name);
    services().setTankID(tank, id);
    Cvariable* holder = loadedTanks->addVariable(new CscriptVar(), 1);
    holder->setName(name);
    holder->addVariable(node);
    holder->setSave(1);
    node->setSave(1);
    services().setAutoFeedCounter(tank, autoFeedSeconds - 20);
    VTRACE(2, "added tank " << name);
    return tank;
}

Ctank* CshopKeeper::findTankByID(int id) {
    VTRACE(2, "findTankByID=" << id);
    if (id != -1) {
        if (Ctank* tank = findLoadedTankByID(id)) {
            VTRACE(2, "found tank " << id);
            return tank;
        }
        VTRACE(2, "find latent tank");
        if (Cvariable* script = findLatentTankScriptByID(id)) {
            VTRACE(2, "Found latent script");
            if (runScript(this, script) != 0 || exitSaver) return nullptr;
            Ctank* tank = findLoadedTankByID(id);
            if (tank == nullptr) {
                setExitError("ran script but no tank!", 1);
                return nullptr;
            }
            VTRACE(2, "FOUND TANK " << id);
            deleteVariable(script);
            return tank;
        }
    }
    VTRACE(4, "_+def tnk");
    Ctank* tank = allocBlankTankObject(displayedSequence == -5 ? -5 : -1);
    if (tank == nullptr) return nullptr;
    Cvariable* queued = getChild("queued_tanks");
    if (queued && queued->firstChild) {
        Cvariable* script = queued->firstChild;
        runScript(services().tankNode(tank), script);
        deleteVariable(script);
    } else if (services().loadDefinition(tank, "wabi_sabi") != 0) {
        // A half-built tank is never shown.
        setExitError("couldn't load the tank definition wabi_sabi", 1);
        removeTank(tank);
        return nullptr;
    }
    services().prepForAction(tank);
    return tank;
}

void CshopKeeper::deleteTankByID(int id) {
    removeTank(findLoadedTankByID(id));
}

void CshopKeeper::removeTank(Ctank* tank) {
    Cvariable* node = services().tankNode(tank);
    if (node == nullptr) return;
    VTRACE(2, "removing tank " << node->getName());
    services().prepareTankForDelete(tank);
    services().disconnectFromDevices(tank);
    // No display or focus may point at a tank that is gone.
    for (int d = 0; d < numDisplays; d++)
        if (display[d]->tank == tank) display[d]->tank = nullptr;
    if (focusTankObject == tank) focusTankObject = nullptr;
    if (controlPanel && isWithin(controlPanel->node(), node)) controlPanel->node()->setParent(nullptr, 0);
    services().clearTank(tank);
    VTRACE(2, "about to erase tank");
    Cvariable* holder = node->parent && node->parent->parent == loadedTanks ? node->parent : node;
    holder->setFlag(VAR_DEFER_DELETE, true);
    deleteVariable(holder);
}

Cvariable* CshopKeeper::makeThing(char const* speciesName, char const* speciesPath) {
    VTRACE(2, "creating new member of this species");
    Cvariable* thing = ::makeThing(Cstring(speciesName), speciesPath);
    if (thing == nullptr) VTRACE(1, "failed getting species called " << speciesName);
    return thing;
}

unsigned CshopKeeper::addTankCommand(CscriptLine& line) {
    Ctank* tank = nullptr;
    if (line.tokenCount() == 2) {
        Cstring typeName = line.getString(0, true);
        int id = varconv::truncToInt(line.getFloat(1));
        VTRACE(2, "ADDTANK: " << typeName << " " << id);
        tank = allocBlankTankObject(id);
        if (tank == nullptr) return CMD_STOP;
        scriptAllowVariableNotFound = 1;
        if (services().loadDefinition(tank, typeName.c_str()) != 0) {
            // Without its definition the tank is half built (no cameras, its saved things
            // unmade): never shown, nor saved over what the file holds of it.
            recommendReinstall = 1;
            removeTank(tank);
            setExitError((Cstring("couldn't load the tank definition ") + typeName).c_str(), 1);
            return CMD_STOP;
        }
        // A saved tank's block holds its animals as they were saved: the ones its definition
        // adds would come back twice (and a fish the viewer took out would come back).
        if (line.firstChild) services().dropDefinitionAnimals(tank);
    } else {
        tank = allocBlankTankObject(-1);
    }
    if (tank == nullptr) {
        setExitError("tank load failed", 1);
        return CMD_STOP;
    }
    Cvariable* node = services().tankNode(tank);
    VTRACE(2, "ADDING TANK " << (node ? node->getName().c_str() : ""));
    services().setTankLoading(tank, true);
    if (line.firstChild && runScriptLines(node, line.firstChild) != 0) {
        settingsFileError = 1;
        services().setTankLoading(tank, false);
        removeTank(tank);
        setExitError("tank load failed", 1);
        return CMD_STOP;
    }
    // The saved tank is whole: what its post-load script adds obeys the fish caps again.
    services().setTankLoading(tank, false);
    VTRACE(2, "  enableSaving=" << int(saveChanges));
    services().prepForAction(tank);
    VTRACE(2, "RTPL 1");
    return CMD_DONE;
}
