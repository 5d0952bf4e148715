// The render pass: one frame of the attached tank on this display. The tank moves on once
// per master frame, whichever of its displays draws first; the opaque groups draw in list
// order, the transparent ones back to front, except that groups of one material are pulled
// forward and drawn together when nothing between them shares a grid cell with them, which
// saves program and texture switches.
#include "graphics/graphicsMaster.h"
#include "graphics/polyGroups.h"
#include "graphics/workObject.h"
#include "support/cerr.h"

namespace {

constexpr int kGuiGroups = 100;
// Candidates a look-ahead may pass over before it gives up.
constexpr int kMaterialBudget = 10;
constexpr int kObjectBudget = 6;

bool overlaps(CrpgLink const* a, CrpgLink const* b) {
    return (a->xCells & b->xCells) != 0 && (a->yCells & b->yCells) != 0;
}

// Whether a chained link from first up to stop (exclusive) covers stop on screen.
bool gapCovers(CrpgLink* first, CrpgLink* stop) {
    for (CrpgLink* g = first; g && g != stop; g = g->next)
        if (overlaps(g, stop)) return true;
    return false;
}

void unchain(CrpgLink* c) {
    if (c->previous) c->previous->next = c->next;
    if (c->next) c->next->previous = c->previous;
}

bool lastOfMaterial(CrpgLink const* c) {
    return c->group->lastSameMaterial == c->group;
}

} // namespace

bool CgraphicsAPI::isRPGvisible(CrenderPolyGroup* group) const {
    if (group == nullptr) return false;
    if ((group->definition && group->definition->skipPOVtest) || drawAll) return true;
    return group->screenMin.x <= cellRect.maxx && group->screenMax.x >= cellRect.minx &&
           group->screenMin.y <= cellRect.maxy && group->screenMax.y >= cellRect.miny;
}

void CgraphicsAPI::fetchDisplayGeo(Ctank* t) {
    if (t && graphicsHooks.fetchTankDisplayGeo) graphicsHooks.fetchTankDisplayGeo(t);
    // Every listed group is this display's to draw once in this refresh, also when the lists
    // stand from an earlier refresh (a paused tank is not updated, so they are not rebuilt).
    CtankRenderLists* lists = t && graphicsHooks.tankRenderLists ? graphicsHooks.tankRenderLists(t) : nullptr;
    if (lists == nullptr) return;
    for (Clist<CrenderPolyGroup*>* list :
         {&lists->opaqueList, &lists->transparentList, &lists->afterOpaqueList})
        for (int i = 0; i < list->count; i++)
            if (CrenderPolyGroup* g = (*list)[i])
                g->passBits = static_cast<uint8_t>(g->passBits | displayBit);
}

void CgraphicsAPI::fetchGuiGeo() {
    // The storage stays from frame to frame; only the count starts again.
    if (guiList.capacity != kGuiGroups) guiList.setSize(kGuiGroups, "panel");
    guiList.count = 0;
    if (!graphicsHooks.guiWorkObjects) return;
    CworkObject* objects[2] = {};
    int n = graphicsHooks.guiWorkObjects(this, objects, 2);
    for (int i = 0; i < n && i < 2; i++)
        addThingToGuiGeo(objects[i]);
}

void CgraphicsAPI::addThingToGuiGeo(CworkObject* object) {
    if (object == nullptr) return;
    for (CrenderPolyGroup& g : object->renderPolyGroups) {
        if (!g.displayed) continue;
        g.passBits = 255;
        g.screenMin.x = g.screenMin.y = 0;
        g.screenMax.x = g.screenMax.y = 1000;
        guiList.add(&g);
    }
}

int CgraphicsAPI::passesObscuringTest(CrpgLink* a, CrpgLink* b) {
    if (a == b) return 1;
    return gapCovers(a, b) ? 0 : 1;
}

void CgraphicsAPI::scanForSimilarObjects(CrpgLink* from, CrpgLink* anchor) {
    CworkObject* object = currentLink->workObject;
    uint16_t material = currentLink->materialNumber;
    int budget = kObjectBudget;
    for (CrpgLink* c = from->next; c;) {
        CrpgLink* following = c->next;
        if (c->group && c->workObject == object && c->materialNumber == material) {
            if (gapCovers(anchor->next, c)) return;
            if (c->group->passBits & displayBit) geoToDisplay(c->group);
            if (lastOfMaterial(c)) return;
            unchain(c);
            budget = kObjectBudget;
        }
        if (budget-- == 0) return;
        c = following;
    }
}

int CgraphicsAPI::RenderFraction(float) {
    CtankRenderLists* lists =
        tank && graphicsHooks.tankRenderLists ? graphicsHooks.tankRenderLists(tank) : nullptr;
    if (renderState == 5) {
        if (lists && !lists->tankDisplays.empty() && lists->tankDisplays[0] == this)
            for (CgraphicsAPI* d : lists->tankDisplays)
                if (d) d->renderState = 0;
        renderState = 0;
    }
    if (renderState != 0) return 0;

    switchToThisRenderer(29);
    if (tank == nullptr) {
        setExitError("Null Tank - this is a bug!", 1);
        if (graphicsHooks.tankMissing) graphicsHooks.tankMissing();
        renderState = 5;
        return 0;
    }
    if (lists && lists->lastUpdateFrame != masterFrame && graphicsHooks.updateTankForFrame)
        graphicsHooks.updateTankForFrame(tank);

    beginDraw();
    framesRendered++;
    cameraToRenderer();
    perFrameGraphicsSetup();
    geoToDisplay(nullptr);
    panelOnThisDisplay = graphicsHooks.panelShownOn && graphicsHooks.panelShownOn(this) ? 1 : 0;
    fetchDisplayGeo(tank);
    opaqueIndex = 0;
    lastTransparentIndex = lists ? lists->transparentList.count - 1 : -1;
    renderState = 2;

    switchToThisRenderer(30);
    if (lists)
        for (; opaqueIndex < lists->opaqueList.count; opaqueIndex++) {
            CrenderPolyGroup* g = lists->opaqueList[opaqueIndex];
            if (isRPGvisible(g)) geoToDisplay(g);
        }
    renderState = 3;

    // The chain of visible transparent groups, back to front, in one reused array.
    int n = lists ? lists->transparentList.count : 0;
    rpgLinks.resizeLarger(n + 1);
    CrpgLink* links = rpgLinks.elements;
    links[0] = CrpgLink{};
    int filled = 0;
    for (int j = 0; j < n; j++) {
        CrenderPolyGroup* g = lists->transparentList[lists->transparentOrder[j]];
        if (!isRPGvisible(g)) continue;
        CrpgLink& l = links[filled];
        l = CrpgLink{};
        l.previous = filled > 0 ? &links[filled - 1] : nullptr;
        if (filled > 0) links[filled - 1].next = &l;
        l.group = g;
        l.materialNumber = g->materialNumber;
        l.workObject = g->owner;
        l.xCells = g->xCellMask;
        l.yCells = g->yCellMask;
        filled++;
    }

    switchToThisRenderer(31);
    for (CrpgLink* l = &links[0]; l; l = l->next) {
        currentLink = l;
        if (l->group == nullptr) continue;
        if (l->group->passBits & displayBit) geoToDisplay(l->group);
        if (lastOfMaterial(l)) continue;
        scanForSimilarObjects(l, l);
        int budget = kMaterialBudget;
        for (CrpgLink* c = l->next; c;) {
            CrpgLink* following = c->next;
            if (c->group && c->materialNumber == l->materialNumber) {
                if (gapCovers(l->next, c)) break;
                if (c->group->passBits & displayBit) geoToDisplay(c->group);
                if (lastOfMaterial(c)) break;
                unchain(c);
                budget = kMaterialBudget;
            }
            if (budget-- == 0) break;
            c = following;
        }
    }
    currentLink = &links[0];
    renderState = 4;

    switchToThisRenderer(32);
    drawGuideGeometry(guideGeo);
    fetchGuiGeo();
    if (guiList.count > 0) drawFlatStuff(guiList);
    guiList.count = 0;
    geoToDisplay(nullptr);
    endDraw();
    renderState = 5;
    return 0;
}
