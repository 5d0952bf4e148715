#include "shopTestSupport.h"

#include "data/dataArrayManager.h"
#include "data/imageSource.h"
#include "data/resourceStreamer.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/velmoraFunctions.h"

namespace {

using Start = ShopFixture;

TEST_F(Start, TheShopOpensWithTheSharedTreesBelowIt) {
    startShop();
    EXPECT_TRUE(exitReasonList.empty());
    ASSERT_TRUE(shop->shopIsOpen);
    EXPECT_EQ(phaseName, "run");
    EXPECT_EQ(globalVariablesDir->parent, shop.get());
    EXPECT_EQ(globalVariablesDir->getRoot(), shop.get());
    EXPECT_TRUE(imageCheckDiskAlways()); // pictures follow the streamer's disk flag
    EXPECT_EQ(resourcesDir->parent, shop.get());
    EXPECT_EQ(sharedResourceBase(), shop.get()); // shared resources are found and filed below it
    stopShop();
    EXPECT_EQ(sharedResourceTree, nullptr);
    EXPECT_FALSE(imageCheckDiskAlways());
}

TEST_F(Start, SettingsOrTheInstalledDefaults) {
    struct Case {
        char const *what, *settings; // null: no settings file
        uint8_t needsUpdate;
        float crabMood;
        bool savesAtEnd;
        uint8_t fileError;
    } cases[] = {
        {"settings read", ":set crabMood 7\n", 0, 7.0f, true, 0},
        {"no settings file", nullptr, 0, 3.0f, true, 0},
        {"settings unreadable", "", 0, 3.0f, true, 0},
        {"resources differ", ":set crabMood 7\n", 1, 3.0f, false, 0},
        // The error ends the run, and a run ending on an error saves nothing.
        {"settings with an error", ":set crabMood 7\n:noSuchCommand 1\n", 0, 7.0f, false, 1},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(data.file("settings.txt"));
        if (c.settings && *c.settings) writeWholeFile(data.file("settings.txt"), c.settings);
        if (c.settings && !*c.settings) std::filesystem::create_directory(data.file("settings.txt"));
        ASSERT_EQ(initGlobals(), 0);
        needsAnUpdate = c.needsUpdate; // as initGlobals finds it from the resource version
        shop = std::make_unique<CshopKeeper>(&services);
        shop->startup(0);
        shop->loadup();
        EXPECT_FLOAT_EQ(shop->crabMood, c.crabMood);
        EXPECT_EQ(shop->dontSaveUnderAnyCircumstances, c.needsUpdate);
        EXPECT_EQ(settingsFileError, c.fileError);
        std::string before = settingsText();
        shop->crabMood = 9.0f;
        stopShop();
        bool saved = settingsText().find("crabMood 9") != std::string::npos;
        EXPECT_EQ(saved, c.savesAtEnd);
        if (!c.savesAtEnd) EXPECT_EQ(settingsText(), before);
        std::filesystem::remove(data.file("settings.txt"));
        needsAnUpdate = 0;
        settingsFileError = 0;
        scriptError = 0;
        resetExitState();
    }
}

TEST_F(Start, ActivityMapIsRepairedAndTheStartHourLowered) {
    struct Case {
        char const* what;
        std::string map;
        char startDigit;
    } cases[] = {{"too short", "1111", '0'},
                 {"empty", "", '0'},
                 {"whole map", std::string(168, '5'), '2'},
                 {"digit below three", std::string(168, '2'), '0'}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(initGlobals(), 0);
        activeTimes = c.map.c_str();
        shop = std::make_unique<CshopKeeper>(&services);
        shop->startup(0);
        shop->loadup();
        ASSERT_EQ(activeTimes.size(), 168);
        EXPECT_EQ(shop->startHourOfWeek, 100);
        EXPECT_EQ(activeTimes.c_str()[100], c.startDigit);
        EXPECT_EQ(activeTimes.c_str()[99], c.map.size() == 168 ? c.map[99] : '1');
        stopShop();
    }
}

TEST_F(Start, DisplayedSequenceAdvancesByTheRotationRule) {
    struct Case {
        short rotType, displayed, sequences, expected;
    } cases[] = {{0, 5, 6, 5}, {2, 5, 6, 0}, {2, -1, 6, 0}, {0, -1, 3, 0}, {2, 1, 3, 2}, {2, 4, 0, 4}};
    for (auto const& c : cases) {
        SCOPED_TRACE(testing::Message() << c.rotType << " " << c.displayed << " of " << c.sequences);
        services.sequencesToFill = c.sequences;
        char settings[128];
        std::snprintf(settings, sizeof settings, ":set seqRotType %d\n:set displayedSequence %d\n", c.rotType,
                      c.displayed);
        writeWholeFile(data.file("settings.txt"), settings);
        startShop();
        EXPECT_EQ(shop->numSequences, c.sequences);
        EXPECT_EQ(shop->displayedSequence, c.expected);
        EXPECT_EQ(services.shownSequences, std::vector<int>{c.expected});
        stopShop();
        services.shownSequences.clear();
    }
}

} // namespace
