// The geometry file: damaged files of every kind, and what the writer refuses.
#include <gtest/gtest.h>

#include <functional>
#include <type_traits>

#include "geoTestSupport.h"
#include "support/traceCapture.h"
#include "testSupport.h"

namespace {

int loadBytes(CgeoNew& geo, std::string const& bytes) {
    return geo.loadOldFormatFromMemory(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(),
                                       "t");
}

// Writes v little-endian at byte at, as the file stores its numbers.
template <typename T> void putAt(std::string& bytes, size_t at, T v) {
    auto u = static_cast<std::make_unsigned_t<T>>(v);
    for (size_t i = 0; i < sizeof(T); i++)
        bytes[at + i] = static_cast<char>((u >> (8 * i)) & 255);
}

// An empty geometry as a failed read leaves it.
void expectEmpty(CgeoNew& geo) {
    EXPECT_EQ(geo.numPoints, 0);
    EXPECT_EQ(geo.numPolygons, 0);
    ASSERT_NE(geo.pointSide.attribs, nullptr);
    EXPECT_EQ(geo.pointSide.attribs->firstChild, nullptr);
    EXPECT_EQ(geo.pointSide.groups->firstChild, nullptr);
    EXPECT_EQ(geo.primSide.groups->firstChild, nullptr);
    EXPECT_EQ(geo.pointSide.attrData, nullptr);
    EXPECT_EQ(geo.polygons.size(), 0u);
}

// A missing file, a folder and a file of the wrong magic each leave the geometry empty.
TEST(GeoFile, MissingFileAndWrongMagicFail) {
    TempDir dir;
    TraceCapture trace(3);
    std::string bytes = encoded(CgeoFileContents());
    bytes[3] = '1';
    writeWholeFile(dir.file("bad.geo"), bytes);
    for (std::string const& path : {dir.file("none.geo"), dir.path(), dir.file("bad.geo")}) {
        CgeoNew geo;
        ASSERT_EQ(loadContents(geo, cubeContents()), 0);
        EXPECT_EQ(geo.loadOldFormat(path.c_str()), 1) << path;
        expectEmpty(geo);
    }
}

TEST(GeoFile, EveryTruncationFailsCleanly) {
    std::string bytes = encoded(cubeContents());
    for (size_t cut = 0; cut < bytes.size(); cut++) {
        CgeoNew geo;
        EXPECT_EQ(loadBytes(geo, bytes.substr(0, cut)), 1) << "cut at " << cut;
        expectEmpty(geo);
    }
}

// One damaged field each; every one is refused with its reason.
TEST(GeoFile, DamagedFieldsAreRefused) {
    CgeoFileContents cube = cubeContents();
    std::string good = encoded(cube);
    size_t pointCount = 4, attribCount = 8, firstNameLength = 10, firstSize = 15;
    size_t endOfData = 10 + (2 + 3 + 4) + (2 + 1 + 4) + (2 + 2 + 4) + (2 + 2 + 4) + 8 * 44;
    size_t firstMember = endOfData + 2 + 2 + 6 + 4; // group "corner"'s member
    size_t polygonCount = endOfData + 2 + (2 + 6 + 4 + 4) + (2 + 3 + 4 + 16);
    size_t firstVertexCount = polygonCount + 4 + 1;
    size_t firstVertex = firstVertexCount + 4;
    size_t primGroupCount = polygonCount + 4 + 6 * 21;
    size_t primMember = primGroupCount + 2 + 2 + 11 + 4;
    struct Case {
        char const* what;
        std::function<void(std::string&)> damage;
        char const* reason;
    } const cases[] = {
        {"huge point count", [&](std::string& b) { putAt<int32_t>(b, pointCount, 40000); },
         "point count out of range"},
        {"negative point count", [&](std::string& b) { putAt<int32_t>(b, pointCount, -1); },
         "point count out of range"},
        {"negative attributes", [&](std::string& b) { putAt<int16_t>(b, attribCount, -2); },
         "negative attribute count"},
        {"long name", [&](std::string& b) { putAt<int16_t>(b, firstNameLength, 112); },
         "name length out of range"},
        {"negative name", [&](std::string& b) { putAt<int16_t>(b, firstNameLength, -1); },
         "name length out of range"},
        {"negative size", [&](std::string& b) { putAt<int16_t>(b, firstSize, -3); },
         "negative attribute size"},
        {"record too big", [&](std::string& b) { putAt<int16_t>(b, firstSize, 16382); },
         "point record too large"},
        {"data past end", [&](std::string& b) { putAt<int16_t>(b, firstSize, 300); },
         "point data runs past the end of the file"},
        {"group member", [&](std::string& b) { putAt<int32_t>(b, firstMember, 8); },
         "point group member out of range"},
        {"negative member", [&](std::string& b) { putAt<int32_t>(b, firstMember, -1); },
         "point group member out of range"},
        {"huge polygon count", [&](std::string& b) { putAt<int32_t>(b, polygonCount, 32768); },
         "polygon count out of range"},
        {"huge vertex count", [&](std::string& b) { putAt<int32_t>(b, firstVertexCount, 70000); },
         "index count out of range"},
        {"vertices past end", [&](std::string& b) { putAt<int32_t>(b, firstVertexCount, 60000); },
         "index list runs past the end of the file"},
        {"vertex index", [&](std::string& b) { putAt<int32_t>(b, firstVertex, 32768); },
         "polygon vertex out of range"},
        {"prim member", [&](std::string& b) { putAt<int32_t>(b, primMember, 6); },
         "prim group member out of range"},
        {"negative prim groups", [&](std::string& b) { putAt<int16_t>(b, primGroupCount, -1); },
         "negative group count"},
    };
    for (auto const& c : cases) {
        std::string bytes = good;
        c.damage(bytes);
        CgeoFileContents parsed;
        char const* reason =
            parseGeoFile(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(), parsed);
        ASSERT_NE(reason, nullptr) << c.what;
        EXPECT_STREQ(reason, c.reason) << c.what;
        TraceCapture trace(1);
        CgeoNew geo;
        EXPECT_EQ(loadBytes(geo, bytes), 1) << c.what;
        expectEmpty(geo);
    }
}

// Points need a record of data each: points whose attributes hold no floats are refused;
// a geometry of no points needs none.
TEST(GeoFile, PointsWithoutPointDataAreRefused) {
    auto file = [](int32_t points, std::string const& attribs, int16_t attribCount) {
        std::string b = "AAG0" + std::string(6, '\0');
        putAt<int32_t>(b, 4, points);
        putAt<int16_t>(b, 8, attribCount);
        return b + attribs + std::string(2 + 4 + 2, '\0'); // no point groups, polygons or prim groups
    };
    std::string emptyPos("\3\0pos\0\0\0\0", 9); // "pos" of size 0, type 0
    struct {
        char const* what;
        std::string bytes;
        char const* reason; // null: read
    } const cases[] = {
        {"three points, no attributes", file(3, "", 0), "points without point data"},
        {"three points, an empty attribute", file(3, emptyPos, 1), "points without point data"},
        {"no points, no attributes", file(0, "", 0), nullptr},
    };
    for (auto const& c : cases) {
        CgeoFileContents parsed;
        char const* reason =
            parseGeoFile(reinterpret_cast<unsigned char const*>(c.bytes.data()), c.bytes.size(), parsed);
        if (c.reason == nullptr) {
            EXPECT_EQ(reason, nullptr) << c.what << ": " << reason;
            continue;
        }
        ASSERT_NE(reason, nullptr) << c.what;
        EXPECT_STREQ(reason, c.reason) << c.what;
        TraceCapture trace(1);
        CgeoNew geo;
        EXPECT_EQ(loadBytes(geo, c.bytes), 1) << c.what;
        expectEmpty(geo);
    }
}

TEST(GeoFile, WriterRefusesWhatTheReaderWould) {
    struct Case {
        char const* what;
        std::function<void(CgeoFileContents&)> damage;
    } const cases[] = {
        {"long name",
         [](CgeoFileContents& g) { g.attribs[0].name = Cstring(std::string(112, 'a').c_str()); }},
        {"member", [](CgeoFileContents& g) { g.pointGroups[0].members.push_back(8); }},
        {"prim member", [](CgeoFileContents& g) { g.primGroups[1].members[0] = 6; }},
        {"sizes", [](CgeoFileContents& g) { g.floatsPerPoint = 10; }},
        {"points", [](CgeoFileContents& g) { g.points = 32768; }},
    };
    for (auto const& c : cases) {
        CgeoFileContents g = cubeContents();
        c.damage(g);
        std::string out = "x";
        EXPECT_NE(encodeGeoFile(g, out), nullptr) << c.what;
        EXPECT_TRUE(out.empty()) << c.what;
    }
    CgeoNew workCopy;
    CgeoNew cube;
    ASSERT_EQ(loadContents(cube, cubeContents()), 0);
    workCopy.clonePoints(cube, {"pos"}, 0);
    std::string out;
    TraceCapture trace(1);
    EXPECT_EQ(workCopy.writeOldFormat(out), 1);
    EXPECT_TRUE(out.empty());
}

} // namespace
