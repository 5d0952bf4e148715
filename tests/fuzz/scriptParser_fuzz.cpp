// libFuzzer target over the script parser and runner (built with -DVELMORA_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>

#include "host/osFunctions.h"
#include "scriptFuzzInput.h"
#include "world/velmoraFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static bool ready = [] {
        allowStdoutFile = 0; // exit reasons must not open run-phase files
        skipNSAlert = 1;     // "msgbox" answers at once
        return true;
    }();
    (void)ready;
    runScriptFuzzInput(data, size);
    return 0;
}
