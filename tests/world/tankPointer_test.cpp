// The tank's pointer, feeding and view commands, sent as script lines the way the
// interface's mouse scripts send them, and the highlight commands they lead to.

#include "graphics/material.h"
#include "graphics/polyGroups.h"
#include "graphics/workObject.h"
#include "script/scripter.h"
#include "shopTestSupport.h"
#include "tankLiveSupport.h"
#include "world/shopGlobals.h"

namespace {
class PointerTankTest : public ViewTankTest {
  protected:
    void SetUp() override {
        ViewTankTest::SetUp();
        tank->highlightMarker = new ClivingThing; // the tank owns it
        showOn({&left});
        panel = new CrecordingPanel;
        shop->controlPanel = panel; // the shop keeper deletes it
        shop->exitOnMouse = 2;      // clicks do not end the saver
        savedRunState = startRunOrQuit;
        startRunOrQuit = 1;
        globalTime = 0;
        clickTargetIsFish = 0;
    }
    void TearDown() override {
        clickTargetIsFish = 0;
        globalTime = 0;
        startRunOrQuit = savedRunState;
        ViewTankTest::TearDown();
    }
    int run(char const* line) { return runStringScript(tank, line); }
    void pointAt(float x, float y) { shop->touchPointers[0].mouseMoved(int(x), int(y), &left); }
    void highlight(Cvariable* animal) {
        tank->changeFocusThing(animal);
        tank->animalHighlight(Cstring("ON"), 0);
        ASSERT_EQ(shop->highlight, 1);
    }
    // A press at (x, y) at time 0.
    void press(float x, float y) {
        globalTime = 0;
        pointAt(x, y);
        ASSERT_EQ(run(":buttonDown"), 0);
    }
    CrecordingPanel* panel = nullptr;
    int8_t savedRunState = 0;
};
} // namespace

TEST_F(PointerTankTest, PressAndReleaseFeedFocusOrLetTheHighlightGo) {
    tank->foodAddPos.z = -1.5f; // the depth food falls at
    ClivingThing* fish = fishAt(100, 50);
    ClivingThing* other = fishAt(30, 20);
    struct {
        char const* name;
        short feeding;
        bool mainPane, highlighted, dragged;
        float pressX, releaseX, heldSeconds;
        size_t drops;
        int panelOffs;
        Cvariable* focus;
        short highlightAfter;
        int tankWasClicked;
    } const cases[] = {
        {"feeding", 1, false, false, false, 100, 100, 0.1f, 1, 0, other, 0, -1},
        {"feeding drag", 1, false, false, true, 100, 150, 0.1f, 0, 0, other, 0, -1},
        {"panel open", 0, true, false, false, 100, 100, 0.1f, 0, 1, other, 0, -1},
        {"drag", 0, false, false, true, 100, 100, 0.1f, 0, 0, other, 0, -1},
        {"click on fish", 0, false, false, false, 100, 100, 0.1f, 0, 0, fish, 1, 1},
        {"held off the fish", 0, false, false, false, 100, 170, 0.5f, 0, 0, other, 0, 1},
        {"quick on water", 0, false, true, false, 170, 170, 0.1f, 0, 0, other, 0, 0},
        {"slow on water", 0, false, true, false, 170, 170, 0.5f, 0, 0, other, 1, 1},
    };
    for (auto const& c : cases) {
        tank->animalHighlight(Cstring("OFF"), 0);
        tank->changeFocusThing(other);
        if (c.highlighted) highlight(other);
        panel->forget();
        if (c.mainPane) panel->openPane("main_pane");
        shop->inClickFeedingMode = c.feeding;
        tank->dragging = 1;
        press(c.pressX, 50);
        EXPECT_EQ(panel->closed, std::vector<std::string>{"notify"});
        EXPECT_EQ(tank->dragging, 0); // each press starts a gesture of its own
        tank->dragging = c.dragged ? 1 : 0;
        globalTime = c.heldSeconds;
        pointAt(c.releaseX, 50);
        size_t foodBefore = tank->foodList.size();
        EXPECT_EQ(run(":buttonUp"), 0) << c.name;
        EXPECT_EQ(tank->foodList.size() - foodBefore, c.drops) << c.name;
        if (c.drops) {
            ClivingThing* food = living(tank->foodList.back());
            EXPECT_EQ(food->particleBatches, std::vector<int>{3}) << c.name;
            EXPECT_FLOAT_EQ(food->lastDrop.z, -1.5f) << c.name;
        }
        EXPECT_EQ(panel->offCalls, c.panelOffs) << c.name;
        EXPECT_EQ(tank->focus, c.focus) << c.name;
        EXPECT_EQ(shop->highlight, c.highlightAfter) << c.name;
        EXPECT_EQ(panel->tankWasClicked, c.tankWasClicked) << c.name;
    }
}

TEST_F(PointerTankTest, SingleClicksRunTheTanksClickScripts) {
    tank->bgClick = ":int background 1";
    tank->fishClick = ":int fish 1";
    struct {
        int target;
        char const* frontPane;
        short ignoring;
        char const* ran; // the variable the script made; null: none ran
        short xdel;
    } const cases[] = {
        {0, nullptr, 0, "background", 5}, {1, nullptr, 0, "fish", 0},  {1, "fishSelBar", 0, nullptr, 5},
        {1, "settings", 0, "fish", 0},    {0, nullptr, 1, nullptr, 5}, {1, nullptr, 1, nullptr, 5},
    };
    for (auto const& c : cases) {
        for (char const* made : {"background", "fish"})
            if (Cvariable* v = tank->getChild(made)) deleteVariable(v);
        panel->forget();
        if (c.frontPane) panel->openPane(c.frontPane);
        clickTargetIsFish = c.target;
        shop->clickIgnoreCount = c.ignoring;
        shop->xdel = 5;
        EXPECT_EQ(run(":singleClick"), 0);
        for (char const* made : {"background", "fish"})
            EXPECT_EQ(tank->getChild(made) != nullptr, c.ran && Cstring(made) == c.ran) << made;
        EXPECT_EQ(shop->xdel, c.xdel);
    }
}

TEST_F(PointerTankTest, DoubleClicksEndTheSaverReframeOrFollow) {
    ClivingThing* fish = fishAt(100, 50);
    float fullHeight = tank->cameraEyePosAtFullHeight.z;
    struct {
        short hasMouse, exitOnMouse, ignoring;
        uint8_t saver;
        int target;
        bool exits;
        short camera;
        float z; // the destination camera's depth afterwards
    } const cases[] = {
        {1, 0, 0, 1, 0, true, CAM_STATIC, fullHeight - 1.0f},
        {1, 0, 0, 0, 0, false, CAM_STATIC, fullHeight}, // the program's window reframes
        {1, 0, 0, 0, 1, false, CAM_FOLLOW_FISH, fullHeight - 1.0f},
        {1, 2, 0, 1, 0, false, CAM_STATIC, fullHeight},
        {0, 0, 0, 1, 0, false, CAM_STATIC, fullHeight},
        {0, 0, 0, 1, 1, false, CAM_FOLLOW_FISH, fullHeight - 1.0f},
        {0, 0, 1, 1, 0, false, CAM_STATIC, fullHeight - 1.0f},
    };
    for (auto const& c : cases) {
        resetExitState();
        startRunOrQuit = 1;
        highlight(fish);
        tank->changeCameraBehavior(CAM_STATIC);
        tank->myCamera.camPos = tank->destCamera.camPos = Cvector(6, 3, fullHeight - 1.0f);
        shop->hasMouse = c.hasMouse, shop->exitOnMouse = c.exitOnMouse, shop->clickIgnoreCount = c.ignoring;
        shop->saverMode = c.saver;
        clickTargetIsFish = c.target;
        pointAt(100, 50);
        startRunOrQuit = 1;
        EXPECT_EQ(run(":doubleClick"), 0);
        EXPECT_EQ(!exitReasonList.empty() && exitReasonList.front() == "doubleClick", c.exits);
        EXPECT_EQ(tank->camera, c.camera) << c.hasMouse << c.exitOnMouse << c.target;
        EXPECT_NEAR(tank->destCamera.camPos.z, c.z, 1e-3) << c.hasMouse << c.exitOnMouse << c.target;
        // Closing in on a fish lets the highlight go; reframing keeps it.
        EXPECT_EQ(shop->highlight, c.camera == CAM_FOLLOW_FISH ? 0 : 1);
        startRunOrQuit = 1;
        tank->animalHighlight(Cstring("OFF"), 0);
    }
    shop->clickIgnoreCount = 0, shop->saverMode = 0;
}

TEST_F(PointerTankTest, FeedingTipsTheShopsShaker) {
    auto* shaker = new ClivingThing; // the shop keeper's, out of any tank
    struct {
        char const* line;
        std::vector<int> shakes;
    } const feeds[] = {{":addFood mousedown", {1}},
                       {":addFood mouseup", {1, 0}},
                       {":addFood sideways", {1, 0}},
                       {":addFood", {1, 0}}};
    EXPECT_EQ(run(":addFood mousedown"), 0); // no shaker yet: nothing to tip
    shop->foodShaker = shaker;
    for (auto const& f : feeds) {
        EXPECT_EQ(run(f.line), 0) << f.line;
        EXPECT_EQ(shaker->shakes, f.shakes) << f.line;
    }
}

TEST_F(PointerTankTest, SetDisplayShowsOrHidesAThingsMaterial) {
    ClivingThing* fish = fishAt(100, 50);
    fish->setName("angel1");
    Cmaterial fins, body;
    fins.name = "fins", body.name = "body";
    CpolyGroupSet finSet, bodySet;
    finSet.material = &fins, bodySet.material = &body;
    CworkObject geometry;
    geometry.renderPolyGroups.resize(2);
    geometry.renderPolyGroups[0].set = &bodySet;
    geometry.renderPolyGroups[1].set = &finSet;
    for (CrenderPolyGroup& g : geometry.renderPolyGroups)
        g.displayed = 1;
    fish->geometry = &geometry;
    struct {
        char const* line;
        uint8_t body, fins;
        bool error;
    } const cases[] = {
        {":setDisplay angel1 fins 0", 1, 0, false},
        {":setDisplay angel1 gills 1", 1, 0, false},
        {":setDisplay ghost body 0", 1, 0, false},
        {":setDisplay angel1 body 0", 0, 0, false},
        {":setDisplay angel1 fins 1", 0, 1, false},
        {":setDisplay angel1 fins", 0, 1, true}, // no number: nothing hidden
        {":setDisplay", 0, 1, true},
    };
    for (auto const& c : cases) {
        resetExitState();
        EXPECT_EQ(run(c.line), 0) << c.line;
        EXPECT_EQ(!exitReasonList.empty(), c.error) << c.line;
        EXPECT_EQ(geometry.renderPolyGroups[0].displayed, c.body) << c.line;
        EXPECT_EQ(geometry.renderPolyGroups[1].displayed, c.fins) << c.line;
    }
    fish->geometry = nullptr;
}

TEST_F(PointerTankTest, HighlightCommandsFollowTheFocusAndThePanel) {
    ClivingThing* a = add(ATTR_PICKABLE, {0, 0, 0});
    ClivingThing* b = add(ATTR_PICKABLE, {1, 0, 0});
    ClivingThing* c = add(ATTR_PICKABLE, {4, 0, 0});
    tank->changeFocusThing(a);
    tank->focusStep = -1; // stepping back from the first wraps to c
    wasChanged = 0;
    EXPECT_EQ(tank->animalHighlight(Cstring("DELETE"), 0), 0);
    EXPECT_EQ(tank->focus, b); // the nearest, not the neighbour in the list
    EXPECT_EQ(wasChanged, 1);
    EXPECT_EQ(tank->thingList->countChildren(-1), 2);
    EXPECT_EQ(tank->animalHighlight(Cstring("PURCHASE"), 0), 0);
    EXPECT_EQ(tank->focus, c);                                 // the neighbour takes the focus
    EXPECT_EQ(tank->animalHighlight(Cstring("DELETE"), 0), 0); // the last animal: no focus left
    EXPECT_EQ(tank->focus, nullptr);

    ClivingThing* d = add(ATTR_PICKABLE, {0, 0, 0});
    shop->transitionRequested = 1; // a sequence change is coming: no highlight
    tank->animalHighlight(Cstring("ON"), 0);
    EXPECT_EQ(shop->highlight, 0);
    EXPECT_EQ(tank->focus, nullptr);
    shop->transitionRequested = 0;
    struct {
        unsigned barFlags;
        bool barOpen;
        int panelOffs;
    } const offs[] = {{0, true, 1}, {0x4000, true, 0}, {0, false, 0}};
    for (auto const& o : offs) {
        panel->forget();
        if (o.barOpen) panel->openPane("bar", o.barFlags);
        tank->animalHighlight(Cstring("ON"), 0);
        EXPECT_EQ(tank->focus, d);
        EXPECT_EQ(shop->highlight, 1);
        tank->animalHighlight(Cstring("OFF"), 0);
        EXPECT_EQ(shop->highlight, 0);
        EXPECT_EQ(panel->offCalls, o.panelOffs) << o.barFlags << o.barOpen;
        EXPECT_EQ(tank->highlightMarker->parent, nullptr);
    }
}

TEST_F(PointerTankTest, ClearingSparesTheShopsThings) {
    add(0, {});
    ClivingThing* shaker = add(0, {});
    shop->foodShaker = shaker;
    ASSERT_NE(tank->highlightMarker, nullptr); // never shown: out of the scene, the tank's alone
    tank->clear();
    EXPECT_EQ(tank->highlightMarker, nullptr);
    EXPECT_EQ(shaker->parent, nullptr); // taken out, still whole: the shop keeper deletes it
    EXPECT_EQ(tank->thingList->firstChild, nullptr);
    shaker->setName("stillHere");
    EXPECT_EQ(shaker->name, Cstring("stillHere"));
}
