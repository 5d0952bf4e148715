// SGI files: verbatim storage, run-length files from the writer, and damaged files.
#include <random>
#include <string>
#include <vector>

#include "dataTestSupport.h"

namespace {

void fillPattern(imageFile& im, unsigned seed) {
    std::mt19937 rng(seed);
    for (int y = 0; y < im.height; y++)
        for (size_t i = 0; i < im.stride(); i++)
            im.scanLines[y][i] =
                static_cast<unsigned char>(rng() % 4 == 0 ? rng() : (y * 3 + i / im.channels));
}

// A hand-made header for files the writer would never produce.
std::string sgiHeader(int storage, int bpc, int x, int y, int z) {
    std::string h(512, '\0');
    auto put16 = [&](int at, int v) {
        h[at] = static_cast<char>((v >> 8) & 0xFF);
        h[at + 1] = static_cast<char>(v & 0xFF);
    };
    put16(0, 474);
    h[2] = static_cast<char>(storage);
    h[3] = static_cast<char>(bpc);
    put16(4, 3);
    put16(6, x);
    put16(8, y);
    put16(10, z);
    return h;
}

TEST(SgiFiles, VerbatimStorageIsRead) {
    TempDir dir;
    std::string f = sgiHeader(0, 1, 3, 2, 2);
    f += std::string("\x01\x02\x03\x04\x05\x06\x0A\x0B\x0C\x0D\x0E\x0F", 12);
    writeWholeFile(dir.file("v.sgi"), f);
    imageFile im;
    ASSERT_EQ(im.loadImage(dir.file("v.sgi").c_str(), true), 1);
    // Channel planes of rows 0 and 1 interleave into pixels.
    EXPECT_EQ(samples<int>(im), (std::vector<int>{1, 0x0A, 2, 0x0B, 3, 0x0C, 4, 0x0D, 5, 0x0E, 6, 0x0F}));
    writeWholeFile(dir.file("short.sgi"), f.substr(0, f.size() - 1));
    imageFile cut;
    EXPECT_EQ(cut.loadImage(dir.file("short.sgi").c_str(), true), 0);
}

std::string be32(uint32_t v) {
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
            static_cast<char>(v)};
}

TEST(SgiFiles, MalformedFilesFailCleanly) {
    resetExitState();
    TempDir dir;
    imageFile good(5, 3, 2, PIXEL_8BIT, 0, 1);
    fillPattern(good, 9);
    std::string path = dir.file("good.sgi");
    ASSERT_EQ(good.saveSGI(path.c_str()), 1);
    std::string valid = readWholeFile(path);
    int tables = 512, entries = 3 * 2;

    std::vector<std::pair<char const*, std::string>> cases = {
        {"bad magic", "\x01\xDB" + valid.substr(2)},
        {"header only", valid.substr(0, 512)},
        {"half header", valid.substr(0, 100)},
        {"two bytes", valid.substr(0, 2)},
        {"tables cut", valid.substr(0, tables + entries * 4 + 3)},
        {"last row cut", valid.substr(0, valid.size() - 2)},
        {"zero width", sgiHeader(1, 1, 0, 3, 2) + valid.substr(512)},
        {"negative height", sgiHeader(1, 1, 5, -3, 2) + valid.substr(512)},
        {"no channels", sgiHeader(1, 1, 5, 3, 0) + valid.substr(512)},
        {"five channels", sgiHeader(1, 1, 5, 3, 5) + valid.substr(512)},
        {"two bytes per channel", sgiHeader(1, 2, 5, 3, 2) + valid.substr(512)},
        {"unknown storage", sgiHeader(7, 1, 5, 3, 2) + valid.substr(512)},
        {"huge claimed size", sgiHeader(1, 1, 32767, 32767, 4) + valid.substr(512)},
        {"row start past the end", valid.substr(0, tables) + be32(0x7FFFFFF0) + valid.substr(tables + 4)},
        {"row start wraps", valid.substr(0, tables) + be32(0xFFFFFFFF) + valid.substr(tables + 4)},
        {"row length past the end",
         valid.substr(0, tables + entries * 4) + be32(0xFFFFFF00) + valid.substr(tables + entries * 4 + 4)},
        {"row of nothing",
         valid.substr(0, tables + entries * 4) + be32(0) + valid.substr(tables + entries * 4 + 4)},
    };
    std::string overrun = valid; // first row: a run longer than the row
    uint32_t firstRow =
        (static_cast<unsigned char>(valid[tables + 2]) << 8) | static_cast<unsigned char>(valid[tables + 3]);
    overrun[firstRow] = 100;
    cases.push_back({"run past the row", overrun});
    std::string overlong =
        valid.substr(0, tables + entries * 4) + be32(12) + valid.substr(tables + entries * 4 + 4);
    writeWholeFile(dir.file("long.sgi"), overlong);
    imageFile stillFine;
    EXPECT_EQ(stillFine.loadImage(dir.file("long.sgi").c_str(), true), 1);
    for (auto const& [what, bytes] : cases) {
        writeWholeFile(dir.file("bad.sgi"), bytes);
        imageFile im;
        EXPECT_EQ(im.loadImage(dir.file("bad.sgi").c_str(), true), 0) << what;
        EXPECT_EQ(exitSaver, 0) << what;
    }
}

} // namespace
