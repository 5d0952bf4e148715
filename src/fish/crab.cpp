// The crab's construction, set-up, messages and saving.
#include "fish/crab.h"

#include <cmath>
#include <cstdio>

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "graphics/geoNew.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "script/adsrPool.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "things/food.h"
#include "variables/variableLinks.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {
// Queued moves of all the crab's animated values at once, at most (each walk, snap, pause
// and chase end replaces what it queued before).
constexpr int kQueuedMovesAtMost = 24;
// The starting offsets of the feet from their anchors, in half strides.
constexpr float kInitialLegPhase[kCrabLegs] = {-0.75f, 0.25f,   -0.25f, 0.75f,
                                               0.125f, -0.875f, 0.625f, -0.375f};

// The skeleton's named point groups and the joints each must hold, in order.
struct CjointGroup {
    char const* name;
    int first, last;
};
constexpr CjointGroup kJointGroups[] = {
    {"body", kCrabHeading, kCrabBody},
    {"legs", kCrabFirstLeg, kCrabFirstAnchor + kCrabLegs - 1},
    {"claw", kCrabArmUpper, kCrabClawTip},
    {"head", kCrabSideA, kCrabMouthB},
};

// The species' lighting model ("light_points"); null when it has none.
CtexturedGeo* lightingModelOf(CspeciesServices* species) {
    Cvariable* holder = species ? species->getChild("light_points", 0) : nullptr;
    if (auto* geo = dynamic_cast<CtexturedGeo*>(holder)) return geo;
    auto* ref = dynamic_cast<CresourceReference*>(holder);
    return ref && ref->target ? dynamic_cast<CtexturedGeo*>(*ref->target) : nullptr;
}

// Where a food particle lies, for the crab to walk to; false when the sender is no food or
// holds no such particle.
bool foodParticlePosition(CthingMessageOwner* sender, int index, Cvector& at) {
    auto* food = dynamic_cast<Cfood*>(sender);
    if (food == nullptr || index < 0 || index >= static_cast<int>(food->items.size())) return false;
    at = food->getParticlePos(index);
    return true;
}

char const* const kActivityNames[] = {
    "START_GRAZING",         "GRAZING",           "HIT_EDGE",      "MOVING",  "SHIFT_TO_NEXT_GRAZE_POINT",
    "GRAZE_REORIENT",        "RELOCATE",          "PAUSE",         "CHASING", "RECHASE",
    "CALM_DOWN_AFTER_CHASE", "FISH_OUT_OF_RANGE", "REACHED_TARGET"};
} // namespace

char const* Ccrab::translate(int code) {
    if (code < 0 || code > REACHED_TARGET) return "";
    return kActivityNames[code];
}

Ccrab::Ccrab() {
    attributes =
        THING_CRAB | THING_FOOD_EATER | THING_FOCUS_CANDIDATE | THING_PICKABLE_ANIMAL | THING_ANIMAL_MARK;
    registerFloat(angle, "angle", 1)->flags |= VAR_LINK | VAR_BINARY_MERGE;
    Cvariable* p = registerFloat(pos.x, "pos", 1);
    p->setNumElements(3);
    p->flags |= VAR_LINK | VAR_BINARY_MERGE;
    registerFloat(mood, "mood", 1)->flags |= VAR_LINK | VAR_BINARY_MERGE;
    mood = shopKeeper ? shopKeeper->crabMood : 0.0f;
    flags |= VAR_SAVE;
    bodyRotation.identity();
    bigClaw = addAndRegisterAnimControl("bigClaw", 0.0f);
    clawPinch = addAndRegisterAnimControl("clawPinch", 0.0f);
    clawReach = addAndRegisterAnimControl("clawReach", 0.0f);
    bodyLift = addAndRegisterAnimControl("bodyLift", 0.0f);
    bodyTwist = addAndRegisterAnimControl("bodyTwist", 0.0f);
    glance[0] = addAndRegisterAnimControl("glance0", 0.0f);
    glance[1] = addAndRegisterAnimControl("glance1", 0.0f);
    for (int i = 0; i < kCrabLegs; i++)
        legs[i].footCycle.setDeleteWhenDone(0);
    for (Cvector*& ref : positionRefs)
        ref = &pos;
    foodBits.reserve(64);
}

Ccrab::~Ccrab() {
    flags |= VAR_TEARING_DOWN;
    // A chase ends while the crab is whole; its handler then only forgets the fish.
    abortChase();
    // The foot cycles are members: they leave the cycle directory before they go.
    clearAnimCycles();
}

int Ccrab::isAllowed() {
    Cvariable* extras = tank ? tank->getChild("crabExtras", 0) : nullptr;
    char const* path = extras ? extras->getString() : nullptr;
    return path && path[0] ? 1 : 0;
}

void Ccrab::setToTank(CtankServices* t) {
    Cthing::setToTank(t);
    Cvariable* extras = t ? t->getChild("crabExtras", 0) : nullptr;
    VTRACE(2, "crab " << name << " to tank " << (t ? t->name : Cstring("none")) << " extras "
                      << (extras && extras->getString() ? extras->getString() : "none"));
}

void Ccrab::prepareForDelete() {
    if (!(flags & DO_PREPARE_FOR_DELETE)) return;
    abortChase();
    CanimalThing::prepareForDelete();
}

void Ccrab::notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) {
    if (nature == NATURE_CRAB_CHASE) {
        CsafeRelationship::notifyOfBreakup(partner, nature, mine);
        if (flags & VAR_TEARING_DOWN) {
            chaseThing = nullptr;
            return;
        }
        activityUponArrival = CALM_DOWN_AFTER_CHASE;
        crabEndGoto(FISH_OUT_OF_RANGE);
        chaseThing = nullptr;
        chaseTimer = 50;
        return;
    }
    CanimalThing::notifyOfBreakup(partner, nature, mine);
}

void Ccrab::processMessage(CthingMessage* message) {
    if (message == nullptr || message->code != 17) return;
    Cvector at;
    if (!foodParticlePosition(message->subject, message->intValue, at)) return;
    // The list keeps its storage: when full the oldest bit gives way.
    if (foodBits.size() == foodBits.capacity()) foodBits.erase(foodBits.begin());
    foodBits.push_back(at);
}

void Ccrab::addThingAvoidanceZone(Cthing&, float) {
    // Nothing in the system asks a crab for avoid zones; one that did is a fault to report.
    setExitError("craba", 1);
}

void Ccrab::prepForSaveConfig() {
    Cmatrix3 const& m = heading();
    angle = std::atan2(m.forward.x, m.forward.z);
    CanimalThing::prepForSaveConfig();
}

// ---- set-up ----

int Ccrab::checkSkeletonGroups() {
    CgeoNew* skeleton = species ? species->skeletonModel() : nullptr;
    char text[300];
    if (skeleton == nullptr || skeleton->numPoints < kCrabJoints) {
        std::snprintf(text, sizeof text, "crab %s needs a skeleton of %d joints", name.c_str(), kCrabJoints);
        setExitError(text, 1);
        return 1;
    }
    for (CjointGroup const& g : kJointGroups) {
        CshortLinkVar* group = skeleton->pointSide.findGroup(g.name);
        int n = CgeoNew::groupSize(group);
        short const* members = CgeoNew::groupMembers(group);
        bool whole = n == g.last - g.first + 1;
        for (int i = 0; whole && i < n; i++)
            whole = members[i] == g.first + i;
        if (!whole) {
            std::snprintf(text, sizeof text, "crab %s: skeleton group \"%s\" must hold joints %d to %d",
                          name.c_str(), g.name, g.first, g.last);
            setExitError(text, 1);
            return 1;
        }
    }
    return 0;
}

int Ccrab::buildSkeleton() {
    if (checkSkeletonGroups() != 0) return 1;
    CgeoNew* skeleton = species->skeletonModel();
    int n = skeleton->numPoints;
    if (!joints.empty()) return 0;
    joints.assign(static_cast<size_t>(n), Cmatrix3());
    chains.assign(static_cast<size_t>(n), CskeletonIdentity());
    for (int j = 0; j < n; j++) {
        joints[static_cast<size_t>(j)].identity();
        chains[static_cast<size_t>(j)].rotation = &joints[static_cast<size_t>(j)];
    }
    joints[0] = bodyRotation;
    if (pos.y == -1000.0f && tank) {
        Cvariable* start = tank->getChild("crabPos", 0);
        if (start)
            pos.set(float(start->getElem_float(0)), float(start->getElem_float(1)),
                    float(start->getElem_float(2)));
    }
    prevPos = bodyPos = pos;
    chains[kCrabHeading].translatePoint = &pos;
    chains[kCrabBody].translatePoint = &bodyPos;
    for (int i = 0; i < kCrabLegs; i++) {
        CcrabLeg& leg = legs[i];
        leg.chainJoint = kCrabFirstLeg + 2 * i;
        if (getIKchain(leg.chainJoint, chains, joints, leg.foot, leg.legLength) != 0) return 1;
        leg.legPhase = kInitialLegPhase[i];
    }
    if (getIKchain(kCrabArmUpper, chains, joints, handTarget, armLength) != 0) return 1;
    legScale = thingScale > 0.0f ? 3.0f / thingScale : 3.0f;
    if (workObject == nullptr || workObject->initSkeleton(chains, thingScale) != 0) return 1;
    return 0;
}

int Ccrab::resetThing(int mode) {
    if (species == nullptr) {
        setExitError("no species!", 1);
        return 1;
    }
    if (buildSkeleton() != 0) {
        joints.clear();
        chains.clear();
        return 1;
    }
    if (causticImage == nullptr)
        registerDataArrayAndLoad(this, &causticImage, "causticImage", "global/arrays/caustic.image",
                                 "global/arrays/caustic.image");
    if (shadowThing == nullptr && tank) {
        Cvariable* extrasPath = tank->getChild("crabExtras", 0);
        Cstring path(extrasPath && extrasPath->getString() ? extrasPath->getString() : "");
        if (extrasImage == nullptr && !path.empty())
            registerDataArrayAndLoad(this, &extrasImage, "crab_extras", path.c_str(), path.c_str());
        if (extrasImage == nullptr) {
            setExitError("couldn't find crab extras", 1);
            return 1;
        }
        extrasImage->scaleSizeAndValues(tank->tankValue("tankScale", 1.0f), 0);
        auto* t = dynamic_cast<Ctank*>(tank);
        auto* shadow = dynamic_cast<CattachedThing*>(t ? t->addThing("std_crab_shadow", t->tankFolder.c_str())
                                                       : nullptr);
        if (shadow == nullptr) {
            setExitError("shadow not loaded", 1);
            return 1;
        }
        if (shadow->attachThing(this, ATTACH_SHADOW) != 0) return 1;
    }
    heading().setYrotation(angle);
    // The moves the crab may hold queued at once, drawn from the shared pool without
    // allocating in a frame.
    CadsrPool& pool = currentAdsrPool();
    pool.reserve(pool.spareCount() + kQueuedMovesAtMost);
    lightModel = lightingModelOf(species);
    int lights = lightModel ? lightModel->numPoints : 0;
    lightPositions.assign(static_cast<size_t>(lights) * 3, 0.0f);
    lightValues.assign(static_cast<size_t>(lights), 1.0f);
    initialized = 1;
    Cthing::resetThing(mode);
    return 0;
}
