#include "support/ifstream_VL.h"

long (*ifstream_VL::resourceFileSize)(CresourceFileVar const*) = nullptr;

bool ifstream_VL::open(char const* path) {
    std::ifstream::open(path, std::ios::in | std::ios::binary);
    return good();
}

long ifstream_VL::filesize() const {
    if (!resourceFile || !resourceFileSize) return 0;
    return resourceFileSize(resourceFile);
}
