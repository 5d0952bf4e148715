// The tank's frame step and the services things call on it every frame.
#include "data/dataArray.h"
#include "tankLiveSupport.h"
#include "world/shopGlobals.h"

TEST_F(LiveTankTest, TimeStepFollowsTheDisplayShareAndPauses) {
    CcodeTwoDisplay a, b;
    struct {
        int displays;
        uint8_t anim;
        double advance;
    } const cases[] = {{1, 1, 0.5}, {2, 1, 0.25}, {1, 0, 0.0}};
    for (auto const& c : cases) {
        tank->tankDisplays.clear();
        tank->tankDisplays.push_back(&a);
        if (c.displays == 2) tank->tankDisplays.push_back(&b);
        tank->displayShare = 1.0f / c.displays;
        tank->tankSpeed = 0.5;
        tank->frameAccumulator = 3.0;
        tank->lastUpdateFrame = -1;
        enableAnim = c.anim;
        masterFrame = 41;
        EXPECT_EQ(tank->updateTank(), 0);
        EXPECT_DOUBLE_EQ(tank->frameAccumulator, 3.0 + c.advance) << c.displays;
        EXPECT_EQ(tank->lastUpdateFrame, 41);
    }
    tank->runState = 0;
    masterFrame = 42;
    tank->updateTank();
    EXPECT_EQ(tank->lastUpdateFrame, 42);
    tank->tankDisplays.clear();
}

TEST_F(LiveTankTest, TankSpeedIsCappedAtOneFramePerCall) {
    struct {
        float fps, worldSpeed;
        double speed;
    } const cases[] = {{44, 1, 0.5}, {11, 1, 1.0}, {88, 2, 0.5}};
    for (auto const& c : cases) {
        tank->setFPS(c.fps);
        tank->worldSpeed = c.worldSpeed;
        tank->calcTankSpeed();
        EXPECT_DOUBLE_EQ(tank->tankSpeed, c.speed);
    }
}

TEST_F(LiveTankTest, ThingsUpdateAndAStopCutsTheStep) {
    ClivingThing* first = add(0, {});
    ClivingThing* second = add(0, {});
    ClivingThing* stranger = add(0, {});
    stranger->tank = nullptr;
    first->updateResult = 1;
    EXPECT_EQ(tank->updateTank(), 1);
    EXPECT_EQ(first->updates + second->updates, 1);
    first->updateResult = 0;
    EXPECT_EQ(tank->updateTank(), 0);
    EXPECT_EQ(stranger->updates, 0);
    EXPECT_EQ(second->updates, 1);
}

TEST_F(LiveTankTest, AutoFeedDropsBatchesOnlyWithoutFood) {
    struct {
        int fish;
        short seconds;
        bool foodPresent;
        size_t batches;
    } const cases[] = {
        {7, 5, false, 2}, {7, 0, false, 0}, {0, 5, false, 0}, {11, 5, false, 3}, {7, 5, true, 0}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.fish);
        makeTank();
        shop->autoFeedSeconds = c.seconds;
        ClivingThing* present = c.foodPresent ? add(ATTR_FOOD, {}) : nullptr;
        if (present) tank->foodList.push_back(present), present->capacity = 100;
        tank->numFish = c.fish;
        tank->autoFeedCounter = 5;
        globalSecondInc = 1;
        tank->updateTank();
        globalSecondInc = 0;
        size_t batches = 0;
        for (Cvariable* f : tank->foodList)
            for (int n : living(f)->particleBatches) {
                EXPECT_EQ(n, 9);
                ++batches;
            }
        EXPECT_EQ(batches, c.batches);
        EXPECT_EQ(tank->autoFeedCounter, c.seconds > 0 ? 0 : 6);
    }
}

TEST_F(LiveTankTest, FishPushTheWaterOnlyNearTheFoodPlane) {
    tank->setUpFoodPushVoxels(); // default backdrop: 41 x 1 cells over x 1..11
    ASSERT_EQ(tank->waterSwishField->res[0], 41);
    ASSERT_EQ(tank->waterSwishField->res[1], 1);
    EXPECT_FLOAT_EQ(tank->waterSwishField->spaceMin[0], 1.0f);
    EXPECT_FLOAT_EQ(tank->waterSwishField->spaceMax[0], 11.0f);
    tank->foodPlaneDepth = 2.0f;
    ClivingThing* food = add(ATTR_FOOD, {});
    struct {
        float depth;
        float vx;
        float expected;
    } const cases[] = {{1.5f, 24.0f, 0.0f}, {2.49f, 24.0f, 1.0f}, {2.0f, 48.0f, 2.0f}, {2.5f, 24.0f, 0.0f}};
    for (auto const& c : cases) {
        ClivingThing* fish = add(ATTR_FISH, {5.0f, 6.0f, c.depth});
        fish->swim = Cvector(c.vx, 0, 0);
        tank->fishList = {fish};
        tank->numFish = 1;
        tank->foodList = {food};
        tank->updateWaterSwishVectors();
        float* cell = tank->waterSwishField->getFloatValuesPointerUninterp(5.0f, 6.0f);
        EXPECT_NEAR(cell[0], c.expected, 1e-4) << c.depth;
    }
    // Two fish in one cell: the longer push stays, whichever comes first.
    ClivingThing* slow = add(ATTR_FISH, {5.0f, 6.0f, 2.0f});
    ClivingThing* fast = add(ATTR_FISH, {5.1f, 6.0f, 2.0f});
    slow->swim = Cvector(0, 24.0f, 0), fast->swim = Cvector(0, -72.0f, 0);
    tank->fishList = {fast, slow};
    tank->numFish = 2;
    tank->updateWaterSwishVectors();
    EXPECT_NEAR(tank->waterSwishField->getFloatValuesPointerUninterp(5.0f, 6.0f)[1], -3.0f, 1e-4);
    tank->foodList.clear(); // no food: the field is left as it was
    tank->fishList.clear();
    tank->updateWaterSwishVectors();
    EXPECT_NEAR(tank->waterSwishField->getFloatValuesPointerUninterp(5.0f, 6.0f)[1], -3.0f, 1e-4);
}

TEST_F(LiveTankTest, AddFoodPicksTheFirstFoodWithRoomOrMakesOne) {
    ClivingThing* small = add(ATTR_FOOD, {});
    ClivingThing* notFood = add(0, {});
    ClivingThing* roomy = add(ATTR_FOOD, {});
    small->capacity = 5, notFood->capacity = 50, roomy->capacity = 9;
    tank->foodList = {small, notFood, roomy};
    tank->addFood({1, 2, 3}, 9);
    EXPECT_EQ(roomy->particleBatches, std::vector<int>{9});
    tank->addFood({1, 2, 3}, 9); // nothing has room left: a new food thing is made
    ASSERT_EQ(tank->foodList.size(), 4u);
    EXPECT_EQ(living(tank->foodList[3])->particleBatches, std::vector<int>{9});
    tank->allowAddThing = 0;
    tank->addFood({1, 2, 3}, 1);
    EXPECT_EQ(tank->foodList.size(), 4u);
    tank->removeFood(small);
    tank->removeFood(small);
    EXPECT_EQ(tank->foodList.size(), 3u);
}

TEST_F(LiveTankTest, ClosestAnimalPrefersTheSpeciesWithinRange) {
    Cspecies* angel = reinterpret_cast<Cspecies*>(&root);
    ClivingThing* me = add(ATTR_PICKABLE, {0, 0, 0});
    ClivingThing* near = add(ATTR_PICKABLE, {1, 0, 0});
    ClivingThing* kin = add(ATTR_PICKABLE, {0, 5, 0});
    ClivingThing* hidden = add(0, {0.5f, 0, 0});
    add(ATTR_PICKABLE, {150, 0, 0});
    me->species = angel;
    EXPECT_EQ(tank->findAnimalClosestTo(me, false), near);
    EXPECT_EQ(tank->findAnimalClosestTo(kin, false), me);
    EXPECT_EQ(tank->findAnimalClosestTo(me, true), near); // no other angel: any species
    kin->species = angel;
    EXPECT_EQ(tank->findAnimalClosestTo(me, true), kin);
    EXPECT_EQ(tank->findAnimalClosestTo(nullptr, true), nullptr);
    me->mid = Cvector(400, 0, 0);
    EXPECT_EQ(tank->findAnimalClosestTo(me, false), nullptr);
    (void)hidden;
}

TEST_F(LiveTankTest, AvoidanceListTakesPairsWithinTheSquaredRange) {
    ClivingThing* me = add(0, {});
    ClivingThing* others[3] = {add(0, {}), add(0, {}), add(0, {})};
    float const squared[3] = {1.0f, 4.0f, 9.0f};
    for (int i = 0; i < 3; ++i) {
        auto* p = new CproximityVar;
        p->setThings(me, others[i]);
        p->squaredDistance = squared[i];
    }
    struct {
        float range;
        int count;
    } const cases[] = {{4.0f, 1}, {4.01f, 2}, {100.0f, 3}, {0.5f, 0}};
    for (auto const& c : cases) {
        ASSERT_EQ(tank->prepareMyAvoidanceList(me, c.range), c.count) << c.range;
        EXPECT_EQ(proximityThingList[c.count], nullptr);
        for (int i = 0; i < c.count; ++i) {
            EXPECT_LT(proximityDistList[i], c.range);
            int j = static_cast<int>(std::find(others, others + 3, proximityThingList[i]) - others);
            ASSERT_LT(j, 3);
            EXPECT_EQ(proximityDistList[i], squared[j]);
        }
    }
    proximityThingList.assign(2, nullptr); // room for one entry and the end mark
    EXPECT_EQ(tank->prepareMyAvoidanceList(me, 100.0f), 1);
    EXPECT_TRUE(exitRecorded("pbig"));
}

TEST_F(LiveTankTest, InstantMessagesSkipSenderOthersAndTheDying) {
    ClivingThing* sender = add(ATTR_FOOD_EATER, {});
    ClivingThing* eater = add(ATTR_FOOD_EATER | ATTR_FISH, {});
    ClivingThing* plant = add(0, {});
    ClivingThing* dying = add(ATTR_FOOD_EATER, {});
    dying->deleting = true;
    tank->instantMessageToAllFoodEaters(17, sender, 3, 0);
    tank->instantMessageToAll(ATTR_FISH, 5, nullptr, 0, 0);
    EXPECT_EQ(eater->received, (std::vector<int>{17, 5}));
    EXPECT_TRUE(sender->received.empty());
    EXPECT_TRUE(plant->received.empty());
    EXPECT_TRUE(dying->received.empty());
}
