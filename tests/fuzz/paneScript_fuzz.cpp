// libFuzzer target over pane scripts: the group commands that build widgets, their
// arguments and bindings, and the panel's pointer routing over what they built.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

#include "fuzzScratchFolder.h"
#include "../host/fakeHostServices.h"
#include "paneScriptFuzzInput.h"
#include "support/globals.h"
#include "world/velmoraFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // Pane scripts may run file and shell commands: those go to a recording stand-in.
    static CfakeHostServices host;
    static CfuzzScratchFolder scratchFolder("velmora-pane-fuzz");
    static bool ready = [] {
        allowStdoutFile = 0; // exit reasons must not open run-phase files
        skipNSAlert = 1;     // "msgbox" answers at once
        // "exit0" ends the process by design; here it only stops the script.
        setBuiltinCommand("exit0", [](CscriptHandler*, CscriptLine&, Cvariable**) { return 2; });
        if (scratchFolder.ready()) appDataDir = scratchFolder.folder().c_str();
        return true;
    }();
    (void)ready;
    CfuzzScratchFolder::Visit inside(scratchFolder);
    host.calls.clear();
    scriptError = 0;
    runPaneScriptFuzzInput(data, size);
    return 0;
}
