// Laying out and rendering text with the bitmap font.
//
// One routine does both passes: without an image it measures, word-wraps to the style's
// width and rewrites the text with explicit line breaks ("\" "n"); with an image it draws
// the glyphs. "|" and "\n" end a line; "`" draws nothing but marks a position; "_" and
// characters the map does not know are blanks.
#pragma once

#include "support/mystring.h"

class CfishFont;
class CtextureImage;
class imageFile;

// Lines a layout may hold.
constexpr int kMaxTextLines = 50;

// A layout request.
struct CfontStyle {
    float size = 0.0f;          // glyph height in pixels
    float letterSpacing = 1.0f; // factor of the letter gap
    float lineSpacing = 1.0f;   // factor of the size between baselines
    int wrapWidth = 0;          // pixels
    CfishFont* font = nullptr;
    short justification = 0; // 0 centres each line, else lines start at the left
};

// A layout result.
struct CreturnFontSpec {
    int textureWidth = 0, textureHeight = 0;
    int measuredWidth = 0, measuredHeight = 0;
    int lineWidth[kMaxTextLines] = {};
    int markerPosition = 0; // x of the "`" character
};

// Measures (image null: rewrites text with its line breaks, fills the measured sizes) or
// renders into channel 0 of an 8-bit image. 0 done, 1 failed (no font, too small a size,
// too many lines, a line too narrow to hold two characters).
int fillWithFont(Cstring& text, imageFile* image, CfontStyle& style, CreturnFontSpec& measured);
// The text measured, rewritten with its breaks and rendered into a new two-channel texture
// (power-of-two sides): channel 0 the letters, channel 1 the letters thickened. Null when
// the text cannot be laid out or measures nothing.
CtextureImage* texMapText(Cstring& text, CfontStyle& style, CreturnFontSpec& measured);
// The smallest power of two not below n (n >= 1); 0 for n below 1.
int powerOfTwoAtLeast(int n);
