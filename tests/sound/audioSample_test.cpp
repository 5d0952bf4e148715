#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "soundTestSupport.h"
#include "support/cerr.h"

namespace {

// What a grain value s becomes, mixed into silence by copyTo.
int16_t mixed(double s) {
    return int16_t(s / 32768.0 * 32767.0);
}

std::vector<int16_t> values(CaudioSample& s) {
    return std::vector<int16_t>(s.values16(), s.values16() + s.frames() * s.channels());
}

// Mixes a grain of source (srcChans wide) at half gain into frames x chans values `before`.
void grain(char const* what, std::vector<int16_t> source, int srcChans, int frames, int chans, int at,
           int channel, int start, int length, float step, float fade, int16_t before,
           std::vector<std::pair<int, int16_t>> expected) {
    SCOPED_TRACE(what);
    CaudioSample src, dest;
    makeSample16(src, source, srcChans);
    makeSample16(dest, std::vector<int16_t>(size_t(frames * chans), before), chans);
    ASSERT_EQ(src.copyTo(dest, at, channel, start, length, 0.5f, step, fade), 0);
    for (auto [index, value] : expected)
        EXPECT_EQ(dest.values16()[index], value) << "value " << index;
}

void grains(char const* what, std::vector<int16_t> v, std::vector<int> starts, std::vector<int> lengths) {
    CaudioSample s;
    makeSample16(s, v, 1);
    std::vector<int> gotStarts, gotLengths;
    s.breakup(gotStarts, gotLengths);
    EXPECT_TRUE(gotStarts == starts && gotLengths == lengths) << what;
}

} // namespace

TEST(AudioSample, EightBitValuesBecomeSixteenBitAroundSilence) {
    CaudioSample s;
    ASSERT_EQ(s.init(4, 1, 1, 22050), 0);
    unsigned char const in[] = {0, 127, 255, 1};
    std::copy(in, in + 4, s.mem->data);
    s.convertTo16bit();
    s.convertTo16bit(); // already 16-bit: unchanged
    EXPECT_EQ(values(s), (std::vector<int16_t>{-32385, 0, 32640, -32130}));
}

TEST(AudioSample, GrainMixesWrapClampAndInterpolate) {
    grain("on the last frame: it finishes at the start", {2000, 4000, 6000}, 1, 10, 2, 9, 0, 0, 3, 1, 0, 0,
          {{18, mixed(1000)}, {0, mixed(2000)}, {2, mixed(3000)}, {19, 0}, {1, 0}});
    grain("two full-scale grains clamp", {32767, 32767}, 1, 4, 1, 1, 0, 0, 2, 1, 0, 32767,
          {{1, 32767}, {2, 32767}});
    grain("half steps interpolate; the last frame holds", {0, 2000, 4000}, 1, 8, 1, 0, 0, 0, 3, 0.5f, 0, 0,
          {{1, mixed(500)}, {3, mixed(1500)}, {4, mixed(2000)}, {5, mixed(2000)}, {6, 0}});
    grain("a fade lowers the grain's end", {8000, 8000}, 1, 2, 1, 0, 0, 0, 2, 1, 1, 0,
          {{0, mixed(4000)}, {1, mixed(2000)}});
    grain("a stereo source's right channel, from a later start", {5, 6, 200, -200, 400, -400}, 2, 2, 2, 0, 1,
          1, 2, 1, 0, 0, {{0, 0}, {1, mixed(-100)}, {3, mixed(-200)}});
    // Mixes that cannot work (no data, a step that never ends, a channel the track lacks, a
    // grain past the source) change nothing and stop nothing.
    CaudioSample src, dest, empty;
    makeSample16(src, {100, 200, 300}, 1);
    makeSample16(dest, {0, 0, 0, 0}, 1);
    int refused = empty.copyTo(dest, 0, 0, 0, 3, 1, 1, 0);
    for (float step : {0.0f, -1.0f, NAN})
        refused += src.copyTo(dest, 0, 0, 0, 3, 1, step, 0);
    refused += src.copyTo(dest, 0, 1, 0, 3, 1, 1, 0) + src.copyTo(dest, 0, 0, 3, 3, 1, 1, 0);
    EXPECT_TRUE(refused == 6 && values(dest) == std::vector<int16_t>(4, 0) && exitSaver == 0);
}

TEST(AudioSample, StraightMixesAddWithoutClamping) {
    CaudioSample src, dest, stereo, stereoDest;
    makeSample16(src, {30001, -1001, 3}, 1);
    makeSample16(dest, {30000, 0}, 1);
    ASSERT_EQ(src.copyStraightTo(dest, 0, 1.0f), 0);
    ASSERT_EQ(src.copyStraightTo(dest, 1, 0.5f), 0) << "a shorter track takes what fits";
    EXPECT_EQ(values(dest), (std::vector<int16_t>{-5535, 15000 - 1001})) << "wrapped; truncated";
    EXPECT_EQ(src.copyStraightTo(dest, 2, 1.0f), 1) << "past the end";
    makeSample16(stereo, {1, 2, 3, 4}, 2);
    makeSample16(stereoDest, {0, 0, 0, 0}, 2);
    ASSERT_EQ(stereo.copyStraightTo(stereoDest, 0, 1.0f), 0);
    EXPECT_EQ(values(stereoDest), values(stereo));
}

TEST(AudioSample, FadesTouchOneSecondOfValuesAtEachEnd) {
    CaudioSample s, shortTrack, eightBit;
    makeSample16(s, std::vector<int16_t>(22050 * 3 * 2, 10000), 2);
    ASSERT_EQ(s.fadeEnd(0, 1.0f) + s.fadeEnd(1, 1.0f), 0);
    std::vector<int16_t> v = values(s);
    size_t n = v.size();
    EXPECT_NEAR(v[22050], 10000 * std::sqrt(0.5), 2) << "equal power";
    std::vector<int16_t> ends = {v[0], v[44099], v[44100], v[n - 44100], v[n - 1]};
    EXPECT_EQ(ends, (std::vector<int16_t>{0, 9999, 10000, 10000, int16_t(10000 * std::sqrt(1.0 / 44100))}));
    makeSample16(shortTrack, std::vector<int16_t>(100, 10000), 2); // a fade longer than the track: all of it
    ASSERT_EQ(eightBit.init(10, 1, 1, 22050), 0);
    EXPECT_TRUE(shortTrack.fadeEnd(1, 1.0f) == 0 && eightBit.fadeEnd(0, 1.0f) == 1)
        << "8-bit values do not fade";
}

TEST(AudioSample, BreakupCutsGrainsAtSilentGaps) {
    // The first stretch is never kept; the last frame closes the last grain.
    grains("five bursts", burstValues(5, 400, 50), {900, 1350, 1800, 2292}, {399, 399, 442});
    grains("only the first stretch is loud", burstValues(1, 400, 500), {}, {});
    std::vector<int16_t> v = burstValues(2, 400, 50);
    for (auto const& more : {burstValues(1, 400, 50, 100), burstValues(2, 400, 50)})
        v.insert(v.end(), more.begin(), more.end());
    grains("a stretch too weak to count", v, {900, 1800, 2292}, {849, 442});
}

TEST(AudioSample, SampleFilesReadBackAndMalformedOnesLoadNothing) {
    ScopedSoundFolder folder;
    CaudioSample s, back;
    makeSample16(s, {1, -2, 3, -4, 5, -6}, 2);
    folder.write(s, "pair.chan");
    ASSERT_EQ(back.loadSample("global/sounds/pair.wav"), 0) << "any suffix becomes .chan";
    int children = back.countChildren();
    ASSERT_EQ(back.loadSample("global/sounds/pair"), 0);
    EXPECT_EQ(back.countChildren(), children) << "a second load replaces the first";
    EXPECT_TRUE(values(back) == values(s) && back.sampleRate == 22050);
    EXPECT_EQ(back.loadSample("global/sounds/missing"), 1);
    EXPECT_FALSE(back.hasData());

    using Spoil = void (*)(CaudioSample&);
    using Cut = std::string (*)(std::string const&);
    std::pair<Spoil, Cut> cases[] = {
        {[](CaudioSample& s) { s.chans = 3; }, nullptr},
        {[](CaudioSample& s) { s.dataType = 3; }, nullptr},
        {[](CaudioSample& s) { s.sampleRate = 0; }, nullptr},
        {[](CaudioSample& s) { s.res[0] = 1000; }, nullptr}, // more frames than values
        {[](CaudioSample& s) { s.res[1] = 2; }, nullptr},
        {[](CaudioSample& s) { s.mem->clearPointer(); }, nullptr},
        {nullptr, [](std::string const& b) { return "XBT" + b.substr(3); }},
        {nullptr, [](std::string const& b) { return b.substr(0, b.size() / 2); }},
        {nullptr,
         [](std::string const& b) {
             return b.substr(0, 4) + std::string("\x7e\x01\x00x|", 5) + b.substr(4);
         }},
    };
    for (size_t i = 0; i < std::size(cases); i++) {
        CaudioSample spoilt, loaded;
        makeSample16(spoilt, {10, 20, 30, 40}, 2);
        if (cases[i].first) cases[i].first(spoilt);
        std::ostringstream out;
        spoilt.saveTree(nullptr, 1, &out);
        std::istringstream in(cases[i].second ? cases[i].second(out.str()) : out.str());
        EXPECT_EQ(loaded.loadSample(in), 1) << "case " << i;
        EXPECT_FALSE(loaded.hasData() || loaded.frames() || exitSaver) << "case " << i;
    }
}
