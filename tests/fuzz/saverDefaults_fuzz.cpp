// libFuzzer target over the saver defaults' key-file reader (built with -DVELMORA_FUZZ=ON
// and clang): any text is read or refused with a reason, never a crash.
#include <cstddef>
#include <cstdint>

#include "host/saverDefaults.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    CsaverDefaults values;
    Cstring error;
    int result = parseSaverDefaults(reinterpret_cast<char const*>(data), size, values, error);
    if (result != 0 && error.empty()) __builtin_trap(); // a refusal always says why
    if (result != 0 && (values.useAllScreens || values.headsUpDisplay)) __builtin_trap();
    return 0;
}
