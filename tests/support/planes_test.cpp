#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>

#include "support/frustum.h"
#include "support/planes.h"

namespace {

// The normal is (p2 - p1) x (p3 - p1); every point of the plane is at distance 0.
TEST(CplaneEquation, GeneralPlaneAgainstCrossProduct) {
    Cvector p1(1, 2, 3), p2(4, -1, 2), p3(-2, 0, 5);
    CplaneEquation p;
    p.setPlane(p1, p2, p3);
    Cvector n;
    n.crossOf(p2 - p1, p3 - p1);
    EXPECT_NEAR(p.a, n.x, 1e-5);
    EXPECT_NEAR(p.b, n.y, 1e-5);
    EXPECT_NEAR(p.c, n.z, 1e-5);
    for (Cvector const& q : {p1, p2, p3, p1 * 0.5f + p2 * 0.25f + p3 * 0.25f}) {
        EXPECT_NEAR(p.distFromPoint(q), 0, 1e-5);
    }
    EXPECT_GT(p.distFromPoint(p1 + n), 0); // the normal side is positive
    CplaneDist unit;
    unit.setPlane(p1, p2, p3);
    Cvector off = p1 + n * (2.0f / n.length());
    EXPECT_NEAR(unit.distFromPoint(off), 2, 1e-5);
    EXPECT_NEAR(p.distFromPoint(off), 2, 1e-5);
}

TEST(CplaneEquation, RayHits) {
    CplaneEquation floor; // z = 2, normal +z
    floor.setPlane(Cvector(0, 0, 2), Cvector(1, 0, 2), Cvector(0, 1, 2));
    Cvector origin(1, 1, 10), dir(0, 0, -2);
    EXPECT_FLOAT_EQ(floor.getIntersectionDist(origin, dir), 4);
    EXPECT_FLOAT_EQ(floor.getIntersectionZDist(origin, dir), 4);
    EXPECT_EQ(floor.getIntersectionDist(origin, Cvector(1, 0, 0)), FLT_MAX);
    EXPECT_EQ(floor.getIntersectionZDist(origin, Cvector(1, 1, 0)), FLT_MAX);

    Cvector hit(3, -1, 7);
    ASSERT_TRUE(floor.getIntersection(hit, Cvector(1, 1, -1)));
    EXPECT_FLOAT_EQ(hit.x, 8);
    EXPECT_FLOAT_EQ(hit.y, 4);
    EXPECT_FLOAT_EQ(hit.z, 2);

    Cvector parallel(3, -1, 7);
    EXPECT_FALSE(floor.getIntersection(parallel, Cvector(1, 0, 0)));
    EXPECT_FALSE(floor.getIntersection(parallel, Cvector(0, 0, NAN)));
    EXPECT_EQ(parallel.z, 7);
}

TEST(CflatFrustum, RoundTrip) {
    CflatFrustum f;
    f.setFrustum(Cvector(0.5f, -1, -20), Cvector(-10, -8, -2), Cvector(10, 8, -2), 40);
    for (Cvector p : {Cvector(0, 0, 0), Cvector(3, -7, 15), Cvector(-9, 9, 39), Cvector(100, 50, -15)}) {
        Cvector q = p;
        f.realToFrustum(q);
        f.frustumToReal(q);
        EXPECT_NEAR(q.x, p.x, 1e-4);
        EXPECT_NEAR(q.y, p.y, 1e-4);
        EXPECT_NEAR(q.z, p.z, 1e-4);
    }
}

} // namespace
