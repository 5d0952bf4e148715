// Steering around obstacles in the plane of (heading change, pitch change): each frame the
// obstacles ahead of a fish become forbidden rectangles there, and the zone answers the
// nearest turn that leaves every rectangle holding the wanted one.
#pragma once

#include "support/quickSort.h"
#include "support/rect.h"
#include "support/vector.h"

// One forbidden rectangle: x is heading change, y pitch change (radians).
class CavoidRect {
  public:
    Crect rect;
    // Gap to the centre from setCenterPoint: 1000 inside, -1 farther than 1.5.
    float distance = -1.0f;
    // Where the gap was measured: 0 inside, 1 below min y, 2 above max y, 3 left of min x,
    // 4 right of max x.
    int side = 0;
};

class CavoidZone {
  public:
    static constexpr int capacity = 500;
    static constexpr int maxCounted = capacity - 1;
    static constexpr float inside = 1000.0f;
    static constexpr float nearLimit = 1.5f;

    // Stores r after the counted rectangles; the count stops at 499, so later ones only
    // overwrite the spare slot. Returns the count.
    int addAvoidRect(Crect const& r);
    // Sets the wanted turn, measures every rectangle against it and resets the candidates.
    void setCenterPoint(float x, float y);
    // 1 and out = (x, y, candidate index) of the smallest turn out of every rectangle that
    // holds (x, y); 0 and out = (x, y, 0) when no rectangle holds it.
    int getBestHeadingOrPitchChange(float x, float y, float unused, Cvector& out);
    // Moves the candidates out of r, which holds the centre.
    void pushAllSure(CavoidRect const& r);
    // Moves a candidate across r only where r straddles it.
    void pushAllUnSure(CavoidRect const& r);

    float centre[2] = {0.0f, 0.0f};
    CavoidRect rects[capacity];
    int count = 0; // the owner sets 0 to empty the zone
    int nearCount = 0;
    // The escape points: 0 left, 1 right, 2 down, 3 up; [2] spare, [3] squared length.
    float candidates[4][4] = {};

  private:
    // Whether r spans the centre's row or column: only then can it move a candidate.
    bool crossesCentreLines(Crect const& r) const {
        return (centre[1] >= r.miny && centre[1] <= r.maxy) || (centre[0] >= r.minx && centre[0] <= r.maxx);
    }
    // The owner writes count directly; a value outside 0 .. 499 must not index past rects.
    void keepCountInRange() { count = count < 0 ? 0 : count > maxCounted ? maxCounted : count; }

    float sortKeys[capacity] = {};
    int sortIndices[capacity] = {};
    CquickSort sorter;
};
