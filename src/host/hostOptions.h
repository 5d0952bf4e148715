// The program's command line: a window of its own (the default), a screen-saver hack
// drawing in a window it is given, or headless frames written to PNG files.
#pragma once

#include "support/mystring.h"

struct ChostOptions {
    enum Mode { kWindow, kHack, kHeadless };
    Mode mode = kWindow;
    int screens = 1;            // displays the window is split into, side by side
    bool root = false;          // hack: draw in the screen's real root window
    unsigned long windowId = 0; // hack: draw in this window
    int width = 1280, height = 720;
    int frames = 0;     // frames to run; 0 until stopped (headless: 1)
    int every = 0;      // headless: write every k-th frame (the file name has %d)
    Cstring screenshot; // headless: the PNG file (pattern)
    bool mute = false;  // no sound in this run (not kept)
    bool help = false;
    bool settings = false; // window: open the options sheet over the aquarium
    // Options that set the sheet's values for this run only (-1: as the sheet kept them).
    int fishPerTank = -1;     // 1 to 110
    int fishSizePercent = -1; // 50 to 200, 100 the normal size
    int saveChanges = -1;     // 0 or 1
    int allScreens = -1;      // 0 or 1
};

// Reads argv[1..argc-1]; saverWindow is the value of XSCREENSAVER_WINDOW (null when unset),
// the window drawn in when no mode or -root is given (an unusable value is refused); a
// window id given wins over -root. 0 parsed; 1 with the reason in error.
int parseHostOptions(int argc, char const* const* argv, char const* saverWindow, ChostOptions& out,
                     Cstring& error);
// Reads "WxH" with both sides 1 to 16384; 0 done.
int parseSize(char const* text, int& w, int& h);
// The usage text.
char const* hostUsage();

// Reads a window id as a screen-saver host gives it: "0x" hexadecimal or decimal, the
// whole text, not 0. 0 on success.
int parseWindowId(char const* text, unsigned long& id);
