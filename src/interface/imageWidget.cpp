#include "interface/imageWidget.h"

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "graphics/textureImage.h"
#include "interface/controlPanel.h"
#include "interface/groupWidget.h"
#include "interface/sliders.h"
#include "support/cerr.h"
#include "world/shopGlobals.h"

CimageWidgetVar::CimageWidgetVar() {
    registerShort(justify, "justify", 0);
    registerShort(vjustify, "vjustify", 0);
    registerString(contents, "contents", 0);
}

CimageWidgetVar::~CimageWidgetVar() {
    releaseContentsVar();
    contents = "";
    if (controlPanel && imageBox) controlPanel->freeImageBox(imageBox);
    imageBox = nullptr;
    setTexImage(&texture, nullptr);
}

void CimageWidgetVar::releaseContentsVar() {
    if (contentsVar) contentsVar->removeSlave(this);
    contentsVar = nullptr;
}

void CimageWidgetVar::messageFromMaster(int message, Cvariable* master) {
    if (master != contentsVar || master == nullptr) return;
    if (message == -1) {
        contentsVar = nullptr; // its slave links go with it
        return;
    }
    setFromVariable(contentsVar, element);
    markForUpdate();
}

int CimageWidgetVar::setContentsVar(Cvariable* var, int elementIndex) {
    if (var == nullptr) return 0;
    releaseContentsVar();
    element = static_cast<uint8_t>(elementIndex);
    if (var->hasFlag(VAR_HAS_NUMBER | VAR_HAS_STRING | VAR_LINK)) {
        var->addSlave(this);
        contentsVar = var;
    }
    setFromVariable(var, elementIndex);
    return 1;
}

void CimageWidgetVar::setFromVariable(Cvariable* var, int elementIndex) {
    if (var == nullptr) return;
    contents = variableElementText(var, elementIndex);
}

CtextureImage* CimageWidgetVar::getTextureImage() {
    if (texture) {
        setExitError("tex image not null", 1);
        return nullptr;
    }
    if (contents.empty()) return nullptr;
    CtextureImage* made = nullptr;
    static char const prefix[] = "customTex_";
    if (contents.size() > 10 && contents.substr(0, 10) == prefix) {
        if (controlPanel)
            made = dynamic_cast<CtextureImage*>(
                controlPanel->buildCustomTex(contents.substr(10, contents.size() - 10)));
    } else {
        made = requestTexMap(contents.c_str(), kInterfaceFolder, 4);
    }
    if (made) markForUpdate();
    return made;
}

void CimageWidgetVar::updateContents(int force) {
    if (!(contents == shownContents) || force || texture == nullptr) {
        if (imageBox) {
            imageBox->setTexture(nullptr);
            imageBox->uvSet = 0;
        }
        setTexImage(&texture, nullptr);
        setTexImage(&texture, getTextureImage());
        shownContents = contents;
    }
    if (imageBox == nullptr) return;
    if (texture == nullptr) {
        if (controlPanel) controlPanel->freeImageBox(imageBox);
        imageBox = nullptr;
        return;
    }
    imageBox->setTexture(texture);
    updateRect();
    if (imageBox->available && !imageBox->uvSet) {
        if (animationMode == 2) {
            float const inset[4][2] = {{0.05f, 0.05f}, {0.95f, 0.05f}, {0.05f, 0.95f}, {0.95f, 0.95f}};
            for (int c = 0; c < 4; c++)
                imageBox->setCornerBaseUV(c, inset[c][0], inset[c][1]);
            imageBox->copyToUV();
        } else {
            imageBox->setBaseUV(baseUV[0], baseUV[1]);
        }
        imageBox->uvSet = 1;
    }
    if (parentWidget == nullptr || !parentWidget->clipChildren) {
        imageBox->setPosition(rect, 0.0f);
    } else {
        parentWidget->updateRect();
        imageBox->setPositionClipped(rect, parentWidget->rect.miny, parentWidget->rect.maxy);
    }
}

int CimageWidgetVar::update() {
    updateContents(0);
    if (imageBox == nullptr) return 0;
    if (animationMode == 2) {
        imageBox->rotateUV(4.0f * globalSecondsSinceLastFrame);
        updateFrame = widgetUpdateFrame + 1;
    } else if (animationMode == 1 && fadeSpeed != 0.0f) {
        fade += fadeSpeed;
        if (fadeSpeed > 0.0f && fade >= 1.0f) {
            fade = 1.0f;
            fadeSpeed = 0.0f;
        } else if (fadeSpeed < 0.0f && fade < 0.0f) {
            fade = 0.0f;
            fadeSpeed = 0.0f;
        } else {
            updateFrame = widgetUpdateFrame + 1;
        }
    }
    float out[7];
    fillTopBottomColors(out, fade);
    imageBox->setColor(out[0], out[1], out[2], out[3], out[4], out[5], out[6]);
    return 0;
}

void CimageWidgetVar::display() {
    if (imageBox == nullptr && controlPanel) {
        CimageBoxVar* box = name == "vslider"     ? controlPanel->box(2)
                            : name == "vsliderBG" ? controlPanel->box(1)
                            : name == "menuBG"    ? controlPanel->box(3)
                                                  : controlPanel->findFreeImageBox();
        if (box) {
            // A box taken by name is taken from whoever had it; an ordinary widget that had
            // box 3 moves to another box.
            CwidgetVar* previous = box->owner != this ? box->owner : nullptr;
            if (previous) controlPanel->freeImageBox(box);
            box->owner = this;
            imageBox = box;
            if (previous && !(previous->name == name) && previous->isDisplayed()) previous->display();
        }
    }
    CwidgetVar::display();
    update();
}

void CimageWidgetVar::undisplay() {
    if (imageBox && controlPanel) controlPanel->freeImageBox(imageBox);
    imageBox = nullptr;
    CwidgetVar::undisplay();
}

void CimageWidgetVar::freeContents() {
    if (!shownContents.empty() || texture) {
        contents = "";
        updateContents(0);
    }
    undisplay();
}

void CimageWidgetVar::setFocus() {
    runChildScript("focus");
    fadeSpeed = kFocusFadeStep;
    markForUpdate();
}

void CimageWidgetVar::loseFocus() {
    runChildScript("defocus");
    fadeSpeed = -kFocusFadeStep;
    markForUpdate();
}

int CimageWidgetVar::mouseMessage(int code, float x, float y) {
    if (name == "vslider") {
        if (auto* slider = dynamic_cast<CverticalSlider*>(parentWidget))
            slider->sliderMouseMessage(code, x, y);
        else
            VTRACE(1, "slider: a thumb outside a scroll bar");
    }
    runChildScript("valueToTempInt");
    return CwidgetVar::mouseMessage(code, x, y);
}

// ---- zoned pictures ----

CactiveZoneImageWidgetVar::CactiveZoneImageWidgetVar() {
    registerDataArrayPointer(this, &activeZones, "activeZones");
}

int CactiveZoneImageWidgetVar::zoneAt(float u, float v) const {
    auto const* image = dynamic_cast<CdataImage const*>(activeZones);
    if (image == nullptr) return -1;
    int zone[4] = {0, 0, 0, 0};
    image->getValuesUninterp(u, v, zone, 1);
    return zone[0];
}

int CactiveZoneImageWidgetVar::mouseMessage(int code, float x, float y) {
    convertPanelCoordsToImageWidgetRelative(x, y);
    int zone = zoneAt(x, y);
    if (zone < 0) {
        // A zoned picture without its zones cannot tell the scripts anything.
        VTRACE(1, "actzns0: " << name << " has no zone image");
        return 0;
    }
    if (controlPanel) controlPanel->host().setTempInt(zone);
    return CimageWidgetVar::mouseMessage(code, x, y);
}
