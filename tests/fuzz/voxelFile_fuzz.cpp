// libFuzzer target over the voxel file reader (built with -DVELMORA_FUZZ=ON and clang):
// whole volumes through the data-array path, then a second buffer read in small boxes.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

#include "data/dataArray.h"
#include "data/vb_voxelIO.h"
#include "support/cerr.h"
#include "world/velmoraFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static bool ready = [] {
        allowStdoutFile = 0;       // exit reasons must not open run-phase files
        voxelValueLimit = 1 << 20; // keeps each input quick; the checks are the same
        return true;
    }();
    (void)ready;
    std::string bytes(reinterpret_cast<char const*>(data), size);
    {
        std::istringstream in(bytes);
        CdataVolume volume;
        loadVoxelStream(volume, in);
    }
    std::istringstream in(bytes);
    CvoxelLoader loader;
    CvoxelHeader header;
    if (loader.open(in) == 0 && loader.bufferCount() > 1 && loader.startBuffer(1, header) == 0) {
        std::vector<float> plane(static_cast<size_t>(3) * 3 * header.channels);
        std::vector<float*> planes;
        for (int c = 0; c < header.channels; c++)
            planes.push_back(plane.data() + 9 * c);
        for (int z = 0; z < header.resZ; z += 1 + header.resZ / 4) {
            CsliceIO box;
            box.slices = planes.data();
            box.chans = header.channels;
            box.start[0] = header.resX / 2;
            box.start[1] = header.resY / 3;
            box.start[2] = z;
            box.size[0] = box.size[1] = 3;
            box.size[2] = 1;
            if (loader.read(box) != 0) break;
        }
    }
    resetExitState();
    return 0;
}
