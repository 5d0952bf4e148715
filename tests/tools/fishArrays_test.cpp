// The standard fish's arrays: shapes the fish indexes them by, smooth values in sensible
// ranges, a swim wave that travels tailward and is balanced, flick curves that turn the
// head before the body, and recorded flick paths that predict what the fish really does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <string>

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "fish/fish.h"
#include "fishArrays.h"
#include "flickModel.h"
#include "support/cerr.h"
#include "testSupport.h"

namespace {
using namespace fishArrayShape;
constexpr float kDegree = 0.017453293f;

// The arrays of the resource tree the build generated.
class FishArraysTest : public ::testing::Test {
  protected:
    void SetUp() override { resetExitState(); }
    void TearDown() override { resetExitState(); }
    // The file loaded as the engine loads it, when its header declares the kind T.
    template <class T> static std::unique_ptr<T> loadAs(std::string const& file) {
        std::string path = root + kFishArrayFolder + file;
        auto a = std::make_unique<T>();
        EXPECT_EQ(dataArrayFileDims(path.c_str()), a->dims) << file;
        if (dataArrayFileDims(path.c_str()) != a->dims || a->load(path.c_str()) != 0) return nullptr;
        return a;
    }
    // Channel c of a curve at world x.
    static float chanAt(CdataChan const& chan, float x, int c) {
        float v[4] = {0, 0, 0, 0};
        chan.getValues(x, v, ~0u);
        return v[c];
    }
    static inline std::string const root = kGeneratedResourceDir;
};

TEST_F(FishArraysTest, ShapesMatchHowTheFishIndexesThem) {
    struct {
        char const* file;
        int dims, chans;
        int res[3];
        float lo[3], hi[3];
    } const cases[] = {
        {"swimCycle.image", 2, 1, {kSwimSegments, kSwimPhases, 1}, {0, 0, 0}, {kSwimSegments - 1.0f, 1, 0}},
        {"swimAnimSideShift.chan", 1, 1, {kSwimPhases, 1, 1}, {0, 0, 0}, {1, 0, 0}},
        {"flick_chans.0.chan", 1, 3, {kFlickSamples, 1, 1}, {0, 0, 0}, {kFlickProgressEnd, 0, 0}},
        {"flick_chans.1.chan", 1, 3, {kFlickSamples, 1, 1}, {0, 0, 0}, {kFlickProgressEnd, 0, 0}},
        {"flick_chans.2.chan", 1, 3, {kFlickSamples, 1, 1}, {0, 0, 0}, {kFlickProgressEnd, 0, 0}},
        {"flick_speed_var.chan", 1, 4, {kSpeedSamples, 1, 1}, {0, 0, 0}, {kMaxSpeed, 0, 0}},
        {"pitchChangeCurve.chan", 1, 1, {kFlickSamples, 1, 1}, {0, 0, 0}, {kFlickProgressEnd, 0, 0}},
        {"peckForwardMotion.chan", 1, 1, {kPeckSamples, 1, 1}, {0, 0, 0}, {1, 0, 0}},
        {"peckSwimAmp.chan", 1, 1, {kPeckSamples, 1, 1}, {0, 0, 0}, {1, 0, 0}},
        {"flickPredict.volume",
         3,
         2,
         {kPathSteps, kPathAngles, kSpeedSamples},
         {0, 0, kSpeedOffset},
         {kPathSteps - 1.0f, kMaxDegrees, kMaxSpeed + kSpeedOffset}},
    };
    ASSERT_EQ(fishArrayFiles().size(), std::size(cases));
    for (auto const& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_NE(std::find(fishArrayFiles().begin(), fishArrayFiles().end(),
                            std::string(kFishArrayFolder) + c.file),
                  fishArrayFiles().end());
        std::unique_ptr<CdataArray> a;
        if (c.dims == 1) a = loadAs<CdataChan>(c.file);
        if (c.dims == 2) a = loadAs<CdataImage>(c.file);
        if (c.dims == 3) a = loadAs<CdataVolume>(c.file);
        ASSERT_TRUE(a && a->floatData);
        EXPECT_EQ(a->chans, c.chans);
        for (int d = 0; d < c.dims; d++) {
            EXPECT_EQ(a->res[d], c.res[d]) << d;
            EXPECT_NEAR(a->spaceMin[d], c.lo[d], 1e-5f) << d;
            EXPECT_NEAR(a->spaceMax[d], c.hi[d], 1e-4f) << d;
        }
        for (int i = 0; i < a->numElements; i++)
            ASSERT_TRUE(std::isfinite(a->floatData[i])) << i;
    }
}

// Every curve keeps to its range in small steps (rising where it must), and passes the
// points a fish relies on.
TEST_F(FishArraysTest, CurvesAreSmoothAndInRange) {
    struct {
        char const* file;
        int chan;
        float lo, hi, maxStep;
        bool rising;
    } const cases[] = {
        {"swimAnimSideShift.chan", 0, -0.4f, 0.4f, 0.06f, false},
        {"flick_chans.0.chan", 0, 0.0f, 1.0f, 0.12f, false}, // head turn, always towards the turn
        {"flick_chans.0.chan", 1, -1.0f, 1.0f, 0.12f, false},
        {"flick_chans.0.chan", 2, 0.0f, 1.0f, 0.1f, true}, // speed blend
        {"flick_chans.2.chan", 0, 0.0f, 1.0f, 0.12f, false},
        {"flick_chans.2.chan", 2, 0.0f, 1.0f, 0.1f, true},
        {"flick_speed_var.chan", 0, 0.5f, 2.0f, 0.15f, false}, // angle multiplier, as the model found it
        {"flick_speed_var.chan", 1, 0.0f, 0.5f, 0.05f, false}, // centre start
        {"flick_speed_var.chan", 2, 1.0f, 1.3f, 0.05f, false}, // end progress: past the speed blend
        {"flick_speed_var.chan", 3, 0.5f, 3.0f, 0.15f, false}, // muscle speed
        {"pitchChangeCurve.chan", 0, 0.0f, 1.0f, 0.1f, true},
        {"peckForwardMotion.chan", 0, 0.0f, 1.0f, 0.25f, false},
        {"peckSwimAmp.chan", 0, 0.0f, 1.0f, 0.15f, false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " channel " + std::to_string(c.chan));
        std::unique_ptr<CdataChan> a = loadAs<CdataChan>(c.file);
        ASSERT_TRUE(a && a->floatData);
        for (int i = 0; i < a->res[0]; i++) {
            float v = a->floatData[i * a->chans + c.chan];
            EXPECT_TRUE(v >= c.lo && v <= c.hi) << i << ": " << v;
            float step = i > 0 ? v - a->floatData[(i - 1) * a->chans + c.chan] : 0.0f;
            EXPECT_LE(std::fabs(step), c.maxStep) << i;
            if (c.rising) EXPECT_GE(step, 0.0f) << i;
        }
    }
    // The speed blend and the pitch share run 0 to 1 within a flick; a peck's ten frames
    // reach out to the food by the bite (sixth frame) and come home, the tail beating on
    // the approach and still once the fish stops.
    struct {
        char const* file;
        int chan;
        float x, lo, hi;
    } const points[] = {
        {"flick_chans.0.chan", 2, 0.0f, 0.0f, 0.0f},     {"flick_chans.0.chan", 2, 1.0f, 1.0f, 1.0f},
        {"flick_chans.2.chan", 2, 1.0f, 1.0f, 1.0f},     {"pitchChangeCurve.chan", 0, 0.0f, 0.0f, 0.0f},
        {"pitchChangeCurve.chan", 0, 1.0f, 1.0f, 1.0f},  {"peckForwardMotion.chan", 0, 0.0f, 0.0f, 0.01f},
        {"peckForwardMotion.chan", 0, 0.6f, 0.9f, 1.0f}, {"peckForwardMotion.chan", 0, 1.0f, 0.0f, 0.01f},
        {"peckSwimAmp.chan", 0, 0.3f, 0.3f, 0.5f},       {"peckSwimAmp.chan", 0, 0.7f, 0.0f, 0.01f},
    };
    for (auto const& c : points) {
        std::unique_ptr<CdataChan> a = loadAs<CdataChan>(c.file);
        ASSERT_TRUE(a && a->floatData);
        float v = chanAt(*a, c.x, c.chan);
        EXPECT_TRUE(v >= c.lo && v <= c.hi) << c.file << " at " << c.x << ": " << v;
    }
}

TEST_F(FishArraysTest, SwimWaveTravelsTailwardAndGrowsToTheTail) {
    auto cycle = loadAs<CdataImage>("swimCycle.image");
    ASSERT_TRUE(cycle && cycle->floatData);
    float const* v = cycle->floatData;
    auto angle = [&](int column, int row) { return v[row * kSwimSegments + column]; };
    float peak[kSwimSegments] = {};
    int peakRow[kSwimSegments] = {};
    for (int i = 0; i < kSwimSegments; i++) {
        EXPECT_NEAR(angle(i, 0), angle(i, kSwimPhases - 1), 1e-5f) << "the cycle closes, column " << i;
        for (int row = 0; row + 1 < kSwimPhases; row++)
            if (angle(i, row) > peak[i]) peak[i] = angle(i, row), peakRow[i] = row;
    }
    // The tail beats hardest: over 20 degrees at full stroke, under 60; the head far less.
    EXPECT_GT(peak[kSwimSegments - 2], 0.35f);
    EXPECT_LT(peak[kSwimSegments - 1], 1.05f);
    EXPECT_LT(peak[0], 0.5f * peak[kSwimSegments - 2]);
    for (int i = 3; i < kSwimSegments; i++)
        EXPECT_GT(peak[i], peak[i - 1]) << i;
    // The crest moves tailward: each segment peaks a ninth of a cycle after the one ahead
    // of it (one wavelength per body), within a sample or two.
    int rows = kSwimPhases - 1;
    for (int i = 3; i < kSwimSegments; i++) {
        int lag = ((peakRow[i] - peakRow[i - 1]) % rows + rows) % rows;
        EXPECT_NEAR(lag, rows / 9.0f, 2.0f) << i;
    }
    // A stroke that starts at phase one half bends the tail segment towards the side axis,
    // at phase zero away from it: the fish picks the phase that continues its bend.
    float tail[2];
    cycle->getValues(6.0f, 0.5f, &tail[0], 1u);
    cycle->getValues(6.0f, 0.0f, &tail[1], 1u);
    EXPECT_GT(tail[0], 0.1f);
    EXPECT_LT(tail[1], -0.1f);
}

// The head turns first; the tail curls against the turn, then sweeps back less strongly
// (the sliding body follows the head on its own; a strong sweep would pull it back round).
TEST_F(FishArraysTest, FlickCurvesTurnTheHeadThenTheBody) {
    for (int which = 0; which < 3; which++) {
        auto ramp = loadAs<CdataChan>("flick_chans." + std::to_string(which) + ".chan");
        ASSERT_TRUE(ramp && ramp->floatData);
        double sum[3] = {}, at[3] = {}; // head turn, curl, sweep: amounts and mean progress
        for (int i = 0; i < kFlickSamples; i++) {
            float p = kFlickProgressEnd * static_cast<float>(i) / (kFlickSamples - 1);
            float const* s = ramp->floatData + 3 * i;
            float part[3] = {s[0], std::max(s[1], 0.0f), std::max(-s[1], 0.0f)};
            for (int k = 0; k < 3; k++)
                sum[k] += part[k], at[k] += part[k] * p;
        }
        ASSERT_TRUE(sum[0] > 0 && sum[1] > 0 && sum[2] > 0) << which;
        EXPECT_LT(at[0] / sum[0], at[2] / sum[2]) << which;
        EXPECT_LT(at[1] / sum[1], at[2] / sum[2]) << which;
        EXPECT_LT(sum[2], sum[1]) << which;
    }
}

TEST_F(FishArraysTest, FlickPathsMakePhysicalSense) {
    auto volume = loadAs<CdataVolume>("flickPredict.volume");
    ASSERT_TRUE(volume && volume->floatData);
    // Sideways and forward offsets of the recorded path at grid point (step, angle, speed).
    struct {
        float const* v;
        float side(int k, int a, int s) const { return v[((s * kPathAngles + a) * kPathSteps + k) * 2]; }
        float forward(int k, int a, int s) const {
            return v[((s * kPathAngles + a) * kPathSteps + k) * 2 + 1];
        }
    } const path{volume->floatData};
    int last = kPathSteps - 1;
    auto degreesAt = [](int a) { return kMaxDegrees * static_cast<float>(a) / (kPathAngles - 1); };
    auto speedAt = [](int s) { return kMaxSpeed * static_cast<float>(s) / (kSpeedSamples - 1); };
    auto travel = [&](int a, int s) {
        float sum = 0.0f;
        for (int k = 1; k < kPathSteps; k++)
            sum += std::hypot(path.side(k, a, s) - path.side(k - 1, a, s),
                              path.forward(k, a, s) - path.forward(k - 1, a, s));
        return sum;
    };
    for (int s = 0; s < kSpeedSamples; s++)
        for (int a = 0; a < kPathAngles; a++) {
            SCOPED_TRACE("speed " + std::to_string(speedAt(s)) + " angle " + std::to_string(degreesAt(a)));
            EXPECT_EQ(path.side(0, a, s), 0.0f); // every path starts at the head
            EXPECT_EQ(path.forward(0, a, s), 0.0f);
            for (int k = 1; k < kPathSteps; k++) {
                if (a == 0)
                    EXPECT_NEAR(path.side(k, a, s), 0.0f, 1e-4f) << k; // no turn, straight on
                else
                    EXPECT_GE(path.side(k, a, s), 0.0f) << k; // towards the turn
                if (a == 0 && s > 0) EXPECT_GT(path.forward(k, a, s), path.forward(k - 1, a, s)) << k;
            }
            // A faster start carries the head further (from rest the deeper curl's swing of
            // the head is most of its travel); up to a right angle that is further on, and a
            // wider flick swings it further aside.
            if (s > 1) EXPECT_GT(travel(a, s), travel(a, s - 1));
            if (s > 0 && degreesAt(a) <= 60.0f)
                EXPECT_GT(path.forward(last, a, s), path.forward(last, a, s - 1));
            if (a > 0 && degreesAt(a) <= 60.0f) EXPECT_GT(path.side(last, a, s), path.side(last, a - 1, s));
            // Once under way, the head leaves heading the way it was turned (the fish turns
            // at most 110 degrees, and 17 more per unit of speed, up to 130).
            if (speedAt(s) >= 1.0f) {
                float turned = std::min(degreesAt(a), std::min(110.0f + 17.19f * speedAt(s), 130.0f));
                float dx = path.side(last, a, s) - path.side(last - 2, a, s);
                float dz = path.forward(last, a, s) - path.forward(last - 2, a, s);
                EXPECT_NEAR(std::atan2(dx, dz) / kDegree, turned, 15.0f);
            }
        }
}

// The fish, over the generated tree, reads the paths back the way it predicts a flick: the
// prediction between grid points and for turns either way matches where its head goes.
TEST_F(FishArraysTest, PredictionMatchesTheFlickTheFishMakes) {
    struct {
        float degrees, speed;
    } const cases[] = {{47.0f, 1.3f}, {-47.0f, 1.3f}, {95.0f, 0.2f}, {-120.0f, 3.7f}, {15.0f, 5.1f}};
    CflickModel model(root);
    for (auto const& c : cases) {
        SCOPED_TRACE(std::to_string(c.degrees) + " degrees at " + std::to_string(c.speed));
        FlickStep real[kPathSteps];
        ASSERT_TRUE(model.run(c.degrees * kDegree, c.speed, kPathSteps, real));
        auto* fish = new Cfish;
        CdirectoryVar holder;
        holder.addVariable(fish, 1);
        // Every array loads as the kind the fish reads it as.
        ASSERT_TRUE(dynamic_cast<CdataVolume*>(fish->flickPredict));
        EXPECT_TRUE(dynamic_cast<CdataImage*>(fish->swimCycle));
        for (CdataArray* a : {fish->swimAnimSideShift, fish->flickRamp[0], fish->flickRamp[1],
                              fish->flickRamp[2], fish->pitchChangeChan, fish->flickSpeedVariations})
            EXPECT_TRUE(dynamic_cast<CdataChan*>(a));
        fish->thingScale = 1.0f;
        fish->resetThing(0);
        fish->initialSpeed = c.speed;
        fish->setPosition();
        fish->flickAngle = c.degrees * kDegree;
        fish->flickStartSpeed = c.speed;
        Cvector predicted[kPathSteps], unused;
        fish->getFuturePositions(predicted, unused, kPathSteps);
        Cmatrix3 const& frame = fish->vertexOrientation[0];
        for (int k = 1; k < kPathSteps; k++) {
            Cvector d = predicted[k] - fish->vertex[0];
            EXPECT_NEAR(d.dot(frame.side), real[k].side, 0.06f) << k;
            EXPECT_NEAR(d.dot(frame.forward), real[k].forward, 0.06f) << k;
        }
        // The flick turned the fish by about the angle asked for, the same way.
        EXPECT_NEAR(real[kPathSteps - 1].heading, c.degrees * kDegree, 0.2f * std::fabs(c.degrees * kDegree));
    }
    EXPECT_TRUE(exitReasonList.empty());
}

// The fish's own display over the arrays: at full stroke the tail sweeps far more than the
// head, the body's middle stays on the spine, and the segments keep their length.
TEST_F(FishArraysTest, DisplayedBodySwimsAroundItsSpine) {
    CflickModel model(root);
    CdirectoryVar holder;
    auto* fish = new Cfish;
    holder.addVariable(fish, 1);
    fish->thingScale = 1.0f;
    fish->resetThing(0);
    fish->initialSpeed = 2.0f; // fast enough to swim without the idle noise
    fish->setPosition();
    fish->strokeStrength = 0.9f;
    fish->strokeThrust = 1.5f; // a twentieth of a cycle per frame
    Cvector const& side = fish->vertexOrientation[3].side;
    float reach[3] = {}, worstCentre = 0.0f; // head, middle, tail sideways extremes
    for (int frame = 0; frame < 20; frame++) {
        fish->calcDisplayOrientations();
        fish->calcDisplayVertexPositions();
        float centre = 0.0f;
        for (int i = 0; i < 10; i++) {
            float off = (fish->displayVertex[i] - fish->vertex[i]).dot(side);
            ASSERT_TRUE(std::isfinite(off));
            centre += off / 10.0f;
            if (i > 0)
                EXPECT_NEAR((fish->displayVertex[i] - fish->displayVertex[i - 1]).length(),
                            fish->segmentLength, 1e-4f);
        }
        int const watched[3] = {0, 4, 8};
        for (int k = 0; k < 3; k++) {
            int v = watched[k];
            reach[k] = std::max(reach[k], std::fabs((fish->displayVertex[v] - fish->vertex[v]).dot(side)));
        }
        worstCentre = std::max(worstCentre, std::fabs(centre));
    }
    EXPECT_GT(reach[2], 0.05f); // the tail beats by over a twentieth of a body either way
    EXPECT_GT(reach[2], 3.0f * reach[0]);
    EXPECT_LT(worstCentre, 0.25f * reach[2]);
}

// A tree without the arrays, or no tree at all (from a folder that does hold them): the
// fish cannot be made to flick.
TEST_F(FishArraysTest, AFlickWithoutTheArraysFails) {
    TempDir empty;
    auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(root);
    for (std::string const& where : {empty.path(), empty.path() + "missing/"}) {
        CflickModel model(where);
        FlickStep out[4];
        EXPECT_FALSE(model.run(0.5f, 1.0f, 4, out)) << where;
    }
    std::filesystem::current_path(cwd);
}
} // namespace
