// Picking the thing under a screen position: the widening search over the pickable things,
// the press-and-release click protocol and the highlight marker.
#include <cmath>

#include "graphics/graphicsMaster.h"
#include "support/cerr.h"
#include "world/shopGlobals.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/tankLive.h"
#include "world/tankThings.h"

Cvariable* Ctank::getThingClosestToScreenSpace(CgraphicsAPI* display, float x, float y, float tolerance) {
    Cvector pointer = screenPixelToTankSpace(display, x, y, 2.0f);
    pov.worldSpaceToPOV(pointer);
    if (tolerance < 0.0f || thingList == nullptr) return nullptr;
    float margin = 0.0f;
    for (;;) {
        float bestDepth = 100.0f;
        Cvariable* taken = nullptr;
        bool hit = false;
        for (Cvariable* t = thingList->firstChild; t; t = t->nextSibling) {
            if (tankThingAccess == nullptr || !(tankThingAccess->attributes(t) & ATTR_PICKABLE)) continue;
            Cvector mid;
            if (!tankLiveAccess->getMidPos(t, mid)) continue;
            float z = mid.z;
            Cvector corner(0, 0, z);
            tankLiveAccess->boundingBoxMin(t, corner.x, corner.y);
            pov.worldSpaceToPOV(mid);
            pov.worldSpaceToPOV(corner);
            float ex = mid.x - corner.x + margin, ey = mid.y - corner.y + margin;
            if (ex == 0.0f || ey == 0.0f) continue;
            float dx = (pointer.x - mid.x) / ex, dy = (pointer.y - mid.y) / ey;
            float d = std::sqrt(dx * dx + dy * dy);
            if (d < 1.0f) {
                if (!hit || z > bestDepth) {
                    taken = t;
                    bestDepth = z;
                }
                hit = true;
            } else if (d < 2.0f && !hit && z > bestDepth) {
                taken = t;
                bestDepth = z;
            }
        }
        if (taken) return taken;
        margin = static_cast<float>(static_cast<double>(margin) + 0.01);
        if (margin > tolerance) return nullptr;
    }
}

int Ctank::mouseSelectFocusThing(short x, short y, short mode) {
    Cvariable* under = getThingClosestToScreenSpace(interfaceDisplay(), x, y, 0.01f);
    float held = static_cast<float>(globalTime) - tankInput.mouseButtonDownStartTime;
    if (mode == 0) {
        tankInput.clickedThing = under;
        return under ? 1 : 0;
    }
    if (mode == 1) {
        if (held > 0.2f && under != tankInput.clickedThing) tankInput.clickedThing = nullptr;
        return 0;
    }
    if (held >= 0.2f && under != tankInput.clickedThing) return 0;
    changeFocusThing(tankInput.clickedThing);
    tankInput.clickedThing = nullptr;
    return 1;
}

int Ctank::selectFocusFishFromScreen(float x, float y) {
    Cvariable* found = getThingClosestToScreenSpace(interfaceDisplay(), x, y, 0.05f);
    if (found == nullptr) return 0;
    changeFocusThing(found);
    return 1;
}

Cvariable* Ctank::getHighlightThing() {
    if (highlightMarker == nullptr) {
        highlightMarker = addThing(Cstring("species/target"), "");
        if (highlightMarker && tankThingAccess) {
            tankThingAccess->resetThing(highlightMarker, 0);
            tankThingAccess->setPosition(highlightMarker);
        }
    }
    return highlightMarker;
}
