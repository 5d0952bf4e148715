// The control panel over the program's default tank, on an offscreen context:
//  - a whole frame of the populated tank with the main pane open (simulation, geometry,
//    drawing and the panel's quads, finished by the rasteriser), at full brightness;
//  - the first opening of the main pane: its frame, with the programs of the panel's
//    materials built (materials of the same shader texts share one program);
//  - a text laid out and rendered into its texture, as a widget does when its text changes.
// Run from a Release build without sanitizers.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/appWiring.h"
#include "app/velmoraView.h"
#include "graphics/graphicsGL.h"
#include "graphics/graphicsMaster.h"
#include "graphics/textureImage.h"
#include "host/glContext.h"
#include "interface/controlPanel.h"
#include "interface/fishFont.h"
#include "interface/fontStyle.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "world/initGlobals.h"
#include "world/shopKeeper.h"
#include "world/velmoraFunctions.h"

namespace {

// A fresh data folder of that name for the next start, and the program wired as the host wires it before any
// view (a view of an unwired program stops at its start-up check).
void useDataFolder(char const* name) {
    wireApp(); // as the program does before any view
    std::string data = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(data);
    setenv("VELMORA_DATA_DIR", data.c_str(), 1);
    appDataDir = ""; // looked up again at the next start (an earlier run's stays otherwise)
    wireApp();
}

void BM_FrameWithPanelOpen(benchmark::State& state) {
    if (!offscreenContextsAvailable()) {
        state.SkipWithError("no EGL display");
        return;
    }
    useDataFolder("velmora_panel_bench/");
    int w = static_cast<int>(state.range(0)), h = static_cast<int>(state.range(1));
    auto* view = new CvelmoraView(CviewRect{0, 0, double(w), double(h)}, createOffscreenContext(w, h), false);
    view->startAnimation();
    // The scene fades in over its first seconds: time it at full brightness.
    for (int i = 0; i < 200; i++)
        view->animateOneFrame();
    if (shopKeeper == nullptr || controlPanel == nullptr || exitSaver) {
        state.SkipWithError("the default tank or its panel did not come up");
    } else {
        runStringScript(shopKeeper, ":pane tutorial_pane off");
        runStringScript(shopKeeper, ":page /std_scripts/main_page main_pane");
        if (!controlPanel->hasPane("main_pane")) state.SkipWithError("the main pane did not open");
        // Idle time-outs would close it during a long run.
        shopKeeper->lastActivityTime = 1e9f;
        for (int i = 0; i < 10; i++)
            view->animateOneFrame();
        int quads = 0;
        for (int b = 0; b < controlPanel->boxCount(); b++)
            quads += controlPanel->box(b)->quadShown();
        for (auto _ : state)
            view->animateOneFrame();
        state.counters["quads"] = quads;
    }
    view->stopAnimation();
    delete view;
    freeGlobals();
    resetExitState();
}
BENCHMARK(BM_FrameWithPanelOpen)->Args({1280, 720})->Unit(benchmark::kMillisecond)->MinTime(3.0);

// One opening a run: a fresh view each, a few frames in, then the pane opened and drawn.
void BM_FirstPanelOpen(benchmark::State& state) {
    if (!offscreenContextsAvailable()) {
        state.SkipWithError("no EGL display");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        useDataFolder("velmora_panel_bench/");
        auto* view =
            new CvelmoraView(CviewRect{0, 0, 1280.0, 720.0}, createOffscreenContext(1280, 720), false);
        view->startAnimation();
        for (int i = 0; i < 20; i++)
            view->animateOneFrame();
        auto* device = dynamic_cast<CopenGL*>(display[0]);
        bool up = shopKeeper != nullptr && controlPanel != nullptr && !exitSaver && device != nullptr;
        size_t shaders = up ? device->shaders.size() : 0, programs = up ? device->programSets.size() : 0;
        state.ResumeTiming();
        if (up) {
            runStringScript(shopKeeper, ":pane tutorial_pane off");
            runStringScript(shopKeeper, ":page /std_scripts/main_page main_pane");
            view->animateOneFrame();
        }
        state.PauseTiming();
        if (!up || !controlPanel->hasPane("main_pane")) {
            state.SkipWithError("the main pane did not open");
        } else {
            state.counters["materials"] = static_cast<double>(device->shaders.size() - shaders);
            state.counters["programs"] = static_cast<double>(device->programSets.size() - programs);
        }
        view->stopAnimation();
        delete view;
        freeGlobals();
        resetExitState();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirstPanelOpen)->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(3);

void BM_TextIntoTexture(benchmark::State& state) {
    auto saved = std::filesystem::current_path();
    std::filesystem::current_path(VELMORA_GENERATED_RESOURCE_DIR);
    CfishFont* font = loadFishFont("gothic_extras");
    std::filesystem::current_path(saved);
    if (font == nullptr) {
        state.SkipWithError("no font");
        return;
    }
    for (auto _ : state) {
        Cstring text("Click the water for the menu, click a fish to meet it.");
        CfontStyle style;
        style.size = 33.0f;
        style.lineSpacing = 1.1f;
        style.wrapWidth = 600;
        style.font = font;
        CreturnFontSpec measured;
        CtextureImage* texture = texMapText(text, style, measured);
        benchmark::DoNotOptimize(texture);
        delete texture;
    }
    delete font;
}
BENCHMARK(BM_TextIntoTexture)->Unit(benchmark::kMicrosecond);

} // namespace
