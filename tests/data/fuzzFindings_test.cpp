// An SGI header that once made the reader reserve a gigabyte fails before any large buffer.
#include <gtest/gtest.h>

#include <filesystem>

#include "allocationWatch.h"
#include "data/imageIO.h"
#include "testSupport.h"

namespace {

TEST(FuzzFindings, SgiHeaderLargerThanItsFileIsRefusedBeforeAllocating) {
    TempDir dir;
    std::filesystem::copy_file(testInput("robustness/sgi-1.bin"), dir.file("big.sgi"));
    imageFile im;
    LargestAllocation watch;
    EXPECT_EQ(im.loadImage(dir.file("big.sgi").c_str(), true), 0);
    EXPECT_LT(watch.bytes(), size_t(1) << 24);
    EXPECT_EQ(im.scanLines, nullptr);
}

} // namespace
