// The program's default tank over the staged resource tree, on an offscreen context:
//  - start to first frame: a view made, the engine's start-up, display registration and the
//    frame steps until the first frame that draws the loaded tank (shut-down not timed);
//  - a whole frame of the populated tank: simulation, geometry and drawing, finished by the
//    rasteriser, once the scene has faded in; with the peak resident memory of the process;
//    and the same with food kept falling among the fish (within 10 % of the frame without);
//  - the crab's share of a frame in that tank: its behaviour, legs and geometry and its
//    shadow's, with nothing allocated (chases aside: see the benchmark).
// Run from a Release build without sanitizers.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "allocCounter.h"
#include "app/appWiring.h"
#include "app/velmoraView.h"
#include "fish/crab.h"
#include "graphics/graphicsMaster.h"
#include "host/glContext.h"
#include "things/floatingFood.h"
#include "support/cerr.h"
#include "world/initGlobals.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {

// The view's loaded tank, once its first frame was drawn; null before.
Ctank* drawnTank() {
    if (shopKeeper == nullptr || shopKeeper->loadedTanks == nullptr || numDisplays < 1) return nullptr;
    for (Cvariable* h = shopKeeper->loadedTanks->firstChild; h; h = h->nextSibling)
        if (auto* tank = dynamic_cast<Ctank*>(h->firstChild))
            if (display[0] && display[0]->framesRendered > 0) return tank;
    return nullptr;
}

void useDataFolder(char const* name) {
    wireApp(); // as the program does before any view
    std::string data = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(data);
    setenv("VELMORA_DATA_DIR", data.c_str(), 1);
}

void BM_StartToFirstFrame(benchmark::State& state) {
    if (!offscreenContextsAvailable()) {
        state.SkipWithError("no EGL display");
        return;
    }
    useDataFolder("velmora_start_bench/");
    int w = static_cast<int>(state.range(0)), h = w * 9 / 16;
    for (auto _ : state) {
        auto* view =
            new CvelmoraView(CviewRect{0, 0, double(w), double(h)}, createOffscreenContext(w, h), false);
        view->startAnimation();
        for (int i = 0; i < 100 && drawnTank() == nullptr; i++)
            view->animateOneFrame();
        state.PauseTiming();
        if (drawnTank() == nullptr || exitSaver) state.SkipWithError("the default tank did not come up");
        view->stopAnimation();
        delete view;
        freeGlobals();
        resetExitState();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartToFirstFrame)->Arg(640)->Arg(1280)->Arg(1920)->Unit(benchmark::kMillisecond);

// Particles in the water over the tank's floating food.
int particlesInWater(Ctank& tank) {
    int n = 0;
    for (Cvariable* v : tank.foodList)
        if (auto* f = dynamic_cast<CfloatingFood*>(v)) n += f->freeCount;
    return n;
}

void BM_DefaultTankFrame(benchmark::State& state) {
    if (!offscreenContextsAvailable()) {
        state.SkipWithError("no EGL display");
        return;
    }
    useDataFolder("velmora_frame_bench/");
    int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    auto* view = new CvelmoraView(CviewRect{0, 0, double(w), double(h)}, createOffscreenContext(w, h), false);
    view->startAnimation();
    // The scene fades in over its first seconds: time it at full brightness.
    for (int i = 0; i < 200; i++)
        view->animateOneFrame();
    Ctank* tank = drawnTank();
    if (tank == nullptr || exitSaver) state.SkipWithError("the default tank did not come up");
    bool feeding = state.range(2) != 0;
    if (tank && shopKeeper) shopKeeper->autoFeedSeconds = 0; // no food but the bench's
    for (auto _ : state) {
        // Food kept falling: a new drop whenever the fish have thinned it out.
        if (feeding && tank && particlesInWater(*tank) < 12)
            tank->addFood(tank->getDefaultFoodDropPosition(), 9);
        view->animateOneFrame();
    }
    if (tank) state.counters["fish"] = static_cast<double>(tank->numFish);
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peakRSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    view->stopAnimation();
    delete view;
    freeGlobals();
    resetExitState();
}
BENCHMARK(BM_DefaultTankFrame)
    ->Args({1280, 720, 0})
    ->Args({1280, 720, 1})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

void BM_DefaultTankCrab(benchmark::State& state) {
    if (!offscreenContextsAvailable()) {
        state.SkipWithError("no EGL display");
        return;
    }
    useDataFolder("velmora_crab_bench/");
    auto* view = new CvelmoraView(CviewRect{0, 0, 1280.0, 720.0}, createOffscreenContext(1280, 720), false);
    view->startAnimation();
    for (int i = 0; i < 200; i++)
        view->animateOneFrame();
    Ctank* tank = drawnTank();
    Ccrab* crab = nullptr;
    for (Cvariable* v = tank ? tank->thingList->firstChild : nullptr; v; v = v->nextSibling)
        if (auto* c = dynamic_cast<Ccrab*>(v)) crab = c;
    if (crab == nullptr || exitSaver) {
        state.SkipWithError("the default tank has no crab");
    } else {
        // Behaviour frames of the crab alone, each with its geometry and its shadow's. The
        // crab is kept from chasing: a chase's start makes its two relationship records,
        // which the variable tree allocates (an event, not a frame's work).
        crab->mood = 0.0f;
        crab->abortChase();
        int frame = crab->lastUpdateFrame;
        NoAllocations guard(state, "a crab frame allocated");
        for (auto _ : state) {
            frame++;
            crab->updateThing(frame, 0.0f);
            benchmark::DoNotOptimize(crab->getFinalGeometry());
            if (crab->shadowThing) {
                crab->shadowThing->updateThing(frame, 0.0f);
                benchmark::DoNotOptimize(crab->shadowThing->getFinalGeometry());
            }
        }
    }
    view->stopAnimation();
    delete view;
    freeGlobals();
    resetExitState();
}
BENCHMARK(BM_DefaultTankCrab)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

} // namespace
