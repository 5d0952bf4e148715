// The food shaker and the shop's feeding: the tip timing, following the pointer, the
// fixed feeding height, no tank, and the "feed" command with the mouse scripts it sets.
#include "foodTestSupport.h"
#include "graphics/graphicsMaster.h"
#include "things/foodContainer.h"
#include "things/thingKinds.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/tankCamera.h"
#include "world/velmoraFunctions.h"

namespace {

class ShakerTest : public ThingTest {
  protected:
    void SetUp() override {
        installThingKinds();
        shop = new CshopKeeper();
        tank = new Ctank(shop);
        tank->setName("tank");
        root.addVariable(tank, 1);
        gui.width = 1280, gui.height = 720;
        gui.calcGuiViewportRect();
        shop->guiDisplay = &gui;
        shop->focusTankObject = tank;
        // Food with room for every load the tests pour.
        food = new CfloatingFood;
        food->species = &newSpecies(60);
        food->setToTank(tank);
        record(*food);
        ASSERT_EQ(food->resetThing(0), 0);
        food->doExtraInit();
        shaker = make<CfoodContainerThing>(&newSpecies(2));
        ASSERT_EQ(shaker->resetThing(0), 0);
        tankInput = CtankInputState();
        shopKeeper->touchPointers[0].current = Cvector2(640, 360);
    }
    void TearDown() override {
        shop->foodShaker = nullptr;
        dropThing(shaker);
        root.deleteChildren();
        emptyTrash();
        delete shop;
        tankInput = CtankInputState();
    }
    // Frames (from 1) on which a load fell, over frames of goFish; before frame f the
    // button goes as events says (1 press, 0 release).
    std::vector<int> loads(int frames, std::vector<std::pair<int, int>> const& events) {
        std::vector<int> fell;
        for (int f = 1; f <= frames; f++) {
            for (auto const& [at, down] : events)
                if (at == f) shaker->buttonState(down != 0);
            int before = food->freeCount;
            shaker->goFish(1);
            if (food->freeCount == before + 3) fell.push_back(f);
        }
        return fell;
    }
    CdirectoryVar root;
    CshopKeeper* shop = nullptr;
    Ctank* tank = nullptr;
    CgraphicsAPI gui;
    CfloatingFood* food = nullptr;
    CfoodContainerThing* shaker = nullptr;
};

// Before the first press nothing falls; a click pours one load on the fourth frame; a held
// button pours every six frames; a press less than six frames after a tip pours on the
// third frame.
TEST_F(ShakerTest, TheShakerPoursThreeParticlesAtItsTipTiming) {
    struct {
        char const* what;
        std::vector<std::pair<int, int>> events;
        std::vector<int> fell;
    } const cases[] = {
        {"never pressed", {}, {}},
        {"a click", {{1, 1}, {1, 0}}, {4}},
        {"held", {{1, 1}}, {4, 10, 16}},
        {"held, then let go", {{1, 1}, {8, 0}}, {4, 10}},
        {"pressed again soon", {{1, 1}, {1, 0}, {3, 1}, {3, 0}}, {5}},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        shaker->tipCounter = 10;
        shaker->pressed = 0;
        EXPECT_EQ(loads(20, c.events), c.fell);
        for (int i = 0; i < food->particleCount; i++)
            food->items[static_cast<size_t>(i)]->active = 0;
        food->freeCount = 0;
    }
}

// The shaker follows the pointer, always 200 pixels wide on the interface display; with
// feeding at a fixed height it keeps near the top of the view whatever the pointer's height.
TEST_F(ShakerTest, TheShakerFollowsThePointerAtItsSize) {
    struct {
        short mode;
        float y;
    } const cases[] = {{FEED_AT_POINTER, 360}, {FEED_FIXED_HEIGHT, 0.9f * 720}};
    for (auto const& c : cases) {
        shop->feedMode = c.mode;
        shopKeeper->touchPointers[0].current = Cvector2(320, 180);
        shaker->goFish(1);
        EXPECT_NEAR(shaker->jointPositions[0].x, 320.0f / 720.0f, 1e-4f);
        EXPECT_NEAR(shaker->jointPositions[0].y, (c.mode == FEED_AT_POINTER ? 180.0f : c.y) / 720.0f, 1e-4f);
        EXPECT_NEAR(shaker->jointMatrices[0].up.y, 200.0f / 720.0f, 1e-4f);
    }
}

// Without a focus tank the shaker neither moves nor pours, and nothing is recorded.
TEST_F(ShakerTest, WithoutAFocusTankNothingHappens) {
    shop->focusTankObject = nullptr;
    shaker->buttonState(true);
    EXPECT_TRUE(loads(10, {}).empty());
    EXPECT_EQ(shaker->jointPositions[0].lengthSquared(), 0.0f);
    EXPECT_EQ(shaker->framesUpdated, 10);
    EXPECT_TRUE(exitReasonList.empty());
}

// "feed ctrl" sets the mouse scripts, puts the shaker in the focus tank and hides the real
// pointer; a second "feed top" only changes the mode; the mouse scripts tip the shaker;
// "feed off" takes it out and clears the scripts.
TEST_F(ShakerTest, TheFeedCommandTurnsTheShakerOnAndOff) {
    shaker->setToTank(nullptr);
    shop->foodShaker = shaker;
    ASSERT_EQ(runStringScript(shop, ":feed ctrl"), 0);
    EXPECT_EQ(shop->feedMode, FEED_AT_POINTER);
    EXPECT_EQ(shop->mouseDownScript, ":addFood mousedown");
    EXPECT_EQ(shop->mouseUpScript, ":addFood mouseup");
    EXPECT_EQ(shop->fakeMouseIsOn, 1);
    EXPECT_EQ(shop->realMouseVisible, 0);
    EXPECT_EQ(shaker->tank, tank);
    EXPECT_TRUE(shaker->displayed);
    shaker->setToTank(nullptr); // a second "feed" leaves the shaker where it is
    ASSERT_EQ(runStringScript(shop, ":feed top"), 0);
    EXPECT_EQ(shop->feedMode, FEED_FIXED_HEIGHT);
    EXPECT_EQ(shaker->tank, nullptr);
    shaker->setToTank(tank);
    ASSERT_EQ(runStringScript(tank, shop->mouseDownScript.c_str()), 0);
    EXPECT_EQ(shaker->pressed, 1);
    EXPECT_EQ(shaker->tipCounter, 0u);
    ASSERT_EQ(runStringScript(tank, shop->mouseUpScript.c_str()), 0);
    EXPECT_EQ(shaker->pressed, 0);
    ASSERT_EQ(runStringScript(shop, ":feed off"), 0);
    EXPECT_EQ(shop->feedMode, 0);
    EXPECT_EQ(shop->fakeMouseIsOn, 0);
    EXPECT_EQ(shaker->tank, nullptr);
    EXPECT_TRUE(shop->mouseDownScript.empty() && shop->mouseUpScript.empty());
}

// Without a tank to hold a shaker, "feed ctrl" sets the mouse scripts but no shaker pointer,
// so a later "feed" makes the shaker.
TEST_F(ShakerTest, FeedingBeforeAnyTankLeavesThePointerOff) {
    shop->focusTankObject = nullptr;
    ASSERT_EQ(runStringScript(shop, ":feed ctrl"), 0);
    EXPECT_EQ(shop->foodShaker, nullptr);
    EXPECT_EQ(shop->fakeMouseIsOn, 0);
    EXPECT_EQ(shop->mouseDownScript, ":addFood mousedown");
}

// "feed instant" drops nine particles at the tank's drop point; "feed screen" with a
// display slot that holds none drops nothing.
TEST_F(ShakerTest, InstantFeedingDropsNineParticles) {
    ASSERT_EQ(runStringScript(shop, ":feed instant"), 0);
    EXPECT_EQ(food->freeCount, 9);
    ASSERT_EQ(runStringScript(shop, ":feed screen 5"), 0);
    EXPECT_EQ(food->freeCount, 9);
}

// The drops of "feed": on a display's tank, at the drop point, where the pointer was
// pressed (unless it drags the view), and nothing for the modes that only switch.
TEST_F(ShakerTest, FeedDropsByMode) {
    struct {
        char const* line;
        bool dragging, onDisplay;
        int dropped;
    } const cases[] = {
        {":feed instant", false, false, 9},    {":feed 1", false, false, 9},
        {":feed 4", false, false, 3},          {":feed 4", true, false, 0},
        {":feed screen 0", false, true, 3},    {":feed screen 0", false, false, 0},
        {":feed off", false, false, 0},        {":feed sideways", false, false, 0},
        {":feed screen 1e30", false, true, 0}, {":feed screen -1e30", false, true, 0},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.line << (c.dragging ? " dragging" : ""));
        tank->dragging = c.dragging;
        gui.tank = tank;
        if (c.onDisplay) display[0] = &gui;
        shop->mouseButtonDown(640, 360); // the press "4" drops at
        int before = food->freeCount;
        ASSERT_EQ(runStringScript(shop, (std::string(c.line) + "\n:mkdir wentOn\n").c_str()), 0);
        EXPECT_NE(shop->getChild("wentOn"), nullptr) << "the script goes on";
        shop->deleteChild("wentOn");
        EXPECT_EQ(food->freeCount - before, c.dropped);
        display[0] = nullptr;
        gui.tank = nullptr;
    }
    tank->dragging = 0;
}

} // namespace
