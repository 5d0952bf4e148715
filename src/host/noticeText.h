// Text on the notice screens, drawn as bitmaps at the current raster position: with the
// window system's bitmap fonts when the program runs under X, else with a small font of
// its own (5 x 7 cells, upper case; headings drawn twice as large).
#pragma once

enum NoticeFont { kNoticeHeading = 0, kNoticeBody = 1 };

// Draws with the window system's fonts from now on; it connects to the X display named in
// argv (or $DISPLAY). Call once, only when an X display is in use.
void useWindowSystemFonts(int argc, char** argv);
bool windowSystemFontsInUse();

// Draws the characters one by one at the current raster position; empty or null text
// draws nothing.
void ourPrintString(NoticeFont font, char const* text);

// The built-in font: the 7 rows of the glyph drawn for c, top row first, the five low bits
// of each row its pixels (bit 4 the leftmost).
unsigned char const* builtInGlyph(char c);
// The advance of one built-in character in pixels.
int builtInAdvance(NoticeFont font);
