// libFuzzer target over the binary tree file reader: read, write back, read again.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "support/cerr.h"
#include "variables/variableBasics.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::istringstream in(std::string(reinterpret_cast<char const*>(data), size));
    CdirectoryVar into;
    into.setName("into");
    if (into.loadBinaryChildren(in) == 0) {
        // What was read must write out and read back.
        std::ostringstream out;
        into.saveTree(nullptr, 1, &out);
        std::istringstream again(out.str());
        CdirectoryVar copy;
        copy.setName("copy");
        if (copy.loadBinaryChildren(again) != 0) __builtin_trap();
    }
    resetExitState();
    return 0;
}
