// PNG frames: what is written reads back with the same pixels, the bottom-up GL rows
// turned into a top-down picture; a file that cannot be written is reported.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/frameFiles.h"
#include "host/pictureDecoders.h"
#include "testSupport.h"

namespace {

TEST(FrameFiles, PngReadsBackTopRowFirst) {
    TempDir dir;
    int const w = 3, h = 2;
    // GL order: row 0 is the bottom row.
    std::vector<uint8_t> px = {10, 20, 30, 255, 40, 50, 60, 255, 70, 80, 90, 255,
                               1,  2,  3,  255, 4,  5,  6,  255, 7,  8,  9,  255};
    std::string path = dir.file("f.png");
    ASSERT_EQ(writeFramePng(path.c_str(), w, h, px.data()), 0);
    std::string bytes = readWholeFile(path);
    PictureSink sink;
    ASSERT_TRUE(decodePngPicture(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(), sink));
    ASSERT_EQ(sink.width, w);
    ASSERT_EQ(sink.height, h);
    for (int y = 0; y < h; y++)
        for (int x = 0; x < w; x++)
            for (int c = 0; c < 3; c++)
                EXPECT_EQ(sink.rgba[size_t((y * w + x) * 4 + c)], px[size_t(((h - 1 - y) * w + x) * 4 + c)])
                    << x << "," << y << "," << c;
}

TEST(FrameFiles, RefusedWrites) {
    TempDir dir;
    uint8_t px[4] = {1, 2, 3, 4};
    EXPECT_EQ(writeFramePng(dir.file("no/such/folder/f.png").c_str(), 1, 1, px), 1);
    EXPECT_EQ(writeFramePng(dir.file("f.png").c_str(), 0, 1, px) + writeFramePng(nullptr, 1, 1, px), 2);
    EXPECT_FALSE(pathExists(dir.file("f.png")));
}

} // namespace
