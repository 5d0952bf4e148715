// libFuzzer target over the sound sample reader: whatever loads must convert, cut into
// grains, mix and fade without reading or writing outside its values.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "sound/audioSample.h"
#include "support/cerr.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<char const*>(data), size));
    CbubbleBreakup sample;
    if (sample.loadSample(in) == 0) {
        if (!sample.hasData() || sample.frames() < 1) __builtin_trap();
        sample.convertTo16bit();
        sample.breakup(sample.grainStarts, sample.grainLengths);
        CaudioSample track;
        track.init(257, 2, 2, 22050);
        for (size_t k = 0; k < sample.grainLengths.size() && k < 8; k++) {
            int start = sample.grainStarts[k], length = sample.grainLengths[k];
            sample.copyTo(track, int(k * 97), int(k % 2), start, length, 0.7f, 0.5f + 0.25f * float(k), 1.0f);
        }
        sample.copyStraightTo(track, 3, 0.5f);
        track.copyStraightTo(sample, 0, 0.5f);
        sample.fadeEnd(0, 1.0f);
        sample.fadeEnd(1, 0.01f);
    }
    resetExitState();
    return 0;
}
