// Whole runs of the program in this process: headless frames, the red screen of a run
// without resources, the sheet's options given on the command line, SIGTERM and a destroyed
// window ending a run with saved settings, and drawing in a window another program made
// (under an X server).
#include "hostFixture.h" // before the X headers, whose None clashes with the test framework's

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <string>
#include <thread>

#include "app/hostLoop.h"
#include "app/velmoraView.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "world/velmoraFunctions.h"

namespace {

#define REQUIRE_X()                                                                                          \
    if (!std::getenv("DISPLAY"))                                                                             \
    GTEST_SKIP() << "no X server ($DISPLAY unset): run the tests under "                                     \
                    "xvfb-run"

using HostLoop = HostFixture;

TEST_F(HostLoop, MissingResourcesShowTheRedScreenAndFail) {
    REQUIRE_OFFSCREEN();
    makeFolders(false);
    EXPECT_EQ(runProgram({"--headless", "90x40", "--frames", "3", "--screenshot", data.file("red.png")}), 1);
    EXPECT_EQ(shopKeeper, nullptr) << "no engine was started";
    PictureSink png = readPng(data.file("red.png"));
    ASSERT_EQ(png.width, 90);
    size_t corner = size_t(((png.height - 1) * png.width) * 4); // bottom left: no text there
    EXPECT_NEAR(png.rgba[corner], 127.5, 0.6);
    EXPECT_EQ(png.rgba[corner + 1] + png.rgba[corner + 2], 0);
    EXPECT_NE(logs().find("couldn't locate resources!"), std::string::npos);
}

// The help tells which options are kept for later runs as the sheet keeps them: an option
// leaves its value in the data folder or the saver defaults exactly when the help lists it
// there.
TEST_F(HostLoop, TheSheetsOptionsOnTheCommandLineAreKeptAsTheHelpSays) {
    REQUIRE_OFFSCREEN();
    makeFolders(true);
    std::string help = hostUsage();
    size_t at = help.find("kept for later runs");
    ASSERT_NE(at, std::string::npos) << help;
    std::vector<std::string> listed; // the words of the section's lines
    for (at = help.find('\n', at) + 1; help.compare(at, 2, "  ") == 0; at = help.find('\n', at) + 1) {
        std::string line = help.substr(at, help.find('\n', at) - at);
        for (char& c : line)
            if (c == ',') c = ' ';
        std::istringstream words(line);
        for (std::string w; words >> w;)
            listed.push_back(w);
    }
    struct Option {
        int run;
        std::vector<std::string> args;
        bool inDefaults; // else in "registry.txt"
        char const* kept;
    } options[] = {
        {0, {"--fish-per-tank", "12"}, false, "maxFishPerTank 12"},
        {0, {"--fish-size", "150"}, false, "fsSz 1.5"},
        {0, {"--no-save-changes"}, false, "nstch 1"},
        {0, {"--no-all-screens"}, true, "Use All Screens=false"},
        {0, {"--mute"}, false, "soundOff 1"},
        {1, {"--save-changes"}, false, "nstch 0"},
        {1, {"--all-screens"}, true, "Use All Screens=true"},
    };
    for (int run = 0; run < 2; run++) {
        std::vector<std::string> args = {"--headless", "32x18", "--frames", "2"};
        for (auto const& o : options)
            if (o.run == run) args.insert(args.end(), o.args.begin(), o.args.end());
        ASSERT_EQ(runProgram(args), 0);
        std::string registry = readWholeFile(data.file("registry.txt"));
        std::string defaults = readWholeFile(config.file("velmora/saver-defaults.conf"));
        for (auto const& o : options) {
            if (o.run != run) continue;
            bool inHelp = std::find(listed.begin(), listed.end(), o.args[0]) != listed.end();
            bool kept = (o.inDefaults ? defaults : registry).find(o.kept) != std::string::npos;
            EXPECT_EQ(inHelp, kept) << o.args[0]
                                    << (inHelp ? " is listed as kept" : " is not listed as kept");
        }
    }
    // A run without them keeps what the last one set.
    EXPECT_EQ(runProgram({"--headless", "32x18", "--frames", "1"}), 0);
    EXPECT_NE(readWholeFile(data.file("registry.txt")).find("fsSz 1.5"), std::string::npos);
}

// A saved tank that cannot be built ends the start; the settings holding it are set aside
// whole, so the next start begins from the defaults instead of ending the same way.
TEST_F(HostLoop, SettingsWhoseTankCannotBeBuiltAreSetAsideForTheNextStart) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    std::vector<std::string> run = {"--headless", "480x270", "--frames", "30"};
    ASSERT_EQ(runProgram(run), 0) << "the first start copies the resources";
    ASSERT_EQ(runProgram(run), 0) << "the second saves the settings";
    ASSERT_EQ(runProgram(run), 0) << "the third shows and saves the other tank too";
    std::string saved = settingsText();
    // Every fish's place, so whichever tank the next start shows cannot be built.
    std::string damaged = saved;
    for (size_t at = 0; (at = damaged.find(":set startPos ", at)) != std::string::npos; at++)
        damaged = damaged.substr(0, at) + ":set startPos nan 0 0" + damaged.substr(damaged.find('\n', at));
    ASSERT_NE(damaged, saved) << saved;
    writeWholeFile(data.file("settings.txt"), damaged);

    EXPECT_EQ(runProgram(run), 1);
    EXPECT_FALSE(pathExists(data.file("settings.txt")));
    // The run may have saved the settings again before it built the tank: the same tank.
    std::string aside = readWholeFile(data.file("settings.txt.damaged"));
    auto things = [](std::string const& text) {
        size_t n = 0;
        for (size_t at = 0; (at = text.find(":addThing ", at)) != std::string::npos; at++)
            n++;
        return n;
    };
    EXPECT_NE(aside.find("nan"), std::string::npos) << "nothing of it is lost";
    EXPECT_EQ(things(aside), things(saved));
    EXPECT_GT(things(saved), 10u);
    // A new process starts without the last one's exit reasons and script error.
    resetExitState();
    scriptError = 0;
    showInPreview = 0;
    EXPECT_EQ(runProgram(run), 0) << logs().substr(0, 2000);
    EXPECT_EQ(readWholeFile(data.file("settings.txt.damaged")), aside);
}

// A species script of the resource copy that does not parse ends the start too, but the
// copy is to blame: it is renewed from the install folder and the settings stay. (A model
// that cannot be read is the species tests' case: the engine keeps models it read within
// one process.)
TEST_F(HostLoop, ABrokenScriptOfTheResourceCopyRenewsTheCopyAndKeepsTheSettings) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    std::vector<std::string> run = {"--headless", "480x270", "--frames", "30"};
    ASSERT_EQ(runProgram(run), 0) << "the first start copies the resources";
    ASSERT_EQ(runProgram(run), 0) << "the second saves the settings";
    std::string species = "species/neon_tetra/neon_tetra.spec";
    std::string copy = data.file(("Resources/" + species).c_str());
    std::string installed = readWholeFile(std::string(VELMORA_GENERATED_RESOURCE_DIR) + species);
    ASSERT_FALSE(installed.empty());
    writeWholeFile(copy, "broken :a");

    EXPECT_EQ(runProgram(run), 1);
    EXPECT_EQ(readWholeFile(copy), installed) << "the copy is whole again";
    EXPECT_TRUE(pathExists(data.file("settings.txt")));
    EXPECT_FALSE(pathExists(data.file("settings.txt.damaged")));
    resetExitState();
    scriptError = 0;
    showInPreview = 0;
    EXPECT_EQ(runProgram(run), 0) << logs().substr(0, 2000);
    EXPECT_FALSE(pathExists(data.file("settings.txt.damaged")));
}

// Ends the run from another thread after a while, the way the outside world does.
void stopLater(std::thread& t, std::function<void()> how) {
    t = std::thread([how] {
        usleep(300 * 1000);
        how();
    });
}

TEST_F(HostLoop, TermSignalStopsTheRunAndSavesTheSettings) {
    REQUIRE_OFFSCREEN();
    makeFolders(true);
    installStopSignals();
    std::thread t;
    stopLater(t, [] { kill(getpid(), SIGTERM); });
    int status =
        runProgram({"--headless", "32x16", "--frames", "1000000"}); // only the signal ends it in time
    t.join();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(stopSignalled, 1);
    EXPECT_NE(settingsText().find("crabMood"), std::string::npos);
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
}

// An X window made here, as a screen-saver host makes one, shown and waited for.
struct TestWindow {
    Display* display = XOpenDisplay(nullptr);
    Window window = 0;
    TestWindow(int w, int h) {
        if (!display) return;
        int screen = DefaultScreen(display);
        window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(w), unsigned(h), 0,
                                     0, 0);
        XSelectInput(display, window, StructureNotifyMask);
        XMapWindow(display, window);
        for (XEvent e{}; e.type != MapNotify;)
            XNextEvent(display, &e);
    }
    ~TestWindow() {
        if (display && window) XDestroyWindow(display, window);
        if (display) XCloseDisplay(display);
    }
};

TEST_F(HostLoop, DrawsInAGivenWindowUnderX) {
    REQUIRE_X();
    ScopedDisplayLock display; // no other test's window over this one
    TestWindow target(120, 80);
    ASSERT_TRUE(target.display);
    makeFolders(false); // the red screen: a colour that is not black, known exactly
    EXPECT_EQ(runProgram({"-window-id", std::to_string(target.window), "--frames", "30"}), 1);
    // The last frame stays in the window after the run.
    XImage* image = XGetImage(target.display, target.window, 0, 0, 120, 80, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    unsigned long corner = XGetPixel(image, 2, 78);
    EXPECT_NEAR(double((corner & image->red_mask) >> __builtin_ctzl(image->red_mask)), 127.5, 0.6);
    EXPECT_EQ(corner & image->green_mask, 0u);
    int text = 0;
    for (int y = 0; y < 80; y++)
        for (int x = 0; x < 120; x++)
            text += (XGetPixel(image, x, y) & image->green_mask) != 0;
    EXPECT_GT(text, 0) << "the heading and the message are drawn";
    XDestroyImage(image);
}

// The run is stepped here, so that the window goes only once the program has drawn in it
// (a window gone before the GL context is made is a failure to start, another case).
TEST_F(HostLoop, ADestroyedWindowEndsTheRunAndSaves) {
    REQUIRE_X();
    ScopedDisplayLock display;
    TestWindow target(64, 48);
    ASSERT_TRUE(target.display);
    makeFolders(true);
    std::string id = std::to_string(target.window);
    char const* argv[] = {"velmora", "-window-id", id.c_str()};
    ChostOptions options;
    Cstring error;
    ASSERT_EQ(parseHostOptions(3, argv, nullptr, options, error), 0) << error;
    char name[] = "velmora";
    char* programArgv[] = {name, nullptr};
    ChostRun run;
    ASSERT_EQ(run.open(options, 1, programArgv), 0);
    while (run.frame < 5)
        ASSERT_TRUE(run.step()) << "the run ended by itself at frame " << run.frame;
    XDestroyWindow(target.display, target.window);
    XSync(target.display, False);
    target.window = 0;
    // The window's end reaches the program with its next events.
    int framesAfter = 0;
    while (run.step() && framesAfter < 600)
        framesAfter++;
    EXPECT_LT(framesAfter, 600) << "the run went on without its window";
    EXPECT_EQ(run.close(), 0);
    EXPECT_NE(settingsText().find("crabMood"), std::string::npos);
}

TEST_F(HostLoop, NoWindowToDrawInEndsWithAFailure) {
    makeFolders(true);
    char const* saved = std::getenv("DISPLAY");
    std::string kept = saved ? saved : "";
    setenv("DISPLAY", ":31999", 1); // no such server
    EXPECT_EQ(runProgram({"--window"}), 1);
    EXPECT_EQ(runProgram({"-root"}), 1);
    if (saved)
        setenv("DISPLAY", kept.c_str(), 1);
    else
        unsetenv("DISPLAY");
    EXPECT_EQ(shopKeeper, nullptr);
}

} // namespace
