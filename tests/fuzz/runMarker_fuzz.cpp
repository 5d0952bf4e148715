// libFuzzer target over the run marker a run leaves in the data folder ("isRunning.txt"),
// read as the next start reads it, with the names it gives judged as files of the data folder
// and of its resource copy: a name is taken only for a regular file inside the folder.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "fuzzScratchFolder.h"
#include "support/globals.h"
#include "support/resourceCopy.h"
#include "world/dataFolderRun.h"

namespace {
// A name the marker gave, judged: empty, or a regular file under folder.
void judged(Cstring const& path, std::string const& folder) {
    if (path.empty()) return;
    struct stat st;
    if (std::string(path.c_str()).compare(0, folder.size(), folder) != 0 || lstat(path.c_str(), &st) != 0 ||
        !S_ISREG(st.st_mode))
        __builtin_trap();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static CfuzzScratchFolder scratchFolder("velmora-marker-fuzz");
    static std::string const folder = [] {
        std::string made = scratchFolder.folder();
        appDataDir = made.c_str();
        std::filesystem::create_directories(made + "Resources/species/x");
        std::ofstream(made + "settings.txt") << ":set x 1\n";
        std::ofstream(made + "Resources/species/x/x.spec") << ":set x 1\n";
        return made;
    }();
    std::ofstream(folder + "isRunning.txt", std::ios::binary)
        .write(reinterpret_cast<char const*>(data), static_cast<std::streamsize>(size));
    CleftRun left = readLeftRun("[APD]isRunning.txt");
    if (!left.present || left.ran.size() > 64 || (left.faultSignal != 0 && left.faultKind.empty()))
        __builtin_trap();
    judged(ownFileNamedInMarker(left.faultFile.c_str()), folder);
    judged(ownFileNamedInMarker(left.suspect.c_str()), folder);
    for (Cstring const& part : left.ran)
        judged(copyFileNamedInMarker(part.c_str()), folder + "Resources/");
    return 0;
}
