// One fuzz input for the thing commands: the bytes run as a script on a backdrop in a
// tank, then the thing runs frames, is saved as text and torn down. Bad text may fail,
// but must not crash, hang or leave the tank holding the thing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>

#include "data/dataArrayManager.h"
#include "graphics/workObject.h"
#include "script/mathSolver.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "things/backdropThing.h"
#include "world/thingServices.h"

namespace thingFuzz {

class Tank : public CtankServices {
  public:
    Tank() {
        list = addDirectory("thingList");
        for (char const* v :
             {"tankScale", "backdrop_top", "backdrop_width", "adaptiveWidth", "backdrop_ishift"})
            addVariableX(v, CLASS_FLOAT)->setFloat(1.0);
    }
    Cvariable* getThingList() override { return list; }
    void addThingToTankLists(Cthing*) override { listed++; }
    int removeThingFromList(Cthing*) override {
        listed--;
        return 0;
    }
    void updateFocusThing() override { focusThing = nullptr; }
    void recalcTankAspect() override {}
    Cvariable* list;
    int listed = 0;
};

class Species : public CspeciesServices {
  public:
    Species() {
        setName("fuzzed");
        auto* sky = new CscriptVar;
        sky->setName("sky");
        sky->processStringScript(":buffer -name s -res 5 3 -chans 4\n:fill s rgba 1 1 1 1");
        addVariable(sky);
    }
    void unrequestSpecies() override {}
    CtexturedGeo* modelGeometry() override { return nullptr; }
    CgeoNew* skeletonModel() override { return nullptr; }
};

} // namespace thingFuzz

// True when the tank's lists were left balanced.
inline bool runThingScriptFuzzInput(uint8_t const* data, size_t size, char const* savePath) {
    bool balanced = true;
    static thingFuzz::Species species;
    {
        thingFuzz::Tank tank;
        auto* thing = new CbackdropThing;
        thing->setName("fuzzed");
        thing->species = &species;
        thing->setToTank(&tank);
        thing->addRenderGeometry(); // no model: a bare work object
        thing->resetThing(0);

        CscriptVar script;
        script.processStringScript(reinterpret_cast<char const*>(data), size);
        runScript(thing, &script);

        // The script may have deleted the thing: only a thing still in the tank (found by
        // address, without touching it) is stepped.
        if (tank.list->hasChild(thing) && !thing->dying) {
            for (int frame = 1; frame <= 3; frame++) {
                thing->updateThing(frame, 0.5f);
                thing->getFinalGeometry();
            }
            thing->setSave(1);
            thing->saveSettings(savePath, false, false);
            deleteVariable(thing);
        }
        emptyTrash();
        balanced = tank.listed == 0; // a torn-down thing must leave the lists
    }
    resetExitState();
    scriptError = 0;
    mathSolver.clearError();
    return balanced;
}
