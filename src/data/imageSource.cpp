#include "data/imageSource.h"

#include <climits>
#include <fstream>

#include "data/resourceStreamer.h"
#include "support/fileIO.h"

// One flag says whether resources may come from disk: the streamer's.
bool imageCheckDiskAlways() {
    return resourcesDir != nullptr && resourcesDir->checkDiskAlways != 0;
}
void setImageCheckDiskAlways(bool on) {
    if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
    resourcesDir->checkDiskAlways = on ? 1 : 0;
}

// Sizes are kept below INT_MAX so the int-sized memory readers can hold the whole file.
static bool readStream(std::istream& in, std::vector<unsigned char>& bytes, size_t spare) {
    bytes.clear();
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    if (size < 0 || static_cast<unsigned long long>(size) + spare > INT_MAX) return false;
    in.seekg(0, std::ios::beg);
    bytes.assign(static_cast<size_t>(size) + spare, 0);
    if (size > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), size)) {
        bytes.clear();
        return false;
    }
    return true;
}

bool readImageFileBytes(char const* path, std::vector<unsigned char>& bytes, size_t spare) {
    std::ifstream in;
    bytes.clear();
    if (!path || !file_open(in, path, 0)) return false;
    bool ok = readStream(in, bytes, spare);
    file_close(in);
    return ok;
}

bool readRawFileBytes(char const* path, std::vector<unsigned char>& bytes, size_t spare) {
    bytes.clear();
    if (!path) return false;
    std::ifstream in(path, std::ios::in | std::ios::binary);
    return in.is_open() && readStream(in, bytes, spare);
}

bool loadImageResource(char const* path, std::vector<unsigned char>& bytes, size_t spare) {
    return readImageFileBytes(path, bytes, spare);
}
