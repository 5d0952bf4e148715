#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "sound/audioSample.h"
#include "soundSynth.h"
#include "testSupport.h"

// Frequency over frames [from, to) of a mono buffer, from its upward zero crossings.
static double frequency(std::vector<float> const& v, int from, int to) {
    std::vector<int> ups;
    for (int k = from + 1; k < to; k++)
        if (v[size_t(k) - 1] < 0.0f && v[size_t(k)] >= 0.0f) ups.push_back(k);
    return ups.size() > 1 ? (ups.size() - 1) * double(kSoundRate) / (ups.back() - ups.front()) : 0.0;
}

TEST(SoundSynth, ABubbleRingsAtItsResonanceAndRises) {
    for (double radius : {2.0, 3.0, 5.0}) {
        std::vector<float> v(size_t(kSoundRate), 0.0f);
        int rang = addBubble(v, 1, 0, 0, radius, 0.5, false);
        double early = frequency(v, 0, 150), resonance = 3.26 / (radius / 1000.0);
        EXPECT_NEAR(early, resonance, resonance * 0.05) << radius;
        EXPECT_GT(frequency(v, rang / 2, rang), early * 1.02) << "the pitch rises";
        auto [low, high] = std::minmax_element(v.begin() + rang - 60, v.begin() + rang);
        EXPECT_GT(*std::max_element(v.begin(), v.begin() + 60), 20 * std::max(*high, -*low))
            << "it dies away";
        EXPECT_EQ(v[size_t(rang)], 0.0f);
    }
}

TEST(SoundSynth, SoundFilesAreTheSameOnEveryRunAndReadBack) {
    TempDir a;
    ASSERT_EQ(writeSounds(a.path()), 0);
    ASSERT_EQ(soundFiles().size(), 4u);
    for (std::string const& file : soundFiles()) // the build's own files are the same
        EXPECT_EQ(readWholeFile(a.path() + file), readWholeFile(std::string(kGeneratedResourceDir) + file))
            << file;
    CbubbleBreakup bubbles;
    ASSERT_EQ(bubbles.loadSample((a.path() + soundFiles()[0]).c_str()), 0);
    bubbles.breakup(bubbles.grainStarts, bubbles.grainLengths);
    EXPECT_GE(bubbles.grainLengths.size(), 55u) << "of 64 bubbles: the first stretch is never kept";
    for (CtrickleStyle const& style : trickleStyles()) { // each loop's end runs on into its start
        CaudioSample s;
        ASSERT_TRUE(makeTrickle(s, style));
        int16_t const* v = s.values16();
        int n = s.frames() * 2, largest = 0; // values; the largest step from one frame to the next
        for (int k = 2; k < n; k++)
            largest = std::max(largest, std::abs(v[k] - v[k - 2]));
        EXPECT_LT(std::abs(v[0] - v[n - 2]) + std::abs(v[1] - v[n - 1]), largest) << style.file;
    }
}
