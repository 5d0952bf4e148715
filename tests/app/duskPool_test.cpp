// The second tank, the dusk pool, as a viewer meets it over the staged resources: the
// default settings rotate to it with a fade, it holds its own scenery and stock, its fish
// swim on screen, the tank page turns the tank in focus into either tank with its fish, and
// on screens of other shapes the rows it leaves show its deep-water clear colour, never red.
// Failing frames are kept as "<test name>_<n>.png" in the working folder.
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app/velmoraView.h"
#include "graphics/graphicsMaster.h"
#include "host/frameFiles.h"
#include "hostFixture.h"
#include "interface/controlPanel.h"
#include "interface/groupWidget.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "things/thing.h"
#include "world/shopKeeper.h"
#include "world/species.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {

constexpr int kWidth = 640, kHeight = 360;
// The dusk pool's clear colour (0.02, 0.03, 0.06) in 8-bit pixels.
constexpr int kClear[3] = {5, 8, 15};

using Frame = std::vector<uint8_t>;

bool pureRed(uint8_t const* p) {
    return p[0] == 255 && p[1] == 0 && p[2] == 0;
}
bool clearColour(uint8_t const* p) {
    return std::abs(p[0] - kClear[0]) <= 2 && std::abs(p[1] - kClear[1]) <= 2 &&
           std::abs(p[2] - kClear[2]) <= 2;
}

// How many things of each species the tank holds.
std::map<std::string, int> census(Ctank& tank) {
    std::map<std::string, int> count;
    for (Cvariable* v = tank.thingList->firstChild; v; v = v->nextSibling)
        if (auto* t = dynamic_cast<Cthing*>(v); t && t->species) count[t->species->name.c_str()]++;
    return count;
}

class DuskPoolFrames : public HostFixture {
  protected:
    // The program's view over the staged resources, run until the first tank is drawn.
    Ctank* start() {
        useStagedResources();
        view = std::make_unique<CvelmoraView>(CviewRect{0, 0, kWidth, kHeight},
                                              createOffscreenContext(kWidth, kHeight), false);
        if (!view->valid()) return nullptr;
        view->startAnimation();
        for (int i = 0; i < 60 && shopKeeper; i++) {
            view->animateOneFrame();
            if (shopKeeper->focusTankObject && controlPanel && controlPanel->display) break;
        }
        return shopKeeper ? shopKeeper->focusTankObject : nullptr;
    }
    Frame frame() {
        view->animateOneFrame();
        Frame px(size_t(kWidth) * kHeight * 4);
        EXPECT_EQ(view->glView()->readPixels(0, 0, kWidth, kHeight, px.data()), 0);
        shots.push_back(px);
        return px;
    }
    // One frame showing only the tank's fish (everything else hidden for it): which pixels
    // they cover.
    std::vector<bool> fishOnly(Ctank& tank) {
        std::vector<std::pair<Cthing*, char>> saved;
        for (Cvariable* v = tank.thingList->firstChild; v; v = v->nextSibling)
            if (auto* t = dynamic_cast<Cthing*>(v)) {
                saved.push_back({t, char(t->displayed)});
                t->setDisplayed(t->whatAmI() == WHAT_FISH ? 1 : 0);
            }
        Frame px = frame();
        for (auto const& [t, was] : saved)
            t->setDisplayed(was);
        std::vector<bool> mask(size_t(kWidth) * kHeight);
        for (size_t i = 0; i < mask.size(); i++)
            mask[i] = !clearColour(&px[i * 4]);
        return mask;
    }
    static long count(Frame const& px, bool (*test)(uint8_t const*)) {
        long n = 0;
        for (size_t i = 0; i < px.size(); i += 4)
            n += test(&px[i]) ? 1 : 0;
        return n;
    }
    void TearDown() override {
        auto const* info = ::testing::UnitTest::GetInstance()->current_test_info();
        if (HasFailure())
            for (size_t i = 0; i < shots.size(); i++)
                writeFramePng(
                    (savedCwd / (std::string(info->name()) + "_" + std::to_string(i) + ".png")).c_str(),
                    kWidth, kHeight, shots[i].data());
        if (view) {
            view->stopAnimation();
            view.reset();
        }
        HostFixture::TearDown();
    }
    std::unique_ptr<CvelmoraView> view;
    std::vector<Frame> shots;
};

// A fresh install shows the default tank first; when its turn is over the picture fades
// out and back in on the dusk pool, with its own scenery, crab, algae and schools.
TEST_F(DuskPoolFrames, TheDefaultRotationFadesToTheDuskPoolWithItsOwnStock) {
    REQUIRE_OFFSCREEN();
    Ctank* first = start();
    ASSERT_NE(first, nullptr) << logs().substr(0, 2000);
    EXPECT_STREQ(first->tankTypeName.c_str(), "wabi_sabi");
    EXPECT_EQ(first->tankID, 0);
    EXPECT_EQ(shopKeeper->numSequences, 2);
    EXPECT_EQ(shopKeeper->displayedSequence, 0);

    // The turn is over while nobody touches anything and no pane is open.
    runStringScript(shopKeeper, ":pane tutorial_pane off");
    shopKeeper->secondsUntilSequenceRotate = 0;
    shopKeeper->lastActivityTime = static_cast<float>(globalTime) - 60.0f;
    float darkest = 1.0f;
    Ctank* tank = first;
    for (int i = 0; i < 600 && tank->tankTypeName != "dusk_pool"; i++) {
        view->animateOneFrame();
        darkest = std::min(darkest, masterMult);
        tank = shopKeeper->focusTankObject;
        ASSERT_NE(tank, nullptr);
    }
    ASSERT_STREQ(tank->tankTypeName.c_str(), "dusk_pool");
    EXPECT_EQ(tank->tankID, 1);
    EXPECT_EQ(shopKeeper->displayedSequence, 1);
    EXPECT_LT(darkest, 0.05f) << "the change happens in the dark";
    for (int i = 0; i < 240; i++) // fades back in
        view->animateOneFrame();
    EXPECT_FLOAT_EQ(masterMult, 1.0f);
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();

    std::map<std::string, int> things = census(*tank);
    std::map<std::string, int> const expected = {
        {"neon_tetra", 14}, {"cherry_barb", 9}, {"angelfish", 3},    {"pearl_gourami", 3}, {"crab", 1},
        {"dusk_soil", 1},   {"driftwood", 1},   {"river_stones", 1}, {"wood_algae", 1},    {"tall_grass", 1},
        {"sword_plant", 1}, {"red_stem", 1},    {"bubbles", 1},      {"backdrop_image", 1}};
    for (auto const& [species, n] : expected)
        EXPECT_EQ(things[species], n) << species;
    for (char const* other : {"rock_spire", "sand_floor", "kelp", "algae"})
        EXPECT_EQ(things.count(other), 0u) << other << " belongs to the default tank";
    EXPECT_EQ(tank->numFish, 29);
    bool pecked = false;
    for (Cvariable* food : tank->foodList)
        if (auto* t = dynamic_cast<Cthing*>(food); t && t->species)
            pecked = pecked || t->species->name == "wood_algae";
    EXPECT_TRUE(pecked) << "the algae on the wood is food";

    // The fish are on screen and swim; nothing is the red of a tank without clear colours.
    Frame whole = frame();
    EXPECT_EQ(count(whole, pureRed), 0);
    std::vector<bool> before = fishOnly(*tank);
    for (int i = 0; i < 30; i++)
        view->animateOneFrame();
    std::vector<bool> after = fishOnly(*tank);
    long seen = 0, moved = 0;
    for (size_t i = 0; i < before.size(); i++) {
        seen += before[i];
        moved += before[i] != after[i];
    }
    EXPECT_GT(seen, long(before.size()) / 500) << "fish pixels on screen";
    EXPECT_GT(moved, seen / 3) << "half a second later the fish are elsewhere";
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
}

// The tank page's buttons rebuild the tank in focus as either tank: its scenery is the chosen
// tank's, its fish stay, and the picture changes with it.
TEST_F(DuskPoolFrames, TheTankPageTurnsTheTankIntoEitherTankWithItsFish) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr) << logs().substr(0, 2000);
    runStringScript(shopKeeper, ":pane tutorial_pane off");
    int fish = tank->numFish;
    // The upper band of the picture: the far water, blue by day, warm at dusk.
    auto warmth = [](Frame const& px) {
        long r = 0, b = 0;
        for (int y = kHeight * 3 / 4; y < kHeight; y++)
            for (int x = 0; x < kWidth; x++) {
                r += px[(size_t(y) * kWidth + x) * 4];
                b += px[(size_t(y) * kWidth + x) * 4 + 2];
            }
        return double(r - b) / (kWidth * kHeight / 4);
    };
    struct Step {
        char const* label;
        char const* type;
        char const* has;
        char const* hasNot;
        bool warm;
    } const steps[] = {{"Dusk pool", "dusk_pool", "driftwood", "rock_spire", true},
                       {"Weathered rock", "wabi_sabi", "rock_spire", "driftwood", false}};
    for (Step const& s : steps) {
        SCOPED_TRACE(s.type);
        runStringScript(shopKeeper, ":page /std_scripts/tank_page main_pane");
        auto* pane = controlPanel->findExistingPane("main_pane");
        ASSERT_NE(pane, nullptr);
        CwidgetVar* button = nullptr;
        for (Cvariable* g = pane->widgetList()->firstChild; g && !button; g = g->nextSibling) {
            auto* group = dynamic_cast<CgroupWidgetVar*>(g);
            Cvariable* label = group ? group->widgetList()->getChild(s.label) : nullptr;
            if (label) button = dynamic_cast<CwidgetVar*>(group->widgetList()->firstChild);
        }
        ASSERT_NE(button, nullptr) << "no button " << s.label;
        button->mouseMessage(MOUSE_CLICK, 0, 0);
        EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
        tank = shopKeeper->focusTankObject;
        ASSERT_NE(tank, nullptr);
        EXPECT_STREQ(tank->tankTypeName.c_str(), s.type);
        EXPECT_EQ(tank->tankID, 0) << "the same tank, made again";
        EXPECT_EQ(tank->numFish, fish) << "the fish came along";
        std::map<std::string, int> things = census(*tank);
        EXPECT_EQ(things[s.has], 1);
        EXPECT_EQ(things.count(s.hasNot), 0u);
        runStringScript(shopKeeper, ":panel off");
        for (int i = 0; i < 200; i++) // the scene fades in
            view->animateOneFrame();
        runStringScript(shopKeeper, ":pane tutorial_pane off");
        view->animateOneFrame();
        Frame px = frame();
        EXPECT_EQ(count(px, pureRed), 0);
        EXPECT_EQ(warmth(px) > 0, s.warm) << "warmth " << warmth(px);
        EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
    }
}

struct CscreenShape {
    char const* size;
    // Rows left to the clear colour: 2 above and below the tank, 1 below only, 0 none.
    int barEdges;
};

void PrintTo(CscreenShape const& s, std::ostream* out) {
    *out << s.size;
}

// The dusk pool shown first (an install whose defaults say the default tank was shown
// last), run headless by the program at several screen shapes.
class DuskPoolShapes : public HostFixture, public ::testing::WithParamInterface<CscreenShape> {
  protected:
    void useDuskFirst() {
        std::filesystem::copy(VELMORA_GENERATED_RESOURCE_DIR, install.path(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        std::string defaults = readWholeFile(install.file("defaults.txt"));
        size_t at = defaults.find(":set displayedSequence 1");
        ASSERT_NE(at, std::string::npos) << "the defaults no longer say which sequence was shown last";
        defaults.replace(at, std::strlen(":set displayedSequence 1"), ":set displayedSequence 0");
        writeWholeFile(install.file("defaults.txt"), defaults);
    }
    static uint8_t const* at(PictureSink const& p, int x, int y) {
        return &p.rgba[(size_t(y) * p.width + x) * 4];
    }
};

TEST_P(DuskPoolShapes, BarsShowTheDeepWaterAndTheGlowComesFromAbove) {
    REQUIRE_OFFSCREEN();
    CscreenShape const& shape = GetParam();
    useDuskFirst();
    std::string shot = data.file("shot.png");
    ASSERT_EQ(runProgram({"--headless", shape.size, "--frames", "240", "--screenshot", shot}), 0)
        << logs().substr(0, 2000);
    PictureSink png = readPng(shot);
    ASSERT_GT(png.width, 0);
    // Scene rows by a band at the right edge, away from the panel's texts.
    int band = png.width - png.width / 6;
    long red = 0;
    std::vector<int> sceneRows, clearRows;
    for (int y = 0; y < png.height; y++) {
        int clear = 0, edgeClear = 0;
        for (int x = 0; x < png.width; x++) {
            red += pureRed(at(png, x, y)) ? 1 : 0;
            bool c = clearColour(at(png, x, y));
            clear += c ? 1 : 0;
            edgeClear += c && x >= band ? 1 : 0;
        }
        if (edgeClear < (png.width - band) / 2) sceneRows.push_back(y);
        if (clear == png.width) clearRows.push_back(y);
    }
    EXPECT_EQ(red, 0);
    ASSERT_GT(sceneRows.size(), size_t(png.height / 3)) << "the scene is there";
    // Rows run top down.
    bool barAbove = !clearRows.empty() && clearRows.front() == 0;
    bool barBelow = !clearRows.empty() && clearRows.back() == png.height - 1;
    EXPECT_EQ(barAbove, shape.barEdges == 2);
    EXPECT_EQ(barBelow, shape.barEdges >= 1);
    // The top tenth of the scene: the warm light of the surface at dusk (the default tank's
    // water is blue there).
    long r = 0, b = 0;
    for (size_t i = 0; i < sceneRows.size() / 10; i++)
        for (int x = band; x < png.width; x++) {
            r += at(png, x, sceneRows[i])[0];
            b += at(png, x, sceneRows[i])[2];
        }
    EXPECT_GT(r, b) << "the dusk pool's glow from above";
    if (HasFailure())
        std::filesystem::copy_file(shot, savedCwd / ("dusk_pool_" + std::string(shape.size) + ".png"),
                                   std::filesystem::copy_options::overwrite_existing);
}

INSTANTIATE_TEST_SUITE_P(Shapes, DuskPoolShapes,
                         ::testing::Values(CscreenShape{"1280x720", 0}, CscreenShape{"800x600", 2},
                                           CscreenShape{"720x1280", 1}),
                         [](::testing::TestParamInfo<CscreenShape> const& info) {
                             std::string name = info.param.size;
                             for (char& c : name)
                                 if (c == 'x') c = '_';
                             return "s" + name;
                         });

} // namespace
