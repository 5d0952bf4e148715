// Tank definitions and population: adding things within the caps (keeping the saved lines
// of those whose species cannot be made), the fish list and its schools, proximities and
// look-ups by species.
#include "world/tank.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "script/proximityVar.h"
#include "script/scriptLine.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "variables/configDialogVars.h"
#include "world/shopKeeper.h"
#include "world/species.h"
#include "world/tankSchools.h"
#include "world/tankThings.h"

Cvariable* makeThing(Cstring const& speciesName, char const* folder) {
    Cspecies* species = requestSpecies2(speciesName.c_str(), folder);
    if (species == nullptr) return nullptr;
    Cvariable* thing = species->createNewMemberOfThisSpecies();
    if (thing == nullptr) {
        unrequestSpecies(species);
        return nullptr;
    }
    Cstring thingName(species->name);
    thingName += std::to_string(species->membersMade).c_str();
    thing->setName(thingName);
    // Only a species with a model gives its members render geometry.
    if (species->model() && tankThingAccess && tankThingAccess->addRenderGeometry(thing) != 0) {
        delete thing;
        return nullptr;
    }
    return thing;
}

namespace {
Cspecies* speciesOf(Cvariable* thing) {
    return tankThingAccess ? tankThingAccess->speciesOf(thing) : nullptr;
}

uint32_t attributesOf(Cvariable* thing) {
    return tankThingAccess ? tankThingAccess->attributes(thing) : 0;
}
} // namespace

int Ctank::loadDefinition(Cstring const& typeName) {
    if (shop) tankScale = shop->worldScale;
    tankTypeName = typeName;
    dependentListName = typeName;
    tankFolder = Cstring("tanks/") + typeName.c_str() + "/";
    definitionPath = tankFolder + typeName.c_str() + ".tank";
    VTRACE(3, "loading tank file " << definitionPath);
    Cvariable* base = shop ? static_cast<Cvariable*>(shop) : parent;
    if (shop) {
        shop->focusTank = name;
        shop->focusTankType = typeName;
        if (shop->focusTankPath) shop->focusTankPath->setString(getFullPath('/').c_str());
    }
    if (base == nullptr) return 1;
    Cvariable* script = base->findVariable(definitionPath.c_str());
    if (script == nullptr) {
        if (!runResourceScriptFile(base, definitionPath.c_str())) return 1;
        script = base->findVariable(definitionPath.c_str());
    }
    // A file that defines no script leaves a half-built tank: that is a failure too.
    if (script == nullptr) return 1;
    // The definition names its files relative to the tank's folder: ":addScript" filed it
    // with the folder of the node it ran on (the shop keeper's last script).
    if (auto* definition = dynamic_cast<CscriptVar*>(script)) definition->diskPath = tankFolder;
    if (scriptFailed(runScript(this, script))) return 1;
    if (erroredExit) return 1;
    bubbles = findInstanceOfSpecies("bubbles", 1);
    setWireframeMode(0);
    return 0;
}

Cvariable* Ctank::addThing(Cstring const& speciesName, char const* folder, bool* unmade) {
    if (shop && shop->currentTankPath) shop->currentTankPath->setString(getFullPath('/').c_str());
    Cvariable* thing = makeThing(speciesName, folder);
    if (unmade) *unmade = thing == nullptr;
    if (thing == nullptr) return nullptr;
    bool panelShown = shop && shop->controlPanel && shop->controlPanel->isDisplayed();
    if (tankThingAccess && tankThingAccess->whatAmI(thing) == 1) {
        int overstuff = shop ? shop->overstuff : 0;
        bool liftCap = overstuff == 2 || (overstuff == 1 && addTankLoading);
        if (numFish >= kAbsoluteFishCap) {
            if (panelShown) runStringScript(shop, ":pane tf /std_scripts/tnkfl");
            deleteVariable(thing);
            return nullptr;
        }
        if (numFish >= maxFishPerTank && !liftCap) {
            if (panelShown) runStringScript(shop, ":pane tf /std_scripts/tmf");
            // Over the option: the fish lives in the tank for this run but is never saved. A
            // lower cap of this run's command line alone leaves the tanks as the kept one has
            // them: what it keeps out of a saved tank stops the tanks' save in this run.
            bool keptAllows = numFish < keptMaxFishPerTank();
            if (!keptAllows) thing->unsetFlag(VAR_SAVE | VAR_SAVE_COMMAND);
            if (overstuff == 0 && addTankLoading) {
                if (keptAllows && shop && !shop->dontSaveUnderAnyCircumstances) {
                    VTRACE(1, "fish kept out by this run's own cap: the tanks are not saved in this run");
                    shop->dontSaveUnderAnyCircumstances = 1;
                }
                deleteVariable(thing);
                return nullptr;
            }
        }
    }
    if (tankThingAccess) {
        // Joining the tank puts the thing into the thing list.
        tankThingAccess->setToTank(thing, this);
        tankThingAccess->setDisplayed(thing, 1);
    }
    if (thing->parent != thingList) {
        thingList->addVariable(thing, 1);
        if (tankThingAccess == nullptr) addNodeToTankLists(thing);
    }
    int allowed = tankThingAccess ? tankThingAccess->isAllowed(thing) : 1;
    Cspecies* species = speciesOf(thing);
    if (species && findNumOfThisSpeciesInTank(species) > species->maxPerTank) {
        VTRACE(2, "TOO MANY! " << species->name);
        allowed = 0;
    }
    if (allowed && species) {
        std::string folder(species->getDiskPath().c_str());
        while (!folder.empty() && folder.back() == '/')
            folder.pop_back();
        Cstring initPath = Cstring("speciesScripts/") + folder.c_str() + "/init";
        Cvariable* base = speciesTreeBase ? speciesTreeBase : static_cast<Cvariable*>(shop);
        Cvariable* init = base ? base->findVariable(initPath.c_str()) : nullptr;
        if (auto* script = dynamic_cast<CscriptVar*>(init)) {
            VTRACE(3, "FOUND SPECIES SCRIPT: " << initPath);
            script->diskPath = species->getDiskPath();
            runScript(thing, script);
        } else {
            VTRACE(2, "no main setup script for " << species->name);
        }
    }
    if (allowed && tankThingAccess) {
        tankThingAccess->setDefaultPosition(thing);
        if (tankThingAccess->doExtraInit(thing) != 0) {
            VTRACE(1, "**--*ERROR!!!! couldn't do extra init");
            allowed = 0;
        }
    }
    if (!allowed) {
        if (tankThingAccess) tankThingAccess->setToTank(thing, nullptr);
        deleteVariable(thing);
        return nullptr;
    }
    if (attributesOf(thing) & 16) changeFocusThing(thing);
    return thing;
}

void Ctank::keepUnmadeThing(CscriptLine& line, Cstring const& speciesPath) {
    // The line as the settings held it, with its block: the tank writes it back after its own
    // things (a cap that a later start meets keeps the things the viewer saw first), once per
    // save, and a start with the species whole makes the thing again.
    auto* kept = new CscriptLine;
    kept->copyFrom(&line);
    kept->copyScriptChildren(&line);
    unmadeThings->addVariable(kept, 1);
    if (shop == nullptr) return;
    std::vector<Cstring>& told = shop->missingSpeciesTold;
    if (std::find(told.begin(), told.end(), speciesPath) != told.end()) return;
    told.push_back(speciesPath);
    // Where the species was looked for first: its folder in the resources the engine works in.
    std::string path(speciesPath.c_str());
    if (path.find('/') == std::string::npos) path = "species/" + path;
    std::error_code error;
    std::string folder = (std::filesystem::current_path(error) / path).string() + "/";
    Cstring said = Cstring("the species \"") + speciesPath + "\" cannot be loaded (looked for in \"" +
                   folder.c_str() +
                   "\"): its fish in the saved tanks are kept in the settings for when the install is "
                   "whole again: install Velmora again";
    VTRACE(1, said);
    if (masterOut.is_open()) masterOut << said << std::endl;
    std::fprintf(stderr, "velmora: %s\n", said.c_str());
}

Cvariable* Ctank::findInstanceOfSpecies(char const* speciesName, int n) {
    int wanted = std::max(n, 1);
    for (Cvariable* c = thingList->firstChild; c; c = c->nextSibling) {
        Cspecies* species = speciesOf(c);
        if (species && species->name == speciesName && --wanted == 0) return c;
    }
    return nullptr;
}

int Ctank::findNumOfThisSpeciesInTank(Cspecies* species) {
    int count = 0;
    for (Cvariable* c = thingList->firstChild; c; c = c->nextSibling)
        if (species && speciesOf(c) == species) count++;
    return count;
}

Cvariable* Ctank::addSchool(char const* schoolName) {
    if (Cvariable* school = schoolManager->getChild(schoolName)) return school;
    if (tankSchoolAccess) return tankSchoolAccess->makeSchool(*this, schoolName);
    return tankThingAccess ? tankThingAccess->makeSchool(schoolManager, schoolName) : nullptr;
}

void Ctank::addFish(Cvariable* fish) {
    Cspecies* species = speciesOf(fish);
    Cstring schoolName = species ? species->name : Cstring("school");
    if (Cvariable* named = species ? species->getChild("schoolName") : nullptr)
        schoolName = named->getString();
    if (Cvariable* school = addSchool(schoolName.c_str()); school && tankSchoolAccess)
        tankSchoolAccess->joinSchool(school, fish);
    else if (school && tankThingAccess)
        tankThingAccess->joinSchool(school, fish);
    fishList.push_back(fish);
    numFish++;
}

void Ctank::removeFish(Cvariable* fish) {
    if (static_cast<int>(fishList.size()) != numFish) exit0("rfisherr");
    auto found = std::find(fishList.begin(), fishList.end(), fish);
    if (found == fishList.end()) return;
    fishList.erase(found);
    numFish--;
}

void Ctank::adjustVariablesRelatedToNumFish() {
    VTRACE(1, "numFish " << numFish);
}

void Ctank::addThingToTankLists(Cthing* thing) {
    if (tankThingAccess) addNodeToTankLists(tankThingAccess->node(thing));
}

int Ctank::removeThingFromList(Cthing* thing) {
    // The lists may point into the leaving thing's groups.
    displayGeoFetched = 0;
    Cvariable* node = tankThingAccess ? tankThingAccess->node(thing) : nullptr;
    int moves = node ? tankThingAccess->itMoves(node) : 0;
    if (moves && numMovingThings > 0) numMovingThings--;
    return moves;
}

void Ctank::addNodeToTankLists(Cvariable* thing) {
    if (thing == nullptr) return;
    if (tankThingAccess)
        numMovingThings = static_cast<uint16_t>(numMovingThings + (tankThingAccess->itMoves(thing) ? 1 : 0));
    if (!(attributesOf(thing) & 6) || tankThingAccess == nullptr) return;
    size_t count = 0;
    for (Cvariable* other = thingList->firstChild; other; other = other->nextSibling) {
        if (other == thing || other->hasFlag(VAR_TEARING_DOWN | VAR_BEING_DELETED) ||
            !(attributesOf(other) & 6))
            continue;
        CproximityParty* a = tankThingAccess->proximityParty(other);
        CproximityParty* b = tankThingAccess->proximityParty(thing);
        if (a == nullptr || b == nullptr) continue;
        auto* proximity = new CproximityVar;
        proximity->setName(Cstring("prox_") + other->name.c_str() + "_" + thing->name.c_str());
        proximity->setThings(a, b);
        allProximities->addVariable(proximity, 1);
        count++;
    }
    if (proximityThingList.size() < count + 1) proximityThingList.resize(count + 1);
    if (proximityDistList.size() < count + 1) proximityDistList.resize(count + 1);
}

void Ctank::deleteAllFish() {
    // The view goes back to a still wide shot, as over an empty tank.
    myCamera.camPos = Cvector(0.0f, 0.0f, 20.0f);
    destCamera = myCamera;
    lastCameraPos = myCamera.camPos;
    changeCameraBehavior(CAM_STATIC);
    changeFocusThing(nullptr);
    std::vector<Cvariable*> things;
    thingList->fillVectorWithAllChildren(things);
    VTRACE(1, "deleting pickable things of " << things.size());
    for (Cvariable* thing : things) {
        // A thing that went with an earlier one (a shadow) is no longer in the list.
        if (thing->parent == thingList && (attributesOf(thing) & 32)) {
            VTRACE(1, "delete " << thing->name);
            deleteVariable(thing);
        }
    }
}
