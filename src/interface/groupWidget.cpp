#include "interface/groupWidget.h"

#include <algorithm>

#include "interface/controlPanel.h"
#include "interface/sliders.h"
#include "interface/textWidget.h"
#include "script/rotaterVar.h"
#include "script/scripter.h"
#include "script/variableSearch.h"
#include "support/cerr.h"
#include "world/shopGlobals.h"

CgroupWidgetVar::CgroupWidgetVar(char const* widgetsName) {
    setName("groupUnnamed");
    acceptsFocus = 0;
    size[1] = 1.0f;
    registerFloat(spacing, "spacing", 0);
    registerFloat(scroll, "scroll", 0);
    widgets = addDirectory(widgetsName, 1);
    // The widgets keep the order in which they were made.
    widgets->setFlag(VAR_APPEND_CHILDREN, true);
}

void CgroupWidgetVar::addWidget(CwidgetVar* widget, CscriptLine* line, bool inheritColours) {
    if (widget == nullptr) return;
    widgets->addVariable(widget, 1);
    widget->parentWidget = this;
    if (inheritColours) {
        std::copy(std::begin(colors), std::end(colors), widget->colors);
        std::copy(std::begin(highlight), std::end(highlight), widget->highlight);
    }
    if (line && line->firstChild) runScriptLines(widget, line->firstChild);
    if (layoutKind == LAYOUT_LIST || layoutKind == LAYOUT_SCROLLING)
        widget->animationMode = std::max(widget->animationMode, animationMode);
}

unsigned CgroupWidgetVar::readWidgetArguments(CwidgetVar* widget, CscriptLine& line) {
    if (exitSaver || line.tokenCount() < 1) return CMD_DONE;
    auto* image = dynamic_cast<CimageWidgetVar*>(widget);
    if (image == nullptr) return CMD_DONE;
    Cstring const& first = line.tokens[0]; // as written: "$name" must not be evaluated
    bool binding = first.size() > 0 && first.c_str()[0] == '$';
    int elementIndex = 0;
    if (line.tokenCount() >= 2 && !(first == "&") && !binding)
        elementIndex = static_cast<int>(line.getFloat(1));
    if (binding) {
        Cstring varName = first.size() > 1 ? first.substr(1, first.size() - 1) : line.getString(1, true);
        if (first.size() > 1 && line.tokenCount() >= 2) elementIndex = static_cast<int>(line.getFloat(1));
        Cvariable* var = searchUpParentsForVariable(this, varName.c_str());
        if (var == nullptr) {
            setExitError("bad var", 1);
            return CMD_STOP;
        }
        auto* text = dynamic_cast<CtextWidgetVar*>(image);
        if (text && var->getClass() == CLASS_ROTATER) text->wrapWidth = 3.0f;
        image->setContentsVar(var, elementIndex);
        return CMD_DONE;
    }
    if (first == "&") {
        Cvariable* var = findVariable(line.getString(1, true).c_str());
        if (var == nullptr) {
            setExitError("didn't find valSlider path", 1);
            return CMD_STOP;
        }
        image->setContentsVar(var, 0);
        return CMD_DONE;
    }
    image->contents = line.getString(0, true);
    return CMD_DONE;
}

unsigned CgroupWidgetVar::processCommand(CscriptHandler* handler, CscriptLine& line) {
    Cstring const& command = line.name;
    if (command == "clearWidgets") return CMD_DONE;
    if (command == "panelScale") {
        panelScale(static_cast<float>(line.getFloat(0)), static_cast<float>(line.getFloat(1)));
        return CMD_DONE;
    }
    if (command == "addSlider") {
        createSlider(&line);
        return CMD_DONE;
    }
    if (command == "group" || command == "group_list") {
        auto* group = new CgroupWidgetVar();
        addWidget(group, &line, true);
        if (command == "group") group->layoutKind = LAYOUT_FREE;
        return CMD_DONE;
    }
    CimageWidgetVar* widget = nullptr;
    bool keepsAspect = false;
    if (command == "imageWidget") {
        widget = new CimageWidgetVar();
        keepsAspect = true;
    } else if (command == "zonedImageWidget") {
        widget = new CactiveZoneImageWidgetVar();
        keepsAspect = true;
    } else if (command == "menuBG") {
        widget = new CimageWidgetVar();
    } else if (command == "text") {
        auto* text = new CtextWidgetVar();
        if (controlPanel) text->fontSize = controlPanel->fontSize;
        text->wrapWidth = 1.0f;
        widget = text;
    } else if (command == "valSlider") {
        widget = new CvalueSlider();
    } else {
        return CwidgetVar::processCommand(handler, line);
    }
    if (parentWidget) parentWidget->updateRect();
    widget->setName(command);
    if (command == "text" && line.tokenCount() > 0) {
        // A binding names the widget as written: its "$" must not be evaluated here.
        Cstring const& first = line.tokens[0];
        bool binding = first == "&" || (first.size() > 0 && first.c_str()[0] == '$');
        widget->setName(binding ? first : line.getString(0, true));
    }
    if (keepsAspect && controlPanel) widget->keepParentAspect = controlPanel->useOriginalAspect != 0;
    addWidget(widget, &line, true);
    unsigned result = readWidgetArguments(widget, line);
    if (auto* slider = dynamic_cast<CvalueSlider*>(widget)) slider->initValueSlider();
    return result;
}

void CgroupWidgetVar::createSlider(CscriptLine* line) {
    auto* slider = new CverticalSlider();
    slider->size[0] = 0.06f;
    slider->size[1] = 0.88f;
    slider->pos[0] = 0.994f;
    slider->clipChildren = 0;
    addWidget(slider, line, true);
    if (controlPanel) {
        controlPanel->setVerticalSlider(slider);
        if (controlPanel->sliderPosition)
            scroll = targetScroll = static_cast<float>(controlPanel->sliderPosition->getFloat());
    }
}

void CgroupWidgetVar::display() {
    if (layoutKind == LAYOUT_FREE)
        for (Cvariable* c = widgets->firstChild; c; c = c->nextSibling)
            if (auto* w = dynamic_cast<CwidgetVar*>(c)) w->display();
    CwidgetVar::display();
    update();
}

void CgroupWidgetVar::undisplay() {
    for (Cvariable* c = widgets->firstChild; c; c = c->nextSibling)
        if (auto* w = dynamic_cast<CwidgetVar*>(c)) w->undisplay();
    CwidgetVar::undisplay();
}

void CgroupWidgetVar::checkTimeDependentStuff() {
    if (idleTimeout < 1 || controlPanel == nullptr) return;
    CpanelHost& host = controlPanel->host();
    if (globalTime - host.lastInputTime() <= idleTimeout) return;
    if (Cvariable* script = getChild("idleTimeoutScript")) {
        runStringScript(this, script->getString());
        host.setLastInputTime(globalTime);
        return;
    }
    controlPanel->panelOff();
}

void CgroupWidgetVar::panelScale(float sx, float sy) {
    justify = 0;
    updateRect();
    float mps = controlPanel ? controlPanel->mps : 1.0f;
    Crect r(0.5f - 0.29f * sx, 0.5f + 0.29f * sx, 0.5f - 0.18f * sy, 0.5f + 0.18f * sy);
    r.expand(mps, mps);
    Crect view = controlPanel ? controlPanel->guiViewport() : Crect(0, 1, 0, 1);
    Crect frame;
    if (view.maxx == 1.0f) {
        float m = (view.maxy - 1.0f) / 2.0f;
        frame = Crect(0.0f, 1.0f, m, view.maxy - m);
    } else if (view.maxy == 1.0f) {
        float m = (view.maxx - 1.0f) / 2.0f;
        frame = Crect(m, view.maxx - m, 0.0f, 1.0f);
    } else {
        // Neither side spans exactly 1: the largest square centred in the viewport.
        float side = std::min(view.width(), view.height());
        frame = Crect(view.centerx() - side / 2, view.centerx() + side / 2, view.centery() - side / 2,
                      view.centery() + side / 2);
    }
    r.stretchNormalizedTo(frame);
    pos[0] = pos[1] = 0.5f;
    size[0] = view.width() != 0.0f ? r.width() / view.width() : 1.0f;
    size[1] = view.height() != 0.0f ? r.height() / view.height() : 1.0f;
    markForUpdate();
    if (controlPanel) controlPanel->setPanelBGbounds(r, 0.007f);
}
