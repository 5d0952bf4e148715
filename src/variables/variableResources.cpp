// Shared resources, resource-package entries and raw memory chunks.
#include <cstring>
#include <fstream>

#include "support/cerr.h"
#include "support/fileIO.h"
#include "variables/variableLinks.h"

// ---- shared resources ----

CresourceReference::~CresourceReference() {
    if (target && *target) {
        unrequestResource(*target);
        *target = nullptr;
    }
}

void unrequestResource(CmanagedResourceVar* resource) {
    if (resource == nullptr) return;
    if (resource->useCount > 0) resource->useCount--;
    VTRACE(2, "geo refs left for " << resource->name << " " << resource->useCount);
    if (resource->useCount == 0) {
        VTRACE(2, "ALL GEO REFERENCES GONE for " << resource->name);
        delete resource;
    }
}

// ---- resource-package entries ----

CresourceFileVar::CresourceFileVar() {
    allocElements(3, 4);
    zeroAllocedMem();
}

// The packed fields are added, not masked: callers keep each in its bit range.
void CresourceFileVar::setFileSize(int size) {
    unsigned packed = static_cast<unsigned>(getElem_int(1));
    setElem_int(1, static_cast<int>((packed & 0xFF000000u) + static_cast<unsigned>(size)));
}

void CresourceFileVar::setFileEncoding(int encoding) {
    unsigned packed = static_cast<unsigned>(getElem_int(1));
    setElem_int(1, static_cast<int>((packed & ~0x0F000000u) + (static_cast<unsigned>(encoding) << 24)));
}

void CresourceFileVar::setFileStream(int stream) {
    unsigned packed = static_cast<unsigned>(getElem_int(1));
    setElem_int(1, static_cast<int>((packed & 0x0FFFFFFFu) + (static_cast<unsigned>(stream) << 28)));
}

// ---- memory chunks ----

void* CmemoryChunkVar::allocMem(unsigned bytes) {
    clearPointer();
    if (bytes == 0) return nullptr;
    data = new unsigned char[bytes];
    size = bytes;
    return data;
}

void CmemoryChunkVar::clearPointer() {
    delete[] data;
    data = nullptr;
    size = 0;
}

void CmemoryChunkVar::zero() {
    if (data) std::memset(data, 0, size);
}

void CmemoryChunkVar::memHasBeenStolen() {
    data = nullptr;
    size = 0;
}

void CmemoryChunkVar::setPointerAndSize(void* block, unsigned bytes) {
    if (block == data) {
        size = bytes;
        return;
    }
    clearPointer();
    data = static_cast<unsigned char*>(block);
    size = block ? bytes : 0;
}

long CmemoryChunkVar::loadFromFile(char const* path) {
    long fileSize = getDiskFileSize(path);
    if (fileSize < 0) return fileSize;
    // Room for the data, at least one zero byte after it, a multiple of 4 in all.
    unsigned long padded = 4ul * ((static_cast<unsigned long>(fileSize) + 1) / 4) + 4;
    if (padded > 0xFFFFFFFFul) {
        setExitSpecial(this, "file too large for memory chunk");
        return -1;
    }
    allocMem(static_cast<unsigned>(padded));
    zero();
    if (fileSize >= 1) {
        std::ifstream in;
        bool ok = file_open(in, path, 0) != 0;
        if (ok) {
            in.read(reinterpret_cast<char*>(data), fileSize);
            ok = in.gcount() == fileSize;
            file_close(in);
        }
        if (!ok) {
            // A partial block must not pass for the file.
            VTRACE(1, "couldn't read " << path);
            clearPointer();
            return -1;
        }
    }
    return fileSize;
}

int CmemoryChunkVar::saveToFile(char const* path) {
    std::ofstream out;
    if (!file_open(out, Cstring(path), 0)) return 0;
    if (size) out.write(reinterpret_cast<char const*>(data), size);
    bool ok = out.good();
    file_close(out);
    return ok && out.good() ? 1 : 0;
}
