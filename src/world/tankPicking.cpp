// Picking the thing under a screen position: the widening search over the pickable things,
// the press-and-release click protocol and the highlight marker.
#include <algorithm>
#include <cmath>

#include "graphics/graphicsMaster.h"
#include "support/cerr.h"
#include "world/shopGlobals.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/tankLive.h"
#include "world/tankThings.h"

namespace {
// The thing's drawn extent about its middle in view units (half width, half height), and
// the middle in view coordinates, its z the depth along the view. False when the thing has
// no body or lies behind the eye.
bool viewExtent(Cpov const& pov, Cvariable* thing, Cvector& mid, float& halfX, float& halfY) {
    Cvector head, tail;
    float radius = 0.0f;
    if (!tankLiveAccess->getMidPos(thing, mid) || !tankLiveAccess->pickBody(thing, head, tail, radius))
        return false;
    pov.worldSpaceToPOV(mid);
    pov.worldSpaceToPOV(head);
    pov.worldSpaceToPOV(tail);
    if (!(mid.z > 0.0f)) return false;
    // Seen end-on, the body's thickness is what shows.
    halfX = std::max(
        {std::fabs(head.x - mid.x), std::fabs(tail.x - mid.x), radius / mid.z * std::fabs(pov.scale.x)});
    halfY = std::max(
        {std::fabs(head.y - mid.y), std::fabs(tail.y - mid.y), radius / mid.z * std::fabs(pov.scale.y)});
    return true;
}
} // namespace

// The pointer's distance from each pickable thing's middle counts in units of the thing's
// drawn half extent, widened by the margin; of the things under the pointer the one nearest
// the eye along the view wins, whichever way the camera looks.
Cvariable* Ctank::getThingClosestToScreenSpace(CgraphicsAPI* display, float x, float y, float tolerance) {
    Cvector pointer = screenPixelToTankSpace(display, x, y, 2.0f);
    pov.worldSpaceToPOV(pointer);
    if (tolerance < 0.0f || thingList == nullptr || tankLiveAccess == nullptr) return nullptr;
    float margin = 0.0f;
    for (;;) {
        float bestDepth = 0.0f;
        Cvariable* taken = nullptr;
        for (Cvariable* t = thingList->firstChild; t; t = t->nextSibling) {
            if (tankThingAccess == nullptr || !(tankThingAccess->attributes(t) & ATTR_PICKABLE)) continue;
            Cvector mid;
            float halfX = 0.0f, halfY = 0.0f;
            if (!viewExtent(pov, t, mid, halfX, halfY)) continue;
            float ex = halfX + margin, ey = halfY + margin;
            if (!(ex > 0.0f && ey > 0.0f)) continue;
            float dx = (pointer.x - mid.x) / ex, dy = (pointer.y - mid.y) / ey;
            if (dx * dx + dy * dy >= 1.0f) continue;
            if (taken == nullptr || mid.z < bestDepth) {
                taken = t;
                bestDepth = mid.z;
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
