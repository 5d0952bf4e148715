// libFuzzer target over the material reader (built with -DVELMORA_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

#include "fuzzScratchFolder.h"
#include "../host/fakeHostServices.h"
#include "host/osFunctions.h"
#include "materialFuzzInput.h"
#include "support/globals.h"
#include "world/velmoraFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // Material scripts can run any script command: file and shell commands go to a
    // recording stand-in, and whatever is still written directly lands in a scratch folder.
    static CfakeHostServices host;
    static CfuzzScratchFolder scratchFolder("velmora-material-fuzz");
    static bool ready = [] {
        allowStdoutFile = 0;
        skipNSAlert = 1;
        setBuiltinCommand("exit0", [](CscriptHandler*, CscriptLine&, Cvariable**) { return 2; });
        if (scratchFolder.ready()) appDataDir = scratchFolder.folder().c_str();
        return true;
    }();
    (void)ready;
    CfuzzScratchFolder::Visit inside(scratchFolder);
    host.calls.clear();
    runMaterialFuzzInput(data, size);
    return 0;
}
