// Finding food and feeding: the forwardness score, the peck search window, holding and
// giving up a particle, the bite's timing and its message, pecking's refusals, and
// digestion's clock.
#include <cmath>
#include <string>
#include <vector>

#include "fishTestSupport.h"
#include "things/peckFood.h"

namespace {

// A food whose particles the test places; it records the swallows it is asked for.
class TestFood : public Cfood {
  public:
    explicit TestFood(int type) : type(type) { setName("testFood"); }
    CfoodItem* add(Cvector const& at, CfoodItem* item = nullptr) {
        if (item == nullptr) item = new CfoodItem;
        adoptParticle(item, "p", particleCount++);
        item->active = item->available = 1;
        item->position = at;
        return item;
    }
    CpeckFoodItem* addPeck(Cvector const& at, Cvector const& normal, float receive) {
        auto* p = new CpeckFoodItem;
        p->normal = normal;
        p->receiveDP = receive;
        add(at, p);
        return p;
    }
    int foodType() override { return type; }
    void foodBeingSwallowed(CfoodItem* item, CfoodSwallower* by) override {
        swallowed.push_back(item->index);
        item->available = 0;
        swallower = by;
    }
    int type;
    std::vector<int> swallowed;
    CfoodSwallower* swallower = nullptr;
};

class FeedingTest : public FishTest {
  protected:
    TestFood* addFood(int type) {
        auto* f = new TestFood(type);
        f->setToTank(tank);
        tank->addFoodToList(f);
        return f;
    }
    // Messages of this code waiting in the fish's inbox.
    static int waiting(Cfish& fish, int code) {
        int n = 0;
        for (int i = 0; i < fish.capacity(); i++)
            if (fish.record(i).code == code) n++;
        return n;
    }
};

// The best particle ahead: forwardness min(z^2/|x|, z/(4|y|)) in body lengths (x side, y up,
// z forward along the direction with its y flattened), scored min(forwardness, 1) - 0.1 z.
TEST_F(FeedingTest, LookForFoodScoresForwardnessAndNearness) {
    struct {
        char const* what;
        std::vector<Cvector> particles;
        Cvector direction;
        float threshold;
        int chosen; // -1 none
    } const cases[] = {
        {"straight ahead: z/(4|y|) decides", {{0, 0.5f, 2}, {0.5f, 0.5f, 1}}, {0, 0, 1}, 0, 0},
        {"nearer and well ahead wins", {{0, 0.1f, 4}, {0, 0.1f, 2}}, {0, 0, 1}, 0, 1},
        {"behind fails threshold 0", {{0.5f, 0.5f, -2}}, {0, 0, 1}, 0, -1},
        {"behind is chosen at -100 when nothing else", {{0.5f, 0.5f, -2}}, {0, 0, 1}, -100, 0},
        {"equal scores: the first scanned", {{0.3f, 0.2f, 2}, {-0.3f, -0.2f, 2}}, {0, 0, 1}, 0, 0},
        // Along (0, 1, 1) as given, and along it with its y flattened to 0.3.
        {"the look's y is flattened", {{0, 1.414f, 1.414f}, {0, 0.575f, 1.916f}}, {0, 1, 1}, 0, 1},
        {"sideways ratio decides", {{2, 0.01f, 1}}, {0, 0, 1}, 0.3f, 0},  // 1/2, scoring 0.4
        {"sideways ratio refuses", {{3, 0.01f, 1}}, {0, 0, 1}, 0.3f, -1}, // 1/3, scoring 0.23
    };
    Cfish* fish = makeFish(Cvector(0, 0, 0));
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        TestFood* food = addFood(FOOD_FLOATING);
        for (Cvector const& p : c.particles)
            food->add(p);
        CfoodItem* found = fish->lookForFood(Cvector(), c.direction, c.threshold);
        EXPECT_EQ(found, c.chosen < 0 ? nullptr : food->items[static_cast<size_t>(c.chosen)]);
        EXPECT_EQ(fish->foodReLookCountdown, 5);
        deleteVariable(food);
        emptyTrash();
    }
}

// A particle is a candidate only while in the water, free, not stuck and not being
// swallowed; foods being torn down are passed over.
TEST_F(FeedingTest, OnlyFreeParticlesOfLiveFoodCount) {
    Cfish* fish = makeFish(Cvector(0, 0, 0));
    TestFood* food = addFood(FOOD_FLOATING);
    CfoodItem* p = food->add(Cvector(0, 0.2f, 1));
    struct {
        char const* what;
        int active, available, stuck, dying;
        bool found;
    } const cases[] = {
        {"free", 1, 1, 0, 0, true},   {"gone", 0, 1, 0, 0, false},       {"taken", 1, 0, 0, 0, false},
        {"stuck", 1, 1, 1, 0, false}, {"food dying", 1, 1, 0, 1, false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        p->active = uint8_t(c.active), p->available = uint8_t(c.available), p->stuck = uint8_t(c.stuck);
        food->dying = uint8_t(c.dying);
        EXPECT_EQ(fish->lookForFood(Cvector(), Cvector(0, 0, 1), 0) != nullptr, c.found);
    }
}

// Peck food is searched ten particles at a time: 25 particles go 0-9, 10-19, 20-24, 0-9.
TEST_F(FeedingTest, PeckFoodIsSearchedInWindowsOfTen) {
    Cfish* fish = makeFish(Cvector(0, 0, 0));
    TestFood* food = addFood(FOOD_PECK);
    for (int i = 0; i < 25; i++)
        food->add(Cvector(0, 0.1f, 1))->available = i == 22;
    std::vector<int> found, next;
    for (int search = 0; search < 4; search++) {
        CfoodItem* p = fish->lookForFood(Cvector(), Cvector(0, 0, 1), 0);
        found.push_back(p ? p->index : -1);
        next.push_back(food->scanIndex);
    }
    EXPECT_EQ(found, (std::vector<int>{-1, -1, 22, -1}));
    EXPECT_EQ(next, (std::vector<int>{10, 20, 0, 10}));
}

// Holding a particle is a relationship: chasing the one just given up counts a repeat,
// any other starts the count again; losing the particle ends the feeding.
TEST_F(FeedingTest, ChasingAParticleHoldsItSafely) {
    Cfish* fish = makeFish(Cvector(0, 0, 0));
    TestFood* food = addFood(FOOD_FLOATING);
    CfoodItem* a = food->add(Cvector(0, 0, 1));
    CfoodItem* b = food->add(Cvector(0, 0, 2));
    struct {
        CfoodItem* chase;
        int repeats;
    } const steps[] = {{a, 0}, {nullptr, 0}, {a, 1}, {nullptr, 1}, {a, 2}, {b, 0}, {a, 0}};
    for (auto const& s : steps) {
        fish->chaseFood(s.chase);
        EXPECT_EQ(fish->foodBeingChased, s.chase);
        if (s.chase) EXPECT_EQ(fish->repeatChaseCount, s.repeats);
        for (CfoodItem* p : {a, b}) {
            std::vector<Cvariable*> chasers;
            p->fillVectorWithRelationshipsOfNature(chasers, NATURE_CHASING_FOOD);
            EXPECT_EQ(chasers.size(), p == s.chase ? 1u : 0u);
        }
    }
    fish->startFeeding(a);
    ASSERT_EQ(fish->activity, Cfish::ACTIVITY_FEED);
    ASSERT_EQ(fish->goalPointer, &a->position);
    deleteVariable(food); // the particles go with their food
    EXPECT_EQ(fish->foodBeingChased, nullptr);
    EXPECT_EQ(fish->goalPointer, &fish->ownGoalPoint);
    EXPECT_NE(fish->activity, Cfish::ACTIVITY_FEED);
}

// Feeding on a floating particle: the chase is set up to bite when about eight frames away.
// With nothing to eat the fish wanders off.
TEST_F(FeedingTest, StartFeedingChasesFloatingFoodOrWandersOff) {
    Cfish* fish = makeFish(Cvector(0, 0, 0));
    fish->startFeeding(nullptr);
    EXPECT_EQ(fish->activity, Cfish::ACTIVITY_WANDER);
    TestFood* food = addFood(FOOD_FLOATING);
    CfoodItem* p = food->add(Cvector(0, 0.2f, 2));
    EXPECT_EQ(fish->lookForSomethingToEat(), 1);
    EXPECT_EQ(fish->foodBeingChased, p);
    EXPECT_EQ(fish->activity, Cfish::ACTIVITY_FEED);
    EXPECT_FLOAT_EQ(fish->etaThreshold, 8.0f);
    EXPECT_FLOAT_EQ(fish->arriveDistance, 0.1f);
    EXPECT_FLOAT_EQ(fish->desiredBodySpeed, fish->speedTiers[1]);
    EXPECT_EQ(fish->lookForSomethingToEat(), 0) << "already holds one";
}

// The bite goes out once, when the particle is closing in ahead and its estimated arrival
// is more than 4 frames away and less than the threshold.
TEST_F(FeedingTest, TheBiteIsSentOnceAtTheRightDistance) {
    struct {
        char const* what;
        float previous, now, zone, residual;
        bool bite;
    } const cases[] = {
        {"eta 5.3", 1.1875f, 1.0f, 2, 0, true},
        {"eta exactly 4", 1.25f, 1.0f, 2, 0, false},
        {"eta 10", 1.1f, 1.0f, 2, 0, false},
        {"not closing", 1.0f, 1.0f, 2, 0, false},
        {"not in the cone", 1.1875f, 1.0f, 1, 0, false},
        {"still turning", 1.1875f, 1.0f, 2, 0.2f, false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        Cfish* fish = makeFish(Cvector(0, 0, 0));
        TestFood* food = addFood(FOOD_FLOATING);
        fish->startFeeding(food->add(Cvector(0, 0.2f, 2)));
        fish->foodReLookCountdown = 100;
        fish->previousGoalDistance = c.previous;
        fish->goalDistance = c.now;
        fish->goalZone = fish->previousGoalZone = c.zone;
        fish->residualTurn = c.residual;
        fish->activity_feeding();
        EXPECT_EQ(waiting(*fish, 7), c.bite ? 1 : 0);
        EXPECT_EQ(fish->etaThreshold, c.bite ? -1.0f : 8.0f);
        if (c.bite) {
            EXPECT_EQ(fish->steerHoldFrames, 6);
            fish->activity_feeding();
            EXPECT_EQ(waiting(*fish, 7), 1) << "no second bite";
        }
        deleteVariable(fish);
        deleteVariable(food);
        emptyTrash();
    }
}

// A particle close and well ahead is kept even when a better one appears; farther off,
// the fish switches when its re-look comes round.
TEST_F(FeedingTest, ACloseParticleAheadIsNeverReplaced) {
    struct {
        float distance, zone;
        bool switches;
    } const cases[] = {{1.5f, 2, false}, {1.6f, 2, true}, {1.0f, 1, true}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0, 0, 0));
        TestFood* food = addFood(FOOD_FLOATING);
        CfoodItem* far = food->add(Cvector(0.3f, 0.3f, 4));
        fish->startFeeding(far);
        CfoodItem* better = food->add(Cvector(0, 0.1f, 1));
        for (int i = 0; i < 6; i++) {
            fish->goalDistance = c.distance;
            fish->goalZone = fish->previousGoalZone = c.zone;
            fish->activity_feeding();
        }
        EXPECT_EQ(fish->foodBeingChased, c.switches ? better : far) << c.distance << " " << c.zone;
        deleteVariable(fish);
        deleteVariable(food);
        emptyTrash();
    }
}

// The bite message starts the bite and hands a free particle to its food's swallow; a
// particle no longer free gets nothing.
TEST_F(FeedingTest, TheBiteMessageSwallowsOnlyAFreeParticle) {
    for (bool free : {true, false}) {
        SCOPED_TRACE(free ? "free" : "taken");
        Cfish* fish = makeFish(Cvector(0, 0, 0));
        TestFood* food = addFood(FOOD_FLOATING);
        CfoodItem* p = food->add(Cvector(0, 0.2f, 2));
        fish->startFeeding(p);
        p->available = free;
        CthingMessage bite;
        bite.code = 7;
        fish->processMessage(&bite);
        EXPECT_EQ(fish->activity, free ? Cfish::ACTIVITY_BITE : Cfish::ACTIVITY_FEED);
        EXPECT_EQ(fish->biteCycle.active != 0, free);
        EXPECT_EQ(food->swallowed, free ? std::vector<int>{0} : std::vector<int>{});
        if (free) EXPECT_EQ(food->swallower, static_cast<CfoodSwallower*>(fish));
        fish->clearAnimCycles();
        deleteVariable(fish);
        deleteVariable(food);
        emptyTrash();
    }
}

// Peck food the fish does not face squarely is ignored; facing it, the fish brakes and then
// pecks, except that the third go at the same point in a row gives it up.
TEST_F(FeedingTest, PeckFoodNeedsFacingAndIsGivenUpOnTheThirdRepeat) {
    Cfish* fish = makeFish(Cvector(0, 0, 0)); // faces +z
    TestFood* food = addFood(FOOD_PECK);
    CpeckFoodItem* wall = food->addPeck(Cvector(0, 0, 1), Cvector(0, 0, -1), 0.5f);
    CpeckFoodItem* floor = food->addPeck(Cvector(0, -1, 0.5f), Cvector(0, 1, 0), 0.5f);
    EXPECT_TRUE(fish->peckFoodIsConvenient(wall));
    EXPECT_FALSE(fish->peckFoodIsConvenient(floor));
    fish->startFeeding(floor);
    EXPECT_EQ(fish->foodBeingChased, nullptr);
    std::vector<int> activities;
    for (int go = 0; go < 3; go++) {
        fish->setActivityDirectly(Cfish::ACTIVITY_IDLE);
        fish->startFeeding(wall);
        activities.push_back(fish->activity);
        if (go < 2) {
            EXPECT_EQ(fish->nextActivity, Cfish::ACTIVITY_PECK);
            EXPECT_EQ(fish->foodBeingChased, wall);
            fish->chaseFood(nullptr);
        }
    }
    EXPECT_EQ(activities,
              (std::vector<int>{Cfish::ACTIVITY_STOP, Cfish::ACTIVITY_STOP, Cfish::ACTIVITY_IDLE}));
    EXPECT_EQ(fish->foodBeingChased, nullptr);
}

// Digestion: the strand grows over the grow time, is full until the drop time, then drops
// and the cycle waits for its end; a full stomach speeds the clock, more so in a small fish.
TEST_F(FeedingTest, DigestionGrowsHoldsAndDropsFasterWithAFullStomach) {
    Cfish* fish = makeFish(Cvector(0, 0, 0));
    fish->setDigestiveSettings2(0.1f, 600.0f, 1.0f, 0.5f);
    EXPECT_FLOAT_EQ(fish->pooState, 0.5f);
    EXPECT_FLOAT_EQ(fish->cycleLength, 2.4f);
    EXPECT_GE(fish->digestionClock, 0.0);
    EXPECT_LT(fish->digestionClock, 2.4);
    struct {
        double clock;
        float state;
    } const cases[] = {{0.25, 0.25f}, {0.999, 0.999f}, {1.2, 1.0f}, {1.6, 0.0f}};
    for (auto const& c : cases) {
        fish->digestionClock = c.clock;
        EXPECT_NEAR(fish->digestAndPoo(), c.state, 1e-5f) << c.clock;
        EXPECT_NEAR(fish->digestionClock, c.clock + 1.0 / 1440.0, 1e-7);
    }
    for (int i = 0; i < 15; i++)
        fish->foodPieceIntoStomach();
    fish->digestionClock = 0.1;
    fish->digestAndPoo();
    EXPECT_NEAR(fish->digestionClock - 0.1, 2.0 / 1440.0, 1e-6) << "15 particles at scale 1 double it";
    fish->digestionClock = 2.5; // past the cycle: it restarts, the stomach empty
    fish->digestAndPoo();
    EXPECT_NEAR(fish->digestionClock, 1.0 / 1440.0, 1e-7);
    EXPECT_EQ(fish->stomachContents, 0.0f);
    Cfish* small = makeFish(Cvector(2, 0, 0), 1.0f, 0.5f);
    small->setDigestiveSettings2(0.1f, 600.0f, 1.0f, 0.5f);
    EXPECT_NEAR(small->stomachSpeedUp, 0.2666667f, 1e-6f);
}

} // namespace
