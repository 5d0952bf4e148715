// Geometry fixtures shared by the model tests: a coloured, textured cube as file contents,
// loading contents into a geometry through the file writer and reader, and a thing.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "graphics/geoFile.h"
#include "graphics/geoNew.h"
#include "graphics/workObject.h"
#include "script/matrixControllerManager.h"

// A unit cube: 8 points with "pos", "N", "Cd" and "uv"; 6 quads; point groups "corner"
// and "top"; prim groups "mat_skin_oa" (every face) and "lid" (the top face).
inline CgeoFileContents cubeContents() {
    CgeoFileContents g;
    g.points = 8;
    g.attribs = {{"pos", 3, 0}, {"N", 3, 1}, {"Cd", 3, 2}, {"uv", 2, 3}};
    g.floatsPerPoint = 11;
    for (int p = 0; p < 8; p++) {
        float x = static_cast<float>(p & 1), y = static_cast<float>((p >> 1) & 1),
              z = static_cast<float>(p >> 2);
        g.data.insert(g.data.end(), {x, y, z, x - 0.5f, y - 0.5f, z - 0.5f, 0.1f * static_cast<float>(p),
                                     0.5f, 1.0f, x, z + 0.25f});
    }
    g.pointGroups = {{"corner", {0}}, {"top", {2, 3, 6, 7}}};
    g.polygons = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    g.primGroups = {{"mat_skin_oa", {0, 1, 2, 3, 4, 5}}, {"lid", {3}}};
    return g;
}

inline std::string encoded(CgeoFileContents const& g) {
    std::string bytes;
    char const* bad = encodeGeoFile(g, bytes);
    EXPECT_EQ(bad, nullptr) << bad;
    return bytes;
}

// Loads contents into geo through the file form; the reader's result.
inline int loadContents(CgeoNew& geo, CgeoFileContents const& g) {
    std::string bytes = encoded(g);
    return geo.loadOldFormatFromMemory(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(),
                                       "test");
}

// Contents of the attributes with one row of all floats per point.
inline CgeoFileContents contentsOf(std::vector<CgeoFileAttrib> attribs,
                                   std::vector<std::vector<float>> rows) {
    CgeoFileContents g;
    g.points = static_cast<int>(rows.size());
    g.attribs = std::move(attribs);
    for (auto const& a : g.attribs)
        g.floatsPerPoint += a.size;
    for (auto const& r : rows)
        g.data.insert(g.data.end(), r.begin(), r.end());
    return g;
}

// The point's floats of attribute name (interleaved geometry).
inline std::vector<float> attribValues(CgeoNew& geo, char const* name, int point) {
    int offset = geo.findAttrib(name, 0), size = geo.findAttrib(name, 1);
    if (offset < 0) return {};
    float const* r = geo.pointRecord(point) + offset;
    return std::vector<float>(r, r + size);
}

// A thing as the graphics layer sees it: model, skeleton, buffer and tank camera as set.
class TestOwner : public CworkObjectOwner {
  public:
    CmatrixControllerManager* skeletonControllers() override { return &manager; }
    Cmatrix_4* tankCameraMatrix() override { return hasTank ? &camera : nullptr; }
    char const* skeletonOwnerName() override { return "fish"; }
    CtexturedGeo* workObjectModel() override { return geo; }
    CgeoNew* skeletonModel() override { return skeleton; }
    int currentBufferIndex() override { return buffer; }
    float thingScale() override { return scale; }
    int thingCooks() override { return cooks; }

    CmatrixControllerManager manager;
    CtexturedGeo* geo = nullptr;
    CgeoNew* skeleton = nullptr;
    Cmatrix_4 camera;
    bool hasTank = false;
    int buffer = 0, cooks = 0;
    float scale = 1.0f;
};
