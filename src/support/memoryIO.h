// CmemoryIO: a big-endian reader over a memory block, used by the image loaders.
//
// Every read stays inside the block. A read that would pass its end reads nothing,
// gives 0 and sets the failed flag, which stays set until the next seek or
// setStartAndSize; callers test failed() once after a run of reads.
#pragma once

#include <cstdint>

class CmemoryIO {
  public:
    void setStartAndSize(char* start, int size);
    int tellg() const { return static_cast<int>(pos - start); }
    void seekg(int offset);
    int seekOffset(int offset);
    int readChar();
    int readByte();
    int readShort();
    int readUShort();
    uint32_t readULong();
    // Copies n bytes out; on failure copies nothing.
    bool read(char* out, int n);
    bool eof() const { return pos >= start + size; }
    bool failed() const { return readFailed; }
    int remaining() const { return pos < start + size ? static_cast<int>(start + size - pos) : 0; }

  private:
    bool take(int n); // true when n more bytes lie inside the block

    char* start = nullptr;
    char* pos = nullptr;
    int size = 0;
    bool readFailed = false;
};
