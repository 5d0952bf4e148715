// libFuzzer target over the script parser and runner (built with -DVELMORA_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>
#include <string>
#include <sstream>
#include <cstdlib>
#include <unistd.h>

#include "fuzzScratchFolder.h"
#include "../host/fakeHostServices.h"
#include "host/osFunctions.h"
#include "support/globals.h"
#include "script/mathSolver.h"
#include "script/scripter.h"
#include "support/cerr.h"

namespace {

// Parses the bytes (binary blocks included), writes every line back and parses that
// again, then runs the script on a scratch tree. Bad text may fail, but must not crash,
// hang or read outside the bytes.
void runScriptFuzzInput(uint8_t const* data, size_t size) {
    CscriptVar script;
    script.processStringScript(reinterpret_cast<char const*>(data), size);

    std::ostringstream written;
    for (Cvariable* v = script.firstChild; v; v = v->nextSibling) {
        if (v->getClass() != CLASS_SCRIPT_LINE) __builtin_trap(); // the parser makes only lines
        static_cast<CscriptLine*>(v)->writeLine(written);
        written << '\n';
    }
    std::string text = written.str();
    CscriptVar again;
    again.processStringScript(text.data(), text.size());

    // Commands run only while no error is pending; start each input clean.
    resetExitState();
    scriptError = 0;
    mathSolver.clearError();
    CdirectoryVar scratch;
    runScript(&scratch, &script);

    resetExitState();
    scriptError = 0;
    mathSolver.clearError();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // Fuzzed scripts run file and shell commands: those go to a recording stand-in, and
    // whatever is still written directly (settings saves) lands in a scratch folder.
    static CfakeHostServices host;
    static CfuzzScratchFolder scratchFolder("velmora-script-fuzz");
    static bool ready = [] {
        skipNSAlert = 1; // "msgbox" answers at once
        // "exit0" ends the process by design; here it only stops the script.
        setBuiltinCommand("exit0", [](CscriptHandler*, CscriptLine&, Cvariable**) { return int(CMD_STOP); });
        if (scratchFolder.ready()) appDataDir = scratchFolder.folder().c_str();
        return true;
    }();
    (void)ready;
    CfuzzScratchFolder::Visit inside(scratchFolder);
    host.calls.clear();
    runScriptFuzzInput(data, size);
    return 0;
}
