// Stand-ins for what a thing works with: a work object that records the calls made on
// it, a tank with recorded list calls, a species whose skeleton model carries named point
// attributes, a thing kind whose hooks write to a journal and a fast random table held at
// chosen values; with them the noise channel whose curve the test chooses.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "data/dataArray.h"
#include "graphics/geoTestSupport.h"
#include "graphics/workObject.h"
#include "script/noiseTestSupport.h"
#include "script/scripter.h"
#include "support/fastRand.h"
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

// A species whose skeleton model has a joint at each rest position given, each hanging
// from the one before (or from none), with the attributes the test adds; rebuilt whenever
// the test changes it. Without joints it has no skeleton.
class TestSpecies : public CspeciesServices {
  public:
    explicit TestSpecies(char const* n, std::vector<Cvector> const& at = {}, bool chain = true)
        : joints(static_cast<int>(at.size())) {
        setName(n);
        addAttrib("pos", 3);
        addAttrib("parentMat", 1);
        for (int j = 0; j < joints; j++) {
            Cvector const& p = at[static_cast<size_t>(j)];
            setAttrib("pos", j, {p.x, p.y, p.z});
            setAttrib("parentMat", j, {chain ? j - 1.0f : -1.0f});
        }
    }
    void addAttrib(std::string const& name, int size) {
        attribs.push_back({name, size, std::vector<float>(static_cast<size_t>(joints * size))});
        dirty = true;
    }
    void removeAttrib(std::string const& name) {
        std::erase_if(attribs, [&](Attrib const& a) { return a.name == name; });
        dirty = true;
    }
    void setAttrib(std::string const& name, int joint, std::vector<float> const& v) {
        for (Attrib& a : attribs)
            if (a.name == name)
                for (size_t c = 0; c < v.size() && static_cast<int>(c) < a.size; c++)
                    a.values[static_cast<size_t>(joint * a.size) + c] = v[c];
        dirty = true;
    }
    void unrequestSpecies() override {}
    CtexturedGeo* modelGeometry() override { return nullptr; }
    CgeoNew* skeletonModel() override {
        if (joints == 0) return nullptr;
        if (dirty) build();
        skeleton.interleaved = interleaved ? 1 : 0;
        return &skeleton;
    }
    bool interleaved = true;

  private:
    struct Attrib {
        std::string name;
        int size;
        std::vector<float> values; // joint-major
    };
    void build() {
        CgeoFileContents g;
        g.points = joints;
        for (Attrib const& a : attribs) {
            g.attribs.push_back({a.name.c_str(), a.size, 0});
            g.floatsPerPoint += a.size;
        }
        for (int j = 0; j < joints; j++)
            for (Attrib const& a : attribs)
                g.data.insert(g.data.end(), a.values.begin() + j * a.size,
                              a.values.begin() + (j + 1) * a.size);
        EXPECT_EQ(loadContents(skeleton, g), 0);
        dirty = false;
    }
    int joints;
    std::vector<Attrib> attribs;
    CgeoNew skeleton;
    bool dirty = true;
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

// Gives both work buffers n points at the origin, in either layout.
inline void givePoints(CworkObject& work, int n, bool interleaved) {
    CgeoFileContents g;
    g.points = n;
    g.attribs = {{"pos", 3, 0}, {"N", 3, 1}};
    g.floatsPerPoint = 6;
    g.data.assign(static_cast<size_t>(n) * 6, 0.0f);
    CgeoNew source;
    EXPECT_EQ(loadContents(source, g), 0);
    for (CgeoNew& b : work.workGeo)
        b.clonePoints(source, {"N", "pos"}, interleaved ? 1 : 0);
    work.numPoints = static_cast<int16_t>(n);
}

// The fast random table filled with one value for the owner's life.
class FixedRandom {
  public:
    explicit FixedRandom(float v) : savedIndex(fastRandSeedIndex) {
        std::copy_n(fastRandValues, 32, saved);
        std::fill_n(fastRandValues, 32, v);
    }
    ~FixedRandom() {
        std::copy_n(saved, 32, fastRandValues);
        fastRandSeedIndex = savedIndex;
    }

  private:
    uint8_t savedIndex;
    float saved[32];
};

// Every thing test: recording work objects, a clean exit state, the trace in memory, and
// species that outlive the things made of them.
class ThingTest : public ::testing::Test {
  protected:
    ThingTest() : trace(1) {}
    ~ThingTest() override {
        while (Cvariable* thing = tank.thingList->firstChild)
            deleteVariable(thing);
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
    // A thing of kind T and species s in the tank, with a recording work object.
    template <typename T> T* make(CspeciesServices* s) {
        auto* thing = new T;
        thing->species = s;
        thing->setToTank(&tank);
        record(*thing);
        return thing;
    }
    // A species of independent joints at the origin.
    TestSpecies& newSpecies(int joints) {
        species.push_back(
            std::make_unique<TestSpecies>("model", std::vector<Cvector>(static_cast<size_t>(joints)), false));
        return *species.back();
    }
    // Deletes a thing made in one case of a table.
    static void dropThing(Cthing* thing) {
        deleteVariable(thing);
        emptyTrash();
    }
    // Whether joint j of the thing's skeleton is bound to that point and rotation.
    static bool boundTo(Cthing& thing, int j, Cvector* point, Cmatrix3* rotation) {
        auto const& joints = thing.workObject->matrixPoints;
        if (j < 0 || static_cast<size_t>(j) >= joints.size()) return false;
        return joints[static_cast<size_t>(j)].translatePoint == point &&
               joints[static_cast<size_t>(j)].rotationLink == rotation;
    }
    TraceCapture trace;
    TestSpecies oneJoint{"one", {Cvector()}};
    TestSpecies threeJoints{"three", {Cvector(0, 0, 0), Cvector(3, 4, 0), Cvector(3, 4, 2)}};
    TestSpecies plain{"plain"};
    std::vector<std::unique_ptr<TestSpecies>> species;
    TestTank tank;
};
