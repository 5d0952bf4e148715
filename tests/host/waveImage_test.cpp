#include <gtest/gtest.h>

#include <cstring>

#include "host/soundOutput.h"

namespace {

// A valid hand-over image: stereo 16-bit 22050 Hz, two frames.
std::vector<uint8_t> goodImage() {
    std::vector<uint8_t> b(44 + 8, 0);
    auto put = [&](size_t at, uint32_t v, int bytes) {
        for (int k = 0; k < bytes; k++)
            b[at + size_t(k)] = uint8_t(v >> (8 * k));
    };
    std::memcpy(b.data(), "RIFF", 4);
    put(4, 8 + 36, 4);
    std::memcpy(b.data() + 8, "WAVEfmt ", 8);
    put(16, 16, 4);
    put(20, 1, 2);
    put(22, 2, 2);
    put(24, 22050, 4);
    put(28, 88200, 4);
    put(32, 4, 2);
    put(34, 16, 2);
    std::memcpy(b.data() + 36, "data", 4);
    put(40, 8, 4);
    return b;
}

void put(std::vector<uint8_t>& b, size_t at, uint32_t v, int bytes) {
    for (int k = 0; k < bytes; k++)
        b[at + size_t(k)] = uint8_t(v >> (8 * k));
}

} // namespace

TEST(WaveImage, TheHandOverLayoutReadsBack) {
    std::vector<uint8_t> b = goodImage();
    CwaveImage wave;
    Cstring why;
    ASSERT_EQ(readWaveImage(b.data(), b.size(), wave, why), 0) << why;
    EXPECT_EQ(wave.channels, 2);
    EXPECT_EQ(wave.sampleRate, 22050);
    EXPECT_EQ(wave.bitsPerSample, 16);
    EXPECT_EQ(wave.data, b.data() + 44);
    EXPECT_EQ(wave.dataBytes, 8u);
    b.push_back(0); // bytes after the data are not read
    EXPECT_EQ(readWaveImage(b.data(), b.size(), wave, why), 0);
}

TEST(WaveImage, MalformedImagesAreRefusedWithAReason) {
    struct Case {
        char const* what;
        void (*spoil)(std::vector<uint8_t>&);
    };
    Case cases[] = {
        {"shorter than a header", [](std::vector<uint8_t>& b) { b.resize(43); }},
        {"empty", [](std::vector<uint8_t>& b) { b.clear(); }},
        {"not RIFF", [](std::vector<uint8_t>& b) { b[0] = 'X'; }},
        {"not WAVE", [](std::vector<uint8_t>& b) { b[8] = 'X'; }},
        {"no format chunk", [](std::vector<uint8_t>& b) { b[12] = 'X'; }},
        {"an extended format chunk", [](std::vector<uint8_t>& b) { put(b, 16, 18, 4); }},
        {"compressed", [](std::vector<uint8_t>& b) { put(b, 20, 3, 2); }},
        {"no channels", [](std::vector<uint8_t>& b) { put(b, 22, 0, 2); }},
        {"three channels", [](std::vector<uint8_t>& b) { put(b, 22, 3, 2); }},
        {"24 bits", [](std::vector<uint8_t>& b) { put(b, 34, 24, 2); }},
        {"no rate", [](std::vector<uint8_t>& b) { put(b, 24, 0, 4); }},
        {"a wrong byte rate", [](std::vector<uint8_t>& b) { put(b, 28, 88201, 4); }},
        {"a wrong block align", [](std::vector<uint8_t>& b) { put(b, 32, 2, 2); }},
        {"no data chunk", [](std::vector<uint8_t>& b) { b[36] = 'X'; }},
        {"data past the end", [](std::vector<uint8_t>& b) { put(b, 40, 12, 4); }},
        {"a data size near 4 GB", [](std::vector<uint8_t>& b) { put(b, 40, 0xFFFFFFFC, 4); }},
        {"half a frame", [](std::vector<uint8_t>& b) { put(b, 40, 6, 4); }},
        {"a RIFF size that disagrees", [](std::vector<uint8_t>& b) { put(b, 4, 100, 4); }},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<uint8_t> b = goodImage();
        c.spoil(b);
        CwaveImage wave;
        Cstring why;
        EXPECT_EQ(readWaveImage(b.data(), b.size(), wave, why), 1);
        EXPECT_FALSE(why.empty());
        EXPECT_EQ(wave.data, nullptr);
    }
    CwaveImage wave;
    Cstring why;
    EXPECT_EQ(readWaveImage(nullptr, 100, wave, why), 1);
}
