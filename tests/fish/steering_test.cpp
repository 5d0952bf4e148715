// The steering primitives. The avoid zone's answers: unchanged turns, the nearest way out of
// rectangles with its tie order, and the count limit. The pseudo-angle of its headings:
// continuous across its sector borders. Collision planes: slab intersection with its side
// test, the bounding circle, the pair collector and its limit, and the planes' level set.
#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

#include "fish/avoidZone.h"
#include "fish/collisionPlane.h"
#include "fish/pseudoAngle.h"

namespace {

struct Answer {
    int result;
    float x, y, candidate;
};

Answer ask(CavoidZone& zone, float x, float y) {
    Cvector out(-9, -9, -9);
    int result = zone.getBestHeadingOrPitchChange(x, y, 0.0f, out);
    return {result, out.x, out.y, out.z};
}

TEST(AvoidZone, Answers) {
    struct {
        char const* what;
        std::vector<Crect> rects;
        float x, y;
        Answer want;
    } const cases[] = {
        {"empty", {}, 0.3f, -0.2f, {0, 0.3f, -0.2f, 0}},
        {"far only", {Crect(2.0f, 3.0f, -1, 1), Crect(-1, 1, -4, -1.6f)}, 0.1f, 0.0f, {0, 0.1f, 0.0f, 0}},
        {"near, none holding", {Crect(0.2f, 0.5f, -1, 1)}, 0.1f, 0.0f, {0, 0.1f, 0.0f, 0}},
        {"a gap of 1000 is not inside", {Crect(1500, 1600, -1, 1)}, 0.0f, 0.0f, {0, 0.0f, 0.0f, 0}},
        {"smallest turn, not move", {Crect(-0.1f, 0.2f, -0.3f, 0.3f)}, 0.15f, 0.0f, {1, -0.1f, 0, 0}},
        {"left wins a tie with right", {Crect(-0.2f, 0.2f, -0.3f, 0.3f)}, 0.0f, 0.0f, {1, -0.2f, 0.0f, 0}},
        {"right wins a tie with down", {Crect(-0.3f, 0.2f, -0.2f, 0.3f)}, 0.0f, 0.0f, {1, 0.2f, 0.0f, 1}},
        {"down wins a tie with up", {Crect(-0.5f, 0.5f, -0.2f, 0.2f)}, 0.0f, 0.0f, {1, 0.0f, -0.2f, 2}},
        {"up", {Crect(-0.5f, 0.5f, -0.3f, 0.1f)}, 0.0f, 0.05f, {1, 0.0f, 0.1f, 3}},
        {"two holding: the union's edges",
         {Crect(-0.2f, 0.1f, -0.5f, 0.5f), Crect(-0.1f, 0.4f, -0.5f, 0.5f)},
         0,
         0,
         {1, -0.2f, 0, 0}},
        // The left way out lands in a second rectangle and is carried across it, so right wins.
        {"pushed on across an overlap",
         {Crect(-0.2f, 0.3f, -0.3f, 0.3f), Crect(-0.5f, -0.15f, -0.1f, 0.1f)},
         -0.05f,
         0,
         {1, 0.3f, 0, 1}},
    };
    for (auto const& c : cases) {
        auto zone = std::make_unique<CavoidZone>();
        for (Crect const& r : c.rects)
            zone->addAvoidRect(r);
        Answer got = ask(*zone, c.x, c.y);
        EXPECT_EQ(got.result, c.want.result) << c.what;
        EXPECT_FLOAT_EQ(got.x, c.want.x) << c.what;
        EXPECT_FLOAT_EQ(got.y, c.want.y) << c.what;
        EXPECT_EQ(got.candidate, c.want.candidate) << c.what;
    }
}

TEST(AvoidZone, OnlyFourHundredNinetyNineCount) {
    auto zone = std::make_unique<CavoidZone>();
    for (int i = 1; i <= 499; i++)
        ASSERT_EQ(zone->addAvoidRect(Crect(5, 6, 5, 6)), i);
    // The 500th and later land in the spare slot and are never looked at.
    EXPECT_EQ(zone->addAvoidRect(Crect(-1, 1, -1, 1)), 499);
    EXPECT_EQ(zone->addAvoidRect(Crect(-1, 1, -1, 1)), 499);
    EXPECT_EQ(ask(*zone, 0, 0).result, 0);
    zone->rects[498].rect = Crect(-1, 1, -1, 1); // the last counted one does take part
    EXPECT_EQ(ask(*zone, 0, 0).result, 1);
    zone->count = 0;
    EXPECT_EQ(ask(*zone, 0, 0).result, 0);
}

// Either side of each border between sectors the heading agrees.
TEST(PseudoAngle, ContinuousAcrossSectorBorders) {
    const float e = 1e-4f;
    struct Case {
        float x0, y0, x1, y1;
    } const borders[] = {
        {1, 1 + e, 1, 1 - e},     // ahead / right
        {-1, 1 + e, -1, 1 - e},   // ahead / left
        {1, -1 + e, 1, -1 - e},   // right / behind
        {-1, -1 + e, -1, -1 - e}, // left / behind
    };
    for (Case const& b : borders) {
        float d0, d1;
        float a0 = vectToAngleAndDist(b.x0, b.y0, d0), a1 = vectToAngleAndDist(b.x1, b.y1, d1);
        EXPECT_NEAR(a0, a1, 1e-3f) << b.x0 << "," << b.y0;
        EXPECT_NEAR(d0, d1, 1e-3f) << b.x0 << "," << b.y0;
    }
    // Straight behind is the one place it jumps: from near +pi to 0 to near -pi.
    float d;
    EXPECT_GT(vectToAngleAndDist(1e-3f, -1, d), 3.0f);
    EXPECT_LT(vectToAngleAndDist(-1e-3f, -1, d), -3.0f);
}

CcollisionPlaneX plane(float x, float y, float z, float dx, float dz, float height) {
    CcollisionPlaneX p;
    p.start.set(x, y, z);
    p.span[0] = dx;
    p.span[1] = dz;
    p.height = height;
    p.calced();
    return p;
}

TEST(CollisionPlane, Intersections) {
    struct Case {
        char const* what;
        CcollisionPlaneX a, b;
        int want;
    } cases[] = {
        {"segments crossing", plane(0, 0, 0, 2, 0, 1), plane(1, 0.5f, -1, 0, 2, 1), 1},
        {"crossing, heights apart", plane(0, 0, 0, 2, 0, 1), plane(1, 1.2f, -1, 0, 2, 1), 0},
        {"heights just touching", plane(0, 0, 0, 2, 0, 1), plane(1, 1.0f, -1, 0, 2, 1), 1},
        {"ending exactly on the line", plane(0, 0, 0, 2, 0, 1), plane(1, 0, -1, 0, 1, 1), 1},
        {"stopping short of the line", plane(0, 0, 0, 2, 0, 1), plane(1, 0, -1, 0, 0.9f, 1), 0},
        {"parallel within the thickness", plane(0, 0, 0, 2, 0, 1), plane(0.5f, 0, 0.03f, 2, 0, 1), 1},
        {"parallel beyond the thickness", plane(0, 0, 0, 2, 0, 1), plane(0.5f, 0, 0.12f, 2, 0, 1), 0},
        {"far apart", plane(0, 0, 0, 2, 0, 1), plane(5, 0, 5, 1, 1, 1), 0},
        {"beyond the end", plane(0, 0, 0, 2, 0, 1), plane(2.2f, 0, -1, 0, 2, 1), 0},
    };
    for (Case& c : cases) {
        EXPECT_EQ(c.a.intersectsWith(c.b), c.want) << c.what;
        EXPECT_EQ(c.b.intersectsWith(c.a), c.want) << c.what << " (reversed)";
    }
}

TEST(CollisionPlane, BoundingCircleAndRanges) {
    CcollisionPlaneX p = plane(1, 2, 3, 3, -4, 2);
    EXPECT_FLOAT_EQ(p.centre.x, 2.5f); // the middle of the slab
    EXPECT_FLOAT_EQ(p.centre.y, 3.0f);
    EXPECT_FLOAT_EQ(p.centre.z, 1.0f);
    Cvector c;
    p.getCenter(c);
    EXPECT_FLOAT_EQ(c.y, 2.0f); // the bottom of the plane
}

// Groups of n planes along x, spaced by gap, starting at x0.
void place(CcollisionPlaneGroup& g, int n, float x0, float gap) {
    EXPECT_EQ(g.initCollisionPlaneGroup(n, 0.1f, nullptr), 2 * n + 1);
    for (int i = 0; i < n; i++) {
        g.planes[i].start.set(x0 + gap * i, 0, 0);
        g.planes[i].span[0] = 0.5f;
        g.planes[i].height = 1;
        g.planes[i].calced();
    }
}

TEST(CollisionPlane, CollectorPairsAndLimit) {
    CcollisionPlaneGroup a, b;
    place(a, 3, 0, 0.5f);
    place(b, 3, 0.1f, 0.5f);
    EXPECT_FLOAT_EQ(a.planes[1].thicknessSquared, 0.01f);
    collisionPlaneCollector.count = 0;
    EXPECT_EQ(a.collectCollisionGroupIntersections(&b), 0);
    EXPECT_FLOAT_EQ(collisionPlaneCollector.reachSquared, 0.7f * 0.7f);
    // Centres 0.1 + 0.5 (j - i) apart: j = i and j = i + 1 are within 0.7, j >= i only.
    ASSERT_EQ(collisionPlaneCollector.count, 5);
    int pairs[5][2] = {{0, 0}, {0, 1}, {1, 1}, {1, 2}, {2, 2}};
    for (int k = 0; k < 5; k++) {
        EXPECT_EQ(collisionPlaneCollector.records[k].other, &b);
        EXPECT_EQ(collisionPlaneCollector.records[k].mine, pairs[k][0]);
        EXPECT_EQ(collisionPlaneCollector.records[k].theirs, pairs[k][1]);
    }
    EXPECT_TRUE(a.planes[0].spheresIntersect(b.planes[0]));
    EXPECT_FALSE(a.planes[0].spheresIntersect(b.planes[2]));

    CcollisionPlaneGroup crowd, other, empty;
    place(crowd, 10, 0, 0);
    place(other, 10, 0, 0);
    collisionPlaneCollector.count = 0;
    crowd.collectCollisionGroupIntersections(&other); // 55 close pairs
    EXPECT_EQ(collisionPlaneCollector.count, CcollisionPlaneCollector::capacity);
    EXPECT_EQ(collisionPlaneCollector.records[39].mine, 4); // pair (4, 9) is the 40th
    EXPECT_EQ(collisionPlaneCollector.records[39].theirs, 9);
    crowd.collectCollisionGroupIntersections(&empty);
    empty.collectCollisionGroupIntersections(&crowd);
    EXPECT_EQ(collisionPlaneCollector.count, CcollisionPlaneCollector::capacity);
}

TEST(CollisionPlane, LevelSet) {
    CcollisionPlaneGroup g;
    place(g, 3, 0, 2); // centres (0.25, 0.5, 0), (2.25, ..), (4.25, ..), heights 0..1
    struct Case {
        Cvector p;
        float limit, want;
    } const cases[] = {
        {Cvector(2.25f, 0.5f, 1), 4, 1}, {Cvector(0.25f, 0.5f, 0.5f), 4, 0.25f},
        {Cvector(2.25f, 1.5f, 0), 4, 0}, {Cvector(8, 0.5f, 0), 4, 0},
        {Cvector(2.25f, 0.5f, 1), 1, 0}, {Cvector(3.25f, 0, 0), 4, 1},
    };
    for (Case const& c : cases)
        EXPECT_FLOAT_EQ(g.getLevelSet(c.p, c.limit), c.want) << c.p;
}

} // namespace
