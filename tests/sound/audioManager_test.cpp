#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "sound/audioManager.h"
#include "sound/libcRandom.h"
#include "soundTestSupport.h"
#include "support/cerr.h"

namespace {

// A stereo trickle of n frames: a ramp, so every frame differs.
void writeTrickle(ScopedSoundFolder& folder, char const* file, int n, int bytes = 2) {
    CaudioSample s;
    ASSERT_EQ(s.init(n, 2, bytes, 22050), 0);
    for (int k = 0; k < n * 2; k++) {
        if (bytes == 2)
            s.values16()[k] = int16_t((k * 7) % 20000 - 10000);
        else
            s.mem->data[k] = static_cast<unsigned char>(k % 256);
    }
    folder.write(s, file);
}

// The bubble recording: a lead-in and twelve bursts, so eleven grains.
void writeBubbleSource(ScopedSoundFolder& folder) {
    CaudioSample s;
    makeSample16(s, burstValues(13, 300, 40), 1);
    folder.write(s, "hibubbles5.chan");
}

std::vector<uint8_t> trackBytes(CaudioSample const& s) {
    return std::vector<uint8_t>(s.dataBlock(), s.dataBlock() + s.dataBytes());
}

class AudioManager : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        writeBubbleSource(folder);
        writeTrickle(folder, "short.chan", 3000);
        writeTrickle(folder, "long.chan", 132609);
        writeTrickle(folder, "eight.chan", 500, 1);
    }
    void TearDown() override { resetExitState(); }
    // Registers A (short), B (long) and C (8-bit) and chooses by the kept name.
    void registerThree() {
        ASSERT_EQ(audio.addTrickleSound("A", "short.chan"), 0);
        ASSERT_EQ(audio.addTrickleSound("B", "long.chan"), 0);
        ASSERT_EQ(audio.addTrickleSound("C", "eight.chan"), 0);
        audio.keepTrickleName(&chosen);
    }

    ScopedSoundFolder folder;
    CrecordingVoices voices;
    CaudioManagerNew audio;
    Cstring chosen;
};

} // namespace

TEST_F(AudioManager, TrickleLoopsAreChosenByName) {
    EXPECT_EQ(audio.addTrickleSound("X", "missing.chan"), 1);
    registerThree();
    EXPECT_EQ(audio.findSoundIndex("B"), 1);
    EXPECT_EQ(audio.findSoundIndex("X"), -1);
    struct Step {
        char const* what;
        int advance;
        char const* nameBefore; // null: as left by the step before
        int result;
        char const* nameAfter;
        int frames;
    };
    Step steps[] = {
        {"a saved name is found again", 0, "B", 0, "B", 132609},
        {"the chosen path stays while it is set", 0, "A", 0, "A", 132609},
        {"advancing goes to the next", 1, "B", 0, "C", 500},
        {"advancing from the last wraps to the first", 1, nullptr, 0, "A", 3000},
        {"advancing from a name not in the list takes the first", 1, "nobody", 0, "A", 3000},
    };
    for (Step const& s : steps) {
        SCOPED_TRACE(s.what);
        if (s.nameBefore) chosen = s.nameBefore;
        EXPECT_EQ(audio.setTrickleSound(s.advance), s.result);
        EXPECT_STREQ(chosen.c_str(), s.nameAfter);
        CaudioSample const& track = audio.tracks[CaudioManagerNew::kTrickle];
        EXPECT_EQ(track.frames(), s.frames);
        EXPECT_EQ(track.bytesPerSample(), 2) << "trickles are mixed as 16-bit values";
        EXPECT_FLOAT_EQ(audio.highBubbleFactor, s.frames * 7.540966e-6f);
    }
}

TEST_F(AudioManager, NoTrickleLeavesEveryTrackEmpty) {
    EXPECT_EQ(audio.setTrickleSound(0), 1);
    EXPECT_EQ(audio.setTrickleSound(1), 1);
    EXPECT_FALSE(audio.tracks[CaudioManagerNew::kTrickle].hasData());
    audio.setHiBubbles(0);
    EXPECT_FALSE(audio.tracks[CaudioManagerNew::kHighBubbles].hasData());
    audio.defineIndividualVolumes(0.2f, 0.2f, 0.2f, 1.0f);
    audio.generateSingleTrack();
    EXPECT_EQ(audio.currentPlayer, -1) << "nothing to play";
    EXPECT_EQ(audio.singleTrack, 1);
    EXPECT_EQ(exitSaver, 0);
}

TEST_F(AudioManager, BubbleModesPickDefinitionsAndCounts) {
    registerThree();
    chosen = "B"; // 132609 frames: one high-bubble factor
    ASSERT_EQ(audio.setTrickleSound(0), 0);
    EXPECT_FLOAT_EQ(audio.highBubbleFactor, 0.99999995f);
    struct Case {
        char const* what;
        int track, mode, inForce, bubbles;
        float pitch;
    };
    Case cases[] = {
        {"low mode 0", 0, 0, 0, 30, 1.0f},
        {"low mode 1", 0, 1, 1, 18, 0.6f},
        {"a mode counts modulo 2", 0, 2, 0, 30, 1.0f},
        {"high mode 0: 59.999997 bubbles asked, 60 written", 1, 0, 0, 60, 2.0f},
        {"high mode 1", 1, 1, 1, 55, 1.5f},
        {"a negative mode keeps the definitions in force", 1, -1, 1, 55, 1.5f},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        int inForce = c.track == 0 ? audio.setLowBubbles(c.mode) : audio.setHiBubbles(c.mode);
        EXPECT_EQ(inForce, c.inForce);
        EXPECT_EQ(audio.bubblesWritten, c.bubbles);
        EXPECT_FLOAT_EQ(audio.bubbleDefs[c.track][0], c.pitch);
        CaudioSample const& track = audio.tracks[c.track];
        EXPECT_EQ(track.frames(), 132609);
        EXPECT_EQ(track.channels(), 2);
        EXPECT_EQ(track.sampleRate, 22050);
    }
}

TEST_F(AudioManager, RebuildsAreIdenticalAndBubblesLandOnBothSides) {
    registerThree();
    ASSERT_EQ(audio.setTrickleSound(0), 0);
    audio.setLowBubbles(0);
    std::vector<uint8_t> first = trackBytes(audio.tracks[0]);
    audio.rebuildBubbleTrack(0);
    EXPECT_EQ(trackBytes(audio.tracks[0]), first);
    CaudioManagerNew other;
    other.keepTrickleName(&chosen);
    other.addTrickleSound("A", "short.chan");
    other.setTrickleSound(0);
    other.setLowBubbles(0);
    EXPECT_EQ(trackBytes(other.tracks[0]), first) << "another manager builds the same track";
    int16_t const* v = audio.tracks[0].values16();
    int left = 0, right = 0;
    for (int k = 0; k < audio.tracks[0].frames(); k++) {
        left += v[2 * k] != 0;
        right += v[2 * k + 1] != 0;
    }
    EXPECT_GT(left, 1000);
    EXPECT_GT(right, 1000);
}

TEST_F(AudioManager, BubbleSourcesThatCannotServeStopOrStaySilent) {
    registerThree();
    ASSERT_EQ(audio.setTrickleSound(0), 0);
    // A recording whose only loud part is its first stretch has no grains.
    CaudioSample lonely;
    makeSample16(lonely, burstValues(1, 300, 400), 1);
    folder.write(lonely, "hibubbles5.chan");
    audio.setLowBubbles(0);
    EXPECT_EQ(audio.bubblesWritten, 0);
    EXPECT_TRUE(audio.tracks[0].hasData());
    EXPECT_EQ(exitSaver, 0);

    std::filesystem::remove(folder.path("hibubbles5.chan"));
    CaudioManagerNew without;
    without.addTrickleSound("A", "short.chan");
    without.setTrickleSound(0);
    without.setLowBubbles(0);
    EXPECT_EQ(exitSaver, 1);
    EXPECT_NE(std::strstr(exitMsg.c_str(), "couldn't open sample!"), nullptr);
}

TEST_F(AudioManager, SingleTrackMixesFadesAndStartsOnce) {
    registerThree();
    writeTrickle(folder, "three.chan", 22050 * 3);
    audio.addTrickleSound("D", "three.chan");
    chosen = "D";
    audio.defineIndividualVolumes(0.5f, 0.25f, 0.125f, 0.8f);
    ASSERT_EQ(audio.generateSingleTrack(), 0);
    CaudioSample const& mix = audio.tracks[CaudioManagerNew::kSingleTrack];
    ASSERT_EQ(mix.frames(), 22050 * 3);
    int16_t const* m = mix.values16();
    int16_t const* t = audio.tracks[2].values16();
    int16_t const* lo = audio.tracks[0].values16();
    int16_t const* hi = audio.tracks[1].values16();
    int mid = 22050 * 3; // a value of the middle second, untouched by the fades
    EXPECT_EQ(m[mid], int16_t(int(t[mid] * 0.5f) + int(lo[mid] * 0.125f) + int(hi[mid] * 0.25f)));
    EXPECT_EQ(m[0], 0) << "faded in";
    EXPECT_EQ(voices.slots[3].image, voices.slots[4].image);
    EXPECT_EQ(voices.slots[3].image.size(), 44u + 22050u * 3u * 4u);
    EXPECT_EQ(voices.slots[3].volume, 0.0f);
    EXPECT_EQ(voices.slots[4].volume, 0.0f);
    EXPECT_TRUE(voices.slots[3].playing);
    EXPECT_FALSE(voices.slots[4].playing);
    EXPECT_EQ(audio.currentPlayer, 3);
    int sounds = voices.slots[3].sounds;
    audio.generateSingleTrack();
    EXPECT_EQ(voices.slots[3].sounds, sounds) << "already in single-track mode";

    ASSERT_EQ(audio.multiTrackMode(), 0);
    EXPECT_EQ(audio.singleTrack, 0);
    for (int i = 0; i < 3; i++) {
        EXPECT_TRUE(voices.slots[i].playing) << "player " << i;
        EXPECT_EQ(voices.slots[i].image.size(), 44u + size_t(audio.tracks[i].dataBytes()));
    }
    EXPECT_FALSE(voices.slots[3].hasSound);
    EXPECT_FALSE(voices.slots[4].hasSound);
    std::string log = voices.log;
    audio.multiTrackMode();
    EXPECT_EQ(voices.log, log) << "already in multi-track mode";
}

TEST_F(AudioManager, SilentVolumesPlayNothing) {
    registerThree();
    audio.defineIndividualVolumes(0.0f, 0.0f, 0.0f, 1.0f);
    audio.generateSingleTrack();
    EXPECT_EQ(audio.singleTrack, 1);
    EXPECT_EQ(audio.currentPlayer, -1);
    EXPECT_EQ(voices.slots[3].sounds, 0);
}

TEST_F(AudioManager, OnePlayerHandsOverToTheOtherBeforeItsEnd) {
    registerThree();
    audio.defineIndividualVolumes(0.2f, 0.2f, 0.2f, 0.5f);
    audio.generateSingleTrack();
    struct Case {
        char const* what;
        float secondsLeft;
        bool playing;
        int current, after;
        int replaysOfAfter;
    };
    Case cases[] = {
        {"1.02 s left and playing: nothing", 1.02f, true, 3, 3, 0},
        {"1.0 s left: the other takes over from its start", 1.0f, true, 3, 4, 1},
        {"stopped with time left: the other takes over", 3.0f, false, 4, 3, 1},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        audio.currentPlayer = c.current;
        for (int p : {3, 4}) {
            voices.slots[p].secondsLeft = c.secondsLeft;
            voices.slots[p].playing = c.playing;
            voices.slots[p].replays = 0;
        }
        audio.managePlaybackStaggering();
        EXPECT_EQ(audio.currentPlayer, c.after);
        EXPECT_EQ(voices.slots[c.after].replays, c.replaysOfAfter);
    }
    audio.multiTrackMode();
    audio.currentPlayer = 3;
    voices.slots[3].playing = false;
    audio.managePlaybackStaggering();
    EXPECT_EQ(audio.currentPlayer, 3) << "multi-track mode hands nothing over";
}

TEST_F(AudioManager, VolumesReachTheirPlayers) {
    audio.defineIndividualVolumes(0.5f, 0.25f, 0.125f, 0.8f); // trickle, high, low, master
    audio.fadeVolume(0.5f);
    audio.setAllTrackVolumes();
    float expected[5] = {0.125f * 0.8f, 0.25f * 0.8f, 0.5f * 0.8f, 0.4f, 0.4f};
    for (int p = 0; p < 5; p++)
        EXPECT_FLOAT_EQ(voices.slots[p].volume, expected[p]) << "player " << p;
}

TEST_F(AudioManager, RefreshingAPlayerGivesItsTrackAgainAndPlays) {
    registerThree();
    audio.setTrickleSound(0);
    audio.refreshPlayerSample(2);
    EXPECT_EQ(voices.slots[2].image.size(), 44u + 3000u * 4u);
    EXPECT_TRUE(voices.slots[2].playing);
    audio.refreshPlayerSample(7); // no such player: nothing
}

TEST(AudioManagerWithoutVoices, RunsSilently) {
    ScopedSoundFolder folder;
    writeBubbleSource(folder);
    writeTrickle(folder, "short.chan", 3000);
    ASSERT_EQ(soundDelegate, nullptr);
    {
        CaudioManagerNew audio;
        audio.addTrickleSound("A", "short.chan");
        audio.setTrickleSound(0);
        audio.setLowBubbles(0);
        audio.setHiBubbles(0);
        audio.defineIndividualVolumes(0.2f, 0.2f, 0.2f, 0.5f);
        audio.generateSingleTrack();
        audio.fadeVolume(1.0f);
        for (int frame = 0; frame < 3; frame++)
            audio.managePlaybackStaggering();
        EXPECT_TRUE(audio.tracks[CaudioManagerNew::kSingleTrack].hasData());
    }
    EXPECT_EQ(exitSaver, 0);
}

TEST(LibcRandom, FollowsTheCLibrarySequence) {
    for (unsigned seed : {0u, 1u, 12345u}) {
        SCOPED_TRACE(seed);
        std::srand(seed);
        ClibcRandom ours(seed);
        for (int k = 0; k < 2000; k++)
            ASSERT_EQ(ours.next(), std::rand()) << "draw " << k;
    }
}
