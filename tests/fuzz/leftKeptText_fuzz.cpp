// libFuzzer target over what a run that ended beside another leaves of a kept file
// ("settings.txt.left-..."): read back as it was written or not at all, and taken in by the
// run that keeps the data folder, after which the left file is gone (taken in) or set aside
// (none), never both and never lingering; one a run wrote, of any texts, is always taken in.
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
    std::ofstream(folder + "settings.txt") << ":set masterVolume 0.5\n:mkdir latentTanks {\n}\n";
    std::ofstream(folder + "settings.txt.left-1-1", std::ios::binary)
        .write(text.data(), std::streamsize(size));
    // A left file as a run writes it, of the input's thirds: always taken in.
    std::string const made =
        leftKeptText(text.substr(0, size / 3), text.substr(size / 3, size / 3), text.substr(2 * (size / 3)));
    std::ofstream(folder + "settings.txt.left-1-2", std::ios::binary)
        .write(made.data(), std::streamsize(made.size()));
    forgetTextBaselines();
    if (takeInLeftKeptText("[APD]settings.txt") != 0) __builtin_trap();
    for (char const* name :
         {"settings.txt.left-1-1", "settings.txt.left-1-2", "settings.txt.left-1-2.damaged"})
        if (std::filesystem::exists(folder + name, ignored)) __builtin_trap();
    if (std::filesystem::exists(folder + "settings.txt.left-1-1.damaged", ignored) == whole) __builtin_trap();
    return 0;
}
