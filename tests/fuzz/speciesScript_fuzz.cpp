// libFuzzer target over species files and skeleton commands (built with -DVELMORA_FUZZ=ON
// and clang).
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "../host/fakeHostServices.h"
#include "script/scripter.h"
#include "speciesFuzzInput.h"
#include "support/globals.h"
#include "world/velmoraFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // Species scripts may run file and shell commands: those go to a recording stand-in.
    static CfakeHostServices host;
    static std::string work, home;
    static bool ready = [] {
        allowStdoutFile = 0; // exit reasons must not open run-phase files
        skipNSAlert = 1;     // "msgbox" answers at once
        // "exit0" ends the process by design; here it only stops the script.
        setBuiltinCommand("exit0", [](CscriptHandler*, CscriptLine&, Cvariable**) { return int(CMD_STOP); });
        char folder[] = "/tmp/velmora-species-fuzz-XXXXXX";
        char cwd[PATH_MAX];
        if (mkdtemp(folder) == nullptr || getcwd(cwd, sizeof cwd) == nullptr) return false;
        work = folder, home = cwd;
        return true;
    }();
    // The species files are written in a folder of their own; the fuzzer's corpus paths
    // stay relative to where it was started.
    if (!ready || chdir(work.c_str()) != 0) return 0;
    host.calls.clear();
    bool sound = speciesFuzz::runInput(data, size);
    if (chdir(home.c_str()) != 0) return 0;
    if (!sound) __builtin_trap();
    return 0;
}
