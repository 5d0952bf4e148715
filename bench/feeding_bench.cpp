// Food in the simulation:
//  - one floating food's frame with its particles drifting down: no allocation;
//  - 110 fish that steer to goals, one simulated frame, without food and with food kept
//    falling among them: the fish poll for food and take and let go of particles as they
//    swim (within 1.5 times the frame without food);
//  - the same fish gathering at the food as feeding fish do, chasing, biting and
//    swallowing: then the crowd's avoidance of itself sets the cost.
//  Allocations are counted: only a chase's relationship records and a bite's swallow are
//  made on the way.
// Run from a Release build without sanitizers.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <random>
#include <vector>

#include "allocCounter.h"
#include "fishBench.h"
#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "fish/fish.h"
#include "graphics/geoFile.h"
#include "graphics/geoNew.h"
#include "graphics/workObject.h"
#include "script/adsrPool.h"
#include "support/cerr.h"
#include "things/floatingFood.h"
#include "world/thingServices.h"

namespace {

using fishBench::newGoal;
using fishBench::uniform;

// A box of water with a food list.
class FeedTank : public CtankServices {
  public:
    FeedTank() { things = addDirectory("thingList", 1); }
    ~FeedTank() override { things->deleteChildren(); }
    Cvariable* getThingList() override { return things; }
    void addThingToTankLists(Cthing*) override {}
    int removeThingFromList(Cthing*) override { return 1; }
    void updateFocusThing() override {}
    void recalcTankAspect() override {}
    bool groundHeightAt(float, float, float& h) override { return h = 0.0f, true; }
    float levelSetAt(Cvector const& p) override {
        return std::min({p.x + 5, 5 - p.x, p.y, 6 - p.y, p.z + 3, 3 - p.z});
    }
    // The tank's proximities keep this list; here every pair is measured.
    int avoidanceList(Cthing* thing, float range, Cthing** out, float* dist, int capacity) override {
        return fishBench::avoidanceList(fish, thing, range, out, dist, capacity);
    }
    std::vector<Cvariable*> const* foodThings() override { return &foods; }
    void addFoodToList(Cvariable* f) override { foods.push_back(f); }
    void removeFood(Cvariable* f) override { std::erase(foods, f); }
    Cvariable* things;
    std::vector<Cfish*> fish;
    std::vector<Cvariable*> foods;
};

// A species whose skeleton is n joints at the origin (the food's particles).
class FoodSpecies : public CspeciesServices {
  public:
    explicit FoodSpecies(int n) {
        CgeoFileContents g;
        g.points = n;
        g.attribs = {{"pos", 3, 0}, {"parentMat", 1, 0}};
        g.floatsPerPoint = 4;
        for (int i = 0; i < n; i++)
            g.data.insert(g.data.end(), {0, 0, 0, -1});
        std::string bytes;
        encodeGeoFile(g, bytes);
        skeleton.loadOldFormatFromMemory(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(),
                                         "bench");
    }
    void unrequestSpecies() override {}
    CtexturedGeo* modelGeometry() override { return nullptr; }
    CgeoNew* skeletonModel() override { return &skeleton; }
    CgeoNew skeleton;
};

// Swims to its goal; when it gathers, it feeds (with the fish's own feeding steps) whenever
// it found food.
class FeedingFish : public Cfish {
  public:
    Cvector goal;
    bool gathers = false;
    void reachedGotoGoal() override {
        if (gathers && (foodBeingChased || activity == ACTIVITY_FEED || activity == ACTIVITY_BITE)) {
            Cfish::reachedGotoGoal();
            return;
        }
        Cvector v = goal - vertex[0];
        v /= vertexOrientation[0];
        headingChange = std::atan2(v.x, v.z);
        pitchChange = std::atan2(v.y, std::sqrt(v.x * v.x + v.z * v.z));
        _setDesiredBodySpeed(1.5f);
    }
};

// A floating food of n particles in tank, with a work object to bind its joints.
CfloatingFood* makeFood(FeedTank& tank, FoodSpecies& species) {
    auto* food = new CfloatingFood;
    food->species = &species;
    food->setToTank(&tank);
    food->workObject = new CworkObject;
    food->workObject->thing = &food->workOwner;
    food->resetThing(0);
    food->doExtraInit();
    return food;
}

// The frame of one floating food whose particles drift and sink (and are released again
// at the top when all have sunk): nothing allocated.
void BM_floatingFoodFrame(benchmark::State& state) {
    exitReasonList.clear();
    FoodSpecies species(40); // outlives the tank's food
    FeedTank tank;
    tank.addVariableX("minimumGroundHeight", CLASS_FLOAT)->setFloat(-100.0);
    CfloatingFood* food = makeFood(tank, species);
    food->addFreeParticles(Cvector(0, 5, 0), 40);
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            food->doBehavior();
            food->goFish(1);
            benchmark::ClobberMemory();
        }
    }
    state.counters["inWater"] = food->freeCount;
}
BENCHMARK(BM_floatingFoodFrame)->Unit(benchmark::kMicrosecond);

// 110 fish, with food kept falling among them (first argument 1) or none (0); gathering at
// it (second argument 1) or keeping to their goals.
void BM_fishFeedingFrame(benchmark::State& state) {
    fishBench::CfishBenchFolder folder("velmora_feeding_bench");
    if (!folder.ready()) {
        state.SkipWithError("the build's fish arrays are missing");
        return;
    }
    bool feeding = state.range(0) != 0, gathering = state.range(1) != 0;
    long eaten = 0;
    {
        FoodSpecies species(40); // outlives the tank's food
        FeedTank tank;
        tank.addVariableX("minimumGroundHeight", CLASS_FLOAT)->setFloat(0.2);
        std::minstd_rand rng(7);
        std::vector<FeedingFish*> fish;
        for (int i = 0; i < 110; i++) {
            auto* f = new FeedingFish;
            f->thingScale = 0.4f;
            f->setParent(tank.things, 1);
            f->resetThing(0);
            f->startPos = Cvector(uniform(rng, -4, 4), uniform(rng, 1, 5), uniform(rng, -2.5f, 2.5f));
            f->setPosition();
            f->goal = newGoal(rng);
            f->gathers = gathering;
            tank.fish.push_back(f);
            fish.push_back(f);
        }
        CfloatingFood* food = feeding ? makeFood(tank, species) : nullptr;
        int frameNumber = 0;
        auto frame = [&] {
            // A handful of particles falls from the top every second or so, and at once when
            // none is left (a food with none in the water ends).
            bool due = frameNumber++ % 30 == 0 || (food && food->freeCount == 0);
            if (food && due && food->idleCount() >= 4)
                food->addFreeParticles(Cvector(uniform(rng, -3, 3), 5.5f, uniform(rng, -2, 2)), 4);
            if (food) {
                food->doBehavior();
                food->goFish(1);
            }
            for (FeedingFish* f : fish) {
                if ((f->goal - f->vertex[0]).lengthSquared() < 0.25f) f->goal = newGoal(rng);
                f->prepForCook();
                f->goFish(0);
            }
        };
        for (int i = 0; i < 60; i++)
            frame();
        currentAdsrPool().reserve(32 * 110);
        long before = allocationCount.load();
        for (auto _ : state) {
            frame();
            benchmark::ClobberMemory();
        }
        state.counters["allocs/frame"] =
            static_cast<double>(allocationCount.load() - before) / static_cast<double>(state.iterations());
        for (Cfish* f : tank.fish)
            eaten += static_cast<long>(f->stomachContents);
    }
    state.counters["eaten"] = static_cast<double>(eaten);
    state.counters["exits"] = static_cast<double>(exitReasonList.size());
}
BENCHMARK(BM_fishFeedingFrame)->Args({0, 0})->Args({1, 0})->Args({1, 1})->Unit(benchmark::kMillisecond);

} // namespace
