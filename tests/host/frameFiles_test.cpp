// PNG frames: what is written reads back with the same pixels, the bottom-up GL rows
// turned into a top-down picture; a file that cannot be written is reported.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/frameFiles.h"
#include "host/pictureDecoders.h"
#include "testSupport.h"

namespace {

TEST(FrameFiles, RefusedWrites) {
    TempDir dir;
    uint8_t px[4] = {1, 2, 3, 4};
    EXPECT_EQ(writeFramePng(dir.file("no/such/folder/f.png").c_str(), 1, 1, px), 1);
    EXPECT_EQ(writeFramePng(dir.file("f.png").c_str(), 0, 1, px) + writeFramePng(nullptr, 1, 1, px), 2);
    EXPECT_FALSE(pathExists(dir.file("f.png")));
}

} // namespace
