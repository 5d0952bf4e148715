// Textured widgets: a widget drawn by one quad of the panel, showing a picture named by its
// contents, a custom texture, or (text widgets) its rendered text.
#pragma once

#include "interface/widget.h"
#include "support/mystring.h"

class CdataArray;
class CtextureImage;

class CimageWidgetVar : public CwidgetVar {
  public:
    CimageWidgetVar();
    // Drops the slave link to its variable, its contents, box and texture.
    ~CimageWidgetVar() override;
    int getType() override { return TYPE_IMAGE_WIDGET; }
    char const* getClassName() override { return "IMAGE_WIDGET"; }
    // Contents, spin, fade and colours; see the widget's file.
    int update() override;
    // -1 forgets the contents variable; a change shows the variable's new value.
    void messageFromMaster(int message, Cvariable* master) override;

    void updateContents(int force) override;
    // Claims a quad ("vslider" box 2, "vsliderBG" box 1, "menuBG" box 3, else a free one),
    // then as a widget, and updates at once.
    void display() override;
    // Frees the quad, then as a widget.
    void undisplay() override;
    // A "vslider" hands the message to its scroll bar first; a "valueToTempInt" child runs
    // first; then the widget protocol.
    int mouseMessage(int code, float x, float y) override;
    void freeContents() override;
    // "focus" / "defocus" run; the fade turns towards the highlight or back.
    void setFocus() override;
    void loseFocus() override;

    // A new texture for the contents (not yet counted); null when there is none.
    virtual CtextureImage* getTextureImage();
    // Binds the widget to a float or string variable's element; 0 when refused.
    virtual int setContentsVar(Cvariable* var, int element);
    virtual void setFromVariable(Cvariable* var, int element);

    CtextureImage* texture = nullptr; // one counted reference
    Cstring shownContents;
    Cstring contents;
    Cvariable* contentsVar = nullptr;
    float baseUV[2] = {1.0f, 1.0f};
    float fadeSpeed = 0.0f;
    float fade = 0.0f;
    uint8_t element = 0;

  protected:
    // Drops the slave link to the contents variable.
    void releaseContentsVar();
};

// An image widget whose picture is cut into zones: the zone under the pointer (the first
// channel of the "activeZones" image) goes to the shop keeper's "tempInt" before its
// scripts run, and the scripts get the point in 0..1 of the widget.
class CactiveZoneImageWidgetVar : public CimageWidgetVar {
  public:
    CactiveZoneImageWidgetVar();
    int mouseMessage(int code, float x, float y) override;
    // The zone number at (u, v) of the widget; -1 without a zone image.
    int zoneAt(float u, float v) const;

    CdataArray* activeZones = nullptr;
};

// Fade step per frame of a widget gaining (or, negated, losing) the focus.
constexpr float kFocusFadeStep = 0.334f;
// Where image widgets' pictures are looked up.
constexpr char const* kInterfaceFolder = "species/gui_panel";
