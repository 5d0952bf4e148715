#include <gtest/gtest.h>

#include <map>
#include <string>

#include "data/imageIO.h"
#include "data/tiffWriter.h"
#include "testSupport.h"

namespace {

// Reads back the big-endian file the writer made.
struct TiffFile {
    std::string bytes;
    struct Entry {
        unsigned type, count, value;
        unsigned short firstShort;
    };
    std::map<unsigned, Entry> entries;
    unsigned directory = 0, entryCount = 0;

    unsigned u16(size_t at) const {
        return (static_cast<unsigned char>(bytes[at]) << 8) | static_cast<unsigned char>(bytes[at + 1]);
    }
    unsigned u32(size_t at) const { return (u16(at) << 16) | u16(at + 2); }

    explicit TiffFile(std::string const& path) : bytes(readWholeFile(path)) {
        if (bytes.size() < 8) return;
        directory = u32(4);
        entryCount = u16(directory);
        for (unsigned i = 0; i < entryCount; i++) {
            size_t at = directory + 2 + 12 * i;
            entries[u16(at)] = {u16(at + 2), u32(at + 4), u32(at + 8),
                                static_cast<unsigned short>(u16(at + 8))};
        }
    }
};

TEST(TiffWriter, SmallRgbLayout) {
    TempDir dir;
    imageFile im(2, 2, 3, PIXEL_8BIT, 0, 1);
    for (int y = 0; y < 2; y++)
        for (int i = 0; i < 6; i++)
            im.scanLines[y][i] = static_cast<unsigned char>(10 * y + i);
    ASSERT_EQ(im.saveTIFF(dir.file("a.tif").c_str(), 0), 1);
    TiffFile t(dir.file("a.tif"));
    ASSERT_EQ(t.bytes.size(), 192u);
    EXPECT_EQ(t.u32(0), 0x4D4D002Au);
    EXPECT_EQ(t.bytes.substr(8, 12), std::string("\0\1\2\3\4\5\12\13\14\15\16\17", 12));
    EXPECT_EQ(t.directory, 20u);
    EXPECT_EQ(t.entryCount, 12u);
    EXPECT_EQ(t.u32(20 + 2 + 144), 0u); // no next directory

    struct Want {
        unsigned tag, type, count, value;
    } wants[] = {
        {256, 3, 1, 2u << 16}, {257, 3, 1, 2u << 16}, {258, 3, 3, 170},      {259, 3, 1, 1u << 16},
        {262, 3, 1, 2u << 16}, {273, 4, 2, 176},      {274, 3, 1, 1u << 16}, {277, 3, 1, 3u << 16},
        {278, 3, 1, 1u << 16}, {279, 4, 2, 184},      {284, 3, 1, 1u << 16}, {338, 3, 1, 1u << 16},
    };
    for (auto const& w : wants) {
        ASSERT_TRUE(t.entries.count(w.tag)) << w.tag;
        auto const& e = t.entries[w.tag];
        EXPECT_EQ(e.type, w.type) << w.tag;
        EXPECT_EQ(e.count, w.count) << w.tag;
        EXPECT_EQ(e.value, w.value) << w.tag;
    }
    // Bits per sample 8, 8, 8; the two strip offsets 8 and 14; the two strip sizes 6 and 6.
    EXPECT_EQ(t.bytes.substr(170), std::string("\0\10\0\10\0\10\0\0\0\10\0\0\0\16\0\0\0\6\0\0\0\6", 22));
    EXPECT_EQ(t.u16(22), 256u); // entries in ascending tag order
    EXPECT_EQ(t.u16(22 + 11 * 12), 338u);
}

TEST(TiffWriter, ValuesThatFitStayInTheEntry) {
    TempDir dir;
    imageFile grey(4, 1, 1, PIXEL_8BIT, 0, 1);
    ASSERT_EQ(grey.saveTIFF(dir.file("g.tif").c_str(), 1), 1);
    TiffFile g(dir.file("g.tif"));
    EXPECT_EQ(g.entries[262].firstShort, 1u);
    EXPECT_EQ(g.entries[258].value, 8u << 16);
    EXPECT_EQ(g.entries[273].value, 8u); // one row: its offset and count are inside
    EXPECT_EQ(g.entries[279].value, 4u);
    EXPECT_EQ(g.bytes.size(), 8u + 4 + 2 + 144 + 4);

    imageFile pair(1, 3, 2, PIXEL_FLOAT, 0, 1);
    ASSERT_EQ(pair.saveTIFF(dir.file("p.tif").c_str(), 0), 1);
    TiffFile p(dir.file("p.tif"));
    EXPECT_EQ(p.entries[258].value, (32u << 16) | 32u);
    EXPECT_EQ(p.entries[262].firstShort, 1u);
    EXPECT_EQ(p.entries[279].count, 3u);
}

TEST(TiffWriter, BandsFillTheirRows) {
    TempDir dir;
    imageFile im(3, 64, 1, PIXEL_8BIT, 16, 1);
    std::string path = dir.file("band.tif");
    ASSERT_EQ(im.startSaveTIFF(path.c_str(), 0), 1);
    for (int y = 0; y < 16; y++)
        for (int x = 0; x < 3; x++)
            im.scanLines[y][x] = static_cast<unsigned char>(100 + y);
    im.setBufferLine(16);
    im.writeBuffer(16);
    im.setBufferLine(56);
    im.writeBuffer(16); // only 8 rows remain
    ASSERT_EQ(im.endSaveTIFF(), 1);
    TiffFile t(path);
    EXPECT_EQ(t.directory, 8u + 64 * 3);
    EXPECT_EQ(t.entries[273].count, 64u);
    for (int row = 0; row < 64; row++) {
        int expected = row >= 16 && row < 32 ? 100 + row - 16 : row >= 56 ? 100 + row - 56 : 0;
        for (int x = 0; x < 3; x++)
            ASSERT_EQ(static_cast<unsigned char>(t.bytes[8 + row * 3 + x]), expected) << row;
    }
}

TEST(TiffWriter, RefusesWhatItCannotWrite) {
    TempDir dir;
    imageFile im(2, 2, 3, PIXEL_8BIT, 0, 1);
    EXPECT_EQ(im.saveTIFF(dir.file("missing/folder/x.tif").c_str(), 0), 0);
    imageFile sizeOnly(2, 2, 3, PIXEL_8BIT, 0, 0);
    EXPECT_EQ(sizeOnly.saveTIFF(dir.file("s.tif").c_str(), 0), 0);
    EXPECT_FALSE(pathExists(dir.file("s.tif")));
    imageFile lzw(2, 2, 3, PIXEL_8BIT, 0, 1); // other codes still write plain rows
    ASSERT_EQ(lzw.saveTIFF(dir.file("l.tif").c_str(), 5), 1);
    TiffFile t(dir.file("l.tif"));
    EXPECT_EQ(t.entries[259].firstShort, 1u);
    EXPECT_EQ(t.entries[273].value, 176u);
}

} // namespace
