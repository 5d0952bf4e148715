// The noise curve the build generates: three smooth channels over 0..50 whose ends meet.
#include <cmath>
#include <string>

#include "dataTestSupport.h"

namespace {

class NoiseFileTest : public DataArrayTest {
  protected:
    void SetUp() override {
        DataArrayTest::SetUp();
        ASSERT_EQ(noise.load(file.c_str()), 0) << file;
    }
    std::string file = std::string(VELMORA_GENERATED_RESOURCE_DIR) + "global/arrays/noise50.chan";
    CdataChan noise;
};

TEST_F(NoiseFileTest, ShapeAndRange) {
    EXPECT_EQ(noise.dims, 1);
    EXPECT_EQ(noise.chans, 3);
    EXPECT_EQ(noise.dataType, 4);
    EXPECT_GE(noise.res[0], 100);
    EXPECT_FLOAT_EQ(noise.spaceMin[0], 0.0f);
    EXPECT_FLOAT_EQ(noise.spaceMax[0], 50.0f);
}

TEST_F(NoiseFileTest, WrapsAtZeroAndFifty) {
    float start[3], end[3], justBefore[3], justAfter[3];
    noise.getValues(0.0f, start, 0xFFFFFFFF);
    noise.getValues(50.0f, end, 0xFFFFFFFF);
    noise.getValues(49.99f, justBefore, 0xFFFFFFFF);
    noise.getValues(0.01f, justAfter, 0xFFFFFFFF);
    for (int c = 0; c < 3; c++) {
        EXPECT_EQ(start[c], end[c]) << c;
        // Crossing the seam is no bigger a step than any other small step.
        EXPECT_NEAR(justBefore[c], justAfter[c], 0.05f) << c;
    }
}

TEST_F(NoiseFileTest, SmoothRandomAboutMinusOneToOne) {
    int n = noise.res[0];
    for (int c = 0; c < 3; c++) {
        float low = 1e9f, high = -1e9f, biggestStep = 0.0f;
        for (int i = 0; i < n; i++) {
            float v = noise.floatData[i * 3 + c];
            low = std::fmin(low, v);
            high = std::fmax(high, v);
            if (i > 0) biggestStep = std::fmax(biggestStep, std::fabs(v - noise.floatData[(i - 1) * 3 + c]));
        }
        EXPECT_GE(low, -1.0f) << c;
        EXPECT_LE(high, 1.0f) << c;
        EXPECT_GT(high - low, 1.0f) << c; // it wanders, it is not flat
        EXPECT_LT(biggestStep, 0.1f) << c;
    }
    // The channels are different curves.
    float at[3];
    noise.getValues(17.3f, at, 0xFFFFFFFF);
    EXPECT_NE(at[0], at[1]);
    EXPECT_NE(at[1], at[2]);
}

} // namespace
