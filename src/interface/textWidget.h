// Text widgets: text laid out with the panel's font, wrapped to a width taken from the
// parent widget, rendered into a texture that the widget's quad shows.
#pragma once

#include "interface/imageWidget.h"

class CfishFont;

class CtextWidgetVar : public CimageWidgetVar {
  public:
    CtextWidgetVar();
    int getType() override { return TYPE_TEXT_WIDGET; }
    char const* getClassName() override { return "TEXT_WIDGET"; }
    // The rendered text (the panel's font requested again when the panel has none).
    CtextureImage* getTextureImage() override;
    // Sizes, lays out and renders the contents; the new texture or null.
    CtextureImage* updateText(CfishFont* font);

    float wrapWidth = 1.0f;
    float fontSize = 32.0f;
    float letterSpacing = 1.0f;
    float lineSpacing = 1.1f;
    float markerOffset = 0.0f;
};
