// JPEG and PNG decoders feeding rows into a PictureSink.
#pragma once

#include <cstddef>
#include <vector>

// Collects decoded rows at the size the caller asks for: the source size divided by the
// reducers and bounded by the maxima, every stepX-th column of every stepY-th row kept.
struct PictureSink {
    int reducerX = 1, reducerY = 1, maxWidth = 65535, maxHeight = 65535;

    int width = 0, height = 0, stepX = 1, stepY = 1;
    std::vector<unsigned char> rgba; // width x height x 4, top row first, colour premultiplied

    // Sizes the result for a source of srcW x srcH; false when that comes to nothing or is too big.
    bool begin(long srcW, long srcH);
    // Source row r (top first) of `bytesPerPixel` 3 (RGB) or 4 (RGBA) bytes per pixel.
    void row(long r, unsigned char const* pixels, int bytesPerPixel);
};

// Both return false, with a trace on channel 2, for data that is not a whole, sound picture.
bool decodeJpegPicture(unsigned char const* data, size_t size, PictureSink& sink);
bool decodePngPicture(unsigned char const* data, size_t size, PictureSink& sink);
