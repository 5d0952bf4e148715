#include "host/hostOptions.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "host/frameFiles.h"
#include "host/sheetWindow.h"

namespace {

// A whole decimal number from lo to hi; 0 done.
int parseCount(char const* text, int lo, int hi, int& value) {
    if (!text || *text < '0' || *text > '9') return 1;
    errno = 0;
    char* end = nullptr;
    long v = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) return 1;
    value = static_cast<int>(v);
    return 0;
}

bool is(char const* arg, char const* name) {
    return std::strcmp(arg, name) == 0;
}

} // namespace

int parseSize(char const* text, int& w, int& h) {
    char const* x = text ? std::strchr(text, 'x') : nullptr;
    if (!x) return 1;
    std::string width(text, static_cast<size_t>(x - text));
    return parseCount(width.c_str(), 1, 16384, w) || parseCount(x + 1, 1, 16384, h) ? 1 : 0;
}

int parseHostOptions(int argc, char const* const* argv, char const* saverWindow, ChostOptions& out,
                     Cstring& error) {
    out = ChostOptions();
    bool modeGiven = false, headless = false, hack = false, framesGiven = false;
    auto fail = [&](char const* reason, char const* arg) {
        error = Cstring(reason) + (arg ? Cstring(": ") + arg : Cstring());
        return 1;
    };
    for (int i = 1; i < argc; i++) {
        char const* arg = argv[i] ? argv[i] : "";
        bool hasValue = i + 1 < argc && argv[i + 1];
        char const* value = hasValue ? argv[i + 1] : nullptr;
        bool takesValue = is(arg, "--screens") || is(arg, "-window-id") || is(arg, "--window-id") ||
                          is(arg, "--headless") || is(arg, "--frames") || is(arg, "--screenshot") ||
                          is(arg, "--every") || is(arg, "--fish-per-tank") || is(arg, "--fish-size");
        if (takesValue && !hasValue) return fail("missing value after", arg);
        if (is(arg, "--help") || is(arg, "-h")) {
            out.help = true;
        } else if (is(arg, "--window")) {
            modeGiven = true;
        } else if (is(arg, "--mute")) {
            out.mute = true;
        } else if (is(arg, "--screens")) {
            if (parseCount(value, 1, 8, out.screens)) return fail("--screens takes 1 to 8", value);
            i++;
        } else if (is(arg, "-root") || is(arg, "--root")) {
            hack = modeGiven = true;
            out.root = true;
        } else if (is(arg, "-window-id") || is(arg, "--window-id")) {
            if (parseWindowId(value, out.windowId)) return fail("not a window id", value);
            hack = modeGiven = true;
            i++;
        } else if (is(arg, "--headless")) {
            if (parseSize(value, out.width, out.height)) return fail("--headless takes WxH", value);
            headless = modeGiven = true;
            i++;
        } else if (is(arg, "--frames")) {
            if (parseCount(value, 1, 1000000000, out.frames)) return fail("--frames takes a count", value);
            framesGiven = true;
            i++;
        } else if (is(arg, "--screenshot")) {
            if (!*value) return fail("--screenshot takes a file name", nullptr);
            // The engine works in its data folder: a name relative to where the program was
            // started is made whole now, so the picture lands where it was asked for.
            out.screenshot = value;
            if (value[0] != '/') {
                std::error_code ec;
                std::filesystem::path here = std::filesystem::current_path(ec);
                if (!ec) out.screenshot = Cstring((here / value).string().c_str());
            }
            i++;
        } else if (is(arg, "--every")) {
            if (parseCount(value, 1, 1000000000, out.every)) return fail("--every takes a count", value);
            i++;
        } else if (is(arg, "--settings")) {
            out.settings = modeGiven = true;
        } else if (is(arg, "--fish-per-tank")) {
            if (parseCount(value, 1, 110, out.fishPerTank))
                return fail("--fish-per-tank takes 1 to 110", value);
            i++;
        } else if (is(arg, "--fish-size")) {
            if (parseCount(value, int(kSizeSliderMin), int(kSizeSliderMax), out.fishSizePercent))
                return fail("--fish-size takes a percentage from 50 to 200", value);
            i++;
        } else if (is(arg, "--save-changes") || is(arg, "--no-save-changes")) {
            out.saveChanges = is(arg, "--save-changes") ? 1 : 0;
        } else if (is(arg, "--all-screens") || is(arg, "--no-all-screens")) {
            out.allScreens = is(arg, "--all-screens") ? 1 : 0;
        } else {
            return fail("unknown option", arg);
        }
    }
    if (headless && hack) return fail("--headless cannot draw in a window", nullptr);
    // A screen saver's settings tool gives its preview pane after the description's -root.
    if (out.windowId) out.root = false;
    // Under a screen saver "the root" is its own window covering the screen (the real root
    // lies hidden beneath it); with nothing said, the screen's real root window.
    if ((!modeGiven || out.root) && saverWindow) {
        if (parseWindowId(saverWindow, out.windowId))
            return fail("XSCREENSAVER_WINDOW is not a window id", saverWindow);
        out.root = false;
        hack = true;
    }
    if (!headless && (!out.screenshot.empty() || out.every))
        return fail("--screenshot and --every need --headless", nullptr);
    if (out.every && out.screenshot.empty()) return fail("--every needs --screenshot", nullptr);
    if (!out.screenshot.empty()) {
        std::string first = frameFileName(out.screenshot.c_str(), 1);
        if (first.empty())
            return fail("the screenshot name holds an unusable % field", out.screenshot.c_str());
        if (out.every && first == out.screenshot.c_str())
            return fail("--every needs %d in the file name", nullptr);
    }
    if (headless && out.width < out.screens) return fail("narrower than one pixel per screen", nullptr);
    if (out.settings && (headless || hack))
        return fail("--settings opens over the program's own window", nullptr);
    if (headless && !framesGiven) out.frames = 1;
    out.mode = headless ? ChostOptions::kHeadless : hack ? ChostOptions::kHack : ChostOptions::kWindow;
    error = "";
    return 0;
}

char const* hostUsage() {
    return "usage: velmora [--window] [--screens N] [--settings] [OPTIONS]\n"
           "       velmora -root | -window-id ID [OPTIONS] (screen-saver hack; -root or nothing:\n"
           "               the window in XSCREENSAVER_WINDOW when set)\n"
           "       velmora --headless WxH [--frames N] [--screenshot FILE.png [--every K]] [OPTIONS]\n"
           "  --screens N     split the window into N displays (1 to 8)\n"
           "  --settings      open the options sheet over the aquarium's window\n"
           "  --frames N      stop after N frames\n"
           "  --screenshot F  write the last frame (or, with --every K, every K-th frame to F,\n"
           "                  whose %d is the frame number) as PNG\n"
           "  --mute          play no sound in this run (\"soundOff\" in registry.txt silences\n"
           "                  every run)\n"
           "options of the sheet, for this run only (a run without one does what the sheet\n"
           "last kept; the sheet keeps what is changed on it):\n"
           "  --fish-per-tank N                 at most N fish in a tank (1 to 110); a run that\n"
           "                                    leaves fish of a saved tank out saves no tanks\n"
           "  --fish-size PERCENT               fish size, 100 the normal size (50 to 200)\n"
           "  --save-changes, --no-save-changes whether changes to the tanks are saved\n"
           "  --all-screens, --no-all-screens   the sheet's \"Use All Screens\" box\n";
}

int parseWindowId(char const* text, unsigned long& id) {
    id = 0;
    if (!text || !*text || *text == '-' || *text == '+' || *text == ' ') return 1;
    bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    char const* digits = hex ? text + 2 : text;
    if (!*digits || *digits == '-' || *digits == '+' || *digits == ' ') return 1;
    errno = 0;
    char* end = nullptr;
    unsigned long value = std::strtoul(digits, &end, hex ? 16 : 10);
    if (errno != 0 || *end != '\0' || value == 0 || value > 0xFFFFFFFFul) return 1;
    id = value;
    return 0;
}
