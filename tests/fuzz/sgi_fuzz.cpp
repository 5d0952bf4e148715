// libFuzzer target over the SGI image reader; the first byte picks the size reducers.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/imageIO.h"
#include "support/cerr.h"
#include "support/memoryIO.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    if (size < 1) return 0;
    std::vector<char> bytes(data + 1, data + size);
    imageFile im;
    im.sizeReducerX = 1 + (data[0] & 3);
    im.sizeReducerY = 1 + ((data[0] >> 2) & 3);
    CmemoryIO in;
    in.setStartAndSize(bytes.data(), static_cast<int>(bytes.size()));
    in.readUShort(); // the magic, checked by the caller of readSGI
    im.readSGI(in, (data[0] & 16) == 0);
    resetExitState();
    return 0;
}
