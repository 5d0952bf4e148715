// Decoding of JPEG and PNG picture files into imageFile.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class imageFile;

// The Linux picture decoder behind OS::loadImageFile (see there for the rules).
int decodePictureFile(imageFile& image, char const* path);

// The ".fti" form: 32-bit little-endian words, each stored as the difference from the word
// before it (the first from ftiKey). A last partial word keeps only its stored bytes.
constexpr uint32_t ftiKey = 0x3A6C91E5u;
std::vector<unsigned char> ftiScramble(unsigned char const* bytes, size_t size);
// Undoes ftiScramble in place; the buffer must hold 3 spare bytes beyond size.
void ftiUnscramble(unsigned char* bytes, size_t size);
