// Uncompressed big-endian TIFF output of imageFile: one strip per row, written whole or in
// bands of the image's row window. The writer is imageFile::startSaveTIFF, writeBuffer and
// endSaveTIFF (or saveTIFF for both at once).
#pragma once

#include <cstdint>

enum : uint16_t { TIFF_BYTE = 1, TIFF_SHORT = 3, TIFF_LONG = 4 };

constexpr int tiffEntryCount = 12;
constexpr int tiffRowsStart = 8; // rows follow the 8-byte file header
