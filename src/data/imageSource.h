// Where the image loaders get their bytes from.
#pragma once

#include <cstddef>
#include <vector>

// Whether a ".jpg" may be served by a ".fti" file of the same name beside it: exactly
// when the resource streamer may read from disk (its checkDiskAlways; no streamer: no).
bool imageCheckDiskAlways();
// Sets the streamer's checkDiskAlways, making the streamer when there is none yet.
void setImageCheckDiskAlways(bool on);

// Reads a whole file (path keywords expanded) into bytes, followed by `spare` zero bytes.
// False, with bytes empty, when it cannot be read or is too large for the memory readers.
bool readImageFileBytes(char const* path, std::vector<unsigned char>& bytes, size_t spare);
// As readImageFileBytes, but the path is used exactly as given.
bool readRawFileBytes(char const* path, std::vector<unsigned char>& bytes, size_t spare);
// Reads a named picture resource (".jpg" and ".fti" pictures) with disk fallback.
bool loadImageResource(char const* path, std::vector<unsigned char>& bytes, size_t spare);
