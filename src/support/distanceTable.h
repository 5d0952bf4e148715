// Pairwise distances between the movers of a tank, the raw material of avoidance.
//
// CdistanceTable keeps squared distances between things; row a, column b is the distance
// seen from thing a to thing b. Close pairs are measured from each one's head, so the
// table need not be symmetric. prepareMyAvoidanceList picks out, for one thing, the others
// within a range, in table order.
#pragma once

#include <cstdint>

#include "support/vector.h"

// What the table needs of a thing; the scene thing class implements it.
class CdistanceTableThing {
  public:
    // Head, middle and tail positions; the default leaves the three vectors as they are.
    virtual void getHeadMidTailPos(Cvector& head, Cvector& mid, Cvector& tail);

  protected:
    ~CdistanceTableThing() = default;
};

// The things within range of one thing, and their squared distances.
class CprepDistanceList {
  public:
    CdistanceTableThing** things = nullptr;
    float* distances = nullptr;
    int32_t count = 0;
};

class CdistanceTable {
  public:
    CdistanceTable() = default;
    ~CdistanceTable() { clear(); }
    CdistanceTable(CdistanceTable const&) = delete;
    CdistanceTable& operator=(CdistanceTable const&) = delete;

    // Room for n things; every distance 0 except a thing to itself (10000).
    void alloc(int n);
    void clear();
    // Things in use; at most the capacity given to alloc.
    void setThing(int index, CdistanceTableThing* thing);
    void setNumThings(int n);
    // Asks every thing for its points and refreshes every pair.
    void updateDistanceTables(int unused = 0);
    // The others whose squared distance from thing is below range (squared units).
    CprepDistanceList& prepareMyAvoidanceList(CdistanceTableThing* thing, float range);
    void showDistanceTable() const;

    float distance(int from, int to) const { return distances[from][to]; }

    int32_t currentIndex = 0;
    int32_t numThings = 0;
    int32_t capacity = 0;
    CdistanceTableThing** things = nullptr;
    float** distances = nullptr;
    Cvector* midPoints = nullptr;
    Cvector* headPoints = nullptr;
    Cvector* tailPoints = nullptr;
    CprepDistanceList avoidList;
};
