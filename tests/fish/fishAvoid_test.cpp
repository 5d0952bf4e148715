// What a fish steers around: rocks as rectangles of its steering space, the floor and the
// planes along its body.
#include <cmath>

#include "fishTestSupport.h"

// A rock straight ahead or close to the fish's line: it turns away before it gets there,
// and its head never enters the rock.
TEST_F(FishTest, FishTurnsAwayFromARock) {
    struct {
        char const* what;
        float speed, scale, radius;
        float side, up; // of the rock's centre from the fish's line, in radii
        float pitch;    // of the approach
    } const cases[] = {
        {"head-on", 1.5f, 1.0f, 0.5f, 0.0f, 0.0f, 0.0f},
        {"head-on, slow", 1.1f, 1.0f, 0.5f, 0.0f, 0.0f, 0.0f},
        {"head-on, fast", 2.5f, 1.0f, 0.5f, 0.0f, 0.0f, 0.0f},
        {"head-on, at a burst", 4.0f, 1.0f, 0.5f, 0.0f, 0.0f, 0.0f},
        {"slightly to the side", 1.5f, 1.0f, 0.5f, 0.1f, 0.0f, 0.0f},
        {"slightly above and aside", 1.5f, 1.0f, 0.5f, -0.1f, 0.2f, 0.0f},
        {"below the line", 1.5f, 1.0f, 0.5f, 0.0f, -0.4f, 0.0f},
        {"from above", 1.5f, 1.0f, 0.5f, 0.0f, 0.0f, -0.5f},
        {"from above, fast", 3.0f, 1.0f, 0.5f, 0.05f, 0.0f, -0.5f},
        {"from below", 1.5f, 1.0f, 0.5f, 0.0f, 0.0f, 0.4f},
        {"small fish", 1.5f, 0.4f, 0.5f, 0.0f, 0.0f, 0.0f},
        {"small fish, small rock, fast", 3.0f, 0.4f, 0.3f, 0.0f, 0.0f, 0.0f},
        {"big fish", 1.5f, 2.0f, 0.5f, 0.0f, 0.0f, 0.0f},
        {"pebble", 1.5f, 1.0f, 0.2f, 0.0f, 0.0f, 0.0f},
        {"boulder", 1.5f, 1.0f, 1.5f, 0.05f, 0.0f, 0.0f},
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0.0f, 4.0f, 0.0f), c.speed, c.scale);
        fish->startPitch = c.pitch;
        fish->setPosition();
        Cmatrix3 const start = fish->vertexOrientation[0];
        Cvector const centre = fish->vertex[0] + start.forward * (2.5f * c.scale + c.radius) +
                               start.side * (c.side * c.radius) + start.up * (c.up * c.radius);
        setRocks({{centre.x, centre.y, centre.z, c.radius}});
        float nearest = 100.0f, firstAvoidingGap = -1.0f;
        for (int frame = 0; frame < 2000; frame++) {
            fish->prepForCook(); // swimming straight on: nothing asks for a turn
            fish->_setDesiredBodySpeed(c.speed);
            fish->goFish(0);
            float d = (fish->vertex[0] - centre).length();
            ASSERT_GE(d, c.radius) << c.what << ", frame " << frame;
            nearest = std::min(nearest, d);
            if (fish->avoiding && firstAvoidingGap < 0.0f) firstAvoidingGap = d - c.radius;
        }
        EXPECT_LT(nearest, c.radius + 0.5f * c.scale) << c.what; // it did come close,
        EXPECT_GT(firstAvoidingGap, 0.5f * c.scale) << c.what;   // turned in good time
        EXPECT_LT(fish->vertexOrientation[0].forward.dot(start.forward), 0.996f) << c.what; // and kept away
        deleteVariable(fish);
    }
}

// Up close a rock fills more of the view than radius / distance: the rectangle covers every
// heading that runs into it, seen from the middle of the body.
TEST_F(FishTest, RockRectanglesCoverTheRock) {
    Cfish* fish = makeFish(Cvector(0, 2, 0), 1.0f);
    for (float r : {0.2f, 0.5f})
        for (float ratio : {1.05f, 1.2f, 1.5f, 2.0f, 3.0f}) {
            Crect rect;
            ASSERT_TRUE(fish->getSphereViewRect(fish->vertex[3] + Cvector(0, 0, r * ratio), r, rect))
                << ratio;
            float const reach = std::asin(1.0f / ratio); // half the angle the rock subtends
            EXPECT_GE(0.5f * (rect.maxx - rect.minx), reach - 1e-4f) << r << " at " << ratio;
            EXPECT_GE(0.5f * (rect.maxy - rect.miny), reach - 1e-4f) << r << " at " << ratio;
            EXPECT_NEAR(rect.centerx(), 0.0f, 1e-6f);
        }
    // Rocks wholly behind the fish, or far beyond what it reaches soon, are not seen.
    Crect rect;
    EXPECT_FALSE(fish->getSphereViewRect(fish->vertex[3] + Cvector(0, 0, -0.5f), 0.1f, rect));
    EXPECT_FALSE(fish->getSphereViewRect(fish->vertex[3] + Cvector(0, 0, 30.0f), 0.1f, rect));
    deleteVariable(fish);
}

TEST_F(FishTest, FloorAndBackWall) {
    tank->farZ = 5.0f;
    struct {
        float height; // of the fish above a flat floor
        float headZ;
        int rects;
        bool lifts;
    } const cases[] = {
        {3.0f, 0.0f, 0, false}, {1.8f, 0.0f, 1, false}, {0.4f, 0.0f, 2, true}, {3.0f, 4.5f, 1, false}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0, c.height, c.headZ), 1.0f);
        tank->ground = [](float, float) { return 0.0f; };
        fish->avoidZone.count = 0;
        float driftBefore = fish->drift.y;
        fish->doGroundAndWallAvoidanceSpheres();
        EXPECT_EQ(fish->avoidZone.count, c.rects) << c.height << " " << c.headZ;
        EXPECT_EQ(fish->drift.y > driftBefore, c.lifts) << c.height;
        EXPECT_EQ(fish->minimumPitchChange > -1.0f, c.lifts) << c.height;
        EXPECT_EQ(fish->markers[kGroundMarker] == 4, c.lifts);
        deleteVariable(fish);
        tank->ground = nullptr;
    }
}

TEST_F(FishTest, CollisionPlanesStayWithinTheirChannels) {
    Cfish* fish = makeFish(Cvector(0, 2, 0), 1.0f);
    auto* chan = new CdataChan;
    chan->init(3, 1, 1, 4, 4);
    for (int i = 0; i < 3; i++)
        for (int c = 0; c < 4; c++)
            chan->floatData[i * 4 + c] = -0.1f + 0.05f * c;
    chan->setDimensionSpace(0, -1.0f, 1.0f);
    fish->planesChan = chan;
    fish->updateCollisionPlanes();
    for (int k = 0; k < 4; k++) {
        CcollisionPlaneX const& p = fish->CcollisionPlaneGroup::planes[k];
        EXPECT_NEAR(p.height, 0.05f, 1e-5f) << k;
        EXPECT_TRUE(std::isfinite(p.start.x + p.start.y + p.start.z)) << k;
    }
    EXPECT_NEAR(fish->CcollisionPlaneGroup::planes[0].start.y, 2.0f - 0.1f, 1e-5f);
    EXPECT_NEAR(fish->CcollisionPlaneGroup::planes[2].start.y, 2.0f, 1e-5f);
    fish->planesChan = nullptr;
    delete chan;
}
