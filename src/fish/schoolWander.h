// Wander targets: a point that drifts through the tank along a direction the shared noise
// bends a little every step, bouncing off the six walls a tank keeps for it.
#pragma once

#include <vector>

#include "support/vector.h"

// The six walls of a tank's wander space: 0 and 1 bound x, 2 and 3 y, 4 and 5 z. Each is
// a point and a unit normal pointing into the tank.
class CschoolWanderMaster {
  public:
    struct Wall {
        Cvector p;
        Cvector n;
    };
    // Fills wanderSpread when it is still empty.
    CschoolWanderMaster();
    ~CschoolWanderMaster() {}
    // Wall i (0 to 5) gets the point and the normal made unit length.
    void addOutsidePlane(int i, Cvector const& point, Cvector const& normal);

    Wall walls[6];
};

// Five unit directions for spreading fish that follow one target: straight ahead, then 15
// degrees right, left, up and down. Filled by the first wander master.
extern std::vector<Cvector> wanderSpread;

class CschoolWanderPoint {
  public:
    // Moves the point by length along its direction, bent by the noise, and back inside
    // the walls (the direction's matching component flips at a wall).
    void step(float length);
    // With maxSteps > 0: steps of 2 x distance / maxSteps until the point is farther than
    // distance from where it began or maxSteps were made. Returns the steps made.
    int findNextPoint(float distance, int maxSteps);

    Cvector position;
    Cvector direction{0.0f, 0.0f, 1.0f};
    // The walls that bound the point (the tank's master); none leaves it unbounded.
    CschoolWanderMaster* master = nullptr;
    float noisePhase = 0.0f;
};
