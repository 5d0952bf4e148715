#include "interface/controlPanel.h"

#include <cstdio>

#include "graphics/graphicsMaster.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "interface/fishFont.h"
#include "interface/groupWidget.h"
#include "interface/sliders.h"
#include "interface/textWidget.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "data/aquaResource.h"
#include "variables/variablePaths.h"
#include "world/shopGlobals.h"
#include "world/tank.h"

CcontrolPanel* controlPanel = nullptr;

namespace {
// Box numbers the pool reads from the model; larger ones are ignored.
constexpr int kMaxBoxNumbers = 200;
// The model's "panel" value of the frame's points.
constexpr int kFramePoint = -2;
// The frame's width, in borders.
constexpr float kFrameWidth = 1.5f;
// Every 60th widget frame the time-dependent checks run.
constexpr int kTimeCheckFrames = 60;
} // namespace

CcontrolPanel::CcontrolPanel() : panelHost(&shopPanelHost()) {
    controlPanel = this;
    attributes |= THING_INTERFACE;
    registerShort(numHistory, "numHistory", 0);
    registerShort(isClosing, "isClosing", 0);
    registerShort(tourPage, "tourPage", 0);
    registerShort(useOriginalAspect, "useOriginalAspect", 0);
    registerShort(showingPane, "showingPane", 0);
    registerFloat(fontSize, "fontSize", 0);
    registerShort(holdTutorialPane, "hold_tutorial_pane", 0);
    registerString(panelType, "panelType", 0);
    mps = host().interfaceScale();
    registerFloat(mps, "mps", 0);
    registerShort(isPointless, "isPointless", 0);
    registerFloat(width, "width", 0);
    registerFloat(height, "height", 0);
    registerFloat(halfWidth, "halfWidth", 0);
    registerFloat(aspect, "aspect", 0);
    pickedLinks[0] = registerString(pickedName, "pickedName", 0);
    pickedLinks[1] = registerString(pickedAbout, "pickedAbout", 0);
    pickedLinks[2] = registerFloat(pickedSize, "pickedSize", 0);
    imageBoxes = addDirectory("imageBoxes", 1);
    trash = addDirectory("trash", 1);
    allWidgetsRoot = new CgroupWidgetVar("allPanes");
    allWidgetsRoot->setName("allWidgetsRoot");
    allWidgetsRoot->layoutKind = LAYOUT_FREE;
    allWidgetsRoot->clipChildren = 0;
    addVariable(allWidgetsRoot, 1);
    panelFont = engineHooks.fontLoader ? engineHooks.fontLoader("gothic_extras") : nullptr;
    widgetUpdateFrame = 0;
}

CcontrolPanel::~CcontrolPanel() {
    subMenuOwner = nullptr;
    focusWidget = pressedWidget = nullptr;
    verticalSlider = nullptr;
    CbasicDeformThing::setDisplayed(0);
    if (allWidgetsRoot) {
        allWidgetsRoot->unhook();
        delete allWidgetsRoot;
        allWidgetsRoot = nullptr;
    }
    if (trash) trash->deleteChildren();
    for (CimageBoxVar* b : boxes) {
        b->owner = nullptr;
        b->clear();
        b->unhook();
        delete b;
    }
    boxes.clear();
    delete panelFont;
    panelFont = nullptr;
    if (controlPanel == this) controlPanel = nullptr;
}

CfishFont* CcontrolPanel::font() {
    if (panelFont == nullptr) panelFont = requestFont("gothic_extras");
    return panelFont;
}

unsigned CcontrolPanel::processCommand(CscriptHandler* handler, CscriptLine& line) {
    if (line.name == "addKey") return host().addPanelKey(line);
    if (line.name == "prepSlider") {
        Cvariable* root = host().scrollPositionRoot();
        if (root == nullptr) root = this;
        Cstring path = Cstring("scrollbars/") + (scriptName.empty() ? Cstring("unnamed") : scriptName);
        bool existed = root->findVariable(path.c_str()) != nullptr;
        Cvariable* position = addVariableForcedPath(root, path.c_str(), CLASS_FLOAT, 1);
        if (position && !existed) position->setFloat(1.0);
        sliderPosition = position;
        return CMD_DONE;
    }
    return CbasicDeformThing::processCommand(handler, line);
}

int CcontrolPanel::resetThing(int mode) {
    int result = CbasicDeformThing::resetThing(mode);
    // The boxes write into one work buffer: the panel never blends two.
    smoothing = 0;
    return result;
}

int CcontrolPanel::doExtraInit() {
    CworkObject* w = workObject;
    CtexturedGeo* model = w ? w->model : nullptr;
    if (model == nullptr || w->workGeo[0].pointData() == nullptr) {
        setExitError("panel geo not found!", 1);
        return 1;
    }
    int panelAttrib = model->findAttrib("panel", 0);
    if (panelAttrib < 0) {
        setExitError("panel must have 'panel' attribute!", 1);
        return 1;
    }
    if (!model->interleaved) {
        // A model of the wrong layout is refused, not fatal.
        setExitError("notInterlvd: the panel's model", 1);
        return 1;
    }
    std::vector<std::vector<int>> vertices;
    framePoints.clear();
    for (int v = 0; v < model->numPoints; v++) {
        int number = static_cast<int>(model->pointRecord(v)[panelAttrib]);
        if (number == kFramePoint) framePoints.push_back(v);
        if (number < 0 || number >= kMaxBoxNumbers) continue;
        if (static_cast<int>(vertices.size()) <= number) vertices.resize(static_cast<size_t>(number) + 1);
        if (vertices[static_cast<size_t>(number)].size() < 4)
            vertices[static_cast<size_t>(number)].push_back(v);
    }
    float* data = w->workGeo[0].pointData();
    int n = w->numPoints;
    auto point = [&](int offset, int floats, int v) -> float* {
        return offset >= 0 && v >= 0 && v < n
                   ? data + static_cast<size_t>(offset) * n + static_cast<size_t>(v) * floats
                   : nullptr;
    };
    for (size_t i = 0; i < vertices.size(); i++) {
        auto* b = new CimageBoxVar();
        char boxName[16];
        std::snprintf(boxName, sizeof boxName, "ib%d", static_cast<int>(i));
        b->setName(boxName);
        b->boxNumber = static_cast<uint8_t>(i);
        b->quadDepth = &quadDepth;
        for (size_t c = 0; c < vertices[i].size(); c++) {
            int v = vertices[i][c];
            b->corners[c] = point(w->posOffset, w->posSize, v);
            b->uvs[c] = point(w->uvOffset, 2, v);
            b->colours[c] = w->colorSize >= 4 ? point(w->colorOffset, w->colorSize, v) : nullptr;
            if (b->uvs[c]) b->setCornerBaseUV(static_cast<int>(c), b->uvs[c][0], b->uvs[c][1]);
        }
        if (i < w->renderPolyGroups.size()) b->polyGroup = &w->renderPolyGroups[i];
        b->keepOwnTexture();
        imageBoxes->addVariable(b, 0);
        boxes.push_back(b);
        b->clear();
    }
    for (int reserved = 0; reserved < 3 && reserved < boxCount(); reserved++)
        boxes[static_cast<size_t>(reserved)]->available = 0;
    w->materialDisplayed("panel_bg", 0);
    imageBoxes->reverseChildren();
    return 0;
}

CimageBoxVar* CcontrolPanel::findFreeImageBox() {
    for (CimageBoxVar* b : boxes)
        if (b->available && b->owner == nullptr) return b;
    return nullptr;
}

void CcontrolPanel::freeImageBox(CimageBoxVar* b) {
    if (b == nullptr) return;
    if (b->owner && b->owner->imageBox == b) b->owner->imageBox = nullptr;
    b->clear();
}

void CcontrolPanel::forgetWidget(CwidgetVar* widget) {
    if (focusWidget == widget) focusWidget = nullptr;
    if (pressedWidget == widget) pressedWidget = nullptr;
    if (subMenuOwner == widget) subMenuOwner = nullptr;
    if (currentPane == widget) currentPane = nullptr;
    if (verticalSlider == widget) verticalSlider = nullptr;
}

float CcontrolPanel::displayHeight() const {
    return display && display->height > 0 ? display->height : 720.0f;
}

Crect CcontrolPanel::guiViewport() const {
    return display ? display->guiViewportRect : Crect(0.0f, 1.0f, 0.0f, 1.0f);
}

void CcontrolPanel::toInterface(float& x, float& y) const {
    if (display) display->convertScreenCoordsToGUIviewport(x, y);
}

void CcontrolPanel::changeScreenAspect() {
    Crect view = guiViewport();
    allWidgetsRoot->pos[0] = view.centerx();
    allWidgetsRoot->pos[1] = view.centery();
    allWidgetsRoot->size[0] = view.width();
    allWidgetsRoot->size[1] = view.height();
    allWidgetsRoot->needsUpdating();
    allWidgetsRoot->rectValid = 0;
    allWidgetsRoot->updateRect();
    width = view.width();
    height = view.height();
    halfWidth = width / 2.0f;
}

void CcontrolPanel::rectWithinScreen(CgroupWidgetVar* pane, Crect const& r) {
    if (pane == nullptr) return;
    allWidgetsRoot->updateRect();
    Crect const& root = allWidgetsRoot->rect;
    float w = root.width() != 0.0f ? root.width() : 1.0f, h = root.height() != 0.0f ? root.height() : 1.0f;
    pane->pos[0] = (r.centerx() - root.minx) / w;
    pane->pos[1] = (r.centery() - root.miny) / h;
    pane->size[0] = r.width() / w;
    pane->size[1] = r.height() / h;
    pane->justify = pane->vjustify = 0;
    pane->markForUpdate();
}

void CcontrolPanel::setPanelBGbounds(Crect const& r, float border) {
    backgroundBorder = border;
    if (CimageBoxVar* background = box(0)) {
        background->setPosition(r, 0.0f);
        background->showQuad(true);
    }
    if (workObject) {
        workObject->materialDisplayed("panel_bg", 1);
        float* data = workObject->workGeo[0].pointData();
        int n = workObject->numPoints;
        float edge = kFrameWidth * border;
        Crect outer(r.minx - edge, r.maxx + edge, r.miny - edge, r.maxy + edge);
        for (size_t k = 0; k < framePoints.size() && k < 8 && data; k++) {
            Crect const& at = k < 4 ? r : outer;
            float* p = data + static_cast<size_t>(workObject->posOffset) * n +
                       static_cast<size_t>(framePoints[k]) * static_cast<size_t>(workObject->posSize);
            p[0] = (k & 1) ? at.maxx : at.minx;
            p[1] = (k & 2) ? at.maxy : at.miny;
            p[2] = quadDepth;
        }
    }
    // A rig with the frame's joints scales them as the border asks.
    for (size_t j = 1; j < jointMatrices.size() && j <= 12; j++) {
        float s = j <= 4 ? border : 0.015f;
        jointMatrices[j].side.set(s, 0, 0);
        jointMatrices[j].up.set(0, s, 0);
        jointMatrices[j].forward.set(0, 0, s);
    }
}

void CcontrolPanel::hidePanelBackground() {
    if (CimageBoxVar* background = box(0)) background->showQuad(false);
    if (workObject) workObject->materialDisplayed("panel_bg", 0);
}

void CcontrolPanel::setDisplayed(bool on, bool runSavedScript) {
    subMenuOwner = nullptr;
    if (!on) {
        verticalSlider = nullptr;
        if (displayed) {
            recreationScript = createScriptToRecreateCurrentPanes();
            closePane(static_cast<CgroupWidgetVar*>(nullptr));
        }
    } else if (!exitSaver) {
        if (display) {
            aspect = display->height > 0 ? display->width / display->height : 0.0f;
            changeScreenAspect();
        }
        isClosing = 0;
        if (runSavedScript && !recreationScript.empty()) runStringScript(this, recreationScript.c_str());
        recreationScript = "";
        showPane("no_pane", "/std_scripts/no_panes_pane", "", true);
        doNoPanesPaneIfNecessary();
    }
    CbasicDeformThing::setDisplayed(on ? 1 : 0);
}

void CcontrolPanel::followPickedAnimal() {
    auto* owner = dynamic_cast<Ctank*>(tank);
    Cvariable* focus = owner ? owner->focus : nullptr;
    if (focus == pickedThing) return;
    pickedThing = focus;
    auto* animal = dynamic_cast<Cthing*>(focus);
    Cvariable* species = animal ? dynamic_cast<Cvariable*>(animal->species) : nullptr;
    Cvariable* common = species ? species->getChild("commonName") : nullptr;
    Cvariable* about = species ? species->getChild("about") : nullptr;
    // Set through the links, so texts bound to them follow.
    pickedLinks[0]->setString(common ? common->getString() : species ? species->name.c_str() : "");
    pickedLinks[1]->setString(about ? about->getString() : "");
    pickedLinks[2]->setFloat(animal ? animal->thingScale : 0.0f);
}

void CcontrolPanel::hideWidgetsUnderPanes() {
    for (CimageBoxVar* b : boxes) {
        CwidgetVar* owner = b ? b->owner : nullptr;
        Cvariable* pane = owner ? owner->getChild("hideWhilePane") : nullptr;
        if (pane) b->showQuad(owner->showIt != 0 && !hasPane(pane->getString()));
    }
}

int CcontrolPanel::update() {
    followPickedAnimal();
    currentPane = nullptr;
    if (trash) trash->deleteChildren();
    widgetUpdateFrame++;
    if (needsMouseMove) {
        needsMouseMove = 0;
        float x, y;
        host().lastPointerPosition(x, y);
        mouseMove(x, y);
    }
    if (displayed && !exitSaver) {
        allWidgetsRoot->trickleDownMessage(WIDGET_UPDATE, nullptr);
        hideWidgetsUnderPanes();
    }
    if (widgetUpdateFrame % kTimeCheckFrames == 0)
        allWidgetsRoot->trickleDownMessage(WIDGET_TIME_CHECKS, nullptr);
    if (singleClickRegisterTime > 0.0f && focusWidget) {
        singleClickRegisterTime -= globalSecondsSinceLastFrame;
        if (singleClickRegisterTime <= 0.0f) {
            singleClickRegisterTime = 0.0f;
            float x, y;
            host().lastPressPosition(x, y);
            toInterface(x, y);
            focusWidget->mouseMessage(MOUSE_SINGLE_CLICK, x, y);
        }
    }
    return 0;
}
