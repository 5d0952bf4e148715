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
