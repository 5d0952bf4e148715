// The sounds the engine ships, synthesised: a recording of single air bubbles (the source
// the bubble tracks cut their grains from) and trickling-water loops. Fixed seeds: the same
// bytes on every run.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CaudioSample;

constexpr int kSoundRate = 22050;

// One air bubble's ring: a damped sine at the bubble's resonance (3.26 m/s over its radius),
// whose pitch rises as it does while a bubble rises. Added into buffer (interleaved,
// `channels` wide, `channel` chosen) from frame `at`, wrapping at the buffer's end when
// `wrap` is set, else cut there. Returns the frames it rang for.
int addBubble(std::vector<float>& buffer, int channels, int channel, int64_t at, double radiusMm,
              double amplitude, bool wrap);

// The bubble recording: mono, 16-bit, 22050 Hz, single bubbles separated by exact silence.
bool makeBubbleRecording(CaudioSample& out);

// How a trickle loop sounds.
struct CtrickleStyle {
    char const* file; // under global/sounds/
    int frames;       // the loop's length
    uint64_t seed;
    double noiseLow; // the band of the water's hiss, Hz
    double noiseHigh;
    double noiseLevel; // hiss before the loop is normalised
    double surge;      // depth of the slow swell of the flow (0 to 1)
    double dripsPerSecond;
    double dripRadiusMm[2]; // the drips' bubble sizes
    double gurgle;          // chance that a drip brings a burst of small bubbles
};
// The three loops: a gentle trickle, a brook (132609 frames), a dripping fountain.
std::vector<CtrickleStyle> const& trickleStyles();

// A trickle loop: stereo, 16-bit, 22050 Hz, filtered and slowly swelling noise with drips;
// it loops without a seam (its end runs on into its start).
bool makeTrickle(CaudioSample& out, CtrickleStyle const& style);

// The sound files, relative to the resource tree's root.
std::vector<std::string> const& soundFiles();
// Writes every sound file under root (which ends with "/"); 0 done, 1 when a file could
// not be made or written (named on stderr).
int writeSounds(std::string const& root);
