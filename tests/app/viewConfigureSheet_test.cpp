// The view's configure sheet: opening it (twice) with the options as they are, the "Use
// All Screens" box kept in the saver defaults with the heads-up display always off, what its
// close keeps kept by the ends of a run, and a new fish size bringing the tanks back at that
// size.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cmath>
#include <memory>

#include "app/optionsSheet.h"
#include "app/velmoraView.h"
#include "graphics/graphicsMaster.h"
#include "host/hostServices.h"
#include "host/saverDefaults.h"
#include "hostFixture.h"
#include "sheetTestSupport.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {

using ViewConfigureSheet = HostFixture;

std::unique_ptr<CvelmoraView> makeView(double w, double h) {
    return std::make_unique<CvelmoraView>(CviewRect{0, 0, w, h}, createOffscreenContext(int(w), int(h)),
                                          false);
}

Ctank* shownTank() {
    return numDisplays > 0 && display[0] ? display[0]->tank : nullptr;
}

TEST_F(ViewConfigureSheet, OpeningTwiceReadsTheOptionsEachTime) {
    makeFolders(false);
    CsheetTestServices services;
    CvelmoraView view(CviewRect{0, 0, 640, 360}, nullptr, false);
    ASSERT_NE(view.configureSheet(), nullptr);
    CrecordingSheetWindow* window = services.lastWindow;
    EXPECT_TRUE(window->visible);
    EXPECT_EQ(skipNSAlert, 0) << "alerts show while the sheet is open";
    EXPECT_EQ(std::string(window->shown.maxFishPerTank.c_str()), "70");
    maxFishPerTank = 33;
    updateDays = -1;
    ASSERT_EQ(view.configureSheet(), window);
    EXPECT_EQ(std::string(window->shown.maxFishPerTank.c_str()), "33");
    EXPECT_EQ(window->shown.updateIndex, 3);
    EXPECT_EQ(services.lastWindow, window) << "one window for the view";
    // The web layer's messages go to the sheet's status line while it is open.
    installSheetHooks();
    engineHooks.sheetMessage("Download completed");
    EXPECT_EQ(std::string(window->shown.statusLine.c_str()), "Download completed");
    view.closeSheet();
    EXPECT_FALSE(window->visible);
    EXPECT_EQ(skipNSAlert, 1);
    EXPECT_NE(readWholeFile(data.file("registry.txt")).find("maxFishPerTank 33"), std::string::npos);
    engineHooks.sheetMessage("after closing");
    EXPECT_EQ(std::string(window->shown.statusLine.c_str()), "Download completed");
    // Ended by the engine (an installed update): the window goes and nothing is written.
    std::filesystem::remove(data.file("registry.txt"));
    ASSERT_NE(view.configureSheet(), nullptr);
    engineHooks.endConfigureSheet();
    EXPECT_FALSE(window->visible);
    EXPECT_EQ(skipNSAlert, 0) << "as for any sheet closed another way than its button";
    EXPECT_FALSE(pathExists(data.file("registry.txt")));
    skipNSAlert = 1;
    // Without a window system there is no sheet, and alerts stay off.
    services.windowsAvailable = false;
    CvelmoraView other(CviewRect{0, 0, 640, 360}, nullptr, false);
    EXPECT_EQ(other.configureSheet(), nullptr);
    EXPECT_EQ(skipNSAlert, 1);
}

TEST_F(ViewConfigureSheet, UseAllScreensIsKeptAndTheHeadsUpDisplayAlwaysOff) {
    makeFolders(false);
    CsheetTestServices services;
    for (bool before : {true, false}) {
        SCOPED_TRACE(before);
        std::filesystem::create_directories(config.path() + "velmora");
        writeWholeFile(config.file("velmora/saver-defaults.conf"),
                       std::string("[Velmora]\nHeads Up Display=true\nUse All Screens=") +
                           (before ? "true" : "false") + "\n");
        {
            CvelmoraView view(CviewRect{0, 0, 640, 360}, nullptr, false);
            EXPECT_EQ(gUseAllScreens, before ? 1 : 0) << "read as the view is made";
            ASSERT_NE(view.configureSheet(), nullptr);
            CrecordingSheetWindow* window = services.lastWindow;
            EXPECT_EQ(window->shown.useAllScreens, before ? 1 : 0);
            window->shown.useAllScreens = before ? 0 : 1; // the user toggles the box
            services.actions->useAllScreensClicked();
            EXPECT_EQ(gUseAllScreens, before ? 0 : 1);
            services.actions->closeClicked();
        }
        CsaverDefaults kept;
        ASSERT_EQ(readSaverDefaults(kept), 0);
        EXPECT_EQ(kept.useAllScreens, !before);
        EXPECT_FALSE(kept.headsUpDisplay);
        CvelmoraView reopened(CviewRect{0, 0, 640, 360}, nullptr, false);
        ASSERT_NE(reopened.configureSheet(), nullptr);
        EXPECT_EQ(services.lastWindow->shown.useAllScreens, before ? 0 : 1);
        reopened.closeSheet();
    }
}

// What the sheet's close keeps (the registry and the saver defaults, together) is kept too
// when the run ends at once with the sheet open (its display lost), and when its options
// waited for another run that kept the data folder and has ended since, whether this run
// then ends at once or stops before its next frame; neither while that run keeps it still.
TEST_F(ViewConfigureSheet, AnEndKeepsWhatTheSheetsCloseKeeps) {
    REQUIRE_OFFSCREEN();
    makeFolders(false);
    CsheetTestServices services;
    enum Other { NONE, ENDS, KEEPS }; // another run that keeps the data folder
    struct Case {
        char const* name;
        bool sudden;      // else a stop
        bool closedFirst; // the sheet closed (while the other run kept the folder)
        Other other;
    } const cases[] = {
        {"display lost, sheet open", true, false, NONE},
        {"display lost, sheet open, the other run ended", true, false, ENDS},
        {"display lost, sheet open, the other run goes on", true, false, KEEPS},
        {"display lost, options waiting, the other run ended", true, true, ENDS},
        {"stop, sheet open", false, false, NONE},
        {"stop, sheet open, the other run ended", false, false, ENDS},
        {"stop, options waiting, the other run ended", false, true, ENDS},
        {"stop, options waiting, the other run goes on", false, true, KEEPS},
    };
    std::string const registry = data.file("registry.txt"),
                      defaults = config.file("velmora/saver-defaults.conf");
    for (auto const& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(registry);
        std::filesystem::remove(defaults);
        int held = c.other == NONE ? -1 : open(data.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (held >= 0) ASSERT_EQ(flock(held, LOCK_EX), 0);
        auto view = makeView(64, 36);
        addWindow(view.get()); // as its start adds it, without an engine
        EXPECT_EQ(dataFolderHeldElsewhere, c.other != NONE);
        ASSERT_NE(view->configureSheet(), nullptr);
        CrecordingSheetWindow& window = *services.lastWindow;
        window.shown.maxFishPerTank = "40";
        services.actions->settingChanged();
        window.shown.useAllScreens = 1;
        services.actions->useAllScreensClicked();
        if (c.closedFirst) {
            services.actions->closeClicked();
            EXPECT_FALSE(pathExists(registry) || pathExists(defaults)) << "they wait";
        }
        if (c.other == ENDS) close(held);
        if (c.sudden)
            saveAtSuddenEnd();
        else
            view->stopAnimation();
        bool kept = c.other != KEEPS;
        EXPECT_EQ(readWholeFile(registry).find(":set maxFishPerTank 40\n") != std::string::npos, kept);
        EXPECT_EQ(readWholeFile(defaults).find("Use All Screens=true") != std::string::npos, kept);
        if (c.other == KEEPS) close(held);
        view.reset();
        freeGlobals();
        maxFishPerTank = 70;
    }
}

TEST_F(ViewConfigureSheet, OnlyANewFishSizeStartsTheEngineAgain) {
    REQUIRE_OFFSCREEN();
    makeFolders(true);
    CsheetTestServices services;
    auto view = makeView(64, 36);
    view->startAnimation();
    view->animateOneFrame();
    ASSERT_NE(shownTank(), nullptr);
    for (double size : {100.0, 150.0}) {
        SCOPED_TRACE(size);
        ASSERT_NE(view->configureSheet(), nullptr);
        services.lastWindow->shown.sizeSlider = size;
        services.actions->settingChanged();
        services.actions->closeClicked();
        EXPECT_EQ(performEngineRestart(), size != 100.0);
        view->animateOneFrame();
        ASSERT_NE(shownTank(), nullptr);
        EXPECT_NEAR(shownTank()->tankScale, 100.0f / float(size), 1e-5f);
    }
    EXPECT_TRUE(exitReasonList.empty());
    view->stopAnimation();
    EXPECT_EQ(shopKeeper, nullptr);
}

} // namespace
