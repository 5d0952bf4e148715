// The standard fish's arrays as the fish reads them: recorded flick paths that predict what
// the fish really does, and a swim wave that travels tailward around the spine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "data/dataArray.h"
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
    static inline std::string const root = kGeneratedResourceDir;
};

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

// The swim wave closes its cycle and its crest moves tailward, each segment peaking a ninth
// of a cycle after the one ahead (one wavelength per body) within a sample or two.
TEST_F(FishArraysTest, SwimWaveTravelsTailward) {
    CdataImage cycle;
    ASSERT_EQ(cycle.load((root + kFishArrayFolder + "swimCycle.image").c_str()), 0);
    auto angle = [&](int column, int row) { return cycle.floatData[row * kSwimSegments + column]; };
    int rows = kSwimPhases - 1, peakRow[kSwimSegments] = {};
    for (int i = 0; i < kSwimSegments; i++) {
        EXPECT_NEAR(angle(i, 0), angle(i, rows), 1e-5f) << "the cycle closes, column " << i;
        for (int row = 1; row < rows; row++)
            if (angle(i, row) > angle(i, peakRow[i])) peakRow[i] = row;
        if (i >= 3) EXPECT_NEAR(((peakRow[i] - peakRow[i - 1]) % rows + rows) % rows, rows / 9.0f, 2.0f) << i;
    }
    // A stroke that starts at phase one half bends the tail segment towards the side axis,
    // at phase zero away from it: the fish picks the phase that continues its bend.
    float tail[2];
    cycle.getValues(6.0f, 0.5f, &tail[0], 1u);
    cycle.getValues(6.0f, 0.0f, &tail[1], 1u);
    EXPECT_GT(tail[0], 0.1f);
    EXPECT_LT(tail[1], -0.1f);
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
