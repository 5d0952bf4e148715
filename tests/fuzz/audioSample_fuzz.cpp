// libFuzzer target over the sound sample reader: what loads converts, cuts, mixes and fades.
#include <sstream>

#include "sound/audioSample.h"
#include "support/cerr.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<char const*>(data), size));
    CbubbleBreakup s;
    if (s.loadSample(in) == 0) {
        CaudioSample track;
        track.init(257, 2, 2, 22050);
        s.convertTo16bit();
        s.breakup(s.grainStarts, s.grainLengths);
        for (size_t k = 0; k < s.grainLengths.size() && k < 8; k++)
            s.copyTo(track, int(k * 97), int(k % 2), s.grainStarts[k], s.grainLengths[k], 0.7f,
                     0.5f + float(k), 1.0f);
        s.copyStraightTo(track, 3, 0.5f);
        track.copyStraightTo(s, 0, 0.5f);
        s.fadeEnd(0, 1.0f);
        s.fadeEnd(1, 0.01f);
    }
    resetExitState();
    return 0;
}
