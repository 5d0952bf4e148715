// The program's command line, window ids, sizes and frame files: what is accepted, that
// every malformed input is refused with a reason instead of a guess, and refused writes.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "host/frameFiles.h"
#include "host/hostOptions.h"
#include "host/xHostWindow.h"
#include "testSupport.h"

namespace {

int parse(std::vector<char const*> args, ChostOptions& out, Cstring& error,
          char const* saverWindow = nullptr) {
    args.insert(args.begin(), "velmora");
    return parseHostOptions(static_cast<int>(args.size()), args.data(), saverWindow, out, error);
}

TEST(HostOptions, AcceptedCommandLines) {
    using O = ChostOptions;
    struct Case {
        std::vector<char const*> args;
        O::Mode mode;
        int screens, width, frames, every;
        unsigned long windowId;
        char const* saverWindow = nullptr;
        bool root = false; // the screen's real root window
    } cases[] = {
        {{}, O::kWindow, 1, 1280, 0, 0, 0},
        {{"--window", "--screens", "2"}, O::kWindow, 2, 1280, 0, 0, 0},
        {{"-window-id", "0x1a00007"}, O::kHack, 1, 1280, 0, 0, 0x1a00007},
        // The environment gives the window when no mode is on the command line (or -root, below).
        {{}, O::kHack, 1, 1280, 0, 0, 4194311, "4194311"},
        {{"--window"}, O::kWindow, 1, 1280, 0, 0, 0, "0x200003"},
        {{"-root"}, O::kHack, 1, 1280, 0, 0, 0, nullptr, true},
        {{"--root"}, O::kHack, 1, 1280, 0, 0, 0, nullptr, true},
        // A screen saver's root is its own window over the real one; it starts hacks so.
        {{"--root"}, O::kHack, 1, 1280, 0, 0, 0x600001, "0x600001"},
        {{"-root", "--fish-size", "120"}, O::kHack, 1, 1280, 0, 0, 0x600001, "0x600001"},
        // A window id wins over -root, given either way round, and over the environment.
        {{"-root", "--fish-size", "120", "--window-id", "0x45"}, O::kHack, 1, 1280, 0, 0, 0x45, "0x45"},
        {{"-window-id", "5", "-root"}, O::kHack, 1, 1280, 0, 0, 5},
        {{"-root", "-window-id", "5"}, O::kHack, 1, 1280, 0, 0, 5, "0x600001"},
        {{"--headless", "640x360"}, O::kHeadless, 1, 640, 1, 0, 0, "0x5"},
        {{"--headless", "64x8", "--frames", "9", "--screens", "8"}, O::kHeadless, 8, 64, 9, 0, 0},
        {{"--headless", "4x4", "--screenshot", "f%03d.png", "--every", "3"}, O::kHeadless, 1, 4, 1, 3, 0},
    };
    for (auto const& c : cases) {
        ChostOptions o;
        Cstring error;
        ASSERT_EQ(parse(c.args, o, error, c.saverWindow), 0) << error;
        EXPECT_EQ(o.mode, c.mode);
        EXPECT_EQ(o.screens, c.screens);
        EXPECT_EQ(o.width, c.width);
        EXPECT_EQ(o.frames, c.frames);
        EXPECT_EQ(o.every, c.every);
        EXPECT_EQ(o.windowId, c.windowId);
        EXPECT_EQ(o.root, c.root);
    }
    ChostOptions o;
    Cstring error;
    ASSERT_EQ(parse({"-root"}, o, error), 0);
    EXPECT_TRUE(o.root);
    ChostOptions muted;
    ASSERT_EQ(parse({"-root", "--mute"}, muted, error), 0);
    EXPECT_TRUE(muted.mute && !o.mute);
    // The engine changes folder: a relative picture name is taken from where the program
    // started, an absolute one as given.
    for (char const* name : {"shot.png", "/tmp/shot.png"}) {
        ChostOptions shot;
        ASSERT_EQ(parse({"--headless", "4x4", "--screenshot", name}, shot, error), 0) << error;
        std::string expected = name[0] == '/' ? name : (std::filesystem::current_path() / name).string();
        EXPECT_EQ(std::string(shot.screenshot.c_str()), expected);
    }
}

TEST(HostOptions, TheSheetsOptions) {
    struct Case {
        std::vector<char const*> args;
        int fish, size, save, allScreens;
        bool mute, settings;
        char const* saverWindow = nullptr;
    } cases[] = {
        {{}, -1, -1, -1, -1, false, false},
        {{"--fish-per-tank", "1", "--fish-size", "50"}, 1, 50, -1, -1, false, false},
        {{"--fish-per-tank", "110", "--fish-size", "200", "--no-save-changes"},
         110,
         200,
         0,
         -1,
         false,
         false},
        // The last of two contrary switches stands.
        {{"--no-save-changes", "--save-changes", "--all-screens", "--no-all-screens"},
         -1,
         -1,
         1,
         0,
         false,
         false},
        {{"-root", "--mute", "--all-screens"}, -1, -1, -1, 1, true, false},
        // The sheet is a window of the program's own, even where a screen saver names one.
        {{"--settings"}, -1, -1, -1, -1, false, true, "0x200003"},
    };
    for (auto const& c : cases) {
        ChostOptions o;
        Cstring error;
        ASSERT_EQ(parse(c.args, o, error, c.saverWindow), 0) << error;
        EXPECT_EQ(o.fishPerTank, c.fish);
        EXPECT_EQ(o.fishSizePercent, c.size);
        EXPECT_EQ(o.saveChanges, c.save);
        EXPECT_EQ(o.allScreens, c.allScreens);
        EXPECT_EQ(o.mute, c.mute);
        EXPECT_EQ(o.settings, c.settings);
        if (c.settings) EXPECT_EQ(o.mode, ChostOptions::kWindow);
    }
    // The usage lists every one of them.
    for (char const* name :
         {"--settings", "--fish-per-tank", "--fish-size", "--no-save-changes", "--all-screens", "--mute"})
        EXPECT_NE(std::string(hostUsage()).find(name), std::string::npos) << name;
}

TEST(HostOptions, MalformedCommandLinesAreRefusedWithAReason) {
    struct Case {
        std::vector<char const*> args;
        char const* saverWindow;
        char const* reason; // a part of the error text
    } cases[] = {
        {{"--bogus"}, nullptr, "unknown option: --bogus"},
        {{"--screens"}, nullptr, "missing value"},
        {{"--screens", "0"}, nullptr, "1 to 8"},
        {{"--screens", "9"}, nullptr, "1 to 8"},
        {{"--screens", "2x"}, nullptr, "1 to 8"},
        {{"--screens", ""}, nullptr, "1 to 8"},
        {{"-window-id"}, nullptr, "missing value"},
        {{"-window-id", "0"}, nullptr, "window id"},
        {{"-window-id", "12z"}, nullptr, "window id"},
        {{}, "nonsense", "XSCREENSAVER_WINDOW"},
        {{"-root"}, "0x5junk", "XSCREENSAVER_WINDOW is not a window id: 0x5junk"},
        {{}, "", "XSCREENSAVER_WINDOW"},
        {{"--headless", "640"}, nullptr, "WxH"},
        {{"--headless", "640x"}, nullptr, "WxH"},
        {{"--headless", "0x360"}, nullptr, "WxH"},
        {{"--headless", "640x360x2"}, nullptr, "WxH"},
        {{"--headless", "4x4", "-root"}, nullptr, "cannot draw in a window"},
        {{"--headless", "4x4", "--screens", "5"}, nullptr, "one pixel per screen"},
        {{"--headless", "4x4", "--frames", "0"}, nullptr, "count"},
        {{"--headless", "4x4", "--frames", "1e3"}, nullptr, "count"},
        {{"--screenshot", "a.png"}, nullptr, "need --headless"},
        {{"--headless", "4x4", "--screenshot", ""}, nullptr, "file name"},
        {{"--headless", "4x4", "--every", "2"}, nullptr, "needs --screenshot"},
        {{"--headless", "4x4", "--screenshot", "a.png", "--every", "2"}, nullptr, "%d"},
        {{"--headless", "4x4", "--screenshot", "a%s.png"}, nullptr, "% field"},
        {{"--headless", "4x4", "--screenshot", "a%d%d.png", "--every", "1"}, nullptr, "% field"},
        {{"--headless", "4x4", "--screenshot", "a%d.png", "--every", "0"}, nullptr, "count"},
        {{"--fish-per-tank", "0"}, nullptr, "1 to 110"},
        {{"--fish-per-tank", "111"}, nullptr, "1 to 110"},
        {{"--fish-per-tank"}, nullptr, "missing value"},
        {{"--fish-size", "49"}, nullptr, "50 to 200"},
        {{"--fish-size", "201"}, nullptr, "50 to 200"},
        {{"--fish-size", "1.5"}, nullptr, "50 to 200"},
        {{"--settings", "--headless", "4x4"}, nullptr, "own window"},
        {{"--settings", "-root"}, nullptr, "own window"},
    };
    for (auto const& c : cases) {
        std::string line;
        for (char const* a : c.args)
            line += std::string(a) + " ";
        SCOPED_TRACE(line);
        ChostOptions o;
        Cstring error;
        EXPECT_EQ(parse(c.args, o, error, c.saverWindow), 1);
        EXPECT_NE(std::string(error.c_str()).find(c.reason), std::string::npos) << error;
    }
}

TEST(FrameFiles, NumberedNames) {
    struct Case {
        char const* pattern;
        int n;
        char const* name;
    } cases[] = {
        {"out.png", 7, "out.png"},
        {"f%d.png", 12, "f12.png"},
        {"f%04d.png", 12, "f0012.png"},
        {"f%3d.png", 5, "f  5.png"},
        {"100%%_%d.png", 3, "100%_3.png"},
        {"a%d%d.png", 1, ""},
        {"a%s.png", 1, ""},
        {"a%123d.png", 1, ""},
        {"trailing%", 1, ""},
        {"", 4, ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(frameFileName(c.pattern, c.n), c.name) << c.pattern;
}

TEST(FrameFiles, RefusedWrites) {
    TempDir dir;
    uint8_t px[4] = {1, 2, 3, 4};
    EXPECT_EQ(writeFramePng(dir.file("no/such/folder/f.png").c_str(), 1, 1, px), 1);
    EXPECT_EQ(writeFramePng(dir.file("f.png").c_str(), 0, 1, px) + writeFramePng(nullptr, 1, 1, px), 2);
    EXPECT_FALSE(pathExists(dir.file("f.png")));
}

} // namespace
