// Lookups against hand-computed values: index rule, edges, one-sample axes, masks.
#include <cmath>
#include <limits>

#include "dataTestSupport.h"

namespace {

using SampleTest = DataArrayTest;
constexpr float sentinel = -99.0f;
constexpr float nan = std::numeric_limits<float>::quiet_NaN();

// One value of a one-dimensional lookup: 'l'inear, 'c'atmull-Rom, 'n'earest, 'd'irect
// index, 'p'ercent of the range. Channel 0 of the result.
float sample(CdataChan& c, char how, float x) {
    float out[4] = {sentinel, sentinel, sentinel, sentinel};
    if (how == 'l') c.getValues(x, out, 0xFFFFFFFF);
    if (how == 'c') c.getValuesCublic(x, out, 1);
    if (how == 'n') c.getValUninterp(x, out);
    if (how == 'd') c.getValDirectIndex(x, out);
    if (how == 'p') c.getValuesUsingPercent(x, out);
    return out[0];
}

TEST_F(SampleTest, ChanLookupsFollowTheIndexRule) {
    CdataChan ramp; // 10, 20, 30, 40, 50 over 0..4
    ramp.init(5, 1, 1, 1, 4);
    fillFloats(ramp, [](int i) { return 10.0f * (i + 1); });
    // 0, 1, 4, 9, 16: Catmull-Rom is exact inside for a parabola; in the end intervals (0.5 and
    // 3.5) the end sample is its own outer neighbour.
    CdataChan square;
    square.init(5, 1, 1, 1, 4);
    fillFloats(square, [](int i) { return float(i * i); });
    struct Case {
        CdataChan* chan;
        char how;
        float x, want;
    } const cases[] = {
        {&ramp, 'l', -1, 10},           {&ramp, 'l', 0.25f, 12.5f},  {&ramp, 'l', 2.5f, 35},
        {&ramp, 'l', 3.9f, 49},         {&ramp, 'l', 7, 50},         {&ramp, 'l', nan, 10},
        {&square, 'c', 2, 4},           {&square, 'c', 1.5f, 2.25f}, {&square, 'c', 0.5f, 0.3125f},
        {&square, 'c', 3.5f, 12.8125f}, {&square, 'c', -3, 0},       {&square, 'c', 9, 16},
        {&ramp, 'n', 1.4f, 20},         {&ramp, 'n', 1.5f, 30},      {&ramp, 'n', -3, 10},
        {&ramp, 'n', 99, 50},           {&ramp, 'n', nan, 10},       {&ramp, 'd', 2.9f, 30},
        {&ramp, 'd', 99, 50},           {&ramp, 'd', -1, 10},        {&ramp, 'p', 1, 50},
        {&ramp, 'p', 1.5f, 50},         {&ramp, 'p', 0.125f, 15},    {&ramp, 'p', -0.2f, 10},
        {&ramp, 'p', nan, 10},
    };
    for (auto const& k : cases)
        EXPECT_FLOAT_EQ(sample(*k.chan, k.how, k.x), k.want) << k.how << " at " << k.x;
    ramp.setDimensionSpace(0, -1.0f, 1.0f); // world range: sample 2 at 0
    EXPECT_FLOAT_EQ(sample(ramp, 'l', 0.0f), 30.0f);
    EXPECT_FLOAT_EQ(sample(ramp, 'l', 0.75f), 45.0f);

    CdataChan three; // the mask writes by position
    three.init(2, 1, 1, 3, 4);
    fillFloats(three, [](int i) { return float(i); }); // (0 1 2) (3 4 5)
    float out[3] = {sentinel, sentinel, sentinel};
    three.getValues(0.5f, out, 2);
    EXPECT_EQ(out[0], sentinel);
    EXPECT_FLOAT_EQ(out[1], 2.5f);
    EXPECT_EQ(out[2], sentinel);
}

// A negative index is reported and gives the first sample instead of reading before it.
TEST_F(SampleTest, DirectThreeChannels) {
    CdataChan c;
    c.init(3, 1, 1, 3, 4);
    fillFloats(c, [](int i) { return float(i); });
    float out[3];
    c.getValDirectIndex3Chans(1.7f, out);
    EXPECT_FLOAT_EQ(out[2], 5.0f);
    c.getValDirectIndex3Chans(10.0f, out);
    EXPECT_FLOAT_EQ(out[0], 6.0f);
    EXPECT_EQ(exitReason(), "");
    c.getValDirectIndex3Chans(-2.0f, out);
    EXPECT_EQ(exitReason(), "gvdi3c");
    EXPECT_FLOAT_EQ(out[0], 0.0f);
    EXPECT_FLOAT_EQ(out[2], 2.0f);
}

TEST_F(SampleTest, ImageBilinearNearestAndPercent) {
    CdataImage im; // row 0 is 0 10, row 1 is 20 30
    im.init(2, 2, 1, 1, 4);
    float v[4] = {0, 10, 20, 30};
    fillFloats(im, [&](int i) { return v[i]; });
    struct {
        float u, v, want;
    } cases[] = {{0.5f, 0.5f, 15}, {0.25f, 0.75f, 17.5f}, {-1, -1, 0}, {5, 5, 30}, {1, 0, 10}};
    for (auto k : cases) {
        float out = sentinel;
        im.getValues(k.u, k.v, &out, 0xFFFFFFFF);
        EXPECT_FLOAT_EQ(out, k.want) << k.u << "," << k.v;
    }
    CdataImage grid; // value x + 10 y on 3 x 3
    grid.init(3, 3, 1, 1, 4);
    fillFloats(grid, [](int i) { return float(i % 3 + 10 * (i / 3)); });
    float out = sentinel;
    grid.getValuesUninterp(1.4f, 1.6f, &out, 1);
    EXPECT_FLOAT_EQ(out, 21.0f);
    EXPECT_FLOAT_EQ(*grid.getFloatValuesPointerUninterp(-4.0f, 7.0f), 20.0f);
    grid.getValuesUsingPercent(0.5f, 0.5f, &out);
    EXPECT_FLOAT_EQ(out, 11.0f);
    grid.getValuesUsingPercent(1.0f, 1.0f, &out); // 0.999 across, 0.9999 up
    EXPECT_NEAR(out, 1.998f + 19.998f, 1e-4);
    grid.getValuesUsingPercent(-1.0f, -1.0f, &out);
    EXPECT_FLOAT_EQ(out, 0.0f);
}

TEST_F(SampleTest, ByteImageTakesTheLowerSample) {
    CdataImage im;
    im.init(3, 2, 1, 2, 1);
    for (int i = 0; i < 12; i++)
        im.byteData[i] = static_cast<unsigned char>(i * 20);
    float out[2] = {sentinel, sentinel};
    im.getValues(1.9f, 0.2f, out, 0xFFFFFFFF); // column 1, row 0
    EXPECT_FLOAT_EQ(out[0], 40 / 255.0f);
    EXPECT_FLOAT_EQ(out[1], 60 / 255.0f);
    im.getValues(2.0f, 1.0f, out, 2); // at the far edges: column and row res - 2, no fraction
    EXPECT_FLOAT_EQ(out[1], (1 * 2 + 1) * 20 / 255.0f);
    int ints[2] = {-1, -1};
    im.getValuesUninterp(1.6f, 0.4f, ints, 1); // nearest: column 2, row 0
    EXPECT_EQ(ints[0], 80);
    EXPECT_EQ(ints[1], -1);
    im.getValuesUninterp(9.0f, 9.0f, ints, 0xFFFFFFFF);
    EXPECT_EQ(ints[1], 220);
}

// Value x + 2y + 4z on a grid: trilinear reproduces it exactly.
float linear3(int i, int w, int h) {
    return float(i % w + 2 * ((i / w) % h) + 4 * (i / (w * h)));
}

TEST_F(SampleTest, VolumeTrilinearPackedAndRowCache) {
    CdataVolume v;
    v.init(2, 2, 2, 2, 4);
    fillFloats(v, [](int i) { return i % 2 ? 100.0f + linear3(i / 2, 2, 2) : linear3(i / 2, 2, 2); });
    float out[2] = {sentinel, sentinel};
    v.getValues(0.5f, 0.25f, 0.75f, out, 0xFFFFFFFF);
    EXPECT_FLOAT_EQ(out[0], 4.0f);
    EXPECT_FLOAT_EQ(out[1], 104.0f);
    out[1] = sentinel;
    v.getValues(0.5f, 0.25f, 0.75f, out, 2); // channel 1 lands in out[0]
    EXPECT_FLOAT_EQ(out[0], 104.0f);
    EXPECT_EQ(out[1], sentinel);
    v.getValues(Cvector(9.0f, -9.0f, 9.0f), out, 1);
    EXPECT_FLOAT_EQ(out[0], 5.0f);

    CdataVolume one;
    one.init(3, 2, 2, 1, 4);
    fillFloats(one, [](int i) { return linear3(i, 3, 2); });
    EXPECT_FLOAT_EQ(one.getSingleChanVolumeData(1.5f, 0.5f, 0.25f), 1.5f + 1.0f + 1.0f);
    one.setYZ(0.5f, 0.25f);
    float x = sentinel;
    one.getIntX(2, &x);
    EXPECT_FLOAT_EQ(x, 2.0f + 1.0f + 1.0f);
    one.getIntX(40, &x); // past the row: its last sample
    EXPECT_FLOAT_EQ(x, 4.0f);
}

TEST_F(SampleTest, VolumeXYCubic) {
    CdataVolume v;
    v.init(4, 4, 2, 1, 4);
    fillFloats(v, [](int i) { return linear3(i, 4, 4); });
    struct {
        float x, y, z, want;
    } cases[] = {
        {1.5f, 1.5f, 0.5f, 1.5f + 3 + 4 * 0.5f},      // eased 0.5 stays 0.5
        {1.5f, 1.5f, 0.25f, 1.5f + 3 + 4 * 0.15625f}, // (3 - 2f) f^2
        {1, 2, 1, 1 + 4 + 4},                         // a grid point
    };
    for (auto k : cases) {
        float out = sentinel;
        v.getValuesXYcubic(k.x, k.y, k.z, &out, 1);
        EXPECT_FLOAT_EQ(out, k.want) << k.x << "," << k.y << "," << k.z;
    }
}

TEST_F(SampleTest, ByteVolumeFixedPoint) {
    CdataVolume v; // 10 + 20x + 40y + 80z on 2 x 2 x 2
    v.init(2, 2, 2, 1, 1);
    for (int i = 0; i < 8; i++)
        v.byteData[i] = static_cast<unsigned char>(10 + 20 * (i & 1) + 40 * ((i >> 1) & 1) + 80 * (i >> 2));
    EXPECT_FLOAT_EQ(v.getSingleChanVolumeData(short(128), short(64), short(192)), 90.0f);
    EXPECT_FLOAT_EQ(v.getSingleChanVolumeData(short(0), short(0), short(0)), 10.0f);
    // At the end, and before the start, the last cell with fraction 255.
    EXPECT_FLOAT_EQ(v.getSingleChanVolumeData(short(256), short(0), short(0)), 7660 / 256.0f);
    EXPECT_FLOAT_EQ(v.getSingleChanVolumeData(short(-256), short(0), short(0)), 7660 / 256.0f);
    EXPECT_EQ(exitReason(), "");
    v.setDimensionSpace(0, -1.0f, 1.0f); // x = 0 is halfway
    CintVector p;
    p.x.set(0.0f);
    p.y.set(0.0f);
    p.z.set(0.0f);
    EXPECT_FLOAT_EQ(v.getSingleChanVolumeData(p), 20.0f);
    // The fixed-point lookup on float data reports and gives 0.
    CdataVolume floatVolume;
    floatVolume.init(2, 2, 2, 1, 4);
    EXPECT_EQ(floatVolume.getSingleChanVolumeData(short(0), short(0), short(0)), 0.0f);
    EXPECT_EQ(exitReason(), "vox gscv no byte!");
}

} // namespace
