// libFuzzer target over the model readers (built with -DVELMORA_FUZZ=ON and clang).
// Every input goes through the geometry file reader, whose successes must write back and
// read again to the same bytes; an input that starts like a binary tree also goes through
// the model loader, which reads the tree form from a file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "fuzzScratchFolder.h"
#include "graphics/texturedGeo.h"
#include "support/cerr.h"
#include "world/velmoraFunctions.h"

namespace {

void roundTrip(uint8_t const* data, size_t size) {
    CgeoNew geo;
    if (geo.loadOldFormatFromMemory(data, size, "fuzz") != 0) return;
    std::string written, again;
    if (geo.writeOldFormat(written) != 0) std::abort();
    CgeoNew reread;
    auto const* bytes = reinterpret_cast<unsigned char const*>(written.data());
    if (reread.loadOldFormatFromMemory(bytes, written.size(), "fuzz") != 0) std::abort();
    if (reread.writeOldFormat(again) != 0 || again != written) std::abort();
}

void treeModel(uint8_t const* data, size_t size) {
    static CfuzzScratchFolder scratch("velmora-geo-fuzz");
    static std::string const path = scratch.folder() + "model";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<char const*>(data), static_cast<std::streamsize>(size));
    }
    CtexturedGeo model;
    if (model.loadTexturedGeo(path.c_str()) == 0 && model.initGeometrySpecialProcessingTables() == 0) {
        std::vector<Cstring> texts;
        model.getPointStrings("mtx_cmd", texts);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static bool ready = [] {
        allowStdoutFile = 0; // exit reasons must not open run-phase files
        errorChannels = 0;
        return true;
    }();
    (void)ready;
    roundTrip(data, size);
    if (size >= 4 && std::memcmp(data, "DBT", 4) == 0) treeModel(data, size);
    resetExitState();
    return 0;
}
