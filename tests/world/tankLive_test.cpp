// The tank's aspect values, camera list, camera steps and gestures; its frame step and the
// services things call on it every frame.
#include <cmath>

#include "support/traceCapture.h"
#include "tankLiveSupport.h"
#include "world/shopGlobals.h"

using CameraTankTest = ViewTankTest;

TEST_F(CameraTankTest, CameraArraysFillOrReportBadCams) {
    struct {
        std::vector<char const*> names;
        std::vector<float> values;
        int filled;
    } const cases[] = {
        {{"rocks"}, {1, 2, 3, 0, 3, -4, 44, 0.4f, 1}, 1},
        {{"a", "b"}, {1, 2, 3, 0, 3, -4, 44, 0.4f}, 0},
        {{"short"}, {1, 2, 3, 0, 3, -4, 44, 0.4f}, 0},
        {{}, {1, 2, 3, 0, 3, -4, 44, 0.4f, 1, 1}, 0},
    };
    for (auto const& c : cases) {
        resetExitState();
        Ccamera cam;
        cam.name = "before";
        ASSERT_EQ(cam.fillFromCameraArray(addCamera(3, c.names, c.values), 2.0f), c.filled);
        EXPECT_EQ(exitRecorded("bad cam"), c.filled == 0);
        EXPECT_EQ(cam.name, Cstring(c.filled ? "rocks" : "before"));
        if (c.filled) {
            EXPECT_FLOAT_EQ(cam.camPos.z, 6.0f);
            EXPECT_FLOAT_EQ(cam.direction.y, 0.6f);
            EXPECT_FLOAT_EQ(cam.up.y, 2.0f);
            EXPECT_EQ(cam.allowLetterboxing, 1);
            EXPECT_EQ(cam.behavior, 1);
        }
    }
    Ccamera cam;
    EXPECT_EQ(cam.fillFromCameraArray(nullptr, 1.0f), 0);
    EXPECT_EQ(tank->getCameraFromListUsingCameraNum(cam, 9), 0);
    tank->tankDisplays = {&left};
    resetExitState();
    tank->setNewCamera(9, false);
    EXPECT_TRUE(exitRecorded("bad cam2"));
}

TEST_F(CameraTankTest, AspectValuesAndThePushGrid) {
    tank->tankTypeName = "swatch";
    tank->imageAspect = 2.0f;
    tank->backdrop_top = 6, tank->backdrop_base = 0, tank->backdrop_zpos = -3, tank->floor_front[1] = 1;
    tank->recalcTankAspect();
    EXPECT_FLOAT_EQ(tank->backdrop_width, 13.6f);
    EXPECT_EQ(tank->waterSwishField->res[0], static_cast<int>(13.6f * 4 + 1));
    EXPECT_EQ(tank->waterSwishField->res[1], 25);
    EXPECT_FLOAT_EQ(tank->cameraZoffsetFromFollowedFish, 5.0f * std::sqrt(2.0f));
    EXPECT_FLOAT_EQ(tank->inspectClosestToTankZdist, 3.0f);
    // The eyes: full height no farther than full width, both in front of the backdrop.
    EXPECT_LE(tank->cameraEyePosAtFullHeight.z, tank->cameraEyePosAtFullWidth.z + 1e-4f);
    EXPECT_GT(tank->cameraEyePosAtFullHeight.z, tank->inspectClosestToTankZdist - 1e-4f);
    EXPECT_FALSE(exitRecorded("nocam9"));
    list->deleteChildren();
    tank->recalcTankAspect(); // a tank without its wide camera: an error, no crash
    EXPECT_TRUE(exitRecorded("nocam9 tank3"));
}

TEST_F(CameraTankTest, ViewsAcrossDisplaysWithABezel) {
    shop->bezel = 0.1f;
    showOn({&left, &right});
    EXPECT_FLOAT_EQ(tank->placedWindowRect[1].minx, 280.0f);
    EXPECT_FLOAT_EQ(tank->allViewsRect.width(), 480.0f);
    EXPECT_FLOAT_EQ(tank->imageAspect, 4.8f);
    EXPECT_FLOAT_EQ(tank->displayShare, 0.5f);
    // The displays split the view; the bezel's gap belongs to neither.
    EXPECT_FLOAT_EQ(left.fovRect.minx, tank->fovViewRect.minx);
    EXPECT_FLOAT_EQ(right.fovRect.maxx, tank->fovViewRect.maxx);
    EXPECT_LT(left.fovRect.maxx, right.fovRect.minx);
    // Planes from the camera in use.
    float z = tank->myCamera.camPos.z;
    EXPECT_FLOAT_EQ(tank->nearPlane, std::max(0.5f, z - 2.0f));
    EXPECT_FLOAT_EQ(tank->farPlane, 5.0f + z);
    CviewCamera seen; // what the display device draws with
    graphicsHooks.tankCamera(tank, seen);
    EXPECT_FLOAT_EQ(seen.eye.z, z);
    EXPECT_FLOAT_EQ(seen.nearZ, tank->nearPlane);
    EXPECT_FLOAT_EQ(seen.farZ, tank->farPlane);
    EXPECT_FLOAT_EQ(seen.up.y, 1.0f);
    // Following with two equal displays keeps the fish off the bezel.
    tank->setDesiredCameraTarget(Cvector(6, 3, 0), 1.0f);
    EXPECT_FLOAT_EQ(tank->destCamera.camPos.x, 4.0f);
    right.width = 100;
    tank->setDesiredCameraTarget(Cvector(6, 3, 0), 1.0f);
    EXPECT_FLOAT_EQ(tank->destCamera.camPos.x, 8.0f);
    tank->tankDisplays.push_back(nullptr); // a hole in the display list: an error, no crash
    tank->rebuildAllViewsRect();
    EXPECT_TRUE(exitRecorded("ravr"));
}

TEST_F(CameraTankTest, DragsAndPinchesMoveTheCameraWithinLimits) {
    showOn({&left});
    shop->dragThreshold = 5.0f;
    CtouchPointer p = pressedPointer({100, 50}, {80, 50}, &left);
    struct {
        float dragged;
        bool moves;
    } const drags[] = {{3.0f, false}, {10.0f, true}};
    tank->destCamera.camPos = Cvector(6, 3, 3); // zoomed in: room to move sideways
    for (auto const& d : drags) {
        Cvector before = tank->destCamera.camPos;
        tankInput.dragDistance = d.dragged;
        tank->mouseDrag(p);
        EXPECT_EQ(tank->destCamera.camPos.x != before.x, d.moves) << d.dragged;
    }
    struct {
        float spread; // current distance between the pointers; 100 before
        bool moves;
    } const pinches[] = {{30.0f, false}, {250.0f, false}, {80.0f, true}};
    for (auto const& c : pinches) {
        tank->destCamera.camPos = tank->cameraEyePosAtFullHeight;
        tank->destCamera.camPos.z += 0.5f;
        Cvector before = tank->destCamera.camPos;
        CtouchPointer a = pressedPointer({50, 50}, {100 - c.spread / 2, 50}, &left);
        CtouchPointer b = pressedPointer({150, 50}, {100 + c.spread / 2, 50}, &left);
        tank->doPinch(a, b);
        EXPECT_EQ(tank->destCamera.camPos.z != before.z, c.moves) << c.spread;
    }
    tank->cameraUnlocked = 0; // a wheel before any camera was chosen: ignored
    Cvector before = tank->destCamera.camPos;
    CtouchPointer a = pressedPointer({50, 50}, {60, 50}, &left);
    CtouchPointer b = pressedPointer({150, 50}, {140, 50}, &left);
    tank->doPinch(a, b);
    tank->mouseDrag(p);
    EXPECT_FLOAT_EQ(tank->destCamera.camPos.z, before.z);
}

// The view's edges land on the backdrop's (x from 1 to 11 by default) at a 45 degree field
// of view, from wherever the camera starts.
TEST_F(CameraTankTest, ContainmentFitsTheViewInsideTheBackdrop) {
    tank->imageAspect = 2.0f;
    Ccamera cam;
    cam.fovMaxDim = 60;
    cam.camPos = Cvector(30, 3, 100);
    tank->containCameraInFrustum3D(cam);
    EXPECT_FLOAT_EQ(cam.fovy, 45.0f);
    float slope = std::tan(45.0f * 0.5f * 3.14159265f / 180.0f) * 2.0f;
    float reach = slope * (cam.camPos.z - tank->backdrop_zpos);
    EXPECT_NEAR(cam.camPos.x - reach, 1.0f, 1e-3);
    EXPECT_NEAR(cam.camPos.x + reach, 11.0f, 1e-3);
    struct {
        float x, z;
    } const starts[] = {{-40, 2}, {60, 3}, {6, 4}};
    for (auto const& start : starts) {
        cam.camPos = Cvector(start.x, 3, start.z);
        tank->containCameraInFrustum3D(cam);
        float r = slope * (cam.camPos.z - tank->backdrop_zpos);
        EXPECT_GE(cam.camPos.x - r, 1.0f - 1e-3f) << start.x;
        EXPECT_LE(cam.camPos.x + r, 11.0f + 1e-3f) << start.x;
    }
    tank->imageAspect = 1.2f;
    tank->containCameraInFrustum3D(cam);
    EXPECT_FLOAT_EQ(cam.fovy, 60.0f);
}

TEST_F(CameraTankTest, PickingTakesTheNearestAndWidensOnce) {
    showOn({&left});
    EXPECT_EQ(tank->getThingClosestToScreenSpace(&left, 100, 50, 0.05f), nullptr); // nothing pickable
    fishAt(100, 50, 0, 0);                                                         // not pickable
    fishAt(100, 50, -1.0f);
    ClivingThing* front = fishAt(102, 50, 1.0f);
    EXPECT_EQ(tank->getThingClosestToScreenSpace(&left, 100, 50, 0.01f), front);
    EXPECT_EQ(tank->getThingClosestToScreenSpace(&left, 100, 50, -0.1f), nullptr);
    ClivingThing* lone = fishAt(40, 30, 0);
    struct {
        float x, tolerance;
        ClivingThing* found;
    } const cases[] = {
        {49.0f, 0.0f, lone}, {50.3f, 0.0f, nullptr}, {50.3f, 0.01f, lone}, {53.0f, 0.01f, nullptr}};
    for (auto const& c : cases)
        EXPECT_EQ(tank->getThingClosestToScreenSpace(&left, c.x, 30, c.tolerance), c.found) << c.x;
    // Seen from behind the backdrop the nearer of two fish has the smaller z: nearness is
    // along the view.
    tank->pov.setViewpoint(Cvector(6, 3, -8), Cvector(6, 3, 0), Cvector(0, 1, 0));
    tank->pov.setFOVandGrids(tank->fovViewRect);
    fishAt(150, 60, 1.0f);
    ClivingThing* nearer = fishAt(150, 60, -1.0f);
    EXPECT_EQ(tank->getThingClosestToScreenSpace(&left, 150, 60, 0.01f), nearer);
}

TEST_F(CameraTankTest, FishFrustumContainsPointsAndBoundsTheWalls) {
    tank->schoolMinBound = Cvector(0, 0, -2), tank->schoolMaxBound = Cvector(1, 1, 1);
    showOn({&left});
    ASSERT_NE(tank->fishFrustum.depthScale, 0.0f);
    Cvector centre(0, 0, 0.5f);
    tank->fishFrustum.frustumToReal(centre);
    // Every wall faces the inside: the centre lies in front of all six, a point beyond the
    // right face behind that one.
    for (int w = 0; w < 6; ++w) {
        EXPECT_GT((centre - tank->wanderWallPoint[w]).dot(tank->wanderWallNormal[w]), 0.0f) << w;
        EXPECT_NEAR(tank->wanderWallNormal[w].length(), 1.0f, 1e-4);
    }
    Cvector beyond(2, 0, 0.5f);
    tank->fishFrustum.frustumToReal(beyond);
    EXPECT_LT((beyond - tank->wanderWallPoint[1]).dot(tank->wanderWallNormal[1]), 0.0f);
    struct {
        Cvector in;
        float margin;
        Cvector out;
    } const cases[] = {
        {{0, 0, 0.5f}, 0.1f, {0, 0, 0.5f}},
        {{3, 0, 0.5f}, 0.1f, {0.9f, 0, 0.5f}},
        {{3, -4, 2}, 0.0f, {1, -1, 1}},
        {{-0.5f, 0.5f, -1}, 0.0f, {-0.5f, 0.5f, 0}},
    };
    for (auto const& c : cases) {
        Cvector p = c.in;
        tank->fishFrustum.frustumToReal(p);
        tank->containPointWithinFishFrustum(p, c.margin);
        tank->fishFrustum.realToFrustum(p);
        EXPECT_NEAR(p.x, c.out.x, 1e-4);
        EXPECT_NEAR(p.y, c.out.y, 1e-4);
        EXPECT_NEAR(p.z, c.out.z, 1e-4);
    }
}

// A display that reports the OpenGL device's API code.
class CcodeTwoDisplay : public CgraphicsAPI {
  public:
    int api() override { return 2; }
};

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
    int frame = 40;
    for (auto const& c : cases) {
        tank->tankDisplays =
            c.displays == 2 ? std::vector<CgraphicsAPI*>{&a, &b} : std::vector<CgraphicsAPI*>{&a};
        tank->displayShare = 1.0f / c.displays;
        tank->tankSpeed = 0.5, tank->frameAccumulator = 3.0, tank->runState = c.runState;
        enableAnim = c.anim;
        masterFrame = ++frame;
        first->updateResult = c.stopper, second->updates = 0;
        EXPECT_EQ(tank->updateTank(), c.stopper);
        EXPECT_DOUBLE_EQ(tank->frameAccumulator, 3.0 + c.advance) << c.displays;
        EXPECT_EQ(tank->lastUpdateFrame, frame); // advances even when paused
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

// A drop that cannot be served (the food species at its cap, a food model that does not
// load, a food thing that cannot be set up) is traced and dropped: the run goes on.
TEST_F(LiveTankTest, FoodDropsThatCannotBeServedAreTracedAndDropped) {
    class CfailingReset : public CnodeAccess {
      public:
        int resetThing(Cvariable*, int) override { return 1; }
    } failingReset;
    struct {
        char const* what;
        char const* speciesScript;
        bool failReset;
        size_t foodsAfter;
    } const cases[] = {
        {"at the cap", ":set class food_floating\n", false, 1},
        {"no model", ":set class food_floating\n:addGeo geo_hi missing.geo\n", false, 0},
        {"no set-up", ":set class food_floating\n", true, 0},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        makeTank(); // and with it a fresh species tree
        std::ofstream("species/food/food.spec") << c.speciesScript;
        tankThingAccess = c.failReset ? static_cast<CtankThingAccess*>(&failingReset) : &nodes;
        TraceCapture traced(1);
        if (c.foodsAfter == 1) {
            tank->addFood({0, 1, 0}, 30); // the one food thing the species allows, now full
            ASSERT_EQ(tank->foodList.size(), 1u);
        }
        tank->addFood({0, 1, 0}, 3);
        EXPECT_EQ(tank->foodList.size(), c.foodsAfter);
        EXPECT_TRUE(exitReasonList.empty()) << exitReasonList.front().c_str();
        EXPECT_EQ(exitSaver, 0);
        EXPECT_NE(traced.text().find("food drop failed"), std::string::npos) << traced.text();
        tankThingAccess = &nodes;
        resetExitState();
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

TEST_F(LiveTankTest, ClosestAnimalPrefersTheSpeciesWithinRange) {
    Cspecies* angel = reinterpret_cast<Cspecies*>(&root);
    ClivingThing* me = add(ATTR_PICKABLE, {0, 0, 0});
    ClivingThing* near = add(ATTR_PICKABLE, {1, 0, 0});
    ClivingThing* kin = add(ATTR_PICKABLE, {0, 5, 0});
    add(0, {0.5f, 0, 0});
    add(ATTR_PICKABLE, {150, 0, 0});
    me->species = angel;
    EXPECT_EQ(tank->findAnimalClosestTo(me, true), near); // no other angel: any species
    kin->species = angel;
    EXPECT_EQ(tank->findAnimalClosestTo(me, true), kin);
    EXPECT_EQ(tank->findAnimalClosestTo(kin, false), me);
    me->mid = Cvector(400, 0, 0);
    EXPECT_EQ(tank->findAnimalClosestTo(me, false), nullptr);
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
