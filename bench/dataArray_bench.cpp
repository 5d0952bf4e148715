#include <benchmark/benchmark.h>

#include "data/dataArray.h"

// The per-frame lookups: every fish, plant and crab reads curves, maps and volumes at
// world positions each frame. Positions step through the range so that every kind of
// cell is visited, including the clamped ends.

namespace {

float step(float& x, float span) {
    x += 0.37f;
    if (x > span + 1.0f) x -= span + 2.0f;
    return x;
}

// Times one lookup an iteration; out is what the lookup writes.
template <typename Out, typename Lookup> void timeLookups(benchmark::State& state, Out& out, Lookup lookup) {
    for (auto _ : state) {
        lookup();
        benchmark::DoNotOptimize(out);
    }
}

} // namespace

static void BM_ChanLinear(benchmark::State& state) {
    CdataChan c;
    c.init(501, 1, 1, 3, 4);
    c.setDimensionSpace(0, 0.0f, 50.0f);
    float out[3], x = 0.0f;
    timeLookups(state, out, [&] { c.getValues(step(x, 50.0f), out, 0xFFFFFFFF); });
}
BENCHMARK(BM_ChanLinear);

static void BM_ChanCatmullRom(benchmark::State& state) {
    CdataChan c;
    c.init(64, 1, 1, 2, 4);
    float out[2], x = 0.0f;
    timeLookups(state, out, [&] { c.getValuesCublic(step(x, 63.0f), out, 0xFFFFFFFF); });
}
BENCHMARK(BM_ChanCatmullRom);

static void BM_ImageBilinearFloat(benchmark::State& state) {
    CdataImage im;
    im.init(256, 256, 1, 1, 4);
    float out, u = 0.0f, v = 100.0f;
    timeLookups(state, out, [&] { im.getValues(step(u, 255.0f), step(v, 255.0f), &out, 0xFFFFFFFF); });
}
BENCHMARK(BM_ImageBilinearFloat);

static void BM_ImageByte(benchmark::State& state) {
    CdataImage im;
    im.init(256, 256, 1, 4, 1);
    float out[4], u = 0.0f, v = 100.0f;
    timeLookups(state, out, [&] { im.getValues(step(u, 255.0f), step(v, 255.0f), out, 0xFFFFFFFF); });
}
BENCHMARK(BM_ImageByte);

static void BM_VolumeTrilinear(benchmark::State& state) {
    CdataVolume vol;
    vol.init(32, 32, 32, 3, 4);
    float out[3], x = 0.0f, y = 10.0f, z = 20.0f;
    timeLookups(state, out,
                [&] { vol.getValues(step(x, 31.0f), step(y, 31.0f), step(z, 31.0f), out, 0xFFFFFFFF); });
}
BENCHMARK(BM_VolumeTrilinear);

static void BM_VolumeSingleChannel(benchmark::State& state) {
    CdataVolume vol;
    vol.init(32, 32, 32, 1, 4);
    float x = 0.0f, y = 10.0f, z = 20.0f;
    for (auto _ : state)
        benchmark::DoNotOptimize(vol.getSingleChanVolumeData(step(x, 31.0f), step(y, 31.0f), step(z, 31.0f)));
}
BENCHMARK(BM_VolumeSingleChannel);

static void BM_VolumeXYCubic(benchmark::State& state) {
    CdataVolume vol;
    vol.init(32, 32, 2, 1, 4);
    float out, x = 0.0f, y = 10.0f, z = 0.0f;
    timeLookups(state, out,
                [&] { vol.getValuesXYcubic(step(x, 31.0f), step(y, 31.0f), step(z, 1.0f), &out, 1); });
}
BENCHMARK(BM_VolumeXYCubic);

static void BM_VolumeFixedPointBytes(benchmark::State& state) {
    CdataVolume vol;
    vol.init(32, 32, 32, 1, 1);
    short x = 0, y = 2560, z = 5120;
    for (auto _ : state) {
        x = static_cast<short>((x + 95) & 0x1FFF);
        y = static_cast<short>((y + 77) & 0x1FFF);
        z = static_cast<short>((z + 53) & 0x1FFF);
        benchmark::DoNotOptimize(vol.getSingleChanVolumeData(x, y, z));
    }
}
BENCHMARK(BM_VolumeFixedPointBytes);

// One row of a slice sweep: setYZ once, then every x.
static void BM_VolumeRowSweep(benchmark::State& state) {
    CdataVolume vol;
    vol.init(64, 64, 64, 1, 4);
    float out, y = 0.0f, z = 30.0f;
    for (auto _ : state) {
        vol.setYZ(step(y, 63.0f), z);
        for (int x = 0; x < 64; x++) {
            vol.getIntX(x, &out);
            benchmark::DoNotOptimize(out);
        }
    }
    state.SetItemsProcessed(state.iterations() * 64);
}
BENCHMARK(BM_VolumeRowSweep);
