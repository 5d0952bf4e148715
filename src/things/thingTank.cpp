// A thing in its tank: joining and leaving, the teardown, the saved text and the
// thing's script commands.
#include <fstream>

#include "graphics/workObject.h"
#include "script/scripter.h"
#include "script/variableSearch.h"
#include "support/cerr.h"
#include "things/thing.h"
#include "variables/configDialogVars.h"
#include "variables/variableSaverLoader.h"
#include "world/thingServices.h"

void Cthing::setToTank(CtankServices* t) {
    geometryCount = 0;
    framesUpdated = 0;
    if (t != tank) {
        if (tank) tank->removeThingFromList(this);
        if (t) {
            setParent(t->getThingList(), 1);
        } else {
            setDisplayed(0);
            if (!(flags & VAR_TEARING_DOWN)) setParent(nullptr, 0);
        }
        // A thing being torn down stays under its tank until the tree deletes it, but it
        // must not be counted among the tank's things again.
        if (tank && !(t == nullptr && (flags & VAR_TEARING_DOWN))) tank->addThingToTankLists(this);
    }
    if (shadowThing) shadowThing->setToTank(t);
}

void Cthing::setParent(Cvariable* newParent, int append) {
    bool moves = newParent != parent;
    if (moves && parent && tank) clearRelationshipType(NATURE_CONTAINS_THING);
    CsafeRelationship::setParent(newParent, append);
    if (!moves) {
        if (parent == nullptr) tank = nullptr;
        return;
    }
    if (parent == nullptr) {
        tank = nullptr;
        return;
    }
    tank = dynamic_cast<CtankServices*>(searchUpForParentWithFlag(this, VAR_IS_TANK));
    if (tank) {
        setRelationshipWith2(tank, NATURE_CONTAINS_THING);
        if (workObject) workObject->setCameraMatricesToTank(&workOwner);
    }
}

void Cthing::prepareForDelete() {
    if (!(flags & DO_PREPARE_FOR_DELETE)) return;
    flags |= VAR_TEARING_DOWN;
    dying = 1;
    clearAllMessages();
    active = 0;
    displayed = 0;
    clearAnimCycles();
    if (Cthing* shadow = shadowThing) {
        shadowThing = nullptr;
        deleteVariable(shadow);
    }
    if (Cthing* poo = pooThing) {
        pooThing = nullptr;
        deleteVariable(poo);
    }
    if (tank) {
        tank->updateFocusThing();
        setToTank(nullptr);
    }
    removeAllRelationships();
    if (parentThing) VTRACE(1, "thing removed with parent still there!");
    if (numDependents() > 0) {
        VTRACE(1, "\n\n\n\nAHHH! " << name << " STILL HAS " << numDependents() << " DEPENDENTS!");
        // A developer check: the run stops in order instead of the process ending.
        if (specialMode) setExitError("hasdeps", 1);
    }
    CsafeRelationship::prepareForDelete();
}

void Cthing::writeConfigString(std::ostream& out) {
    if (useAssets)
        out << ":addAsset " << assetName.c_str();
    else
        out << ":addThing " << (species ? species->getName().c_str() : "");
}

void Cthing::saveConfigExtra(std::ostream& out, int indent) {
    if (tank && tank->focusThing == this) out << makeTabs(indent) << ":isFocus\n";
    if (flags & VAR_SAVE) out << makeTabs(indent) << ":save\n";
}

void Cthing::writeSaveString(std::ostream& out) {
    out << ":thing " << name.c_str();
}

unsigned Cthing::processCommand(CscriptHandler* handler, CscriptLine& line) {
    Cstring const& word = line.getName();
    if (word == "reset") {
        resetThing(0);
    } else if (word == "isFocus") {
        if (tank) tank->requestedFocusThing = this;
    } else if (word == "remapAttrib") {
        if (line.tokenCount() < 4) {
            setExitError("remapAttrib needs an attribute, a component, lo and hi", 1);
            return CMD_STOP;
        }
        Cstring attrib = line.getString(0, true);
        double component = line.getFloat(1);
        if (!(component >= 0.0 && component < 4.0)) {
            setExitError("remapAttrib component out of range", 1);
            return CMD_STOP;
        }
        float lo = clampToFloat(line.getFloat(2));
        float hi = clampToFloat(line.getFloat(3));
        if (workObject)
            workObject->mathOnAttribFromOriginalValues(attrib.c_str(), static_cast<int>(component), lo, hi);
    } else if (word == "buildCustomTex") {
        if (line.tokenCount() < 1) {
            setExitError("buildCustomTex needs a script name", 1);
            return CMD_STOP;
        }
        buildCustomTex(line.getString(0, true));
    } else if (word == "update") {
        update();
    } else {
        return CsafeRelationship::processCommand(handler, line);
    }
    return CMD_DONE;
}
