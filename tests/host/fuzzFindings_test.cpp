// Pictures that once made the decoders reserve gigabytes fail before any large buffer.
#include <gtest/gtest.h>

#include <filesystem>

#include "allocationWatch.h"
#include "data/imageIO.h"
#include "host/hostServices.h"
#include "host/imageDecode.h"
#include "testSupport.h"

namespace {

TEST(FuzzFindings, HugeCutOffPicturesAreRefusedBeforeAllocating) {
    TempDir dir;
    struct Case {
        char const* input;
        char const* as;
    } cases[] = {{"robustness/jpeg-1.bin", "cut.jpeg"},
                 {"robustness/png-1.bin", "plain.png"},
                 {"robustness/png-2.bin", "interlaced.png"}};
    for (Case const& c : cases) {
        std::filesystem::copy_file(testInput(c.input), dir.file(c.as));
        imageFile im;
        LargestAllocation watch;
        EXPECT_EQ(OS::loadImageFile(im, dir.file(c.as).c_str()), 0) << c.input;
        EXPECT_LT(watch.bytes(), size_t(1) << 24) << c.input;
        EXPECT_EQ(im.scanLines, nullptr) << c.input;
    }
}

} // namespace
