// The shop keeper's frame step with an empty tank and no parts around it: what one
// display's step costs the engine, the render pass included, and proof that it allocates
// nothing.
#include <benchmark/benchmark.h>

#include "allocCounter.h"
#include "graphics/graphicsMaster.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"
#include "world/tank.h"

static void BM_FrameStep(benchmark::State& state) {
    int displays = static_cast<int>(state.range(0));
    CshopKeeper shop;
    shop.initVariables();
    shop.timerDriven = 1;
    shop.dontSaveUnderAnyCircumstances = 1; // the ten-second save writes a file
    startRunOrQuit = 1;
    errorChannels = 0;
    CgraphicsAPI devices[kMaxDisplays];
    for (int i = 0; i < displays; i++) {
        devices[i].refreshRate = 60;
        devices[i].isActive = 1;
        devices[i].windowChanged = 0;
        display[i] = &devices[i];
    }
    numDisplays = static_cast<int16_t>(displays);
    Ctank tank(nullptr);
    tank.setTankDisplayed(1);
    for (int i = 0; i < displays; i++)
        tank.attachAPI(&devices[i]);
    for (int i = 0; i < 30 * 60; i++) // past the first seconds and their one-off work
        shop.timerMoveFrame(display[i % displays]);
    {
        NoAllocations guard(state, "the frame step allocated");
        int i = 0;
        for (auto _ : state) {
            benchmark::DoNotOptimize(shop.timerMoveFrame(display[i]));
            if (++i == displays) i = 0;
        }
    }
    if (exitSaver || devices[0].framesRendered == 0) state.SkipWithError("the frame step did not draw");
    for (int i = 0; i < displays; i++)
        display[i] = nullptr;
    numDisplays = 0;
    startRunOrQuit = 0;
}
BENCHMARK(BM_FrameStep)->Arg(1)->Arg(2);
