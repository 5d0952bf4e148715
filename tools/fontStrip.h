// The interface's bitmap font: one strip of glyph pictures rendered from a scalable font
// with FreeType, in the layout the engine's font reader expects.
//
// The strip is a one-channel 8-bit picture. Row 0 is the marker row: each glyph is a run
// of nonzero columns there, runs separated by blank columns. Rows 1 to height - 2 hold the
// pictures, upright (row 1 the bottom of the cell); the top row stays blank. Glyphs 1 to
// 94 are "!" to "~", then the extra glyphs the character map uses: sharp s, the six accents
// (grave, acute, circumflex, tilde, diaeresis, ring), the inverted question mark, the
// cedilla, and the slashed O in both cases.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Rows of the strip: the marker row, the glyph cells and one blank row on top.
constexpr int kFontStripHeight = 100;

// The characters of the strip, left to right (Unicode code points).
std::vector<uint32_t> const& fontStripCharacters();

struct CfontStrip {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels; // rows bottom first
    // Per glyph, in strip order: its first column and its column count.
    std::vector<int> start, columns;
};

// Renders the strip from the font file; false with the reason in error when the font
// cannot be read or lacks one of the characters.
bool renderFontStrip(std::string const& fontFile, CfontStrip& strip, std::string& error);

// The font files writeFont makes, relative to the resource tree's root.
std::vector<std::string> const& fontFiles();
// Writes "global/fonts/gothic_extras.alpha" under root (which ends with "/") from the font
// file; 0 done, 1 when it could not (the reason on stderr).
int writeFont(std::string const& root, std::string const& fontFile);
