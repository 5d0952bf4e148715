// Render matrices for the shaders: sixteen floats in OpenGL's column layout (each m[i] is
// one column; the translation is m[3][0..2]). Angles here are degrees.
#pragma once

#include "support/vector.h"

struct ESMatrix {
    float m[4][4];

    // The four columns on four lines of trace channel 1.
    void show() const;
};

// All helpers change the matrix passed first, in place.
void esMatrixLoadIdentity(ESMatrix* result);
// result = a x b (result[i][j] = sum a[i][k] b[k][j]); result may be a or b.
void esMatrixMultiply(ESMatrix* result, ESMatrix const* a, ESMatrix const* b);
void esScale(ESMatrix* result, float sx, float sy, float sz);
void esTranslate(ESMatrix* result, float tx, float ty, float tz);
// Rotation about (x, y, z), multiplied in front; nothing for a zero axis.
void esRotate(ESMatrix* result, float angle, float x, float y, float z);
// Perspective frustum multiplied in front; nothing unless the extents and both planes
// are positive.
void esFrustum(ESMatrix* result, float left, float right, float bottom, float top, float nearZ, float farZ);
void esPerspective(ESMatrix* result, float fovy, float aspect, float nearZ, float farZ);
// Orthographic projection multiplied in front; nothing when an extent is zero.
void esOrtho(ESMatrix* result, float left, float right, float bottom, float top, float nearZ, float farZ);
// Replaces result by a right-handed view matrix: the eye goes to the origin and the
// camera looks down -z with up along +y.
void esMatrixLookatRH(ESMatrix* result, Cvector const& eye, Cvector const& target, Cvector const& up);

inline Cvector& Cvector::operator*=(ESMatrix const& e) {
    float const* m = &e.m[0][0];
    float nx = m[0] * x + m[4] * y + m[8] * z + m[12];
    float ny = m[1] * x + m[5] * y + m[9] * z + m[13];
    float nz = m[2] * x + m[6] * y + m[10] * z + m[14];
    x = nx, y = ny, z = nz;
    return *this;
}

inline Cvector& Cvector::operator/=(ESMatrix const& e) {
    float const* m = &e.m[0][0];
    float nx = m[0] * x + m[1] * y + m[2] * z + m[3];
    float ny = m[4] * x + m[5] * y + m[6] * z + m[7];
    float nz = m[8] * x + m[9] * y + m[10] * z + m[11];
    x = nx, y = ny, z = nz;
    return *this;
}
