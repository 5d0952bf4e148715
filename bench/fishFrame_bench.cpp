// Milliseconds per simulation frame of a tank of fish that swim between goals inside its
// walls, avoiding the floor, the walls and each other; the frame loop must not allocate.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <vector>

#include "allocCounter.h"
#include "fishBench.h"
#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "fish/fish.h"
#include "script/adsrPool.h"
#include "support/cerr.h"
#include <random>
#include "world/thingServices.h"

namespace {

using fishBench::newGoal;
using fishBench::uniform;
class BenchTank : public CtankServices {
  public:
    BenchTank() { things = addDirectory("thingList", 1); }
    ~BenchTank() override { things->deleteChildren(); }
    Cvariable* getThingList() override { return things; }
    void addThingToTankLists(Cthing*) override {}
    int removeThingFromList(Cthing*) override { return 1; }
    void updateFocusThing() override {}
    void recalcTankAspect() override {}
    bool groundHeightAt(float, float, float& h) override { return h = 0.0f, true; }
    float nearZLimit() override { return -3.0f; }
    float farZLimit() override { return 3.0f; }
    // A box: the distance to its nearest wall, negative outside.
    float levelSetAt(Cvector const& p) override {
        float d = 1e9f;
        for (int i = 0; i < 6; i++)
            d = std::min(d, (p - wallPoints[i]).dot(wallNormals[i]));
        return d;
    }
    // The tank's proximities keep this list; here every pair is measured.
    int avoidanceList(Cthing* thing, float range, Cthing** out, float* dist, int capacity) override {
        return fishBench::avoidanceList(fish, thing, range, out, dist, capacity);
    }
    Cvariable* things;
    std::vector<Cfish*> fish;
    Cvector const wallNormals[6] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    Cvector const wallPoints[6] = {{-5, 0, 0}, {5, 0, 0}, {0, 0, 0}, {0, 6, 0}, {0, 0, -3}, {0, 0, 3}};
};

// A fish that swims to the goal it is given: everything else of its frame (avoidance, speed,
// spine, fins, flick turns) is its own.
class BenchFish : public Cfish {
  public:
    Cvector goal;
    void reachedGotoGoal() override {
        Cvector v = goal - vertex[0];
        v /= vertexOrientation[0];
        headingChange = std::atan2(v.x, v.z);
        pitchChange = std::atan2(v.y, std::sqrt(v.x * v.x + v.z * v.z));
        _setDesiredBodySpeed(1.5f);
    }
};

void BM_fishFrame(benchmark::State& state) {
    fishBench::CfishBenchFolder folder("velmora_fish_bench");
    if (!folder.ready()) {
        state.SkipWithError("the build's fish arrays are missing");
        return;
    }
    {
        BenchTank tank;
        int count = static_cast<int>(state.range(0));
        std::minstd_rand rng(7);
        std::vector<BenchFish*> fish;
        for (int i = 0; i < count; i++) {
            auto* f = new BenchFish;
            f->thingScale = 0.4f;
            f->setParent(tank.things, 1);
            f->resetThing(0);
            f->startPos = Cvector(uniform(rng, -4, 4), uniform(rng, 1, 5), uniform(rng, -2.5f, 2.5f));
            f->setPosition();
            f->goal = newGoal(rng);
            tank.fish.push_back(f);
            fish.push_back(f);
        }
        auto frame = [&] {
            for (BenchFish* f : fish) {
                if ((f->goal - f->vertex[0]).lengthSquared() < 0.25f) f->goal = newGoal(rng);
                f->prepForCook();
                f->goFish(0);
            }
        };
        for (int i = 0; i < 60; i++)
            frame(); // settle
        // Queued fin moves come in bursts (a flick turn queues several per fish): the pool
        // holds enough spares for every fish to flick at once.
        currentAdsrPool().reserve(32 * count);
        {
            NoAllocations guard(state);
            for (auto _ : state) {
                frame();
                benchmark::ClobberMemory();
            }
        }
        double rects = 0, outside = 0, speed = 0;
        for (Cfish* f : tank.fish) {
            rects += f->avoidZone.count;
            outside += tank.levelSetAt(f->vertex[0]) < 0.0f;
            speed += f->bodySpeed;
        }
        state.counters["rects/fish"] = rects / count;
        state.counters["speed"] = speed / count; // body lengths a second: they do swim
        // Both stay 0 in a sound run: no head left the box, nothing stopped the saver.
        state.counters["outside"] = outside;
        state.counters["exits"] = static_cast<double>(exitReasonList.size());
    }
}
BENCHMARK(BM_fishFrame)->Arg(10)->Arg(110)->Arg(500)->Unit(benchmark::kMillisecond);
} // namespace
