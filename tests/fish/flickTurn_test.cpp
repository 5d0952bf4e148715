// Flick turns: the angle and end-speed limits, the ramp chosen by speed, the tuning curve's
// channels, the end of a flick, and refusals (a wall on the predicted path among them).
#include <cmath>
#include <string>
#include <vector>

#include "fishTestSupport.h"

namespace {
constexpr float kEndProgress = 0.6f;

// A curve of samples x chans values; a volume repeats it over two rows and two slices.
void saveCurve(char const* file, int samples, int chans, std::vector<float> const& values, int dims = 1) {
    CdataArray* a = dims == 3 ? static_cast<CdataArray*>(new CdataVolume) : new CdataChan;
    int rows = dims == 3 ? 4 : 1;
    a->init(samples, dims == 3 ? 2 : 1, dims == 3 ? 2 : 1, chans, 4);
    for (int r = 0; r < rows; r++)
        for (size_t i = 0; i < values.size(); i++)
            a->floatData[static_cast<size_t>(r) * values.size() + i] = values[i];
    ASSERT_EQ(a->save((std::string("species/std_fish/arrays/") + file).c_str()), 0) << file;
    delete a;
}

class FlickTest : public FishTest {
  protected:
    void SetUp() override {
        FishTest::SetUp();
        // Angle multiplier, centre start, end progress, muscle speed factor: the same at
        // every speed, with the end progress told apart from the other channels.
        std::vector<float> tuning;
        for (int i = 0; i < 4; i++)
            tuning.insert(tuning.end(), {1.0f, 0.2f, kEndProgress, 1.5f});
        saveCurve("flick_speed_var.chan", 4, 4, tuning);
        // Body swing, tail swing, speed blend: the blend reaches 1 halfway.
        for (char const* n : {"flick_chans.0.chan", "flick_chans.1.chan", "flick_chans.2.chan"})
            saveCurve(n, 2, 3, {0.1f, 0.2f, 0.0f, 0.1f, 0.2f, 1.0f});
        // The recorded path runs straight ahead, a tenth of a body per step.
        std::vector<float> path;
        for (int k = 0; k < 16; k++)
            path.insert(path.end(), {0.0f, 0.1f * static_cast<float>(k)});
        saveCurve("flickPredict.volume", 16, 2, path, 3);
    }
};
} // namespace

TEST_F(FlickTest, AngleAndEndSpeedLimits) {
    struct {
        float speed, heading, endSpeed;
        int keep;
        float wantAngle, wantEnd;
        int ramp; // 50 x speed, at most 2
    } const cases[] = {
        {0.0f, 3.0f, 5.0f, 0, 1.9198622f, 1.9198622f + 0.1f, 0}, // 110 degrees; end speed capped
        {2.0f, 3.0f, 5.0f, 0, 2.268928f, 4.368928f, 2},          // 130 degrees
        {2.0f, -3.0f, 5.0f, 1, -2.268928f, 5.0f, 2},             // an escape keeps its speed
        {0.03f, 0.5f, 0.3f, 0, 0.5f, 0.3f, 1},                   // below the cap
        {0.019f, 0.5f, 0.3f, 0, 0.5f, 0.3f, 0},
        {0.041f, 0.5f, 0.3f, 0, 0.5f, 0.3f, 2},
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), c.speed);
        ASSERT_EQ(fish->startFlickTurn(c.heading, 0.0f, c.endSpeed, c.keep), 0)
            << c.speed << " " << c.heading;
        EXPECT_NEAR(fish->flickAngle, c.wantAngle, 1e-5f);
        EXPECT_NEAR(fish->flickEndSpeed, c.wantEnd, 1e-5f);
        EXPECT_EQ(fish->flickChan, fish->flickRamp[c.ramp]);
        EXPECT_TRUE(fish->flickTurnRunning());
        EXPECT_FLOAT_EQ(fish->flickEndProgress, kEndProgress);
        EXPECT_EQ(fish->startFlickTurn(0.5f, 0.0f, 1.0f, 0), 1); // one flick at a time
    }
}

TEST_F(FlickTest, FlickEndsAtEndProgress) {
    Cfish* fish = makeFish(Cvector(0, 2, 0), 0.5f);
    ASSERT_EQ(fish->startFlickTurn(1.0f, 0.0f, 1.2f, 0), 0);
    // The predicted head ran straight ahead along the recorded path, in open water.
    Cvector step = fish->flickFuture[5] - fish->vertex[0];
    EXPECT_NEAR(step.dot(fish->vertexOrientation[0].forward), 0.5f * fish->bodyLength, 1e-4f);
    float rate = fish->flickRate;
    ASSERT_GT(rate, 0.0f);
    int want = static_cast<int>(std::ceil((kEndProgress + 0.5f * rate) / rate));
    int frames = 0;
    while (fish->flickTurnRunning() && frames < 1000) {
        fish->updateFlickTurn(), frames++;
        if (fish->flickTurnRunning()) EXPECT_LT(fish->flickProgress, kEndProgress);
    }
    EXPECT_EQ(frames, want);
    EXPECT_EQ(fish->residualTurn, 0.0f);
    EXPECT_NEAR(fish->bodySpeed, 1.2f, 1e-5f); // the speed blend reached the end speed
}

TEST_F(FlickTest, RefusedFlickChangesNothingElse) {
    struct {
        char const* name;
        bool wall, braking;
        float endSpeed;
    } const cases[] = {
        {"wall", true, false, 1.0f}, {"braking", false, true, 1.0f}, {"negative end", false, false, -1.0f}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), 0.5f);
        Cvector centre = fish->vertex[0] + fish->vertexOrientation[0].forward * 1.0f;
        tank->levelSet = [centre, c](Cvector const& p) {
            return c.wall ? (p - centre).length() - 0.3f : 10.0f;
        };
        fish->braking = c.braking;
        fish->strokeStrength = 0.5f;
        Cvector head = fish->vertex[0], future = fish->futurePosition[3];
        float speed = fish->bodySpeed, desired = fish->desiredBodySpeed;
        EXPECT_EQ(fish->startFlickTurn(1.0f, 0.0f, c.endSpeed, 0), 1) << c.name;
        EXPECT_FALSE(fish->flickTurnRunning());
        EXPECT_EQ(fish->bodySpeed, speed);
        EXPECT_EQ(fish->desiredBodySpeed, desired);
        EXPECT_EQ(fish->strokeStrength, 0.5f);
        EXPECT_EQ((fish->vertex[0] - head).length(), 0.0f);
        EXPECT_EQ((fish->futurePosition[3] - future).length(), 0.0f);
        EXPECT_FALSE(fish->dorsalLiftA.active); // the fins did not snap
    }
}

// A flick that starts takes 0.2 off a tail stroke stronger than 0.1; a weaker stroke stays.
TEST_F(FlickTest, AFlickWeakensTheTailStroke) {
    struct {
        float before, after;
    } const cases[] = {{0.5f, 0.3f}, {0.11f, -0.09f}, {0.1f, 0.1f}, {0.0f, 0.0f}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), 0.5f);
        fish->strokeStrength = c.before;
        ASSERT_EQ(fish->startFlickTurn(1.0f, 0.0f, 1.0f, 0), 0) << c.before;
        EXPECT_NEAR(fish->strokeStrength, c.after, 1e-6f) << c.before;
    }
}

// In a tank without a level-set volume the predicted path is checked against the obstacle
// spheres: a rock where a slow flick ends refuses it; open water lets it start.
TEST_F(FlickTest, WithoutAVolumeTheSpheresRefuseAFlickIntoARock) {
    for (bool rock : {true, false}) {
        Cfish* fish = makeFish(Cvector(0, 2, 0), 0.5f);
        Cvector end = fish->vertex[4] + fish->vertexOrientation[4].forward * (-0.2f * fish->bodyLength);
        // Far aside when there is no rock in the way.
        setRocks({{end.x + (rock ? 0.0f : 30.0f), end.y, end.z, 0.3f}});
        EXPECT_EQ(fish->startFlickTurn(0.05f, 0.0f, 1.0f, 0), rock ? 1 : 0) << (rock ? "rock" : "open water");
        EXPECT_EQ(fish->flickTurnRunning(), !rock);
    }
}
