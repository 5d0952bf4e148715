// Cmatrix3: an orientation as three row vectors, side, up and forward, in the parent's
// space. A vector goes from the frame into its parent by x side + y up + z forward and
// back by dot products with the rows. CintMatrix3 is a compact 8.8 fixed-point copy.
//
// Operations that may run away (NaN, exploding values) end with the run-away test on the
// up row, which repairs it and reports once. No operation allocates.
#pragma once

#include <iosfwd>

#include "support/vector.h"

class Cmatrix_4;

class Cmatrix3 {
  public:
    Cmatrix3() {} // all zero, not the identity

    void identity() {
        side.set(1, 0, 0);
        up.set(0, 1, 0);
        forward.set(0, 0, 1);
    }

    // Row 0 side, 1 up, 2 forward; the caller keeps i within 0..2.
    Cvector& row(int i) { return i == 0 ? side : (i == 1 ? up : forward); }
    Cvector const& row(int i) const { return i == 0 ? side : (i == 1 ? up : forward); }

    // this = this x n: apply this, then n. n may be this.
    Cmatrix3& operator*=(Cmatrix3 const& n);
    // this = this x transpose(n): each row taken into n's frame.
    Cmatrix3& operator/=(Cmatrix3 const& n);
    // Each row rotated by the rotation part of n.
    Cmatrix3& operator*=(Cmatrix_4 const& n);

    // Rotations about the parent's axes by a radians (replace the whole matrix).
    void setXrotation(float a);
    void setYrotation(float a);
    void setZrotation(float a);
    // Rotation by a about axis (normalised when needed); an axis shorter than 1e-3 leaves
    // the matrix unchanged.
    void setAxisRotation(Cvector const& axis, float a);

    // Turns the frame about one of its own rows by a radians.
    void rotateAroundSide(float a);
    void rotateAroundUp(float a);
    void rotateAroundForward(float a);
    void rotateAroundForward(float c, float s); // cosine and sine given
    // 0 side, 1 up, 2 forward; any other code does nothing.
    void rotateAroundAxis(int axisCode, float a);

    // Each element moves towards n's by the fraction f.
    void blend(Cmatrix3 const& n, float f);
    // Each element becomes a + (b - a) f.
    void blend(Cmatrix3 const& a, Cmatrix3 const& b, float f);

    // Aims row `axis` from position at target, keeping row `keep` (axis != keep, both
    // 0..2). The rows stay orthonormal when row keep is a unit vector. When there is no
    // usable direction (target at position, or along row keep) the matrix is unchanged.
    void orientFace(Cvector const& position, Cvector const& target, int axis, int keep);

    // Camera frame: forward towards target, side = forward x up, up = side x forward.
    // Left unchanged when eye and target coincide or up lies along the view.
    void buildFromPointTargetUpv(Cvector const& eye, Cvector const& target, Cvector const& up);

    // Frame whose row `axis` is the unit vector v, with row `guide` as close to that world
    // axis as possible (axis, guide, third: the three row numbers). Left unchanged when v
    // is zero or along the guide axis, or the row numbers are not 0, 1, 2 in some order.
    void buildMatrixFromNormalizedVect(Cvector const& v, int axis, int guide, int third);

    // Copies the rotation rows of a transform.
    void extractRotations(Cmatrix_4 const& m);

    Cvector side, up, forward;
};

// A blank, then the nine elements row by row separated by blanks.
std::ostream& operator<<(std::ostream& out, Cmatrix3 const& m);

// Nine 8.8 fixed-point elements; assignment stores element x 256 truncated toward zero.
class CintMatrix3 {
  public:
    CintMatrix3& operator=(Cmatrix3 const& m);

    CintVector side, up, forward;
};

inline Cvector& Cvector::operator*=(Cmatrix3 const& m) {
    float nx = x * m.side.x + y * m.up.x + z * m.forward.x;
    float ny = x * m.side.y + y * m.up.y + z * m.forward.y;
    float nz = x * m.side.z + y * m.up.z + z * m.forward.z;
    x = nx, y = ny, z = nz;
    return *this;
}

inline Cvector& Cvector::operator/=(Cmatrix3 const& m) {
    float nx = dot(m.side);
    float ny = dot(m.up);
    float nz = dot(m.forward);
    x = nx, y = ny, z = nz;
    return *this;
}
