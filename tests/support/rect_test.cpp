#include <gtest/gtest.h>

#include <sstream>

#include "support/rect.h"

namespace {

void expectRect(Crect const& r, float minx, float maxx, float miny, float maxy, float tol = 1e-6f) {
    EXPECT_NEAR(r.minx, minx, tol);
    EXPECT_NEAR(r.maxx, maxx, tol);
    EXPECT_NEAR(r.miny, miny, tol);
    EXPECT_NEAR(r.maxy, maxy, tol);
}

TEST(Crect, ResizingAboutTheCentre) {
    Crect r(0, 10, 0, 5);
    std::ostringstream out;
    out << r;
    EXPECT_EQ(out.str(), "minx=0 maxx=10 miny=0 maxy=5      width:10 height:5 aspect=2");
    r.expand(2, 2);
    expectRect(r, -5, 15, -2.5f, 7.5f);
    Crect s(2, 6, 1, 3);
    s.scalex(0.5f);
    s.scaley(3);
    expectRect(s, 3, 5, -1, 5);
    s.setWidth(10);
    s.setHeight(2);
    expectRect(s, -1, 9, 1, 3);
    s.setCentery(-4);
    expectRect(s, -1, 9, -5, -3);
    s.blendWith(Crect(3, 13, -1, 1), 0.25f);
    expectRect(s, 0, 10, -4, -2);
}

TEST(Crect, ValidUnionAndIntersection) {
    Crect flipped(2, 1, 9, 3);
    flipped.makeValid();
    expectRect(flipped, 1, 2, 3, 9);
    Crect u(0, 10, 0, 5);
    u.enlargeToEncompass(Crect(-2, 4, 3, 8));
    expectRect(u, -2, 10, 0, 8);
    Crect i(0, 10, 0, 5);
    i.minimumBounds(Crect(-2, 4, 3, 8));
    expectRect(i, 0, 4, 3, 5);
    Crect apart(0, 1, 0, 1);
    apart.minimumBounds(Crect(5, 6, 5, 6));
    EXPECT_LT(apart.maxx, apart.minx); // no overlap: left invalid for the caller to see
}

TEST(Crect, NormalisedMappingsRoundTrip) {
    Crect r(2, 6, -1, 3);
    Crect n = Crect(3, 4, 0, 2).normalizeWithin(r);
    expectRect(n, 0.25f, 0.5f, 0.25f, 0.75f);
    n.stretchNormalizedTo(r);
    expectRect(n, 3, 4, 0, 2);

    Cvector2 p(0.5f, 0.25f);
    r.stretchNormalizedTo(p);
    EXPECT_FLOAT_EQ(p.x, 4);
    EXPECT_FLOAT_EQ(p.y, 0);
    r.pointToNormalizedCoordsWithinRect(p);
    EXPECT_FLOAT_EQ(p.x, 0.5f);
    EXPECT_FLOAT_EQ(p.y, 0.25f);
    Cvector v(6, 3, 42); // z is left alone
    r.pointToNormalizedCoordsWithinRect(v);
    EXPECT_FLOAT_EQ(v.x, 1);
    EXPECT_FLOAT_EQ(v.z, 42);
}

} // namespace
