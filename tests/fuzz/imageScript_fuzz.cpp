// libFuzzer target over image scripts run on a texture (built with -DVELMORA_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

#include "fuzzScratchFolder.h"
#include "imageScriptFuzzInput.h"
#include "support/globals.h"
#include "world/velmoraFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static CimageScriptFuzzScope imageCommandsOnly;
    static CfuzzScratchFolder scratchFolder("velmora-image-fuzz");
    static bool ready = [] {
        allowStdoutFile = 0; // exit reasons must not open run-phase files
        // Files the scripts name are looked for in an empty scratch folder.
        if (scratchFolder.ready()) appDataDir = scratchFolder.folder().c_str();
        return true;
    }();
    (void)ready;
    CfuzzScratchFolder::Visit inside(scratchFolder);
    runImageScriptFuzzInput(data, size);
    return 0;
}
