// Panes, the page history of "main_pane", and the pop-up sub-menu of a rotater's choices.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "interface/controlPanel.h"
#include "interface/groupWidget.h"
#include "interface/textWidget.h"
#include "script/rotaterVar.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "variables/variableBasics.h"
#include "world/shopGlobals.h"

namespace {

// Seconds after the last input within which "main_pane" gets its idle time-out.
constexpr double kRecentInputSeconds = 1.0;
constexpr int kMainPaneIdleSeconds = 40;
constexpr char const* kSubMenuPane = "pop_up_rotater_options";

// The panes in order (the list may change while they are closed).
std::vector<CgroupWidgetVar*> panesOf(CgroupWidgetVar* root) {
    std::vector<CgroupWidgetVar*> panes;
    for (Cvariable* c = root->widgetList()->firstChild; c; c = c->nextSibling)
        if (auto* pane = dynamic_cast<CgroupWidgetVar*>(c)) panes.push_back(pane);
    return panes;
}

} // namespace

CgroupWidgetVar* CcontrolPanel::findExistingPane(char const* paneName) {
    for (Cvariable* c = allWidgetsRoot->widgetList()->firstChild; c; c = c->nextSibling)
        if (c->name == paneName) return dynamic_cast<CgroupWidgetVar*>(c);
    return nullptr;
}

bool CcontrolPanel::hasPane(char const* paneName) {
    return findExistingPane(paneName) != nullptr;
}

bool CcontrolPanel::hasVisiblePanes() {
    return hasPane("bar") || hasPane("main_pane");
}

CgroupWidgetVar* CcontrolPanel::showPane(Cstring const& paneName, Cstring const& page, Cstring const& script,
                                         bool addToHistory) {
    singleClickRegisterTime = 0.0f;
    CgroupWidgetVar* existing = findExistingPane(paneName.c_str());
    if (page == "off") {
        if (paneName == "*")
            closePane(static_cast<CgroupWidgetVar*>(nullptr));
        else if (existing)
            closePane(existing);
        return nullptr;
    }
    if (page == "*back") {
        if (!(paneName == "main_pane")) return nullptr;
        if (pageHistory.size() >= 2) deleteLastHistory();
        Cstring last = getLastPage();
        return showPane(paneName, last, script, true);
    }
    if (existing && closePane(existing) != 0) return existing;
    // The start's hint lies over the top of the pages and says how to open the bar: it goes
    // when either opens.
    if (paneName == "main_pane" || paneName == "bar")
        if (CgroupWidgetVar* hint = findExistingPane("tutorial_pane")) closePane(hint);

    useOriginalAspect = 0;
    auto* pane = new CgroupWidgetVar();
    pane->setName(paneName);
    currentPane = pane;
    allWidgetsRoot->addWidget(pane, nullptr, true);
    if (paneName == "no_pane")
        pane->setAsFirstChild();
    else
        pane->setAsLastChild();
    pane->layoutKind = LAYOUT_FREE;
    pane->clipChildren = 0;
    if (!(paneName == "no_pane")) {
        host().setTurnOffMouseIfNoMovement(false);
        showingPane = 1;
    }
    if (paneName == "main_pane") {
        if (globalTime - host().lastInputTime() < kRecentInputSeconds)
            pane->idleTimeout = kMainPaneIdleSeconds;
        pane->panelScale(0.86f, 0.89f);
        pane->acceptsFocus = 1;
        sliderPosition = nullptr;
        if (addToHistory) addHistoryPage(page);
    }
    auto* myPage = new CstringVar();
    myPage->setName("myPage");
    myPage->setString(page.c_str());
    pane->addVariable(myPage, 1);
    isPointless = 0;
    CbasicDeformThing::setDisplayed(1);

    Cvariable* pageScript = allWidgetsRoot->findVariable(page.c_str());
    if (pageScript == nullptr && !script.empty()) {
        Cstring file = script.c_str()[0] == '/' ? script.substr(1, script.size() - 1)
                                                : Cstring("species/gui_panel/") + script;
        host().runScriptFile(file.c_str());
        pageScript = findVariable(page.c_str());
    }
    if (pageScript) {
        runScript(pane, pageScript);
    } else if (!(page == "create")) {
        char text[1024];
        std::snprintf(text, sizeof text, "couldn't find script >%s< >%s< >%s<", paneName.c_str(),
                      page.c_str(), script.c_str());
        setExitError(text, 1);
        return nullptr;
    }
    if (!exitSaver) allWidgetsRoot->display();
    if (Cvariable* idle = pane->getChild("idleOffTime")) pane->idleTimeout = idle->getInt();
    needsMouseMove = 1;
    return pane;
}

void CcontrolPanel::closePane(char const* paneName) {
    showPane(paneName, "off", "", true);
}

int CcontrolPanel::closePane(CgroupWidgetVar* pane) {
    if (pane == nullptr) {
        for (CgroupWidgetVar* p : panesOf(allWidgetsRoot))
            if (p != currentPane && p->getChild("noDelete") == nullptr) closePane(p);
        return 0;
    }
    needsMouseMove = 1;
    host().removePanelKeys();
    if (host().pickerOn()) deleteLastHistory();
    if ((pane->name == "no_pane" && holdNoPane) || (pane->name == "tutorial_pane" && holdTutorialPane))
        return 1;
    pane->flags |= PANE_CLOSING;
    if (Cvariable* deactivate = pane->getChild("deactivate")) {
        runScript(pane, deactivate);
        deleteVariable(deactivate); // it runs once
    }
    bool mainPane = pane->name == "main_pane";
    deletePane(pane);
    if (mainPane) host().removePanelKeys();
    return 0;
}

void CcontrolPanel::deletePane(CgroupWidgetVar* pane) {
    if (pane == nullptr) return;
    bool mainPane = pane->name == "main_pane";
    pane->trickleDownMessage(WIDGET_CLEAR, nullptr);
    pane->undisplay();
    if (currentPane == pane) currentPane = nullptr;
    deleteVariable(pane);
    if (mainPane) hidePanelBackground();
}

void CcontrolPanel::panelOff() {
    isClosing = 1;
    closePane(static_cast<CgroupWidgetVar*>(nullptr));
    host().realMousePointerOff();
    clearHistory();
    verticalSlider = nullptr;
    doNoPanesPaneIfNecessary();
}

void CcontrolPanel::doNoPanesPaneIfNecessary() {
    if (allWidgetsRoot->widgetList()->countChildren() != 1) return;
    host().setTurnOffMouseIfNoMovement(true);
    showingPane = 0;
    host().giveGraceSecondsUntilSequenceRotate();
    if (!host().sequenceIsChanging()) {
        Cstring script = host().panelOffScript();
        if (!script.empty()) runStringScript(this, script.c_str());
    }
}

Cstring CcontrolPanel::createScriptToRecreateCurrentPanes() {
    Cstring text;
    for (CgroupWidgetVar* pane : panesOf(allWidgetsRoot)) {
        Cvariable* page = pane->getChild("myPage");
        text += Cstring(":pane ") + pane->name + " " + (page ? Cstring(page->getString()) : Cstring()) + " ";
    }
    return text;
}

// ---- the history of "main_pane" ----

void CcontrolPanel::addHistoryPage(Cstring const& page) {
    if (isPointless) return;
    if (!pageHistory.empty() && pageHistory.back() == page) return;
    pageHistory.push_back(page);
    numHistory = static_cast<short>(pageHistory.size());
}

Cstring CcontrolPanel::getLastPage() {
    return pageHistory.empty() ? Cstring() : pageHistory.back();
}

void CcontrolPanel::deleteLastHistory() {
    if (pageHistory.empty()) return;
    pageHistory.pop_back();
    numHistory = static_cast<short>(pageHistory.size());
}

void CcontrolPanel::clearHistory() {
    pageHistory.clear();
    numHistory = 0;
}

// ---- the sub-menu of a rotater's choices ----

void CcontrolPanel::doSubMenu(CtextWidgetVar* owner, CrotaterVar* rotater) {
    if (owner == nullptr || rotater == nullptr) return;
    CgroupWidgetVar* pane = showPane(kSubMenuPane, "create", "", true);
    if (pane == nullptr) {
        VTRACE(1, "nopapin: the sub-menu pane could not be made");
        return;
    }
    CgroupWidgetVar* frame = owner->parentWidget;
    if (frame) {
        frame->updateRect();
        rectWithinScreen(pane, frame->rect);
    }
    subMenuOwner = owner;
    suspendActiveWidgets(true);

    owner->updateRect();
    float top[4], out[7];
    owner->fillTopBottomColors(out, 0.0f);
    for (int c = 0; c < 3; c++)
        top[c] = std::min(out[c], 1.0f);
    float bottom[3] = {std::min(out[4], 1.0f), std::min(out[5], 1.0f), std::min(out[6], 1.0f)};
    std::string text =
        ":imageWidget arrays/white.rgb { :set color .8 .9 1 1 .6 .7 .8 :set name imgBG :set justify 1 } "
        ":imageWidget arrays/white.rgb { :set name img :set justify 1 :set color .1 .13 .2 1 0 .05 .1 } ";
    char buffer[512];
    std::snprintf(
        buffer, sizeof buffer,
        ":group_list { :set name menuGroup :animate :set fontSize %g :set color %g %g %g 1 %g %g %g ",
        owner->fontSize, top[0], top[1], top[2], bottom[0], bottom[1], bottom[2]);
    text += buffer;
    int count = 0;
    for (Cvariable* choice = rotater->firstChild; choice; choice = choice->nextSibling) {
        if (!(choice->name == "x")) continue;
        Cstring label = variableElementText(choice, 1);
        std::snprintf(buffer, sizeof buffer,
                      " :text \"%s\" { :set justify 1 :script release { :rotate %s set %g } }", label.c_str(),
                      rotater->name.c_str(), variableElementFloat(choice, 0));
        text += buffer;
        count++;
    }
    int current = std::max(rotater->getIndexOfCurrentSelection(), 0);
    float x = owner->pos[0] - owner->size[0] / 2 + owner->markerOffset;
    float y = owner->pos[1] + (static_cast<float>(current) + 0.5f - static_cast<float>(count) / 2.0f) *
                                  (owner->size[1] + 0.01f);
    std::snprintf(buffer, sizeof buffer, " :set pos %g %g }", x, y);
    text += buffer;
    runStringScript(pane, text.c_str());

    auto* menu = dynamic_cast<CgroupWidgetVar*>(pane->widgetList()->getChild("menuGroup"));
    auto* img = dynamic_cast<CwidgetVar*>(pane->widgetList()->getChild("img"));
    auto* imgBG = dynamic_cast<CwidgetVar*>(pane->widgetList()->getChild("imgBG"));
    if (menu && img && imgBG) {
        menu->update();
        float g = menu->aspect;
        float const* b = menu->contentBounds;
        img->size[0] = (b[2] - b[0]) + 0.04f * g;
        img->size[1] = (b[3] - b[1]) + 0.04f;
        img->pos[0] = x - 0.02f * g;
        img->pos[1] = y;
        imgBG->size[0] = img->size[0] + 0.02f * g;
        imgBG->size[1] = img->size[1] + 0.02f;
        imgBG->pos[0] = img->pos[0] - 0.01f * g;
        imgBG->pos[1] = img->pos[1];
        img->markForUpdate();
        imgBG->markForUpdate();
        subMenuHeld = 0;
        pressedWidget = nullptr;
        imgBG->update();
        imgBG->updateRect(); // also before it has a quad
        float right = imgBG->rect.maxx;
        menu->trickleDownMessage(WIDGET_HIT_RIGHT, &right);
    }
    allWidgetsRoot->display();
}

void CcontrolPanel::subMenuOff() {
    if (subMenuOwner == nullptr) return;
    CtextWidgetVar* owner = subMenuOwner;
    if (CgroupWidgetVar* pane = findExistingPane(kSubMenuPane)) closePane(pane);
    suspendActiveWidgets(false);
    owner->runChildScript("doneMenu");
    subMenuOwner = nullptr;
    subMenuHeld = 0;
    allWidgetsRoot->needsUpdating();
}

void CcontrolPanel::suspendActiveWidgets(bool suspend) {
    for (size_t i = boxes.size(); i-- > 0;) {
        CimageBoxVar* b = boxes[i];
        CwidgetVar* owner = b->owner;
        if (owner == nullptr) continue;
        if (!suspend) {
            // Halved back; a widget that took a box while the menu was open keeps its 1.
            if (owner->acceptsFocus >= 2) owner->acceptsFocus = static_cast<short>(owner->acceptsFocus / 2);
            continue;
        }
        if (owner->acceptsFocus == 1) owner->acceptsFocus = 2;
        if (b->boxNumber < 3) continue;
        CimageBoxVar* lowest = findFreeImageBox();
        if (lowest == nullptr || lowest->boxNumber >= b->boxNumber) continue;
        // The pane's widgets move down into low boxes: the high ones, drawn last, are left
        // to the sub-menu.
        CtextureImage* texture = b->texture();
        float baseUV[4][2];
        std::copy(&b->baseUV[0][0], &b->baseUV[0][0] + 8, &baseUV[0][0]);
        bool shown = b->quadShown();
        b->owner = nullptr;
        b->clear();
        lowest->owner = owner;
        owner->imageBox = lowest;
        for (int c = 0; c < 4; c++)
            lowest->setCornerBaseUV(c, baseUV[c][0], baseUV[c][1]);
        lowest->copyToUV();
        lowest->uvSet = 1;
        if (texture) lowest->setTexture(texture);
        lowest->showQuad(shown);
        owner->markForUpdate();
    }
}
