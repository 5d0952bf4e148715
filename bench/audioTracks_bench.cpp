// The sound's start-up cost (loading the recording and a trickle, building both bubble
// tracks and the single-track mix), and its per-frame step, which must allocate nothing.
#include <benchmark/benchmark.h>

#include <filesystem>

#include "allocCounter.h"
#include "sound/audioManager.h"
#include "support/cerr.h"

namespace {

// The staged resource tree is the working folder while the object lives.
struct InResources {
    std::filesystem::path saved = std::filesystem::current_path();
    InResources() { std::filesystem::current_path(VELMORA_GENERATED_RESOURCE_DIR); }
    ~InResources() { std::filesystem::current_path(saved); }
};

void startUp(CaudioManagerNew& audio, Cstring& name) {
    audio.keepTrickleName(&name);
    audio.addTrickleSound("2", "trickle2.chan");
    audio.addTrickleSound("1", "trickle1.chan");
    audio.setTrickleSound(0);
    audio.setLowBubbles(0);
    audio.setHiBubbles(0);
    audio.defineIndividualVolumes(0.2f, 0.2f, 0.2f, 0.5f);
    audio.generateSingleTrack();
}

} // namespace

static void BM_BuildTracks(benchmark::State& state) {
    InResources here;
    errorChannels = 0;
    for (auto _ : state) {
        CaudioManagerNew audio;
        Cstring name;
        startUp(audio, name);
        benchmark::DoNotOptimize(audio.tracks[CaudioManagerNew::kSingleTrack].dataBlock());
    }
}
BENCHMARK(BM_BuildTracks)->Unit(benchmark::kMillisecond);

static void BM_SoundFrameStep(benchmark::State& state) {
    InResources here;
    errorChannels = 0;
    CaudioManagerNew audio;
    Cstring name;
    startUp(audio, name);
    NoAllocations guard(state, "the sound's frame step allocated");
    for (auto _ : state) {
        audio.managePlaybackStaggering();
        audio.fadeVolume(0.5f);
    }
}
BENCHMARK(BM_SoundFrameStep);
