#include "interface/fishFont.h"

#include <algorithm>

#include "support/cerr.h"

CfishFont::CfishFont() {
    setCharacterMap();
}

void CfishFont::setCharacterMap() {
    for (int c = 0; c < 256; c++) {
        baseGlyph[c] = kBlankGlyph;
        accentGlyph[c] = 0;
        glyphScale[c] = 1.0f;
    }
    for (int c = 33; c <= 126; c++)
        if (c != '_') baseGlyph[c] = static_cast<uint8_t>(c);
    // Accent glyphs: 96 grave, 97 acute, 98 circumflex, 99 tilde, 100 diaeresis, 101 ring,
    // 103 cedilla.
    struct Cmapped {
        int from, to;
        uint8_t base;
        uint8_t accents[6];
        float scale;
    };
    static Cmapped const map[] = {
        {192, 197, 'A', {96, 97, 98, 99, 100, 101}, 0.85f},
        {199, 199, 'C', {103}, 1.0f},
        {200, 203, 'E', {96, 97, 98, 100}, 0.85f},
        {204, 207, 'I', {96, 97, 98, 100}, 0.85f},
        {209, 209, 'N', {99}, 0.85f},
        {210, 214, 'O', {96, 97, 98, 99, 100}, 0.85f},
        {217, 220, 'U', {96, 97, 98, 100}, 0.85f},
        {221, 221, 'Y', {97}, 0.85f},
        {224, 229, 'a', {96, 97, 98, 99, 100, 101}, 1.0f},
        {231, 231, 'c', {103}, 1.0f},
        {232, 235, 'e', {96, 97, 98, 100}, 1.0f},
        {236, 239, '|', {96, 97, 98, 100}, 1.0f},
        {241, 241, 'n', {99}, 1.0f},
        {242, 246, 'o', {96, 97, 98, 99, 100}, 1.0f},
        {249, 252, 'u', {96, 97, 98, 100}, 1.0f},
        {253, 253, 'y', {97}, 1.0f},
    };
    for (Cmapped const& m : map)
        for (int c = m.from; c <= m.to; c++) {
            baseGlyph[c] = m.base;
            accentGlyph[c] = m.accents[c - m.from];
            glyphScale[c] = m.scale;
        }
    baseGlyph[191] = 134; // inverted question mark
    baseGlyph[216] = 136; // slashed O
    baseGlyph[223] = 127; // sharp s
    baseGlyph[248] = 137; // slashed o
}

int CfishFont::initFont(char const* fontName) {
    if (loaded) return 0;
    setCharacterMap();
    Cstring path = Cstring("global/fonts/") + (fontName ? fontName : "") + ".alpha";
    if (!loadImage(path.c_str(), true) || readStrip() != 0) {
        setExitError("font load failed", 1);
        return 1;
    }
    return 0;
}

int CfishFont::readStrip() {
    loaded = 0;
    glyphs = 0;
    for (int g = 0; g < kMaxFontGlyphs; g++)
        glyphStart[g] = glyphWidth[g] = 0;
    if (!hasPixels() || channels != 1 || pixelType != PIXEL_8BIT || height < 3 || rowCount != height) {
        VTRACE(1, "a font strip must be one channel of bytes, at least 3 rows high");
        return 1;
    }
    int runStart = -1;
    unsigned char const* marker = scanLines[0];
    for (int x = 0; x <= width - 2; x++) {
        bool on = marker[x] != 0;
        if (on && runStart < 0) {
            if (glyphs + 1 >= kMaxFontGlyphs) {
                // More glyphs than the map can name: not a strip of this font's layout.
                VTRACE(1, "xmc: the strip holds more than " << kMaxFontGlyphs - 1 << " glyphs");
                glyphs = 0;
                return 1;
            }
            runStart = x;
            glyphStart[++glyphs] = x;
        } else if (!on && runStart >= 0) {
            glyphWidth[glyphs] = (x - 1) - runStart;
            runStart = -1;
        }
    }
    if (runStart >= 0) glyphWidth[glyphs] = (width - 2) - runStart;
    loaded = 1;
    return 0;
}

CfishFont* loadFishFont(char const* fontName) {
    auto* font = new CfishFont();
    if (font->initFont(fontName) != 0) {
        delete font;
        return nullptr;
    }
    return font;
}
