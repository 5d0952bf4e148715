// Stand-ins for what a thing works with: a work object that records the calls made on
// it, a tank with recorded list calls, a species with a small skeleton, and a thing kind
// whose hooks write to a journal.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    int initWorkGeometry() override { return 0; }
    int initSkeleton(std::vector<CskeletonIdentity>& ids, float scale) override {
        log("skeleton " + std::to_string(ids.size()) + " x" + num(scale));
        bound = ids;
        return skeletonResult;
    }
    int calcGeometry(int b) override {
        return log("calc " + std::to_string(b)), CworkObject::calcGeometry(b);
    }
    void interpolateGeoWith(int from, int to, float t) override {
        log("blend " + std::to_string(from) + "->" + std::to_string(to) + " t=" + num(t));
    }
    void calcBlendedMatrix(float f) override { log("matrices " + num(f)); }
    void mathOnAttribFromOriginalValues(char const* a, int c, float lo, float hi) override {
        log(std::string("remap ") + a + std::to_string(c) + " " + num(lo) + " " + num(hi));
        remapLo[c & 1] = lo;
        remapHi[c & 1] = hi;
    }
    void scaleSize(float s) override { log("scale x" + num(s)); }
    void log(std::string const& call) { calls.push_back(call); }

    std::vector<std::string> calls;
    std::vector<CskeletonIdentity> bound;
    float remapLo[2] = {}, remapHi[2] = {};
    int skeletonResult = 0;
};

class TestSpecies : public CspeciesServices {
  public:
    explicit TestSpecies(char const* n, std::vector<Cvector> joints = {}) : rest(std::move(joints)) {
        setName(n);
    }
    void unrequestSpecies() override {}
    int skeletonJointCount() override { return static_cast<int>(rest.size()); }
    bool skeletonRestPosition(int j, Cvector& out) override {
        if (j < 0 || j >= skeletonJointCount()) return false;
        out = rest[static_cast<size_t>(j)];
        return true;
    }
    bool skeletonInterleaved() override { return interleaved; }
    std::vector<Cvector> rest;
    bool interleaved = true;
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
    ThingTest() : trace(1) {
        workObjectMaker = [] { return static_cast<CworkObject*>(new RecordingWorkObject); };
    }
    ~ThingTest() override {
        emptyTrash();
        workObjectMaker = savedMaker;
        scriptError = 0;
    }
    static RecordingWorkObject& rec(Cthing* t) { return *static_cast<RecordingWorkObject*>(t->workObject); }
    static bool hasReason(std::string const& text) {
        for (Cstring const& r : exitReasonList)
            if (text == r.c_str()) return true;
        return false;
    }
    WorkObjectMaker savedMaker = workObjectMaker;
    TraceCapture trace;
    // Outlive the fixtures' things, which the trash may still hold.
    TestSpecies oneJoint{"one", {Cvector()}};
    TestSpecies threeJoints{"three", {Cvector(0, 0, 0), Cvector(3, 4, 0), Cvector(3, 4, 2)}};
    TestSpecies plain{"plain"};
};
