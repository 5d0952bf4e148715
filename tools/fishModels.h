// The fish species' generated resources: a parameterised body (profile, depth, width, fins,
// eyes) skinned to a skeleton of spine, eye, jaw, gill and fin joints, the lighting points
// and a colour texture with the species' pattern. Fixed seeds: the same bytes on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// How a species' skin is patterned.
enum class FishPattern { stripe, bands, spots, gradient };

struct FishLook {
    char const* name;          // the species folder
    double depth, width;       // body height and width, in body lengths
    double peak;               // where the body is deepest, 0 snout .. 1 tail base
    double arch;               // how much the back rises above the belly
    double peduncle;           // tail base height as a share of the deepest height
    double dorsal[3], anal[3]; // fin start, end (along the body) and height
    double caudal, fork;       // tail fin length and fork depth (0 none .. 1 deep)
    double pectoral, eye;      // pectoral fin length, eye radius
    float back[3], belly[3];   // skin colours, top and bottom
    float mark[3], fin[3];     // pattern and fin colours
    FishPattern pattern;
    double patternScale; // stripes, bands or spots per body
    uint32_t seed;
    // Pectoral and pelvic joints turned by command strings from the fish's fin controls,
    // rather than bound to its fin matrices by name.
    bool commandRig = false;
};

// The species made, in order.
std::vector<FishLook> const& fishLooks();
// The files writeFish makes, relative to the resource tree's root.
std::vector<std::string> const& fishFiles();
// Writes every fish file under root (which ends with "/"); 0 done, 1 when a file could not be
// made (named on stderr).
int writeFish(std::string const& root);

// The skeleton's joints: the spine's ten, then the named ones.
enum FishJoint {
    kSpineJoints = 10,
    kLeftEye = 10,
    kRightEye,
    kLowerJaw,
    kGillLeft,
    kGillRight,
    kLowerLeftPec,
    kUpperLeftPec,
    kLowerRightPec,
    kUpperRightPec,
    kPelvicLeftForward,
    kPelvicLeftBack,
    kPelvicRightForward,
    kPelvicRightBack,
    kUpperLip,
    kFishJoints
};
// Model space: one body length along z, the head (spine point 0) at z = 0.5, the back up +y,
// the fish's left side +x. Spine point i sits at z = 0.5 - i / 9.
double spineJointZ(int i);
