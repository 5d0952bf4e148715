// libFuzzer target over the font strip reader and the text layout: the input is an SGI
// picture read as a strip (first byte: the text size), then a fixed text with accents,
// breaks and a marker is measured and rendered with whatever glyphs the strip gave.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "data/imageIO.h"
#include "interface/fishFont.h"
#include "interface/fontStyle.h"
#include "support/cerr.h"
#include "support/memoryIO.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    if (size < 1) return 0;
    std::vector<char> bytes(data + 1, data + size);
    CfishFont font;
    CmemoryIO in;
    in.setStartAndSize(bytes.data(), static_cast<int>(bytes.size()));
    in.readUShort(); // the magic, checked by the loader before the reader
    if (!font.readSGI(in, true) || font.readStrip() != 0) {
        resetExitState();
        return 0;
    }
    Cstring text("Velmora \xC4\xE4\xC7 b_c|`x\\ny \\ z");
    CfontStyle style;
    style.size = 3.0f + data[0] % 64;
    style.lineSpacing = 1.1f;
    style.wrapWidth = 40 + data[0];
    style.font = &font;
    CreturnFontSpec measured;
    if (fillWithFont(text, nullptr, style, measured) == 0 && measured.measuredWidth > 0 &&
        measured.measuredWidth < 4096 && measured.measuredHeight > 0 && measured.measuredHeight < 4096) {
        imageFile image;
        if (image.init(static_cast<uint16_t>(measured.measuredWidth),
                       static_cast<uint16_t>(measured.measuredHeight), 1, PIXEL_8BIT,
                       static_cast<uint16_t>(measured.measuredHeight), 2))
            fillWithFont(text, &image, style, measured);
    }
    resetExitState();
    return 0;
}
