// Stand-ins for what a thing works with: a work object that records the calls made on
// it, a tank with recorded list calls, a species with a small skeleton, and a thing kind
// whose hooks write to a journal.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/geoTestSupport.h"
#include "graphics/workObject.h"
#include "script/scripter.h"
#include "support/traceCapture.h"
#include "things/thing.h"
#include "world/thingServices.h"

inline std::string num(float f) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", f);
    return text;
}

class RecordingWorkObject : public CworkObject {
  public:
    int calcGeometry(int b) override {
        return log("calc " + std::to_string(b)), CworkObject::calcGeometry(b);
    }
    int interpolateGeoWith(short a, short b, float t) override {
        return log("blend " + std::to_string(a) + "->" + std::to_string(b) + " t=" + num(t)), 0;
    }
    int shiftTexCoords(short b, short set, double time) override {
        return log("shift " + std::to_string(b) + " uv" + std::to_string(set) + " " + num(float(time))), 0;
    }
    void mathOnAttribFromOriginalValues(char const* a, int c, float lo, float hi) override {
        log(std::string("remap ") + a + std::to_string(c) + " " + num(lo) + " " + num(hi));
        remapLo[c & 1] = lo;
        remapHi[c & 1] = hi;
    }
    void log(std::string const& call) { calls.push_back(call); }
    std::vector<std::string> calls;
    float remapLo[2] = {}, remapHi[2] = {};
};

// A species whose skeleton model has one joint per rest position, each hanging from the
// one before.
class TestSpecies : public CspeciesServices {
  public:
    explicit TestSpecies(char const* n, std::vector<Cvector> joints = {}) {
        setName(n);
        if (joints.empty()) return;
        CgeoFileContents g;
        g.points = static_cast<int>(joints.size());
        g.attribs = {{"pos", 3, 0}, {"parentMat", 1, 0}};
        g.floatsPerPoint = 4;
        for (size_t i = 0; i < joints.size(); i++)
            g.data.insert(g.data.end(), {joints[i].x, joints[i].y, joints[i].z, static_cast<float>(i) - 1});
        hasSkeleton = loadContents(skeleton, g) == 0;
    }
    void unrequestSpecies() override {}
    CtexturedGeo* modelGeometry() override { return nullptr; }
    CgeoNew* skeletonModel() override { return hasSkeleton ? &skeleton : nullptr; }
    CgeoNew skeleton;
    bool hasSkeleton = false;
};

class TestTank : public CtankServices {
  public:
    TestTank() { thingList = addDirectory("thingList"); }
    Cvariable* getThingList() override { return thingList; }
    void addThingToTankLists(Cthing* t) override { listed.push_back(t); }
    int removeThingFromList(Cthing* t) override { return std::erase(listed, t), 0; }
    void updateFocusThing() override {
        if (focusThing && focusThing->dying) focusThing = nullptr;
    }
    void recalcTankAspect() override { aspectRecalcs++; }
    void set(char const* n, double v) {
        if (!getChild(n)) addVariableX(n, CLASS_FLOAT);
        getChild(n)->setFloat(v);
    }
    // ":addThing species { ... }": a new member made by maker, its block run on it.
    unsigned processCommand(CscriptHandler* h, CscriptLine& line) override {
        if (!(line.getName() == "addThing") || !maker) return CtankServices::processCommand(h, line);
        Cthing* thing = maker();
        thing->setToTank(this);
        if (line.firstChild) runScript(thing, line.firstChild);
        return CMD_DONE;
    }
    Cvariable* thingList;
    std::vector<Cthing*> listed;
    Cthing* (*maker)() = nullptr;
    int aspectRecalcs = 0;
};

class ScriptedThing : public Cthing {
  public:
    explicit ScriptedThing(char const* label = "thing") { setName(label); }
    int resetThing(int) override { return journal.push_back("reset"), initialized = 1, 0; }
    void prepForCook() override { journal.push_back("cook"); }
    void doBehavior() override { journal.push_back("behave"), Cthing::doBehavior(); }
    void goFish(int) override { journal.push_back("fish"), framesUpdated++, doAnimCycles(framesUpdated); }
    void getMidPos(Cvector& out) override { out = middle; }
    void processMessage(CthingMessage* m) override {
        journal.push_back("message " + std::to_string(m->code));
    }
    void notifyOfCustomTexSize(CdataArray* image) override { told = image; }
    std::vector<std::string> journal;
    Cvector middle;
    CdataArray* told = nullptr;
};

// Every thing test: recording work objects, a clean exit state, the trace in memory.
class ThingTest : public ::testing::Test {
  protected:
    ThingTest() : trace(1) {}
    ~ThingTest() override {
        emptyTrash();
        scriptError = 0;
    }
    // Gives the thing a work object that records the per-frame calls.
    static RecordingWorkObject& record(Cthing& t) {
        delete t.workObject;
        auto* w = new RecordingWorkObject;
        w->thing = &t.workOwner;
        t.workObject = w;
        return *w;
    }
    static RecordingWorkObject& rec(Cthing* t) { return *static_cast<RecordingWorkObject*>(t->workObject); }
    static bool hasReason(std::string const& text) {
        for (Cstring const& r : exitReasonList)
            if (text == r.c_str()) return true;
        return false;
    }
    TraceCapture trace;
    // Outlive the fixtures' things, which the trash may still hold.
    TestSpecies oneJoint{"one", {Cvector()}};
    TestSpecies threeJoints{"three", {Cvector(0, 0, 0), Cvector(3, 4, 0), Cvector(3, 4, 2)}};
    TestSpecies plain{"plain"};
};
