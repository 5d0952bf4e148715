// Per-frame steps of the simple scene things: a column of 200 bubbles (a quarter of them
// big, jiggling through the geometry step) and a plant of 300 swaying joints. Neither
// step may allocate.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <vector>

#include "data/dataArray.h"
#include "graphics/geoFile.h"
#include "graphics/geoNew.h"
#include "graphics/workObject.h"
#include "script/fastNoise.h"
#include "things/bubbles.h"
#include "things/wavingPlant.h"
#include "world/thingServices.h"

#include "allocCounter.h"

namespace {

// Geometry of n points from interleaved records of the named attributes.
bool loadPoints(CgeoNew& geo, int n, std::vector<CgeoFileAttrib> const& attribs,
                float (*value)(int point, int attrib, int component)) {
    CgeoFileContents g;
    g.points = n;
    g.attribs = attribs;
    for (auto const& a : attribs)
        g.floatsPerPoint += a.size;
    for (int p = 0; p < n; p++)
        for (size_t a = 0; a < attribs.size(); a++)
            for (int c = 0; c < attribs[a].size; c++)
                g.data.push_back(value(p, static_cast<int>(a), c));
    std::string bytes;
    if (encodeGeoFile(g, bytes) != nullptr) return false;
    return geo.loadOldFormatFromMemory(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(),
                                       "bench") == 0;
}

// Joints with "pos", "parentMat", "N", "noiseStart", "noiseAmp" and "bigOne": every
// fourth joint is a big bubble; plants swing from spread noise positions.
float jointValue(int p, int attrib, int c) {
    switch (attrib) {
    case 1:
        return -1.0f;
    case 2:
        return c == 0 ? std::sin(static_cast<float>(p)) : c == 2 ? std::cos(static_cast<float>(p)) : 0.0f;
    case 3:
        return 0.37f * static_cast<float>(p % 50);
    case 4:
        return 0.3f;
    case 5:
        return p % 4 == 0 ? 1.0f : 0.0f;
    default:
        return 0.0f;
    }
}

class BenchSpecies : public CspeciesServices {
  public:
    explicit BenchSpecies(int joints) {
        ok = loadPoints(skeleton, joints,
                        {{"pos", 3, 0},
                         {"parentMat", 1, 0},
                         {"N", 3, 0},
                         {"noiseStart", 1, 0},
                         {"noiseAmp", 1, 0},
                         {"bigOne", 1, 0}},
                        jointValue);
    }
    void unrequestSpecies() override {}
    CtexturedGeo* modelGeometry() override { return nullptr; }
    CgeoNew* skeletonModel() override { return &skeleton; }
    CgeoNew skeleton;
    bool ok = false;
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

// A work object with n points in both buffers, owned by thing.
CworkObject* benchWorkObject(Cthing& thing, int n) {
    auto* work = new CworkObject;
    work->thing = &thing.workOwner;
    CgeoNew source;
    if (loadPoints(source, n, {{"pos", 3, 0}}, [](int, int, int) { return 0.0f; }))
        for (CgeoNew& b : work->workGeo)
            b.clonePoints(source, {"pos"}, 0);
    work->numPoints = static_cast<int16_t>(n);
    return work;
}

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

template <typename T> void setUp(T& thing, BenchSpecies& species, benchmark::State& state) {
    if (!species.ok) state.SkipWithError("the skeleton model did not load");
    thing.species = &species;
    thing.workObject = benchWorkObject(thing, 800);
}

void BM_BubblesFrame(benchmark::State& state) {
    benchNoise();
    BenchSpecies species(200);
    BenchTank tank;
    Cbubbles bubbles;
    setUp(bubbles, species, state);
    bubbles.tank = &tank; // read, not joined: the tank's variables without its lists
    if (bubbles.resetThing(0) != 0) state.SkipWithError("bubbles did not set up");
    bubbles.origin = Cvector(0.0f, -1.0f, 0.0f);
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            bubbles.goFish(1);
            bubbles.workObject->calcGeometry(0);
            bubbles.postDeformProcessing(*bubbles.workObject);
            benchmark::DoNotOptimize(bubbles.workObject->workGeo[0].pointData());
        }
    }
    bubbles.species = nullptr;
    bubbles.tank = nullptr;
}
BENCHMARK(BM_BubblesFrame);

void BM_WavingPlantFrame(benchmark::State& state) {
    benchNoise();
    BenchSpecies species(300);
    CwavingPlant plant;
    setUp(plant, species, state);
    if (plant.resetThing(0) != 0) state.SkipWithError("plant did not set up");
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            plant.goFish(1);
            benchmark::DoNotOptimize(plant.rotations.elements);
        }
    }
    plant.species = nullptr;
}
BENCHMARK(BM_WavingPlantFrame);

} // namespace
