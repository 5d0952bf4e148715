// libFuzzer target over the JPEG, PNG and ".fti" picture decoders; the first byte picks
// the decoder and the size bounds.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/imageDecode.h"
#include "host/pictureDecoders.h"
#include "support/cerr.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    if (size < 1) return 0;
    PictureSink sink;
    sink.reducerX = 1 + (data[0] >> 4 & 1);
    sink.reducerY = 1 + (data[0] >> 5 & 1);
    if (data[0] & 64) sink.maxWidth = sink.maxHeight = 16;
    unsigned char const* bytes = data + 1;
    size_t n = size - 1;
    switch (data[0] & 3) {
    case 0:
        decodeJpegPicture(bytes, n, sink);
        break;
    case 1:
        decodePngPicture(bytes, n, sink);
        break;
    default: { // ".fti": a scrambled JPEG
        std::vector<unsigned char> buffer(bytes, bytes + n);
        buffer.resize(n + 3);
        ftiUnscramble(buffer.data(), n);
        decodeJpegPicture(buffer.data(), n, sink);
        break;
    }
    }
    resetExitState();
    return 0;
}
