// The tank's script commands: adding things, definitions, schools, highlight, the
// closing "remaining" of a definition and settings changes (the pointer and view
// commands are in tankMouseCommands.cpp).
#include "world/tank.h"

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fastRand.h"
#include "variables/variableConvert.h"
#include "variables/variableLinks.h"
#include "world/shopKeeper.h"
#include "world/tankThings.h"

namespace {
int commandAddThing(Ctank& tank, CscriptHandler*, CscriptLine& line) {
    Cstring path = line.tokenCount() > 0 ? line.getString(0, false) : Cstring();
    if (!tank.allowAddThing && !(path == "species/backdrop_image")) return 0;
    VTRACE(2, "adding Species: " << path);
    if (path.empty() || path == "backdrop") return 0;
    bool unmade = false;
    Cvariable* thing = tank.addThing(path, tank.tankFolder.c_str(), &unmade);
    if (thing == nullptr) {
        VTRACE(1, "Thing not added");
        // A saved thing whose species is missing stays in the settings until it can be made.
        if (unmade && tank.addTankLoading) tank.keepUnmadeThing(line, path);
        return 0;
    }
    Cstring extra = line.tokenCount() > 1 ? line.getString(1, false) : Cstring();
    bool failed = line.firstChild && scriptFailed(runScriptLines(thing, line.firstChild));
    failed = failed || (!extra.empty() && scriptFailed(runStringScript(thing, extra.c_str())));
    int reset = failed || tankThingAccess == nullptr ? 0 : tankThingAccess->resetThing(thing, 0);
    if (failed || reset != 0) {
        // A thing its set-up failed on is not left half made in the tank.
        if (reset != 0) setExitError("RESET FAILED - REMOVING DEFECTIVE THING FROM LIST", 1);
        if (tank.focus == thing) tank.changeFocusThing(nullptr);
        if (tankThingAccess) tankThingAccess->setToTank(thing, nullptr);
        deleteVariable(thing);
        return reset != 0 ? 1 : 0;
    }
    if (tankThingAccess) {
        tankThingAccess->setPosition(thing);
        tankThingAccess->postInitScript(thing);
    }
    return 0;
}

CarrayVar* lightArray(Ctank& tank, char const* arrayName) {
    auto* array = dynamic_cast<CarrayVar*>(tank.getChild(arrayName));
    return array && array->elements() >= 7 ? array : nullptr;
}

int commandRemaining(Ctank& tank) {
    CarrayVar* low = lightArray(tank, "lightDepthLow");
    CarrayVar* high = lightArray(tank, "lightDepthHi");
    if (tank.avoidSpheres) {
        if (loadTankSpheres && loadTankSpheres(&tank, tank.avoidSpheres, tank.tankScale) != 0)
            setExitError("bad spheres", 1);
        unrequestResource(tank.avoidSpheres);
        tank.avoidSpheres = nullptr;
    } else {
        setExitError("no avoidSpheres", 1);
    }
    VTRACE(2, "aftsphere");
    // Seven numbers each, at two different depths, or the table divides by zero.
    if (low == nullptr || high == nullptr || low->getFloat(0) == high->getFloat(0)) {
        setExitError("must have hi and low depths", 1);
        return 1;
    }
    tank.lightDepthStart = low->getFloat(0) * tank.tankScale;
    tank.lightDepthInvSpan = 1.0f / (high->getFloat(0) * tank.tankScale - tank.lightDepthStart);
    for (int c = 0; c < 3; c++) {
        tank.lightColorASpan[c] = high->getFloat(1 + c) - low->getFloat(1 + c);
        tank.lightColorABase[c] = low->getFloat(1 + c);
        tank.lightColorBSpan[c] = high->getFloat(4 + c) - low->getFloat(4 + c);
        tank.lightColorBBase[c] = low->getFloat(4 + c);
    }
    VTRACE(2, "aftamb");
    float s = tank.tankScale;
    tank.fishAddPos = tank.fishAddPos * s;
    tank.forgetAboutFoodBelowHeight *= s;
    tank.minimumGroundHeight *= s;
    tank.foodAddPos = tank.foodAddPos * s;
    tank.lightPos = tank.lightPos * s;
    tank.scaledNearPlane = tank.nearPlane * s;
    tank.scaledFarPlane = tank.farPlane * s;
    tank.screenClearMode = tank.clearScreenEveryFrame;
    tank.clearScreenCopy = static_cast<uint8_t>(tank.clearScreenEveryFrame);
    if (tank.clearScreenEveryFrame == 0) VTRACE(1, "ncsef");
    VTRACE(2, "fishShadows:" << tank.doFishShadows);
    tank.crabPos = tank.crabPos * s;
    tank.definitionFinished = 1;
    tank.numDiffuseVoxels = 0;
    if (Cvariable* paths = tank.getChild("diffuseVoxelPaths")) {
        int count = paths->countChildren(-1);
        if (count > 3) { // more than the tank has slots for: a bad definition, not a reason to quit
            setExitError("nfv>mdv", 1);
            return 1;
        }
        tank.numDiffuseVoxels = count;
        auto* list = dynamic_cast<CarrayVar*>(paths);
        for (int i = 0; i < count && list; i++) {
            Cstring path = list->getString(i);
            registerDataArrayAndLoad(&tank, &tank.diffVoxels[i], "diffVoxels", path.c_str(), path.c_str());
            if (tank.diffVoxels[i]) tank.diffVoxels[i]->scaleSizeAndValues(s, 0);
        }
    }
    if (tank.heightField) tank.heightField->scaleSizeAndValues(s, 3);
    if (tank.levelSet) tank.levelSet->scaleSizeAndValues(s, 15);
    tank.schoolBoxMin = tank.schoolMinBound;
    tank.schoolBoxMax = tank.schoolMaxBound;
    return 0;
}
} // namespace

void Ctank::populateTank() {
    VTRACE(1, "POPULATETANK " << tankID);
    deleteAllFish();
    Cvariable* info = findVariable("/std_scripts/fishInfo");
    Cvariable* extraInit = info ? info->getChild("extraInit") : nullptr;
    Cvariable* addOne = info ? info->getChild("addThingFromTempInt") : nullptr;
    if (extraInit == nullptr || addOne == nullptr) return;
    float const* low = &schoolMinBound.x;
    float const* high = &schoolMaxBound.x;
    for (int i = 0; i < 20; i++) {
        Cstring text(":set startPos ");
        for (int a = 0; a < 3; a++) {
            text += Cstring(randRangeReal(low[a], high[a]));
            text += " ";
        }
        text += ":set startPitch ";
        text += Cstring(randRangeReal(-0.5f, 0.5f));
        text += " :set initialSpeed 0 :set startHeading ";
        text += Cstring(randRangeReal(0.0f, 7.0f));
        text += " :set thingScale ((.8+.4*rand())*$thingScale)\n";
        extraInit->setElem_char(0, text.c_str());
        runScript(this, addOne);
    }
}

unsigned Ctank::processCommand(CscriptHandler* handler, CscriptLine& line) {
    Cstring const& command = line.name;
    VTRACE(2, "Ctank::processCommand " << command);
    if (command == "addThing")
        return scriptFailed(commandAddThing(*this, handler, line)) ? CMD_STOP : CMD_DONE;
    if (command == "tankType") {
        if (loadDefinition(line.getString(0, true)) != 0) {
            recommendReinstall = 1;
            setExitError("bad tankType", 1);
        }
        return CMD_DONE;
    }
    if (command == "addSchool") {
        Cvariable* school = addSchool(line.getString(0, true).c_str());
        if (school == nullptr) {
            setExitError("couldn't add school", 1);
        } else if (line.firstChild && scriptFailed(runScriptLines(school, line.firstChild))) {
            setExitError("school block error", 1);
        }
        return CMD_DONE;
    }
    if (command == "highlight") {
        animalHighlight(line.getString(0, true), static_cast<float>(line.getFloatOrDefault(1, 0.0)));
        return CMD_DONE;
    }
    if (command == "remaining") return commandRemaining(*this) ? CMD_STOP : CMD_DONE;
    if (command == "changeFocusThing") {
        changeFocusThingStep(varconv::truncToInt(line.getFloat(0)));
        return CMD_DONE;
    }
    if (command == "chTankSets") {
        calcTankSpeed();
        setWireframeMode(wireframeMode);
        changeBubbleOrigin(0);
        return CMD_DONE;
    }
    if (command == "disallowSpecies") {
        disallowedSpecies.push_back(line.getString(0, true));
        return CMD_DONE;
    }
    if (command == "populateTank") {
        populateTank();
        return CMD_DONE;
    }
    unsigned result = CMD_DONE;
    if (processPointerCommand(line, result)) return result;
    return CsafeRelationship::processCommand(handler, line);
}
