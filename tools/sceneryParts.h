// Pieces the tanks' scenery generators share: small vector helpers, waving plants (a clump
// of blades or stems on their own skeleton), leaf pictures and looping data channels.
// Fixed seeds throughout: the same bytes on every run.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>

#include "vec3.h"

// How a plant's blades are shaped.
enum class PlantShape {
    ribbon, // long blades, widest low down, pointed at the tip
    leaf,   // broad leaves on a short stalk, widest in the middle
    stem,   // thin stems carrying pairs of small leaves at every joint
};

struct PlantKind {
    char const* name;
    double x, z;        // root of the clump
    int blades, joints; // per blade: one joint per level
    double height, width, spread, sway;
    uint32_t seed;
    PlantShape shape = PlantShape::ribbon;
    double leanLo = 0.05, leanHi = 0.25; // how far the blades lean out, at their tips
    // A row rather than a round clump: roots spread over x +-spread and z +-rowDepth.
    double rowDepth = -1;
};

// The sand's (or soil's) height at (x, z), where the blades are rooted.
using GroundHeight = std::function<double(double x, double z)>;

// The clump's skin and skeleton (one joint per blade and level, each at the origin and
// turning about its blade's sway axis, so the skin is authored in place). False when a file
// could not be written.
bool writePlant(PlantKind const& k, GroundHeight const& ground, std::string const& model,
                std::string const& skeleton);
// A blade's picture: darker at the edges, a pale middle vein, paler towards the tip; alpha
// carries the outline. (r, g, b) at the base; with tip >= 0 the colour turns to
// (tipR, tipG, tipB) towards the tip.
bool writeLeafPicture(std::string const& path, double r, double g, double b, uint32_t seed);
bool writeLeafPicture(std::string const& path, double const base[3], double const tip[3], uint32_t seed);
// The floor's rectangle: x from x0 to x1, z from z0 to z1.
struct FloorRect {
    double x0, x1, z0, z1;
};
// The floor over r following ground: a grid of quads of material, its normals from the
// slope, its texture repeating every 1 / uvScale units.
bool writeFloorGrid(std::string const& path, FloorRect const& r, GroundHeight const& ground, double uvScale,
                    char const* material);
// The floor's height over r, and how strongly shadows fall on it: fully inside, fading out
// towards the edges so no shadow hangs past the floor model.
bool writeFloorHeightField(std::string const& path, FloorRect const& r, GroundHeight const& ground);
// The crab's ground over x -3.4..3.4, z -2.4..1.2: channel 1 where the crab may walk,
// channel 2 the light on the floor (clamped to 0.3..1.1), both from cell (x, z).
using CrabGroundCell = std::function<void(double x, double z, double& walk, double& light)>;
bool writeCrabGround(std::string const& path, CrabGroundCell const& cell);
// The tank's level set over x -3.6..3.6, y -1.8..2.1, z -2.6..1.4: level(p) is the signed
// distance at p, positive in the water.
bool writeTankLevelSet(std::string const& path, std::function<double(V3 const& p)> const& level);
// Algae: tufts on a patch whose edge frays out (alpha cuts the outline); tufts is the
// tufts' frequency across the patch, (r, g, b) their colour.
bool writeAlgaePatch(std::string const& path, double tufts, uint32_t seed, double r, double g, double b);
// A looping curve of chans channels over 0..period from sums of sines whose periods divide
// it, named name.
bool writeLoopChan(std::string const& path, char const* name, int samples, int chans, double period,
                   double amp, uint64_t seed);
