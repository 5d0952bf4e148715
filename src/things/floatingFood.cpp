// Floating food: releasing particles, their drift and sinking, offering and swallowing.
#include "things/floatingFood.h"

#include <cmath>
#include <vector>

#include "data/dataArray.h"
#include "graphics/geoNew.h"
#include "graphics/workObject.h"
#include "script/fastNoise.h"
#include "support/cerr.h"
#include "support/fastRand.h"
#include "things/foodBeingSwallowedAnimCycle.h"
#include "world/thingServices.h"

namespace {
// Message to every food eater: a particle sank below the tank's floor height.
constexpr int kParticleLostMessage = 17;

float nextFastRand() {
    return fastRandValues[fastRandSeedIndex++ & 31];
}

// Wraps v into [0, 50).
float wrap50(float v) {
    v = std::fmod(v, 50.0f);
    return v < 0.0f ? v + 50.0f : v;
}
} // namespace

CfloatingFood::CfloatingFood() {
    attributes = THING_FLOATING_FOOD;
    registerFloat(fallRate, "fallRate", 0)->flags |= VAR_LINK | VAR_BINARY_MERGE;
}

int CfloatingFood::resetThing(int mode) {
    if (rotations.capacity > 0) {
        initialized = 1;
        return 0;
    }
    CgeoNew* skeleton = species ? species->skeletonModel() : nullptr;
    int joints = skeleton ? skeleton->numPoints : 0;
    if (joints <= 0 || workObject == nullptr) {
        VTRACE(1, name << ": floating food without particles (no skeleton joints)");
        return 1;
    }
    particleCount = joints;
    rotations.setSize(joints, "foodrot");
    fallRates.setSize(joints, "fallrate");
    offsets.setSize(joints, "foodposoff");
    displayPositions.setSize(joints, "fooddispPos");
    timings.setSize(joints, "foodtiming");
    ownTimings.setSize(joints, "foodindivtiming");
    ceilings.setSize(joints, "foodceiling");
    stuckChecks.setSize(joints, "foodstuck");
    items.reserve(static_cast<size_t>(joints));
    std::vector<CskeletonIdentity> identities(static_cast<size_t>(joints));
    for (int i = 0; i < joints; i++) {
        auto* item = new CfoodItem;
        adoptParticle(item, "float", i);
        rotations[i] = Cmatrix3();
        float r = nextFastRand();
        item->size = 0.5f + 0.2f * r;
        fallRates[i] = r * fallRate;
        float r2 = nextFastRand();
        timings[i] = (5.0f * r2 + static_cast<float>(i)) * 0.1f;
        ownTimings[i] = wrap50(5.0f * static_cast<float>(i));
        offsets[i] = displayPositions[i] = Cvector();
        ceilings[i] = 0.0f;
        stuckChecks[i] = 0;
        CskeletonIdentity& joint = identities[static_cast<size_t>(i)];
        joint.name = (Cstring("food") + std::to_string(i).c_str());
        joint.translatePoint = &displayPositions[i];
        joint.rotation = &rotations[i];
    }
    lastPicked = 0;
    clock = 5.2f;
    if (workObject->initSkeleton(identities, 1.0f) != 0) return 1;
    initialized = 1;
    Cthing::resetThing(mode);
    return 0;
}

void CfloatingFood::addFreeParticles(Cvector const& pos, int n) {
    geometryCount = 0;
    float spacing = n < 7 ? 0.1f : 0.15f;
    int k = 0;
    for (int i = 0; i < particleCount && k < n; i++) {
        CfoodItem& item = *items[static_cast<size_t>(i)];
        if (item.active) continue;
        Cmatrix3& m = rotations[i];
        m.side.set(item.size, 0.0f, 0.0f);
        m.up.set(0.0f, item.size, 0.0f);
        m.forward.set(0.0f, 0.0f, item.size);
        item.active = item.available = 1;
        item.stuck = 0;
        float r1 = nextFastRand(), r2 = nextFastRand();
        item.position = Cvector(pos.x + static_cast<float>(k) * spacing - static_cast<float>(n) * 0.025f +
                                    (r1 - 0.5f) * spacing,
                                pos.y - 0.05f + r2 * 0.1f, pos.z);
        offsets[i] = Cvector();
        displayPositions[i] = item.position;
        ceilings[i] = item.position.y;
        stuckChecks[i] = 0;
        item.velocity = Cvector(-0.01f + 0.0025f * static_cast<float>(k), 0.0f, 0.0f);
        item.pushMagnitude = item.drift = item.lastPush = 0.0f;
        freeCount++;
        k++;
    }
}

void CfloatingFood::doBehavior() {
    processMessages();
    doAnimCycles(framesUpdated);
}

float CfloatingFood::levelSetAt(Cvector const& p) {
    CframeSources* sources = workOwner.frameSources();
    if (sources == nullptr) return 10.0f;
    if (CdataVolume const* volume = sources->levelSet(); volume && volume->floatData) {
        float value = 10.0f;
        volume->getValues(p, &value, 1u);
        return value;
    }
    return sources->sphereLevelSet(p);
}

void CfloatingFood::loseParticle(CfoodItem& item) {
    item.active = item.available = 0;
    rotations[item.index] = Cmatrix3();
    freeCount--;
    // Eaters chasing it let go.
    item.removeAllRelationships();
}

void CfloatingFood::goFish(int) {
    clock += 0.01f;
    if (clock >= 50.0f) clock -= 50.0f;
    if (freeCount <= 0) {
        prepareForDelete();
        return;
    }
    float forgetBelow = tank ? tank->tankValue("forgetAboutFoodBelowHeight", 0.0f) : 0.0f;
    float floor = tank ? tank->tankValue("minimumGroundHeight", -1.0f) : -1.0f;
    bool checkLevel = framesUpdated % 10 == 0;
    for (int i = 0; i < particleCount; i++) {
        CfoodItem& item = *items[static_cast<size_t>(i)];
        if (!item.active) continue;
        Cvector& p = item.position;
        Cvector& v = item.velocity;
        float px = 0.0f, py = 0.0f;
        if (tank) tank->waterPushAt(p.x, p.y, px, py);
        float m = std::sqrt(px * px + py * py);
        if (m > item.pushMagnitude) {
            float a[3];
            grabNoise3(static_cast<float>(i) + clock, a);
            v.x = a[0] * m * 0.02f + px * 0.1f + v.x * 0.5f;
            v.y = a[1] * m * 0.02f + py * 0.1f + v.y * 0.5f;
            item.pushMagnitude = v.length();
            item.drift *= 0.7f;
            item.lastPush = m;
        } else {
            if (item.lastPush == 0.0f) {
                item.drift *= 0.97f;
            } else {
                item.drift += 0.1f;
                if (item.lastPush < item.drift) item.lastPush = 0.0f;
            }
            v = v * 0.98f;
            item.pushMagnitude *= 0.98f;
        }
        float b[3];
        grabNoise3(clock + timings[i], b);
        p.x += -0.003f * b[0] + v.x;
        p.y += -0.003f * b[1] + v.y;
        ownTimings[i] = wrap50(ownTimings[i] + item.drift * 0.5f + 0.03f);
        float c[3];
        grabNoise3(ownTimings[i], c);
        float d = item.drift * 0.04f + 0.001f;
        p.x -= c[0] * d;
        p.y = p.y - c[1] * d - fallRates[i];
        // The water's stir may hold a particle up but never lift it out of the water: no
        // higher than where it was released.
        if (p.y > ceilings[i]) p.y = ceilings[i];
        if (p.y < forgetBelow) {
            if (item.available) {
                item.available = 0;
                item.removeAllRelationships();
            }
            if (p.y < floor) {
                if (tank) tank->instantMessageToAllFoodEaters(kParticleLostMessage, this, i, 0);
                loseParticle(item);
                continue;
            }
        }
        displayPositions[i] = offsets[i] + p;
        if (checkLevel) {
            item.stuck = levelSetAt(displayPositions[i]) < 0.1f;
            stuckChecks[i] = item.stuck ? static_cast<int16_t>(stuckChecks[i] + 1) : 0;
            // Lodged in a rock or past a wall for this long, no fish will reach it.
            if (stuckChecks[i] >= kStuckChecksUntilLost && item.swallowCycle == nullptr) {
                loseParticle(item);
                continue;
            }
        }
        rotations[i].rotateAroundForward(c[2] * 0.03f);
    }
    framesUpdated++;
}

CfoodItem* CfloatingFood::getAvailableParticle(Cvector const& eaterPos, Cmatrix3 const& eaterRot) {
    if (dying || particleCount <= 0) return nullptr;
    for (int tries = 0; tries < particleCount; tries++) {
        lastPicked = (lastPicked + 1) % particleCount;
        CfoodItem& item = *items[static_cast<size_t>(lastPicked)];
        if (!item.active || !item.available || item.stuck) continue;
        Cvector d = eaterPos - item.position;
        float q = d.lengthSquared();
        if (!(q > 0.3f && q < 20.4f)) continue;
        if (d.dot(eaterRot.forward) / std::sqrt(q) < 0.3f) return &item;
    }
    return nullptr;
}

void CfloatingFood::foodBeingSwallowed(CfoodItem* item, CfoodSwallower* swallower) {
    if (item == nullptr) {
        setExitError("tried to swallow null food", 1);
        return;
    }
    item->available = 0;
    auto* cycle = new CfoodBeingSwallowedAnimCycle;
    cycle->setDeleteWhenDone(1);
    cycle->initAnimCycle(this, item->index, 0.1f);
    cycle->extraInit(swallower);
    addAnimCycle(cycle);
    item->swallowCycle = cycle;
}

void CfloatingFood::particleEaten(CfoodItem* item) {
    if (item == nullptr) return;
    if (item->active) {
        rotations[item->index] = Cmatrix3();
        freeCount--;
    }
    item->active = item->available = 0;
    item->swallowCycle = nullptr;
    item->removeAllRelationships();
}
