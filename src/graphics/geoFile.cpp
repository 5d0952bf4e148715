// The flat geometry file ("AAG0"), little-endian, no padding:
//
//   "AAG0"  i32 points N  i16 attributes A
//   A x { i16 name length, name, i16 floats per point, i16 type }
//   N x one record of every attribute's floats, in attribute order
//   i16 point groups G    G x { i16 name length, name, i32 members n, n x i32 point }
//   i32 polygons P        P x { one ignored byte, i32 vertices V, V x i32 point }
//   i16 prim groups H     H x { i16 name length, name, i32 members n, n x i32 polygon }
//
// The reader trusts nothing: every count is checked against its limit and against the
// bytes still in the file before anything is allocated, and every index against the point
// or polygon count, so a damaged file fails cleanly and leaves an empty geometry.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "graphics/geoFile.h"
#include "graphics/geoNew.h"
#include "support/cerr.h"
#include "support/fileIO.h"

namespace {

// Little-endian reads over a byte block; a read past the end fails and reads nothing.
class CgeoBytes {
  public:
    CgeoBytes(unsigned char const* bytes, size_t size) : at(bytes), end(bytes + size) {}

    size_t left() const { return static_cast<size_t>(end - at); }
    bool i16(int& v) {
        if (left() < 2) return false;
        v = static_cast<int16_t>(static_cast<uint16_t>(at[0] | at[1] << 8));
        at += 2;
        return true;
    }
    bool i32(long& v) {
        if (left() < 4) return false;
        uint32_t u = static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 |
                     static_cast<uint32_t>(at[2]) << 16 | static_cast<uint32_t>(at[3]) << 24;
        v = static_cast<int32_t>(u);
        at += 4;
        return true;
    }
    bool bytes(void* to, size_t n) {
        if (left() < n) return false;
        if (n) std::memcpy(to, at, n);
        at += n;
        return true;
    }
    bool skip(size_t n) {
        if (left() < n) return false;
        at += n;
        return true;
    }

  private:
    unsigned char const* at;
    unsigned char const* end;
};

// Reads a name of at most kMaxGeoName bytes; null on success, else the reason.
char const* readName(CgeoBytes& in, Cstring& name) {
    int length;
    if (!in.i16(length)) return "file ends inside a name length";
    if (length < 0 || length > kMaxGeoName) return "name length out of range";
    name = "";
    if (length == 0) return nullptr;
    name.resizeChars(length);
    if (!in.bytes(name.getDataStart(), static_cast<size_t>(length))) return "file ends inside a name";
    return nullptr;
}

// Reads a count of indices, each below limit.
char const* readIndices(CgeoBytes& in, long limit, std::vector<int>& out, char const* what) {
    long n;
    if (!in.i32(n)) return "file ends inside a count";
    if (n < 0 || n > 65535) return "index count out of range";
    if (static_cast<size_t>(n) * 4 > in.left()) return "index list runs past the end of the file";
    out.resize(static_cast<size_t>(n));
    for (long i = 0; i < n; i++) {
        long v = 0;
        in.i32(v);
        if (v < 0 || v >= limit) return what;
        out[static_cast<size_t>(i)] = static_cast<int>(v);
    }
    return nullptr;
}

char const* readGroups(CgeoBytes& in, long limit, std::vector<CgeoFileGroup>& groups, char const* what) {
    int count;
    if (!in.i16(count)) return "file ends inside a group count";
    if (count < 0) return "negative group count";
    for (int g = 0; g < count; g++) {
        CgeoFileGroup group;
        if (char const* bad = readName(in, group.name)) return bad;
        if (char const* bad = readIndices(in, limit, group.members, what)) return bad;
        groups.push_back(std::move(group));
    }
    return nullptr;
}

} // namespace

char const* const kGeoWrongHeader = "Incorrect Header for geo file!";

char const* parseGeoFile(unsigned char const* bytes, size_t size, CgeoFileContents& geo) {
    geo = CgeoFileContents();
    CgeoBytes in(bytes, size);
    char magic[4];
    if (!in.bytes(magic, 4) || std::memcmp(magic, "AAG0", 4) != 0) return kGeoWrongHeader;

    long points;
    int attribCount;
    if (!in.i32(points) || !in.i16(attribCount)) return "file ends inside the header";
    if (points < 0 || points > kMaxGeoCount) return "point count out of range";
    if (attribCount < 0) return "negative attribute count";
    int running = 0;
    for (int a = 0; a < attribCount; a++) {
        CgeoFileAttrib attrib;
        if (char const* bad = readName(in, attrib.name)) return bad;
        if (!in.i16(attrib.size) || !in.i16(attrib.type)) return "file ends inside an attribute";
        if (attrib.size < 0) return "negative attribute size";
        running += attrib.size;
        // A record must fit one 16-bit element size of bytes.
        if (running > kMaxGeoFloatsPerPoint) return "point record too large";
        geo.attribs.push_back(std::move(attrib));
    }
    geo.points = static_cast<int>(points);
    geo.floatsPerPoint = running;
    if (points > 0 && running == 0) return "points without point data";
    size_t floats = static_cast<size_t>(points) * static_cast<size_t>(running);
    if (floats * 4 > in.left()) return "point data runs past the end of the file";
    geo.data.resize(floats);
    for (size_t i = 0; i < floats; i++) {
        unsigned char b[4] = {};
        in.bytes(b, 4);
        uint32_t u = static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                     static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24;
        std::memcpy(&geo.data[i], &u, 4);
    }

    if (char const* bad = readGroups(in, points, geo.pointGroups, "point group member out of range"))
        return bad;

    long polygonCount;
    if (!in.i32(polygonCount)) return "file ends inside the polygon count";
    if (polygonCount < 0 || polygonCount > kMaxGeoCount) return "polygon count out of range";
    geo.polygons.resize(static_cast<size_t>(polygonCount));
    for (auto& polygon : geo.polygons) {
        if (!in.skip(1)) return "file ends inside a polygon";
        if (char const* bad = readIndices(in, points, polygon, "polygon vertex out of range")) return bad;
    }
    if (char const* bad = readGroups(in, polygonCount, geo.primGroups, "prim group member out of range"))
        return bad;
    return nullptr;
}

namespace {

// A short link named name holding the values (none: no storage).
CshortLinkVar* makeShortLink(Cstring const& name, std::vector<int> const& values) {
    auto* link = new CshortLinkVar();
    link->setName(name);
    if (!values.empty()) {
        link->allocElements(static_cast<int>(values.size()), 2);
        auto* to = static_cast<short*>(link->storage);
        for (size_t i = 0; i < values.size(); i++)
            to[i] = static_cast<short>(values[i]);
    }
    return link;
}

void addGroups(Cvariable* dir, std::vector<CgeoFileGroup> const& groups) {
    for (CgeoFileGroup const& g : groups)
        dir->addVariable(makeShortLink(g.name, g.members), 1);
}

} // namespace

int CgeoNew::loadOldFormatFromMemory(unsigned char const* bytes, size_t size, char const* what) {
    deleteGeoDirectories();
    createMainDirectories();
    CgeoFileContents geo;
    char const* bad = parseGeoFile(bytes, size, geo);
    if (bad == kGeoWrongHeader) {
        VTRACE(2, "Incorrect Header for geo file!");
        return 1;
    }
    if (bad) {
        VTRACE(1, "bad geo file! " << bad << " in " << what);
        return 1;
    }
    VTRACE(2, "Header is good!");

    int running = 0;
    for (CgeoFileAttrib const& a : geo.attribs) {
        pointSide.attribs->addVariable(makeShortLink(a.name, {running, a.size, a.type}), 1);
        running += a.size;
    }
    auto* data = new ClinkVar();
    data->setName("attr_data");
    if (!geo.data.empty()) {
        data->allocElements(geo.points, geo.floatsPerPoint * 4);
        std::memcpy(data->storage, geo.data.data(), geo.data.size() * sizeof(float));
    }
    pointsDir->addVariable(data, 1);
    addGroups(pointSide.groups, geo.pointGroups);

    auto* list = new CfastChildArrayVar();
    list->setName("polygonList");
    primsDir->addVariable(list, 1);
    if (!geo.polygons.empty()) {
        auto* array = new CshortLinkVar[geo.polygons.size()];
        for (size_t i = 0; i < geo.polygons.size(); i++) {
            std::vector<int> const& v = geo.polygons[i];
            if (v.empty()) continue;
            array[i].allocElements(static_cast<int>(v.size()), 2);
            auto* to = static_cast<short*>(array[i].storage);
            for (size_t k = 0; k < v.size(); k++)
                to[k] = static_cast<short>(v[k]);
        }
        list->addChildArrays(array, static_cast<int>(geo.polygons.size()), sizeof(CshortLinkVar),
                             CLASS_SHORT_LINK);
    }
    addGroups(primSide.groups, geo.primGroups);

    if (initializeUsingContents() != 0) {
        deleteGeoDirectories();
        createMainDirectories();
        return 1;
    }
    VTRACE(2, "returning 0");
    return 0;
}

int CgeoNew::loadOldFormat(char const* path) {
    deleteGeoDirectories();
    createMainDirectories();
    std::vector<unsigned char> bytes;
    if (!readGeoFileBytes(path, bytes)) {
        VTRACE(1, "couldn't open geo file! " << path);
        return 1;
    }
    return loadOldFormatFromMemory(bytes.data(), bytes.size(), path);
}

bool readGeoFileBytes(char const* path, std::vector<unsigned char>& bytes) {
    bytes.clear();
    std::error_code error;
    // A folder opens as a stream on some systems and reports a nonsense size.
    if (!std::filesystem::is_regular_file(replaceCommonPathKeyword(path).c_str(), error)) return false;
    std::ifstream in;
    if (!file_open(in, path, 0)) return false;
    in.seekg(0, std::ios::end);
    std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (size < 0) return false;
    bytes.resize(static_cast<size_t>(size));
    in.read(reinterpret_cast<char*>(bytes.data()), size);
    bool whole = in.gcount() == size;
    file_close(in);
    return whole;
}
