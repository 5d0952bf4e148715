// The tank's frame step and the services things call on it every frame.
#include "tankLiveSupport.h"
#include "world/shopGlobals.h"

TEST_F(LiveTankTest, TimeStepSharesDisplaysPausesAndStopsEarly) {
    CcodeTwoDisplay a, b;
    ClivingThing* first = add(0, {});
    ClivingThing* second = add(0, {});
    struct {
        int displays;
        uint8_t anim, runState;
        int stopper; // which thing asks to stop: 0 none, 1 the first
        double advance;
        int updatesOfSecond;
    } const cases[] = {{1, 1, 1, 0, 0.5, 1},
                       {2, 1, 2, 0, 0.25, 1},
                       {1, 0, 1, 0, 0, 0},
                       {1, 1, 0, 0, 0, 0},
                       {1, 1, 1, 1, 0.5, 0}};
    for (auto const& c : cases) {
        tank->tankDisplays =
            c.displays == 2 ? std::vector<CgraphicsAPI*>{&a, &b} : std::vector<CgraphicsAPI*>{&a};
        tank->displayShare = 1.0f / c.displays;
        tank->tankSpeed = 0.5, tank->frameAccumulator = 3.0, tank->runState = c.runState;
        enableAnim = c.anim;
        masterFrame = 41 + c.displays;
        first->updateResult = c.stopper, second->updates = 0;
        EXPECT_EQ(tank->updateTank(), c.stopper);
        EXPECT_DOUBLE_EQ(tank->frameAccumulator, 3.0 + c.advance) << c.displays;
        EXPECT_EQ(tank->lastUpdateFrame, 41 + c.displays); // advances even when paused
        EXPECT_EQ(second->updates, c.updatesOfSecond);
    }
    tank->tankDisplays.clear();
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
        makeTank();
        shop->autoFeedSeconds = c.seconds;
        if (c.foodPresent) tank->foodList.push_back(add(ATTR_FOOD, {}));
        tank->numFish = c.fish;
        tank->autoFeedCounter = 5;
        globalSecondInc = 1;
        tank->updateTank();
        globalSecondInc = 0;
        size_t batches = 0;
        for (Cvariable* f : tank->foodList) {
            for (int n : living(f)->particleBatches) {
                EXPECT_EQ(n, 9);
                ++batches;
            }
        }
        EXPECT_EQ(batches, c.batches) << c.fish;
        EXPECT_EQ(tank->autoFeedCounter, c.seconds > 0 ? 0 : 6);
    }
}

TEST_F(LiveTankTest, FishPushTheWaterOnlyNearTheFoodPlane) {
    tank->setUpFoodPushVoxels(); // default backdrop: 41 x 1 cells over x 1..11
    CdataImage* field = tank->waterSwishField;
    EXPECT_EQ(field->res[0] * 100 + field->res[1], 4101);
    EXPECT_FLOAT_EQ(field->spaceMin[0] + field->spaceMax[0], 12.0f);
    tank->foodPlaneDepth = 2.0f;
    tank->foodList = {add(ATTR_FOOD, {})};
    ClivingThing* slow = add(ATTR_FISH, {5.0f, 6.0f, 2.0f});
    ClivingThing* fast = add(ATTR_FISH, {5.1f, 6.0f, 2.0f});
    tank->fishList = {fast, slow};
    tank->numFish = 2;
    struct {
        float depth, pushY;
    } const cases[] = {{1.5f, 1.0f}, {2.49f, -3.0f}, {2.5f, 1.0f}};
    for (auto const& c : cases) {
        slow->swim = Cvector(0, 24.0f, 0), fast->swim = Cvector(0, -72.0f, 0);
        fast->mid.z = c.depth;
        tank->updateWaterSwishVectors();
        EXPECT_NEAR(field->getFloatValuesPointerUninterp(5.0f, 6.0f)[1], c.pushY, 1e-4) << c.depth;
    }
    tank->foodList.clear(); // no food: the field is left as it was
    fast->mid.z = 2.0f;
    tank->updateWaterSwishVectors();
    EXPECT_NEAR(field->getFloatValuesPointerUninterp(5.0f, 6.0f)[1], 1.0f, 1e-4);
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
    tank->removeFood(small);
    tank->removeFood(small);
    EXPECT_EQ(tank->foodList.size(), 3u);
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
    for (auto [range, count] : {std::pair{4.0f, 1}, {4.01f, 2}, {100.0f, 3}, {0.5f, 0}}) {
        ASSERT_EQ(tank->prepareMyAvoidanceList(me, range), count) << range;
        EXPECT_EQ(proximityThingList[count], nullptr);
        for (int i = 0; i < count; ++i) {
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
    EXPECT_EQ(sender->received.size() + plant->received.size() + dying->received.size(), 0u);
}
