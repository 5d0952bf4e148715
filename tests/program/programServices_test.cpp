// The shop keeper's calls into its tanks, through the program's own services: the step of
// energy saving, a tank that no display shows (or whose display goes) stopping, a new tank's
// auto-feed counter.
#include "program/programWiring.h"

#include <gtest/gtest.h>

#include "world/shopGlobals.h"
#include "world/shopTankTestSupport.h"
#include "world/tank.h"

namespace {

class ProgramServices : public TankShop {
  protected:
    void SetUp() override {
        TankShop::SetUp();
        servicesInUse = &programServices();
    }
};

TEST_F(ProgramServices, HalfRateDoublesEachTanksStepUpToOneFrame) {
    startShop();
    CrecordingDevice* screen = addScreen('a', 0);
    shop->checkForDisplayChanges();
    Ctank* tank = screen->tank;
    ASSERT_NE(tank, nullptr);
    struct Case {
        float worldSpeed;
        bool half;
        double step;
    } const cases[] = {
        {1, false, 22.0 / 60}, {1, true, 44.0 / 60}, {3, true, 1.0}, {3, false, 1.0}, {0.5, true, 22.0 / 60}};
    for (auto const& c : cases) {
        tank->worldSpeed = c.worldSpeed;
        if (c.half)
            shop->doHalfRefreshRate();
        else
            shop->doFullRefreshRate();
        EXPECT_NEAR(tank->tankSpeed, c.step, 1e-6) << c.worldSpeed << (c.half ? " half" : " full");
    }
}

TEST_F(ProgramServices, ATankNoDisplayShowsStopsUpdating) {
    startShop();
    CrecordingDevice* left = addScreen('a', 0);
    CrecordingDevice* right = addScreen('b', 100);
    shop->checkForDisplayChanges();
    Ctank* first = left->tank;
    Ctank* second = right->tank;
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(first, second);
    EXPECT_EQ(second->runState, 2);
    shop->setDeviceTank(right, first); // the second tank leaves its last display
    EXPECT_EQ(second->runState, 0);
    EXPECT_NE(first->runState, 0);
    shop->removeDisplay(left); // removing a display stops its tank
    EXPECT_EQ(first->runState, 0);
}

TEST_F(ProgramServices, ABlankTanksFirstFeedingComesTwentySecondsEarly) {
    startShop();
    for (short seconds : {100, 300, 20}) {
        shop->autoFeedSeconds = seconds;
        Ctank* tank = shop->allocBlankTankObject(-1);
        ASSERT_NE(tank, nullptr);
        EXPECT_EQ(tank->autoFeedCounter, seconds - 20);
        shop->deleteTankByID(tank->tankID);
    }
}

} // namespace
