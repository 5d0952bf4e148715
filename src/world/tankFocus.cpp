// The focus thing, the highlight commands, the bubble column's origin, wireframe drawing
// and messages to every thing of the tank.
#include "world/tank.h"

#include "script/rotaterVar.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fastRand.h"
#include "world/shopKeeper.h"
#include "world/bubbleEmitter.h"
#include "world/tankThings.h"

namespace {
constexpr short kFocusNature = 2;
constexpr uint32_t kFocusCandidate = 16;
constexpr uint32_t kPickableAnimal = 32;
// A pane flagged so stays open when the highlight goes off.
constexpr uint32_t kPaneKeptOpen = 0x4000;

bool hasAttribute(Cvariable* thing, uint32_t attribute) {
    return tankThingAccess && (tankThingAccess->attributes(thing) & attribute);
}
} // namespace

void Ctank::changeFocusThing(Cvariable* thing) {
    if (thing == focus) return;
    VTRACE(3, "CHANGE FOCUS THING! " << (thing ? thing->name : Cstring()));
    // Forgotten first, so that dropping it is not taken for its deletion.
    Cvariable* old = focus;
    focus = nullptr;
    if (old) clearRelationshipType(kFocusNature);
    if (auto* partner = dynamic_cast<CsafeRelationship*>(thing)) setRelationshipWith2(partner, kFocusNature);
    cameraVelocity = myCamera.camPos - lastCameraPos;
    if (thing) {
        focusThingName = thing->name;
        followBlend.setMove(0.0f, 0.0f, 2, 1);
        followBlend.setNextMove(0.01f, 100.0f, 2);
    } else {
        focusThingName = Cstring();
        following = 0;
        if (shop && shop->highlight) animalHighlight(Cstring("OFF"), 0.0f);
        destCamera.camPos = myCamera.camPos;
        followBlend.setMove(0.0f, 0.0f, 2, 1);
    }
    focus = thing;
    focusThing = thing && tankThingAccess ? tankThingAccess->asThing(thing) : nullptr;
    nextFocus = nullptr;
}

void Ctank::changeFocusThingStep(int step) {
    if (focus == nullptr) return;
    if (step == 0) {
        changeFocusThing(nullptr);
        return;
    }
    changeFocusThing(findNextThing(kFocusCandidate, focus, -step, true));
}

Cvariable* Ctank::findNextThing(uint32_t attribute, Cvariable* start, int step, bool wrap) {
    if (start == nullptr || thingList->firstChild == nullptr || step == 0) return nullptr;
    int things = thingList->countChildren(-1);
    int direction = step > 0 ? 1 : -1;
    int stride = step > 0 ? step : -step;
    Cvariable* at = start;
    for (int tries = 0; tries < things; tries++) {
        for (int s = 0; s < stride && at; s++)
            at = at->marchNext(direction, wrap ? 1 : 0);
        if (at == nullptr) return nullptr;
        if (!at->hasFlag(VAR_TEARING_DOWN) && hasAttribute(at, attribute)) return at;
    }
    return nullptr;
}

void Ctank::notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) {
    CsafeRelationship::notifyOfBreakup(partner, nature, mine);
    if (nature != kFocusNature || partner == nullptr || static_cast<Cvariable*>(partner) != focus) return;
    Cvariable* next = findNextThing(kPickableAnimal, focus, focusStep, true);
    nextFocus = next == focus ? nullptr : next;
    focus = nullptr;
    focusThing = nullptr;
}

void Ctank::updateFocusThing() {
    if (nextFocus) changeFocusThing(nextFocus);
}

int Ctank::animalHighlight(Cstring const& command, float) {
    if (startRunOrQuit != 1 || shop == nullptr) return 0;
    Cvariable* panel = shop->controlPanel ? shop->controlPanel->node() : nullptr;
    if (command == "ON") {
        // A sequence change is coming: the animal would be gone before the marker showed.
        if (shop->transitionRequested) return 0;
        followLock = 0;
        if (focus == nullptr || !hasAttribute(focus, kPickableAnimal)) {
            focusStep = -1;
            changeFocusThing(findNextThing(kPickableAnimal, thingList->firstChild, -1, true));
        }
        // The marker is made on first use, so it never stands in a scene with nothing focused.
        Cvariable* marker = focus ? getHighlightThing() : nullptr;
        if (marker) {
            if (tankThingAccess) {
                tankThingAccess->setToTank(marker, this);
                tankThingAccess->setDisplayed(marker, 1);
            }
            if (marker->parent != thingList) thingList->addVariable(marker, 1);
            shop->highlight = 1;
        } else {
            // No animal, or no marker to show on it.
            shop->failed = 1;
        }
        if (panel) runStringScript(panel, highlightOnScript.c_str());
    } else if (command == "PREV" || command == "NEXT") {
        focusStep = command == "PREV" ? -1 : 1;
        changeFocusThing(findNextThing(kPickableAnimal, focus, focusStep, true));
        return animalHighlight(Cstring(focus || focusStep < 0 ? "ON" : "OFF"), 0.0f);
    } else if (command == "DELETE" || command == "TO_TANK" || command == "TRADE_IN") {
        if (focus == nullptr) return 0;
        wasChanged = 1;
        Cvariable* old = focus;
        // The nearest animal takes the focus before the old one goes.
        Cvariable* nearest = findAnimalClosestTo(old, true);
        changeFocusThing(nearest == old ? nullptr : nearest);
        deleteVariable(old);
    } else if (command == "PURCHASE") {
        if (focus == nullptr) return 0;
        wasChanged = 1;
        // The focus moves on through the broken relationship.
        deleteVariable(focus);
        updateFocusThing();
    } else if (command == "OFF") {
        if (!shop->highlight) return 0;
        Cvariable* bar = shop->controlPanel ? shop->controlPanel->findExistingPane("bar") : nullptr;
        if (bar && !bar->hasFlag(kPaneKeptOpen)) shop->controlPanel->panelOff();
        shop->highlight = 0;
        if (highlightMarker) {
            if (tankThingAccess) tankThingAccess->setToTank(highlightMarker, nullptr);
            highlightMarker->unhook();
        }
        if (camera != 2) followLock = 1;
        if (panel && !shop->transitionRequested) runStringScript(panel, highlightOffScript.c_str());
    }
    return 0;
}

void Ctank::changeBubbleOrigin(int random) {
    auto* rotate = dynamic_cast<CrotaterVar*>(getChild("bubbleRotate"));
    auto* emitter = dynamic_cast<CbubbleEmitter*>(bubbles);
    if (rotate == nullptr || emitter == nullptr) return;
    if (numBubbleOrigins == 0) {
        int arrays = 0;
        for (Cvariable* c = rotate->firstChild; c; c = c->nextSibling)
            if (c->getType() == TYPE_ARRAY) arrays++;
        numBubbleOrigins = static_cast<uint8_t>(arrays > 2 ? arrays - 2 : 0);
        VTRACE(2, "bubblesources=" << static_cast<int>(numBubbleOrigins));
    }
    CarrayVar* choice = nullptr;
    if (random) {
        int left = bubbleOrigin;
        for (Cvariable* c = rotate->firstChild ? rotate->firstChild->nextSibling : nullptr; c;
             c = c->nextSibling) {
            if (c->getType() != TYPE_ARRAY) continue;
            if (--left == 0) {
                choice = dynamic_cast<CarrayVar*>(c);
                break;
            }
        }
    } else {
        choice = rotate->findMatchingArray(static_cast<float>(bubbleState), 0);
    }
    if (choice == nullptr) {
        VTRACE(2, "bub array not found");
        return;
    }
    Cvector origin(choice->getFloat(1) * tankScale, choice->getFloat(2) * tankScale,
                   choice->getFloat(3) * tankScale);
    float value = choice->getFloat(0);
    if (!random) {
        randomBubbles = 0;
        if (value == 0.0f) {
            // Out of sight; the bubbles themselves are not moved.
            emitter->switchEmitterOff();
            return;
        }
        if (value == 2.0f) {
            randomBubbles = 1;
            bubbleCountdown = 1;
        }
    }
    emitter->origin = origin;
    emitter->moveAllZpos();
}

void Ctank::updateBubbles() {
    if (!randomBubbles) return;
    if (--bubbleCountdown > 0) return;
    bubbleCountdown = static_cast<short>(randRange(0.0f, 1.0f) * 40.0f + 24.0f);
    // With fewer than two origins there is no other one to move to: keep the current.
    if (numBubbleOrigins < 2 && bubbleOrigin >= 1) return;
    short next = bubbleOrigin;
    // The random table is finite: after a full round of it, step to the following origin.
    for (int tries = 0; next == bubbleOrigin && tries < 64; tries++)
        next = static_cast<short>(static_cast<int>(randRange(0.0f, 1.0f) * numBubbleOrigins) + 1);
    if (next == bubbleOrigin) next = static_cast<short>(bubbleOrigin % numBubbleOrigins + 1);
    bubbleOrigin = next;
    changeBubbleOrigin(1);
}

void Ctank::setWireframeMode(int mode) {
    float const* colour = mode ? wireClearColor : solidClearColor;
    for (int i = 0; i < 3; i++)
        clearColor[i] = colour[i];
    clearFramesLeft = mode ? 2000000000 : (clearScreenEveryFrame ? 2000000000 : 0) | 2;
    wireframeMode = mode ? 1 : 0;
}

int Ctank::messageAllThingsInTank(char const* command, char const* argument, float value) {
    std::vector<Cvariable*> things;
    thingList->fillVectorWithAllChildren(things);
    VTRACE(3, "messaging things " << things.size());
    Cstring commandText(command ? command : ""), argumentText(argument ? argument : "");
    for (Cvariable* thing : things)
        if (!thing->hasFlag(VAR_TEARING_DOWN) && tankThingAccess)
            tankThingAccess->receiveMessage(thing, commandText, argumentText, value);
    return 0;
}
