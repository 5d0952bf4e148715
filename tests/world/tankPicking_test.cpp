// Picking things on screen: nearest hit, the widening second pass and the click protocol.
#include "tankLiveSupport.h"

namespace {
class PickingTest : public LiveTankTest {
  protected:
    void SetUp() override {
        LiveTankTest::SetUp();
        display.width = 200, display.height = 100;
        display.appliedWindowRect = Crect(0, 200, 0, 100);
        tank->tankDisplays = {&display};
        tank->imageAspect = 2.0f;
        tank->myCamera.fovy = tank->myCamera.fovMaxDim = 45.0f;
        tank->myCamera.camPos = Cvector(6, 3, 8);
        tank->destCamera = tank->myCamera;
        tank->allViewsRect = tank->placedWindowRect[0] = display.appliedWindowRect;
        tank->updateCamera();
        tankInput = CtankInputState();
        tankInput.interfaceDisplay = &display;
        inputSeconds = 0.0f;
    }
    void TearDown() override {
        tank->tankDisplays.clear();
        tankInput = CtankInputState();
        LiveTankTest::TearDown();
    }
    // A pickable fish whose middle lies under pixel (x, y) at depth z, its box reaching
    // `half` pixels to the lower left.
    ClivingThing* fishAt(float x, float y, float z, float half = 10.0f) {
        ClivingThing* f = add(ATTR_PICKABLE, tank->screenPixelToTankSpace(&display, x, y, z));
        Cvector corner = tank->screenPixelToTankSpace(&display, x - half, y - half, z);
        f->boxMin[0] = corner.x, f->boxMin[1] = corner.y;
        return f;
    }
    CgraphicsAPI display;
};
} // namespace

TEST_F(PickingTest, NearestHitAndTheWideningPasses) {
    EXPECT_EQ(tank->getThingClosestToScreenSpace(&display, 100, 50, 0.05f), nullptr); // nothing pickable
    add(0, tank->screenPixelToTankSpace(&display, 100, 50, 0));                       // not pickable
    ClivingThing* back = fishAt(100, 50, -1.0f);
    ClivingThing* front = fishAt(102, 50, 1.0f);
    EXPECT_EQ(tank->getThingClosestToScreenSpace(&display, 100, 50, 0.01f), front);
    EXPECT_EQ(tank->getThingClosestToScreenSpace(&display, 100, 50, -0.1f), nullptr);
    ClivingThing* lone = fishAt(40, 30, 0.0f);
    struct {
        float x, tolerance;
        ClivingThing* found;
    } const cases[] = {
        {49.0f, 0.0f, lone},     // inside the extent
        {50.3f, 0.0f, nullptr},  // just outside, one pass only
        {50.3f, 0.01f, lone},    // the second pass at margin 0.01 reaches it
        {53.0f, 0.01f, nullptr}, // too far for both passes
    };
    for (auto const& c : cases)
        EXPECT_EQ(tank->getThingClosestToScreenSpace(&display, c.x, 30, c.tolerance), c.found) << c.x;
    (void)back;
}

TEST_F(PickingTest, QuickOrStillOverReleasesCountAsClicks) {
    ClivingThing* fish = fishAt(100, 50, 0.0f);
    struct {
        float releaseAt;
        float releaseX;
        bool focused;
    } const cases[] = {{0.1f, 170, true}, {0.3f, 170, false}, {0.3f, 101, true}};
    for (auto const& c : cases) {
        tank->changeFocusThing(nullptr);
        inputSeconds = 0.0f;
        tankInput.mouseButtonDownStartTime = 0.0f;
        ASSERT_EQ(tank->mouseSelectFocusThing(100, 50, 0), 1);
        ASSERT_EQ(tankInput.clickedThing, fish);
        inputSeconds = c.releaseAt;
        EXPECT_EQ(tank->mouseSelectFocusThing(static_cast<short>(c.releaseX), 50, 2), c.focused ? 1 : 0);
        EXPECT_EQ(tank->focus == fish, c.focused) << c.releaseAt;
        EXPECT_EQ(tankInput.clickedThing == fish, !c.focused);
    }
    // A long drag off the fish forgets it; a short one does not.
    for (float t : {0.1f, 0.3f}) {
        tank->mouseSelectFocusThing(100, 50, 0);
        inputSeconds = t;
        tank->mouseSelectFocusThing(170, 50, 1);
        EXPECT_EQ(tankInput.clickedThing == fish, t < 0.2f);
    }
    tank->changeFocusThing(nullptr);
    EXPECT_EQ(tank->selectFocusFishFromScreen(101, 50), 1);
    EXPECT_EQ(tank->focus, fish);
    EXPECT_EQ(tank->selectFocusFishFromScreen(180, 10), 0);
}
