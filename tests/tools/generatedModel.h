// Reading the models the build generated into its resource tree.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/geoFile.h"
#include "testSupport.h"

// A model of the resource tree the build generated (file below the tree's root).
inline CgeoFileContents model(std::string const& file) {
    std::string bytes = readWholeFile(kGeneratedResourceDir + file);
    CgeoFileContents geo;
    EXPECT_EQ(parseGeoFile(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(), geo), nullptr)
        << file;
    return geo;
}

// The floats of attribute name of point p; empty when the model lacks it.
inline std::vector<float> value(CgeoFileContents const& g, char const* name, int p) {
    int offset = 0;
    for (CgeoFileAttrib const& a : g.attribs) {
        if (a.name == name)
            return {g.data.begin() + p * g.floatsPerPoint + offset,
                    g.data.begin() + p * g.floatsPerPoint + offset + a.size};
        offset += a.size;
    }
    return {};
}
