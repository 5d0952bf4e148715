// The sound voices on OpenAL, heard through OpenAL Soft's output into a WAVE file.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <numeric>
#include <thread>

#include "host/soundOutput.h"
#include "sound/audioManager.h"
#include "support/cerr.h"
#include "testSupport.h"

namespace {

// The output is chosen once per process, before the first device opens: 16-bit stereo
// written to outputDir()/sound.wav. Without that folder no device opens.
std::string const& outputDir() {
    static TempDir base;
    static const std::string dir = [] {
        std::ofstream(base.file("alsoft.conf"))
            << "[general]\nchannels = stereo\nsample-type = int16\n[wave]\nfile = " << base.path()
            << "out/sound.wav\n";
        setenv("ALSOFT_DRIVERS", "wave", 1);
        setenv("ALSOFT_CONF", base.file("alsoft.conf").c_str(), 1);
        return base.path() + "out/";
    }();
    return dir;
}

// One channel of the output file, from its first to its last value that is not zero.
std::vector<int16_t> outputChannel(int channel) {
    std::string b = readWholeFile(outputDir() + "sound.wav");
    std::vector<int16_t> one;
    for (size_t at = b.find("data") + 8 + 2 * size_t(channel); at + 1 < b.size(); at += 4)
        one.push_back(int16_t(uint8_t(b[at]) | uint8_t(b[at + 1]) << 8));
    auto first = std::find_if(one.begin(), one.end(), [](int16_t x) { return x != 0; });
    auto last = std::find_if(one.rbegin(), one.rend(), [](int16_t x) { return x != 0; }).base();
    return first < last ? std::vector<int16_t>(first, last) : std::vector<int16_t>();
}

int longestRun(std::vector<int16_t> const& v, bool (*test)(int16_t)) {
    int best = 0, run = 0;
    for (int16_t x : v)
        best = std::max(best, run = test(x) ? run + 1 : 0);
    return best;
}

} // namespace

// Ten seconds of the mix as the program plays it: the 6.014 s loop hands over from one one-shot
// player to the other 1.01 s before its end, once (the next comes just after ten seconds),
// and the first ends; a short sound on a looping player goes on, silently.
TEST(OpenalOutput, TenSecondsOfTheMixPlayWithoutGapsOrClipping) {
    std::filesystem::create_directories(outputDir());
    std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(kGeneratedResourceDir);
    ASSERT_EQ(OS::startAudio(), 0);
    ASSERT_NE(soundDelegate, nullptr);
    int handOvers = 0;
    {
        CaudioManagerNew audio;
        ASSERT_EQ(audio.addTrickleSound("2", "trickle2.chan") + audio.setTrickleSound(0), 0);
        ASSERT_EQ(audio.tracks[CaudioManagerNew::kTrickle].frames(), 132609);
        audio.setLowBubbles(0);
        audio.setHiBubbles(0);
        audio.defineIndividualVolumes(0.2f, 0.2f, 0.2f, 0.5f);
        audio.generateSingleTrack();
        audio.fadeVolume(1.0f);
        EXPECT_EQ(audio.players[1].secondsLeftToPlay(), 0.0f) << "an empty slot";
        audio.tracks[4].init(2205, 2, 2, 22050); // 0.1 s
        audio.players[0].setSample(audio.tracks[4]);
        audio.players[0].Play();
        auto start = std::chrono::steady_clock::now();
        for (int current = audio.currentPlayer;
             std::chrono::steady_clock::now() - start < std::chrono::milliseconds(9900);) {
            audio.managePlaybackStaggering();
            if (audio.currentPlayer != current) handOvers++, current = audio.currentPlayer;
            std::this_thread::sleep_for(std::chrono::microseconds(16667));
        }
        EXPECT_TRUE(audio.players[0].isPlaying()) << "slots 0 to 2 loop";
        EXPECT_TRUE(!audio.players[3].isPlaying() && audio.players[4].isPlaying())
            << "slots 3 and 4 play once";
    }
    OS::closeAudio(); // the output file is complete once the device closes
    std::filesystem::current_path(saved);
    EXPECT_EQ(handOvers, 1);
    for (int c = 0; c < 2; c++) {
        std::vector<int16_t> v = outputChannel(c);
        ASSERT_GT(v.size(), 9u * 44100u) << "nine seconds or more";
        EXPECT_GT(std::inner_product(v.begin(), v.end(), v.begin(), 0.0) / double(v.size()), 150.0 * 150.0)
            << "silent";
        EXPECT_LE(longestRun(v, [](int16_t x) { return x >= 32767 || x <= -32767; }), 10) << "clipped";
        EXPECT_LT(longestRun(v, [](int16_t x) { return x == 0; }), 200) << "a gap";
    }
}
