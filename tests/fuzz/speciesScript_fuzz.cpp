// libFuzzer target over species files and skeleton commands (built with -DVELMORA_FUZZ=ON
// and clang).
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "../host/fakeHostServices.h"
#include "fuzzScratchFolder.h"
#include "script/scripter.h"
#include "speciesFuzzInput.h"
#include "support/globals.h"
#include "world/velmoraFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // Species scripts may run file and shell commands: those go to a recording stand-in.
    static CfakeHostServices host;
    static CfuzzScratchFolder scratchFolder("velmora-species-fuzz");
    static bool ready = [] {
        allowStdoutFile = 0; // exit reasons must not open run-phase files
        skipNSAlert = 1;     // "msgbox" answers at once
        // "exit0" ends the process by design; here it only stops the script.
        setBuiltinCommand("exit0", [](CscriptHandler*, CscriptLine&, Cvariable**) { return int(CMD_STOP); });
        return true;
    }();
    (void)ready;
    // The species files are written in a folder of their own.
    bool sound = false;
    {
        CfuzzScratchFolder::Visit inside(scratchFolder);
        host.calls.clear();
        sound = speciesFuzz::runInput(data, size);
    }
    if (!sound) __builtin_trap();
    return 0;
}
