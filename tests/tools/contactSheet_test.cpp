// The contact sheet draws every model of a tree into its own cell.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "contactSheet.h"
#include "host/glContext.h"
#include "scenery.h"
#include "testSupport.h"

namespace {

class ContactSheet : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
        if (!offscreenContextsAvailable())
            DISPLAY_MISSING() << "no EGL display: " << lastContextError().c_str();
        root = dir.path() + "/";
        ASSERT_EQ(writeScenery(root), 0);
    }
    TempDir dir;
    std::string root;
};

// Pixels of the cell that differ from its corner (the cell's background).
int drawnPixels(CcontactSheet const& s, int index, double& red, double& blue) {
    int x0 = index % s.columns * s.cell, y0 = index / s.columns * s.cell, drawn = 0;
    uint8_t const* bg = &s.rgba[(static_cast<size_t>(y0) * s.width + x0) * 4];
    red = blue = 0;
    for (int y = y0; y < y0 + s.cell; y++)
        for (int x = x0; x < x0 + s.cell; x++) {
            uint8_t const* p = &s.rgba[(static_cast<size_t>(y) * s.width + x) * 4];
            if (std::abs(p[0] - bg[0]) + std::abs(p[1] - bg[1]) + std::abs(p[2] - bg[2]) > 12) {
                drawn++;
                red += p[0];
                blue += p[2];
            }
        }
    return drawn;
}

TEST_F(ContactSheet, EveryModelShowsInItsCell) {
    std::vector<std::string> models = findSheetModels(root);
    ASSERT_GE(models.size(), 15u);
    CcontactSheet sheet = renderContactSheet(root, models, 96, 4);
    ASSERT_EQ(sheet.width, 96 * 4);
    ASSERT_EQ(sheet.height, 96 * static_cast<int>((models.size() + 3) / 4));
    for (size_t i = 0; i < models.size(); i++) {
        double red, blue;
        int drawn = drawnPixels(sheet, static_cast<int>(i), red, blue);
        EXPECT_GT(drawn, 1) << models[i];
        // Meshes fill a good part of their cell; the sand shows its warm texture.
        if (models[i].find("_skel") == std::string::npos &&
            models[i].find("avoidSpheres") == std::string::npos)
            EXPECT_GT(drawn, 96 * 96 / 50) << models[i];
        if (models[i] == "species/sand_floor/sand_floor.geo") EXPECT_GT(red, blue * 1.2) << models[i];
    }
    std::string png = dir.path() + "/sheet.png";
    ASSERT_TRUE(writeSheetPng(sheet, png));
    EXPECT_EQ(readWholeFile(png).substr(1, 3), "PNG");
}

TEST_F(ContactSheet, AModelThatDoesNotLoadGivesNoSheet) {
    std::filesystem::create_directories(root + "species/broken");
    writeWholeFile(root + "species/broken/broken.geo", "AAG0 not really");
    std::vector<std::string> models = findSheetModels(root);
    EXPECT_TRUE(renderContactSheet(root, models, 32, 4).rgba.empty());
    EXPECT_TRUE(renderContactSheet(root, {}, 32, 4).rgba.empty());
    EXPECT_FALSE(writeSheetPng(CcontactSheet{}, dir.path() + "/none.png"));
}

} // namespace
