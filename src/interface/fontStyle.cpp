#include "interface/fontStyle.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "data/dataArray.h"
#include "data/imageIO.h"
#include "graphics/textureImage.h"
#include "interface/fishFont.h"
#include "support/cerr.h"

int powerOfTwoAtLeast(int n) {
    if (n < 1) return 0;
    int p = 1;
    while (p < n && p < (1 << 30))
        p <<= 1;
    return p;
}

namespace {

// The state of one pass over the text.
struct Clayout {
    Clayout(std::string const& s, imageFile* i, CfontStyle& st, CreturnFontSpec& sp)
        : src(s), image(i), style(st), measured(sp), font(*st.font) {}

    std::string const& src;
    imageFile* image;
    CfontStyle& style;
    CreturnFontSpec& measured;
    CfishFont& font;
    bool measuring() const { return image == nullptr; }

    float scale = 0, gap = 0, blank = 0, advance = 0;
    float x = 0, baseline = 0;
    float wrap = 0;
    int line = 0;
    size_t lineStart = 0;
    long lastBlank = -1;
    float lastBlankX = 0;
    int charsOnLine = 0;
    bool lineBegins = true;
    float advances = 0, advancesAtLastGlyph = 0;
    std::string rewritten;

    void beginLine() {
        lineBegins = false;
        x = 0;
        if (!measuring() && style.justification == 0 && line < kMaxTextLines)
            x = static_cast<float>(measured.measuredWidth - measured.lineWidth[line]) / 2.0f;
    }

    // Ends the line holding src[lineStart, end) at width; resumes at next. False after the
    // last line a layout may hold.
    bool endLine(size_t end, float width, size_t next) {
        if (measuring()) {
            measured.lineWidth[line] = static_cast<int>(width);
            rewritten.append(src, lineStart, end - lineStart);
            rewritten += "\\n";
        }
        float step = end == lineStart ? std::floor(advance / 2.0f) : advance;
        if (++line >= kMaxTextLines) {
            VTRACE(1, "MAX_RFS!: more than " << kMaxTextLines - 1 << " line breaks");
            return false;
        }
        baseline -= step;
        advances += step;
        lineStart = next;
        lastBlank = -1;
        charsOnLine = 0;
        lineBegins = true;
        return true;
    }

    void drawColumns(int glyph, float x0, float x1, float y1) {
        if (glyph < 1 || glyph >= kMaxFontGlyphs || x1 <= x0) return;
        int start = font.glyphStart[glyph], w = font.glyphWidth[glyph];
        image->copyRectB(&font, start - 1, 1, start + w, font.height - 2, x0, baseline, x1, y1);
    }

    // 0 done, 1 failed.
    int run() {
        for (size_t i = 0; i < src.size(); i++) {
            if (lineBegins) beginLine();
            auto c = static_cast<unsigned char>(src[i]);
            bool newline = c == '\\' && i + 1 < src.size() && src[i + 1] == 'n';
            if (c == '|' || newline) {
                // The last word before a line end is held to the wrap width as any other.
                if (measuring() && x > wrap && lastBlank >= 0) {
                    if (lastBlank - static_cast<long>(lineStart) < 2) return lineTooSmall();
                    size_t at = static_cast<size_t>(lastBlank);
                    if (!endLine(at, lastBlankX, at + 1)) return 1;
                    i = at; // the words after the break are laid out again
                    continue;
                }
                if (!endLine(i, x, i + (newline ? 2 : 1))) return 1;
                if (newline) i++;
                continue;
            }
            if (c == '`') {
                measured.markerPosition = static_cast<int>(style.letterSpacing * gap + x);
                continue;
            }
            uint8_t base = c == '\\' ? static_cast<uint8_t>('\\') : font.baseGlyph[c];
            if (base == kBlankGlyph) {
                if (measuring() && x > wrap) {
                    int n;
                    if (lastBlank >= 0) {
                        n = static_cast<int>(lastBlank - static_cast<long>(lineStart));
                        if (n < 2) return lineTooSmall();
                        size_t at = static_cast<size_t>(lastBlank);
                        if (!endLine(at, lastBlankX, at + 1)) return 1;
                        i = at; // the words after the break are laid out again
                        continue;
                    }
                    n = static_cast<int>(i - lineStart);
                    if (n < 2) return lineTooSmall();
                    wrap = x; // a word wider than the wrap width widens the block
                }
                if (measuring() && x <= wrap) {
                    lastBlank = static_cast<long>(i);
                    lastBlankX = x;
                }
                x += blank;
                charsOnLine++;
                continue;
            }
            int glyph = base - 32;
            float glyphScale = c == '\\' ? 0.0f : font.glyphScale[c];
            if (charsOnLine > 0) x += style.letterSpacing * gap;
            int glyphW = glyph >= 0 && glyph < kMaxFontGlyphs ? font.glyphWidth[glyph] : 0;
            float drawn = scale * static_cast<float>(glyphW);
            float extent = drawn;
            int accent = font.accentGlyph[c];
            float offset = 0, right = 0;
            if (accent) {
                offset = scale * static_cast<float>((glyphW - font.glyphWidth[accent]) / 2);
                right = scale * static_cast<float>(font.glyphWidth[accent]) + offset;
                extent = std::max(drawn, right);
            }
            float fx = std::floor(x);
            if (!measuring()) {
                if (glyphScale > 0.0f)
                    drawColumns(glyph, fx, fx + drawn, baseline - 1.0f + style.size * glyphScale);
                if (accent) drawColumns(accent, fx + offset, fx + right, baseline - 1.0f + style.size);
            }
            x = fx + extent;
            charsOnLine++;
            advancesAtLastGlyph = advances;
        }
        return 0;
    }

    int lineTooSmall() {
        setExitError("line too small", 1);
        return 1;
    }
};

} // namespace

int fillWithFont(Cstring& text, imageFile* image, CfontStyle& style, CreturnFontSpec& measured) {
    if (style.font == nullptr || !style.font->loaded || style.font->height < 3) {
        setExitError("bad assert", 1);
        return 1;
    }
    std::string src(text.c_str(), static_cast<size_t>(text.size()));
    src += ' ';
    Clayout layout(src, image, style, measured);
    layout.scale = style.size / static_cast<float>(style.font->height - 2);
    if (style.size < 3.0f || layout.scale < 0.01f) {
        VTRACE(1, "FONT TOO SMALL!!!");
        return 1;
    }
    layout.gap = 5.0f * layout.scale;
    layout.blank = 22.0f * layout.scale;
    layout.advance = std::floor(style.lineSpacing * style.size);
    layout.wrap = static_cast<float>(style.wrapWidth);
    layout.baseline = image ? static_cast<float>(measured.measuredHeight) - style.size : 0.0f;
    if (layout.run() != 0) return 1;
    if (!layout.measuring()) return 0;

    // The last line: its width counts its end, its text leaves the appended blank out.
    int line = std::min(layout.line, kMaxTextLines - 1);
    measured.lineWidth[line] = static_cast<int>(layout.x + 1.0f);
    size_t end = std::max(layout.lineStart, src.size() - 1);
    layout.rewritten.append(src, layout.lineStart, end - layout.lineStart);
    int widest = 0;
    for (int l = 0; l <= line; l++)
        widest = std::max(widest, measured.lineWidth[l]);
    text = Cstring(layout.rewritten.c_str());
    measured.measuredWidth = widest + 2;
    measured.measuredHeight = static_cast<int>(style.size + layout.advancesAtLastGlyph);
    return 0;
}

CtextureImage* texMapText(Cstring& text, CfontStyle& style, CreturnFontSpec& measured) {
    CtextureImage* texture = requestTexMap("", "", 2);
    if (texture == nullptr) return nullptr;
    if (fillWithFont(text, nullptr, style, measured) != 0) {
        delete texture;
        return nullptr;
    }
    int w = powerOfTwoAtLeast(measured.measuredWidth), h = powerOfTwoAtLeast(measured.measuredHeight);
    imageFile image;
    if (w <= 0 || h <= 0 || w > 65535 || h > 65535 ||
        !image.init(static_cast<uint16_t>(w), static_cast<uint16_t>(h), 2, PIXEL_8BIT,
                    static_cast<uint16_t>(h), 2)) {
        VTRACE(1, "BAD IMAGE SIZE!!! " << w << "x" << h);
        delete texture;
        return nullptr;
    }
    std::strncpy(image.format, "ra", sizeof image.format);
    fillWithFont(text, &image, style, measured);
    image.channelCopy(1, &image, 0);
    image.fattenChannel(1, 0, 0.0f);
    texture->allocateDataArray(2);
    CdataArray* array = texture->array;
    unsigned char* pixels = image.letPixelsBeStolen();
    if (array == nullptr || pixels == nullptr) {
        delete[] pixels;
        delete texture;
        return nullptr;
    }
    array->dims = 2;
    array->chans = 2;
    array->dataType = 1;
    array->res[0] = w;
    array->res[1] = h;
    array->res[2] = 1;
    array->setDimensionSpace(0, 0.0f, static_cast<float>(w - 1));
    array->setDimensionSpace(1, 0.0f, static_cast<float>(h - 1));
    array->setStolenData(pixels);
    array->setName(text);
    measured.textureWidth = w;
    measured.textureHeight = h;
    return texture;
}
