// Image storage: pixel access of each type, conversion and colour helpers.
#include <cmath>
#include <vector>

#include "dataTestSupport.h"

namespace {

using Bytes = std::vector<unsigned char>;

TEST(ImageAccess, MissingRowsRecordAnExitInsteadOfEndingTheProcess) {
    ScopedDataFolder data; // the exit opens its run-phase file there
    resetExitState();
    imageFile im;
    EXPECT_EQ(im.getPixelAddress(0, 0), nullptr);
    EXPECT_EQ(exitSaver, 1);
    resetExitState();
    imageFile sized(2, 2, 1, PIXEL_8BIT, 0, 1);
    EXPECT_EQ(sized.getPixelAddress(1, 1), sized.scanLines[1] + 1);
    EXPECT_EQ(sized.getPixelAddress(0, 2), nullptr);
    resetExitState();
}

TEST(ImageAccess, PixelRecordsOfEachType) {
    imageFile bytes(2, 2, 3, PIXEL_8BIT, 0, 1);
    pixelFixed fx;
    fx[0] = 8192; // 1.0 shifts to 256: kept at 255
    fx[1] = 4096;
    fx[2] = -32;
    bytes.setPixel(1, 1, fx);
    EXPECT_EQ(Bytes(bytes.scanLines[1] + 3, bytes.scanLines[1] + 6), (Bytes{255, 128, 0}));
    pixelFixed back;
    bytes.getPixel(1, 1, back);
    EXPECT_EQ(back[0], 255 * 32);
    pixelFloat f;
    bytes.getPixel(1, 1, f);
    EXPECT_FLOAT_EQ(f(1), 128 * 0.003921569f);
    EXPECT_EQ(f(3), 0.0f); // the image has three channels

    imageFile fixed(2, 1, 2, PIXEL_FIXED, 0, 1);
    pixelFloat in(2);
    in(0) = 0.5f;
    in(1) = 5.0f;
    fixed.setPixel(1, 0, in);
    pixelFixed raw;
    fixed.getPixel(1, 0, raw);
    EXPECT_EQ(raw[0], 4096);
    EXPECT_EQ(raw[1], 32767);

    imageFile floats(1, 1, 4, PIXEL_FLOAT, 0, 1);
    pixelFloat big(4);
    big.assign(1.5f, -2.0f, 0.25f, 3.0f);
    floats.setPixel(0, 0, big);
    floats.addPixel(0, 0, big);
    pixelFloat got;
    floats.getPixel(0, 0, got);
    EXPECT_FLOAT_EQ(got(1), -4.0f);
}

TEST(ImageAccess, BilinearSamples) {
    Image row = bytes(5, 1, 1, {0, 0, 10, 21, 40});
    pixel8 p;
    row->getPixel(2.5f, 0.0f, p);
    EXPECT_EQ(p[0], 16);
    row->getPixel(4.7f, 0.0f, p); // the last column repeats
    EXPECT_EQ(p[0], 40);

    Image sq = floats(2, 2, 1, {0, 1, 2, 3}); // rows 0 1 / 2 3
    pixelFloat out(1);
    sq->getPixel(0.5f, 0.5f, out);
    EXPECT_FLOAT_EQ(out(0), 1.5f);
    sq->getPixel(0.25f, 0.0f, out);
    EXPECT_FLOAT_EQ(out(0), 0.25f);
}

// Bytes survive a round trip through float; float to bytes rounds up near one and clamps
// negatives; other types are refused and leave the pixels alone.
TEST(ImageConvert, BytesFloatsAndRefusals) {
    imageFile im(256, 1, 1, PIXEL_8BIT, 0, 1);
    for (int i = 0; i < 256; i++)
        im.scanLines[0][i] = static_cast<unsigned char>(i);
    ASSERT_EQ(im.convert(PIXEL_FLOAT), 1);
    pixelFloat f(1);
    im.getPixel(128, 0, f);
    EXPECT_FLOAT_EQ(f(0), 128 / 255.0f);
    float values[3] = {0.9995f, -0.25f, 0.5f};
    for (int i = 0; i < 3; i++) {
        f(0) = values[i];
        im.setPixel(i, 0, f);
    }
    ASSERT_EQ(im.convert(PIXEL_8BIT), 1);
    EXPECT_EQ(Bytes(im.scanLines[0], im.scanLines[0] + 3), (Bytes{255, 0, 127}));
    for (int i = 3; i < 256; i++)
        ASSERT_EQ(im.scanLines[0][i], i);
    EXPECT_EQ(im.convert(PIXEL_FIXED), 0);
    EXPECT_EQ(im.convert(PIXEL_8BIT), 1); // already that type
    EXPECT_EQ(im.pixelType, PIXEL_8BIT);
    EXPECT_EQ(im.scanLines[0][42], 42);
    imageFile empty;
    EXPECT_EQ(empty.convert(PIXEL_FLOAT), 0);
}

TEST(PixelFloat, ElementWiseOverTheShorterLength) {
    pixelFloat a(3), b(2);
    a.setAll(2.0f);
    b.assign(1.0f, 4.0f, 9.0f, 9.0f); // only two values held
    a += b;
    a *= b;
    a -= b;
    a /= b;
    EXPECT_FLOAT_EQ(a(0), 2.0f);
    EXPECT_FLOAT_EQ(a(1), (6.0f * 4 - 4) / 4);
    EXPECT_FLOAT_EQ(a(2), 2.0f); // beyond b: untouched
    EXPECT_EQ(a.safe(-1), 0.0f);
    EXPECT_EQ(a.safe(3), 0.0f);
    pixelFloat c(a); // copies are deep
    c *= 2.0f;
    EXPECT_FLOAT_EQ(a(2), 2.0f);
    pixelFloat d;
    EXPECT_EQ(d.size(), 4);
    d = c;
    EXPECT_EQ(d.size(), 3);
}

TEST(PixelFloat, HueSaturationValue) {
    struct Case {
        float r, g, b, h, s, v;
    } cases[] = {
        {1, 0, 0, 360, 1, 1},    {0, 1, 0, 120, 1, 1},           {0, 0, 1, 240, 1, 1}, {1, 1, 0, 60, 1, 1},
        {1, 0, 1, 300, 1, 1},    {0.5f, 0.5f, 0.5f, 0, 0, 0.5f}, {0, 0, 0, 0, 0, 0},   {1, 0.5f, 0, 30, 1, 1},
        {0, 1, 0.5f, 150, 1, 1}, {0.5f, 0, 1, 270, 1, 1},
    };
    for (auto const& c : cases) {
        pixelFloat p;
        p.assign(c.r, c.g, c.b, 1);
        float h, s, v;
        RGB2HSV(p, h, s, v);
        EXPECT_FLOAT_EQ(h, c.h) << c.r << " " << c.g << " " << c.b;
        EXPECT_FLOAT_EQ(s, c.s);
        EXPECT_FLOAT_EQ(v, c.v);
    }
    pixelFloat p;
    p.assign(1.0f, 0.5f, 0.0f, 0);
    EXPECT_EQ(pixel2CREF(p), 255 | (127 << 8));
}

TEST(ImageLoad, UnknownMissingAndWrongFilesFail) {
    TempDir dir;
    writeWholeFile(dir.file("notes.txt"), "hello");
    writeWholeFile(dir.file("bad.sgi"), "not an image at all");
    writeWholeFile(dir.file("empty.rgb"), "");
    for (char const* name : {"notes.txt", "missing.sgi", "bad.sgi", "empty.rgb", "noSuffix", "x.alpha"}) {
        imageFile im;
        EXPECT_EQ(im.loadImage(dir.file(name).c_str(), true), 0) << name;
        EXPECT_FALSE(im.hasPixels());
    }
    imageFile im;
    EXPECT_EQ(im.loadImage(nullptr, true), 0);
}

} // namespace
