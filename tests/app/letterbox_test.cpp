// The default tank on screens of other shapes than its own: where the tank's view leaves
// rows of the screen to the display's clear colour (the bars above and below it, the strip
// below the sand's front edge), they show the definition's clear colour, black; no pixel is
// the constructor's red. The program's own road, headless; each shape is its own test, and
// a failing frame is kept as "letterbox_<shape>.png" in the working folder.
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "hostFixture.h"

namespace {

struct CscreenShape {
    char const* size;
    int screens;
    // Rows the tank leaves to the clear colour on each display: 2 above and below, 1 below
    // only, 0 none (the scene fills the display).
    int barEdges;
    // The fish size option, percent: the scenery scales with the tank, leaving no gap.
    int fishSize = 100;
};

void PrintTo(CscreenShape const& s, std::ostream* out) {
    *out << s.size << " on " << s.screens << " screen(s), fish at " << s.fishSize << "%";
}

// A few seconds into the run the camera has settled; the bars are there from then on.
constexpr int kFrames = 60;

class Letterbox : public HostFixture, public ::testing::WithParamInterface<CscreenShape> {
  protected:
    static bool black(PictureSink const& p, int x, int y) {
        unsigned char const* px = &p.rgba[(size_t(y) * p.width + x) * 4];
        return px[0] == 0 && px[1] == 0 && px[2] == 0;
    }
    static bool pureRed(PictureSink const& p, int x, int y) {
        unsigned char const* px = &p.rgba[(size_t(y) * p.width + x) * 4];
        return px[0] == 255 && px[1] == 0 && px[2] == 0;
    }
    // Pixels of row y between x0 and x1 that are not the clear colour.
    static int notClear(PictureSink const& p, int y, int x0, int x1) {
        int n = 0;
        for (int x = x0; x < x1; x++)
            n += black(p, x, y) ? 0 : 1;
        return n;
    }
};

TEST_P(Letterbox, RowsLeftToTheClearColourAreBlack) {
    REQUIRE_OFFSCREEN();
    CscreenShape const& shape = GetParam();
    useStagedResources();
    std::string shot = data.file("shot.png");
    std::vector<std::string> args = {"--headless",   shape.size, "--frames", std::to_string(kFrames),
                                     "--screenshot", shot};
    if (shape.screens > 1) args.insert(args.end(), {"--screens", std::to_string(shape.screens)});
    if (shape.fishSize != 100) args.insert(args.end(), {"--fish-size", std::to_string(shape.fishSize)});
    ASSERT_EQ(runProgram(args), 0) << logs().substr(0, 2000);
    PictureSink png = readPng(shot);
    ASSERT_GT(png.width, 0);

    int pureRedPixels = 0;
    for (int y = 0; y < png.height; y++)
        for (int x = 0; x < png.width; x++)
            pureRedPixels += pureRed(png, x, y) ? 1 : 0;
    EXPECT_EQ(pureRedPixels, 0);
    int displayWidth = png.width / shape.screens;
    for (int d = 0; d < shape.screens; d++) {
        int x0 = d * displayWidth, x1 = x0 + displayWidth;
        int top = notClear(png, 0, x0, x1), bottom = notClear(png, png.height - 1, x0, x1);
        std::string which = std::string(shape.size) + " display " + std::to_string(d);
        if (shape.barEdges == 0) {
            EXPECT_GT(top, 0) << which << ": the scene fills the top row";
            EXPECT_GT(bottom, 0) << which << ": the scene fills the bottom row";
            continue;
        }
        EXPECT_EQ(bottom, 0) << which << ": the row below the tank";
        if (shape.barEdges == 2) EXPECT_EQ(top, 0) << which << ": the row above the tank";
    }
    // No band of the clear colour inside the scene: between the first and the last row that
    // shows the scene (the clear colour on less than a quarter of the display; the deepest
    // shadows are black too, in spots), every row shows it.
    int gapRows = 0;
    for (int d = 0; d < shape.screens; d++) {
        int x0 = d * displayWidth, x1 = x0 + displayWidth;
        auto scene = [&](int y) { return notClear(png, y, x0, x1) >= displayWidth * 3 / 4; };
        int first = 0, last = png.height - 1;
        while (first < last && !scene(first))
            first++;
        while (last > first && !scene(last))
            last--;
        for (int y = first; y <= last; y++)
            gapRows += !scene(y);
    }
    EXPECT_EQ(gapRows, 0) << "rows of the clear colour inside the scene";
    if (HasFailure())
        std::filesystem::copy_file(shot,
                                   savedCwd / ("letterbox_" + std::string(shape.size) + "_" +
                                               std::to_string(shape.screens) + "_" +
                                               std::to_string(shape.fishSize) + ".png"),
                                   std::filesystem::copy_options::overwrite_existing);
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, Letterbox,
    ::testing::Values(CscreenShape{"800x600", 1, 2}, CscreenShape{"1024x768", 1, 2},
                      CscreenShape{"1280x1024", 1, 2}, CscreenShape{"1920x1200", 1, 0},
                      CscreenShape{"2560x1080", 1, 0}, CscreenShape{"720x1280", 1, 1},
                      CscreenShape{"1280x720", 2, 1}, CscreenShape{"1280x720", 1, 0, 200},
                      CscreenShape{"1280x720", 1, 0, 50}, CscreenShape{"800x600", 1, 2, 200},
                      CscreenShape{"720x1280", 1, 1, 200}),
    [](::testing::TestParamInfo<CscreenShape> const& info) {
        std::string name = info.param.size;
        for (char& c : name)
            if (c == 'x') c = '_';
        std::string fish = info.param.fishSize == 100 ? "" : "_fish" + std::to_string(info.param.fishSize);
        return "s" + name + "_screens" + std::to_string(info.param.screens) + fish;
    });

} // namespace
