// The interface's bitmap font: one strip of glyph pictures and a fixed character map.
//
// The strip is a one-channel picture "global/fonts/<name>.alpha". Its row 0 marks each
// glyph as a run of nonzero columns; the glyph's picture lies in rows 1 to height - 2 of
// those columns, upright. Glyphs 1 to 94 are "!" to "~", 95 sharp s, 96 to 101 the grave,
// acute, circumflex, tilde, diaeresis and ring accents, 102 the inverted question mark, 103
// the cedilla, 104 and 105 the slashed O and o. The character map turns a Latin-1 character
// into a base glyph (glyph index = code - 32), an accent drawn over it (an index itself)
// and a vertical scale for the base.
#pragma once

#include <cstdint>

#include "data/imageIO.h"

// Glyph slots: runs 1 to kMaxFontGlyphs - 1 of the strip are used.
constexpr int kMaxFontGlyphs = 120;
// The blank, as a base glyph code.
constexpr uint8_t kBlankGlyph = 32;

class CfishFont : public imageFile {
  public:
    CfishFont();
    // Loads the strip of that name and reads its glyph columns: 0 done (or already loaded),
    // 1 when the strip is missing or malformed (the font stays unloaded).
    int initFont(char const* fontName);
    void clearFont() { loaded = 0; }
    // Reads the glyph runs of the strip the image now holds: 0 done (loaded), 1 when it is
    // not a one-channel strip of bytes or holds too many runs (traced, nothing loaded).
    int readStrip();
    // Fills the character map (done by initFont).
    void setCharacterMap();
    // The number of glyphs the strip holds.
    int glyphCount() const { return glyphs; }

    uint8_t loaded = 0;
    int glyphStart[kMaxFontGlyphs] = {};
    int glyphWidth[kMaxFontGlyphs] = {};
    uint8_t baseGlyph[256] = {};
    uint8_t accentGlyph[256] = {};
    float glyphScale[256] = {};

  private:
    int glyphs = 0;
};

// A new font loaded by name; null when it does not load. The font loader of engineHooks
// (requestFont records the failure).
CfishFont* loadFishFont(char const* fontName);
