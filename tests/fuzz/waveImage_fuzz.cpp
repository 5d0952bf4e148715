// libFuzzer target over the WAVE hand-over reader: an accepted image's values lie inside it.
#include <cstddef>
#include <cstdint>

#include "host/soundOutput.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    CwaveImage wave;
    Cstring why;
    if (readWaveImage(data, size, wave, why) == 0) {
        if (wave.data < data || wave.data + wave.dataBytes > data + size) __builtin_trap();
        int frame = wave.channels * wave.bitsPerSample / 8;
        if (frame < 1 || wave.dataBytes % size_t(frame) != 0) __builtin_trap();
        volatile uint8_t sum = 0;
        for (size_t k = 0; k < wave.dataBytes; k++)
            sum = uint8_t(sum + wave.data[k]);
    } else if (why.empty()) {
        __builtin_trap();
    }
    return 0;
}
