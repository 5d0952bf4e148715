#include <gtest/gtest.h>

#include <cstring>

#include "sound/audioManager.h"
#include "soundTestSupport.h"
#include "support/cerr.h"

namespace {

// A stereo trickle of n frames (a ramp, every frame different) in 8- or 16-bit values.
void writeTrickle(ScopedSoundFolder& folder, char const* file, int n, int bytes = 2) {
    CaudioSample s;
    ASSERT_EQ(s.init(n, 2, bytes, 22050), 0);
    for (int k = 0; k < n * 2; k++)
        bytes == 2 ? void(s.values16()[k] = int16_t((k * 7) % 20000 - 10000))
                   : void(s.mem->data[k] = k % 256);
    folder.write(s, file);
}

std::vector<uint8_t> bytesOf(CaudioSample const& s) {
    return std::vector<uint8_t>(s.dataBlock(), s.dataBlock() + s.dataBytes());
}

class AudioManager : public ::testing::Test {
  protected:
    void SetUp() override {
        CaudioSample bubbles; // a lead-in and twelve bursts
        makeSample16(bubbles, burstValues(13, 300, 40), 1);
        folder.write(bubbles, "hibubbles5.chan");
        writeTrickle(folder, "short.chan", 3000);
        writeTrickle(folder, "long.chan", 132609);
        writeTrickle(folder, "eight.chan", 500, 1);
        for (auto [name, file] : {std::pair{"A", "short.chan"}, {"B", "long.chan"}, {"C", "eight.chan"}})
            ASSERT_EQ(audio.addTrickleSound(name, file), 0);
        audio.keepTrickleName(&chosen);
    }
    void TearDown() override { resetExitState(); }

    ScopedSoundFolder folder;
    CrecordingVoices voices;
    CaudioManagerNew audio;
    Cstring chosen;
};

} // namespace

TEST_F(AudioManager, TrickleLoopsAreChosenByName) {
    EXPECT_TRUE(audio.addTrickleSound("X", "missing.chan") == 1 && audio.findSoundIndex("X") == -1);
    auto step = [&](char const* what, char const* nameBefore, int advance, char const* nameAfter,
                    int frames) {
        SCOPED_TRACE(what);
        if (nameBefore) chosen = nameBefore;
        EXPECT_EQ(audio.setTrickleSound(advance), 0);
        EXPECT_STREQ(chosen.c_str(), nameAfter);
        EXPECT_EQ(audio.tracks[2].frames() * audio.tracks[2].bytesPerSample(), frames * 2) << "16-bit";
        EXPECT_FLOAT_EQ(audio.highBubbleFactor, frames * 7.540966e-6f);
    };
    step("a saved name is found again", "B", 0, "B", 132609);
    step("a chosen path stays", "A", 0, "A", 132609);
    step("advancing goes to the next (an 8-bit loop)", "B", 1, "C", 500);
    step("advancing from the last wraps to the first", nullptr, 1, "A", 3000);
    step("advancing from an unknown name takes the first", "nobody", 1, "A", 3000);
    CaudioManagerNew none; // no trickle registered: every track stays empty
    EXPECT_EQ(none.setTrickleSound(1), 1);
    none.defineIndividualVolumes(0.2f, 0.2f, 0.2f, 1.0f);
    none.generateSingleTrack();
    EXPECT_TRUE(!none.tracks[1].hasData() && none.currentPlayer == -1 && exitSaver == 0);
    audio.defineIndividualVolumes(0.0f, 0.0f, 0.0f, 1.0f); // silent volumes play nothing
    audio.generateSingleTrack();
    EXPECT_TRUE(audio.singleTrack && voices.slots[3].sounds == 0);
}

TEST_F(AudioManager, BubbleModesCountsAndIdenticalRebuilds) {
    chosen = "B"; // 132609 frames: a high-bubble factor of one
    ASSERT_EQ(audio.setTrickleSound(0), 0);
    EXPECT_FLOAT_EQ(audio.highBubbleFactor, 0.99999995f);
    auto mode = [&](char const* what, int track, int mode, int inForce, int bubbles, float pitch) {
        SCOPED_TRACE(what);
        std::vector<uint8_t> before = bytesOf(audio.tracks[track]);
        EXPECT_EQ(track ? audio.setHiBubbles(mode) : audio.setLowBubbles(mode), inForce);
        EXPECT_EQ(audio.bubblesWritten, bubbles);
        EXPECT_FLOAT_EQ(audio.bubbleDefs[track][0], pitch);
        EXPECT_EQ(audio.tracks[track].frames(), 132609);
        if (mode < 0) EXPECT_EQ(bytesOf(audio.tracks[track]), before) << "the same track again";
    };
    mode("low mode 0", 0, 0, 0, 30, 1.0f);
    mode("low mode 1", 0, 1, 1, 18, 0.6f);
    mode("modes count modulo 2", 0, 2, 0, 30, 1.0f);
    mode("high mode 0: 59.999997 asked, 60 written", 1, 0, 0, 60, 2.0f);
    mode("high mode 1", 1, 1, 1, 55, 1.5f);
    mode("a negative mode keeps the definitions in force", 1, -1, 1, 55, 1.5f);
}

TEST_F(AudioManager, BubbleSourcesThatCannotServe) {
    ASSERT_EQ(audio.setTrickleSound(0), 0);
    CaudioSample lonely; // its only loud part is its first stretch: no grains
    makeSample16(lonely, burstValues(1, 300, 400), 1);
    folder.write(lonely, "hibubbles5.chan");
    audio.setLowBubbles(0);
    EXPECT_TRUE(audio.bubblesWritten == 0 && exitSaver == 0);
    std::filesystem::remove(folder.path("hibubbles5.chan"));
    CaudioManagerNew without;
    without.addTrickleSound("A", "short.chan");
    without.setTrickleSound(0);
    without.setLowBubbles(0);
    EXPECT_NE(std::strstr(exitMsg.c_str(), "couldn't open sample!"), nullptr);
}

TEST_F(AudioManager, SingleTrackMixesFadesAndHandsOver) {
    chosen = "B";
    audio.defineIndividualVolumes(0.5f, 0.25f, 0.125f, 0.8f); // trickle, high, low, master
    ASSERT_EQ(audio.generateSingleTrack(), 0);
    int16_t const *m = audio.tracks[3].values16(), *t = audio.tracks[2].values16();
    int16_t const *lo = audio.tracks[0].values16(), *hi = audio.tracks[1].values16();
    int k = 132609; // the middle, untouched by the fades; the first value is faded in
    EXPECT_TRUE(m[k] == int16_t(int(t[k] * 0.5f) + int(lo[k] * 0.125f) + int(hi[k] * 0.25f)) && m[0] == 0);
    EXPECT_TRUE(voices.slots[3].image == voices.slots[4].image &&
                voices.slots[3].image.size() == 44 + 132609 * 4);
    EXPECT_TRUE(voices.slots[3].playing && !voices.slots[4].playing && voices.slots[4].volume == 0.0f);
    audio.generateSingleTrack();
    EXPECT_EQ(voices.slots[3].sounds, 1) << "already in single-track mode";
    auto handOver = [&](char const* what, float secondsLeft, bool playing, int current, int after) {
        SCOPED_TRACE(what);
        audio.currentPlayer = current;
        for (int p : {3, 4})
            voices.slots[p].secondsLeft = secondsLeft, voices.slots[p].playing = playing,
            voices.slots[p].replays = 0;
        audio.managePlaybackStaggering();
        EXPECT_EQ(audio.currentPlayer, after);
        EXPECT_EQ(voices.slots[after].replays, after != current);
    };
    handOver("1.02 s left and playing: nothing", 1.02f, true, 3, 3);
    handOver("1.0 s left: the other takes over from its start", 1.0f, true, 3, 4);
    handOver("stopped: the other takes over", 3.0f, false, 4, 3);
    audio.fadeVolume(0.5f);
    EXPECT_EQ(voices.slots[4].volume, 0.8f * 0.5f);

    ASSERT_EQ(audio.multiTrackMode(), 0);
    EXPECT_TRUE(voices.slots[0].playing && voices.slots[1].playing && voices.slots[2].playing);
    EXPECT_FALSE(voices.slots[3].sound || voices.slots[4].sound);
    audio.setAllTrackVolumes();
    EXPECT_TRUE(voices.slots[0].volume == 0.125f * 0.8f && voices.slots[2].volume == 0.5f * 0.8f);
    audio.multiTrackMode(); // already in multi-track mode: nothing
    audio.refreshPlayerSample(2);
    EXPECT_TRUE(voices.slots[0].sounds == 1 && voices.slots[2].sounds == 2);
}
