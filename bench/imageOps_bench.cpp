#include <benchmark/benchmark.h>

#include <memory>

#include "data/imageIO.h"
#include "data/imageOps.h"

// The heavy image-script operations at texture sizes: box-filter resizing and compositing
// of whole layers, as a texture stage runs them when it loads.

namespace {

// A w x h image with a deterministic pattern in every channel.
std::unique_ptr<imageFile> patterned(int w, int h, int channels) {
    auto im = std::make_unique<imageFile>(static_cast<uint16_t>(w), static_cast<uint16_t>(h),
                                          static_cast<uint16_t>(channels), PIXEL_8BIT, 0, 2);
    for (int y = 0; y < h; y++)
        for (size_t k = 0; k < size_t(w) * channels; k++)
            im->scanLines[y][k] = static_cast<unsigned char>((k * 7 + size_t(y) * 13) & 255);
    return im;
}

} // namespace

static void BM_ResizeDown(benchmark::State& state) {
    int side = static_cast<int>(state.range(0));
    auto src = patterned(side, side, 4);
    imageFile dest;
    for (auto _ : state) {
        dest.resize(src.get(), side * 3 / 4, side * 3 / 4);
        benchmark::DoNotOptimize(dest.scanLines[0][0]);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(side) * side);
}
BENCHMARK(BM_ResizeDown)->Arg(256)->Arg(512);

static void BM_ResizeUp(benchmark::State& state) {
    int side = static_cast<int>(state.range(0));
    auto src = patterned(side / 2, side / 2, 4);
    imageFile dest;
    for (auto _ : state) {
        dest.resize(src.get(), side, side);
        benchmark::DoNotOptimize(dest.scanLines[0][0]);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(side) * side);
}
BENCHMARK(BM_ResizeUp)->Arg(256)->Arg(512);

static void BM_Comp(benchmark::State& state) {
    auto method = static_cast<short>(state.range(0));
    int side = 512;
    auto bottom = patterned(side, side, 4), top = patterned(side, side, 4), mask = patterned(side, side, 1);
    for (auto _ : state) {
        bottom->comp(bottom.get(), top.get(), mask.get(), 4, method, 15, 0, 0, 0, 0.5f, 0.0f);
        benchmark::DoNotOptimize(bottom->scanLines[0][0]);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(side) * side);
}
BENCHMARK(BM_Comp)->Arg(COMP_REPLACE)->Arg(COMP_OVER)->Arg(COMP_ADD)->Arg(COMP_MULT)->Arg(COMP_MASKBLEND);

static void BM_FillAndMult(benchmark::State& state) {
    auto im = patterned(512, 512, 4);
    float values[4] = {0.2f, 0.4f, 0.6f, 0.8f}, factors[4] = {0.5f, 1.5f, 1.0f, 0.9f};
    for (auto _ : state) {
        im->fill("rgba", values, 0);
        im->mult(factors);
        benchmark::DoNotOptimize(im->scanLines[0][0]);
    }
    state.SetItemsProcessed(state.iterations() * 512 * 512);
}
BENCHMARK(BM_FillAndMult);
