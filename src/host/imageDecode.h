// Decoding of JPEG and PNG pictures into imageFile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class imageFile;

namespace OS {

// Decodes the picture at path into an 8-bit image of four channels ("rgba", or what a
// pending forcedChannels asks for): ".png" files as PNG, ".gif", ".bmp", ".tif" and ".tiff"
// are refused, everything else is read as JPEG. ".jpg" and ".fti" pictures are read as
// resources (path keywords expanded), ".fti" being a scrambled JPEG; other paths are read
// exactly as given. The decoded size is divided by the image's size reducers and bounded by
// maxWidth/maxHeight, keeping evenly spaced columns and rows. Colour is premultiplied by
// alpha. Row 0 of the image is the bottom row of the picture. Returns 1 when decoded, 0
// (image unchanged, "image didn't open" traced) when the file is missing, corrupt or refused.
int loadImageFile(imageFile& image, char const* path);

} // namespace OS

// The ".fti" form: 32-bit little-endian words, each stored as the difference from the word
// before it (the first from ftiKey). A last partial word keeps only its stored bytes.
constexpr uint32_t ftiKey = 0x3A6C91E5u;
std::vector<unsigned char> ftiScramble(unsigned char const* bytes, size_t size);
// Undoes ftiScramble in place; the buffer must hold 3 spare bytes beyond size.
void ftiUnscramble(unsigned char* bytes, size_t size);
