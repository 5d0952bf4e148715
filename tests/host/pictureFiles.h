// Writers of small PNG and JPEG files for the decoder tests.
#pragma once

#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

struct PngPicture {
    int width, height;
    int colorType; // a PNG_COLOR_TYPE_* value
    int bitDepth = 8;
    bool interlaced = false;
    Bytes rows;    // packed rows as the file stores them, top row first
    Bytes palette; // r, g, b triples for palette pictures
    Bytes alphas;  // tRNS entries for palette pictures
};

Bytes encodePng(PngPicture const& picture);
// components 3 (RGB) or 1 (grey); rows top first.
Bytes encodeJpeg(int width, int height, int components, Bytes const& pixels, int quality = 100);
void writeBytes(std::string const& path, Bytes const& bytes);
