// Frames written to disk: PNG files of RGBA pixels read back from a GL context, and the
// names of numbered frame files.
#pragma once

#include <cstdint>
#include <string>

// Writes w x h RGBA pixels, bottom row first as GL reads them, as an 8-bit RGB PNG (the
// picture's top row is the last row given). 0 written, 1 failed.
int writeFramePng(char const* path, int w, int h, uint8_t const* rgbaBottomUp);

// The file name of frame n: pattern with its one "%d" (optionally with a width, "%05d")
// replaced by n; a pattern without a number field is returned as it is. Empty when the
// pattern holds another % field or a second number field.
std::string frameFileName(char const* pattern, int n);
