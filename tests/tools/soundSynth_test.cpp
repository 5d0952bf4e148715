#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "sound/audioSample.h"
#include "soundSynth.h"
#include "testSupport.h"

namespace {

// Frequency over frames [from, to) of a mono buffer, from its upward zero crossings.
double frequency(std::vector<float> const& v, int from, int to) {
    int first = -1, last = -1, crossings = 0;
    for (int k = from + 1; k < to; k++)
        if (v[size_t(k) - 1] < 0.0f && v[size_t(k)] >= 0.0f) {
            if (first < 0) first = k;
            last = k;
            crossings++;
        }
    return crossings > 1 ? (crossings - 1) * double(kSoundRate) / (last - first) : 0.0;
}

double peakOf(std::vector<float> const& v, int from, int to) {
    double p = 0;
    for (int k = from; k < to; k++)
        p = std::max(p, std::fabs(double(v[size_t(k)])));
    return p;
}

} // namespace

TEST(SoundSynth, ABubbleRingsAtItsResonanceAndRises) {
    for (double radius : {2.0, 3.0, 5.0}) {
        SCOPED_TRACE(radius);
        std::vector<float> v(size_t(kSoundRate), 0.0f);
        int rang = addBubble(v, 1, 0, 0, radius, 0.5, false);
        ASSERT_GT(rang, 200);
        double resonance = 3.26 / (radius / 1000.0);
        double early = frequency(v, 0, 150), late = frequency(v, rang / 2, rang);
        EXPECT_NEAR(early, resonance, resonance * 0.05);
        EXPECT_GT(late, early * 1.02) << "the pitch rises";
        EXPECT_GT(peakOf(v, 0, 100), 10.0 * peakOf(v, rang - 100, rang)) << "the ring dies away";
        EXPECT_EQ(peakOf(v, rang, kSoundRate), 0.0);
    }
    std::vector<float> stereo(200 * 2, 0.0f);
    addBubble(stereo, 2, 1, 150, 2.0, 0.5, true);
    EXPECT_NE(stereo[1], 0.0f) << "a ring past the end continues at the start";
    EXPECT_EQ(stereo[0], 0.0f) << "on its own channel";
}

TEST(SoundSynth, TheBubbleRecordingCutsIntoGrains) {
    CaudioSample s;
    ASSERT_TRUE(makeBubbleRecording(s));
    EXPECT_EQ(s.channels(), 1);
    EXPECT_EQ(s.bytesPerSample(), 2);
    EXPECT_EQ(s.sampleRate, kSoundRate);
    std::vector<int> starts, lengths;
    s.breakup(starts, lengths);
    // Sixty-four bubbles: the first stretch is never kept, and the weakest may not count.
    EXPECT_GE(lengths.size(), 55u);
    EXPECT_LE(lengths.size(), 63u);
    int peak = 0;
    for (int k = 0; k < s.frames(); k++)
        peak = std::max(peak, std::abs(int(s.values16()[k])));
    EXPECT_NEAR(peak, 0.9 * 32767, 2);
}

TEST(SoundSynth, TrickleLoopsRunOnIntoTheirStart) {
    ASSERT_GE(trickleStyles().size(), 3u);
    for (CtrickleStyle const& style : trickleStyles()) {
        SCOPED_TRACE(style.file);
        CaudioSample s;
        ASSERT_TRUE(makeTrickle(s, style));
        ASSERT_EQ(s.frames(), style.frames);
        ASSERT_EQ(s.channels(), 2);
        int16_t const* v = s.values16();
        int n = s.frames();
        for (int c = 0; c < 2; c++) {
            double sum = 0, largestStep = 0;
            int peak = 0;
            for (int k = 0; k < n; k++) {
                double x = v[2 * k + c];
                sum += x * x;
                peak = std::max(peak, std::abs(int(x)));
                if (k) largestStep = std::max(largestStep, std::fabs(x - v[2 * (k - 1) + c]));
            }
            double rms = std::sqrt(sum / n);
            EXPECT_GT(rms, 1500.0) << "water, not silence";
            EXPECT_LE(peak, 29490 + 1);
            double seam = std::fabs(double(v[c]) - v[2 * (n - 1) + c]);
            EXPECT_LT(seam, 0.5 * largestStep) << "the end runs on into the start";
        }
        double correlation = 0, left = 0, right = 0;
        for (int k = 0; k < n; k++) {
            correlation += double(v[2 * k]) * v[2 * k + 1];
            left += double(v[2 * k]) * v[2 * k];
            right += double(v[2 * k + 1]) * v[2 * k + 1];
        }
        EXPECT_LT(correlation / std::sqrt(left * right), 0.9) << "two sides, not one";
    }
    EXPECT_EQ(trickleStyles()[1].frames, 132609);
}

TEST(SoundSynth, SoundFilesAreTheSameOnEveryRunAndReadBack) {
    TempDir a, b;
    ASSERT_EQ(writeSounds(a.path()), 0);
    ASSERT_EQ(writeSounds(b.path()), 0);
    ASSERT_EQ(soundFiles().size(), 4u);
    for (std::string const& file : soundFiles()) {
        SCOPED_TRACE(file);
        std::string bytes = readWholeFile(a.path() + file);
        EXPECT_EQ(bytes, readWholeFile(b.path() + file));
        EXPECT_EQ(bytes, readWholeFile(std::string(kGeneratedResourceDir) + file)) << "the build's own";
        CaudioSample s;
        ASSERT_EQ(s.loadSample((a.path() + file).c_str()), 0);
        EXPECT_EQ(s.sampleRate, kSoundRate);
    }
}
