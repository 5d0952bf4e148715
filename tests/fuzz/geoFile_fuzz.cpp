// libFuzzer target over the geometry file reader (built with -DVELMORA_FUZZ=ON and clang).
// Whatever loads must write back and read again to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "graphics/geoNew.h"
#include "support/cerr.h"
#include "world/velmoraFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static bool ready = [] {
        allowStdoutFile = 0; // exit reasons must not open run-phase files
        errorChannels = 0;
        return true;
    }();
    (void)ready;
    CgeoNew geo;
    if (geo.loadOldFormatFromMemory(data, size, "fuzz") == 0) {
        std::string written, again;
        if (geo.writeOldFormat(written) != 0) std::abort();
        CgeoNew reread;
        auto const* bytes = reinterpret_cast<unsigned char const*>(written.data());
        if (reread.loadOldFormatFromMemory(bytes, written.size(), "fuzz") != 0) std::abort();
        if (reread.writeOldFormat(again) != 0 || again != written) std::abort();
    }
    resetExitState();
    return 0;
}
