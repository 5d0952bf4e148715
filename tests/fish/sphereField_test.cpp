// The sphere field: loading and its limits, the x-range query against a plain scan on
// random fields, the signed distance, pushing points out of spheres, and a real tank's
// obstacle spheres loaded from the definition's avoid-sphere model through the tank's hook.
#include "../graphics/geoTestSupport.h"
#include "fish/sphereField.h"
#include "fish/tankSpheres.h"
#include "fishTestSupport.h"
#include "world/tank.h"

namespace {

TEST(SphereField, LoadingLimits) {
    CsphereField f;
    Rocks m;
    m.points.assign(CsphereField::maxSpheres, CsphereDef{1, 2, 3, 0.5f});
    ASSERT_EQ(f.loadSpheres(m, 2.0f), 0);
    EXPECT_EQ(f.count, 16384);
    EXPECT_FLOAT_EQ(f.spheres[5].y, 4.0f);
    EXPECT_FLOAT_EQ(f.spheres[5].radius, 1.0f);

    m.withScale = false; // the spheres stay, the bounds are reset
    EXPECT_EQ(f.loadSpheres(m, 1.0f), 1);
    EXPECT_EQ(f.count, 16384);
    EXPECT_FLOAT_EQ(f.minCorner.x, 1000.0f);
    EXPECT_TRUE(exitReasonList.empty());

    struct Case {
        int points;
        bool interleaved;
        char const* reason;
    } const cases[] = {{CsphereField::maxSpheres + 1, true, "tms!"}, {3, false, "notInterlvd"}};
    for (Case const& c : cases) {
        resetExitState();
        Rocks bad;
        bad.points.assign(static_cast<size_t>(c.points), CsphereDef{0, 0, 0, 1});
        bad.interleaved = c.interleaved;
        EXPECT_EQ(f.loadSpheres(bad, 1.0f), 1) << c.reason;
        EXPECT_EQ(f.count, 0) << c.reason;
        ASSERT_FALSE(exitReasonList.empty()) << c.reason;
        EXPECT_STREQ(exitReasonList[0].c_str(), c.reason);
    }
    resetExitState();
}

// The x-range query equals a scan of every sphere's own x cells.
TEST(SphereField, XRangeMatchesAPlainScan) {
    uint32_t seed = 12345;
    auto next = [&seed] { // [0, 1)
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / 16777216.0f;
    };
    auto cell = [](float offset, float scale) {
        float c = offset * scale;
        return c < 0.0f ? -1 : c >= 1000.0f ? 1000 : static_cast<int>(c);
    };
    for (int field = 0; field < 20; field++) {
        Rocks m;
        int n = 1 + static_cast<int>(next() * 60);
        for (int i = 0; i < n; i++)
            m.points.push_back({next() * 20 - 10, next() * 6, next() * 8, 0.1f + next() * 1.5f});
        CsphereField f;
        ASSERT_EQ(f.loadSpheres(m, 1.0f), 0);
        for (int q = 0; q < 50; q++) {
            float x0 = next() * 26 - 13, x1 = x0 + next() * 6;
            int c0 = cell(x0 - f.minCorner.x, f.cellScale.x), c1 = cell(x1 - f.minCorner.x, f.cellScale.x);
            int wantFirst = n, wantLast = -1;
            if (c1 >= 0 && c0 < CsphereField::cellsX) {
                c0 = std::max(c0, 0);
                c1 = std::min(c1, CsphereField::cellsX - 1);
                for (int i = 0; i < n; i++) {
                    CsphereDef const& s = f.spheres[i];
                    int s0 = std::max(cell(s.x - s.radius - f.minCorner.x, f.cellScale.x), 0);
                    int s1 = std::min(cell(s.x + s.radius - f.minCorner.x, f.cellScale.x),
                                      CsphereField::cellsX - 1);
                    if (s0 <= c1 && s1 >= c0) wantFirst = std::min(wantFirst, i), wantLast = i;
                }
            }
            int last;
            int first = f.getFirstLastSpheresForXbound(x0, x1, last);
            if (wantLast < 0) {
                EXPECT_GT(first, last) << field << "/" << q;
            } else {
                EXPECT_EQ(first, wantFirst) << field << "/" << q;
                EXPECT_EQ(last, wantLast) << field << "/" << q;
            }
        }
    }
}

TEST(SphereField, SignedDistance) {
    CsphereField f;
    Cvector offset(7, 7, 7);
    EXPECT_EQ(f.getSphereLevelSet(Cvector(1, 2, 3), &offset), 10000.0f);
    EXPECT_EQ(offset.x, 7.0f); // untouched without a sphere
    Rocks m;
    m.points = {{0, 0, 0, 1}, {5, 0, 0, 2}};
    ASSERT_EQ(f.loadSpheres(m, 1.0f), 0);
    struct Case {
        Cvector p;
        float level;
        Cvector offset;
    } const cases[] = {
        {Cvector(0, 0, 0), -1, Cvector(0, 0, 0)},
        {Cvector(0, 3, 0), 2, Cvector(0, -3, 0)},
        {Cvector(2.4f, 0, 0), 0.6f, Cvector(2.6f, 0, 0)},
        {Cvector(5, 0, 1), -1, Cvector(0, 0, -1)},
    };
    for (Case const& c : cases) {
        EXPECT_FLOAT_EQ(f.getSphereLevelSet(c.p, &offset), c.level) << c.p;
        EXPECT_NEAR((offset - c.offset).length(), 0.0f, 1e-6f) << c.p;
        EXPECT_FLOAT_EQ(f.getSphereLevelSet(c.p, nullptr), c.level) << c.p;
    }
}

// A point inside spheres comes out to the nearest surface (and on out of any neighbour it
// lands in); points outside, or left of, above or beyond the field stay where they are.
TEST(SphereField, PushOutOfSpheres) {
    CsphereField f;
    Rocks m;
    m.points = {{0, 0, 0, 1}, {1.5f, 0, 0, 1}, {6, 2, 0, 0.5f}};
    ASSERT_EQ(f.loadSpheres(m, 1.0f), 0);
    struct Case {
        char const* what;
        Cvector p, away;
        bool moves;
        Cvector want; // where it ends, when it moves
    } const cases[] = {
        {"inside the lone sphere", Cvector(6, 2.2f, 0), Cvector(1, 0, 0), true, Cvector(6, 2.5f, 0)},
        {"at its very centre", Cvector(6, 2, 0), Cvector(0, 0, -3), true, Cvector(6, 2, -0.5f)},
        {"centre, no way given", Cvector(6, 2, 0), Cvector(), true, Cvector(6, 2.5f, 0)},
        {"inside one of a pair", Cvector(-0.5f, 0.2f, 0), Cvector(1, 0, 0), true, Cvector()},
        {"where the pair overlaps", Cvector(0.75f, 0.1f, 0), Cvector(1, 0, 0), true, Cvector()},
        {"outside, close", Cvector(6, 2.51f, 0), Cvector(1, 0, 0), false, Cvector()},
        {"left of the field", Cvector(-30, 0, 0), Cvector(1, 0, 0), false, Cvector()},
        {"above the field", Cvector(0, 30, 0), Cvector(1, 0, 0), false, Cvector()},
        {"beyond the last x cell", Cvector(30, 0, 0), Cvector(1, 0, 0), false, Cvector()},
    };
    for (Case const& c : cases) {
        Cvector p = c.p;
        EXPECT_EQ(f.pushOutOfSpheres(p, c.away), c.moves) << c.what;
        if (!c.moves) {
            EXPECT_EQ((p - c.p).length(), 0.0f) << c.what;
            continue;
        }
        if (c.want.lengthSquared() > 0.0f) EXPECT_NEAR((p - c.want).length(), 0.0f, 1e-3f) << c.what;
        // Out of every sphere, and no farther than it had to go.
        EXPECT_GE(f.getSphereLevelSet(p, nullptr), 0.0f) << c.what;
        EXPECT_LT(f.getSphereLevelSet(p, nullptr), 1e-3f) << c.what;
    }
    CsphereField empty;
    Cvector p(0, 0, 0);
    EXPECT_FALSE(empty.pushOutOfSpheres(p, Cvector(1, 0, 0)));
    // A sphere of no size, or of a negative one, holds nothing.
    m.points = {{0, 0, 0, 0}, {3, 0, 0, -1}};
    ASSERT_EQ(f.loadSpheres(m, 1.0f), 0);
    for (Cvector q : {Cvector(0, 0, 0), Cvector(3.2f, 0, 0)}) {
        p = q;
        EXPECT_FALSE(f.pushOutOfSpheres(p, Cvector(1, 0, 0))) << q;
    }
}

// Two points as a model: positions, and a radius when asked.
CgeoFileContents pointModel(bool radii) {
    if (radii) return contentsOf({{"pos", 3, 0}, {"pscale", 1, 0}}, {{0, 0, 0, 0.5f}, {2, 1, 0, 0.25f}});
    return contentsOf({{"pos", 3, 0}}, {{0, 0, 0}, {2, 1, 0}});
}

TEST(TankSpheres, TheDefinitionsModelBecomesTheTanksObstacles) {
    installTankSpheres();
    ASSERT_NE(loadTankSpheres, nullptr);
    struct Case {
        bool radii;
        float scale;
        int result;
        size_t spheres;
    } const cases[] = {
        {true, 1.0f, 0, 2},  // two rocks
        {true, 2.0f, 0, 2},  // the tank's scale grows them
        {false, 1.0f, 1, 0}, // points without radii are no obstacles
    };
    for (Case const& c : cases) {
        resetExitState();
        auto* tank = new Ctank(nullptr);
        CgeoNew model;
        ASSERT_EQ(loadContents(model, pointModel(c.radii)), 0);
        EXPECT_EQ(loadTankSpheres(tank, &model, c.scale), c.result);
        size_t made = tank->sphereField() ? tank->sphereField()->spheres.size() : 0;
        EXPECT_EQ(made, c.spheres);
        if (c.spheres) {
            // Inside the first rock, and clear of both in open water.
            EXPECT_LT(tank->sphereField()->getSphereLevelSet(Cvector(0.1f, 0, 0), nullptr), 0.0f);
            EXPECT_GT(tank->sphereField()->getSphereLevelSet(Cvector(1.0f, 3.0f, 0), nullptr), 0.0f);
            EXPECT_NEAR(tank->sphereField()->spheres[0].radius, 0.5f * c.scale, 1e-6f);
        }
        EXPECT_EQ(loadTankSpheres(tank, nullptr, 1.0f), 1) << "no model";
        delete tank; // frees the field (the leak checker watches)
    }
    resetExitState();
}

} // namespace
