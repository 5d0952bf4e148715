// One fuzz input for species loading: the bytes are a species file, found and run through a species request,
// and each of their lines is also a per-point command of a small skeleton, whose "assignAsMat" values come
// from the first bytes. Bad input may fail, but must not crash or hang, and a failed species must not stay in
// the tree.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "data/resourceStreamer.h"
#include "graphics/geoFile.h"
#include "graphics/texturedGeo.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "world/species.h"

namespace speciesFuzz {

inline std::vector<Cstring> lines(uint8_t const* data, size_t size, size_t count) {
    std::vector<Cstring> out(count);
    size_t line = 0;
    std::string current;
    for (size_t i = 0; i < size && line < count; i++) {
        if (data[i] == '\n') {
            out[line++] = Cstring(current.c_str());
            current.clear();
        } else if (data[i] != 0) {
            current.push_back(static_cast<char>(data[i]));
        }
    }
    if (line < count) out[line] = Cstring(current.c_str());
    return out;
}

// Runs one input in the current folder; false when an invariant broke.
inline bool runInput(uint8_t const* data, size_t size) {
    resetExitState();
    scriptError = 0;
    if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
    resourcesDir->checkDiskAlways = 1;
    CdirectoryVar root;
    speciesTreeBase = &root;
    std::filesystem::create_directories("species/fz");
    std::ofstream("species/fz/fz.spec", std::ios::binary)
        .write(reinterpret_cast<char const*>(data), static_cast<std::streamsize>(size));
    Cspecies* loaded = requestSpecies2("fz", nullptr);
    bool sound = loaded != nullptr || root.findVariable("speciesScripts/species/fz") == nullptr;

    // Three joints; their "assignAsMat" values are read from the input's first bytes.
    CgeoFileContents g;
    g.points = 3;
    g.attribs = {{"pos", 3, 0}, {"assignAsMat", 1, 0}, {"mat", 2, 0}, {"misc_cmd", 1, 0}};
    g.floatsPerPoint = 7;
    for (int p = 0; p < 3; p++) {
        float value = size > static_cast<size_t>(p) ? static_cast<float>(static_cast<int8_t>(data[p])) : 0.0f;
        g.data.insert(g.data.end(), {0, 0, static_cast<float>(p), value, static_cast<float>(p), 0, 0});
    }
    std::string bytes;
    if (encodeGeoFile(g, bytes) == nullptr) {
        Cspecies species;
        species.setName("skel");
        auto* skeleton = new CtexturedGeo;
        if (skeleton->loadOldFormatFromMemory(reinterpret_cast<unsigned char const*>(bytes.data()),
                                              bytes.size(), "fuzz") == 0 &&
            skeleton->setPointStrings("misc_cmd", lines(data, size, 3))) {
            species.skeleton = skeleton;
            species.readMiscCommandsFromGeo();
            species.optimizeMatrices();
            species.skeleton = nullptr;
        }
        delete skeleton;
    }
    speciesTreeBase = nullptr;
    resetExitState();
    scriptError = 0;
    return sound;
}

} // namespace speciesFuzz
