// libFuzzer target over the thing commands (built with -DVELMORA_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

#include "fuzzScratchFolder.h"
#include "../host/fakeHostServices.h"
#include "support/globals.h"
#include "thingScriptFuzzInput.h"
#include "world/velmoraFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // Thing scripts may run file and shell commands: those go to a recording stand-in.
    static CfakeHostServices host;
    static CfuzzScratchFolder scratchFolder("velmora-thing-fuzz");
    static Cstring savePath;
    static bool ready = [] {
        allowStdoutFile = 0; // exit reasons must not open run-phase files
        skipNSAlert = 1;     // "msgbox" answers at once
        // "exit0" ends the process by design; here it only stops the script.
        setBuiltinCommand("exit0", [](CscriptHandler*, CscriptLine&, Cvariable**) { return 2; });
        if (scratchFolder.ready()) appDataDir = scratchFolder.folder().c_str();
        savePath = appDataDir + "thing.txt";
        return true;
    }();
    (void)ready;
    CfuzzScratchFolder::Visit inside(scratchFolder);
    host.calls.clear();
    if (!runThingScriptFuzzInput(data, size, savePath.c_str())) __builtin_trap();
    return 0;
}
