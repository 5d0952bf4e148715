// Cvector2: two floats for headings, screen points and texture coordinates.
#pragma once

#include <iosfwd>

class Cvector2 {
  public:
    Cvector2() : x(0), y(0) {}
    Cvector2(float ax, float ay) : x(ax), y(ay) {}

    // Into the frame whose forward axis is the unit heading f.
    Cvector2& rotateBasedOnForwardVect(Cvector2 const& f) {
        float nx = x * f.y + y * f.x;
        float ny = y * f.y - x * f.x;
        x = nx, y = ny;
        return *this;
    }

    // Back out of that frame; the inverse of rotateBasedOnForwardVect for a unit f.
    Cvector2& unrotateBasedOnForwardVect(Cvector2 const& f) {
        float nx = x * f.y - y * f.x;
        float ny = x * f.x + y * f.y;
        x = nx, y = ny;
        return *this;
    }

    float x, y;
};

std::ostream& operator<<(std::ostream& out, Cvector2 const& v);
