// The shop keeper's frame step, energy saving and shut-down.
#include "shopTestSupport.h"

#include "host/hostServices.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/velmoraFunctions.h"

namespace {

using Frame = ShopFixture;
using Energy = ShopFixture;
using ShutDown = ShopFixture;

TEST_F(Frame, QuitSecondsCountDown) {
    struct Case {
        short left;
        int seconds; // whole seconds stepped
        bool exits;
    } cases[] = {{-1, 5, false}, {1, 1, true}, {3, 2, false}, {3, 3, true}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.left);
        startShop(0, 1, 32);
        shop->quitSecondsLeft = c.left;
        stepFrames(c.seconds * 32 + 1);
        EXPECT_EQ(exitSaver != 0, c.exits);
        if (!c.exits) EXPECT_EQ(shop->quitSecondsLeft, c.left == -1 ? -1 : c.left - c.seconds);
        exitSaver = 0;
        stopShop();
        resetExitState();
    }
}

// A step without a device does nothing; a device without a refresh rate steps as sixty hertz,
// and one not (yet) in the table as the only display.
TEST_F(Frame, ADeviceWithoutARefreshRateCountsAsSixtyHertz) {
    startShop(0, 1, 0);
    EXPECT_EQ(shop->timerMoveFrame(nullptr), 1);
    EXPECT_EQ(masterFrame, 0);
    EXPECT_EQ(devices[0]->presents, 0);
    stepFrames(1);
    EXPECT_FLOAT_EQ(globalSecondsSinceLastFrame, 1.0f / 60);
    numDisplays = 0;
    shop->timerMoveFrame(devices[0].get());
    EXPECT_FLOAT_EQ(globalSecondsSinceLastFrame, 1.0f / 60);
    EXPECT_DOUBLE_EQ(globalTime, 2.0 * (1.0f / 60));
    numDisplays = 1;
}

// Each script sets tempInt once, at step `at` of a 32 Hz display (0: never).
TEST_F(Frame, ScriptsRunOnceAtTheirStep) {
    struct Case {
        char const* what;
        int preview, at;
        void (*arm)(CshopKeeper&);
    } cases[] = {{"next frame command", 0, 1, [](CshopKeeper& s) { s.nextFrameCommand = ":set tempInt 1"; }},
                 {"rotation script at second 5", 0, 5 * 32 + 1,
                  [](CshopKeeper& s) { s.seqRotScript = ":set tempInt 1", s.seqRotScriptSeconds = 5; }},
                 {"frame ten", 0, 10, [](CshopKeeper&) { frame10Script = ":set tempInt 1"; }},
                 {"frame ten in a preview", 1, 0, [](CshopKeeper&) { frame10Script = ":set tempInt 1"; }}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        startShop(c.preview, 1, 32);
        c.arm(*shop);
        if (c.at) {
            stepFrames(c.at - 1);
            EXPECT_EQ(shop->tempInt, 0);
            stepFrames(1);
            EXPECT_EQ(shop->tempInt, 1);
            shop->tempInt = 0;
        }
        stepFrames(10 * 32);
        EXPECT_EQ(shop->tempInt, 0);
        frame10Script = "";
        stopShop();
    }
}

TEST_F(Frame, AltEntriesRenderOnlyActiveDevices) {
    startShop(0, 1, 60);
    EXPECT_EQ(shop->updateAndRenderTanks(nullptr, 1), 1);
    EXPECT_EQ(shop->updateAndRenderTanks(display[0], 0), 0);
    EXPECT_EQ(shop->updateAndRenderTanks(display[0], 1), 0);
    devices[0]->isActive = 0;
    EXPECT_EQ(shop->updateAndRenderTanks(display[0], 1), 1);
    EXPECT_EQ(services.renders, (std::vector<float>{1.0f, 100.0f}));
    exitSaver = 1;
    EXPECT_EQ(shop->run(), 1); // the timer loop ends at once when exiting
    exitSaver = 0;
}

// A panel that cannot start fails the opening; a sound that cannot start is dropped.
TEST_F(Frame, PartsThatCannotStart) {
    struct Case {
        int panelInit, audioStart;
        bool open;
    } cases[] = {{1, 0, false}, {0, 1, true}};
    services.makePanel = services.makeAudio = true;
    for (auto const& c : cases) {
        SCOPED_TRACE(c.panelInit ? "panel" : "sound");
        services.panelInitResult = c.panelInit, services.audioStartResult = c.audioStart;
        ASSERT_EQ(initGlobals(), 0);
        shop = std::make_unique<CshopKeeper>(&services);
        shop->timerDriven = 1;
        shop->startup(0);
        EXPECT_EQ(shop->loadup(), 0);
        EXPECT_EQ(shop->shopIsOpen, c.open);
        EXPECT_EQ(shop->controlPanel != nullptr, c.open);
        EXPECT_EQ(shop->audioManager == nullptr, c.audioStart != 0);
        if (c.open) {
            startRunOrQuit = 1;
            addDevices(1, 60);
            stepFrames(3);
            EXPECT_EQ(masterFrame, 3);
        }
        stopShop();
    }
}

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

// The mouse moved from (0, 0) to (x, y) of a screen, handled by the next frame's input step.
void moveMouse(CshopKeeper& shop, int x, int y) {
    static CcountingDevice screen;
    screen.width = 400, screen.height = 300;
    shop.touchPointers[0].mouseMoved(0, 0, &screen);
    shop.touchPointers[0].mouseMoved(x, y, &screen);
    shop.frameGate = 1;
    shop.processMouseAndTouchEvents();
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
        moveMouse(*shop, 3, 4);
        EXPECT_EQ(shop->energyConserveOn, 0);
        EXPECT_FLOAT_EQ(shop->refreshRateFactor, 1.0f);
        EXPECT_EQ(shop->refreshesSinceDisplay, 0);
        EXPECT_EQ(activeTimes.c_str()[kHour], c.after);
        EXPECT_EQ(shop->energySavingBlocked, 0); // the mouse does not block saving
        shop->refreshesSinceDisplay = 4;
        moveMouse(*shop, 5, 6); // not saving: nothing
        EXPECT_EQ(shop->refreshesSinceDisplay, 4);
        stopShop();
    }
}

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

// A run that must end at once saves the settings and the registry, as a stop does; in the
// middle of a frame's update (a tank may be half built) the settings file stays as it is.
TEST_F(ShutDown, ASuddenEndSavesAsAStopDoesButNotInTheMiddleOfAnUpdate) {
    for (bool updating : {false, true}) {
        SCOPED_TRACE(updating);
        startShop();
        std::filesystem::remove(data.file("settings.txt"));
        std::filesystem::remove(data.file("registry.txt"));
        maxFishPerTank = 41;
        shop->updating = updating;
        shop->saveForSuddenEnd();
        EXPECT_EQ(pathExists(data.file("settings.txt")), !updating);
        EXPECT_NE(readWholeFile(data.file("registry.txt")).find(":set maxFishPerTank 41\n"),
                  std::string::npos);
        shop->updating = false;
        stopShop();
        maxFishPerTank = 70;
    }
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

// With a control panel a message is set as the page's text (a value, never script text)
// and shown in the scene; without one it goes to the logs and the platform's message box,
// and the run goes on. A screen saver, which reads no input, shows no note nobody can close:
// it goes to the logs.
TEST_F(Frame, MessagesShowOnThePanelOrInTheLogs) {
    char const sneaky[] = "quoted\" :set hacked 1 :s more \"";
    enum { PANEL, NO_PANEL, SAVER };
    for (int kind : {PANEL, NO_PANEL, SAVER}) {
        SCOPED_TRACE(kind);
        bool panel = kind != NO_PANEL;
        services.makePanel = panel;
        startShop(0, 1, 60);
        if (kind == SAVER) shop->hasMouse = 0;
        skipNSAlert = 0;
        size_t boxes = host.calls.size();
        ShowMessage(sneaky, "title", 1);
        skipNSAlert = 1;
        EXPECT_EQ(shop->findVariable("hacked"), nullptr);
        if (kind == SAVER) {
            Cvariable* flex = shop->findVariable("flexText");
            EXPECT_TRUE(flex == nullptr || *flex->getString() == 0) << "nothing shown";
            EXPECT_EQ(host.calls.size(), boxes);
            std::string told = readWholeFile(data.file("stdout_run.txt"));
            EXPECT_NE(told.find(std::string("message not shown (a screen saver reads no input): ") + sneaky),
                      std::string::npos)
                << told;
        } else if (panel) {
            Cvariable* flex = shop->findVariable("flexText");
            ASSERT_NE(flex, nullptr);
            EXPECT_STREQ(flex->getString(), sneaky);
            EXPECT_EQ(host.calls.size(), boxes); // the scene shows it, not a box
        } else {
            EXPECT_EQ(host.calls.size(), boxes + 1);
            EXPECT_TRUE(exitReasonList.empty()) << exitMsg.c_str();
            EXPECT_EQ(exitSaver, 0);
            EXPECT_EQ(scriptError, 0);
            std::string told = readWholeFile(data.file("stdout_run.txt"));
            EXPECT_NE(told.find(std::string("message: ") + sneaky), std::string::npos) << told;
            stepFrames(2);
            EXPECT_EQ(devices[0]->presents, 2) << "the run goes on";
        }
        stopShop();
        resetExitState();
        scriptError = 0;
    }
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
