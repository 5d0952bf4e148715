// SGI image files: the run-length codec of their rows.
//
// The reader and writer themselves are imageFile::readSGI and imageFile::saveSGI.
// Files are big-endian: a 512-byte header, then (for run-length storage) a table of row
// start offsets and a table of row lengths, ysize x zsize entries each, channel-major.
#pragma once

constexpr int sgiMagicNumber = 474;
constexpr int sgiHeaderSize = 512;

// Decodes one run-length row of a file row `rowWidth` pixels wide. Position i of the row
// lands in out[(i / step) * stride] when i is a multiple of step and i / step < outCount.
// Returns the number of positions the row holds (0 when it ends at once), or -1 when a
// packet runs past the input or past the row width.
int RLEdecode(unsigned char const* in, int inLength, unsigned char* out, int stride, int step, int rowWidth,
              int outCount);

// Encodes `count` bytes; returns the bytes written, the closing 0 included. `out` must hold
// sgiMaxEncodedSize(count) bytes.
int RLAencode(unsigned char const* row, unsigned char* out, int count);
inline int sgiMaxEncodedSize(int count) {
    return count + (count + 126) / 127 + 1;
}
