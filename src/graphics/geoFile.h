// The flat geometry file ("AAG0") as plain data: what the reader checks before it builds a
// geometry, and what the writer produces. See geoFile.cpp for the layout.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "support/mystring.h"

// Most floats in one point record (its bytes are a 16-bit element size).
constexpr int kMaxGeoFloatsPerPoint = 16383;

struct CgeoFileAttrib {
    Cstring name;
    int size = 0; // floats per point
    int type = 0; // stored, never interpreted
};

struct CgeoFileGroup {
    Cstring name;
    std::vector<int> members;
};

struct CgeoFileContents {
    int points = 0;
    int floatsPerPoint = 0;
    std::vector<CgeoFileAttrib> attribs;
    std::vector<float> data; // points x floatsPerPoint, point after point
    std::vector<CgeoFileGroup> pointGroups;
    std::vector<std::vector<int>> polygons;
    std::vector<CgeoFileGroup> primGroups;
};

// The reason parseGeoFile gives for bytes that do not start with "AAG0".
extern char const* const kGeoWrongHeader;

// Reads a whole geometry file image into geo. Null when it is sound; otherwise the reason
// (kGeoWrongHeader for a wrong magic), with geo left partly filled.
char const* parseGeoFile(unsigned char const* bytes, size_t size, CgeoFileContents& geo);
// Encodes geo as a geometry file image. Null when done; otherwise the reason (out empty).
char const* encodeGeoFile(CgeoFileContents const& geo, std::string& out);
// The whole file at path (path keywords expanded); false when it is not a readable file.
bool readGeoFileBytes(char const* path, std::vector<unsigned char>& bytes);
