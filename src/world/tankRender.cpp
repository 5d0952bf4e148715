// The tank's render lists and its displays. Once per master frame the shown groups of all
// shown things are gathered into the opaque, transparent and after-opaque lists; the
// transparent ones are ordered back to front, and each learns the last group of its
// material in that order, which lets the render pass batch like materials.
#include <algorithm>

#include "graphics/frameSources.h"
#include "graphics/graphicsMaster.h"
#include "graphics/polyGroups.h"
#include "graphics/textureImage.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "support/cerr.h"
#include "support/pov.h"
#include "support/quickSort.h"
#include "world/shopKeeper.h"
#include "world/shopGlobals.h"
#include "world/tank.h"
#include "world/tankThings.h"

Clist<CrenderPolyGroup*> materialIDlastRPG;

namespace {

constexpr int kOpaqueGroups = 1000;
constexpr int kTransparentGroups = 1100;
constexpr int kAfterOpaqueGroups = 200;
// A material whose sort position is this draws after the opaque groups, unsorted.
constexpr float kAfterOpaque = -1000.0f;

CquickSort sorter;

// The sort key of the group's sort point this frame: its negated view depth, which runs
// negative into the screen, so ascending keys go from far to near; 0 when it cannot be had.
float sortDepth(CrenderPolyGroup const& g) {
    CworkObject* w = g.owner;
    if (w == nullptr || w->model == nullptr || g.definition == nullptr) return 0.0f;
    int point = g.definition->sortPoint;
    Cvector p;
    if (w->model->workSwitches[0] != 0) {
        w->calcPointNum(point, p, nullptr);
    } else {
        float const* at = w->pointPosition(w->curGeo == &w->workGeo[1] ? 1 : 0, point);
        if (at == nullptr) return 0.0f;
        p.set(at[0], at[1], at[2]);
    }
    CframeSources* sources = w->thing ? w->thing->frameSources() : nullptr;
    Cpov const* pov = sources ? sources->pov() : nullptr;
    if (pov == nullptr) return 0.0f;
    pov->worldSpaceToPOV(p);
    return -p.z;
}

bool isShopInterfaceThing(Ctank const& tank, Cvariable* thing) {
    return tank.shop && tank.shop->controlPanel && tank.shop->controlPanel->node() == thing;
}

} // namespace

float Ctank::fetchTankDisplayGeo() {
    if (displayGeoFetched == 0) {
        getGeometryAndBuildRPGLists();
        sortRPGLists();
    }
    displayGeoFetched = 1;
    return 0.0f;
}

void Ctank::getGeometryAndBuildRPGLists() {
    opaqueList.count = transparentList.count = afterOpaqueList.count = 0;
    if (tankThingAccess == nullptr) return;
    for (Cvariable* node = thingList->firstChild; node; node = node->nextSibling) {
        if (isShopInterfaceThing(*this, node)) continue;
        CworkObject* w = tankThingAccess->shownGeometry(node);
        if (w == nullptr) continue;
        for (CrenderPolyGroup& g : w->renderPolyGroups) {
            if (!g.displayed) continue;
            g.passBits = 255;
            g.calcPOVcoords();
            if (g.set == nullptr || !g.set->transparent) {
                opaqueList.add(&g);
            } else if (g.definition && g.definition->sortPosition == kAfterOpaque) {
                g.screenMin.x = g.screenMin.y = 0.0f;
                g.screenMax.x = float(viewGridCells[0]);
                g.screenMax.y = float(viewGridCells[1]);
                afterOpaqueList.add(&g);
            } else {
                transparentList.add(&g);
            }
        }
    }
}

void Ctank::sortRPGLists() {
    for (int i = 0; i < afterOpaqueList.count; i++)
        opaqueList.add(afterOpaqueList[i]);
    int n = transparentList.count;
    if (n > transparentKeys.capacity) {
        transparentKeys.resizeLarger(n);
        transparentOrder.resizeLarger(n);
    }
    transparentKeys.count = transparentOrder.count = n;
    int largest = 0;
    for (int i = 0; i < n; i++) {
        CrenderPolyGroup* g = transparentList[i];
        float position = g->definition ? g->definition->sortPosition : 0.0f;
        transparentKeys[i] = position != 0.0f ? position : sortDepth(*g);
        transparentOrder[i] = i;
        largest = std::max(largest, int(int16_t(g->materialNumber)));
    }
    if (n <= 0) return;
    sorter.sort(transparentKeys.elements, transparentOrder.elements, n, 0);
    materialIDlastRPG.resizeLarger(largest + 1);
    // Material numbers are compared as signed; a negative one has no slot and is its own last.
    auto slot = [](CrenderPolyGroup* g) { return int(int16_t(g->materialNumber)); };
    for (int j = 0; j < n; j++) {
        CrenderPolyGroup* g = transparentList[transparentOrder[j]];
        if (slot(g) >= 0) materialIDlastRPG[slot(g)] = g;
    }
    for (int j = 0; j < n; j++) {
        CrenderPolyGroup* g = transparentList[transparentOrder[j]];
        g->lastSameMaterial = slot(g) >= 0 ? materialIDlastRPG[slot(g)] : g;
    }
}

void Ctank::setTankDisplayed(short displayed) {
    if (exitSaver) displayed = 0;
    VTRACE(2, "set displayed " << name.c_str() << " " << displayed << " " << exitSaver);
    if (displayed) {
        displayGeoFetched = 0;
        runState = 2;
        calcTankSpeed();
        opaqueList.setSize(kOpaqueGroups, "opaque geos");
        transparentList.setSize(kTransparentGroups, "transp geos");
        afterOpaqueList.setSize(kAfterOpaqueGroups, "aftop geos");
        opaqueList.count = transparentList.count = afterOpaqueList.count = 0;
    } else {
        opaqueList.setSize(0, nullptr);
        transparentList.setSize(0, nullptr);
        afterOpaqueList.setSize(0, nullptr);
        freeTankGraphicsResources(0);
    }
}

int Ctank::freeTankGraphicsResources(int) {
    for (CgraphicsAPI* d : tankDisplays)
        if (d) d->freeAPIgraphicsResources();
    return 0;
}

int Ctank::attachAPI(CgraphicsAPI* display) {
    if (display == nullptr ||
        std::find(tankDisplays.begin(), tankDisplays.end(), display) != tankDisplays.end()) {
        // A display shown twice would be drawn twice and freed twice: refuse it.
        setExitError("repeatAPI", 1);
        return 1;
    }
    auto at = std::find_if(tankDisplays.begin(), tankDisplays.end(), [display](CgraphicsAPI* d) {
        return d->appliedWindowRect.minx > display->appliedWindowRect.minx;
    });
    tankDisplays.insert(at, display);
    display->tank = this;
    numTankDisplays = int16_t(tankDisplays.size());
    reevaluateAPIextensionStatus();
    return 0;
}

void Ctank::detachAPI(CgraphicsAPI* display) {
    auto at = std::find(tankDisplays.begin(), tankDisplays.end(), display);
    if (at == tankDisplays.end()) return;
    display->freeAPIgraphicsResources();
    display->tank = nullptr;
    tankDisplays.erase(at);
    numTankDisplays = int16_t(tankDisplays.size());
    reevaluateAPIextensionStatus();
}

void Ctank::reevaluateAPIextensionStatus() {
    for (int i = 0; i < numTankDisplays && i < int(tankDisplays.size()); i++)
        tankDisplays[size_t(i)]->setOrderingWithinPeers(i, numTankDisplays);
}

void Ctank::updateForRenderPass() {
    updateCamera();
    updateTank(); // records the frame and asks for fresh lists
}

void installTankRenderHooks() {
    graphicsHooks.tankRenderLists = [](Ctank* t) -> CtankRenderLists* { return t; };
    graphicsHooks.updateTankForFrame = [](Ctank* t) { t->updateForRenderPass(); };
    graphicsHooks.tankCamera = [](Ctank* t, CviewCamera& camera) { t->fillViewCamera(camera); };
    graphicsHooks.fetchTankDisplayGeo = [](Ctank* t) { t->fetchTankDisplayGeo(); };
    graphicsHooks.tankMissing = [] { revertToDefaults = 2; };
    graphicsHooks.rebuildTankViews = [](Ctank* t) { t->rebuildAllViewsRect(); };
    graphicsHooks.tankGridCells = [](Ctank* t, int& x, int& y) {
        x = t->viewGridCells[0], y = t->viewGridCells[1];
    };
    graphicsHooks.tankName = [](Ctank* t) { return t->getName().c_str(); };
    graphicsHooks.displayCount = [] { return static_cast<int>(numDisplays); };
    graphicsHooks.findCustomTexture = [](CworkObject* w, char const* name) {
        return w ? dynamic_cast<CtextureImage*>(w->findCustomTexture(name)) : nullptr;
    };
    graphicsHooks.panelShownOn = [](CgraphicsAPI* d) {
        CshopPanel* panel = d->tank && d->tank->shop ? d->tank->shop->controlPanel : nullptr;
        return panel && panel->device() == d && panel->isDisplayed();
    };
    graphicsHooks.guiWorkObjects = [](CgraphicsAPI* d, CworkObject** out, int max) {
        CshopKeeper* shop = d->tank ? d->tank->shop : nullptr;
        CshopPanel* panel = shop ? shop->controlPanel : nullptr;
        // Only the interface display draws the panel, and only while it is shown.
        if (panel == nullptr || shop->guiDisplay != d || !panel->isDisplayed() || max < 1 || !tankThingAccess)
            return 0;
        CworkObject* w = tankThingAccess->shownGeometry(panel->node());
        if (w == nullptr) return 0;
        out[0] = w;
        return 1;
    };
}
