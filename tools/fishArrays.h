// The standard fish's motion arrays: the swim undulation, its sideways balance, the flick
// turn curves and tuning, the pitch curve of a flick, the peck curves, and the recorded
// flick paths. Fixed formulas throughout: the same bytes on every run.
#pragma once

#include <string>
#include <vector>

#include "data/dataArray.h"

// Where the arrays live, relative to the resource tree's root.
inline constexpr char const* kFishArrayFolder = "species/std_fish/arrays/";

// The shapes the fish indexes the arrays by.
namespace fishArrayShape {
inline constexpr int kSwimSegments = 9;  // one column per segment of a ten-point body
inline constexpr int kSwimPhases = 33;   // phase 0..1, both ends the same pose
inline constexpr int kFlickSamples = 51; // flick progress 0..kFlickProgressEnd
inline constexpr float kFlickProgressEnd = 1.25f;
inline constexpr int kSpeedSamples = 13; // body speed 0..kMaxSpeed
inline constexpr float kMaxSpeed = 6.0f;
inline constexpr int kPeckSamples = 21;      // peck time 0..1
inline constexpr int kPathSteps = 16;        // predicted frames 0..15
inline constexpr int kPathAngles = 14;       // flick angle 0..kMaxDegrees
inline constexpr float kMaxDegrees = 130.0f; // the largest flick the fish makes
inline constexpr float kSpeedOffset = 0.25f; // the fish reads the paths at start speed + this
} // namespace fishArrayShape

// Swim undulation: the turn of each displayed segment (column) at each swim phase (row),
// radians at full stroke: a wave travelling tailward, one body long, growing to the tail.
void makeSwimCycle(CdataImage& image);
// Sideways shift of the body's anchor vertex over the swim phase, in segment lengths,
// that keeps the displayed body's mass centre on the spine under cycle.
void makeSwimSideShift(CdataChan& chan, CdataImage const& cycle);
// Flick curve `which` (0 from rest, 1 creeping, 2 swimming) over the flick progress: head
// turn per step, body counter-turn per step, speed blend 0..1.
void makeFlickRamp(CdataChan& chan, int which);
// Flick tuning over body speed: angle multiplier (one per speed sample, 1 when null),
// centre start, end progress, muscle speed.
void makeFlickSpeedVariations(CdataChan& chan, float const* angleMultipliers);
// Share of a flick's pitch change reached at each flick progress, 0..1.
void makePitchChangeCurve(CdataChan& chan);
// Peck: the head's forward reach (0..1) and the swim amplitude over the peck's time 0..1.
void makePeckForwardMotion(CdataChan& chan);
void makePeckSwimAmp(CdataChan& chan);
// The flick path volume's shape and dimension spaces, all samples 0: steps x angle in
// degrees x (start speed + offset), two channels (sideways towards the turn, forward).
void shapeFlickPaths(CdataVolume& volume);

// Finds the angle multiplier of each speed sample with which the flick model, run over the
// arrays under root, ends its flicks heading the way asked; writes the tuning file there as
// it goes. False when a flick could not be run.
bool calibrateFlickAngles(std::string const& root, float* multipliers);

// The files writeFishArrays makes, relative to the resource tree's root.
std::vector<std::string> const& fishArrayFiles();
// Writes every array under root (which ends with "/"): first the curves, then the flick
// angle tuning and the paths found by running the flick model over them. 0 done, 1 failed
// (said on stderr).
int writeFishArrays(std::string const& root);
