// The generators write the same bytes on every run, and the tank's level set tells rock
// and sand from water.
#include <gtest/gtest.h>

#include "data/dataArray.h"
#include "fishArrays.h"
#include "fishModels.h"
#include "scenery.h"
#include "support/cerr.h"
#include "testSupport.h"

namespace {

// Every generator writes the same bytes on every run, and a root it cannot write under
// (a plain file) fails with a message instead of stopping.
TEST(Generators, TwoRunsWriteTheSameBytesAndABadRootFails) {
    struct {
        char const* name;
        int (*write)(std::string const&);
        std::vector<std::string> const& (*files)();
    } const cases[] = {{"scenery", writeScenery, sceneryFiles},
                       {"fish arrays", writeFishArrays, fishArrayFiles},
                       {"fish", writeFish, fishFiles}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir a, b;
        ASSERT_EQ(c.write(a.path()), 0);
        ASSERT_EQ(c.write(b.path()), 0);
        for (std::string const& f : c.files()) {
            std::string first = readWholeFile(a.file(f.c_str()));
            EXPECT_FALSE(first.empty()) << f;
            EXPECT_TRUE(first == readWholeFile(b.file(f.c_str()))) << f;
        }
        writeWholeFile(a.file("plain"), "x");
        EXPECT_EQ(c.write(a.file("plain") + "/"), 1);
        resetExitState();
    }
}

TEST(Scenery, LevelSetIsNegativeInRocksAndSandPositiveInWater) {
    CdataVolume v;
    ASSERT_EQ(v.load((std::string(kGeneratedResourceDir) + "tanks/wabi_sabi/levelSet.voxl").c_str()), 0);
    struct {
        float x, y, z;
        int sign;
    } const cases[] = {{0, 0.2f, -0.5f, 1},
                       {-1.9f, -1.3f, -1.2f, -1},
                       {1.7f, -1.45f, -1.5f, -1},
                       {0, -1.75f, 0, -1},
                       {-3.0f, 0.5f, -2.2f, 1}};
    for (auto const& c : cases) {
        float level = v.getSingleChanVolumeData(c.x, c.y, c.z);
        EXPECT_EQ(level > 0 ? 1 : -1, c.sign) << c.x << " " << c.y << " " << c.z << " level " << level;
    }
}

} // namespace
