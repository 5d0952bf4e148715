// The avoid zone's query: rectangles that hold the wanted turn push four escape points
// out along the axes, nearer rectangles then push them on across any they land in, and the
// escape point nearest no turn at all wins.
#include "fish/avoidZone.h"

#include "support/cerr.h"

int CavoidZone::addAvoidRect(Crect const& r) {
    keepCountInRange();
    rects[count].rect = r;
    if (count < maxCounted) count++;
    return count;
}

void CavoidZone::setCenterPoint(float x, float y) {
    keepCountInRange();
    centre[0] = x;
    centre[1] = y;
    nearCount = 0;
    for (int i = 0; i < count; i++) {
        CavoidRect& a = rects[i];
        Crect const& r = a.rect;
        a.distance = inside;
        a.side = 0;
        bool within = true;
        if (y < r.miny) {
            within = false;
            if (r.miny - y < a.distance) a.distance = r.miny - y, a.side = 1;
        } else if (y > r.maxy) {
            within = false;
            if (y - r.maxy < a.distance) a.distance = y - r.maxy, a.side = 2;
        }
        if (x < r.minx) {
            within = false;
            if (r.minx - x < a.distance) a.distance = r.minx - x, a.side = 3;
        } else if (x > r.maxx) {
            within = false;
            if (x - r.maxx < a.distance) a.distance = x - r.maxx, a.side = 4;
        }
        // A gap of 1000 or more must not read as "inside".
        if ((a.distance > nearLimit && a.distance != inside) || (!within && a.distance == inside))
            a.distance = -1.0f;
        else
            nearCount++;
    }
    for (float* c : candidates) {
        c[0] = x;
        c[1] = y;
    }
}

void CavoidZone::pushAllSure(CavoidRect const& a) {
    Crect const& r = a.rect;
    if (centre[1] >= r.miny && centre[1] <= r.maxy) {
        if (r.minx < candidates[0][0]) candidates[0][0] = r.minx;
        if (r.maxx > candidates[1][0]) candidates[1][0] = r.maxx;
    }
    if (centre[0] >= r.minx && centre[0] <= r.maxx) {
        if (r.miny < candidates[2][1]) candidates[2][1] = r.miny;
        if (r.maxy > candidates[3][1]) candidates[3][1] = r.maxy;
    }
}

void CavoidZone::pushAllUnSure(CavoidRect const& a) {
    Crect const& r = a.rect;
    if (centre[1] >= r.miny && centre[1] <= r.maxy) {
        if (r.minx < candidates[0][0] && candidates[0][0] < r.maxx) candidates[0][0] = r.minx;
        if (r.minx < candidates[1][0] && candidates[1][0] < r.maxx) candidates[1][0] = r.maxx;
    }
    if (centre[0] >= r.minx && centre[0] <= r.maxx) {
        if (r.miny < candidates[2][1] && candidates[2][1] < r.maxy) candidates[2][1] = r.miny;
        if (r.miny < candidates[3][1] && candidates[3][1] < r.maxy) candidates[3][1] = r.maxy;
    }
}

int CavoidZone::getBestHeadingOrPitchChange(float x, float y, float, Cvector& out) {
    showProcSimple("avdZne:bestHeading");
    setCenterPoint(x, y);
    out.set(x, y, 0.0f);
    if (nearCount == 0) return 0;
    int holding = 0, nearby = 0;
    for (int i = 0; i < count; i++) {
        CavoidRect& a = rects[i];
        if (a.distance == inside) {
            pushAllSure(a);
            a.distance = -1.0f;
            holding++;
        } else if (a.distance >= 0.0f && crossesCentreLines(a.rect)) {
            // A rectangle that meets neither line through the centre moves no candidate.
            sortKeys[nearby] = a.distance;
            sortIndices[nearby++] = i;
        }
    }
    if (holding == 0) return 0;
    // Nearest first, so a chain of overlapping rectangles carries a candidate across all;
    // the sort moves the rectangle indices along with their distances.
    sorter.sort(sortKeys, sortIndices, nearby, 0);
    for (int k = 0; k < nearby; k++)
        pushAllUnSure(rects[sortIndices[k]]);
    int best = 0;
    for (int k = 0; k < 4; k++) {
        float* c = candidates[k];
        c[3] = c[0] * c[0] + c[1] * c[1];
        if (c[3] < candidates[best][3]) best = k;
    }
    out.set(candidates[best][0], candidates[best][1], static_cast<float>(best));
    return 1;
}
