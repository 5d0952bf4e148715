// How a tank's frame step and picking reach the things of this layer.
#include <algorithm>

#include "graphics/workObject.h"
#include "things/floatingFood.h"
#include "things/thing.h"
#include "things/thingKinds.h"
#include "world/tank.h"
#include "world/tankLive.h"

namespace {
// How far a fish's drawn body reaches beyond its head and tail points, as a share of their
// distance from its middle.
constexpr float kBodyReach = 1.3f;

Cthing* thingOf(Cvariable* node) {
    return dynamic_cast<Cthing*>(node);
}

class CthingLiveAccess : public CtankLiveAccess {
  public:
    Ctank* tankOf(Cvariable* n) override {
        Cthing* t = thingOf(n);
        return t ? dynamic_cast<Ctank*>(t->tank) : nullptr;
    }
    int updateThing(Cvariable* n, int frame, float fraction) override {
        Cthing* t = thingOf(n);
        return t ? t->updateThing(frame, fraction) : 0;
    }
    bool isBeingDeleted(Cvariable* n) override {
        Cthing* t = thingOf(n);
        return t && t->deletionHasBegun();
    }
    bool hasWorkObject(Cvariable* n) override {
        Cthing* t = thingOf(n);
        return t && t->workObject;
    }
    void clearAllRPGpredecessors(Cvariable* n) override {
        if (Cthing* t = thingOf(n); t && t->workObject) t->workObject->clearAllRPGpredecessors();
    }
    bool getMidPos(Cvariable* n, Cvector& out) override {
        Cthing* t = thingOf(n);
        if (t == nullptr) return false;
        t->getMidPos(out);
        return true;
    }
    int freeFoodCapacity(Cvariable* n) override {
        auto* food = dynamic_cast<CfloatingFood*>(n);
        return food && !food->dying ? food->idleCount() : 0;
    }
    void addFreeParticles(Cvariable* n, Cvector const& at, int count) override {
        if (auto* food = dynamic_cast<CfloatingFood*>(n)) food->addFreeParticles(at, count);
    }
    bool pickBody(Cvariable* n, Cvector& head, Cvector& tail, float& radius) override {
        Cthing* t = thingOf(n);
        if (t == nullptr) return false;
        Cvector mid;
        t->getMidPos(mid);
        // A class that gives no head or tail leaves them at its middle, not at the origin.
        head = tail = mid;
        t->getHeadPos(head);
        t->getTailPos(tail);
        // A fish's head and tail points lie inside its snout and tail fin; its body is about
        // a third as deep as it is long. A thing without length (a crab) gets its own scale.
        head = mid + (head - mid) * kBodyReach;
        tail = mid + (tail - mid) * kBodyReach;
        radius = std::max(0.15f * (head - tail).length(), 0.3f * t->thingScale);
        return true;
    }
};

CthingLiveAccess liveAccessOfThisLayer;
} // namespace

void installThingLiveAccess() {
    tankLiveAccess = &liveAccessOfThisLayer;
}
