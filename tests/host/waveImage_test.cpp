#include <gtest/gtest.h>

#include "host/soundOutput.h"
#include "sound/audioSample.h"
#include "sound/soundPlayer.h"

// A sample's hand-over image reads back (stereo 16-bit 22050 Hz: 44 + 4 n bytes, byte rate 88200,
// block align 4); spoilt images are refused with a reason.
TEST(WaveImage, HandOverImagesReadBackAndMalformedOnesAreRefused) {
    CaudioSample s, mono;
    ASSERT_EQ(s.init(2, 2, 2, 22050) + mono.init(3, 1, 1, 11025), 0);
    s.values16()[3] = -2;
    std::vector<uint8_t> good = buildWaveImage(s), eight = buildWaveImage(mono);
    CwaveImage wave;
    Cstring why;
    ASSERT_EQ(readWaveImage(eight.data(), eight.size(), wave, why), 0) << why;
    EXPECT_TRUE(eight.size() == 47 && wave.channels == 1 && wave.sampleRate == 11025 &&
                wave.bitsPerSample == 8);
    ASSERT_EQ(readWaveImage(good.data(), good.size(), wave, why), 0) << why;
    EXPECT_TRUE(good.size() == 52 && wave.channels == 2 && wave.sampleRate == 22050 &&
                wave.bitsPerSample == 16 && wave.data == good.data() + 44 && wave.dataBytes == 8u &&
                good[50] == 0xFE && good[51] == 0xFF);
    EXPECT_TRUE(good[28] == 0x88 && good[29] == 0x58 && good[30] == 1 && good[32] == 4) << "88200 and 4";
    struct Spoil {
        char const* what;
        size_t at;
        uint32_t value;
        int bytes; // 0: the image is cut to `at` bytes
    } spoils[] = {
        {"shorter than a header", 43, 0, 0},
        {"not RIFF", 0, 'X', 1},
        {"not WAVE", 8, 'X', 1},
        {"no format chunk", 12, 'X', 1},
        {"an extended format chunk", 16, 18, 4},
        {"compressed", 20, 3, 2},
        {"no channels", 22, 0, 2},
        {"three channels", 22, 3, 2},
        {"24 bits", 34, 24, 2},
        {"no rate", 24, 0, 4},
        {"a wrong byte rate", 28, 88201, 4},
        {"a wrong block align", 32, 2, 2},
        {"no data chunk", 36, 'X', 1},
        {"data past the end", 40, 12, 4},
        {"a data size near 4 GB", 40, 0xFFFFFFFC, 4},
        {"half a frame", 40, 6, 4},
        {"a RIFF size that disagrees", 4, 100, 4},
    };
    for (Spoil const& c : spoils) {
        std::vector<uint8_t> b = good;
        if (c.bytes == 0) b.resize(c.at);
        for (int k = 0; k < c.bytes; k++)
            b[c.at + size_t(k)] = uint8_t(c.value >> (8 * k));
        EXPECT_TRUE(readWaveImage(b.data(), b.size(), wave, why) == 1 && !why.empty() && !wave.data)
            << c.what;
    }
}
