// Stand-ins for the sound tests: recording voices, samples made in memory, and a resource
// folder holding "global/sounds/" that is the working folder while it lives.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>

#include "host/soundOutput.h"
#include "sound/audioSample.h"
#include "testSupport.h"

// Voices that play nothing: they keep what they are given and answer as the test sets them.
class CrecordingVoices : public CsoundDelegate {
  public:
    struct Slot {
        bool sound = false, playing = false;
        float volume = -1.0f, secondsLeft = 0.0f;
        int replays = 0, pauses = 0, frees = 0, sounds = 0;
        std::vector<uint8_t> image;
    } slots[kSoundSlots];
    bool refuse = false;

    CrecordingVoices() { soundDelegate = this; }
    ~CrecordingVoices() override { soundDelegate = nullptr; }
    bool createSoundFromData(int i, std::vector<uint8_t> image) override {
        slots[i].sounds++, slots[i].image = std::move(image);
        return slots[i].sound = !refuse;
    }
    void play(int i) override { slots[i].playing = slots[i].sound; }
    bool isPlaying(int i) override { return slots[i].playing; }
    void stop(int i) override { slots[i].playing = false; }
    void setVolume(int i, float volume) override { slots[i].volume = volume; }
    void pause(int i) override { slots[i].pauses++, slots[i].playing = false; }
    void free(int i) override { slots[i].frees++, slots[i].sound = slots[i].playing = false; }
    float secondsLeftToPlay(int i) override { return slots[i].sound ? slots[i].secondsLeft : 0.0f; }
    void replay(int i) override { slots[i].replays++, slots[i].playing = slots[i].sound; }
};

// A 16-bit sample of the given interleaved values.
inline void makeSample16(CaudioSample& s, std::vector<int16_t> const& values, int channels) {
    ASSERT_EQ(s.init(int(values.size()) / channels, channels, 2, 22050), 0);
    std::copy(values.begin(), values.end(), s.values16());
}

// Mono: `bursts` loud stretches (a square wave of that height), each followed by `gap` zeros.
inline std::vector<int16_t> burstValues(int bursts, int length, int gap, int16_t height = 12000) {
    std::vector<int16_t> v;
    for (int b = 0; b < bursts; b++, v.insert(v.end(), size_t(gap), 0))
        for (int k = 0; k < length; k++)
            v.push_back(int16_t((k / 4) % 2 ? height : -height));
    return v;
}

class ScopedSoundFolder {
  public:
    ScopedSoundFolder() {
        std::filesystem::create_directories(dir.path() + "global/sounds"), chdir(dir.path());
    }
    ~ScopedSoundFolder() { chdir(saved); }
    std::string path(char const* file) const { return dir.path() + "global/sounds/" + file; }
    void write(CaudioSample& sample, char const* file) {
        ASSERT_EQ(sample.saveTree(path(file).c_str(), 1), 0);
    }

  private:
    static void chdir(std::filesystem::path const& to) { std::filesystem::current_path(to); }
    std::filesystem::path saved = std::filesystem::current_path();
    TempDir dir;
};
