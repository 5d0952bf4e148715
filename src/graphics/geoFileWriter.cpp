// Writing the flat geometry file: the model generators and the tests make every model file
// through here, so whatever is written reads back to the same geometry.
#include <cstring>
#include <fstream>

#include "graphics/geoFile.h"
#include "graphics/geoNew.h"
#include "support/cerr.h"
#include "support/fileIO.h"

namespace {

void putI16(std::string& out, int v) {
    out.push_back(static_cast<char>(v & 255));
    out.push_back(static_cast<char>((v >> 8) & 255));
}

void putI32(std::string& out, long v) {
    auto u = static_cast<uint32_t>(v);
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<char>((u >> shift) & 255));
}

char const* putName(std::string& out, Cstring const& name) {
    if (name.size() > kMaxGeoName) return "name too long";
    putI16(out, name.size());
    out.append(name.c_str(), static_cast<size_t>(name.size()));
    return nullptr;
}

char const* putIndices(std::string& out, std::vector<int> const& members, int limit) {
    if (members.size() > 65535) return "too many indices";
    putI32(out, static_cast<long>(members.size()));
    for (int m : members) {
        if (m < 0 || m >= limit) return "index out of range";
        putI32(out, m);
    }
    return nullptr;
}

char const* putGroups(std::string& out, std::vector<CgeoFileGroup> const& groups, int limit) {
    if (groups.size() > static_cast<size_t>(kMaxGeoCount)) return "too many groups";
    putI16(out, static_cast<int>(groups.size()));
    for (CgeoFileGroup const& g : groups) {
        if (char const* bad = putName(out, g.name)) return bad;
        if (char const* bad = putIndices(out, g.members, limit)) return bad;
    }
    return nullptr;
}

char const* encode(CgeoFileContents const& geo, std::string& out) {
    if (geo.points < 0 || geo.points > kMaxGeoCount) return "point count out of range";
    if (geo.attribs.size() > static_cast<size_t>(kMaxGeoCount)) return "too many attributes";
    out.append("AAG0", 4);
    putI32(out, geo.points);
    putI16(out, static_cast<int>(geo.attribs.size()));
    int running = 0;
    for (CgeoFileAttrib const& a : geo.attribs) {
        if (char const* bad = putName(out, a.name)) return bad;
        if (a.size < 0 || a.size > kMaxGeoFloatsPerPoint) return "attribute size out of range";
        running += a.size;
        putI16(out, a.size);
        putI16(out, a.type);
    }
    if (running != geo.floatsPerPoint || running > kMaxGeoFloatsPerPoint)
        return "attribute sizes do not add up";
    if (geo.points > 0 && running == 0) return "points without point data";
    if (geo.data.size() != static_cast<size_t>(geo.points) * static_cast<size_t>(running))
        return "point data of the wrong length";
    for (float f : geo.data) {
        uint32_t u;
        std::memcpy(&u, &f, 4);
        putI32(out, static_cast<long>(u));
    }
    if (char const* bad = putGroups(out, geo.pointGroups, geo.points)) return bad;
    if (geo.polygons.size() > static_cast<size_t>(kMaxGeoCount)) return "too many polygons";
    putI32(out, static_cast<long>(geo.polygons.size()));
    for (std::vector<int> const& polygon : geo.polygons) {
        out.push_back(0);
        if (char const* bad = putIndices(out, polygon, geo.points)) return bad;
    }
    return putGroups(out, geo.primGroups, static_cast<int>(geo.polygons.size()));
}

void readGroups(Cvariable* dir, std::vector<CgeoFileGroup>& groups) {
    if (dir == nullptr) return;
    for (Cvariable* g = dir->firstChild; g; g = g->nextSibling) {
        auto* link = static_cast<ClinkVar*>(g); // checked by initializeUsingContents
        CgeoFileGroup group;
        group.name = g->name;
        short const* m = CgeoNew::groupMembers(link);
        group.members.assign(m, m + CgeoNew::groupSize(link));
        groups.push_back(std::move(group));
    }
}

} // namespace

char const* encodeGeoFile(CgeoFileContents const& geo, std::string& out) {
    out.clear();
    char const* bad = encode(geo, out);
    if (bad) out.clear();
    return bad;
}

int CgeoNew::writeOldFormat(std::string& out) {
    out.clear();
    if (interleaved == 0) {
        VTRACE(1, "can't write geo " << name << ": not interleaved");
        return 1;
    }
    if (initializeUsingContents() != 0) return 1;
    for (Cvariable* c = pointsDir->firstChild; c; c = c->nextSibling)
        if (c->name == "strings")
            VTRACE(1, "geo " << name << ": text tables need the binary tree form, left out");
    CgeoFileContents geo;
    geo.points = numPoints;
    for (Cvariable* a = pointSide.attribs ? pointSide.attribs->firstChild : nullptr; a; a = a->nextSibling) {
        CgeoFileAttrib attrib;
        attrib.name = a->name;
        attrib.size = a->getElem_int(1);
        attrib.type = a->getElem_int(2);
        geo.floatsPerPoint += attrib.size;
        geo.attribs.push_back(std::move(attrib));
    }
    // Records in attribute order, whatever offsets the attributes have in this geometry.
    geo.data.reserve(static_cast<size_t>(numPoints) * static_cast<size_t>(geo.floatsPerPoint));
    for (int p = 0; p < numPoints; p++) {
        Cvariable* a = pointSide.attribs ? pointSide.attribs->firstChild : nullptr;
        for (; a; a = a->nextSibling) {
            float const* from = pointRecord(p) + a->getElem_int(0);
            geo.data.insert(geo.data.end(), from, from + a->getElem_int(1));
        }
    }
    readGroups(pointSide.groups, geo.pointGroups);
    for (int i = 0; i < numPolygons; i++)
        geo.polygons.emplace_back(polygonIndices(i), polygonIndices(i) + polygonSize(i));
    readGroups(primSide.groups, geo.primGroups);
    if (char const* bad = encodeGeoFile(geo, out)) {
        VTRACE(1, "can't write geo " << name << ": " << bad);
        return 1;
    }
    return 0;
}

int CgeoNew::saveOldFormat(char const* path) {
    std::string bytes;
    if (writeOldFormat(bytes) != 0) return 1;
    std::ofstream out;
    if (!file_open(out, Cstring(path), 0)) {
        VTRACE(1, "couldn't write geo file! " << path);
        return 1;
    }
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file_close(out);
    return out.good() ? 0 : 1;
}
