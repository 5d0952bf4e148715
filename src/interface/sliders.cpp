#include "interface/sliders.h"

#include <algorithm>

#include "interface/controlPanel.h"
#include "support/cerr.h"

// ---- the scroll bar ----

CverticalSlider::CverticalSlider() {
    setName("vertSlider");
    layoutKind = LAYOUT_FREE;
    flags |= DO_PREPARE_FOR_DELETE;
}

CverticalSlider::~CverticalSlider() {
    if (controlPanel && controlPanel->verticalSlider == this) controlPanel->verticalSlider = nullptr;
}

void CverticalSlider::prepareForDelete() {
    if (controlPanel && controlPanel->verticalSlider == this) controlPanel->verticalSlider = nullptr;
    CgroupWidgetVar::prepareForDelete();
}

CimageWidgetVar* CverticalSlider::thumb() {
    CdirectoryVar* list = widgetList();
    return list ? dynamic_cast<CimageWidgetVar*>(list->firstChild) : nullptr;
}

int CverticalSlider::update() {
    CdirectoryVar* list = widgetList();
    if (list && list->firstChild == nullptr) {
        auto* track = new CimageWidgetVar();
        track->setName("vsliderBG");
        track->contents = "arrays/sliderBG.sgi";
        track->acceptsFocus = 0;
        addWidget(track, nullptr, true);
        auto* knob = new CimageWidgetVar();
        knob->setName("vslider");
        knob->contents = "arrays/slider.sgi";
        knob->vjustify = 1;
        knob->acceptsFocus = 1;
        addWidget(knob, nullptr, true);
        knob->setAsFirstChild(); // the thumb first: drawn after the track
        knob->size[1] = thumbHeight;
    }
    return CgroupWidgetVar::update();
}

void CverticalSlider::setSliderSize(float fraction) {
    if (fraction == 0.0f) {
        VTRACE(1, "tot0: a scroll bar of no size");
        return;
    }
    thumbHeight = fraction;
    oneOverThumbHeight = 1.0f / fraction;
    trackLength = 1.0f - fraction;
    if (CimageWidgetVar* t = thumb()) {
        t->size[1] = fraction;
        t->rectValid = 0;
    }
}

void CverticalSlider::setPos(float p) {
    if (CimageWidgetVar* t = thumb()) {
        t->pos[1] = p * trackLength;
        t->rectValid = 0;
    }
}

void CverticalSlider::sliderMouseMessage(int code, float, float y) {
    auto* list = parentWidget;
    if (thumb() == nullptr || list == nullptr) {
        VTRACE(1, "slag: a scroll bar without its parts or its list");
        return;
    }
    switch (code) {
    case 0:
        dragStartY = y;
        dragStartScroll = list->scroll;
        return;
    case 2: {
        updateRect();
        float span = rect.height() * trackLength;
        float s = span != 0.0f ? dragStartScroll + (y - dragStartY) / span : dragStartScroll;
        list->scroll = list->targetScroll = std::clamp(s, 0.0f, 1.0f);
        break;
    }
    case 3:
        list->targetScroll += y;
        list->easingRate = 0.0f;
        break;
    default:
        return;
    }
    list->needsUpdating();
}

// ---- the value knob ----

CvalueSlider::CvalueSlider() {
    registerFloat(minVal, "minVal", 0);
    registerFloat(maxVal, "maxVal", 0);
}

void CvalueSlider::initValueSlider() {
    acceptsFocus = 1;
    rectValid = 0;
    updateRect();
    justify = 0;
    Crect frame = parentWidget ? (parentWidget->updateRect(), parentWidget->rect) : Crect(0, 1, 0, 1);
    float w = frame.width() != 0.0f ? frame.width() : 1.0f;
    leftmost = (rect.minx - frame.minx) / w;
    rightmost = (rect.maxx - frame.minx) / w;
    size[0] = 0.3f * aspect;
    moveSlider();
}

void CvalueSlider::moveSlider() {
    float range = maxVal - minVal;
    float t = range != 0.0f ? std::clamp((value - minVal) / range, 0.0f, 1.0f) : 0.0f;
    pos[0] = leftmost + t * (rightmost - leftmost);
    markForUpdate();
}

int CvalueSlider::setContentsVar(Cvariable* var, int elementIndex) {
    if (var == nullptr) return 0;
    releaseContentsVar();
    var->addSlave(this);
    contentsVar = var;
    element = static_cast<uint8_t>(elementIndex);
    setFromVariable(var, elementIndex);
    return 1;
}

void CvalueSlider::setFromVariable(Cvariable* var, int elementIndex) {
    if (var == nullptr) return;
    value = static_cast<float>(variableElementFloat(var, elementIndex));
    if (initialized()) moveSlider();
}

int CvalueSlider::mouseMessage(int code, float x, float) {
    float span = rightmost - leftmost;
    if (code == MOUSE_BUTTON_DOWN) {
        dragStartX = x;
        dragStartFraction = span != 0.0f ? (pos[0] - leftmost) / span : 0.0f;
    } else if (code == MOUSE_DRAG) {
        float parentWidth = parentWidget ? (parentWidget->updateRect(), parentWidget->rect.width()) : 1.0f;
        float scale = parentWidth * span;
        float t =
            std::clamp(dragStartFraction + (scale != 0.0f ? (x - dragStartX) / scale : 0.0f), 0.0f, 1.0f);
        if (contentsVar == nullptr) {
            setExitError("no contentsdep", 1);
            return 0;
        }
        float v = minVal + t * (maxVal - minVal);
        setVariableElementFloat(contentsVar, element, v);
        runChildScript("change");
    }
    return 0;
}
