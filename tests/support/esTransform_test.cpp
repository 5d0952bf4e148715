#include <gtest/gtest.h>

#include <random>

#include "support/esTransform.h"
#include "support/matrix3.h"
#include "vectorExpect.h"

namespace {

void expectMatrixNear(ESMatrix const& a, ESMatrix const& b, float tol) {
    for (int i = 0; i < 4; i++)
        for (int j = 0; j < 4; j++)
            EXPECT_NEAR(a.m[i][j], b.m[i][j], tol) << i << "," << j;
}

TEST(ESMatrix, LookAtMapsEyeToOrigin) {
    ESMatrix view;
    std::mt19937 rng(9);
    std::uniform_real_distribution<float> u(-10, 10);
    for (int trial = 0; trial < 30; trial++) {
        Cvector e(u(rng), u(rng), u(rng)), t(u(rng), u(rng), u(rng)), up(0, 1, 0);
        esMatrixLookatRH(&view, e, t, up);
        Cvector pe = e, pt = t;
        pe *= view;
        pt *= view;
        expectNear(pe, 0, 0, 0, 2e-4f);
        expectNear(pt, 0, 0, -(t - e).length(), 2e-4f); // straight ahead down -z
        // A point above the eye (along the frame's up) lands on +y.
        Cmatrix3 frame;
        frame.buildFromPointTargetUpv(e, t, up);
        Cvector above = e + frame.up * 2.0f;
        above *= view;
        expectNear(above, 0, 2, 0, 2e-4f);
        EXPECT_EQ(view.m[3][3], 1);
        EXPECT_EQ(view.m[0][3], 0);
    }
}

TEST(ESMatrix, FrustumAndPerspective) {
    ESMatrix f;
    esMatrixLoadIdentity(&f);
    esFrustum(&f, -2, 1, -1, 3, 1, 11);
    ESMatrix want = {}; // column-major
    want.m[0][0] = 2.0f / 3;
    want.m[1][1] = 0.5f;
    want.m[2][0] = -1.0f / 3;
    want.m[2][1] = 0.5f;
    want.m[2][2] = -1.2f;
    want.m[2][3] = -1;
    want.m[3][2] = -2.2f;
    expectMatrixNear(f, want, 1e-6f);

    ESMatrix p, q;
    esMatrixLoadIdentity(&p);
    esMatrixLoadIdentity(&q);
    esPerspective(&p, 90, 2, 1, 100); // h = tan(45 degrees) = 1, w = 2
    esFrustum(&q, -2, 2, -1, 1, 1, 100);
    expectMatrixNear(p, q, 1e-6f);
}

// v /= E (the transposed reading) turns v by the angle about the axis, right-handed.
TEST(ESMatrix, RotateAgainstAxisAngle) {
    std::mt19937 rng(11);
    std::normal_distribution<float> g;
    for (int trial = 0; trial < 20; trial++) {
        Cvector k(g(rng), g(rng), g(rng));
        float deg = std::uniform_real_distribution<float>(-180, 180)(rng);
        ESMatrix r;
        esMatrixLoadIdentity(&r);
        esRotate(&r, deg, k.x * 3, k.y * 3, k.z * 3); // scaled axis
        Cvector v(1.5f, -2, 0.5f), turned = v;
        turned /= r;
        expectNear(turned, rodrigues(k, deg * 3.14159265358979 / 180, v), 2e-5f);
        EXPECT_EQ(r.m[3][3], 1);
    }
}

TEST(ESMatrix, ScaleAndTranslate) {
    ESMatrix m;
    esMatrixLoadIdentity(&m);
    esScale(&m, 2, 3, 4);
    esTranslate(&m, 1, 1, 1); // in the scaled frame
    Cvector p(1, 1, 1);
    p *= m;
    expectNear(p, 4, 6, 8, 0);
}

} // namespace
