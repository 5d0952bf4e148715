// CgeoNew: a model's points, per-point attributes, polygons and named groups, held as a
// subtree of the variable tree so that a model can be read from the binary tree file,
// browsed and saved like any other variable.
//
//   points/            groups/<name>  one short link per point group, members = point indices
//                      attribs/<name> one short link per attribute: [offset, floats, type]
//                      attr_data      one link element per point, a record of floats
//                      strings/<name> optional per-point text tables (see geoStrings.cpp)
//   prims/             groups/<name>  one short link per primitive group, members = polygons
//                      attribs/       primitive attributes (may be empty)
//                      attr_data      optional per-primitive data
//                      polygonList    one short link per polygon, its point indices in order
//
// A loaded model is interleaved (one record of all attributes per point); work copies
// made by clonePoints may be attribute-major (each attribute one block of all points).
#pragma once

#include <string>
#include <vector>

#include "support/mystring.h"
#include "variables/variableLinks.h"

// One side of a geometry (its points or its primitives): groups, attributes, data.
class CattribHandler {
  public:
    // Element (0 offset, 1 size, 2 type) of the attribute named name; -1 when absent.
    int findAttrib(char const* name, int element) const;
    // The group named name, or null.
    CshortLinkVar* findGroup(char const* name) const;

    Cvariable* groups = nullptr;
    Cvariable* attribs = nullptr;
    ClinkVar* attrData = nullptr;
};

// Most points and polygons a geometry holds (their counts are 16-bit).
constexpr int kMaxGeoCount = 32767;
// Longest attribute or group name the geometry file holds.
constexpr int kMaxGeoName = 111;

class CgeoNew : public CmanagedResourceVar {
  public:
    CgeoNew() = default;

    // Element of a point attribute (see CattribHandler::findAttrib).
    int findAttrib(char const* name, int element) const { return pointSide.findAttrib(name, element); }

    // Adds "points" and "prims" with their "groups" and "attribs" and keeps the links.
    void createMainDirectories();
    // Deletes "points" and "prims" with everything under them; the links become null.
    void deleteGeoDirectories();
    // Finds the parts by name, sets the counts and the shortcuts. 0 when the geometry is
    // whole and every attribute, polygon vertex, group member and string table lies inside
    // its range; 1 with an error line naming the geometry otherwise.
    int initializeUsingContents();
    // Fills the attribute shortcuts from the point attributes, in child order.
    void setAttribShortcuts();

    // Multiplies every point's position by factor.
    void scaleSize(float factor);
    // Rebuilds this geometry as a copy of the named attributes of source (which must be
    // interleaved), in the layout asked for.
    void clonePoints(CgeoNew& source, std::vector<Cstring> const& names, int interleavedLayout);
    // Copies the whole point buffer of another attribute-major geometry of the same shape.
    void copyPointDataFrom(CgeoNew& source);
    // Copies the positions of an attribute-major geometry with the same point count into
    // this interleaved geometry's records.
    void copyPointDataFromAndReinterleave(CgeoNew& source);

    // ---- the geometry file (geoFile.cpp, geoFileWriter.cpp) ----
    // Reads a geometry file. 0 read; 1 when it does not open, is not a geometry file or is
    // malformed; a failed read leaves an empty geometry.
    int loadOldFormat(char const* path);
    // The same over bytes in memory; what names the source in messages.
    int loadOldFormatFromMemory(unsigned char const* bytes, size_t size, char const* what);
    // The geometry as a geometry file; 1 (out empty) when it cannot be written in that
    // form (not interleaved, counts or names too large, parts missing).
    int writeOldFormat(std::string& out);
    // writeOldFormat into a file: 0 written, 1 failed.
    int saveOldFormat(char const* path);

    // ---- per-point text tables (geoStrings.cpp) ----
    // The texts of table name, one per point, into out; false (out empty) when absent.
    bool getPointStrings(char const* table, std::vector<Cstring>& out);
    // Makes or replaces table name with one text per point; false when the geometry has no
    // points directory or texts does not hold one text per point.
    bool setPointStrings(char const* table, std::vector<Cstring> const& texts);

    // ---- access ----
    float* pointData() const {
        return pointSide.attrData ? static_cast<float*>(pointSide.attrData->storage) : nullptr;
    }
    // The point's record (interleaved layout).
    float* pointRecord(int p) const { return pointData() + static_cast<size_t>(p) * floatsPerPoint; }
    // Vertex count and indices of polygon i (0 / null outside the list).
    int polygonSize(int i) const;
    short const* polygonIndices(int i) const;
    // Member count and members of a group link.
    static int groupSize(ClinkVar const* group) { return group && group->storage ? group->elementCount : 0; }
    static short const* groupMembers(ClinkVar const* group) {
        return group ? static_cast<short const*>(group->storage) : nullptr;
    }

    CattribHandler pointSide;
    CattribHandler primSide;
    Cvariable* pointsDir = nullptr;
    Cvariable* primsDir = nullptr;
    Cvariable* polygonList = nullptr;
    // Polygons by index, whether the list is an adopted array or a plain child list.
    std::vector<CshortLinkVar*> polygons;

    short numPoints = 0;
    short numPolygons = 0;
    short floatsPerPoint = 0;
    short floatsPerPrim = 0;
    short interleaved = 1;
    short posOffset = 0, posSize = 0;
    short colorOffset = -1, colorSize = 0;
    short normalOffset = -1;
    short uvOffset = -1;
    short uvBOffset = -1;
    short specOffset = -1;

  private:
    int rejectContents(char const* what, long index = -1);
    int checkGroupsWithin(Cvariable* groupsDir, int limit, char const* side);
    int checkStringTables();
};

// Layout checks shared by the operations that accept one layout only: false, with the
// error exit "notInterlvd", when the geometry is not in the layout needed.
bool requireInterleaved(CgeoNew const& geo, bool wanted);
