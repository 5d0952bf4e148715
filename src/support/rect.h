// Crect: the float rectangle of windows, viewports, letterboxing and widgets. Note the
// order: both x bounds first (minx, maxx, miny, maxy). Only makeValid enforces min <= max.
#pragma once

#include <iosfwd>

#include "support/vector.h"
#include "support/vector2.h"

class Crect {
  public:
    Crect() : minx(0), maxx(0), miny(0), maxy(0) {}
    Crect(float aminx, float amaxx, float aminy, float amaxy)
        : minx(aminx), maxx(amaxx), miny(aminy), maxy(amaxy) {}

    float width() const { return maxx - minx; }
    float height() const { return maxy - miny; }
    float centerx() const { return (minx + maxx) * 0.5f; }
    float centery() const { return (miny + maxy) * 0.5f; }

    // Extent scaled by f about the centre.
    void scalex(float f);
    void scaley(float f);
    void expand(float fx, float fy);
    // New extent about the same centre.
    void setWidth(float v);
    void setHeight(float v);
    // Moves the centre in y, keeping the height.
    void setCentery(float v);

    // Edges count as inside; a NaN coordinate is outside.
    bool pointIsWithin(Cvector2 const& p) const;
    // Swaps reversed bounds.
    void makeValid();
    // Union with r.
    void enlargeToEncompass(Crect const& r);
    // Intersection with r; invalid when the two do not overlap.
    void minimumBounds(Crect const& r);
    // This rectangle in r's unit coordinates.
    Crect normalizeWithin(Crect const& r) const;
    // A point of the unit square mapped into this rectangle, in place.
    void stretchNormalizedTo(Cvector2& p) const;
    // This rectangle, in unit coordinates, mapped into r.
    void stretchNormalizedTo(Crect const& r);
    // Each bound moved towards r's by the fraction f.
    void blendWith(Crect const& r, float f);
    // A point into this rectangle's unit coordinates (z untouched).
    void pointToNormalizedCoordsWithinRect(Cvector2& p) const;
    void pointToNormalizedCoordsWithinRect(Cvector& p) const;

    float minx, maxx, miny, maxy;
};

std::ostream& operator<<(std::ostream& out, Crect const& r);
