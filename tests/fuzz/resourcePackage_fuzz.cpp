// libFuzzer target over resource packages: the index is read and every entry loaded.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "data/resourceStreamer.h"
#include "fuzzScratchFolder.h"
#include "support/cerr.h"
#include "variables/variableBasics.h"
#include "variables/variableLinks.h"

namespace {

// Paths of the package entries below the streamer, as loadFile takes them.
void collectEntries(Cvariable* dir, std::string const& prefix, std::vector<std::string>& out) {
    for (Cvariable* c = dir->firstChild; c; c = c->nextSibling) {
        std::string path = prefix + c->name.c_str();
        if (c->getClass() == CLASS_RESOURCE_FILE) out.push_back(path);
        if (out.size() < 64) collectEntries(c, path + "/", out);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    // The index is read from memory; only a usable one goes on to a package file.
    std::istringstream in(std::string(reinterpret_cast<char const*>(data), size));
    CdirectoryVar index;
    int slot = -1;
    if (readPackageIndex(in, static_cast<long>(size), &index, slot) != 0) {
        resetExitState();
        return 0;
    }
    static CfuzzScratchFolder scratch("velmora-package-index-fuzz");
    static std::string const path = scratch.folder() + "fuzz.pak";
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<char const*>(data), static_cast<std::streamsize>(size));
    }
    CresourceStreamer streamer;
    if (streamer.addResource(path.c_str()) == 0) {
        std::vector<std::string> entries;
        collectEntries(&streamer, "", entries);
        for (std::string const& entry : entries) {
            CmemoryChunkVar chunk;
            streamer.loadFile(entry.c_str(), chunk);
        }
        // The same package again is refused, the first one kept.
        streamer.addResource(path.c_str());
    }
    resetExitState();
    return 0;
}
