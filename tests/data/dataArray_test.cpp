// Shape, storage and the whole-array operations of data arrays.
#include <cstring>

#include "dataTestSupport.h"
#include "variables/variableLinks.h"

namespace {

using StorageTest = DataArrayTest;
using Floats = std::vector<float>;
using Ints = std::vector<int>;

TEST_F(StorageTest, ImpossibleShapesAllocateNothing) {
    struct Case {
        int x, y, z, type;
    } cases[] = {{-5, 3, 3, 4},
                 {65536, 65536, 65536, 4},       // far past what a buffer can hold
                 {1 << 30, 1 << 30, 1 << 30, 4}, // the product overflows even 64 bits
                 {2, 2, 2, 2}};                  // no such sample type
    for (Case const& c : cases) {
        CdataVolume v;
        v.init(c.x, c.y, c.z, 4, c.type);
        EXPECT_EQ(v.numElements, 0) << c.x << " type " << c.type;
        EXPECT_EQ(v.floatData, nullptr);
        EXPECT_EQ(v.byteData, nullptr);
    }
    CdataImage image;
    image.init(4, 4, 1, 2, 4);
    image.clearDataArray();
    EXPECT_EQ(image.mem->data, nullptr);
    EXPECT_EQ(image.numElements, 0);
    EXPECT_EQ(std::vector<int>(image.res, image.res + 3), (std::vector<int>{0, 1, 1}));
}

TEST_F(StorageTest, WrapIndexToRange) {
    CdataVolume v;
    v.init(51, 11, 2, 1, 1);
    v.setDimensionSpace(0, 0.0f, 50.0f);
    v.setDimensionSpace(1, -5.0f, 5.0f);
    struct Case {
        float x, y, wx, wy;
    } cases[] = {{-10, 0, 40, 0}, {120, 0, 20, 0}, {50, 5, 0, -5}, {0, -5, 0, -5}, {49.5f, -17, 49.5f, 3}};
    for (Case c : cases) {
        float p[2] = {c.x, c.y};
        v.wrapIndexToRange(p, 2);
        EXPECT_FLOAT_EQ(p[0], c.wx) << c.x;
        EXPECT_FLOAT_EQ(p[1], c.wy) << c.y;
    }
    // An empty range must not trap the caller in an endless loop.
    v.setDimensionSpace(2, 1.0f, 1.0f);
    float p[3] = {1e30f, 0.0f, 7.0f};
    v.wrapIndexToRange(p, 3);
    EXPECT_FLOAT_EQ(p[2], 7.0f);
}

TEST_F(StorageTest, ScalingActsOnceAndByteValuesScaleTheRemap) {
    CdataChan curve;
    curve.init(5, 1, 1, 2, 4);
    curve.setDimensionSpace(0, 0.0f, 4.0f);
    fillFloats(curve, [](int i) { return float(i); });
    curve.scaleSizeAndValues(2.0f, 0);
    curve.scaleSizeAndValues(2.0f, 0);
    EXPECT_FLOAT_EQ(curve.spaceMax[0], 8.0f);
    EXPECT_FLOAT_EQ(curve.toIndexMult[0], 0.5f);
    EXPECT_FLOAT_EQ(curve.floatData[3], 3.0f);

    CdataChan other;
    other.init(3, 1, 1, 2, 4);
    fillFloats(other, [](int i) { return float(i); });
    other.scaleSizeAndValues(3.0f, 1); // channel 0 only
    EXPECT_EQ(floats(other), (Floats{0, 1, 6, 3, 12, 5}));
    other.scaleSize(2.0f);
    other.scaleSize(2.0f);
    EXPECT_FLOAT_EQ(other.spaceMax[0], 24.0f);

    // A tank's byte height field reaches this with a scale other than 1.
    CdataImage height;
    height.init(2, 2, 1, 1, 1);
    height.byteData[0] = 100;
    height.scaleValues(2.0f, 1);
    EXPECT_EQ(exitReason(), "");
    EXPECT_EQ(height.byteData[0], 100);
    EXPECT_FLOAT_EQ(height.valRemp[1], 2.0f);
    EXPECT_FLOAT_EQ(height.remapMult, 2.0f / 255.0f);
    height.scaleValues(2.0f, 4); // selects no existing channel
    EXPECT_FLOAT_EQ(height.valRemp[1], 2.0f);
}

TEST_F(StorageTest, FloatWholeArrayOperations) {
    CdataChan a, b;
    a.init(4, 1, 1, 1, 4);
    b.init(3, 1, 1, 1, 4);
    a.fillWithConstant(2.0f);
    a.addConstant(0.5f);
    EXPECT_FLOAT_EQ(a.sum(), 10.0f);
    fillFloats(b, [](int i) { return float(i + 1); });
    a.merge(&b, 1, 2.0f); // adds 2, 4, 6 to the first three
    EXPECT_EQ(floats(a), (Floats{4.5f, 6.5f, 8.5f, 2.5f}));
    a.merge(&b, 0, -1.0f); // replaces
    a.merge(&b, 7, 1.0f);  // an unknown mode does nothing
    EXPECT_EQ(floats(a), (Floats{-1, -2, -3, 2.5f}));
}

TEST_F(StorageTest, PostLoadPointsAtTheBlock) {
    CdataImage image;
    image.dims = 2;
    image.chans = 2;
    image.dataType = 4;
    image.res[0] = 3;
    image.res[1] = 2;
    image.spaceMin[0] = 7.0f;
    image.mem->allocMem(3 * 2 * 2 * 4);
    EXPECT_EQ(image.postLoadInitialization(), 0);
    EXPECT_EQ(image.floatData, reinterpret_cast<float*>(image.mem->data));
    EXPECT_EQ(shape(image), "2d 3x2x1 2ra t4 n12");
    EXPECT_EQ(space(image, 0), "0..2 *1 fixed 0/65536"); // the index range replaces the saved one
    // A block too small for the shape would be read past its end.
    image.res[1] = 50;
    image.postLoadInitialization();
    EXPECT_EQ(image.floatData, nullptr);
    EXPECT_EQ(image.numElements, 0);
    EXPECT_NE(exitReason(), "");
}

TEST_F(StorageTest, NewCanvasSizeKeepsTheCorner) {
    CdataImage image;
    image.init(3, 2, 1, 1, 1);
    for (int i = 0; i < 6; i++)
        image.byteData[i] = static_cast<unsigned char>(i + 1); // rows 1 2 3 / 4 5 6
    EXPECT_EQ(image.newCanvasSize(2, 3, 1), 0);
    EXPECT_EQ(bytes(image), (Ints{1, 2, 4, 5, 0, 0}));
    EXPECT_FLOAT_EQ(image.resMinus1[0], 1.0f);
    EXPECT_EQ(image.newCanvasSize(0, 3, 1), 1);
    CdataImage floatImage; // floats are left as they are
    floatImage.init(3, 2, 1, 1, 4);
    EXPECT_EQ(floatImage.newCanvasSize(5, 5, 1), 0);
    EXPECT_EQ(floatImage.res[0], 3);
}

TEST_F(StorageTest, ReformatRefusalsAndLentBuffers) {
    CdataImage floatImage;
    floatImage.init(2, 2, 1, 3, 4);
    EXPECT_EQ(floatImage.reformat("rgba"), 1);
    EXPECT_EQ(exitReason(), "** ERROR! reformat byteData=0");
    CdataImage image;
    image.init(2, 2, 1, 3, 1);
    EXPECT_EQ(image.reformat(""), 1);
    EXPECT_EQ(image.reformat("rgbaa"), 1);
    EXPECT_EQ(image.chans, 3);

    // A rewrite leaves a lent buffer to its owner.
    unsigned char lent[4] = {1, 2, 3, 4};
    CdataImage borrower;
    borrower.init(2, 2, 1, 1, 1);
    unsigned char* own = borrower.byteData;
    borrower.letDataBeStolen();
    delete[] own;
    borrower.byteData = lent;
    borrower.numElements = 4;
    borrower.stolen = 1;
    ASSERT_EQ(borrower.reformat("ra"), 0);
    EXPECT_NE(borrower.byteData, lent);
    EXPECT_EQ(borrower.byteData[7], 4);
    EXPECT_EQ(borrower.stolen, 0);
    EXPECT_EQ(lent[3], 4);
}

TEST_F(StorageTest, CopyToFloatsAndChannelValues) {
    CdataImage image;
    image.init(2, 1, 1, 1, 1);
    image.byteData[0] = 255;
    image.byteData[1] = 51;
    image.copyToFloats();
    EXPECT_EQ(image.byteData, nullptr);
    expectFloats(floats(image), {1.0f, 0.2f});
    image.copyToFloats(); // already floats: unchanged
    expectFloats(floats(image), {1.0f, 0.2f});

    CdataImage two;
    two.init(2, 2, 1, 2, 1);
    two.setChannelValue(1, 1.0f);
    two.setChannelValue(0, 0.5f);
    two.setChannelValue(2, 1.0f); // no such channel
    EXPECT_EQ(bytes(two), (Ints{128, 255, 128, 255, 128, 255, 128, 255}));
    CdataImage floatImage;
    floatImage.init(2, 2, 1, 1, 4);
    floatImage.setChannelValue(0, -3.5f);
    EXPECT_FLOAT_EQ(floatImage.sum(), -14.0f);
}

TEST_F(StorageTest, CopyPastesClipped) {
    CdataImage dst, src, rgb;
    dst.init(4, 4, 1, 1, 1);
    src.init(2, 2, 1, 1, 1);
    std::memset(src.byteData, 9, 4);
    dst.copy(&src, 1, 1);
    dst.copy(&src, 3, 3); // only one pixel fits
    dst.copy(&src, -1, 0);
    dst.copy(&src, 4, 0);
    rgb.init(2, 2, 1, 3, 1);
    dst.copy(&rgb, 0, 0); // unequal channels: nothing
    EXPECT_EQ(bytes(dst), (Ints{0, 0, 0, 0, 0, 9, 9, 0, 0, 9, 9, 0, 0, 0, 0, 9}));
}

TEST_F(StorageTest, Unpremultiply) {
    CdataImage image;
    image.init(3, 1, 1, 4, 1);
    unsigned char px[12] = {100, 50, 0, 128, 200, 10, 10, 100, 7, 8, 9, 0};
    std::memcpy(image.byteData, px, 12);
    image.unpremult();
    EXPECT_EQ(bytes(image), (Ints{199, 99, 0, 128, 255, 25, 25, 100, 7, 8, 9, 0}));
}

TEST_F(StorageTest, StealChildChanBindsAFloatLink) {
    float table[8] = {0, 1, 2, 3, 4, 5, 6, 7};
    int count = 0;
    CdirectoryVar owner;
    owner.registerFloat(table[0], "curve", 0)->setNumElements(8);
    owner.registerInt(count, "count", 0);
    CdataChan chan;
    EXPECT_EQ(stealChildChan(&owner, "curve", chan, 8), 0);
    EXPECT_EQ(chan.floatData, table);
    EXPECT_EQ(shape(chan), "1d 8x1x1 1a t4 n8");
    EXPECT_EQ(chan.stolen, 1);
    float out = 0;
    chan.getValues(2.5f, &out, 1);
    EXPECT_FLOAT_EQ(out, 2.5f);

    EXPECT_EQ(stealChildChan(&owner, "curve", chan, 5), 1);
    EXPECT_EQ(exitReason(), "chan curve wrong size!");
    resetExitState();
    EXPECT_EQ(stealChildChan(&owner, "nope", chan, -1), 1);
    EXPECT_EQ(exitReason(), "couldn't find/steal chan nope");
    resetExitState();
    EXPECT_EQ(stealChildChan(&owner, "count", chan, -1), 1); // not a float link
}

CintAndFract at(int i, float fract) {
    CintAndFract p;
    p.i = i;
    p.fract = fract;
    return p;
}

TEST_F(StorageTest, HumpsAndTrianglesAddTheirArea) {
    CdataChan curve;
    curve.init(10, 1, 1, 1, 4);
    curve.addLinearHump(1, 3, 5, 7, 2);
    EXPECT_EQ(floats(curve), (Floats{0, 0.5f, 1.5f, 2, 2, 1.5f, 0.5f, 0, 0, 0}));

    CdataChan c;
    c.init(4, 1, 1, 1, 4);
    c.addTriangle(at(0, 0.5f), 1.0f, at(1, 0.5f), 1.0f, 1.0f);         // partial samples
    c.addTriangle(at(2, 0.0f), 0.0f, at(3, 0.0f), 2.0f, 1.0f);         // rising: area 1
    c.addTriangle(at(1, 0.0f), 5.0f, at(1, 0.00001f), 5.0f, 0.00001f); // too narrow
    EXPECT_EQ(floats(c), (Floats{0.5f, 0.5f, 1, 0}));
    c.addTriangle(at(-5, 0.0f), 1.0f, at(20, 0.0f), 1.0f, 25.0f); // reaching outside
    EXPECT_FLOAT_EQ(c.sum(), 6.0f);
    c.addTriangle(at(-2000000000, 0.0f), 1.0f, at(-1000000000, 0.0f), 1.0f, 1e9f);
    c.addLinearHump(-1e30f, 1e30f, 2e30f, 3e30f, 1.0f); // far off: nothing, no trap
    EXPECT_FLOAT_EQ(c.sum(), 6.0f);
}

TEST_F(StorageTest, ShiftDataMovesAndContinuesTheSlope) {
    CdataChan curve;
    curve.init(5, 1, 1, 1, 4);
    float scratch = 0;
    fillFloats(curve, [](int i) { return float(i); });
    curve.shiftData(1.0f, &scratch, 1);
    EXPECT_EQ(floats(curve), (Floats{-1, 0, 1, 2, 3}));
    EXPECT_FLOAT_EQ(scratch, -1.0f);
    fillFloats(curve, [](int i) { return float(i); });
    curve.shiftData(1.0f, &scratch, 0); // without the slope the edge repeats
    EXPECT_FLOAT_EQ(curve.floatData[0], 0.0f);
    fillFloats(curve, [](int i) { return 2.0f * i; });
    curve.shiftData(-1.5f, &scratch, 1);
    EXPECT_EQ(floats(curve), (Floats{3, 5, 7, 9, 11}));
    EXPECT_FLOAT_EQ(scratch, 2.0f);
}

} // namespace
