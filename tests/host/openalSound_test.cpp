// The sound voices on OpenAL, heard through OpenAL Soft's file-writing output: every test
// of this program writes what it plays into one WAVE file, which the test then reads.
#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <thread>

#include "host/soundOutput.h"
#include "sound/audioManager.h"
#include "support/cerr.h"
#include "testSupport.h"

namespace {

// The output settings are read once per process, before the first device opens: stereo
// 16-bit values written to outputDir()/sound.wav. Without that folder no device opens.
std::string const& outputDir() {
    static const std::string dir = [] {
        std::string base = std::filesystem::temp_directory_path().string() + "/velmora-sound-" +
                           std::to_string(getpid()) + "/";
        std::filesystem::create_directories(base);
        static std::string made = base;
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(made, ec);
        });
        std::ofstream(base + "alsoft.conf") << "[general]\nchannels = stereo\nsample-type = int16\n"
                                               "frequency = 44100\n[wave]\nfile = "
                                            << base << "out/sound.wav\n";
        setenv("ALSOFT_DRIVERS", "wave", 1);
        setenv("ALSOFT_CONF", (base + "alsoft.conf").c_str(), 1);
        return base + "out/";
    }();
    return dir;
}

// What the output file holds: its 16-bit values, interleaved.
struct Output {
    int channels = 0, rate = 0;
    std::vector<int16_t> values;
};

Output readOutput() {
    Output out;
    std::ifstream in(outputDir() + "sound.wav", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto u32 = [&](size_t at) {
        uint32_t v = 0;
        for (int k = 3; k >= 0; k--)
            v = (v << 8) | uint8_t(bytes[at + size_t(k)]);
        return v;
    };
    if (bytes.size() < 12 || bytes.compare(0, 4, "RIFF") != 0) return out;
    for (size_t at = 12; at + 8 <= bytes.size();) {
        std::string tag = bytes.substr(at, 4);
        size_t size = u32(at + 4);
        size_t body = at + 8;
        if (tag == "fmt " && body + 16 <= bytes.size()) {
            out.channels = uint8_t(bytes[body + 2]);
            out.rate = int(u32(body + 4));
            if (uint8_t(bytes[body + 14]) != 16) return Output();
        } else if (tag == "data") {
            // The writer fills in the size when it closes; take what is there.
            size = std::min(size, bytes.size() - body);
            out.values.resize(size / 2);
            std::memcpy(out.values.data(), bytes.data() + body, out.values.size() * 2);
            break;
        }
        at = body + size + (size & 1);
    }
    return out;
}

// The longest run of values of one channel for which test holds, between the first and
// the last value that is not zero.
template <typename Test> int longestRun(Output const& o, int channel, Test test) {
    size_t n = o.values.size() / size_t(o.channels);
    size_t first = 0, last = n;
    while (first < n && o.values[first * size_t(o.channels) + size_t(channel)] == 0)
        first++;
    while (last > first && o.values[(last - 1) * size_t(o.channels) + size_t(channel)] == 0)
        last--;
    int best = 0, run = 0;
    for (size_t k = first; k < last; k++) {
        run = test(o.values[k * size_t(o.channels) + size_t(channel)]) ? run + 1 : 0;
        best = std::max(best, run);
    }
    return best;
}

// A stereo 16-bit sound of the given seconds: a quiet tone.
std::vector<uint8_t> toneImage(double seconds) {
    CaudioSample s;
    int frames = int(seconds * 22050);
    s.init(frames, 2, 2, 22050);
    for (int k = 0; k < frames * 2; k++)
        s.values16()[k] = int16_t(3000 * std::sin(k * 0.05));
    return buildWaveImage(s);
}

class OpenalOutput : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(outputDir());
        resetExitState();
    }
    void TearDown() override {
        OS::closeAudio();
        resetExitState();
    }
};

} // namespace

TEST_F(OpenalOutput, OneShotSlotsEndAndLoopingSlotsGoOn) {
    ASSERT_EQ(OS::startAudio(), 0);
    ASSERT_NE(soundDelegate, nullptr) << "the file-writing output did not open";
    CsoundDelegate& voices = *soundDelegate;
    EXPECT_EQ(voices.secondsLeftToPlay(0), 0.0f) << "an empty slot";
    ASSERT_TRUE(voices.createSoundFromData(0, toneImage(0.1)));
    ASSERT_TRUE(voices.createSoundFromData(3, toneImage(0.1)));
    EXPECT_NEAR(voices.secondsLeftToPlay(3), 0.1, 0.001);
    for (int slot : {0, 3}) {
        voices.setVolume(slot, 0.5f);
        voices.play(slot);
        EXPECT_TRUE(voices.isPlaying(slot));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_TRUE(voices.isPlaying(0)) << "slots 0 to 2 loop";
    EXPECT_FALSE(voices.isPlaying(3)) << "slots 3 and 4 play once";
    voices.replay(3);
    EXPECT_TRUE(voices.isPlaying(3));
    EXPECT_GT(voices.secondsLeftToPlay(3), 0.05f);
    voices.free(3);
    EXPECT_FALSE(voices.isPlaying(3));
    EXPECT_EQ(voices.secondsLeftToPlay(3), 0.0f);
}

TEST_F(OpenalOutput, ImagesThePlatformCannotPlayLeaveTheSlotEmpty) {
    ASSERT_EQ(OS::startAudio(), 0);
    ASSERT_NE(soundDelegate, nullptr);
    CsoundDelegate& voices = *soundDelegate;
    std::vector<uint8_t> broken = toneImage(0.05);
    broken[22] = 3; // three channels
    std::vector<uint8_t> header = toneImage(0.0);
    EXPECT_FALSE(voices.createSoundFromData(1, broken));
    EXPECT_FALSE(voices.createSoundFromData(2, header)) << "no values";
    EXPECT_FALSE(voices.createSoundFromData(7, toneImage(0.05))) << "no such slot";
    voices.play(1);
    voices.setVolume(1, 1.0f);
    voices.replay(1);
    EXPECT_FALSE(voices.isPlaying(1));
    EXPECT_EQ(voices.secondsLeftToPlay(1), 0.0f);
}

TEST_F(OpenalOutput, WithoutADeviceTheSoundStaysSilentAndSaysSoOnce) {
    std::filesystem::remove_all(outputDir()); // the output cannot open its file
    TempDir logs;
    if (masterOut.is_open()) masterOut.close();
    masterOut.open(logs.file("masterout.txt"));
    EXPECT_EQ(OS::startAudio(), 0);
    EXPECT_EQ(soundDelegate, nullptr);
    masterOut.close();
    std::string log = readWholeFile(logs.file("masterout.txt"));
    EXPECT_NE(log.find("no sound device"), std::string::npos);
    EXPECT_EQ(log.find("no sound device"), log.rfind("no sound device"));
}

// Ten seconds of the manager in single-track mode, as the program plays it: the loop
// (6.014 s) hands over from one player to the other once.
TEST_F(OpenalOutput, TenSecondsOfTheMixPlayWithoutGapsOrClipping) {
    std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(kGeneratedResourceDir);
    ASSERT_EQ(OS::startAudio(), 0);
    ASSERT_NE(soundDelegate, nullptr);
    int handOvers = 0;
    {
        CaudioManagerNew audio;
        Cstring trickle;
        audio.keepTrickleName(&trickle);
        ASSERT_EQ(audio.addTrickleSound("2", "trickle2.chan"), 0);
        ASSERT_EQ(audio.addTrickleSound("1", "trickle1.chan"), 0);
        ASSERT_EQ(audio.setTrickleSound(0), 0);
        ASSERT_EQ(audio.tracks[CaudioManagerNew::kTrickle].frames(), 132609);
        audio.setLowBubbles(0);
        audio.setHiBubbles(0);
        audio.defineIndividualVolumes(0.2f, 0.2f, 0.2f, 0.5f);
        audio.generateSingleTrack();
        ASSERT_EQ(audio.currentPlayer, 3);
        audio.fadeVolume(1.0f);
        auto start = std::chrono::steady_clock::now();
        int current = audio.currentPlayer;
        while (std::chrono::steady_clock::now() - start < std::chrono::seconds(10)) {
            audio.managePlaybackStaggering();
            if (audio.currentPlayer != current) handOvers++, current = audio.currentPlayer;
            std::this_thread::sleep_for(std::chrono::microseconds(16667));
        }
    }
    OS::closeAudio(); // the output file is complete once the device closes
    std::filesystem::current_path(saved);
    EXPECT_EQ(handOvers, 1);
    Output out = readOutput();
    ASSERT_EQ(out.channels, 2);
    ASSERT_GT(out.values.size(), size_t(out.rate) * 2 * 9) << "at least nine seconds written";
    for (int c = 0; c < 2; c++) {
        SCOPED_TRACE(c ? "right" : "left");
        int loud = longestRun(out, c, [](int16_t v) { return std::abs(int(v)) > 300; });
        EXPECT_GT(loud, 0) << "not silent";
        EXPECT_LE(longestRun(out, c, [](int16_t v) { return v >= 32767 || v <= -32767; }), 10) << "clipped";
        EXPECT_LT(longestRun(out, c, [](int16_t v) { return v == 0; }), 200) << "a gap";
    }
}
