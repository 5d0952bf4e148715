// Whole runs of the program in this process: headless frames, the red screen in the
// frames of a run without resources, SIGTERM ending a run with saved settings, and, under
// an X server, drawing in a window another program made.
#include "hostFixture.h" // before the X headers, whose None clashes with the test framework's

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <thread>

#include "app/hostLoop.h"
#include "host/glContext.h"
#include "host/pictureDecoders.h"

namespace {

#define REQUIRE_OFFSCREEN()                                                                                  \
    if (!offscreenContextsAvailable()) GTEST_SKIP() << "no EGL display: " << lastContextError()

using HostLoop = HostFixture;

ChostOptions headless(int w, int h, int frames, std::string const& shot) {
    ChostOptions o;
    o.mode = ChostOptions::kHeadless;
    o.width = w;
    o.height = h;
    o.frames = frames;
    o.screenshot = shot.c_str();
    return o;
}

PictureSink readPng(std::string const& path) {
    std::string bytes = readWholeFile(path);
    PictureSink sink;
    EXPECT_TRUE(decodePngPicture(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(), sink))
        << path;
    return sink;
}

char arg0[] = "velmora";
char* argv0[] = {arg0, nullptr};

TEST_F(HostLoop, HeadlessRunsWriteTheirFrames) {
    REQUIRE_OFFSCREEN();
    makeFolders(true);
    ChostOptions o = headless(48, 20, 6, data.file("f%d.png"));
    o.every = 2;
    o.screens = 2;
    EXPECT_EQ(runHost(o, 1, argv0), 0);
    for (int n : {2, 4, 6}) {
        PictureSink png = readPng(data.file(("f" + std::to_string(n) + ".png").c_str()));
        EXPECT_EQ(png.width, 48);
        EXPECT_EQ(png.height, 20);
    }
    EXPECT_FALSE(pathExists(data.file("f1.png")));
    EXPECT_FALSE(pathExists(data.file("f8.png")));
    EXPECT_NE(settingsText().find("crabMood"), std::string::npos);
}

TEST_F(HostLoop, MissingResourcesShowTheRedScreenAndFail) {
    REQUIRE_OFFSCREEN();
    makeFolders(false);
    EXPECT_EQ(runHost(headless(90, 40, 3, data.file("red.png")), 1, argv0), 1);
    PictureSink png = readPng(data.file("red.png"));
    ASSERT_EQ(png.width, 90);
    // The bottom-left corner holds no text: the clear colour (0.5, 0, 0).
    size_t corner = size_t(((png.height - 1) * png.width) * 4);
    EXPECT_NEAR(png.rgba[corner], 127.5, 0.6);
    EXPECT_EQ(png.rgba[corner + 1], 0);
    EXPECT_EQ(png.rgba[corner + 2], 0);
    EXPECT_NE(logs().find("couldn't locate resources!"), std::string::npos);
}

TEST_F(HostLoop, TermSignalStopsTheRunAndSavesTheSettings) {
    REQUIRE_OFFSCREEN();
    makeFolders(true);
    installStopSignals();
    std::thread signaller([] {
        usleep(300 * 1000);
        kill(getpid(), SIGTERM);
    });
    ChostOptions o = headless(32, 16, 0, ""); // no frame limit: only the signal ends it
    int status = runHost(o, 1, argv0);
    signaller.join();
    EXPECT_EQ(status, 0);
    EXPECT_EQ(stopSignalled, 1);
    EXPECT_NE(settingsText().find("crabMood"), std::string::npos);
    signal(SIGTERM, SIG_DFL);
    signal(SIGINT, SIG_DFL);
}

// An X window made here, as a screen-saver host makes one, shown and waited for.
struct TestWindow {
    Display* display = nullptr;
    Window window = 0;
    TestWindow(int w, int h) {
        display = XOpenDisplay(nullptr);
        if (!display) return;
        int screen = DefaultScreen(display);
        window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(w), unsigned(h), 0,
                                     BlackPixel(display, screen), BlackPixel(display, screen));
        XSelectInput(display, window, StructureNotifyMask);
        XMapWindow(display, window);
        for (XEvent e;;) {
            XNextEvent(display, &e);
            if (e.type == MapNotify) break;
        }
    }
    ~TestWindow() {
        if (!display) return;
        if (window) XDestroyWindow(display, window);
        XCloseDisplay(display);
    }
};

TEST_F(HostLoop, DrawsInAGivenWindowUnderX) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server ($DISPLAY unset): run the tests under xvfb-run";
    TestWindow target(120, 80);
    if (!target.display) GTEST_SKIP() << "cannot open the X display " << std::getenv("DISPLAY");
    makeFolders(false); // the red screen: a colour that is not black, known exactly
    ChostOptions o;
    o.mode = ChostOptions::kHack;
    o.windowId = target.window;
    o.frames = 30;
    EXPECT_EQ(runHost(o, 1, argv0), 1) << "the run ended on the resource error";
    // The last frame stays in the window after the run.
    XImage* image = XGetImage(target.display, target.window, 0, 0, 120, 80, AllPlanes, ZPixmap);
    ASSERT_NE(image, nullptr);
    unsigned long corner = XGetPixel(image, 2, 78);
    unsigned long red = (corner & image->red_mask) >> __builtin_ctzl(image->red_mask);
    unsigned long green = (corner & image->green_mask) >> __builtin_ctzl(image->green_mask);
    EXPECT_NEAR(double(red), 127.5, 0.6);
    EXPECT_EQ(green, 0u);
    int text = 0;
    for (int y = 0; y < 80; y++)
        for (int x = 0; x < 120; x++)
            text += (XGetPixel(image, x, y) & image->green_mask) != 0;
    EXPECT_GT(text, 0) << "the heading and the message are drawn";
    XDestroyImage(image);
}

} // namespace

namespace {

TEST_F(HostLoop, ADestroyedWindowEndsTheRunAndSaves) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no X server ($DISPLAY unset): run the tests under xvfb-run";
    TestWindow target(64, 48);
    if (!target.display) GTEST_SKIP() << "cannot open the X display " << std::getenv("DISPLAY");
    makeFolders(true);
    Window id = target.window;
    std::thread destroyer([id] {
        usleep(300 * 1000);
        Display* d = XOpenDisplay(nullptr);
        XDestroyWindow(d, id);
        XCloseDisplay(d);
    });
    ChostOptions o;
    o.mode = ChostOptions::kHack;
    o.windowId = id;
    int status = runHost(o, 1, argv0); // no frame limit: only the window's end stops it
    destroyer.join();
    target.window = 0;
    EXPECT_EQ(status, 0);
    EXPECT_NE(settingsText().find("crabMood"), std::string::npos);
}

} // namespace
