// libFuzzer target over the WAVE hand-over reader: an accepted image's values lie inside it.
#include "host/soundOutput.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    CwaveImage wave;
    Cstring why;
    if (readWaveImage(data, size, wave, why) != 0) {
        if (why.empty()) __builtin_trap(); // a refusal always says why
        return 0;
    }
    if (wave.data < data || wave.data + wave.dataBytes > data + size) __builtin_trap();
    if (wave.dataBytes % size_t(wave.channels * wave.bitsPerSample / 8) != 0) __builtin_trap();
    return 0;
}
