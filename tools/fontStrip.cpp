#include "fontStrip.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "modelWriter.h"

namespace {

// Blank columns before the first glyph, between glyphs and after the last one. The reader
// draws one column to the left of each run, so a gap of at least two keeps neighbours out.
constexpr int kGap = 4;
// The glyph cell: rows 1 to height - 2.
constexpr int kCellRows = kFontStripHeight - 2;

// Owns the library and the face for one rendering.
struct CfreeType {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~CfreeType() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

// Sets the pixel size so that the face's descender to ascender fills the cell.
bool sizeToCell(FT_Face face) {
    double span = double(face->ascender - face->descender) / face->units_per_EM;
    if (!(span > 0)) return false;
    int pixels = static_cast<int>(std::floor(kCellRows / span));
    return pixels > 0 && FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixels)) == 0;
}

} // namespace

std::vector<uint32_t> const& fontStripCharacters() {
    static std::vector<uint32_t> const list = [] {
        std::vector<uint32_t> c;
        for (uint32_t ch = '!'; ch <= '~'; ch++)
            c.push_back(ch);
        // sharp s; grave, acute, circumflex, tilde, diaeresis, ring; inverted question
        // mark; cedilla; slashed O and o.
        for (uint32_t ch : {0xDFu, 0x60u, 0xB4u, 0x2C6u, 0x2DCu, 0xA8u, 0x2DAu, 0xBFu, 0xB8u, 0xD8u, 0xF8u})
            c.push_back(ch);
        return c;
    }();
    return list;
}

bool renderFontStrip(std::string const& fontFile, CfontStrip& strip, std::string& error) {
    CfreeType ft;
    if (FT_Init_FreeType(&ft.library) != 0) return error = "FreeType did not start", false;
    if (FT_New_Face(ft.library, fontFile.c_str(), 0, &ft.face) != 0)
        return error = "cannot read the font " + fontFile, false;
    if (!FT_IS_SCALABLE(ft.face) || !sizeToCell(ft.face))
        return error = "not a scalable font: " + fontFile, false;
    // Rows of the cell below the baseline.
    int descent = static_cast<int>(std::lround(-ft.face->size->metrics.descender / 64.0));

    struct Cglyph {
        int width = 0, rows = 0, left = 0, top = 0;
        std::vector<uint8_t> bitmap; // rows top first
    };
    std::vector<Cglyph> glyphs;
    for (uint32_t ch : fontStripCharacters()) {
        FT_UInt index = FT_Get_Char_Index(ft.face, ch);
        if (index == 0) {
            char text[64];
            std::snprintf(text, sizeof text, "the font has no character U+%04X", ch);
            return error = text, false;
        }
        if (FT_Load_Glyph(ft.face, index, FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0 ||
            ft.face->glyph->bitmap.pixel_mode != FT_PIXEL_MODE_GRAY)
            return error = "a glyph did not render", false;
        FT_Bitmap const& b = ft.face->glyph->bitmap;
        Cglyph g;
        g.width = static_cast<int>(b.width);
        g.rows = static_cast<int>(b.rows);
        g.top = ft.face->glyph->bitmap_top;
        for (int y = 0; y < g.rows; y++)
            for (int x = 0; x < g.width; x++)
                g.bitmap.push_back(b.buffer[y * b.pitch + x]);
        glyphs.push_back(std::move(g));
    }

    strip = CfontStrip();
    strip.height = kFontStripHeight;
    strip.width = kGap;
    for (Cglyph const& g : glyphs)
        strip.width += std::max(g.width, 1) + kGap;
    strip.pixels.assign(static_cast<size_t>(strip.width) * strip.height, 0);
    auto at = [&](int x, int y) -> uint8_t& {
        return strip.pixels[static_cast<size_t>(y) * strip.width + x];
    };
    int x0 = kGap;
    for (Cglyph const& g : glyphs) {
        int columns = std::max(g.width, 1);
        strip.start.push_back(x0);
        strip.columns.push_back(columns);
        for (int x = 0; x < columns; x++)
            at(x0 + x, 0) = 255;
        // Bitmap row k lies top - 1 - k rows above the baseline; the baseline sits descent
        // rows up from the cell's bottom row (row 1).
        for (int k = 0; k < g.rows; k++) {
            int row = 1 + descent + g.top - 1 - k;
            if (row < 1 || row > kCellRows) continue;
            for (int x = 0; x < g.width; x++)
                at(x0 + x, row) = g.bitmap[static_cast<size_t>(k) * g.width + x];
        }
        x0 += columns + kGap;
    }
    return true;
}

std::vector<std::string> const& fontFiles() {
    static std::vector<std::string> const files = {"global/fonts/gothic_extras.alpha"};
    return files;
}

int writeFont(std::string const& root, std::string const& fontFile) {
    CfontStrip strip;
    std::string error;
    if (!renderFontStrip(fontFile, strip, error)) {
        std::fprintf(stderr, "makeFont: %s\n", error.c_str());
        return 1;
    }
    std::string path = root + fontFiles()[0];
    if (!writeSgi(path, strip.width, strip.height, 1, strip.pixels)) {
        std::fprintf(stderr, "makeFont: could not write %s\n", path.c_str());
        return 1;
    }
    return 0;
}
