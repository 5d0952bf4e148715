// The tank's frame step: simulation time, schools, automatic feeding, things, proximities
// and the water pushes, with the small services things call on their tank every frame.
#include <algorithm>
#include <cmath>

#include "data/dataArray.h"
#include "graphics/graphicsMaster.h"
#include "script/proximityVar.h"
#include "variables/variableLinks.h"
#include "support/cerr.h"
#include "variables/thingMessage.h"
#include "world/shopGlobals.h"
#include "world/shopKeeper.h"
#include "world/species.h"
#include "world/tank.h"
#include "world/tankLive.h"
#include "world/tankThings.h"

namespace {
uint32_t attributesOf(Cvariable* thing) {
    return tankThingAccess ? tankThingAccess->attributes(thing) : 0;
}

// A proximity hangs under each of its things through a link node.
CproximityVar* proximityOf(Cvariable* node) {
    if (auto* link = dynamic_cast<CtwoParentLinkVar*>(node)) return dynamic_cast<CproximityVar*>(link->owner);
    return dynamic_cast<CproximityVar*>(node);
}

bool anyFoodPresent(std::vector<Cvariable*> const& foodList) {
    return std::any_of(foodList.begin(), foodList.end(),
                       [](Cvariable* f) { return attributesOf(f) & ATTR_FOOD; });
}
} // namespace

void Ctank::calcTankSpeed() {
    float rateFactor = shop ? shop->refreshRateFactor : 1.0f;
    tankSpeed = tankStepPerFrame(rateFactor, worldSpeed, fps);
}

void Ctank::setFPS(float framesPerSecond) {
    VTRACE(2, "setting fps = " << framesPerSecond);
    fps = framesPerSecond;
}

int Ctank::prepForAction() {
    if (requestedFocusThing) {
        if (tankThingAccess) changeFocusThing(tankThingAccess->node(requestedFocusThing));
        requestedFocusThing = nullptr;
    }
    setWireframeMode(wireframeMode);
    changeBubbleOrigin(0);
    calcTankSpeed();
    messageAllThingsInTank("pooMode", "", shop ? shop->pooMode : 0.0f);
    return 0;
}

int Ctank::updateTank() {
    displayGeoFetched = 0;
    lastUpdateFrame = masterFrame;
    if (runState != 1 && runState != 2) return 0;
    if (enableAnim == 0) {
        updateWaterSwishVectors();
        return 0;
    }
    int previousFrame = frameCount;
    if (!tankDisplays.empty() && tankDisplays[0] && tankDisplays[0]->api() == 2) {
        frameAccumulator += tankSpeed * displayShare;
        waterPhase = globalTime * displayShare * 0.3;
    } else {
        frameAccumulator += tankSpeed;
        waterPhase = 0.3 * globalTime;
    }
    frameCount = static_cast<int32_t>(std::floor(frameAccumulator));
    frameFraction = static_cast<float>(frameAccumulator - frameCount);
    bool newFrame = frameCount > previousFrame;
    if (newFrame) {
        VTRACE(2, "cleared polys");
        updateSchools();
    }

    autoFeedCounter += globalSecondInc;
    int feedSeconds = shop ? shop->autoFeedSeconds : 0;
    if (feedSeconds > 0 && autoFeedCounter > feedSeconds) {
        autoFeedCounter = 0;
        if (!anyFoodPresent(foodList) && !(shop && shop->fakeMouseIsOn)) {
            Cvector drop = getDefaultFoodDropPosition();
            for (int i = 0; i < (numFish + 4) / 5 && numFish > 0; ++i)
                addFood(drop, 9);
        }
    }
    updateBubbles();

    if (newFrame) {
        for (Cvariable* t = thingList->firstChild; t; t = t->nextSibling)
            if (tankLiveAccess->hasWorkObject(t)) tankLiveAccess->clearAllRPGpredecessors(t);
        emptyTrash();
    }
    for (Cvariable* t = thingList->firstChild; t;) {
        Cvariable* next = t->nextSibling;
        if (tankLiveAccess->tankOf(t) == this) {
            int r = tankLiveAccess->updateThing(t, frameCount, frameFraction);
            if (tankLiveAccess->isBeingDeleted(t)) deleteVariable(t);
            if (r != 0) return 1;
        }
        t = next;
    }
    if (newFrame) {
        if (enableAnim == 2) enableAnim = 0;
        updateProximities();
    }
    updateWaterSwishVectors();
    return 0;
}

void Ctank::updateProximities() {
    if (allProximities == nullptr) return;
    for (Cvariable* p = allProximities->firstChild; p; p = p->nextSibling)
        if (CproximityVar* proximity = proximityOf(p)) proximity->updateGross();
}

void Ctank::updateWaterSwishVectors() {
    if (waterSwishField == nullptr || waterSwishField->floatData == nullptr || !anyFoodPresent(foodList))
        return;
    waterSwishField->fillWithConstant(0.0f);
    int n = std::min<int>(numFish, static_cast<int>(fishList.size()));
    for (int i = 0; i < n; ++i) {
        CswimPush push;
        if (!tankLiveAccess->swimPush(fishList[i], push)) continue;
        if (!(push.position.z > foodPlaneDepth - 0.5f && push.position.z < foodPlaneDepth + 0.5f)) continue;
        float* cell = waterSwishField->getFloatValuesPointerUninterp(push.position.x, push.position.y);
        if (cell == nullptr) continue;
        float vx = push.vx * push.scale * 0.041667f, vy = push.vy * push.scale * 0.041667f;
        if (vx * vx + vy * vy > cell[0] * cell[0] + cell[1] * cell[1]) cell[0] = vx, cell[1] = vy;
    }
}

void Ctank::addFood(Cvector position, int n) {
    if (allowAddThing == 0) return;
    Cvariable* target = nullptr;
    for (Cvariable* f : foodList) {
        if ((attributesOf(f) & ATTR_FOOD) && tankLiveAccess->freeFoodCapacity(f) >= n) {
            target = f;
            break;
        }
    }
    if (target == nullptr) target = makeFoodThing();
    if (target == nullptr) return;
    tankLiveAccess->addFreeParticles(target, position, n);
}

Cvariable* Ctank::makeFoodThing() {
    // A drop is the viewer's: one that cannot be served is traced, and the run goes on.
    CexitHold hold;
    Cvariable* food = addThing(Cstring("food"), "species");
    if (food == nullptr) {
        VTRACE(1, "food drop failed: no food thing (" << hold.reason() << ")");
        hold.forget();
        return nullptr;
    }
    if (tankThingAccess) {
        if (tankThingAccess->resetThing(food, 0) != 0 || hold.exitRecorded()) {
            VTRACE(1, "food drop failed: the food thing could not be set up (" << hold.reason() << ")");
            deleteVariable(food);
            hold.forget();
            return nullptr;
        }
        tankThingAccess->setPosition(food);
        tankThingAccess->postInitScript(food);
    }
    addFoodToList(food);
    return food;
}

void Ctank::addFoodToList(Cvariable* food) {
    if (food && std::find(foodList.begin(), foodList.end(), food) == foodList.end()) foodList.push_back(food);
}

void Ctank::removeFood(Cvariable* food) {
    auto it = std::find(foodList.begin(), foodList.end(), food);
    if (it != foodList.end()) foodList.erase(it);
}

bool Ctank::waterPushAt(float x, float y, float& px, float& py) {
    px = py = 0.0f;
    if (waterSwishField == nullptr || waterSwishField->floatData == nullptr || waterSwishField->chans < 2 ||
        !std::isfinite(x) || !std::isfinite(y))
        return false;
    float push[2] = {0.0f, 0.0f};
    waterSwishField->getValues(x, y, push, 3u);
    px = push[0], py = push[1];
    return true;
}

Cvector Ctank::getDefaultFoodDropPosition() {
    float top = 0.0f;
    if (CgraphicsAPI* display = interfaceDisplay()) {
        Cvector p(0.0f, display->letterboxedFovRect.maxy, 0.0f);
        fovViewRect.pointToNormalizedCoordsWithinRect(p);
        top = p.y;
    }
    CgraphicsAPI* first = tankDisplays.empty() ? nullptr : tankDisplays[0];
    return normalizedViewportToTankSpace(first, 0.6f, 0.95f * top, foodPlaneDepth);
}

namespace {
Cvariable* closestOf(Cvariable* thing, Cvariable* list, bool sameSpecies) {
    Cvector from;
    tankLiveAccess->getMidPos(thing, from);
    Cspecies* species = tankThingAccess ? tankThingAccess->speciesOf(thing) : nullptr;
    float best = 100.0f;
    Cvariable* found = nullptr;
    int steps = list->countChildren(-1);
    Cvariable* c = thing;
    for (int i = 0; i < steps; ++i) {
        c = c->marchNext(1, 1);
        if (c == nullptr) break;
        if ((c->flags & 0x400) || c == thing || !(attributesOf(c) & ATTR_PICKABLE)) continue;
        if (sameSpecies && (tankThingAccess == nullptr || tankThingAccess->speciesOf(c) != species)) continue;
        Cvector mid;
        tankLiveAccess->getMidPos(c, mid);
        float d = (mid - from).length();
        if (d < best) best = d, found = c;
    }
    return found;
}
} // namespace

Cvariable* Ctank::findAnimalClosestTo(Cvariable* thing, bool sameSpeciesFirst) {
    if (thing == nullptr || thingList == nullptr || thingList->firstChild == nullptr ||
        thing->parent != thingList)
        return nullptr;
    Cvariable* found = closestOf(thing, thingList, sameSpeciesFirst);
    if (found == nullptr && sameSpeciesFirst) found = closestOf(thing, thingList, false);
    return found;
}

int Ctank::prepareMyAvoidanceList(Cvariable* thing, float range) {
    int count = 0;
    CproximityParty* party = thing && tankThingAccess ? tankThingAccess->proximityParty(thing) : nullptr;
    Cvariable* dir = party ? party->proximityDirectory() : nullptr;
    if (proximityThingList.empty()) proximityThingList.resize(1);
    if (proximityDistList.size() < proximityThingList.size())
        proximityDistList.resize(proximityThingList.size());
    for (Cvariable* p = dir ? dir->firstChild : nullptr; p; p = p->nextSibling) {
        CproximityVar* proximity = proximityOf(p);
        if (proximity == nullptr || !(proximity->squaredDistance < range)) continue;
        // The last slot holds the terminating null: a list that would overrun it is cut.
        if (count + 1 >= static_cast<int>(proximityThingList.size())) {
            VTRACE(1, "pbig " << count << "  " << proximityThingList.size());
            setExitError("pbig", 1);
            break;
        }
        CproximityParty* other = proximity->thingA == party ? proximity->thingB : proximity->thingA;
        proximityThingList[count] = other ? other->proximityNode() : nullptr;
        proximityDistList[count] = proximity->squaredDistance;
        ++count;
    }
    proximityThingList[count] = nullptr;
    return count;
}

void Ctank::instantMessageToAll(unsigned mask, int code, Cvariable* sender, int intArg, int floatArg) {
    CthingMessage message;
    message.code = code;
    message.subject = dynamic_cast<CthingMessageOwner*>(sender);
    message.intValue = intArg;
    message.floatValue = static_cast<float>(floatArg);
    message.delay = 0;
    for (Cvariable* t = thingList->firstChild; t; t = t->nextSibling) {
        if (t == sender || !(attributesOf(t) & mask) || tankLiveAccess->isBeingDeleted(t)) continue;
        if (auto* owner = dynamic_cast<CthingMessageOwner*>(t)) owner->processMessage(&message);
    }
}

void Ctank::instantMessageToAllFoodEaters(int code, Cvariable* sender, int intArg, int floatArg) {
    instantMessageToAll(ATTR_FOOD_EATER, code, sender, intArg, floatArg);
}
