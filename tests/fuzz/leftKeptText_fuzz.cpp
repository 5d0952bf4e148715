// libFuzzer target over what a run that ended beside another leaves of a kept file
// ("settings.txt.left-..."): read back as it was written or not at all, and taken in by the
// run that keeps the data folder, after which the left file is gone (taken in) or set aside
// (none), never both and never lingering.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "fuzzScratchFolder.h"
#include "support/globals.h"
#include "support/keptText.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static CfuzzScratchFolder scratchFolder("velmora-left-fuzz");
    static std::string const folder = [] {
        std::string made = scratchFolder.folder();
        appDataDir = made.c_str();
        return made;
    }();
    std::string const text(reinterpret_cast<char const*>(data), size);
    std::string read, base, ours;
    bool whole = readLeftKeptText(text, read, base, ours);
    if (whole && leftKeptText(read, base, ours) != text) __builtin_trap();
    std::error_code ignored;
    for (auto const& entry : std::filesystem::directory_iterator(folder, ignored))
        std::filesystem::remove_all(entry.path(), ignored);
    std::ofstream(folder + "settings.txt") << ":set masterVolume 0.5\n";
    std::ofstream(folder + "settings.txt.left-1-1", std::ios::binary)
        .write(text.data(), std::streamsize(size));
    forgetTextBaselines();
    if (takeInLeftKeptText("[APD]settings.txt") != 0) __builtin_trap();
    bool lingers = std::filesystem::exists(folder + "settings.txt.left-1-1", ignored);
    bool setAside = std::filesystem::exists(folder + "settings.txt.left-1-1.damaged", ignored);
    if (lingers || setAside == whole) __builtin_trap();
    return 0;
}
