// Start to first frame: a view made on an offscreen context, the engine's start-up with the
// staged resource tree, display registration and the first frame step. The shut-down
// after each start is not timed. Run from a build without sanitizers.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/velmoraView.h"
#include "host/glContext.h"
#include "support/cerr.h"
#include "world/initGlobals.h"

static void BM_StartToFirstFrame(benchmark::State& state) {
    if (!offscreenContextsAvailable()) {
        state.SkipWithError("no EGL display");
        return;
    }
    std::string data = std::filesystem::temp_directory_path() / "velmora_start_bench/";
    setenv("VELMORA_DATA_DIR", data.c_str(), 1);
    int w = static_cast<int>(state.range(0)), h = w * 9 / 16;
    for (auto _ : state) {
        auto* view =
            new CvelmoraView(CviewRect{0, 0, double(w), double(h)}, createOffscreenContext(w, h), false);
        view->startAnimation();
        view->animateOneFrame();
        state.PauseTiming();
        view->stopAnimation();
        delete view;
        freeGlobals();
        resetExitState();
        state.ResumeTiming();
    }
    std::filesystem::remove_all(data);
}
BENCHMARK(BM_StartToFirstFrame)->Arg(640)->Arg(1920)->Unit(benchmark::kMillisecond);
