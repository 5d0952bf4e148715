#include "interface/widget.h"

#include <ostream>

#include "interface/controlPanel.h"
#include "interface/groupWidget.h"
#include "interface/textWidget.h"
#include "script/rotaterVar.h"
#include "script/scripter.h"
#include "support/cerr.h"

int widgetUpdateFrame = 0;

namespace {
// The element as its own variable (an array's child), or null when the variable holds its
// elements itself.
Cvariable* arrayElement(Cvariable* var, int element) {
    return var && var->getClass() == CLASS_ARRAY ? var->getChildNoErr(element) : nullptr;
}
} // namespace

Cstring variableElementText(Cvariable* var, int element) {
    if (var == nullptr) return Cstring();
    if (var->getClass() == CLASS_ARRAY) {
        Cvariable* e = arrayElement(var, element);
        char const* text = e ? e->getString() : nullptr;
        return text ? Cstring(text) : Cstring();
    }
    char const* text =
        var->elements() > 1 ? var->getElem_char(static_cast<unsigned short>(element)) : var->getString();
    return text ? Cstring(text) : Cstring();
}

double variableElementFloat(Cvariable* var, int element) {
    if (var == nullptr) return 0.0;
    if (var->getClass() == CLASS_ARRAY) {
        Cvariable* e = arrayElement(var, element);
        return e ? e->getFloat() : 0.0;
    }
    return var->elements() > 1 ? var->getElem_float(static_cast<unsigned short>(element)) : var->getFloat();
}

void setVariableElementFloat(Cvariable* var, int element, double value) {
    if (var == nullptr) return;
    if (var->getClass() == CLASS_ARRAY) {
        if (Cvariable* e = arrayElement(var, element)) e->setFloat(value);
        return;
    }
    if (var->elements() > 1)
        var->setElem_float(static_cast<unsigned short>(element), value);
    else
        var->setFloat(value);
}

CwidgetVar::CwidgetVar() {
    registerFloat(pos[0], "pos", 0)->setNumElements(2);
    registerFloat(size[0], "size", 0)->setNumElements(2);
    registerFloat(colors[0], "color", 0)->setNumElements(8);
    registerFloat(colors[4], "colorBottom", 0)->setNumElements(3);
    registerShort(showIt, "showIt", 0);
    registerShort(acceptsFocus, "acceptsFocus", 0);
    registerString(name, "name", 0);
    trashDir = controlPanel ? controlPanel->trash : nullptr;
}

CwidgetVar::~CwidgetVar() {
    flags &= ~WIDGET_DISPLAYED;
    if (controlPanel) {
        controlPanel->forgetWidget(this);
        if (imageBox) controlPanel->freeImageBox(imageBox);
    }
    imageBox = nullptr;
}

void CwidgetVar::writeConfigString(std::ostream& out) {
    writeSaveString(out);
}

void CwidgetVar::writeSaveString(std::ostream& out) {
    out << ":widget " << name.c_str();
}

void CwidgetVar::trickleDownPreChildProcessingMessage(int message, void* data) {
    // Only shown widgets can be hit: an item scrolled out of its list is not under the pointer.
    if (message != WIDGET_HIT_TEST || data == nullptr || !(acceptsFocus & 1) || !isDisplayed()) return;
    auto* test = static_cast<CwidgetHitTest*>(data);
    if (test->x >= hitRect.minx && test->x <= hitRect.maxx && test->y >= hitRect.miny &&
        test->y <= hitRect.maxy)
        test->candidate = this;
}

void CwidgetVar::trickleDownPostChildProcessingMessage(int message, void* data) {
    switch (message) {
    case WIDGET_CLEAR:
        clear();
        break;
    case WIDGET_MARK:
        markForUpdate();
        break;
    case WIDGET_UPDATE:
        if (updateFrame == widgetUpdateFrame) update();
        break;
    case WIDGET_HIT_RIGHT:
        if (data) {
            hitRight = *static_cast<float*>(data);
            hitRect.maxx = hitRight;
        }
        break;
    case WIDGET_TIME_CHECKS:
        checkTimeDependentStuff();
        break;
    default:
        break;
    }
}

void CwidgetVar::markForUpdate() {
    updateFrame = widgetUpdateFrame + 1;
    rectValid = 0;
}

void CwidgetVar::needsUpdating() {
    trickleDownMessage(WIDGET_MARK, nullptr);
}

void CwidgetVar::updateRect() {
    if (rectValid) return;
    rectValid = 1;
    Crect frame(0.0f, 1.0f, 0.0f, 1.0f);
    if (parentWidget) {
        parentWidget->updateRect();
        frame = parentWidget->rect;
        aspect = size[0] != 0.0f ? parentWidget->aspect * size[1] / size[0] : parentWidget->aspect;
    } else {
        aspect = size[0] != 0.0f ? size[1] / size[0] : 1.0f;
    }
    float x = frame.minx + pos[0] * frame.width();
    float y = frame.miny + pos[1] * frame.height();
    float w = frame.width() * size[0];
    float h = frame.height() * size[1];
    if (parentWidget && keepParentAspect && frame.height() != 0.0f) {
        w = parentWidget->aspect * frame.width() / frame.height() * size[0];
        h = size[1];
    }
    rect.minx = justify == 0 ? x - w / 2 : justify == 2 ? x - w : x;
    rect.miny = vjustify == 0 ? y - h / 2 : vjustify == 2 ? y - h : y;
    rect.maxx = rect.minx + w;
    rect.maxy = rect.miny + h;
    hitRect = rect;
    hitRect.makeValid();
    if (hitRight != -999.0f) hitRect.maxx = hitRight;
}

void CwidgetVar::display() {
    flags |= WIDGET_DISPLAYED;
    showIt = 1;
    needsUpdating();
}

void CwidgetVar::undisplay() {
    flags &= ~WIDGET_DISPLAYED;
    showIt = 0;
    if (controlPanel) {
        if (controlPanel->focusWidget == this) controlPanel->focusWidget = nullptr;
        if (controlPanel->pressedWidget == this) controlPanel->pressedWidget = nullptr;
    }
}

void CwidgetVar::clear() {
    freeContents();
    undisplay();
    if (imageBox && controlPanel) controlPanel->freeImageBox(imageBox);
    imageBox = nullptr;
}

void CwidgetVar::fillTopBottomColors(float* out, float t) {
    for (int c = 0; c < 3; c++)
        out[c] = color[c] + (highlight[c] - color[c]) * t;
    out[3] = color[3];
    for (int c = 0; c < 3; c++)
        out[4 + c] = colorBottom[0] == -1.0f ? out[c] : colorBottom[c] + (highlight[c] - colorBottom[c]) * t;
}

void CwidgetVar::convertPanelCoordsToImageWidgetRelative(float& x, float& y) {
    updateRect();
    x = rect.width() != 0.0f ? (x - rect.minx) / rect.width() : 0.0f;
    y = rect.height() != 0.0f ? (y - rect.miny) / rect.height() : 0.0f;
}

CwidgetVar* CwidgetVar::topmostWidget() {
    CwidgetVar* top = this;
    while (top->parentWidget)
        top = top->parentWidget;
    return top;
}

bool CwidgetVar::runChildScript(char const* scriptName) {
    Cvariable* script = getChild(scriptName);
    if (script == nullptr) return false;
    runScript(this, script);
    return true;
}

int CwidgetVar::mouseMessage(int code, float, float) {
    if (controlPanel) controlPanel->singleClickRegisterTime = 0.0f;
    switch (code) {
    case MOUSE_BUTTON_DOWN:
        runChildScript("buttonDown");
        return 0;
    case MOUSE_CLICK:
        if (runChildScript("click")) return 1;
        return runChildScript("release") ? 1 : 0;
    case MOUSE_DRAG:
        runChildScript("drag");
        return 0;
    case MOUSE_SINGLE_CLICK:
        runChildScript("singleClick");
        return 0;
    case MOUSE_DOUBLE_CLICK:
        runChildScript("doubleClick");
        return 1;
    default:
        return 0;
    }
}

unsigned CwidgetVar::processCommand(CscriptHandler* handler, CscriptLine& line) {
    Cstring const& command = line.name;
    if (command == "animate") {
        animationMode = 1;
    } else if (command == "spin") {
        animationMode = 2;
    } else if (command == "update") {
        if (!isDisplayed()) display();
        needsUpdating();
    } else if (command == "showMat") {
        if (imageBox) imageBox->setBoxDisplayed(showIt != 0);
    } else if (command == "update!") {
        updateContents(1);
        for (Cvariable* w = topmostWidget(); w; w = w->nextSibling)
            if (auto* widget = dynamic_cast<CwidgetVar*>(w)) widget->needsUpdating();
    } else if (command == "rotate_menu") {
        auto* text = dynamic_cast<CtextWidgetVar*>(this);
        auto* rotater = text ? dynamic_cast<CrotaterVar*>(text->contentsVar) : nullptr;
        if (rotater && controlPanel) controlPanel->doSubMenu(text, rotater);
    } else {
        return CvarTrashDestined::processCommand(handler, line);
    }
    return CMD_DONE;
}

int CwidgetVar::update() {
    updateRect();
    return 0;
}
