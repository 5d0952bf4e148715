#include "support/memoryIO.h"

#include <cstring>

void CmemoryIO::setStartAndSize(char* s, int n) {
    start = pos = s;
    size = n < 0 ? 0 : n;
    readFailed = false;
}

// Positions outside the block are clamped to its ends and mark the reader failed.
void CmemoryIO::seekg(int offset) {
    readFailed = false;
    if (offset < 0 || offset > size) {
        readFailed = true;
        offset = offset < 0 ? 0 : size;
    }
    pos = start + offset;
}

int CmemoryIO::seekOffset(int offset) {
    long target = static_cast<long>(tellg()) + offset;
    if (target < 0 || target > size) {
        readFailed = true;
        target = target < 0 ? 0 : size;
    }
    pos = start + target;
    return offset;
}

bool CmemoryIO::take(int n) {
    if (n < 0 || !start || n > remaining()) {
        readFailed = true;
        return false;
    }
    return true;
}

int CmemoryIO::readChar() {
    if (!take(1)) return 0;
    return static_cast<signed char>(*pos++);
}

int CmemoryIO::readByte() {
    if (!take(1)) return 0;
    return static_cast<unsigned char>(*pos++);
}

int CmemoryIO::readShort() {
    return static_cast<int16_t>(static_cast<uint16_t>(readUShort()));
}

int CmemoryIO::readUShort() {
    if (!take(2)) return 0;
    auto const* b = reinterpret_cast<unsigned char const*>(pos);
    pos += 2;
    return (b[0] << 8) | b[1];
}

uint32_t CmemoryIO::readULong() {
    if (!take(4)) return 0;
    auto const* b = reinterpret_cast<unsigned char const*>(pos);
    pos += 4;
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | uint32_t(b[3]);
}

bool CmemoryIO::read(char* out, int n) {
    if (!take(n)) return false;
    if (n) std::memcpy(out, pos, static_cast<size_t>(n));
    pos += n;
    return true;
}
