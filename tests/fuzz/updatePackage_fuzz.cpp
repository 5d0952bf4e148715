// libFuzzer target over the update package interpreter (built with -DVELMORA_FUZZ=ON and
// clang): any bytes run as a package in a scratch data folder. Bad packages may be refused
// or stop, but must not crash, hang, or touch anything outside the data folder.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "../host/fakeHostServices.h"
#include "fuzzScratchFolder.h"
#include "host/updatePackage.h"
#include "support/cerr.h"
#include "support/globals.h"

namespace {

std::string scratch;

// The data folder is "<scratch>/data/"; "<scratch>/outside" must stay empty.
bool outsideStaysEmpty() {
    std::error_code ec;
    return std::filesystem::is_empty(scratch + "/outside", ec);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static CfakeHostServices host; // messages and web pages are only recorded
    static CfuzzScratchFolder scratchFolder("velmora-package-fuzz");
    static bool ready = [] {
        skipNSAlert = 1;
        if (!scratchFolder.ready()) std::abort();
        scratch = scratchFolder.folder() + "run";
        std::filesystem::create_directories(scratch + "/outside");
        return true;
    }();
    (void)ready;
    host.calls.clear();
    std::filesystem::remove_all(scratch + "/data");
    std::filesystem::create_directories(scratch + "/data/Resources");
    appDataDir = (scratch + "/data/").c_str();
    updatePackage::clearPaths();
    for (char const* key : {"CON", "MOS", "APD"})
        updatePackage::addPath(key, appDataDir.c_str());
    updatePackage::addPath("RSC", (appDataDir + "Resources").c_str());
    std::string path = scratch + "/package.vli";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<char const*>(data), static_cast<std::streamsize>(size));
    }
    int result = updatePackage::runScript(path.c_str(), 0);
    if (result < VLI_EXIT0 || result > VLI_FAILED) __builtin_trap();
    if (!outsideStaysEmpty()) __builtin_trap();
    resetExitState();
    return 0;
}
