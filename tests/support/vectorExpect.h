// Component-wise closeness checks for Cvector, shared by the math tests.
#pragma once

#include <gtest/gtest.h>

#include "support/vector.h"

inline void expectNear(Cvector const& v, float x, float y, float z, double tol = 1e-6f,
                       char const* what = "") {
    EXPECT_NEAR(v.x, x, tol) << what;
    EXPECT_NEAR(v.y, y, tol) << what;
    EXPECT_NEAR(v.z, z, tol) << what;
}

inline void expectNear(Cvector const& v, Cvector const& e, double tol, char const* what = "") {
    expectNear(v, e.x, e.y, e.z, tol, what);
}
