// The second tank, "dusk_pool": a planted tank in the last light of the day. Dark soil that
// rises towards the back, a branching piece of driftwood with algae on it, a group of river
// stones, a row of tall grass, a sword plant and red-tipped stem plants, with its own
// backdrop, height field, level set, obstacle spheres and crab ground. Fixed seeds: the same
// bytes on every run.
#pragma once

#include <string>
#include <vector>

#include "sceneryParts.h"

// The soil's height at (x, z), in tank units.
double duskSoilHeight(double x, double z);

// A river stone: where it lies, its half sizes and heading.
struct DuskStone {
    double cx, cz, sx, sy, sz, turn;
    uint32_t seed;
};
std::vector<DuskStone> const& duskStones();
// The height of a stone's centre (its lower part is sunk in the soil).
double duskStoneBase(DuskStone const& s);

// One branch of the driftwood sampled along its centre line, with its radius there.
struct DuskBranchPoint {
    V3 p;
    double radius;
};
std::vector<std::vector<DuskBranchPoint>> const& duskDriftwood();

// The files writeDuskPool makes, relative to the resource tree's root.
std::vector<std::string> const& duskPoolFiles();
// Writes every file of the tank under root (which ends with "/"); 0 done, 1 when a file could
// not be made or written (named on stderr).
int writeDuskPool(std::string const& root);

// The tank's pictures (duskPoolPictures.cpp); false when a file could not be written.
bool writeDuskBackdropPicture(std::string const& path);
bool writeBarkPicture(std::string const& path);
bool writeSoilPicture(std::string const& path);
bool writeStonePicture(std::string const& path);
bool writeWoodAlgaePicture(std::string const& path);
