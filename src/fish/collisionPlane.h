// Contact between fish: each fish carries a few thin vertical planes along its body, each
// a rectangle standing on a horizontal segment and widened into a slab by its thickness.
// Groups of planes are tested pairwise and close pairs are gathered in one shared collector.
#pragma once

#include <memory>

#include "support/vector.h"

class Cthing;

class CcollisionPlaneX {
  public:
    // Derives the slab's ranges and its bounding circle from start, span, height and
    // thickness; call after placing the plane.
    void calced();
    // 1 when the two slabs overlap in height and extent and neither lies wholly to one side
    // of the other.
    int intersectsWith(CcollisionPlaneX& b);
    // The side test of b's end points against this plane's line: 1 when both lie clearly on
    // one side, else the product of their cross products, at least 0.
    float othersPointsOnOneSide(CcollisionPlaneX& b);
    // The centres closer horizontally than the collector's reach.
    bool spheresIntersect(CcollisionPlaneX const& o) const;
    // The middle of the segment, at the bottom of the plane.
    void getCenter(Cvector& out) const;
    // Debug drawing hooks; nothing is drawn.
    void displayPlane(float, float, float) {}
    void displaySphere(float, float, float) {}

    float thickness = 0.07f; // half-width of the slab
    float thicknessSquared = 0.0049f;
    Cvector start; // y is the bottom of the plane
    float height = 0.0f;
    float span[2] = {0.0f, 0.0f}; // dx, dz of the segment
    Cvector centre;
    float boundingRadius = 0.0f;
    float xRange[2] = {0.0f, 0.0f};
    float yRange[2] = {0.0f, 0.0f};
    float zRange[2] = {0.0f, 0.0f};
};

class CcollisionPlaneGroup {
  public:
    virtual ~CcollisionPlaneGroup() = default;
    // Places the planes for this frame (the owner's work).
    virtual void updateCollisionPlanes() {}

    // n planes of the given thickness owned by thing; returns the vertex count 2n + 1.
    int initCollisionPlaneGroup(int n, float thickness, Cthing* owner);
    // Records in the collector the plane pairs (i of this group, j >= i of other) whose
    // centres lie within the two groups' reach. Always 0.
    int collectCollisionGroupIntersections(CcollisionPlaneGroup* other);
    // Over the planes whose height holds p, the smallest squared horizontal distance from p
    // to a plane centre when below limit, else 0.
    float getLevelSet(Cvector const& p, float limit) const;

    Cthing* thing = nullptr;
    int count = 0;
    int vertexCount = 1;
    std::unique_ptr<CcollisionPlaneX[]> planes;
};

// Pairs of planes found close this frame; users set count to 0 before collecting.
class CcollisionPlaneCollector {
  public:
    static constexpr int capacity = 40;
    struct Record {
        CcollisionPlaneGroup* other = nullptr;
        unsigned char mine = 0;
        unsigned char theirs = 0;
        Cvector spare;
    };
    // Appends while fewer than 40 are held; later ones are dropped.
    void add(CcollisionPlaneGroup* other, int mine, int theirs);

    int count = 0;
    float reachSquared = 0.0f;
    Record records[capacity];
};

extern CcollisionPlaneCollector collisionPlaneCollector;
