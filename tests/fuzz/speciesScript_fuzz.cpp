// libFuzzer target over species files and skeleton commands (built with -DVELMORA_FUZZ=ON
// and clang).
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

#include "speciesFuzzInput.h"
#include "support/globals.h"
#include "world/velmoraFunctions.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static bool ready = [] {
        allowStdoutFile = 0; // exit reasons must not open run-phase files
        char folder[] = "/tmp/velmora-species-fuzz-XXXXXX";
        return mkdtemp(folder) && chdir(folder) == 0;
    }();
    if (!ready) return 0;
    if (!speciesFuzz::runInput(data, size)) __builtin_trap();
    return 0;
}
