// Stand-ins for the sound tests: recording sound voices, samples made in memory and sound
// files written into a resource folder that is the working folder for a test's life.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "host/soundOutput.h"
#include "sound/audioSample.h"
#include "testSupport.h"

// Five voices that play nothing: they remember what they were given and answer the
// queries as the test sets them. Put in place for their life.
class CrecordingVoices : public CsoundDelegate {
  public:
    struct Slot {
        bool hasSound = false;
        bool playing = false;
        float volume = -1.0f;
        float secondsLeft = 0.0f;
        int plays = 0, replays = 0, stops = 0, pauses = 0, frees = 0, sounds = 0;
        std::vector<uint8_t> image;
    };
    CrecordingVoices() { soundDelegate = this; }
    ~CrecordingVoices() override { soundDelegate = nullptr; }

    bool createSoundFromData(int slot, std::vector<uint8_t> image) override {
        Slot& s = slots[slot];
        s.sounds++;
        s.image = std::move(image);
        s.hasSound = refuseSounds == 0;
        log += "create" + std::to_string(slot) + " ";
        return s.hasSound;
    }
    void play(int slot) override {
        slots[slot].plays++;
        slots[slot].playing = slots[slot].hasSound;
        log += "play" + std::to_string(slot) + " ";
    }
    bool isPlaying(int slot) override { return slots[slot].playing; }
    void stop(int slot) override {
        slots[slot].stops++;
        slots[slot].playing = false;
    }
    void setVolume(int slot, float volume) override { slots[slot].volume = volume; }
    void pause(int slot) override {
        slots[slot].pauses++;
        slots[slot].playing = false;
    }
    void free(int slot) override {
        slots[slot].frees++;
        slots[slot].hasSound = false;
        slots[slot].playing = false;
    }
    float secondsLeftToPlay(int slot) override {
        return slots[slot].hasSound ? slots[slot].secondsLeft : 0.0f;
    }
    void replay(int slot) override {
        slots[slot].replays++;
        slots[slot].playing = slots[slot].hasSound;
        log += "replay" + std::to_string(slot) + " ";
    }

    Slot slots[kSoundSlots];
    int refuseSounds = 0;
    std::string log;
};

// A 16-bit sample of the given values (interleaved), at rate Hz.
inline void makeSample16(CaudioSample& s, std::vector<int16_t> const& values, int channels,
                         int rate = 22050) {
    ASSERT_EQ(s.init(int(values.size()) / channels, channels, 2, rate), 0);
    std::copy(values.begin(), values.end(), s.values16());
}

// A mono recording of `bursts` loud stretches of `length` frames (a plain square wave of
// the given height), each followed by `gap` frames of silence.
inline std::vector<int16_t> burstValues(int bursts, int length, int gap, int16_t height = 12000) {
    std::vector<int16_t> v;
    for (int b = 0; b < bursts; b++) {
        for (int k = 0; k < length; k++)
            v.push_back(int16_t((k / 4) % 2 ? height : -height));
        v.insert(v.end(), size_t(gap), 0);
    }
    return v;
}

// A resource folder holding "global/sounds/", the working folder while the object lives.
class ScopedSoundFolder {
  public:
    ScopedSoundFolder() : saved(std::filesystem::current_path()) {
        std::filesystem::create_directories(dir.path() + "global/sounds");
        std::filesystem::current_path(dir.path());
    }
    ~ScopedSoundFolder() { std::filesystem::current_path(saved); }
    // Writes the sample as "global/sounds/<file>".
    void write(CaudioSample& sample, char const* file) {
        ASSERT_EQ(sample.saveTree((dir.path() + "global/sounds/" + file).c_str(), 1), 0);
    }
    std::string path(char const* file) const { return dir.path() + "global/sounds/" + file; }

  private:
    TempDir dir;
    std::filesystem::path saved;
};
