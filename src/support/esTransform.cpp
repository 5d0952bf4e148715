#include "support/esTransform.h"

#include <cmath>
#include <cstring>

#include "support/cerr.h"
#include "support/matrix3.h"

static constexpr float kPi = 3.14159265358979f;

void ESMatrix::show() const {
    for (int i = 0; i < 4; i++) {
        VTRACE(1, m[i][0] << " " << m[i][1] << " " << m[i][2] << " " << m[i][3] << " ");
    }
}

void esMatrixLoadIdentity(ESMatrix* result) {
    std::memset(result, 0, sizeof(ESMatrix));
    for (int i = 0; i < 4; i++)
        result->m[i][i] = 1.0f;
}

void esMatrixMultiply(ESMatrix* result, ESMatrix const* a, ESMatrix const* b) {
    ESMatrix tmp;
    for (int i = 0; i < 4; i++) {
        for (int j = 0; j < 4; j++) {
            tmp.m[i][j] = a->m[i][0] * b->m[0][j] + a->m[i][1] * b->m[1][j] + a->m[i][2] * b->m[2][j] +
                          a->m[i][3] * b->m[3][j];
        }
    }
    *result = tmp;
}

void esScale(ESMatrix* result, float sx, float sy, float sz) {
    for (int k = 0; k < 4; k++) {
        result->m[0][k] *= sx;
        result->m[1][k] *= sy;
        result->m[2][k] *= sz;
    }
}

void esTranslate(ESMatrix* result, float tx, float ty, float tz) {
    for (int k = 0; k < 4; k++) {
        result->m[3][k] += result->m[0][k] * tx + result->m[1][k] * ty + result->m[2][k] * tz;
    }
}

void esRotate(ESMatrix* result, float angle, float x, float y, float z) {
    float mag = std::sqrt(x * x + y * y + z * z);
    if (!(mag > 0.0f)) return;
    float s = std::sin(angle * kPi / 180.0f);
    float c = std::cos(angle * kPi / 180.0f);
    x /= mag, y /= mag, z /= mag;
    float oc = 1.0f - c;
    ESMatrix r = {};
    r.m[0][0] = x * x * oc + c;
    r.m[0][1] = x * y * oc - z * s;
    r.m[0][2] = z * x * oc + y * s;
    r.m[1][0] = x * y * oc + z * s;
    r.m[1][1] = y * y * oc + c;
    r.m[1][2] = y * z * oc - x * s;
    r.m[2][0] = z * x * oc - y * s;
    r.m[2][1] = y * z * oc + x * s;
    r.m[2][2] = z * z * oc + c;
    r.m[3][3] = 1.0f;
    esMatrixMultiply(result, &r, result);
}

void esFrustum(ESMatrix* result, float left, float right, float bottom, float top, float nearZ, float farZ) {
    float dx = right - left, dy = top - bottom, dz = farZ - nearZ;
    if (!(nearZ > 0.0f && farZ > 0.0f && dx > 0.0f && dy > 0.0f && dz > 0.0f)) return;
    ESMatrix f = {};
    f.m[0][0] = 2.0f * nearZ / dx;
    f.m[1][1] = 2.0f * nearZ / dy;
    f.m[2][0] = (right + left) / dx;
    f.m[2][1] = (top + bottom) / dy;
    f.m[2][2] = -(nearZ + farZ) / dz;
    f.m[2][3] = -1.0f;
    f.m[3][2] = -2.0f * nearZ * farZ / dz;
    esMatrixMultiply(result, &f, result);
}

void esPerspective(ESMatrix* result, float fovy, float aspect, float nearZ, float farZ) {
    float h = std::tan(fovy * kPi / 360.0f) * nearZ;
    float w = h * aspect;
    esFrustum(result, -w, w, -h, h, nearZ, farZ);
}

void esOrtho(ESMatrix* result, float left, float right, float bottom, float top, float nearZ, float farZ) {
    float dx = right - left, dy = top - bottom, dz = farZ - nearZ;
    if (dx == 0.0f || dy == 0.0f || dz == 0.0f) return;
    ESMatrix o = {};
    o.m[0][0] = 2.0f / dx;
    o.m[1][1] = 2.0f / dy;
    o.m[2][2] = -2.0f / dz;
    o.m[3][0] = -(right + left) / dx;
    o.m[3][1] = -(top + bottom) / dy;
    o.m[3][2] = -(nearZ + farZ) / dz;
    o.m[3][3] = 1.0f;
    esMatrixMultiply(result, &o, result);
}

void esMatrixLookatRH(ESMatrix* result, Cvector const& eye, Cvector const& target, Cvector const& up) {
    Cmatrix3 frame;
    frame.buildFromPointTargetUpv(eye, target, up);
    Cvector const& s = frame.side;
    Cvector const& u = frame.up;
    Cvector const& f = frame.forward;
    float px = eye.dot(s), py = eye.dot(u), pz = eye.dot(f);
    ESMatrix& r = *result;
    r.m[0][0] = s.x, r.m[0][1] = u.x, r.m[0][2] = -f.x, r.m[0][3] = 0;
    r.m[1][0] = s.y, r.m[1][1] = u.y, r.m[1][2] = -f.y, r.m[1][3] = 0;
    r.m[2][0] = s.z, r.m[2][1] = u.z, r.m[2][2] = -f.z, r.m[2][3] = 0;
    r.m[3][0] = -px, r.m[3][1] = -py, r.m[3][2] = pz, r.m[3][3] = 1;
}
