// Stand-ins for what a thing works with: a work object that records the calls the thing
// makes on it, a tank with a thing list and recorded list calls, and a species with a
// small skeleton.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/workObject.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/traceCapture.h"
#include "things/thing.h"
#include "world/thingServices.h"

class RecordingWorkObject : public CworkObject {
  public:
    int initWorkGeometry() override {
        calls.push_back("init");
        return initResult;
    }
    int initSkeleton(std::vector<CskeletonIdentity>& identities, float scale) override {
        calls.push_back("skeleton " + std::to_string(identities.size()) + " x" + num(scale));
        boundJoints = identities;
        return skeletonResult;
    }
    int calcGeometry(int buffer) override {
        calls.push_back("calc " + std::to_string(buffer));
        return CworkObject::calcGeometry(buffer);
    }
    void interpolateGeoWith(int from, int to, float t) override {
        calls.push_back("blend " + std::to_string(from) + "->" + std::to_string(to) + " t=" + num(t));
    }
    void calcBlendedMatrix(float f) override { calls.push_back("matrices " + num(f)); }
    void shiftTexCoords(int buffer, int attrib, float shift) override {
        calls.push_back("shift " + std::to_string(buffer) + " a" + std::to_string(attrib) + " by " +
                        num(shift));
    }
    void mathOnAttribFromOriginalValues(char const* attrib, int component, float lo, float hi) override {
        remaps.push_back({attrib, component, lo, hi});
    }
    void scaleSize(float scale) override { calls.push_back("scale x" + num(scale)); }
    void flagToUpdateStaticData() override { uploads++; }
    void setCameraMatricesToTank() override { calls.push_back("camera"); }

    static std::string num(float f) {
        char text[32];
        std::snprintf(text, sizeof text, "%g", f);
        return text;
    }
    // The remap last made of one component of an attribute.
    struct Remap {
        std::string attrib;
        int component;
        float lo;
        float hi;
    };
    Remap const* lastRemap(char const* attrib, int component) const {
        for (auto it = remaps.rbegin(); it != remaps.rend(); ++it)
            if (it->attrib == attrib && it->component == component) return &*it;
        return nullptr;
    }

    std::vector<std::string> calls;
    std::vector<Remap> remaps;
    std::vector<CskeletonIdentity> boundJoints;
    int uploads = 0;
    int initResult = 0;
    int skeletonResult = 0;
};

class TestSpecies : public CspeciesServices {
  public:
    explicit TestSpecies(char const* speciesName, std::vector<Cvector> joints = {}) : restPositions(joints) {
        setName(speciesName);
    }
    void unrequestSpecies() override { released++; }
    int skeletonJointCount() override { return static_cast<int>(restPositions.size()); }
    bool skeletonRestPosition(int joint, Cvector& out) override {
        if (joint < 0 || joint >= skeletonJointCount()) return false;
        out = restPositions[static_cast<size_t>(joint)];
        return true;
    }
    bool skeletonInterleaved() override { return interleaved; }

    std::vector<Cvector> restPositions;
    bool interleaved = true;
    int released = 0;
};

// Makes the things that ":addThing" names; set by the test that saves and reads tanks.
using ThingMaker = Cthing* (*)(CspeciesServices* species);

class TestTank : public CtankServices {
  public:
    TestTank() {
        setName("tank");
        thingList = addDirectory("thingList");
    }
    Cvariable* getThingList() override { return thingList; }
    void addThingToTankLists(Cthing* thing) override { listed.push_back(thing); }
    int removeThingFromList(Cthing* thing) override {
        for (auto it = listed.begin(); it != listed.end(); ++it)
            if (*it == thing) {
                listed.erase(it);
                return 0;
            }
        unlisted++;
        return 0;
    }
    void updateFocusThing() override {
        focusUpdates++;
        if (focusThing && focusThing->dying) focusThing = nullptr;
    }
    void recalcTankAspect() override { aspectRecalcs++; }
    // A float tank variable, as the tank registers them.
    void addValue(char const* varName, double value) {
        Cvariable* v = addVariableX(varName, CLASS_FLOAT);
        v->setFloat(value);
    }
    // ":addThing species { ... }": a new member of a known species, its block run on it.
    unsigned processCommand(CscriptHandler* handler, CscriptLine& line) override {
        if (!(line.getName() == "addThing")) return CtankServices::processCommand(handler, line);
        Cstring speciesName = line.getString(0, true);
        CspeciesServices* kind = nullptr;
        for (CspeciesServices* s : knownSpecies)
            if (s->getName() == speciesName.c_str()) kind = s;
        if (kind == nullptr || maker == nullptr) return CMD_STOP;
        Cthing* thing = maker(kind);
        thing->setName(speciesName + "_" + Cstring(static_cast<int>(thing->serialNumber)));
        thing->setToTank(this);
        if (line.firstChild) runScript(thing, line.firstChild);
        return CMD_DONE;
    }

    Cvariable* thingList;
    std::vector<Cthing*> listed;
    std::vector<CspeciesServices*> knownSpecies;
    ThingMaker maker = nullptr;
    int unlisted = 0;
    int focusUpdates = 0;
    int aspectRecalcs = 0;
};

// Every thing test: recording work objects, a clean exit state, the trace in memory.
class ThingTest : public ::testing::Test {
  protected:
    ThingTest() : trace(1) {}
    void SetUp() override {
        savedMaker = workObjectMaker;
        workObjectMaker = [] { return static_cast<CworkObject*>(new RecordingWorkObject); };
    }
    void TearDown() override {
        workObjectMaker = savedMaker;
        emptyTrash();
    }
    static RecordingWorkObject* recorder(Cthing& thing) {
        return static_cast<RecordingWorkObject*>(thing.workObject);
    }
    static bool hasReason(std::string const& text) {
        for (Cstring const& r : exitReasonList)
            if (text == r.c_str()) return true;
        return false;
    }

    TraceCapture trace;
    WorkObjectMaker savedMaker = nullptr;
};
