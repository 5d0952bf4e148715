// Per-frame steps of the simple scene things: a column of 200 bubbles (a quarter of them
// big, jiggling through the geometry step) and a plant of 300 swaying joints. Neither
// step may allocate.
#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "data/dataArray.h"
#include "graphics/workObject.h"
#include "script/fastNoise.h"
#include "things/bubbles.h"
#include "things/wavingPlant.h"
#include "world/thingServices.h"

#include "allocCounter.h"

namespace {

class BenchSpecies : public CspeciesServices {
  public:
    explicit BenchSpecies(int joints) : joints(joints) {}
    void unrequestSpecies() override {}
    int skeletonJointCount() override { return joints; }
    bool skeletonRestPosition(int, Cvector& out) override {
        out = Cvector();
        return true;
    }
    bool skeletonInterleaved() override { return true; }
    int skeletonAttribSize(char const*) override { return 1; }
    bool skeletonAttrib(int joint, char const* attrib, float* out) override {
        // Every fourth joint is a big bubble; plants swing from spread noise positions.
        if (attrib[0] == 'b')
            out[0] = joint % 4 == 0 ? 1.0f : 0.0f;
        else
            out[0] = 0.37f * static_cast<float>(joint % 50);
        return true;
    }
    bool skeletonNormal(int joint, Cvector& out) override {
        out = Cvector(std::sin(static_cast<float>(joint)), 0.0f, std::cos(static_cast<float>(joint)));
        return true;
    }
    int joints;
};

// A tank that only answers its variables.
class BenchTank : public CtankServices {
  public:
    BenchTank() {
        thingList = addDirectory("thingList");
        for (char const* n :
             {"tankScale", "bubbleSpeed", "bubbleSpeedMult", "worldSpeed", "bubbleKillHeight"})
            addVariableX(n, CLASS_FLOAT)->setFloat(1.0);
    }
    Cvariable* getThingList() override { return thingList; }
    void addThingToTankLists(Cthing*) override {}
    int removeThingFromList(Cthing*) override { return 0; }
    void updateFocusThing() override {}
    void recalcTankAspect() override {}
    Cvariable* thingList;
};

class BenchWorkObject : public CworkObject {
  public:
    int initSkeleton(std::vector<CskeletonIdentity>&, float) override { return 0; }
    int pointCount() override { return static_cast<int>(points.size() / 3); }
    float* pointPosition(int, int point) override { return &points[static_cast<size_t>(point) * 3]; }
    std::vector<float> points = std::vector<float>(3 * 800, 0.0f);
};

// The shared noise channel as a smooth curve for the program's life.
CdataChan* benchNoise() {
    static CdataChan chan;
    if (chan.floatData == nullptr) {
        chan.init(500, 1, 1, 3, 4);
        chan.setDimensionSpace(0, 0.0f, 49.9f);
        for (int i = 0; i < 500; i++)
            chan.floatData[i * 3] = std::sin(0.0628f * static_cast<float>(i));
        noiseWrap50x3chan = &chan;
    }
    return &chan;
}

template <typename T> void setUp(T& thing, BenchSpecies& species, BenchWorkObject& work) {
    thing.species = &species;
    thing.workObject = &work;
    work.thing = &thing;
}

void BM_BubblesFrame(benchmark::State& state) {
    benchNoise();
    BenchSpecies species(200);
    BenchWorkObject work;
    BenchTank tank;
    Cbubbles bubbles;
    setUp(bubbles, species, work);
    bubbles.tank = &tank; // read, not joined: the tank's variables without its lists
    if (bubbles.resetThing(0) != 0) state.SkipWithError("bubbles did not set up");
    bubbles.origin = Cvector(0.0f, -1.0f, 0.0f);
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            bubbles.goFish(1);
            bubbles.postDeformProcessing(work);
            benchmark::DoNotOptimize(work.points.data());
        }
    }
    bubbles.workObject = nullptr;
    bubbles.species = nullptr;
    bubbles.tank = nullptr;
}
BENCHMARK(BM_BubblesFrame);

void BM_WavingPlantFrame(benchmark::State& state) {
    benchNoise();
    BenchSpecies species(300);
    BenchWorkObject work;
    CwavingPlant plant;
    setUp(plant, species, work);
    if (plant.resetThing(0) != 0) state.SkipWithError("plant did not set up");
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            plant.goFish(1);
            benchmark::DoNotOptimize(plant.rotations.elements);
        }
    }
    plant.workObject = nullptr;
    plant.species = nullptr;
}
BENCHMARK(BM_WavingPlantFrame);

} // namespace
