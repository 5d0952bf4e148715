// The program's default tank over the staged resource tree, on an offscreen context:
//  - start to first frame: a view made, the engine's start-up, display registration and the
//    frame steps until the first frame that draws the loaded tank (shut-down not timed);
//  - a whole frame of the populated tank: simulation, geometry and drawing, finished by the
//    rasteriser, once the scene has faded in; with the peak resident memory of the process;
//    and the same with food kept falling among the fish (within 10 % of the frame without);
//  - the crab's share of a frame in that tank: its behaviour, legs and geometry and its
//    shadow's, with nothing allocated (chases aside: see the benchmark);
//  - a whole frame of the second tank, the dusk pool, shown by the sequence after the first.
//  - a whole frame with everything in the tank at once: food falling, waste strands growing
//    and falling, the shadows, the crab and the control panel open; with the tank's own
//    fish and with a full tank of 110 (a copy of the resources whose species caps are
//    raised and whose tank adds fish like its own), and the full tank without the extras;
//    with the draws, program switches, uploaded bytes, allocations and listed triangles
//    per frame (allocations: a chase's relationship records, and a thing's first draw).
// Run from a Release build without sanitizers.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "allocCounter.h"
#include "app/appWiring.h"
#include "app/velmoraView.h"
#include "fish/crab.h"
#include "fish/fish.h"
#include "graphics/graphicsGL.h"
#include "graphics/graphicsMaster.h"
#include "graphics/polyGroups.h"
#include "host/glContext.h"
#include "interface/controlPanel.h"
#include "script/scripter.h"
#include "things/floatingFood.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
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

// A fresh data folder of that name for the next start, and the program wired as the host wires it before any
// view (a view of an unwired program stops at its start-up check).
void useDataFolder(char const* name) {
    wireApp(); // as the program does before any view
    std::string data = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(data);
    setenv("VELMORA_DATA_DIR", data.c_str(), 1);
    // A process keeps the folders it found first (an engine restarted keeps its data): each
    // benchmark here starts from its own.
    appDataDir = Cstring();
    installDir = Cstring();
}

// The program's view of w x h pixels in an offscreen context, started.
CvelmoraView* startView(int w, int h) {
    auto* view = new CvelmoraView(CviewRect{0, 0, double(w), double(h)}, createOffscreenContext(w, h), false);
    view->startAnimation();
    return view;
}

// Stops and frees the view and the engine behind it, for the next start.
void endView(CvelmoraView* view) {
    view->stopAnimation();
    delete view;
    freeGlobals();
    resetExitState();
}

void BM_StartToFirstFrame(benchmark::State& state) {
    if (!offscreenContextsAvailable()) {
        state.SkipWithError("no EGL display");
        return;
    }
    useDataFolder("velmora_start_bench/");
    int w = static_cast<int>(state.range(0)), h = w * 9 / 16;
    for (auto _ : state) {
        CvelmoraView* view = startView(w, h);
        for (int i = 0; i < 100 && drawnTank() == nullptr; i++)
            view->animateOneFrame();
        state.PauseTiming();
        if (drawnTank() == nullptr || exitSaver) state.SkipWithError("the default tank did not come up");
        endView(view);
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
    CvelmoraView* view = startView(w, h);
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
    endView(view);
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
    CvelmoraView* view = startView(1280, 720);
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
    endView(view);
}
BENCHMARK(BM_DefaultTankCrab)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// ---- everything at once, and the full tank

std::string readText(std::filesystem::path const& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

void writeText(std::filesystem::path const& path, std::string const& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

// A copy of the build's resources whose default tank starts with fishCount fish: every fish
// species may have that many, and the tank adds fish as it adds its own (the sizes of those
// in turn, other places and headings inside the schools' bounds, from a fixed seed). The
// folder, or empty when the build's resources are missing.
std::string fullTankResources(int fishCount) {
    std::filesystem::path from(VELMORA_GENERATED_RESOURCE_DIR);
    std::filesystem::path to = std::filesystem::temp_directory_path() / "velmora_full_tank_resources";
    std::error_code ec;
    std::filesystem::remove_all(to, ec);
    std::filesystem::copy(from, to, std::filesystem::copy_options::recursive, ec);
    std::filesystem::path tankFile = to / "tanks/wabi_sabi/wabi_sabi.tank";
    if (ec || !std::filesystem::exists(tankFile)) return {};
    std::string const capKey = ":set maxPerTank ";
    for (auto const& entry : std::filesystem::recursive_directory_iterator(to / "species")) {
        if (entry.path().extension() != ".spec") continue;
        std::string text = readText(entry.path());
        size_t at = text.find(capKey);
        if (text.find(":set class fish\n") == std::string::npos || at == std::string::npos) continue;
        at += capKey.size();
        size_t end = text.find_first_not_of("0123456789", at);
        text.replace(at, (end == std::string::npos ? text.size() : end) - at, std::to_string(fishCount));
        writeText(entry.path(), text);
    }
    // The tank's fish: lines ":addThing species/<name> { :set thingScale <scale> :set startPos ...".
    std::string tank = readText(tankFile);
    std::string const thingKey = "\t:addThing species/", scaleKey = " { :set thingScale ";
    std::vector<std::pair<std::string, std::string>> kinds; // species, scale
    for (size_t at = tank.find(thingKey); at != std::string::npos; at = tank.find(thingKey, at + 1)) {
        size_t name = at + 1 + std::string(":addThing ").size();
        size_t brace = tank.find(scaleKey, name), eol = tank.find('\n', name);
        if (brace == std::string::npos || brace > eol) continue;
        size_t scale = brace + scaleKey.size(), scaleEnd = tank.find(' ', scale);
        if (scaleEnd == std::string::npos || tank.compare(scaleEnd, 15, " :set startPos ") != 0) continue;
        kinds.emplace_back(tank.substr(name, brace - name), tank.substr(scale, scaleEnd - scale));
    }
    size_t at = tank.find("\t:remaining");
    if (kinds.empty() || at == std::string::npos) return {};
    std::minstd_rand rng(11);
    auto uniform = [&](float lo, float hi) {
        return lo +
               (hi - lo) * static_cast<float>(rng() - rng.min()) / static_cast<float>(rng.max() - rng.min());
    };
    std::string extra;
    for (int i = static_cast<int>(kinds.size()); i < fishCount; i++) {
        auto const& [species, scale] = kinds[static_cast<size_t>(i) % kinds.size()];
        char line[256];
        std::snprintf(
            line, sizeof line,
            "\t:addThing %s { :set thingScale %s :set startPos %.2f %.2f %.2f :set startHeading %.2f }\n",
            species.c_str(), scale.c_str(), uniform(-2.6f, 2.6f), uniform(-0.8f, 1.3f), uniform(-1.6f, 0.6f),
            uniform(0.0f, 6.28f));
        extra += line;
    }
    tank.insert(at, extra);
    writeText(tankFile, tank);
    return to.string() + "/";
}

// Opens the panel's main pane over the tank, kept open however long the run.
bool openPanel() {
    if (shopKeeper == nullptr || controlPanel == nullptr) return false;
    runStringScript(shopKeeper, ":pane tutorial_pane off");
    runStringScript(shopKeeper, ":page /std_scripts/main_page main_pane");
    shopKeeper->lastActivityTime = 1e9f; // idle time-outs would close it
    return controlPanel->hasPane("main_pane");
}

// Every fish grows a waste strand, each at its own point of the digestion cycle, so that
// strands grow, hang full and drop all through the run.
void startWaste(Ctank& tank) {
    shopKeeper->pooMode = 100; // the fastest digestion
    tank.messageAllThingsInTank("pooMode", "", 100.0f);
    int i = 0;
    for (Cvariable* v = tank.thingList->firstChild; v; v = v->nextSibling)
        if (auto* fish = dynamic_cast<Cfish*>(v))
            fish->digestionClock = fish->growTime * (0.5 + 0.1 * (i++ % 10));
}

int wasteStrands(Ctank& tank) {
    int n = 0;
    for (Cvariable* v = tank.thingList->firstChild; v; v = v->nextSibling)
        if (auto* fish = dynamic_cast<Cfish*>(v)) n += fish->pooThing != nullptr;
    return n;
}

// Triangles in the tank's draw lists of the last frame (what the rasteriser is sent).
long listedTriangles(Ctank& tank) {
    long n = 0;
    for (auto const* list : {&tank.opaqueList, &tank.transparentList})
        for (int i = 0; i < list->count; i++)
            if (CrenderPolyGroup const* g = (*list)[i]; g && g->definition)
                n += g->definition->allTriangleCount;
    return n;
}

// Arguments: fish in the tank (0: the tank's own), and whether everything is in it (food,
// waste, the open panel) or only the fish with their shadows and the crab.
void BM_TankFrame(benchmark::State& state) {
    if (!offscreenContextsAvailable()) {
        state.SkipWithError("no EGL display");
        return;
    }
    int fishCount = static_cast<int>(state.range(0));
    bool everything = state.range(1) != 0;
    std::string resources = fishCount > 0 ? fullTankResources(fishCount) : std::string();
    if (fishCount > 0 && resources.empty()) {
        state.SkipWithError("no resources to copy");
        return;
    }
    if (!resources.empty()) setenv("VELMORA_INSTALL_DIR", resources.c_str(), 1);
    useDataFolder("velmora_everything_bench/");
    CvelmoraView* view = startView(1280, 720);
    if (fishCount > 0) maxFishPerTank = fishCount; // the option, as the sheet sets it
    for (int i = 0; i < 200; i++)
        view->animateOneFrame();
    Ctank* tank = drawnTank();
    if (tank == nullptr || exitSaver || (fishCount > 0 && tank->numFish != fishCount)) {
        std::string why =
            "the tank did not come up as asked: fish=" + std::to_string(tank ? tank->numFish : -1);
        state.SkipWithError(why.c_str());
    } else {
        shopKeeper->autoFeedSeconds = 0; // no food but the bench's
        if (everything) {
            startWaste(*tank);
            if (!openPanel()) state.SkipWithError("the main pane did not open");
        }
        for (int i = 0; i < 30; i++)
            view->animateOneFrame();
        CgraphicsAPI* device = display[0];
        int64_t programs = device->totalMaterialChanges, bytes = device->lockBytesSentToVideoCard;
        long allocations = allocationCount.load();
        int frames = device->framesRendered;
        double draws = 0;
        for (auto _ : state) {
            if (everything && particlesInWater(*tank) < 12)
                tank->addFood(tank->getDefaultFoodDropPosition(), 9);
            view->animateOneFrame();
            draws += geoToDisplaysThisFrame;
        }
        double perFrame = 1.0 / std::max(1, device->framesRendered - frames);
        state.counters["draws"] = draws * perFrame;
        state.counters["programs"] = static_cast<double>(device->totalMaterialChanges - programs) * perFrame;
        state.counters["uploadKB"] =
            static_cast<double>(device->lockBytesSentToVideoCard - bytes) * perFrame / 1024.0;
        state.counters["allocs"] = static_cast<double>(allocationCount.load() - allocations) * perFrame;
        state.counters["fish"] = static_cast<double>(tank->numFish);
        state.counters["triangles"] = static_cast<double>(listedTriangles(*tank));
        state.counters["strands"] = static_cast<double>(wasteStrands(*tank));
        state.counters["inWater"] = static_cast<double>(particlesInWater(*tank));
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peakRSS_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
    endView(view);
    unsetenv("VELMORA_INSTALL_DIR");
}
BENCHMARK(BM_TankFrame)
    ->Args({0, 1})
    ->Args({110, 0})
    ->Args({110, 1})
    ->ArgNames({"fish", "everything"})
    ->Unit(benchmark::kMillisecond)
    ->MinTime(3.0);

void BM_DuskPoolFrame(benchmark::State& state) {
    if (!offscreenContextsAvailable()) {
        state.SkipWithError("no EGL display");
        return;
    }
    useDataFolder("velmora_dusk_bench/");
    CvelmoraView* view = startView(1280, 720);
    for (int i = 0; i < 30 && drawnTank() == nullptr; i++)
        view->animateOneFrame();
    // The next sequence at once, then the fade in.
    if (shopKeeper) shopKeeper->nextSequence(1, true, 0.0f, 0.0f);
    for (int i = 0; i < 240; i++)
        view->animateOneFrame();
    Ctank* tank = shopKeeper ? shopKeeper->focusTankObject : nullptr;
    if (tank == nullptr || tank->tankTypeName != "dusk_pool" || exitSaver) {
        std::string why = "the dusk pool did not come up: ";
        why += tank ? tank->tankTypeName.c_str() : "no tank";
        for (Cstring const& reason : exitReasonList)
            why += std::string(", ") + reason.c_str();
        state.SkipWithError(why.c_str());
    } else {
        shopKeeper->autoFeedSeconds = 0;
        for (auto _ : state)
            view->animateOneFrame();
        state.counters["fish"] = static_cast<double>(tank->numFish);
    }
    endView(view);
}
BENCHMARK(BM_DuskPoolFrame)->Unit(benchmark::kMillisecond)->MinTime(3.0);

} // namespace
