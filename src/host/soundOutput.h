// The platform's sound voices: five slots, each holding one sound made from an in-memory
// WAVE image (the 44-byte header of buildWaveImage, then the values). Slots 0 to 2 loop,
// slots 3 and 4 play once. Every operation on an empty slot does nothing (queries answer
// false or 0).
//
// The engine reaches the voices through soundDelegate, which OS::startAudio sets when a
// sound device opens; while it is null nothing is heard and nothing else changes. The
// platform plays on a thread of its own that calls nothing of ours: volumes and positions
// are set and polled from the frame loop.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "support/mystring.h"

constexpr int kSoundSlots = 5;

class CsoundDelegate {
  public:
    virtual ~CsoundDelegate() = default;
    // Replaces the slot's sound with one made from the WAVE image; false (slot empty)
    // when the image is not one the platform can play.
    virtual bool createSoundFromData(int slot, std::vector<uint8_t> image) = 0;
    // Starts the slot's sound (looping for slots 0 to 2).
    virtual void play(int slot) = 0;
    virtual bool isPlaying(int slot) = 0;
    virtual void stop(int slot) = 0;
    // Volume 0 to 1.
    virtual void setVolume(int slot, float volume) = 0;
    virtual void pause(int slot) = 0;
    // Releases the slot's sound.
    virtual void free(int slot) = 0;
    // Length minus position, in seconds; 0 for an empty slot.
    virtual float secondsLeftToPlay(int slot) = 0;
    // Stops, rewinds and plays again from the start.
    virtual void replay(int slot) = 0;
};

// The voices in use; null while no sound device is open.
extern CsoundDelegate* soundDelegate;

// What a WAVE image holds: the format and where the values are.
struct CwaveImage {
    int channels = 0;
    int sampleRate = 0;
    int bitsPerSample = 0;
    uint8_t const* data = nullptr;
    size_t dataBytes = 0;
};

// Reads a WAVE image in the hand-over layout: "RIFF", size, "WAVE", a 16-byte PCM "fmt "
// chunk (1 or 2 channels, 8 or 16 bits, a rate of 1 to 192000, byte rate and block align
// that agree), then "data" and its size, the values following at offset 44. 0 read;
// 1 with the reason in why.
int readWaveImage(uint8_t const* bytes, size_t size, CwaveImage& out, Cstring& why);

namespace OS {
// Opens the default sound device and puts its voices in soundDelegate. Without a device
// the master log says so once and the sound stays silent. Always 0: the sound manager runs
// either way.
int startAudio();
// Releases the voices and the device (after every player has let its slot go).
void closeAudio();
} // namespace OS
