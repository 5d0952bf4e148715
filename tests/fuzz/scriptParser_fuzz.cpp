// libFuzzer target over the script parser and runner (built with -DVELMORA_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

#include "../host/fakeHostServices.h"
#include "host/osFunctions.h"
#include "scriptFuzzInput.h"
#include "support/globals.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // Fuzzed scripts run file and shell commands: those go to a recording stand-in, and
    // whatever is still written directly (settings saves) lands in a scratch folder.
    static CfakeHostServices host;
    static bool ready = [] {
        skipNSAlert = 1;     // "msgbox" answers at once
        // "exit0" ends the process by design; here it only stops the script.
        setBuiltinCommand("exit0", [](CscriptHandler*, CscriptLine&, Cvariable**) { return int(CMD_STOP); });
        char folder[] = "/tmp/velmora-fuzz-XXXXXX";
        if (mkdtemp(folder) && chdir(folder) == 0) appDataDir = Cstring(folder) + "/";
        return true;
    }();
    (void)ready;
    host.calls.clear();
    runScriptFuzzInput(data, size);
    return 0;
}
