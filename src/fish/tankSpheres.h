// Obstacle spheres for real tanks.
#pragma once

// Lets a tank's definition load its avoid-sphere model into an obstacle field that fish and
// crabs steer around, and lets the tank free it.
void installTankSpheres();
