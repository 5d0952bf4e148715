// The eating animal: food search, the chase of a particle, the stomach and digestion.
#include "fish/animalThing.h"

#include <cfloat>
#include <cmath>
#include <limits>

#include "support/fastRand.h"
#include "things/fishPoo.h"
#include "things/food.h"
#include "things/foodBeingSwallowedAnimCycle.h"
#include "world/thingServices.h"

CanimalThing::~CanimalThing() {
    flags |= VAR_TEARING_DOWN;
}

void CanimalThing::chaseFood(CfoodItem* item) {
    if (CfoodItem* held = foodBeingChased) {
        // Let go first: breaking the relationship tells this animal again, which must find
        // nothing left to give up.
        foodBeingChased = nullptr;
        // Only the animal swallowing a particle gives it back; anyone else letting go
        // leaves a swallow, or a particle no longer offered, as it is.
        if (held->food && held->swallowCycle && held->swallowCycle->swallowsFor(this))
            held->food->particleNotFinishedSwallowing(held);
        lastFoodChased = held;
        held->clearRelationshipType(-NATURE_CHASING_FOOD, this);
    }
    if (item == nullptr) return;
    repeatChaseCount = item == lastFoodChased ? static_cast<int16_t>(repeatChaseCount + 1) : 0;
    foodBeingChased = item;
    setRelationshipWith2(item, NATURE_CHASING_FOOD);
}

void CanimalThing::prepareForDelete() {
    if (!(flags & DO_PREPARE_FOR_DELETE)) return;
    dying = 1;
    // A swallow under way ends here: the animal's memory goes before the food's next step.
    if (CfoodItem* held = foodBeingChased;
        held && held->food && held->swallowCycle && held->swallowCycle->swallowsFor(this)) {
        CfoodBeingSwallowedAnimCycle* cycle = held->swallowCycle;
        cycle->leaveParticleWhereDrawn();
        held->swallowCycle = nullptr;
        held->food->removeAnimCycle(cycle);
    }
    chaseFood(nullptr);
    Cthing::prepareForDelete();
}

void CanimalThing::notifyOfBreakup(CsafeRelationship* partner, short nature, short mine) {
    Cthing::notifyOfBreakup(partner, nature, mine);
    if (nature == NATURE_CHASING_FOOD && foodBeingChased && partner == foodBeingChased) {
        chaseFood(nullptr);
        cleanupFeeding();
    }
}

CfoodItem* CanimalThing::lookForFood(Cvector const& position, Cvector const& direction, float threshold) {
    foodReLookCountdown = 5;
    Cvector d = direction;
    d.y *= 0.3f;
    float q = d.lengthSquared();
    if (q > FLT_MIN && q != 1.0f) d = d * (1.0f / std::sqrt(q));
    Cmatrix3 look;
    look.identity();
    look.buildMatrixFromNormalizedVect(d, 2, 1, 0);
    if (tank == nullptr) return nullptr;
    std::vector<Cvariable*> const* foods = tank->foodThings();
    if (foods == nullptr) return nullptr;
    CfoodItem* best = nullptr;
    float bestScore = -1000.0f;
    for (Cvariable* node : *foods) {
        auto* food = dynamic_cast<Cfood*>(node);
        if (food == nullptr || food->dying || food->deletionHasBegun()) continue;
        scoreFood(*food, position, look, threshold, best, bestScore);
    }
    return bestScore > threshold ? best : nullptr;
}

void CanimalThing::scoreFood(Cfood& food, Cvector const& position, Cmatrix3 const& look, float threshold,
                             CfoodItem*& best, float& bestScore) {
    int count = static_cast<int>(food.items.size());
    if (count <= 0) return;
    int first = 0, end = count;
    if (food.foodType() == 2) {
        if (food.scanIndex >= count || food.scanIndex < 0) food.scanIndex = 0;
        first = food.scanIndex;
        end = std::min(first + kPeckFoodSearchWindow, count);
        food.scanIndex = end >= count ? 0 : end;
    }
    constexpr float infinity = std::numeric_limits<float>::infinity();
    for (int i = first; i < end; i++) {
        CfoodItem& item = *food.items[static_cast<size_t>(i)];
        if (!item.active || !item.available || item.stuck || item.swallowCycle) continue;
        Cvector v = (item.position - position) * invBodyLength;
        v /= look;
        float ax = std::fabs(v.x), ay = std::fabs(v.y);
        // Straight ahead (x or y exactly 0) leaves the other ratio to decide.
        float sideways = ax > 0.0f ? v.z * v.z / ax : infinity;
        float upDown = ay > 0.0f ? v.z / (4.0f * ay)
                                 : (v.z > 0.0f   ? infinity
                                    : v.z < 0.0f ? -infinity
                                                 : 0.0f);
        float forwardness = std::min(sideways, upDown);
        if (!(forwardness > threshold)) continue;
        float score = std::min(forwardness, 1.0f) - 0.1f * v.z;
        if (score > bestScore) {
            bestScore = score;
            best = &item;
        }
    }
}

float CanimalThing::digestAndPoo() {
    double t = digestionClock;
    if (t < growTime) {
        pooState = static_cast<float>(t / growTime);
    } else if (t < dropTime) {
        pooState = 1.0f;
    } else {
        if (pooState != 0.0f) snapWasteStrand();
        pooState = 0.0f;
        if (t > cycleLength) {
            t = 0.0;
            stomachContents = 0.0f;
        }
    }
    digestionClock = t + static_cast<double>(clockStep) * (1.0 + stomachSpeedUp * stomachContents);
    return pooState;
}

void CanimalThing::dropPoo() {
    snapWasteStrand();
    pooState = 0.0f;
}

void CanimalThing::snapWasteStrand() {
    if (auto* strand = dynamic_cast<CfishPoo*>(pooThing)) strand->snapIntoFallingPoo(1.0f);
}

void CanimalThing::setDigestiveSettings2(float width, float cycleDivisor, float grow, float hold) {
    pooState = 0.5f;
    pooWidth = width;
    cycleLength = cycleDivisor != 0.0f ? 1440.0f / cycleDivisor : 0.0f;
    digestionClock = randRangeReal(0.0f, cycleLength);
    clockStep = 1.0f / 1440.0f;
    growTime = grow;
    dropTime = grow + hold;
    float scale = thingScale * thingScale;
    stomachSpeedUp = scale > 0.0f ? 0.06666667f / scale : 0.0f;
    stomachContents = 0.0f;
}
