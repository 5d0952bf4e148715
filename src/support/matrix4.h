// Cmatrix_4: a placed frame, rotation rows (side, up, forward) plus a translation.
// A point goes into the parent by x side + y up + z forward + translation.
#pragma once

#include <iosfwd>

#include "support/matrix3.h"

class Cmatrix_4 {
  public:
    Cmatrix_4() {} // all twelve zero

    void identity() {
        rot.identity();
        pos.set(0, 0, 0);
    }

    // All four rows (translation included) rotated by n.
    Cmatrix_4& operator*=(Cmatrix3 const& n);
    // this followed by n: rows rotated by n, translation fully transformed by n.
    Cmatrix_4& operator*=(Cmatrix_4 const& n);
    // This transform expressed in n's frame (this x inverse of n). Rows of n may carry a
    // scale as long as they are orthogonal.
    Cmatrix_4& operator^=(Cmatrix_4 const& n);

    // This becomes the inverse motion of the rigid transform n (n may be this). The three
    // floats are unused.
    void invert(Cmatrix_4 const& n, float = 0, float = 0, float = 0);

    // All twelve floats multiplied by f.
    void scale(float f);

    Cmatrix3 rot;
    Cvector pos;
};

// One line laid out as a 4x4 matrix: " r0 0 r1 0 r2 0 t 1".
std::ostream& operator<<(std::ostream& out, Cmatrix_4 const& m);

inline Cvector& Cvector::operator^=(Cmatrix_4 const& m) {
    return *this *= m.rot;
}

inline Cvector& Cvector::operator*=(Cmatrix_4 const& m) {
    *this *= m.rot;
    *this += m.pos;
    return *this;
}

inline Cvector& Cvector::operator/=(Cmatrix_4 const& m) {
    *this -= m.pos;
    return *this /= m.rot;
}
