#include "host/imageDecode.h"

#include <algorithm>

#include "data/imageIO.h"
#include "data/imageSource.h"
#include "host/pictureDecoders.h"
#include "support/cerr.h"
#include "support/fileIO.h"

static uint32_t loadWord(unsigned char const* p) {
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

static void storeWord(unsigned char* p, uint32_t w) {
    for (int i = 0; i < 4; i++)
        p[i] = static_cast<unsigned char>(w >> (8 * i));
}

std::vector<unsigned char> ftiScramble(unsigned char const* bytes, size_t size) {
    std::vector<unsigned char> out(bytes, bytes + size);
    out.resize((size + 3) / 4 * 4, 0);
    uint32_t previous = ftiKey;
    for (size_t i = 0; i < out.size(); i += 4) {
        uint32_t plain = loadWord(&out[i]);
        storeWord(&out[i], plain - previous);
        previous = plain;
    }
    out.resize(size);
    return out;
}

void ftiUnscramble(unsigned char* bytes, size_t size) {
    uint32_t sum = ftiKey;
    for (size_t i = 0; i < size; i += 4) {
        sum += loadWord(bytes + i);
        storeWord(bytes + i, sum);
    }
}

int decodePictureFile(imageFile& image, char const* path) {
    if (!path) return 0;
    VTRACE(1, "macloadimage " << path);
    Cstring suffix(path);
    justSuffix(suffix);
    toUpper(suffix);
    std::vector<unsigned char> bytes;
    bool opened;
    if (suffix == "JPG" || suffix == "FTI") {
        opened = loadImageResource(path, bytes, 3);
        if (opened && suffix == "FTI") {
            VTRACE(2, "fti!");
            ftiUnscramble(bytes.data(), bytes.size() - 3);
        }
    } else {
        opened = readRawFileBytes(path, bytes, 3);
    }
    PictureSink sink;
    sink.reducerX = std::max(1, static_cast<int>(image.sizeReducerX));
    sink.reducerY = std::max(1, static_cast<int>(image.sizeReducerY));
    sink.maxWidth = std::clamp(static_cast<int>(image.maxWidth), 0, 65535);
    sink.maxHeight = std::clamp(static_cast<int>(image.maxHeight), 0, 65535);
    bool refused = suffix == "GIF" || suffix == "BMP" || suffix == "TIF" || suffix == "TIFF";
    bool decoded = false;
    if (opened && !refused) {
        size_t size = bytes.size() - 3;
        decoded = suffix == "PNG" ? decodePngPicture(bytes.data(), size, sink)
                                  : decodeJpegPicture(bytes.data(), size, sink);
    }
    if (!decoded) {
        VTRACE(2, "image didn't open");
        return 0;
    }
    image.sizeReducerX = sink.reducerX;
    image.sizeReducerY = sink.reducerY;
    if (!image.init(sink.width, sink.height, 4, PIXEL_8BIT, 0, 1)) return 0;
    VTRACE(2, "imagewidth=" << image.width << " chans=" << image.channels);
    int colours = std::min<int>(image.channels, 3);
    for (int y = 0; y < image.height; y++) {
        unsigned char const* in = sink.rgba.data() + size_t(y) * sink.width * 4;
        unsigned char* out = image.scanLines[image.height - 1 - y];
        for (int x = 0; x < image.width; x++, in += 4, out += image.channels) {
            for (int c = 0; c < colours; c++)
                out[c] = in[c];
            if (image.channels == 4) out[3] = in[3];
        }
    }
    return 1;
}
