#include "support/matrix4.h"

#include <ostream>

Cmatrix_4& Cmatrix_4::operator*=(Cmatrix3 const& n) {
    Cmatrix3 in = n;
    rot.side *= in;
    rot.up *= in;
    rot.forward *= in;
    pos *= in;
    return *this;
}

Cmatrix_4& Cmatrix_4::operator*=(Cmatrix_4 const& n) {
    Cmatrix_4 in = n; // n may be this
    rot.side ^= in;
    rot.up ^= in;
    rot.forward ^= in;
    pos *= in;
    return *this;
}

// (v . row j) / |row j|^2 for each row j of n: v taken through n's scaled inverse.
static Cvector intoScaledFrame(Cvector const& v, Cmatrix3 const& n) {
    return Cvector(v.dot(n.side) / n.side.lengthSquared(), v.dot(n.up) / n.up.lengthSquared(),
                   v.dot(n.forward) / n.forward.lengthSquared());
}

Cmatrix_4& Cmatrix_4::operator^=(Cmatrix_4 const& n) {
    Cmatrix_4 in = n;
    rot.side = intoScaledFrame(rot.side, in.rot);
    rot.up = intoScaledFrame(rot.up, in.rot);
    rot.forward = intoScaledFrame(rot.forward, in.rot);
    pos = intoScaledFrame(pos - in.pos, in.rot);
    return *this;
}

void Cmatrix_4::invert(Cmatrix_4 const& n, float, float, float) {
    Cmatrix_4 in = n;
    rot.side.set(in.rot.side.x, in.rot.up.x, in.rot.forward.x);
    rot.up.set(in.rot.side.y, in.rot.up.y, in.rot.forward.y);
    rot.forward.set(in.rot.side.z, in.rot.up.z, in.rot.forward.z);
    // The result must not depend on what this matrix held before.
    pos = -in.pos;
    pos ^= *this;
}

void Cmatrix_4::scale(float f) {
    rot.side *= f;
    rot.up *= f;
    rot.forward *= f;
    pos *= f;
}

std::ostream& operator<<(std::ostream& out, Cmatrix_4 const& m) {
    Cvector const* rows[4] = {&m.rot.side, &m.rot.up, &m.rot.forward, &m.pos};
    for (int i = 0; i < 4; i++) {
        out << " " << rows[i]->x << " " << rows[i]->y << " " << rows[i]->z << " " << (i < 3 ? 0 : 1);
    }
    return out;
}
