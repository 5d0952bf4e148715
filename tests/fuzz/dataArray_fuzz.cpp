// libFuzzer target over the "AAC0" data array reader; what loads is sampled.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "data/dataArray.h"
#include "support/cerr.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<char const*>(data), size));
    float out[4];
    CdataChan chan;
    if (chan.load(in, "fuzz") == 0 && chan.dims == 1 && chan.chans <= 4) {
        for (float x : {-1e9f, -1.0f, 0.0f, 0.5f, 3.0f, 1e9f}) {
            chan.getValues(x, out, 0xFFFFFFFFu);
            chan.getValuesCublic(x, out, 0xFFFFFFFFu);
            chan.getValUninterp(x, out);
        }
    }
    in.clear();
    in.seekg(0);
    CdataImage image;
    if (image.load(in, "fuzz") == 0 && image.dims == 2 && image.chans <= 4) {
        for (float t : {-1e9f, 0.0f, 0.5f, 3.0f, 1e9f})
            image.getValues(t, t, out, 0xFFFFFFFFu);
    }
    resetExitState();
    return 0;
}
