// The crab species' generated resources: a carapace, eight walking legs of two segments, a
// feeding arm with a little claw, one big claw, eye stalks and mouth parts, skinned to the
// crab's skeleton of 39 joints; its lighting points and two shell pictures (two looks). And
// the shadows' resources: the crab's shadow (a body and eight feet) and the fish's shadow
// (a spine of five joints), with the soft picture both draw through.
//
// Model space: one unit is one thing scale; the body centre at the origin with the floor
// at y = -0.25, +x the side of legs 0-3, +z the crab's front. Limb segments run along +x
// from their joints, as the limb solver turns them. Fixed seeds: the same bytes on every run.
#pragma once

#include <string>
#include <vector>

// Where the skeleton's joints rest, and whose child each is (-1: none).
struct CcrabJointRest {
    double x, y, z;
    int parent;
};
// The 39 joints in order.
std::vector<CcrabJointRest> const& crabSkeletonRest();
// Length of each of a leg's two segments (half the hip to foot rest distance).
constexpr double kCrabLegSegment = 0.4;
// Height of the body centre over the floor.
constexpr double kCrabBodyHeight = 0.25;

// A look of the shell: colours of the carapace top, its pattern and the limbs.
struct CcrabLook {
    char const* file; // under species/crab/arrays/
    float shell[3], pattern[3], limbs[3], tips[3];
    unsigned seed;
};
std::vector<CcrabLook> const& crabLooks();

// The files writeCrab makes, relative to the resource tree's root.
std::vector<std::string> const& crabFiles();
// Writes the crab's and the crab shadow's files under root (ending in "/"); 0 done, 1 when
// a file could not be made (named on stderr).
int writeCrab(std::string const& root);

// The fish shadow's files, relative to the resource root.
std::vector<std::string> const& fishShadowFiles();
// Writes the fish shadow's model, skeleton and picture under root; 0 or 1.
int writeFishShadow(std::string const& root);
