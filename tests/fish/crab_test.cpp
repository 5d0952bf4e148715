// The crab's activity machine over the staged resources: loading and its mended fault,
// reachability, food bits, walks and their ends, chases and startled fish.
#include <algorithm>
#include <functional>
#include <vector>

#include "crabTestSupport.h"
#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "graphics/geoFile.h"
#include "graphics/geoNew.h"
#include "things/floatingFood.h"

namespace {

class CrabActivities : public CrabTank {
  protected:
    // A crab settled on the sand: placed, its feet down, facing the front of the tank.
    Ccrab* settledCrab(std::string const& block = "{ :set thingScale 0.5 }") {
        Ccrab* crab = addCrab(block);
        if (crab == nullptr) return nullptr;
        for (int i = 0; i < 3; i++)
            crabFrame(crab);
        return crab;
    }
    // One behaviour frame of the crab alone, its tank's proximities measured first.
    void crabFrame(Ccrab* crab) {
        tank->updateProximities();
        crab->updateThing(++frameNumber, 0.0f);
    }
    // A walk in progress of the given kind, towards to.
    static void walk(Ccrab* crab, uint8_t activity, uint8_t arrival, Cvector const& to, float speed) {
        crab->crabGoToPoint(to, speed);
        crab->activity = activity;
        crab->activityUponArrival = arrival;
    }
    Cfish* addFish(Cvector const& at) {
        char text[200];
        std::snprintf(text, sizeof text, ":addThing species/neon_tetra { :set startPos %g %g %g }", at.x,
                      at.y, at.z);
        if (script(text) != 0) return nullptr;
        return newest<Cfish>();
    }
};

TEST(CrabNames, ActivitiesByCode) {
    struct Case {
        int code;
        char const* name;
    } const cases[] = {{0, "START_GRAZING"},
                       {2, "HIT_EDGE"},
                       {6, "RELOCATE"},
                       {12, "REACHED_TARGET"},
                       {13, ""},
                       {200, ""},
                       {-1, ""}};
    for (Case const& c : cases)
        EXPECT_STREQ(Ccrab::translate(c.code), c.name) << c.code;
}

TEST_F(CrabActivities, LoadsWithItsShadowAndStartsGrazing) {
    Ccrab* crab = addCrab();
    ASSERT_NE(crab, nullptr) << reasons();
    EXPECT_TRUE(exitReasonList.empty()) << reasons();
    ASSERT_EQ(crab->joints.size(), static_cast<size_t>(kCrabJoints));
    ASSERT_NE(crab->shadowThing, nullptr);
    EXPECT_EQ(crab->shadowThing->parentThing, crab);
    EXPECT_TRUE(crab->shadowThing->initialized);
    // Without a saved place the crab starts at the tank's crab position.
    EXPECT_FLOAT_EQ(crab->pos.x, 0.6f);
    EXPECT_FLOAT_EQ(crab->pos.z, -0.3f);
    // Segments of half the model's rest reach, at the crab's scale.
    for (CcrabLeg const& leg : crab->legs)
        EXPECT_NEAR(leg.legLength, 0.5f * 0.4f, 1e-4f);
    EXPECT_NEAR(crab->legScale, 6.0f, 1e-6f);
    crabFrame(crab);
    // The machine starts grazing: the unset walk is ended and a bout begins.
    EXPECT_EQ(crab->activity, Ccrab::GRAZING);
    EXPECT_EQ(crab->gotoTarget.x, Ccrab::kNoWalk);
    EXPECT_GE(crab->activityTimer, 19);
    EXPECT_LE(crab->activityTimer, 139);
}

// Each look of the species' shell builds the crab's "shell" texture from its own picture.
TEST_F(CrabActivities, EachShellLookBuildsItsTexture) {
    std::vector<std::vector<unsigned char>> pixels;
    for (char const* look : {"", ":buildCustomTex looks/sand/shell"}) {
        Ccrab* crab = addCrab(std::string("{ :set thingScale 0.5 ") + look + " }");
        ASSERT_NE(crab, nullptr) << look << ": " << reasons();
        auto* texture = dynamic_cast<CdataArrayReference*>(crab->customTextures->getChild("shell", 0));
        ASSERT_NE(texture, nullptr) << look;
        ASSERT_NE(texture->array, nullptr) << look;
        ASSERT_NE(texture->array->byteData, nullptr) << look;
        unsigned char const* data = texture->array->byteData;
        pixels.emplace_back(data, data + texture->array->numElements);
        EXPECT_EQ(crab->customTextures->countChildren(-1), 1) << look << ": one shell, replaced";
        dropThing(crab);
    }
    EXPECT_NE(pixels[0], pixels[1]) << "the two looks give the same shell";
    EXPECT_TRUE(exitReasonList.empty()) << reasons();
}

TEST_F(CrabActivities, RefusedWhereTheTankNamesNoFloorImage) {
    ASSERT_EQ(script(":set crabExtras \"\""), 0);
    EXPECT_EQ(addCrab(), nullptr);
    EXPECT_EQ(newest<Ccrab>(), nullptr);
}

// A crab species whose skeleton lacks a group its joints are found by fails that crab's load
// with a message; the program goes on.
TEST_F(CrabActivities, SkeletonWithoutItsGroupsFailsTheLoadOnly) {
    std::vector<unsigned char> bytes;
    ASSERT_TRUE(readGeoFileBytes("species/crab/crab_skel.geo", bytes));
    CgeoFileContents skeleton;
    ASSERT_EQ(parseGeoFile(bytes.data(), bytes.size(), skeleton), nullptr);
    struct Case {
        char const* species;
        std::function<void(CgeoFileContents&)> damage;
        char const* message;
    } const cases[] = {
        {"no_claw",
         [](CgeoFileContents& g) { std::erase_if(g.pointGroups, [](auto& p) { return p.name == "claw"; }); },
         "skeleton group \"claw\""},
        {"short_legs",
         [](CgeoFileContents& g) {
             for (auto& p : g.pointGroups)
                 if (p.name == "legs") p.members.pop_back();
         },
         "skeleton group \"legs\""},
        {"few_joints",
         [](CgeoFileContents& g) {
             g.points = 20;
             g.data.resize(static_cast<size_t>(20 * g.floatsPerPoint));
             g.pointGroups.clear();
         },
         "skeleton of 39 joints"},
    };
    for (Case const& c : cases) {
        std::filesystem::path folder = std::filesystem::path("species") / c.species;
        std::filesystem::create_directories(folder);
        for (char const* file : {"crab.geo", "crab_lights.geo"})
            std::filesystem::copy_file(std::filesystem::path("species/crab") / file, folder / file);
        std::filesystem::copy(std::filesystem::path("species/crab/materials"), folder / "materials",
                              std::filesystem::copy_options::recursive);
        CgeoFileContents damaged = skeleton;
        c.damage(damaged);
        std::string out;
        ASSERT_EQ(encodeGeoFile(damaged, out), nullptr) << c.species;
        writeWholeFile((folder / "crab_skel.geo").string(), out);
        writeWholeFile((folder / (std::string(c.species) + ".spec")).string(),
                       ":set class crab\n:addGeo geo_hi crab.geo\n:addGeo skeleton crab_skel.geo\n"
                       ":addGeo light_points crab_lights.geo\n");
        resetExitState();
        EXPECT_NE(script(std::string(":addThing species/") + c.species), 0) << c.species;
        EXPECT_NE(reasons().find(c.message), std::string::npos) << c.species << ": " << reasons();
        // The tank holds no half-made crab and keeps going.
        for (Cvariable* v = tank->thingList->firstChild; v; v = v->nextSibling)
            if (auto* crab = dynamic_cast<Ccrab*>(v))
                EXPECT_FALSE(crab->initialized && crab->active) << c.species;
    }
}

TEST_F(CrabActivities, PointAccessibleByDistanceLineAndRise) {
    Ccrab* crab = settledCrab();
    ASSERT_NE(crab, nullptr) << reasons();
    Cvector at = crab->pos;
    struct Case {
        Cvector offset;
        float maxDistSq, maxRise, margin;
        int expected;
    } const cases[] = {
        {{0.5f, 0.0f, 0.0f}, 1.0f, 1.0f, 0.1f, 3},   // along the walking line
        {{-0.5f, 0.1f, 0.2f}, 1.0f, 1.0f, 0.1f, 3},  // a little forward, on the other side
        {{2.0f, 0.0f, 0.0f}, 1.0f, 1.0f, 0.1f, 0},   // too far
        {{0.0f, 0.0f, 0.5f}, 1.0f, 1.0f, 0.1f, 1},   // straight ahead: off the line
        {{0.3f, 0.0f, -0.25f}, 1.0f, 1.0f, 0.1f, 1}, // behind, at the limit
        {{0.5f, 0.6f, 0.0f}, 1.0f, 0.5f, 0.1f, 2},   // too high
    };
    for (Case const& c : cases)
        EXPECT_EQ(crab->pointAccessible(at + c.offset, c.maxDistSq, c.maxRise, c.margin), c.expected)
            << c.offset.x << " " << c.offset.y << " " << c.offset.z;
}

TEST_F(CrabActivities, FoodBitsAreWalkedToOnlyWhenReachable) {
    Ccrab* crab = settledCrab();
    ASSERT_NE(crab, nullptr) << reasons();
    Cvector at = crab->pos;
    EXPECT_EQ(crab->findFoodBit(), 0) << "no bits";
    EXPECT_TRUE(crab->foodBits.empty());
    std::vector<Cvector> unreachable = {at + Cvector(5.0f, 0, 0), at + Cvector(0, 0, 1.0f),
                                        at + Cvector(0, 0, -1.5f)};
    crab->foodBits = unreachable;
    uint8_t before = crab->activity;
    EXPECT_EQ(crab->findFoodBit(), 0);
    EXPECT_EQ(crab->foodBits.size(), unreachable.size()) << "a list out of reach stays whole";
    EXPECT_EQ(crab->activity, before);
    Cvector bit = at + Cvector(-0.8f, 0, 0.1f);
    crab->foodBits.insert(crab->foodBits.begin() + 1, bit);
    EXPECT_EQ(crab->findFoodBit(), 1);
    EXPECT_EQ(crab->foodBits.size(), unreachable.size());
    EXPECT_EQ(crab->activity, Ccrab::MOVING);
    EXPECT_EQ(crab->activityUponArrival, Ccrab::GRAZING);
    EXPECT_FLOAT_EQ(crab->gotoTarget.x, bit.x);
    EXPECT_FLOAT_EQ(crab->gotoSpeed, 0.035f * 0.5f);
}

// A target on the side axis behind the crab: the walk never ends on its first step (the
// crab's last side does not count), only once the target has passed to the other side.
TEST_F(CrabActivities, WalkEndsOnceTheTargetPassesTheBody) {
    Ccrab* crab = settledCrab();
    ASSERT_NE(crab, nullptr) << reasons();
    Cvector side = crab->heading().side;
    Cvector target = crab->pos - side * 0.4f;
    crab->turnSign = 1.0f;
    walk(crab, Ccrab::MOVING, Ccrab::GRAZING, target, 0.02f);
    int frames = 0;
    while (crab->activity == Ccrab::MOVING && frames < 200) {
        crabFrame(crab);
        frames++;
        if (frames == 1) EXPECT_EQ(crab->activity, Ccrab::MOVING) << "ended on step 0";
    }
    EXPECT_EQ(crab->activity, Ccrab::GRAZING);
    EXPECT_EQ(crab->gotoTarget.x, Ccrab::kNoWalk);
    EXPECT_GT(frames, 10);
    EXPECT_GE((target - crab->pos).dot(crab->heading().side), -0.02f) << "the target has passed";
    EXPECT_EQ(crab->grazeDirection, -1.0f) << "a walk towards -side leaves grazing that way";
}

TEST_F(CrabActivities, FloorEdgeEndsTheWalk) {
    struct Case {
        char const* name;
        uint8_t arrival;
        float startX;
        uint8_t expected;
        bool randomWalk;
    } const cases[] = {
        // A relocation walk reaching the edge on its first step grazes, and a random walk begins.
        {"relocation, first step", Ccrab::RELOCATE, 2.4f, Ccrab::GRAZING, true},
        // A food-bit walk that meets the edge later grazes too, with no new walk.
        {"food bit, later step", Ccrab::GRAZING, 1.9f, Ccrab::GRAZING, false},
    };
    for (Case const& c : cases) {
        Ccrab* crab = settledCrab();
        ASSERT_NE(crab, nullptr) << reasons();
        crab->pos.x = c.startX, crab->pos.z = 0.0f;
        crab->heading().identity();
        crab->turnSign = 1.0f;
        walk(crab, Ccrab::MOVING, c.arrival, crab->pos + Cvector(3.0f, 0, 0), 0.02f);
        float startX = crab->pos.x;
        int frames = 0;
        while (crab->activity == Ccrab::MOVING && frames < 100) {
            crabFrame(crab);
            frames++;
        }
        EXPECT_EQ(crab->activity, c.expected) << c.name;
        EXPECT_EQ(crab->grazeDirection, -1.0f) << c.name << ": grazing turns away from the edge";
        EXPECT_LT(crab->pos.x, 2.75f) << c.name << " walked off its floor";
        EXPECT_EQ(frames == 1, c.randomWalk) << c.name;
        if (c.randomWalk) {
            EXPECT_NE(crab->gotoTarget.x, Ccrab::kNoWalk) << c.name;
            EXPECT_FLOAT_EQ(crab->gotoSpeed, 0.02f) << c.name;
        } else {
            EXPECT_GT(crab->pos.x, startX) << c.name;
        }
        dropThing(crab);
    }
}

TEST_F(CrabActivities, ChasesOnlyInTheMood) {
    struct Case {
        float mood;
        bool givesUp;  // the crab calls the chase off; else the fish goes away
        bool crabNear; // another crab stands where the fish would: crabs chase fish only
    } const cases[] = {{0.0f, false, false},
                       {-1.0f, false, false},
                       {1.0f, true, false},
                       {1.0f, false, false},
                       {1.0f, false, true}};
    for (Case const& c : cases) {
        Ccrab* crab = settledCrab();
        ASSERT_NE(crab, nullptr) << reasons();
        crab->mood = c.mood;
        Cvector near = crab->pos + Cvector(0.8f, 0.3f, 0.1f);
        Cfish* fish = nullptr;
        Ccrab* other = nullptr;
        if (c.crabNear) {
            char block[200];
            std::snprintf(block, sizeof block, "{ :set thingScale 0.5 :set pos %g %g %g }", near.x,
                          crab->pos.y, near.z);
            other = addCrab(block);
            ASSERT_NE(other, nullptr) << reasons();
        } else {
            fish = addFish(near);
            ASSERT_NE(fish, nullptr) << reasons();
        }
        bool chased = false;
        for (int i = 0; i < 3 && !chased; i++) {
            crabFrame(crab);
            chased = crab->activity == Ccrab::CHASING;
        }
        EXPECT_EQ(chased, c.mood > 0.0f && fish) << c.mood;
        if (chased && fish) {
            EXPECT_EQ(crab->chaseThing, fish);
            EXPECT_EQ(crab->chaseTimer, 60);
            EXPECT_EQ(crab->activityUponArrival, Ccrab::CALM_DOWN_AFTER_CHASE);
            // Either end breaks the relationship: the crab calms down for 50 frames.
            if (c.givesUp) {
                crab->abortChase();
                // The fish it gave up on idles a moment, then schools.
                EXPECT_EQ(fish->activity, Cfish::ACTIVITY_IDLE);
                EXPECT_EQ(fish->nextActivity, Cfish::ACTIVITY_SCHOOL);
                EXPECT_EQ(fish->idleFrames, 15);
            } else {
                dropThing(fish);
                fish = nullptr;
            }
            EXPECT_EQ(crab->chaseThing, nullptr);
            EXPECT_EQ(crab->activity, Ccrab::CALM_DOWN_AFTER_CHASE);
            EXPECT_EQ(crab->chaseTimer, 50);
            crab->mood = 0.0f;
            for (int i = 0; i < 51; i++)
                crabFrame(crab);
            EXPECT_NE(crab->activity, Ccrab::CALM_DOWN_AFTER_CHASE);
        }
        if (fish) dropThing(fish);
        if (other) dropThing(other);
        dropThing(crab);
    }
}

// Food particles the food frees (lost at the bottom) are announced to every food eater; the
// crab notes where each lies and walks to a reachable one when its graze point runs out.
TEST_F(CrabActivities, FreedFoodParticlesAreWalkedTo) {
    Ccrab* crab = settledCrab();
    ASSERT_NE(crab, nullptr) << reasons();
    tank->addFood(crab->pos + Cvector(0.8f, 0.4f, 0.05f), 3);
    auto* food = newest<CfloatingFood>();
    ASSERT_NE(food, nullptr) << reasons();
    CthingMessage other;
    other.code = 7;
    other.subject = food;
    crab->processMessage(&other);
    tank->instantMessageToAllFoodEaters(17, crab, 1, 0);    // not food
    tank->instantMessageToAllFoodEaters(17, food, 1000, 0); // no such particle
    EXPECT_TRUE(crab->foodBits.empty()) << "only freed particles of a food count";
    tank->instantMessageToAllFoodEaters(17, food, 1, 0);
    ASSERT_EQ(crab->foodBits.size(), 1u);
    Cvector bit = food->getParticlePos(1);
    EXPECT_FLOAT_EQ(crab->foodBits[0].x, bit.x);
    // The graze point runs out: off to the bit.
    crab->activity = Ccrab::GRAZING;
    crab->gotoTarget.x = Ccrab::kNoWalk;
    crab->activityTimer = 0;
    crab->grazeBouts = 0;
    crabFrame(crab);
    EXPECT_EQ(crab->activity, Ccrab::MOVING);
    EXPECT_FLOAT_EQ(crab->gotoTarget.x, bit.x);
    EXPECT_TRUE(crab->foodBits.empty());
}

// What data or a caller can get wrong is reported and the run stops in order; the process
// never ends on it.
TEST_F(CrabActivities, FaultsAreReportedNotFatal) {
    struct Case {
        char const* name;
        std::function<void(Ccrab*)> fault;
        char const* message;
    } const cases[] = {
        {"no floor under the tank",
         [this](Ccrab* crab) { tank->heightField = nullptr, crab->updateThing(++frameNumber, 0.0f); },
         "fisherr!"},
        {"asked for avoid zones", [](Ccrab* crab) { crab->addThingAvoidanceZone(*crab, 1.0f); }, "craba"},
    };
    for (Case const& c : cases) {
        Ccrab* crab = settledCrab();
        ASSERT_NE(crab, nullptr) << reasons();
        CdataArray* floor = tank->heightField;
        resetExitState();
        c.fault(crab);
        EXPECT_NE(reasons().find(c.message), std::string::npos) << c.name << ": " << reasons();
        tank->heightField = floor;
        resetExitState();
        dropThing(crab);
    }
}

// A long chase without end (a fish always beside the crab) keeps few moves queued: the claw
// snaps faster than it swings, and each snap replaces the swings still waiting.
TEST_F(CrabActivities, EndlessSnappingKeepsItsQueuesShort) {
    Ccrab* crab = settledCrab();
    ASSERT_NE(crab, nullptr) << reasons();
    int most[4] = {};
    for (int f = 0; f < 3000; f++) {
        crab->activity = Ccrab::RECHASE;
        crabFrame(crab);
        CanimValue* values[4] = {crab->bigClaw, crab->clawPinch, crab->bodyLift, crab->bodyTwist};
        for (int k = 0; k < 4; k++)
            most[k] = std::max(most[k], values[k]->queuedMoves());
    }
    EXPECT_LE(most[0], 2) << "the big claw";
    EXPECT_LE(most[1], 2) << "the pinch";
    EXPECT_LE(most[2], 2) << "the lift";
    EXPECT_LE(most[3], 1) << "the twist";
}

// The swinging claw startles the fish near it, but not one already fleeing a chase nor one
// that is being deleted.
TEST_F(CrabActivities, StartlesOnlyFishThatAreNotFleeing) {
    struct Case {
        char const* what;
        Cvector at; // from the crab
        bool chased, dying, startled;
    } const cases[] = {
        {"calm", {0.6f, 0.4f, 0.0f}, false, false, true},
        {"fleeing", {-0.6f, 0.4f, 0.0f}, true, false, false},
        {"being deleted", {0.0f, 0.4f, 0.6f}, false, true, false},
    };
    Ccrab* crab = settledCrab();
    ASSERT_NE(crab, nullptr) << reasons();
    Cfish* fish[3] = {};
    for (int i = 0; i < 3; i++) {
        fish[i] = addFish(crab->pos + cases[i].at);
        ASSERT_NE(fish[i], nullptr) << reasons();
        if (cases[i].chased) fish[i]->setActivityDirectly(Cfish::ACTIVITY_CHASED);
        fish[i]->fleeDistance = 1.5f;
        fish[i]->avoidForFrames = 7;
        fish[i]->dying = cases[i].dying;
    }
    crab->activity = Ccrab::CHASING;
    crab->bigClaw->ownValue = 1.0f;
    crabFrame(crab);
    for (int i = 0; i < 3; i++) {
        Case const& c = cases[i];
        EXPECT_EQ(fish[i]->avoidForFrames, c.startled ? 60 : 7) << c.what;
        EXPECT_FLOAT_EQ(fish[i]->fleeDistance, c.startled ? 4.0f : 1.5f) << c.what;
        if (c.startled) EXPECT_FLOAT_EQ(fish[i]->startlePoint.x, crab->prevPos.x) << c.what;
        fish[i]->dying = 0;
    }
}

TEST_F(CrabActivities, ChaseEndsByHowNearTheTargetWas) {
    struct Case {
        float across;
        uint8_t expected;
    } const cases[] = {{0.1f, Ccrab::RECHASE}, {1.0f, Ccrab::CALM_DOWN_AFTER_CHASE}};
    for (Case const& c : cases) {
        Ccrab* crab = settledCrab();
        ASSERT_NE(crab, nullptr) << reasons();
        walk(crab, Ccrab::CHASING, Ccrab::CALM_DOWN_AFTER_CHASE, crab->pos + Cvector(c.across, 0, 0), 0.04f);
        crab->bigClaw->clearFuture();
        crab->bigClaw->active = 0;
        crab->crabEndGoto(Ccrab::REACHED_TARGET);
        EXPECT_EQ(crab->activity, c.expected) << c.across;
        EXPECT_EQ(crab->gotoTarget.x, Ccrab::kNoWalk);
        // Only the far end relaxes the claw.
        EXPECT_EQ(crab->bigClaw->queuedMoves() > 0 || crab->bigClaw->active, c.expected != Ccrab::RECHASE)
            << c.across;
        dropThing(crab);
    }
}

} // namespace
