#include <gtest/gtest.h>

#include <cstring>

#include "sound/soundPlayer.h"
#include "soundTestSupport.h"

namespace {

uint32_t le(std::vector<uint8_t> const& b, size_t at, int bytes) {
    uint32_t v = 0;
    for (int k = bytes - 1; k >= 0; k--)
        v = (v << 8) | b[at + size_t(k)];
    return v;
}

} // namespace

TEST(SoundPlayer, WaveImagesCarryTheSampleBehindA44ByteHeader) {
    struct Case {
        char const* what;
        int frames, channels, bytes, rate;
        uint32_t byteRate, blockAlign, bits;
    };
    for (Case c : {Case{"stereo 16-bit", 5, 2, 2, 22050, 88200, 4, 16},
                   Case{"mono 8-bit", 7, 1, 1, 11025, 11025, 1, 8},
                   Case{"mono 16-bit", 3, 1, 2, 44100, 88200, 2, 16}}) {
        SCOPED_TRACE(c.what);
        CaudioSample s;
        ASSERT_EQ(s.init(c.frames, c.channels, c.bytes, c.rate), 0);
        for (int k = 0; k < s.dataBytes(); k++)
            s.mem->data[k] = static_cast<unsigned char>(k * 13);
        std::vector<uint8_t> image = buildWaveImage(s);
        uint32_t dataSize = uint32_t(c.frames * c.channels * c.bytes);
        ASSERT_EQ(image.size(), 44u + dataSize);
        EXPECT_EQ(std::memcmp(image.data(), "RIFF", 4), 0);
        EXPECT_EQ(le(image, 4, 4), dataSize + 36);
        EXPECT_EQ(std::memcmp(image.data() + 8, "WAVEfmt ", 8), 0);
        EXPECT_EQ(le(image, 16, 4), 16u);
        EXPECT_EQ(le(image, 20, 2), 1u);
        EXPECT_EQ(le(image, 22, 2), uint32_t(c.channels));
        EXPECT_EQ(le(image, 24, 4), uint32_t(c.rate));
        EXPECT_EQ(le(image, 28, 4), c.byteRate);
        EXPECT_EQ(le(image, 32, 2), c.blockAlign);
        EXPECT_EQ(le(image, 34, 2), c.bits);
        EXPECT_EQ(std::memcmp(image.data() + 36, "data", 4), 0);
        EXPECT_EQ(le(image, 40, 4), dataSize);
        EXPECT_EQ(std::memcmp(image.data() + 44, s.dataBlock(), dataSize), 0);
    }
}

TEST(SoundPlayer, HandedOverSoundsWaitSilentlyForPlay) {
    CaudioSample s;
    makeSample16(s, {1, 2, 3, 4}, 2);
    CrecordingVoices voices;
    {
        CsoundPlayer player;
        player.slot = 3;
        voices.slots[3].volume = 0.7f;
        EXPECT_EQ(player.setSample(s), 0);
        auto const& slot = voices.slots[3];
        EXPECT_EQ(slot.frees, 1) << "the old sound goes first";
        EXPECT_EQ(slot.image, buildWaveImage(s));
        EXPECT_EQ(slot.volume, 0.0f);
        EXPECT_EQ(slot.pauses, 1);
        EXPECT_FALSE(player.isPlaying());
        player.Play();
        EXPECT_TRUE(player.isPlaying());

        voices.refuseSounds = 1;
        voices.slots[3].volume = 0.7f;
        player.setSample(s);
        EXPECT_EQ(slot.volume, 0.7f) << "no sound was made: nothing to silence";
        EXPECT_EQ(player.secondsLeftToPlay(), 0.0f);
    }
    EXPECT_EQ(voices.slots[3].frees, 3) << "a player lets its slot go when it goes";
}

TEST(SoundPlayer, WithoutVoicesEveryCallIsQuiet) {
    ASSERT_EQ(soundDelegate, nullptr);
    CaudioSample s;
    makeSample16(s, {1, 2}, 1);
    CsoundPlayer player;
    EXPECT_EQ(player.setSample(s), 0);
    EXPECT_EQ(player.Play(), 0);
    EXPECT_EQ(player.replay(), 0);
    player.SetVolume(1.0f);
    EXPECT_FALSE(player.isPlaying());
    EXPECT_EQ(player.secondsLeftToPlay(), 0.0f);
}
