#include "support/matrix3.h"

#include <cfloat>
#include <cmath>
#include <ostream>

#include "support/cerr.h"
#include "support/matrix4.h"

Cmatrix3& Cmatrix3::operator*=(Cmatrix3 const& n) {
    Cmatrix3 in = n; // n may be this
    side *= in;
    up *= in;
    forward *= in;
    up.quickFailureTest("m3*=");
    return *this;
}

Cmatrix3& Cmatrix3::operator/=(Cmatrix3 const& n) {
    Cmatrix3 in = n;
    side /= in;
    up /= in;
    forward /= in;
    up.quickFailureTest("m3/=");
    return *this;
}

Cmatrix3& Cmatrix3::operator*=(Cmatrix_4 const& n) {
    Cmatrix3 in = n.rot;
    side *= in;
    up *= in;
    forward *= in;
    return *this;
}

void Cmatrix3::setXrotation(float a) {
    float c = std::cos(a), s = std::sin(a);
    side.set(1, 0, 0);
    up.set(0, c, s);
    forward.set(0, -s, c);
    up.quickFailureTest("m3setXrotation");
}

void Cmatrix3::setYrotation(float a) {
    float c = std::cos(a), s = std::sin(a);
    side.set(c, 0, -s);
    up.set(0, 1, 0);
    forward.set(s, 0, c);
    up.quickFailureTest("m3setYrotation");
}

void Cmatrix3::setZrotation(float a) {
    float c = std::cos(a), s = std::sin(a);
    side.set(c, s, 0);
    up.set(-s, c, 0);
    forward.set(0, 0, 1);
    up.quickFailureTest("m3setZrotation");
}

void Cmatrix3::setAxisRotation(Cvector const& axis, float a) {
    double q = double(axis.x) * axis.x + double(axis.y) * axis.y + double(axis.z) * axis.z;
    Cvector k = axis;
    if (!(q >= 0.999 && q <= 1.001)) {
        if (q < 1e-6) return; // no usable axis; a NaN one goes on to the run-away test
        k.normalize();
    }
    float c = std::cos(a), s = std::sin(a), t = 1.0f - c;
    side.set(t * k.x * k.x + c, t * k.x * k.y + s * k.z, t * k.x * k.z - s * k.y);
    up.set(t * k.x * k.y - s * k.z, t * k.y * k.y + c, t * k.y * k.z + s * k.x);
    forward.set(t * k.x * k.z + s * k.y, t * k.y * k.z - s * k.x, t * k.z * k.z + c);
    up.quickFailureTest("m3setAxisRotation");
}

void Cmatrix3::rotateAroundSide(float a) {
    float c = std::cos(a), s = std::sin(a);
    Cvector r1 = up, r2 = forward;
    forward = r2 * c - r1 * s;
    up = r1 * c + r2 * s;
    if (up.quickFailureTest("m3rotateAroundSide")) {
        VTRACE(1, "angle: " << a << " matrix: " << static_cast<void const*>(this));
    }
}

void Cmatrix3::rotateAroundUp(float a) {
    float c = std::cos(a), s = std::sin(a);
    Cvector r0 = side, r2 = forward;
    side = r0 * c - r2 * s;
    forward = r2 * c + r0 * s;
    up.quickFailureTest("m3rotateAroundUp");
}

void Cmatrix3::rotateAroundForward(float a) {
    rotateAroundForward(std::cos(a), std::sin(a));
}

void Cmatrix3::rotateAroundForward(float c, float s) {
    Cvector r0 = side, r1 = up;
    up = r1 * c - r0 * s;
    side = r0 * c + r1 * s;
    up.quickFailureTest("m3rotateAroundForward");
}

void Cmatrix3::rotateAroundAxis(int axisCode, float a) {
    switch (axisCode) {
    case 0:
        rotateAroundSide(a);
        break;
    case 1:
        rotateAroundUp(a);
        break;
    case 2:
        rotateAroundForward(a);
        break;
    default:
        break;
    }
}

// out = a + (b - a) f element by element; a or b may be out.
static void blendInto(Cmatrix3& out, Cmatrix3 const& a, Cmatrix3 const& b, float f) {
    Cmatrix3 from = a, to = b;
    out.side = from.side + (to.side - from.side) * f;
    out.up = from.up + (to.up - from.up) * f;
    out.forward = from.forward + (to.forward - from.forward) * f;
}

void Cmatrix3::blend(Cmatrix3 const& n, float f) {
    blendInto(*this, *this, n, f);
    up.quickFailureTest("m3blend");
}

void Cmatrix3::blend(Cmatrix3 const& a, Cmatrix3 const& b, float f) {
    blendInto(*this, a, b, f);
    up.quickFailureTest("blend2");
}

// Three row numbers are usable when they are 0, 1 and 2 in some order.
static bool distinctRows(int a, int b, int c) {
    return a >= 0 && a <= 2 && b >= 0 && b <= 2 && c >= 0 && c <= 2 && a != b && b != c && a != c;
}

void Cmatrix3::orientFace(Cvector const& position, Cvector const& target, int axis, int keep) {
    int third = 3 - axis - keep;
    if (!distinctRows(axis, keep, third)) return;
    Cvector d = target - position;
    Cvector t;
    t.crossOf(row(keep), d);
    if (!(t.lengthSquared() > FLT_MIN)) return; // no direction to aim along
    t.normalize();
    row(axis) = d;
    row(third) = t;
    row(axis).crossOf(t, row(keep));
}

void Cmatrix3::buildFromPointTargetUpv(Cvector const& eye, Cvector const& target, Cvector const& upv) {
    Cvector f = target - eye;
    if (!(f.lengthSquared() > FLT_MIN)) return;
    f.normalize();
    Cvector s;
    s.crossOf(f, upv);
    if (!(s.lengthSquared() > FLT_MIN)) return;
    s.normalize();
    forward = f;
    side = s;
    up.crossOf(s, f);
}

void Cmatrix3::buildMatrixFromNormalizedVect(Cvector const& v, int axis, int guide, int third) {
    if (!distinctRows(axis, guide, third)) return;
    Cmatrix3 m = *this;
    m.row(axis) = v;
    Cvector g(guide == 0 ? 1.0f : 0.0f, guide == 1 ? 1.0f : 0.0f, guide == 2 ? 1.0f : 0.0f);
    m.row(guide) = g;
    Cvector& t = m.row(third);
    t.crossOf(m.row((third + 1) % 3), m.row((third + 2) % 3));
    if (!(t.lengthSquared() > FLT_MIN)) return; // v zero or along the guide axis
    t.normalize();
    m.row(guide).crossOf(m.row((guide + 1) % 3), m.row((guide + 2) % 3));
    *this = m;
}

void Cmatrix3::extractRotations(Cmatrix_4 const& m) {
    *this = m.rot;
}

std::ostream& operator<<(std::ostream& out, Cmatrix3 const& m) {
    Cvector const* rows[3] = {&m.side, &m.up, &m.forward};
    out << " ";
    for (int i = 0; i < 3; i++) {
        out << rows[i]->x << " " << rows[i]->y << " " << rows[i]->z;
        if (i < 2) out << " ";
    }
    return out;
}

static void toFixed(CintVector& out, Cvector const& in) {
    out.x.set(in.x);
    out.y.set(in.y);
    out.z.set(in.z);
}

CintMatrix3& CintMatrix3::operator=(Cmatrix3 const& m) {
    toFixed(side, m.side);
    toFixed(up, m.up);
    toFixed(forward, m.forward);
    return *this;
}
