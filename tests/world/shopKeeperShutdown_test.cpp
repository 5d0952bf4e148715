#include "shopTestSupport.h"

#include "support/cerr.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/velmoraFunctions.h"

namespace {

using ShutDown = ShopFixture;

// A special sequence is saved as 0 and kept; custom variables get a file once they exist.
TEST_F(ShutDown, SavedFilesHoldOnlyWhatANewStartCanRead) {
    startShop();
    shop->displayedSequence = -3;
    shop->saveShopSettings();
    std::string text = settingsText();
    EXPECT_NE(text.find(":set displayedSequence 0\n"), std::string::npos);
    EXPECT_EQ(shop->displayedSequence, -3);
    EXPECT_EQ(std::count(text.begin(), text.end(), '"') % 2, 0); // every quoted value on one line
    EXPECT_EQ(text.find("\n\""), std::string::npos);
    EXPECT_FALSE(pathExists(data.file("customVars.txt")));
    shop->addDirectory("customVars")->addVariableX("wanted", CLASS_INT)->setInt(12);
    shop->saveShopSettings();
    EXPECT_NE(readWholeFile(data.file("customVars.txt")).find("wanted"), std::string::npos);
}

TEST_F(ShutDown, CorruptSettingsRevertToDefaults) {
    startShop();
    revertToDefaults = 1;
    shop->shutDown();
    EXPECT_FALSE(pathExists(data.file("settings.txt")));
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_EQ(exitMsg, "Sorry, your settings file has become corrupt.  We will revert to defaults.");
    EXPECT_EQ(doNotSendReport, 1);
    shop.reset();
    freeGlobals();
    revertToDefaults = 0;
    doNotSendReport = 0;
}

TEST_F(ShutDown, ClosingTwiceAndDestroyingAnOpenShop) {
    startShop(0, 2, 60);
    shop->clearShopkeeper();
    EXPECT_EQ(numDisplays, 0);
    EXPECT_EQ(display[0], nullptr);
    EXPECT_EQ(shop->firstChild, nullptr);
    EXPECT_EQ(globalVariablesDir->parent, nullptr);
    shop->clearShopkeeper(); // "tried to close shop again"
    shop.reset();
    freeGlobals();

    startShop();
    shop.reset(); // the destructor closes the open shop
    EXPECT_EQ(shopKeeper, nullptr);
    EXPECT_NE(globalVariablesDir, nullptr);
    EXPECT_EQ(globalVariablesDir->parent, nullptr);
    freeGlobals();
}

TEST(ActivityMap, HourOfWeekFromADateText) {
    struct Case {
        char const* text;
        int hour;
    } cases[] = {{"Sun Jan  8 17:03:00 2006\n", 161},
                 {"Mon Jan  9 05:00:00 2006\n", 5},
                 {"Tue Jan 10 00:59:59 2006\n", 24},
                 {"Sat Jan 14 23:00:00 2006\n", 143},
                 {"Xyz Jan 14 02:00:00 2006\n", 2},
                 {"Fr", 96},
                 {"", 0},
                 {"Thu Jan 12 ab:00:00", 72},
                 {"Wed Jan 11 99999999999999999999:00", 71},
                 {"Wed Jan 11 -5:00:00", 48}};
    for (auto const& c : cases)
        EXPECT_EQ(getHour(c.text), c.hour) << c.text;
    EXPECT_EQ(getHour(nullptr), 0);
}

} // namespace
