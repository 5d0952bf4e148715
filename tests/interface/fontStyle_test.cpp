// The bitmap font and its layout, over strips the tests write: loading and its refusals,
// the character map, accents and scales, line breaks, wrapping, the marker and the limits.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "data/imageIO.h"
#include "graphics/textureImage.h"
#include "data/dataArray.h"
#include "interface/fishFont.h"
#include "interface/fontStyle.h"
#include "support/cerr.h"
#include "support/traceCapture.h"
#include "testSupport.h"

namespace {

// Strip rows: marker, a cell of 20 rows, the blank top row.
constexpr int kRows = 22;
constexpr int kCell = kRows - 2;
constexpr int kGlyphs = 105;
constexpr int kColumns = 4; // each glyph's run; its width is kColumns - 1

bool isAccent(int glyph) {
    return (glyph >= 96 && glyph <= 101) || glyph == 103;
}

class Fonts : public ::testing::Test {
  protected:
    void SetUp() override {
        saved = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        std::filesystem::create_directories("global/fonts");
        resetExitState();
    }
    void TearDown() override {
        std::filesystem::current_path(saved);
        resetExitState();
    }
    // A strip of `glyphs` runs; pixel(glyph, cell row 0..kCell-1 from the bottom) is its
    // picture. Base glyphs are lit in their lower 14 rows (200), accents in their top 4 (100).
    static void writeStrip(char const* name, int glyphs, int channels = 1,
                           std::function<int(int, int)> pixel = nullptr) {
        if (!pixel)
            pixel = [](int g, int row) {
                return isAccent(g) ? (row >= kCell - 4 ? 100 : 0) : (row < 14 ? 200 : 0);
            };
        int width = 2 + glyphs * (kColumns + 2) + 2;
        imageFile im;
        ASSERT_TRUE(im.init(static_cast<uint16_t>(width), kRows, static_cast<uint16_t>(channels), PIXEL_8BIT,
                            kRows, 2));
        for (int g = 1; g <= glyphs; g++) {
            int x0 = 2 + (g - 1) * (kColumns + 2);
            for (int x = x0; x < x0 + kColumns; x++) {
                im.getScanLineAddress(x, 0, 0)[0] = 255;
                for (int row = 0; row < kCell; row++)
                    im.getScanLineAddress(x, row + 1, 0)[0] = static_cast<uint8_t>(pixel(g, row));
            }
        }
        ASSERT_NE(im.saveSGI((std::string("global/fonts/") + name + ".alpha").c_str()), 0);
    }
    // The style of a strip font of size 20 (scale 1), left-justified, not wrapping.
    CfontStyle style(CfishFont& font, int wrap = 10000) {
        CfontStyle s;
        s.size = 20.0f;
        s.lineSpacing = 1.1f;
        s.wrapWidth = wrap;
        s.font = &font;
        s.justification = 1;
        return s;
    }
    // Measures text (rewriting it); the measured.
    CreturnFontSpec measure(CfishFont& font, Cstring& text, int wrap = 10000) {
        CfontStyle s = style(font, wrap);
        CreturnFontSpec measured;
        EXPECT_EQ(fillWithFont(text, nullptr, s, measured), 0) << text.c_str();
        return measured;
    }
    // Measures and renders text into a one-channel image.
    std::unique_ptr<imageFile> render(CfishFont& font, char const* text) {
        Cstring t(text);
        CreturnFontSpec measured = measure(font, t);
        auto im = std::make_unique<imageFile>();
        im->init(static_cast<uint16_t>(measured.measuredWidth + 8),
                 static_cast<uint16_t>(measured.measuredHeight), 1, PIXEL_8BIT,
                 static_cast<uint16_t>(measured.measuredHeight), 2);
        CfontStyle s = style(font);
        EXPECT_EQ(fillWithFont(t, im.get(), s, measured), 0);
        return im;
    }
    TempDir dir;
    std::filesystem::path saved;
};

// A strip is read run by run; one that is missing, not one channel of bytes, or holds more
// glyphs than the map can name is refused with "font load failed" and stays unloaded.
TEST_F(Fonts, LoadingReadsTheRunsOrRefusesTheStrip) {
    writeStrip("good", kGlyphs);
    CfishFont good;
    ASSERT_EQ(good.initFont("good"), 0);
    EXPECT_EQ(good.glyphCount(), kGlyphs);
    EXPECT_EQ(good.glyphStart[1], 2);
    EXPECT_EQ(good.glyphWidth[1], kColumns - 1);
    EXPECT_EQ(good.glyphStart[kGlyphs], 2 + (kGlyphs - 1) * (kColumns + 2));
    EXPECT_EQ(good.initFont("good"), 0) << "loading again changes nothing";

    writeStrip("rgb", 10, 3);
    writeStrip("crowded", kMaxFontGlyphs + 5);
    writeWholeFile(dir.file("global/fonts/junk.alpha"), "not a picture");
    for (char const* name : {"missing", "rgb", "crowded", "junk"}) {
        SCOPED_TRACE(name);
        TraceCapture trace(1);
        CfishFont font;
        EXPECT_EQ(font.initFont(name), 1);
        EXPECT_EQ(font.loaded, 0);
        ASSERT_FALSE(exitReasonList.empty());
        EXPECT_EQ(exitReasonList.back(), "font load failed");
    }
    EXPECT_EQ(loadFishFont("missing"), nullptr);
}

// The character map: printable characters are themselves, "_" and unknown characters are
// blanks, accented capitals are 0.85 high with their accent, lower case full height.
TEST_F(Fonts, TheCharacterMapNamesBaseAccentAndScale) {
    CfishFont font;
    struct {
        int code;
        int base, accent;
        float scale;
    } const cases[] = {
        {'A', 'A', 0, 1.0f},    {'_', 32, 0, 1.0f},    {200, 'E', 96, 0.85f}, {196, 'A', 100, 0.85f},
        {197, 'A', 101, 0.85f}, {228, 'a', 100, 1.0f}, {199, 'C', 103, 1.0f}, {231, 'c', 103, 1.0f},
        {236, '|', 96, 1.0f},   {209, 'N', 99, 0.85f}, {221, 'Y', 97, 0.85f}, {191, 134, 0, 1.0f},
        {223, 127, 0, 1.0f},    {216, 136, 0, 1.0f},   {248, 137, 0, 1.0f},   {128, 32, 0, 1.0f},
        {198, 32, 0, 1.0f},     {255, 32, 0, 1.0f},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(font.baseGlyph[c.code], c.base);
        EXPECT_EQ(font.accentGlyph[c.code], c.accent);
        EXPECT_EQ(font.glyphScale[c.code], c.scale);
    }
}

// Drawn: "Ä" is an "A" at 0.85 of the size under a full-size diaeresis; "ä" keeps its "a"
// at full size under the same accent; "Ç" keeps its capital at full size with the cedilla.
TEST_F(Fonts, AccentsDrawOverTheirScaledBase) {
    writeStrip("strip", kGlyphs);
    CfishFont font;
    ASSERT_EQ(font.initFont("strip"), 0);
    // The top row where the base glyph (200) shows, and whether accent pixels (about 100)
    // show above the base.
    auto look = [&](char const* text, int& baseTop, bool& accent) {
        auto im = render(font, text);
        baseTop = -1;
        accent = false;
        for (int y = 0; y < im->height; y++)
            for (int x = 0; x < im->width; x++) {
                int v = im->getScanLineAddress(x, y, 0)[0];
                if (v >= 150) baseTop = std::max(baseTop, y);
                if (v >= 40 && v < 150 && y >= 15) accent = true;
            }
    };
    struct {
        char const* text;
        int baseTopMin, baseTopMax;
        bool accent;
    } const cases[] = {
        {"A", 12, 13, false}, {"\xC4", 10, 11, true}, {"\xE4", 12, 13, true}, {"\xC7", 12, 13, true}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        int top = 0;
        bool accent = false;
        look(c.text, top, accent);
        EXPECT_GE(top, c.baseTopMin);
        EXPECT_LE(top, c.baseTopMax);
        EXPECT_EQ(accent, c.accent);
    }
}

// Lines: "|" and "\n" break, two bars leave an empty line of half a line's advance, an
// underscore is a blank, "`" marks a position without taking room.
TEST_F(Fonts, LineBreaksBlanksAndTheMarker) {
    writeStrip("strip", kGlyphs);
    CfishFont font;
    ASSERT_EQ(font.initFont("strip"), 0);
    // Size 20, line spacing 1.1: a line advances 22, an empty one 11. A glyph is 3 wide, the
    // gap 5, a blank 22, and a line's width counts one column past its end.
    struct {
        char const* text;
        char const* rewritten;
        int width, height;
    } const cases[] = {
        {"ab", "ab", 11 + 22 + 1 + 2, 20},           {"a|b", "a\\nb", 3 + 22 + 1 + 2, 20 + 22},
        {"a\\nb", "a\\nb", 3 + 22 + 1 + 2, 20 + 22}, {"a||b", "a\\n\\nb", 3 + 22 + 1 + 2, 20 + 22 + 11},
        {"a_b", "a_b", 3 + 22 + 8 + 22 + 1 + 2, 20}, {"a b", "a b", 3 + 22 + 8 + 22 + 1 + 2, 20},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        Cstring text(c.text);
        CreturnFontSpec measured = measure(font, text);
        EXPECT_STREQ(text.c_str(), c.rewritten);
        EXPECT_EQ(measured.measuredWidth, c.width);
        EXPECT_EQ(measured.measuredHeight, c.height);
    }
    Cstring marked("ab`c");
    CreturnFontSpec measured = measure(font, marked);
    EXPECT_EQ(measured.markerPosition, 11 + 5);
    Cstring plain("abc");
    EXPECT_EQ(measure(font, plain).measuredWidth, measured.measuredWidth) << "the marker takes no room";
    // The underscore draws nothing between its neighbours.
    auto im = render(font, "a_b");
    int lit = 0;
    for (int y = 0; y < im->height; y++)
        for (int x = 5; x < 3 + 22 + 5; x++)
            lit += im->getScanLineAddress(x, y, 0)[0] > 0;
    EXPECT_EQ(lit, 0);
}

// Wrapping breaks at the last blank that fits; a word wider than the wrap width stays whole
// and widens the block, also when it follows a wrapped line.
TEST_F(Fonts, WrappingKeepsALongWordWhole) {
    writeStrip("strip", kGlyphs);
    CfishFont font;
    ASSERT_EQ(font.initFont("strip"), 0);
    Cstring text("hi abcdefghijklmnopqrst no");
    CreturnFontSpec measured = measure(font, text, 30);
    EXPECT_STREQ(text.c_str(), "hi\\nabcdefghijklmnopqrst\\nno");
    int longWord = 20 * 3 + 19 * 5;
    EXPECT_EQ(measured.lineWidth[0], 11);
    EXPECT_EQ(measured.lineWidth[1], longWord);
    EXPECT_EQ(measured.measuredWidth, longWord + 2);
    EXPECT_EQ(measured.measuredHeight, 20 + 2 * 22);
    // The word before a line end wraps as any other.
    for (char const* ended : {"hi no|ab", "hi no\\nab"}) {
        Cstring t(ended);
        measure(font, t, 30);
        EXPECT_STREQ(t.c_str(), "hi\\nno\\nab") << ended;
    }
    // Words that fit stay on one line.
    Cstring short_("hi no");
    measure(font, short_, 100);
    EXPECT_STREQ(short_.c_str(), "hi no");
}

// What fails: no font (an exit error), too small a size, more than 49 line breaks, and a
// wrap so narrow that a line would hold fewer than two characters (an exit error).
TEST_F(Fonts, LayoutRefusals) {
    writeStrip("strip", kGlyphs);
    CfishFont font;
    ASSERT_EQ(font.initFont("strip"), 0);
    std::string fifty;
    for (int i = 0; i < 50; i++)
        fifty += "a|";
    struct {
        char const* why;
        std::string text;
        float size;
        int wrap;
        bool withFont;
        char const* reason; // the exit reason, or none
    } const cases[] = {
        {"no font", "abc", 20, 1000, false, "bad assert"},
        {"too small", "abc", 2.5f, 1000, true, nullptr},
        {"fifty lines", fifty, 20, 1000, true, nullptr},
        {"narrow", "a bcd efg", 20, 1, true, "line too small"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.why);
        TraceCapture trace(1);
        CfontStyle s = style(font, c.wrap);
        s.size = c.size;
        if (!c.withFont) s.font = nullptr;
        Cstring text(c.text.c_str());
        CreturnFontSpec measured;
        EXPECT_EQ(fillWithFont(text, nullptr, s, measured), 1);
        if (c.reason) {
            ASSERT_FALSE(exitReasonList.empty());
            EXPECT_EQ(exitReasonList.back(), c.reason);
        } else {
            EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.back().c_str();
        }
        EXPECT_EQ(texMapText(text, s, measured), nullptr);
    }
}

// A texture has power-of-two sides covering the measured text: two channels, the letters
// in the first and the letters thickened in the second.
TEST_F(Fonts, TexturesArePowersOfTwoWithTheOutlineInTheSecondChannel) {
    struct {
        int n, p;
    } const powers[] = {{1, 1},     {2, 2},     {3, 4}, {30, 32}, {100, 128},
                        {128, 128}, {129, 256}, {0, 0}, {-4, 0}};
    for (auto const& c : powers)
        EXPECT_EQ(powerOfTwoAtLeast(c.n), c.p) << c.n;
    writeStrip("strip", kGlyphs);
    CfishFont font;
    ASSERT_EQ(font.initFont("strip"), 0);
    Cstring text("abc|de");
    CfontStyle s = style(font);
    CreturnFontSpec measured;
    CtextureImage* texture = texMapText(text, s, measured);
    ASSERT_NE(texture, nullptr);
    CdataArray* a = texture->array;
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->res[0], powerOfTwoAtLeast(measured.measuredWidth));
    EXPECT_EQ(a->res[1], powerOfTwoAtLeast(measured.measuredHeight));
    EXPECT_EQ(measured.textureWidth, a->res[0]);
    EXPECT_EQ(a->chans, 2);
    int letters = 0, outlineOnly = 0;
    for (int i = 0; i < a->res[0] * a->res[1]; i++) {
        uint8_t l = a->byteData[2 * i], o = a->byteData[2 * i + 1];
        letters += l > 0;
        outlineOnly += l == 0 && o > 0;
        if (l >= 250) EXPECT_GE(o, l) << "the outline covers the letters";
    }
    EXPECT_GT(letters, 50);
    EXPECT_GT(outlineOnly, 20) << "the second channel reaches round the letters";
    delete texture;
}

} // namespace
