// One sound voice as the sound manager holds it: a handle on one slot of the platform's
// voices (host/soundOutput.h). setSample hands a sample over as an in-memory WAVE image;
// the rest starts, stops and polls the slot. Without sound voices every call does nothing
// and the queries answer false or 0.
#pragma once

#include <cstdint>
#include <vector>

class CaudioSample;

// The WAVE image of a sample: a 44-byte little-endian header (RIFF, a 16-byte PCM format
// chunk, the data chunk's header) followed by the sample's values as they are.
std::vector<uint8_t> buildWaveImage(CaudioSample const& sample);

class CsoundPlayer {
  public:
    ~CsoundPlayer();

    // Starts the slot's sound; 0.
    int Play();
    void Stop();
    // Plays the slot's sound again from its start; 0.
    int replay();
    void SetVolume(float volume);
    bool isPlaying();
    float secondsLeftToPlay();
    void free();
    // Gives the slot the sample's WAVE image; the sound is then loaded, silent and not
    // playing until the next Play. 0.
    int setSample(CaudioSample const& sample);

    short slot = 0; // 0 to 4 in the platform's voices, set by the owner
};
