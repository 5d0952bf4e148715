#include "things/limbSolver.h"

#include <cfloat>
#include <cmath>

namespace {
// The part of v perpendicular to d, normalised. When v lies along d any direction across d
// serves; when d is zero, v itself.
Cvector perpendicularTo(Cvector const& v, Cvector const& d) {
    Cvector out = v;
    float dd = d.lengthSquared();
    if (dd > FLT_MIN) {
        out -= d * (v.dot(d) / dd);
        if (!(out.lengthSquared() > 1e-12f * dd)) {
            Cvector axis =
                std::fabs(d.x) < std::fabs(d.y) ? Cvector(1.0f, 0.0f, 0.0f) : Cvector(0.0f, 0.0f, 1.0f);
            out.crossOf(d, axis);
        }
    }
    out.normalize();
    return out;
}

// Rows of a segment from a to b: along it, perpendicular to it and to the way to faceRef,
// and the third completing the frame.
void faceSegment(Cmatrix3& m, Cvector const& a, Cvector const& b, Cvector const& faceRef, float inverseL) {
    m.side = (b - a) * inverseL;
    m.up.crossOf(faceRef - a, m.side);
    m.up.normalize();
    m.forward.crossOf(m.side, m.up);
}
} // namespace

float inverseKinematicsMatrices2(Cvector const& hip, Cvector& foot, Cvector const& bendHint, Cmatrix3& upper,
                                 Cmatrix3& lower, Cvector const& faceRef, float L) {
    if (!(L > 0.0f)) return 0.0f;
    Cvector d = foot - hip;
    Cvector hint = perpendicularTo(bendHint, d);
    float reach = kLegReach * L;
    float length = d.length();
    if (length > reach) {
        d *= reach / length;
        foot = hip + d;
        length = reach;
    }
    float h = std::sqrt(std::fmax(0.0f, L * L - 0.25f * length * length));
    Cvector knee = hip + d * 0.5f + hint * h;
    float inverseL = 1.0f / L;
    faceSegment(upper, hip, knee, faceRef, inverseL);
    faceSegment(lower, knee, foot, faceRef, inverseL);
    return h * inverseL;
}

float inverseKinematicsMatrices(Cvector const& base, Cvector const& target, Cvector const& bendHint,
                                Cmatrix3& upper, Cmatrix3& lower, float L) {
    if (!(L > 0.0f)) return 0.0f;
    Cvector d = target - base;
    float length = d.length();
    float h = length > 2.0f * L ? 0.0f : std::sqrt(std::fmax(0.0f, L * L - 0.25f * length * length));
    Cvector axis;
    axis.crossOf(d, bendHint);
    axis.normalize();
    Cvector along = d;
    along.normalize();
    Cvector out;
    out.crossOf(axis, along);
    Cvector knee = base + d * 0.5f + out * h;
    float inverseL = 1.0f / L;
    upper.side = (knee - base) * inverseL;
    upper.up.crossOf(axis, upper.side);
    upper.forward = axis;
    lower.side = (target - knee) * inverseL;
    lower.up.crossOf(axis, lower.side);
    lower.forward = axis;
    return h * inverseL;
}
