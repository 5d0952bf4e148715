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
// A looping curve of chans channels over 0..period from sums of sines whose periods divide
// it, named name.
bool writeLoopChan(std::string const& path, char const* name, int samples, int chans, double period,
                   double amp, uint64_t seed);
