// The default tank as the program shows it, headless: the crab walks where the viewer sees
// it, and the fish's shadows darken the sand beneath them. Failing pictures are kept in the
// working folder.
#include <algorithm>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "app/velmoraView.h"
#include "fish/crab.h"
#include "fish/fish.h"
#include "fish/fishShadow.h"
#include "graphics/graphicsMaster.h"
#include "host/frameFiles.h"
#include "hostFixture.h"
#include "support/cerr.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {

constexpr int kWidth = 640, kHeight = 360;

class ShownTank : public HostFixture {
  protected:
    Ctank* start() { return startStagedView(view, kWidth, kHeight); }
    // One frame with only the things show() picks drawn; its pixels.
    template <class Pick> std::vector<uint8_t> frameShowing(Ctank& tank, Pick show) {
        std::vector<std::pair<Cthing*, char>> saved;
        for (Cvariable* v = tank.thingList->firstChild; v; v = v->nextSibling)
            if (auto* t = dynamic_cast<Cthing*>(v)) {
                saved.push_back({t, char(t->displayed)});
                t->setDisplayed(show(t) ? 1 : 0);
            }
        view->animateOneFrame();
        for (auto const& [t, was] : saved)
            t->setDisplayed(was);
        std::vector<uint8_t> px(size_t(kWidth) * kHeight * 4);
        EXPECT_EQ(view->glView()->readPixels(0, 0, kWidth, kHeight, px.data()), 0);
        return px;
    }
    void keep(std::vector<uint8_t> const& px, std::string const& name) {
        writeFramePng((savedCwd / (name + ".png")).c_str(), kWidth, kHeight, px.data());
    }
    static bool isSpecies(Cthing* t, char const* name) { return t->species && t->species->name == name; }
    static Ccrab* crabOf(Ctank* tank) {
        for (Cvariable* v = tank->thingList->firstChild; v; v = v->nextSibling)
            if (auto* c = dynamic_cast<Ccrab*>(v)) return c;
        return nullptr;
    }
    std::unique_ptr<CvelmoraView> view;
};

TEST_F(ShownTank, TheCrabWalksOnScreen) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr) << logs().substr(logs().size() > 3000 ? logs().size() - 3000 : 0);
    Ccrab* crab = crabOf(tank);
    ASSERT_NE(crab, nullptr) << "the default tank has a crab";
    auto crabOnly = [](Cthing* t) { return dynamic_cast<Ccrab*>(t) != nullptr; };
    std::vector<uint8_t> first;
    int moved = 0, shown = 0;
    for (int frame = 1; frame <= 600; frame++) {
        if (frame % 150 != 0) {
            view->animateOneFrame();
            continue;
        }
        std::vector<uint8_t> px = frameShowing(*tank, crabOnly);
        int crabPixels = 0;
        for (size_t i = 0; i < px.size(); i += 4)
            crabPixels +=
                std::abs(px[i] - px[0]) + std::abs(px[i + 1] - px[1]) + std::abs(px[i + 2] - px[2]) > 12;
        EXPECT_GT(crabPixels, 150) << "the crab is not on screen at frame " << frame;
        shown += crabPixels > 150;
        if (first.empty()) {
            first = px;
            continue;
        }
        int changed = 0;
        for (size_t i = 0; i < px.size(); i += 4)
            changed += std::abs(px[i] - first[i]) + std::abs(px[i + 1] - first[i + 1]) > 24;
        moved += changed > 100;
        if (HasFailure()) keep(px, "crab_" + std::to_string(frame));
    }
    EXPECT_EQ(shown, 4);
    EXPECT_GE(moved, 2) << "the crab's pixels stayed where they were";
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
    view->stopAnimation();
}

// Among the default tank's fish the crab chases and then calms down, standing while its
// body settles: a foot that stood does not slide even then, nor in the frame it is lifted in.
// The behaviour alone runs (one behaviour frame a step, nothing drawn).
TEST_F(ShownTank, PlantedCrabFeetHoldAmongTheFish) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr) << logs().substr(logs().size() > 3000 ? logs().size() - 3000 : 0);
    Ccrab* crab = crabOf(tank);
    ASSERT_NE(crab, nullptr);
    ASSERT_GT(tank->numFish, 10);
    tank->tankSpeed = 1.0;
    Cvector planted[kCrabLegs];
    bool wasDown[kCrabLegs] = {};
    float worst = 0.0f;
    int slides = 0, calm = 0, steps = 0;
    for (int f = 0; f < 10 * 60 * 30; f++) { // ten minutes
        masterFrame++;
        ASSERT_EQ(tank->updateTank(), 0) << "frame " << f;
        calm += crab->activity == Ccrab::CALM_DOWN_AFTER_CHASE;
        for (int i = 0; i < kCrabLegs; i++) {
            CcrabLeg const& leg = crab->legs[i];
            bool down = leg.footCycle.idle();
            float slid = wasDown[i] ? (leg.foot - planted[i]).length() / leg.legLength : 0.0f;
            worst = std::max(worst, slid);
            slides += slid >= 0.01f;
            steps += !down && wasDown[i];
            planted[i] = leg.foot;
            wasDown[i] = down;
        }
    }
    EXPECT_LT(worst, 0.01f) << "planted feet slid in " << slides << " frames";
    EXPECT_GT(calm, 0) << "the crab never chased";
    EXPECT_GT(steps, 200);
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
    view->stopAnimation();
}

// Where pixels differ between two frames by more than a little, and their centre; offSand
// counts darker pixels where the first frame shows the clear colour (no sand), which the
// top left corner shows; darkest is the least share of its brightness a pixel kept.
struct Cchange {
    long darker = 0, lighter = 0, offSand = 0;
    double x = 0, y = 0, before = 0, after = 0, darkest = 1;
};
Cchange compare(std::vector<uint8_t> const& before, std::vector<uint8_t> const& after) {
    Cchange c;
    uint8_t const* clear = &before[(size_t(kHeight) - 1) * kWidth * 4];
    for (int y = 0; y < kHeight; y++)
        for (int x = 0; x < kWidth; x++) {
            size_t i = (size_t(y) * kWidth + x) * 4;
            int b = before[i] + before[i + 1] + before[i + 2], a = after[i] + after[i + 1] + after[i + 2];
            if (b - a > 15) {
                c.darker++;
                c.x += x, c.y += y, c.before += b, c.after += a;
                c.darkest = std::min(c.darkest, a / double(b));
                c.offSand += std::abs(before[i] - clear[0]) + std::abs(before[i + 1] - clear[1]) +
                                 std::abs(before[i + 2] - clear[2]) <
                             12;
            }
            c.lighter += a - b > 15;
        }
    if (c.darker) c.x /= double(c.darker), c.y /= double(c.darker);
    return c;
}

// The sand alone, with and without the fish's shadows: with them it is darker, and only
// darker, and only where there is sand; the shadows of a school swimming low over the sand
// lie below it on screen. (Fish high over the sand cast no shadow: their school is brought
// down first.)
TEST_F(ShownTank, ShadowsDarkenTheSandUnderTheSchools) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr) << logs().substr(logs().size() > 3000 ? logs().size() - 3000 : 0);
    int shadows = 0;
    for (Cvariable* v = tank->thingList->firstChild; v; v = v->nextSibling)
        shadows += dynamic_cast<CfishShadow*>(v) != nullptr;
    EXPECT_EQ(shadows, tank->numFish) << "every fish casts a shadow";
    for (int i = 0; i < 240; i++)
        view->animateOneFrame();
    // The barbs one and a half body lengths over the sand.
    Cmatrix3 still;
    still.identity();
    int barbCount = 0;
    for (Cvariable* v = tank->thingList->firstChild; v; v = v->nextSibling) {
        auto* fish = dynamic_cast<Cfish*>(v);
        if (fish == nullptr || !isSpecies(fish, "tiger_barb")) continue;
        float floor = 0.0f;
        ASSERT_TRUE(tank->groundHeightAt(fish->vertex[1].x, fish->vertex[1].z, floor));
        fish->translateAndRotate(Cvector(0.0f, floor + 1.5f * fish->bodyLength - fish->vertex[1].y, 0.0f),
                                 still);
        barbCount++;
    }
    ASSERT_GE(barbCount, 3);
    auto sand = [this](Cthing* t) { return isSpecies(t, "sand_floor"); };
    auto sandAndShadows = [&sand](Cthing* t) { return sand(t) || dynamic_cast<CfishShadow*>(t) != nullptr; };
    auto sandAndBarbShadows = [&sand, this](Cthing* t) {
        return sand(t) ||
               (dynamic_cast<CfishShadow*>(t) && t->parentThing && isSpecies(t->parentThing, "tiger_barb"));
    };
    auto barbs = [this](Cthing* t) { return isSpecies(t, "tiger_barb"); };
    std::vector<uint8_t> bare = frameShowing(*tank, sand);
    std::vector<uint8_t> shaded = frameShowing(*tank, sandAndShadows);
    std::vector<uint8_t> underBarbs = frameShowing(*tank, sandAndBarbShadows);
    std::vector<uint8_t> empty = frameShowing(*tank, [](Cthing*) { return false; });
    std::vector<uint8_t> school = frameShowing(*tank, barbs);

    Cchange all = compare(bare, shaded);
    EXPECT_GT(all.darker, 150) << "too little sand darkened";
    EXPECT_LT(all.lighter, all.darker / 20 + 10) << "shadows lighten nothing";
    EXPECT_EQ(all.offSand, 0) << "a shadow off the sand";

    Cchange fish = compare(empty, school), fishLight = compare(school, empty);
    Cchange shade = compare(bare, underBarbs);
    long fishPixels = fish.darker + fishLight.darker;
    EXPECT_GT(fishPixels, 100) << "the barbs are not on screen";
    EXPECT_GT(shade.darker, 100) << "the barbs cast no shadow";
    if (fishPixels > 0 && shade.darker > 0) {
        double fishX = (fish.x * fish.darker + fishLight.x * fishLight.darker) / double(fishPixels);
        double fishY = (fish.y * fish.darker + fishLight.y * fishLight.darker) / double(fishPixels);
        // Rows count up from the bottom of the frame.
        EXPECT_LT(std::fabs(shade.x - fishX), kWidth / 8.0) << "the shadows are not under the school";
        EXPECT_LT(shade.y, fishY) << "the shadows are above the school";
    }
    if (HasFailure()) {
        keep(bare, "sand_bare");
        keep(shaded, "sand_shaded");
        keep(underBarbs, "sand_barb_shadows");
        keep(school, "barbs");
    }
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
    view->stopAnimation();
}

// At every fish size (percent) a fish held two and a half body lengths over the sand casts a
// translucent shadow: its darkest pixel darkens as much as at 100 %, and it is no black blot.
// (The sand is taken first: a shadow hidden for a frame would blend with its older geometry.)
class ShadowAtFishSize : public ShownTank, public ::testing::WithParamInterface<int> {};

TEST_P(ShadowAtFishSize, DarkensByTheFishsHeight) {
    REQUIRE_OFFSCREEN();
    writeWholeFile(data.file("registry.txt"), ":set fsSz " + std::to_string(GetParam() / 100.0) + "\n");
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr) << logs().substr(logs().size() > 3000 ? logs().size() - 3000 : 0);
    for (int i = 0; i < 240; i++)
        view->animateOneFrame();
    Cfish* big = nullptr;
    for (Cvariable* v = tank->thingList->firstChild; v; v = v->nextSibling)
        if (auto* f = dynamic_cast<Cfish*>(v); f && (!big || f->bodyLength > big->bodyLength)) big = f;
    ASSERT_TRUE(big && dynamic_cast<CfishShadow*>(big->shadowThing));
    Cvector at(0.0f, 0.0f, 0.6f * tank->tankScale);
    ASSERT_TRUE(tank->groundHeightAt(at.x, at.z, at.y));
    at.y += 2.5f * big->bodyLength;
    // The largest fish, held there before every frame.
    Cmatrix3 still;
    still.identity();
    auto hold = [&] { big->translateAndRotate(at - big->vertex[1], still); };
    auto sand = [this](Cthing* t) { return isSpecies(t, "sand_floor"); };
    std::vector<uint8_t> bare = frameShowing(*tank, sand);
    for (int i = 0; i < 4; i++) {
        hold();
        view->animateOneFrame();
    }
    hold();
    std::vector<uint8_t> shaded =
        frameShowing(*tank, [&](Cthing* t) { return sand(t) || t == big->shadowThing; });
    Cchange c = compare(bare, shaded);
    EXPECT_GT(c.darker, 20) << "no shadow to see";
    // The shadow's darkness, 1 - 0.3 x 2.5, at every size.
    EXPECT_NEAR(1.0 - c.darkest, 0.25, 0.08) << "the darkest pixel of the shadow";
    EXPECT_EQ(c.offSand, 0) << "a shadow off the sand";
    if (HasFailure()) keep(shaded, "shadow_at_" + std::to_string(GetParam()));
    view->stopAnimation();
}

INSTANTIATE_TEST_SUITE_P(Sizes, ShadowAtFishSize, ::testing::Values(50, 100, 200),
                         [](auto const& info) { return "fish" + std::to_string(info.param); });

} // namespace
