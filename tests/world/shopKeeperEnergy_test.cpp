#include "shopTestSupport.h"

#include "variables/configDialogVars.h"

namespace {

using Energy = ShopFixture;

// The fixture's clock stands in hour 100 of the week.
constexpr int kHour = 100;

void setHourDigit(char digit) {
    activeTimes = std::string(168, '1').c_str();
    char* digits = activeTimes;
    digits[kHour] = digit;
}

TEST_F(Energy, SavingStartsInUsuallyUnwatchedHours) {
    struct Case {
        char digit;
        uint8_t blocked;
        bool saving;
    } cases[] = {{'3', 0, false}, {'4', 0, true}, {'9', 0, true}, {'6', 1, false}};
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.digit << " blocked " << int(c.blocked));
        startShop(0, 1, 32);
        setHourDigit(c.digit);
        shop->energySavingBlocked = c.blocked;
        stepFrames(9 * 32 + 1);
        EXPECT_EQ(shop->energyConserveOn, 0); // looked at every ten seconds only
        stepFrames(32);
        EXPECT_EQ(shop->energyConserveOn, c.saving ? 1 : 0);
        EXPECT_FLOAT_EQ(shop->refreshRateFactor, c.saving ? 2.0f : 1.0f);
        stopShop();
    }
}

TEST_F(Energy, AMouseMoveEndsSavingAndMarksTheHourWatched) {
    struct Case {
        char digit, after;
    } cases[] = {{'7', '3'}, {'4', '3'}, {'2', '2'}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.digit);
        startShop();
        setHourDigit(c.digit);
        shop->startEnergyConserveMode(1);
        ASSERT_EQ(shop->energyConserveOn, 1);
        shop->refreshesSinceDisplay = 8;
        shop->mouseMove(3, 4);
        EXPECT_EQ(shop->energyConserveOn, 0);
        EXPECT_FLOAT_EQ(shop->refreshRateFactor, 1.0f);
        EXPECT_EQ(shop->refreshesSinceDisplay, 0);
        EXPECT_EQ(activeTimes.c_str()[kHour], c.after);
        EXPECT_EQ(shop->energySavingBlocked, 0); // the mouse does not block saving
        shop->refreshesSinceDisplay = 4;
        shop->mouseMove(5, 6); // not saving: nothing
        EXPECT_EQ(shop->refreshesSinceDisplay, 4);
        stopShop();
    }
}

TEST_F(Energy, EndingWithABlockKeepsSavingOff) {
    startShop();
    setHourDigit('8');
    shop->startEnergyConserveMode(1);
    shop->endEnergyConserveMode(1);
    EXPECT_EQ(shop->energySavingBlocked, 1);
    shop->startEnergyConserveMode(1);
    EXPECT_EQ(shop->energyConserveOn, 0);
    shop->energySavingBlocked = 0;
    shop->startEnergyConserveMode(2);
    EXPECT_EQ(shop->energyConserveOn, 0);
    EXPECT_FLOAT_EQ(shop->refreshRateFactor, 1.0f);
}

} // namespace
