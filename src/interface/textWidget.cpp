#include "interface/textWidget.h"

#include "graphics/textureImage.h"
#include "interface/controlPanel.h"
#include "interface/fishFont.h"
#include "interface/fontStyle.h"
#include "interface/groupWidget.h"
#include "support/cerr.h"

CtextWidgetVar::CtextWidgetVar() {
    registerFloat(wrapWidth, "wrapWidth", 0);
}

CtextureImage* CtextWidgetVar::getTextureImage() {
    if (texture) {
        setExitError("tex image not null", 1);
        return nullptr;
    }
    if (contents.empty()) return nullptr;
    return updateText(controlPanel ? controlPanel->font() : nullptr);
}

CtextureImage* CtextWidgetVar::updateText(CfishFont* font) {
    if (font == nullptr) {
        setExitError("no font", 1);
        return nullptr;
    }
    float screenHeight = controlPanel ? controlPanel->displayHeight() : 720.0f;
    float mps = controlPanel ? controlPanel->mps : 1.0f;
    Crect frame(0, 1, 0, 1);
    float parentAspect = 1.0f;
    if (parentWidget) {
        parentWidget->updateRect();
        frame = parentWidget->rect;
        parentAspect = parentWidget->aspect;
    }
    // Rendered up to 1.5 times larger than shown; a size past the font's own is held there.
    float textSize = screenHeight / 700.0f * fontSize * mps;
    float cap = static_cast<float>(font->height) / 2.0f;
    float k = 1.5f;
    if (textSize > cap) {
        k = 1.5f * cap / textSize;
        textSize = cap;
    }
    CfontStyle style;
    style.size = textSize;
    style.letterSpacing = letterSpacing;
    style.lineSpacing = lineSpacing;
    style.wrapWidth = static_cast<int>(screenHeight / 1.04f * k * wrapWidth * frame.width());
    style.font = font;
    style.justification = justify;
    CreturnFontSpec measured;
    CtextureImage* made = texMapText(contents, style, measured);
    if (made == nullptr) return nullptr;

    float q = 0.52f / k;
    float d = frame.height() * screenHeight / 2.0f;
    if (d <= 0.0f) d = screenHeight / 2.0f;
    size[0] = parentAspect * q * static_cast<float>(measured.textureWidth) / d;
    size[1] = q * static_cast<float>(measured.textureHeight) / d;
    markerOffset = parentAspect * q * static_cast<float>(measured.markerPosition) / d;
    baseUV[0] = static_cast<float>(measured.measuredWidth) / static_cast<float>(measured.textureWidth);
    baseUV[1] = static_cast<float>(measured.measuredHeight) / static_cast<float>(measured.textureHeight);
    size[0] *= baseUV[0];
    size[1] *= baseUV[1];
    rectValid = 0;
    markForUpdate();
    return made;
}
