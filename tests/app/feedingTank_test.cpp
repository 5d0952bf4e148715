// Feeding in the default tank as the program loads it: after a drop the fish chase, bite
// and swallow; every particle is eaten or lost; stomachs fill and digest; repeated drops
// leave nothing behind; waste strands come and go without piling up. After the first
// frames the tank is only simulated, never drawn (but for the one frame that shows the
// food).
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "app/velmoraView.h"
#include "fish/fish.h"
#include "graphics/graphicsMaster.h"
#include "host/frameFiles.h"
#include "hostFixture.h"
#include "support/cerr.h"
#include "things/fishPoo.h"
#include "script/scripter.h"
#include "things/floatingFood.h"
#include "world/tankCamera.h"
#include "world/shopGlobals.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {

constexpr int kWidth = 480, kHeight = 270;
constexpr int kUpdatesPerSecond = 60;

class FeedingTank : public HostFixture {
  protected:
    void TearDown() override {
        if (view) view->stopAnimation();
        view.reset();
        HostFixture::TearDown();
    }
    // Starts the program's view over the staged resources until the default tank is up.
    Ctank* start() {
        Ctank* tank = startStagedView(view, kWidth, kHeight);
        if (tank == nullptr) return nullptr;
        shopKeeper->autoFeedSeconds = 0; // only the tests' drops
        for (Cvariable* v : tank->fishList)
            if (auto* f = dynamic_cast<Cfish*>(v)) fish.push_back(f);
        return tank;
    }
    // One update at the display's rate, without drawing; the last of each second counts
    // the second (as the shop keeper's frame step does).
    static void update(Ctank& tank, int i) {
        masterFrame++;
        globalTime += 1.0 / kUpdatesPerSecond;
        globalSecondInc = i % kUpdatesPerSecond == kUpdatesPerSecond - 1 ? 1 : 0;
        tank.updateTank();
    }
    void simulateSecond(Ctank& tank) {
        for (int i = 0; i < kUpdatesPerSecond; i++)
            update(tank, i);
    }
    // Particles still in the water, over every floating food of the tank.
    static int inWater(Ctank& tank) {
        int n = 0;
        for (Cvariable* v : tank.foodList)
            if (auto* f = dynamic_cast<CfloatingFood*>(v)) n += f->freeCount;
        return n;
    }
    static int countThings(Ctank& tank, bool (*is)(Cvariable*)) {
        int n = 0;
        for (Cvariable* v = tank.thingList->firstChild; v; v = v->nextSibling)
            if (is(v) && !(v->flags & VAR_TEARING_DOWN)) n++;
        return n;
    }
    float eaten() {
        float sum = 0;
        for (Cfish* f : fish)
            sum += f->stomachContents;
        return sum;
    }
    // Every fish's waste mode, as the settings would give it.
    void wasteMode(Ctank& tank, float mode) {
        shopKeeper->pooMode = static_cast<short>(mode);
        tank.messageAllThingsInTank("pooMode", "", mode);
    }
    std::unique_ptr<CvelmoraView> view;
    std::vector<Cfish*> fish;
};

// Thirty particles dropped into the tank: they are drawn, the fish turn to them, chase,
// bite and swallow, each particle into one stomach; within a minute every one is eaten or
// lost and no food thing is left; stomachs fill and digestion empties them again.
TEST_F(FeedingTank, ADropIsEatenOrLostWithinAMinute) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr) << logs().substr(logs().size() > 3000 ? logs().size() - 3000 : 0);
    ASSERT_GE(fish.size(), 20u);
    wasteMode(*tank, 50);
    ASSERT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
    // The scene fades in over its first frames: drawn from full brightness on.
    for (int i = 0; i < 400 && masterMult < 0.99f; i++)
        view->animateOneFrame();
    ASSERT_GE(masterMult, 0.99f);
    tank->addFood(tank->getDefaultFoodDropPosition(), 30);
    ASSERT_EQ(inWater(*tank), 30);

    // The food alone on screen: its particles are drawn where they fall.
    std::vector<std::pair<Cthing*, char>> shown;
    for (Cvariable* v = tank->thingList->firstChild; v; v = v->nextSibling)
        if (auto* t = dynamic_cast<Cthing*>(v)) {
            shown.push_back({t, char(t->displayed)});
            t->setDisplayed(dynamic_cast<CfloatingFood*>(t) ? 1 : 0);
        }
    view->animateOneFrame();
    view->animateOneFrame();
    for (auto const& [t, was] : shown)
        t->setDisplayed(was);
    std::vector<uint8_t> px(size_t(kWidth) * kHeight * 4);
    ASSERT_EQ(view->glView()->readPixels(0, 0, kWidth, kHeight, px.data()), 0);
    long drawn = 0;
    for (size_t i = 0; i < px.size(); i += 4)
        if (std::abs(px[i] - px[0]) + std::abs(px[i + 1] - px[1]) + std::abs(px[i + 2] - px[2]) > 30) drawn++;
    EXPECT_GT(drawn, 30) << "the particles show";
    if (drawn <= 30) writeFramePng((savedCwd / "feeding_food_only.png").c_str(), kWidth, kHeight, px.data());

    std::set<Cfish*> fed, bit;
    std::map<Cfish*, float> most;
    std::set<Cfish*> digested;
    int seconds = 0;
    for (; seconds < 60 && inWater(*tank) > 0; seconds++) {
        for (int i = 0; i < kUpdatesPerSecond; i++) {
            update(*tank, i);
            for (Cfish* f : fish) {
                if (f->activity == Cfish::ACTIVITY_FEED) fed.insert(f);
                if (f->activity == Cfish::ACTIVITY_BITE) bit.insert(f);
                if (f->stomachContents < most[f]) digested.insert(f);
                most[f] = std::max(most[f], f->stomachContents);
            }
        }
    }
    EXPECT_EQ(inWater(*tank), 0) << "particles left after a minute";
    EXPECT_GE(fed.size(), 5u) << "fish turning to the food";
    EXPECT_GE(bit.size(), 3u) << "fish biting";
    float total = 0;
    for (auto const& [f, n] : most)
        total += n;
    EXPECT_GE(total, 10.0f) << "particles swallowed";
    EXPECT_LE(total, 30.0f) << "a particle swallowed twice";
    for (int i = 0; i < 3; i++)
        simulateSecond(*tank);
    EXPECT_EQ(countThings(*tank, [](Cvariable* v) { return dynamic_cast<CfloatingFood*>(v) != nullptr; }), 0);
    EXPECT_TRUE(tank->foodList.empty() || dynamic_cast<CfloatingFood*>(tank->foodList.back()) == nullptr);
    // Digestion takes its time: give the stomachs a few minutes more.
    for (int s = 0; s < 240 && digested.empty(); s++) {
        simulateSecond(*tank);
        for (Cfish* f : fish)
            if (f->stomachContents < most[f]) digested.insert(f);
    }
    EXPECT_FALSE(digested.empty()) << "no stomach emptied";
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
}

// Twenty drops in a row: once every particle is eaten or lost, no particle and no food thing
// is left behind.
TEST_F(FeedingTank, TwentyDropsLeaveNothingBehind) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr);
    for (int d = 0; d < 20; d++) {
        tank->addFood(tank->getDefaultFoodDropPosition(), 3);
        update(*tank, d);
    }
    EXPECT_EQ(inWater(*tank), 60);
    for (int s = 0; s < 120 && inWater(*tank) > 0; s++)
        simulateSecond(*tank);
    simulateSecond(*tank);
    EXPECT_EQ(inWater(*tank), 0);
    EXPECT_EQ(countThings(*tank, [](Cvariable* v) { return dynamic_cast<CfloatingFood*>(v) != nullptr; }), 0);
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
}

// Click-feeding: "feed ctrl" puts the shaker in the tank under the pointer, a held button
// pours there, and the shop closes with the shaker still its own.
TEST_F(FeedingTank, ClickFeedingPoursUnderThePointer) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr);
    ASSERT_EQ(runStringScript(shopKeeper, ":feed ctrl"), 0);
    auto* shaker = dynamic_cast<Cthing*>(shopKeeper->foodShaker);
    ASSERT_NE(shaker, nullptr);
    EXPECT_EQ(shaker->tank, tank);
    EXPECT_TRUE(shaker->hasAttribute(THING_INTERFACE));
    EXPECT_EQ(shopKeeper->fakeMouseIsOn, 1);
    shopKeeper->touchPointers[0].current = Cvector2(kWidth * 0.25f, kHeight * 0.5f);
    ASSERT_EQ(runStringScript(tank, shopKeeper->mouseDownScript.c_str()), 0);
    simulateSecond(*tank);
    ASSERT_EQ(runStringScript(tank, shopKeeper->mouseUpScript.c_str()), 0);
    EXPECT_GT(inWater(*tank), 0);
    Cvector under = tank->screenPixelToTankSpace(shopKeeper->guiDisplay, kWidth * 0.25f, kHeight * 0.5f,
                                                 tank->foodPlaneDepth);
    for (Cvariable* v : tank->foodList)
        if (auto* f = dynamic_cast<CfloatingFood*>(v))
            for (CfoodItem* p : f->items)
                if (p->active)
                    EXPECT_LT(std::fabs(p->position.x - under.x), 0.6f) << "poured under the pointer";
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
}

// The waste mode: 0 takes the strand away and leaves digestion alone; up to 15, 35 and 100
// set three digestion speeds; above 100 a strand hangs but digestion stays as it was.
TEST_F(FeedingTank, WasteModesSetTheStrandAndDigestion) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr);
    Cfish* f = fish.at(0);
    struct {
        float mode;
        bool strand;
        float cycle, grow, drop;
    } const cases[] = {
        {0, false, 0, 0, 0},       {10, true, 480, 7, 10},     {30, true, 48, 5, 8},
        {50, true, 2.4f, 1, 1.5f}, {120, true, 2.4f, 1, 1.5f}, {0, false, 2.4f, 1, 1.5f},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.mode);
        EXPECT_EQ(f->setPooState(c.mode), 0);
        EXPECT_EQ(dynamic_cast<CfishPoo*>(f->pooThing) != nullptr, c.strand);
        if (c.strand) EXPECT_EQ(f->pooThing->parentThing, f);
        EXPECT_FLOAT_EQ(f->cycleLength, c.cycle);
        EXPECT_FLOAT_EQ(f->growTime, c.grow);
        EXPECT_FLOAT_EQ(f->dropTime, c.drop);
        if (c.mode > 0 && c.mode <= 100) EXPECT_FLOAT_EQ(f->pooWidth, 0.3f * f->pooInfo[2] + 0.054f);
    }
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
}

// Ten minutes with a drop every half minute: strands grow on the fish, snap off, fall and
// go; the number of strand things stays bounded.
TEST_F(FeedingTank, WasteStrandsComeAndGoWithoutPilingUp) {
    REQUIRE_OFFSCREEN();
    Ctank* tank = start();
    ASSERT_NE(tank, nullptr);
    wasteMode(*tank, 50);
    auto isStrand = [](Cvariable* v) { return dynamic_cast<CfishPoo*>(v) != nullptr; };
    auto isFalling = [](Cvariable* v) {
        auto* s = dynamic_cast<CfishPoo*>(v);
        return s && s->parentThing == nullptr;
    };
    int hanging = countThings(*tank, isStrand);
    EXPECT_EQ(hanging, int(fish.size())) << "a strand on every fish";
    int most = 0, fellAtAll = 0;
    bool visible = false;
    for (int s = 0; s < 600; s++) {
        if (s % 30 == 0) tank->addFood(tank->getDefaultFoodDropPosition(), 9);
        simulateSecond(*tank);
        int falling = countThings(*tank, isFalling);
        most = std::max(most, falling);
        fellAtAll += falling > 0;
        for (Cfish* f : fish)
            visible = visible || f->pooing;
    }
    EXPECT_TRUE(visible) << "no strand ever showed";
    EXPECT_GT(fellAtAll, 0) << "no strand ever fell";
    EXPECT_LE(most, int(fish.size())) << "falling strands pile up";
    EXPECT_EQ(countThings(*tank, isStrand) - countThings(*tank, isFalling), hanging);
    EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
}

} // namespace
