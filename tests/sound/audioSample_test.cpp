#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "soundTestSupport.h"
#include "support/cerr.h"

namespace {

// What a grain value s added to d becomes in copyTo.
int16_t mixed(double s, double d = 0.0) {
    double v = std::clamp((s + d) / 32768.0, -1.0, 1.0);
    return int16_t(v * 32767.0);
}

std::string fileBytes(CaudioSample& s) {
    std::ostringstream out;
    s.saveTree(nullptr, 1, &out);
    return out.str();
}

} // namespace

TEST(AudioSample, EightBitValuesBecomeSixteenBitAroundSilence) {
    CaudioSample s;
    ASSERT_EQ(s.init(4, 1, 1, 22050), 0);
    unsigned char const in[] = {0, 127, 255, 1};
    std::copy(in, in + 4, s.mem->data);
    s.convertTo16bit();
    ASSERT_EQ(s.bytesPerSample(), 2);
    EXPECT_EQ(s.frames(), 4);
    EXPECT_EQ(s.sampleRate, 22050);
    std::vector<int16_t> got(s.values16(), s.values16() + 4);
    EXPECT_EQ(got, (std::vector<int16_t>{-32385, 0, 32640, -32130}));
    s.convertTo16bit(); // already 16-bit: unchanged
    EXPECT_EQ(s.values16()[2], 32640);
    CaudioSample empty;
    empty.convertTo16bit();
    EXPECT_FALSE(empty.hasData());
}

TEST(AudioSample, GrainMixesWrapClampAndInterpolate) {
    struct Case {
        char const* what;
        std::vector<int16_t> source;
        int sourceChannels, destFrames, destChannels, at, channel, start, length;
        float gain, step, fade;
        int16_t before;                                // every destination value before the mix
        std::vector<std::pair<int, int16_t>> expected; // destination index, value
    };
    std::vector<Case> cases = {
        {"placed on the last frame, the grain finishes at the track's start",
         {1000, 2000, 3000},
         1,
         10,
         2,
         9,
         0,
         0,
         3,
         1.0f,
         1.0f,
         0.0f,
         0,
         {{18, mixed(1000)}, {0, mixed(2000)}, {2, mixed(3000)}, {19, 0}, {1, 0}}},
        {"two full-scale grains clamp at the top",
         {32767, 32767},
         1,
         4,
         1,
         1,
         0,
         0,
         2,
         1.0f,
         1.0f,
         0.0f,
         32767,
         {{1, 32767}, {2, 32767}, {0, 32767}}},
        {"half steps interpolate and the last frame holds",
         {0, 1000, 2000},
         1,
         8,
         1,
         0,
         0,
         0,
         3,
         1.0f,
         0.5f,
         0.0f,
         0,
         {{0, 0},
          {1, mixed(500)},
          {2, mixed(1000)},
          {3, mixed(1500)},
          {4, mixed(2000)},
          {5, mixed(2000)},
          {6, 0}}},
        {"a fade lowers the grain towards its end",
         {4000, 4000},
         1,
         2,
         1,
         0,
         0,
         0,
         2,
         0.5f,
         1.0f,
         1.0f,
         0,
         {{0, mixed(2000)}, {1, mixed(1000)}}},
        {"the right channel of a stereo source goes to the right channel",
         {100, -100, 200, -200},
         2,
         2,
         2,
         0,
         1,
         0,
         2,
         1.0f,
         1.0f,
         0.0f,
         0,
         {{0, 0}, {1, mixed(-100)}, {3, mixed(-200)}}},
        {"a grain starting later reads from its own start",
         {5, 6, 700, 800},
         1,
         2,
         1,
         0,
         0,
         2,
         2,
         1.0f,
         1.0f,
         0.0f,
         0,
         {{0, mixed(700)}, {1, mixed(800)}}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        CaudioSample src, dest;
        makeSample16(src, c.source, c.sourceChannels);
        ASSERT_EQ(dest.init(c.destFrames, c.destChannels, 2, 22050), 0);
        std::fill(dest.values16(), dest.values16() + c.destFrames * c.destChannels, c.before);
        ASSERT_EQ(src.copyTo(dest, c.at, c.channel, c.start, c.length, c.gain, c.step, c.fade), 0);
        for (auto [index, value] : c.expected)
            EXPECT_EQ(dest.values16()[index], value) << "value " << index;
    }
}

TEST(AudioSample, GrainMixesThatCannotWorkAreRefused) {
    CaudioSample src, dest, empty, eightBit;
    makeSample16(src, {100, 200, 300}, 1);
    ASSERT_EQ(dest.init(4, 1, 2, 22050), 0);
    ASSERT_EQ(eightBit.init(3, 1, 1, 22050), 0);
    struct Case {
        char const* what;
        CaudioSample* from;
        int channel, start, length;
        float step;
    };
    for (Case c : {Case{"no data", &empty, 0, 0, 3, 1.0f}, Case{"8-bit source", &eightBit, 0, 0, 3, 1.0f},
                   Case{"a step that never advances", &src, 0, 0, 3, 0.0f},
                   Case{"a backward step", &src, 0, 0, 3, -1.0f}, Case{"a step of NaN", &src, 0, 0, 3, NAN},
                   Case{"a channel the track lacks", &src, 1, 0, 3, 1.0f},
                   Case{"a grain past the source", &src, 0, 3, 3, 1.0f}}) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.from->copyTo(dest, 0, c.channel, c.start, c.length, 1.0f, c.step, 0.0f), 1);
        EXPECT_EQ(std::count(dest.values16(), dest.values16() + 4, 0), 4);
    }
    EXPECT_EQ(exitSaver, 0) << "a refused mix is no reason to stop";
}

TEST(AudioSample, StraightMixesAddWithoutClamping) {
    struct Case {
        char const* what;
        std::vector<int16_t> source;
        int sourceChannels, destFrames, destChannels, at;
        float gain;
        int16_t before;
        std::vector<int16_t> expected;
    };
    std::vector<Case> cases = {
        {"full scale twice wraps around", {30000, 30000}, 1, 2, 1, 0, 1.0f, 30000, {-5536, -5536}},
        {"gain, truncated towards zero", {1001, -1001}, 1, 2, 1, 0, 0.5f, 20000, {20500, 19500}},
        {"a shorter track takes what fits", {1, 2, 3, 4}, 1, 3, 1, 1, 1.0f, 20000, {20000, 20001, 20002}},
        {"stereo into stereo counts values",
         {1, 2, 3, 4},
         2,
         2,
         2,
         0,
         1.0f,
         20000,
         {20001, 20002, 20003, 20004}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        CaudioSample src, dest;
        makeSample16(src, c.source, c.sourceChannels);
        ASSERT_EQ(dest.init(c.destFrames, c.destChannels, 2, 22050), 0);
        std::fill(dest.values16(), dest.values16() + c.destFrames * c.destChannels, c.before);
        ASSERT_EQ(src.copyStraightTo(dest, c.at, c.gain), 0);
        std::vector<int16_t> got(dest.values16(), dest.values16() + c.destFrames * c.destChannels);
        EXPECT_EQ(got, c.expected);
    }
    CaudioSample src, dest;
    makeSample16(src, {1}, 1);
    ASSERT_EQ(dest.init(2, 1, 2, 22050), 0);
    EXPECT_EQ(src.copyStraightTo(dest, 2, 1.0f), 1) << "past the end";
    EXPECT_EQ(src.copyStraightTo(dest, -1, 1.0f), 1) << "before the start";
}

TEST(AudioSample, FadesTouchOneSecondOfValuesAtEachEnd) {
    CaudioSample s;
    ASSERT_EQ(s.init(22050 * 3, 2, 2, 22050), 0);
    int16_t* v = s.values16();
    int n = s.frames() * 2;
    std::fill(v, v + n, int16_t(10000));
    ASSERT_EQ(s.fadeEnd(0, 1.0f), 0);
    ASSERT_EQ(s.fadeEnd(1, 1.0f), 0);
    EXPECT_EQ(v[0], 0);
    EXPECT_LT(v[44099], 10000);
    EXPECT_GT(v[44099], 9990);
    EXPECT_EQ(v[44100], 10000);
    EXPECT_EQ(v[n - 44100], 10000) << "the fade-out starts at full level";
    EXPECT_LT(v[n - 44099], 10000);
    EXPECT_EQ(v[n - 1], int16_t(10000 * std::sqrt(1.0 / 44100)));
    // Equal power: halfway through the fade-in the level is sqrt(1/2).
    EXPECT_NEAR(v[22050], 10000 * std::sqrt(0.5), 2);

    CaudioSample shortTrack, eightBit;
    makeSample16(shortTrack, std::vector<int16_t>(100, 10000), 2);
    EXPECT_EQ(shortTrack.fadeEnd(1, 1.0f), 0) << "a fade longer than the track fades all of it";
    EXPECT_EQ(shortTrack.values16()[0], 10000);
    EXPECT_NEAR(shortTrack.values16()[99], 10000 * std::sqrt(1.0 / 100), 1);
    ASSERT_EQ(eightBit.init(10, 1, 1, 22050), 0);
    EXPECT_EQ(eightBit.fadeEnd(0, 1.0f), 1);
}

TEST(AudioSample, BreakupCutsGrainsAtSilentGaps) {
    struct Case {
        char const* what;
        std::vector<int16_t> values;
        std::vector<int> starts, lengths;
    };
    std::vector<int16_t> faintGaps = burstValues(4, 400, 50);
    for (size_t k = 0; k < faintGaps.size(); k++)
        if (faintGaps[k] == 0 && k % 3 == 0) faintGaps[k] = 2; // faint, not silent
    std::vector<int16_t> weakMiddle = burstValues(2, 400, 50);
    std::vector<int16_t> weak = burstValues(1, 400, 50, 100), tail = burstValues(2, 400, 50);
    weakMiddle.insert(weakMiddle.end(), weak.begin(), weak.end());
    weakMiddle.insert(weakMiddle.end(), tail.begin(), tail.end());
    std::vector<Case> cases = {
        // The first stretch is never kept; the last frame closes the last grain.
        {"five bursts", burstValues(5, 400, 50), {900, 1350, 1800, 2292}, {399, 399, 442}},
        {"only the first stretch is loud", burstValues(1, 400, 500), {}, {}},
        {"faint values are quiet but not silent", faintGaps, {884, 1334, 1826}, {415, 458}},
        // A stretch too weak to count leaves its start out; the grain before runs over it.
        {"a weak stretch", weakMiddle, {900, 1800, 2292}, {849, 442}},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        CaudioSample s;
        makeSample16(s, c.values, 1);
        std::vector<int> starts, lengths;
        s.breakup(starts, lengths);
        EXPECT_EQ(starts, c.starts);
        EXPECT_EQ(lengths, c.lengths);
    }
}

TEST(AudioSample, SampleFilesReadBack) {
    ScopedSoundFolder folder;
    CaudioSample s, back;
    makeSample16(s, {1, -2, 3, -4, 5, -6}, 2, 11025);
    s.setName("written");
    folder.write(s, "pair.chan");
    ASSERT_EQ(back.loadSample("global/sounds/pair.wav"), 0) << "the suffix is replaced by .chan";
    EXPECT_EQ(back.frames(), 3);
    EXPECT_EQ(back.channels(), 2);
    EXPECT_EQ(back.sampleRate, 11025);
    EXPECT_EQ(std::vector<int16_t>(back.values16(), back.values16() + 6),
              (std::vector<int16_t>{1, -2, 3, -4, 5, -6}));
    // Loading again replaces the sample, children and all.
    int children = back.countChildren();
    ASSERT_EQ(back.loadSample("global/sounds/pair"), 0);
    EXPECT_EQ(back.countChildren(), children);
    EXPECT_EQ(back.loadSample("global/sounds/missing"), 1);
    EXPECT_FALSE(back.hasData());
    EXPECT_EQ(back.sampleRate, 0);
}

TEST(AudioSample, MalformedSampleFilesLoadNothingAndStopNothing) {
    auto valid = [] {
        auto* s = new CaudioSample();
        makeSample16(*s, {10, 20, 30, 40}, 2);
        return s;
    };
    struct Case {
        char const* what;
        void (*spoil)(CaudioSample&);
        std::string (*bytes)(std::string const&);
    };
    auto keep = [](std::string const& b) { return b; };
    std::vector<Case> cases = {
        {"three channels", [](CaudioSample& s) { s.chans = 3; }, keep},
        {"24-bit values", [](CaudioSample& s) { s.dataType = 3; }, keep},
        {"no rate", [](CaudioSample& s) { s.sampleRate = 0; }, keep},
        {"a rate out of range", [](CaudioSample& s) { s.sampleRate = 5000000; }, keep},
        {"more frames than values", [](CaudioSample& s) { s.res[0] = 1000; }, keep},
        {"negative frames", [](CaudioSample& s) { s.res[0] = -4; }, keep},
        {"two dimensions", [](CaudioSample& s) { s.res[1] = 2; }, keep},
        {"no values", [](CaudioSample& s) { s.mem->clearPointer(); }, keep},
        {"not a tree file", [](CaudioSample&) {}, [](std::string const& b) { return "XBT" + b.substr(3); }},
        {"cut short", [](CaudioSample&) {}, [](std::string const& b) { return b.substr(0, b.size() / 2); }},
        {"empty", [](CaudioSample&) {}, [](std::string const&) { return std::string(); }},
        {"a foreign node of an unknown class", [](CaudioSample&) {},
         [](std::string const& b) {
             return b.substr(0, 4) + std::string("\x7e\x01\x00x|", 5) + b.substr(4);
         }},
    };
    for (Case const& c : cases) {
        SCOPED_TRACE(c.what);
        std::unique_ptr<CaudioSample> s(valid());
        c.spoil(*s);
        std::istringstream in(c.bytes(fileBytes(*s)));
        CaudioSample back;
        EXPECT_EQ(back.loadSample(in), 1);
        EXPECT_FALSE(back.hasData());
        EXPECT_EQ(back.frames(), 0);
        EXPECT_EQ(exitSaver, 0);
    }
}

TEST(AudioSample, UtilitiesWorkOnSixteenBitValues) {
    CaudioSample s;
    ASSERT_EQ(s.init(4, 2, 2, 22050), 0);
    s.fill(0.0f);
    EXPECT_EQ(std::vector<int16_t>(s.values16(), s.values16() + 8),
              (std::vector<int16_t>{0, 256, 512, 768, 0, 0, 0, 0}));
    s.values16()[2] = -20001;
    s.values16()[5] = 30000;
    EXPECT_EQ(s.showWave(), 1) << "only the first frame-count values are looked at";
    s.multVolume(0.5f);
    EXPECT_EQ(s.values16()[3], 384);
    EXPECT_EQ(s.values16()[5], 15000);
    unsigned char* block = s.stealData();
    ASSERT_NE(block, nullptr);
    EXPECT_FALSE(s.hasData());
    delete[] block;
}
