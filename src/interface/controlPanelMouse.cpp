// The pointer in the panel: the widget under it takes the focus, a press goes to it, a
// drag follows it, and a release on the same widget is a click; a click that a double
// click may follow waits 0.2 s before it counts as a single click.
#include "interface/controlPanel.h"
#include "interface/groupWidget.h"
#include "interface/sliders.h"
#include "interface/textWidget.h"
#include "support/cerr.h"
#include "world/shopGlobals.h"

namespace {
constexpr float kDoubleClickSeconds = 0.2f;
constexpr float kSubMenuHoldSeconds = 0.5f;
} // namespace

CwidgetVar* CcontrolPanel::findFocusWidget(float x, float y) {
    CwidgetHitTest test;
    test.x = x;
    test.y = y;
    allWidgetsRoot->trickleDownMessage(WIDGET_HIT_TEST, &test);
    CwidgetVar* winner = test.candidate;
    if (winner != focusWidget) {
        CwidgetVar* old = focusWidget;
        focusWidget = winner;
        if (old) old->loseFocus();
        if (winner) winner->setFocus();
    }
    return winner;
}

int CcontrolPanel::mouseMove(float x, float y) {
    toInterface(x, y);
    if (pressedWidget)
        pressedWidget->mouseMessage(MOUSE_DRAG, x, y);
    else
        findFocusWidget(x, y);
    return focusWidget != nullptr;
}

int CcontrolPanel::mouseButtonDown(float x, float y) {
    toInterface(x, y);
    CwidgetVar* widget = findFocusWidget(x, y);
    if (widget == nullptr) {
        pressedWidget = nullptr;
        return 0;
    }
    pressedWidget = widget;
    thingWasClicked = 0;
    if (singleClickRegisterTime > 0.0f) {
        singleClickRegisterTime = 0.0f;
        widget->mouseMessage(MOUSE_DOUBLE_CLICK, x, y);
    } else {
        widget->mouseMessage(MOUSE_BUTTON_DOWN, x, y);
    }
    buttonDownTime = static_cast<float>(globalTime);
    return 1;
}

int CcontrolPanel::mouseButtonUp(float x, float y) {
    toInterface(x, y);
    if (subMenuOwner) pressedWidget = focusWidget;
    singleClickRegisterTime = 0.0f;
    int clicked = 0;
    if (pressedWidget && !exitSaver && pressedWidget == focusWidget) {
        CwidgetVar* widget = pressedWidget;
        thingWasClicked = 0;
        clicked = widget->mouseMessage(MOUSE_CLICK, x, y);
        if (clicked && thingWasClicked && widget->getChild("doubleClick"))
            singleClickRegisterTime = kDoubleClickSeconds;
    }
    if (subMenuOwner && !subMenuHeld && static_cast<float>(globalTime) - buttonDownTime < kSubMenuHoldSeconds)
        subMenuHeld = 1;
    else
        subMenuOff();
    if (!host().pointerStillDown()) pressedWidget = nullptr;
    return clicked;
}

int CcontrolPanel::mouseWheel(int notches) {
    if (focusWidget == nullptr || verticalSlider == nullptr || focusWidget->getChild("ignoreWheel")) return 0;
    verticalSlider->sliderMouseMessage(MOUSE_WHEEL, 0.0f, notches < 0 ? -wheelStep : wheelStep);
    return 1;
}
