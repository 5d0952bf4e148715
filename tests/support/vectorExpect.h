// Component-wise closeness checks for Cvector, shared by the math tests, and an independent
// rotation to check the math against.
#pragma once

#include <gtest/gtest.h>

#include <cmath>

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

// Rodrigues' formula in double: v turned by angle about axis (any length), right-handed.
inline Cvector rodrigues(Cvector const& axis, double angle, Cvector const& v) {
    double len = std::sqrt(double(axis.x) * axis.x + double(axis.y) * axis.y + double(axis.z) * axis.z);
    double k[3] = {axis.x / len, axis.y / len, axis.z / len};
    double c = std::cos(angle), s = std::sin(angle);
    double kv = k[0] * v.x + k[1] * v.y + k[2] * v.z;
    double kxv[3] = {k[1] * v.z - k[2] * v.y, k[2] * v.x - k[0] * v.z, k[0] * v.y - k[1] * v.x};
    return Cvector(static_cast<float>(v.x * c + kxv[0] * s + k[0] * kv * (1 - c)),
                   static_cast<float>(v.y * c + kxv[1] * s + k[1] * kv * (1 - c)),
                   static_cast<float>(v.z * c + kxv[2] * s + k[2] * kv * (1 - c)));
}
