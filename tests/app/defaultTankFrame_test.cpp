// The program over the resource tree the build stages, with an empty data folder: the
// default tank comes up and its frames show the scene (backdrop, floor, rocks, plants),
// and the scene moves. Failing frames are kept as "<test name>_frame<n>.png" in the working
// folder.
#include "hostFixture.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// Mean colour of a band of rows.
struct CbandStats {
    double r = 0, g = 0, b = 0;
};

class DefaultTankFrames : public HostFixture {
  protected:
    void TearDown() override { // keeps what the failing checks looked at
        std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (std::string const& shot : shots)
            if (HasFailure() && pathExists(shot))
                std::filesystem::copy_file(
                    shot, savedCwd / (test + "_" + std::filesystem::path(shot).filename().string()),
                    std::filesystem::copy_options::overwrite_existing);
        HostFixture::TearDown();
    }
    std::string shot(int n) { return data.file(("frame" + std::to_string(n) + ".png").c_str()); }
    // Runs the program headless over the staged resources at size for frames, keeping every
    // every-th frame.
    int run(int frames, int every, char const* size = "640x360") {
        useStagedResources();
        for (int f = every; f <= frames; f += every)
            shots.push_back(shot(f));
        return runProgram({"--headless", size, "--frames", std::to_string(frames), "--every",
                           std::to_string(every), "--screenshot", data.file("frame%d.png")});
    }
    static CbandStats band(PictureSink const& p, int fromRow, int toRow) {
        CbandStats s;
        size_t n = 0;
        for (int y = fromRow; y < toRow; y++)
            for (int x = 0; x < p.width; x++, n++) {
                unsigned char const* px = &p.rgba[(size_t(y) * p.width + x) * 4];
                s.r += px[0], s.g += px[1], s.b += px[2];
            }
        if (n) s.r /= double(n), s.g /= double(n), s.b /= double(n);
        return s;
    }
    std::vector<std::string> shots;
};

// Past the first three seconds the scene has faded in: the frame is filled, and a second
// later only what moves has changed.
TEST_F(DefaultTankFrames, TheDefaultTankFillsTheFrameAndMoves) {
    REQUIRE_OFFSCREEN();
    ASSERT_EQ(run(300, 60), 0) << logs().substr(0, 2000);
    EXPECT_EQ(logs().find("Exit Error reason"), std::string::npos) << "the run ended on an error";
    PictureSink png = readPng(shot(240));
    ASSERT_EQ(png.width * 1000 + png.height, 640360);

    // Colour clusters: 4 levels a channel; a cluster counts from 1% of the frame.
    std::array<int, 64> bins{};
    for (size_t i = 0; i + 3 < png.rgba.size(); i += 4)
        bins[(png.rgba[i] >> 6) * 16 + (png.rgba[i + 1] >> 6) * 4 + (png.rgba[i + 2] >> 6)]++;
    int clusters = 0;
    for (int count : bins)
        clusters += count * 100 >= png.width * png.height;
    EXPECT_GE(clusters, 4) << "a flat or nearly flat frame";

    CbandStats all = band(png, 0, png.height);
    EXPECT_GT(all.r + all.g + all.b, 3 * 30.0) << "black";
    EXPECT_FALSE(all.r > 2 * all.g && all.r > 2 * all.b) << "the red screen";
    // The water behind: the top rows are the backdrop's blue-green; the sand that fills the
    // bottom rows is nearly grey.
    CbandStats top = band(png, 0, png.height / 6);
    CbandStats bottom = band(png, png.height * 5 / 6, png.height);
    EXPECT_GT(top.b, 1.8 * top.r) << "the backdrop's water";
    EXPECT_GT(top.g, 1.5 * top.r) << "the backdrop's water";
    EXPECT_LT(std::abs(bottom.b - bottom.r), 0.2 * bottom.r) << "the sand in front";
    EXPECT_GT(bottom.r + bottom.g + bottom.b, 3 * 60.0) << "the sand in front";

    PictureSink b = readPng(shot(300));
    ASSERT_EQ(png.rgba.size(), b.rgba.size());
    int changed = 0;
    for (size_t i = 0; i + 3 < png.rgba.size(); i += 4) {
        int d = std::abs(png.rgba[i] - b.rgba[i]) + std::abs(png.rgba[i + 1] - b.rgba[i + 1]) +
                std::abs(png.rgba[i + 2] - b.rgba[i + 2]);
        changed += d > 24;
    }
    // Rising bubbles and swaying plants: more than a few stray pixels, far less than all.
    EXPECT_GT(changed, 400);
    EXPECT_LT(changed, png.width * png.height / 2);
}

// The program as a user starts it headless, three times over one data folder: the full-size
// tank with its fish runs its ten seconds without an error, the starts save the tanks they
// showed and the third brings back the default tank's fish, not the definition's again on top
// of them. Each tank is saved with its own fish and crab, each once.
TEST_F(DefaultTankFrames, TheLivingTankRunsItsTenSecondsAndComesBackAsSaved) {
    REQUIRE_OFFSCREEN();
    for (int start = 1; start <= 3; start++) {
        ASSERT_EQ(start == 1 ? run(300, 300, "1280x720") : run(30, 30), 0) << logs().substr(0, 2000);
        EXPECT_EQ(logs().find("Exit Error reason"), std::string::npos)
            << "start " << start << " ended on an error";
    }
    std::string saved = settingsText();
    struct Expected {
        char const* tank;
        int fish, crabs;
    } const tanks[] = {{":addTank wabi_sabi ", 43, 1}, {":addTank dusk_pool ", 29, 1}};
    for (Expected const& t : tanks) {
        size_t begin = saved.find(t.tank);
        ASSERT_NE(begin, std::string::npos) << t.tank << "is not saved";
        EXPECT_EQ(saved.find(t.tank, begin + 1), std::string::npos) << t.tank << "is saved twice";
        size_t finish = std::min(saved.find(":addTank ", begin + 1), saved.size());
        int fish = 0, crabs = 0;
        for (size_t at = saved.find(":addThing", begin); at < finish; at = saved.find(":addThing", at + 1)) {
            size_t end = at + 14; // past ":addThing crab"
            bool crab = saved.compare(at, 14, ":addThing crab") == 0 &&
                        (end == saved.size() || std::isspace(saved[end]));
            (crab ? crabs : fish)++;
        }
        EXPECT_EQ(fish, t.fish) << t.tank << "fish, each once";
        EXPECT_EQ(crabs, t.crabs) << t.tank << "crab";
    }
}

} // namespace
