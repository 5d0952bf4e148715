// The solid objects of a tank as a field of spheres: fish turn the spheres near their head
// into avoid rectangles, and anything may ask for the signed distance to the nearest sphere
// surface. A coarse grid (24 cells in x, 16 in y and z) keeps the first question cheap:
// x cells list a range of sphere indices, and each sphere's y and z cells form a mask.
#pragma once

#include <cstdint>
#include <vector>

#include "support/rect.h"
#include "support/vector.h"

class CavoidZone;

struct CsphereDef {
    float x = 0.0f, y = 0.0f, z = 0.0f, radius = 0.0f;
};

// What the field reads of a model: its points and their "pscale" attribute. The model's
// geometry class provides it.
class CsphereSource {
  public:
    virtual ~CsphereSource() = default;
    virtual int pointCount() const = 0;
    virtual bool isInterleaved() const = 0;
    // Whether the points carry the named float attribute.
    virtual bool hasAttribute(char const* name) const = 0;
    virtual Cvector pointPosition(int i) const = 0;
    virtual float pointAttribute(int i, char const* name) const = 0;
};

// What the field asks of a fish that steers around it. The fish provides it.
class CsphereAvoider {
  public:
    virtual ~CsphereAvoider() = default;
    virtual Cvector getHeadPos() = 0;
    virtual float getBodyLength() = 0;
    // The sphere seen as a rectangle of the fish's steering space; false when it is not
    // seen.
    virtual bool getSphereViewRect(Cvector const& centre, float radius, Crect& out) = 0;
    virtual CavoidZone& getAvoidZone() = 0;
};

class CsphereField {
  public:
    static constexpr int cellsX = 24;
    static constexpr int cellsYZ = 16;
    static constexpr int maxSpheres = 16384;
    static constexpr float noSphere = 10000.0f;

    // Spheres from the model's points (positions and "pscale" radii, times scale). 0 loaded;
    // 1 without "pscale" (the bounds are reset, the old spheres kept), or a model with more
    // than 16384 points or not interleaved (an exit reason is recorded; the field is empty).
    int loadSpheres(CsphereSource const& model, float scale);
    void clearSphereField();
    // The sphere indices whose x extent covers the cells of [x0, x1]: returns the first and
    // stores the last (an empty range has last < first).
    int getFirstLastSpheresForXbound(float x0, float x1, int& last) const;
    // Signed distance from point to the nearest sphere surface, 10000 without spheres;
    // offset (when given and a sphere is nearest) gets that sphere's centre - point.
    float getSphereLevelSet(Cvector const& point, Cvector* offset) const;
    // Adds to the fish's avoid zone a rectangle for every sphere near its head it can see.
    void addSphereFieldAvoidanceRects(CsphereAvoider& fish) const;
    // Moves point out to the surface of every sphere that holds it; away (any length) is
    // the way out from a sphere's very centre. True when the point moved.
    bool pushOutOfSpheres(Cvector& point, Cvector const& away) const;
    // Bits start to end (inclusive) of a 16-cell axis, clamped to the axis.
    static uint32_t maskFromStartEnd(int start, int end);
    // The y cells of [y0, y1] in the low 16 bits and the z cells of [z0, z1] in the high.
    uint32_t cellMask(float y0, float y1, float z0, float z1) const;

    Cvector minCorner{1000.0f, 1000.0f, 1000.0f};
    Cvector maxCorner{-1000.0f, -1000.0f, -1000.0f};
    Cvector cellScale;
    std::vector<CsphereDef> spheres;
    std::vector<uint32_t> masks;
    struct Bucket {
        uint16_t first, last; // first > last: no sphere
    };
    std::vector<Bucket> xBuckets;
    int count = 0;
};
