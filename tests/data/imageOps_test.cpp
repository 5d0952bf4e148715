// Whole-image operations on small images with hand-computed bytes.
#include <cmath>
#include <vector>

#include "data/imageOps.h"
#include "dataTestSupport.h"

namespace {

using ImageOpsTest = DataArrayTest;

TEST_F(ImageOpsTest, ChannelCopySamplesAtSizeRatioAndRefusesWhatDoesNotFit) {
    Image src = bytes(4, 2, 1, {1, 2, 3, 4, 5, 6, 7, 8});
    Image dest = bytes(2, 1, 2, {9, 9, 9, 9});
    dest->channelCopy(1, src.get(), 0);
    EXPECT_EQ(samples<int>(*dest), (std::vector<int>{9, 1, 9, 3}));
    dest->channelCopy(2, src.get(), 0); // no such channel
    EXPECT_EQ(samples<int>(*dest), (std::vector<int>{9, 1, 9, 3}));
    Image wide = bytes(8, 1, 1);
    wide->channelCopy(0, dest.get(), 1); // smaller source
    EXPECT_EQ(samples<int>(*wide), std::vector<int>(8, 0));
    EXPECT_EQ(exitReason(), "");
    dest->channelCopy(0, nullptr, 0);
    EXPECT_EQ(exitReason(), "bad assert");
}

TEST_F(ImageOpsTest, FattenWritesTheStepCodeOfTheNeighbourhoodMaximum) {
    struct Case {
        int maximum, want;
    } cases[] = {{255, 255}, {248, 255}, {232, 127}, {200, 31}, {136, 1}, {120, 0}};
    for (Case const& c : cases) {
        // Source channel 1 holds the maximum at the centre; destination channel 0 is 0.
        std::vector<int> v(5 * 5 * 2, 0);
        v[(2 * 5 + 2) * 2 + 1] = c.maximum;
        Image im = bytes(5, 5, 2, v);
        im->fattenChannel(0, 1, 0);
        std::vector<int> got = samples<int>(*im);
        for (int y = 0; y < 5; y++)
            for (int x = 0; x < 5; x++) {
                bool near = x >= 1 && x <= 3 && y >= 1 && y <= 3;
                EXPECT_EQ(got[(y * 5 + x) * 2], near ? c.want : 0) << c.maximum << " at " << x << "," << y;
            }
    }
    // Samples of 250 and above stay; in one channel a replaced sample feeds the next.
    Image same = bytes(4, 3, 1, {0, 0, 0, 0, 255, 0, 0, 0, 0, 0, 0, 0});
    same->fattenChannel(0, 0, 0);
    EXPECT_EQ(samples<int>(*same), (std::vector<int>{0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0}));
}

// Box weights of a fractional step, which the image scripts' halving never meets: 3/4 1/4,
// 1/2 1/2, 1/4 3/4.
TEST_F(ImageOpsTest, ResizeWeighsPartlyCoveredSamples) {
    imageFile dest;
    ASSERT_EQ(dest.resize(floats(4, 1, 1, {0, 1, 2, 3}).get(), 3, 1), 0);
    expectFloats(samples<float>(dest), {0.25f, 1.5f, 2.75f}, 1e-5f);
}

TEST_F(ImageOpsTest, CompMethodsOnOnePixel) {
    struct Case {
        short method;
        float mult, add;
        std::vector<float> bottom, top;
        std::vector<float> want;
    } cases[] = {
        {COMP_REPLACE, 1, 0, {0.1f, 0.2f, 0.3f, 0.4f}, {0.5f, 0.6f, 0.7f, 0.8f}, {0.5f, 0.6f, 0.7f, 0.8f}},
        // B + add + (T - B) * T.a * mult
        {COMP_OVER, 1, 0, {0.2f, 0.2f, 0.2f, 1.0f}, {1.0f, 0.0f, 0.6f, 0.5f}, {0.6f, 0.1f, 0.4f, 0.75f}},
        {COMP_OVER, 0.5f, 0.1f, {0.2f, 0.2f, 0.2f, 1.0f}, {1.0f, 0.0f, 0.6f, 1.0f}, {0.7f, 0.2f, 0.5f, 1.1f}},
        {COMP_ADD, 2, 0, {0.5f, 0.1f, 0.0f, 0.0f}, {0.5f, 0.1f, -0.5f, 0.2f}, {1.0f, 0.3f, 0.0f, 0.4f}},
        {COMP_MULT, 1, 0, {0.5f, 0.4f, 1.0f, 0.8f}, {0.5f, 0.5f, 0.2f, 0.5f}, {0.25f, 0.2f, 0.2f, 0.4f}},
    };
    for (Case const& c : cases) {
        Image b = floats(1, 1, 4, c.bottom), t = floats(1, 1, 4, c.top);
        EXPECT_EQ(b->comp(b.get(), t.get(), nullptr, 10, c.method, 15, 0, 0, 0, c.mult, c.add), 0);
        expectFloats(samples<float>(*b), c.want, 1e-5f);
    }
    // A one-channel top multiplies every channel; a one-channel mask blends every channel.
    Image b = floats(1, 1, 3, {0.5f, 1.0f, 0.2f}), grey = floats(1, 1, 1, {0.5f});
    b->comp(b.get(), grey.get(), nullptr, 10, COMP_MULT, 15, 0, 0, 0, 1, 0);
    expectFloats(samples<float>(*b), {0.25f, 0.5f, 0.1f}, 1e-5f);
    Image white = floats(1, 1, 3, {1, 1, 1});
    b->comp(b.get(), white.get(), grey.get(), 2, COMP_MASKBLEND, 15, 0, 0, 0, 1, 0);
    expectFloats(samples<float>(*b), {0.625f, 0.75f, 0.1f}, 1e-5f); // only two channels composed
}

TEST_F(ImageOpsTest, WrappedReadsMixAcrossTheEdges) {
    Image row = bytes(8, 1, 1, {100, 0, 0, 0, 0, 0, 0, 200});
    Image fl = floats(2, 2, 1, {0.0f, 1.0f, 0.5f, 0.25f});
    auto fixedImage = std::make_unique<imageFile>(2, 1, 1, PIXEL_FIXED, 0, 2);
    reinterpret_cast<int16_t*>(fixedImage->scanLines[0])[1] = 4096;
    struct Case {
        imageFile* im;
        float x, y, want;
    } cases[] = {
        {row.get(), -0.5f, 0, 150 / 255.0f}, {row.get(), 7.5f, 0, 150 / 255.0f},
        {row.get(), 8.0f, 0, 100 / 255.0f},  {row.get(), -40.0f, 0, 100 / 255.0f}, // past -4 widths
        {row.get(), 1e30f, 0, 100 / 255.0f}, {row.get(), NAN, INFINITY, 100 / 255.0f},
        {fl.get(), 0.5f, 0.5f, 0.4375f},     {fl.get(), 1.5f, 1.5f, 0.4375f},
        {fixedImage.get(), 1.9f, 0, 0.5f}, // fixed: nearest below, no mixing
    };
    for (Case const& c : cases) {
        pixelFloat p(4);
        EXPECT_EQ(c.im->getPixelWrap(c.x, c.y, p), 1);
        EXPECT_NEAR(p(0), c.want, 1e-5) << c.x << "," << c.y;
    }
}

TEST_F(ImageOpsTest, RectangleHelpersClipToTheImage) {
    Image im = bytes(3, 2, 1, std::vector<int>(6, 5));
    im->rectFill(1, 0, 10, 0, 1, 0, 0, 0);
    EXPECT_EQ(samples<int>(*im), (std::vector<int>{5, 255, 255, 5, 5, 5}));
    im->copy(bytes(2, 2, 1, {7, 8, 9, 10}).get(), -1, 1);
    EXPECT_EQ(samples<int>(*im), (std::vector<int>{5, 255, 255, 8, 5, 5}));
    im->copy(bytes(2, 2, 1, {7, 8, 9, 10}).get(), 2, 0);
    EXPECT_EQ(samples<int>(*im), (std::vector<int>{5, 255, 7, 8, 5, 9}));
    im->zero();
    EXPECT_EQ(samples<int>(*im), std::vector<int>(6, 0));

    Image rgba = floats(2, 1, 4, {0.2f, 0.4f, 0.1f, 0.5f, 0.3f, 0.3f, 0.3f, 0.0f});
    rgba->unpremult();
    expectFloats(samples<float>(*rgba), {0.4f, 0.8f, 0.2f, 0.5f, 1, 1, 1, 0}, 1e-5f);

    unsigned char index[4];
    EXPECT_EQ(bytes(1, 1, 4)->prepMask("ga", nullptr, 0, index), 0);
    EXPECT_EQ(std::vector<int>(index, index + 4), (std::vector<int>{1, 3, 255, 255}));
}

TEST_F(ImageOpsTest, GlyphCopyAddsAreaCoverage) {
    Image glyph = bytes(2, 2, 1, {10, 20, 30, 40});
    Image dest = bytes(4, 4, 1, std::vector<int>(16, 1));
    dest->copyRectB(glyph.get(), 0, 0, 1, 1, 1, 1, 3, 3); // one to one at (1, 1)
    EXPECT_EQ(samples<int>(*dest), (std::vector<int>{1, 1, 1, 1, 1, 11, 21, 1, 1, 31, 41, 1, 1, 1, 1, 1}));
    // Halving: four samples of 255 at 127/255 x 127/255 each.
    Image solid = bytes(2, 2, 1, {255, 255, 255, 255});
    Image small = bytes(2, 2, 1);
    small->copyRectB(solid.get(), 0, 0, 1, 1, 0, 0, 1, 1);
    EXPECT_EQ(samples<int>(*small), (std::vector<int>{253, 0, 0, 0}));
    // Spans far outside the destination or not finite write nothing.
    small->copyRectB(solid.get(), 0, 0, 1, 1, 1e9f, 0, NAN, 1);
    small->copyRectB(solid.get(), -5, -5, 9, 9, -3, -3, 40, 40);
    EXPECT_EQ(samples<int>(*small), (std::vector<int>{253, 0, 0, 0}));
    // Source indices outside the source add nothing.
    Image clear = bytes(3, 3, 1);
    clear->copyRectB(solid.get(), -1, -1, 0, 0, 0, 0, 2, 2);
    EXPECT_EQ(samples<int>(*clear), (std::vector<int>{0, 0, 0, 0, 255, 0, 0, 0, 0}));
}

} // namespace
