// The voxel file: round trips of float and byte volumes, the header's chunks, reading in
// pieces, and damaged files failing cleanly.
#include <cmath>
#include <sstream>
#include <string>

#include "data/vb_voxelIO.h"
#include "dataTestSupport.h"

namespace {

using VoxelFileTest = DataArrayTest;

std::string chunk(char const* key, std::string const& payload) {
    std::string s(key, 2);
    putLE(s, static_cast<uint32_t>(payload.size()), 4);
    return s + payload;
}
std::string mnPayload(int chans, int res, int bucket) {
    std::string p = "OPAC";
    putLE(p, static_cast<uint32_t>(chans), 2);
    for (int d = 0; d < 3; d++)
        putLE(p, static_cast<uint32_t>(res), 2);
    for (float f : {-2.0f, -2.0f, -2.0f, 2.0f, 2.0f, 2.0f})
        putFloat(p, f);
    p += std::string{static_cast<char>(bucket), static_cast<char>(bucket), static_cast<char>(bucket), 0};
    return p;
}

// A hand-made file: one 2 x 2 x 2 bucket of one channel, its chunks in an unusual order
// with an unknown key, corners of 1.5 (and 9 at the far ones), a constant bucket.
std::string smallFile(std::string const& chunks, std::string const& modes = std::string(1, '\x0d')) {
    std::string s = "VOXL";
    putLE(s, 1, 2);
    putLE(s, 10, 4);
    s += chunks + "--";
    for (int k = 0; k < 8; k++)
        putLE(s, k == 0 ? 0x3FC0 : 0x4110, 2);
    return s + modes;
}
std::string cmPayload(int mode, float rmin, float rmax) {
    std::string p;
    putLE(p, 0, 4);
    putLE(p, static_cast<uint32_t>(mode), 4);
    putFloat(p, rmax);
    putFloat(p, rmin);
    return p;
}
std::string goodChunks() {
    return chunk("ZZ", "abc") + chunk("CM", cmPayload(0, 0, 1)) + chunk("MN", mnPayload(1, 2, 2));
}

// A smooth field of two channels with some detail, over a shape that buckets do not divide.
void fillField(CdataVolume& v) {
    for (int z = 0; z < v.res[2]; z++)
        for (int y = 0; y < v.res[1]; y++)
            for (int x = 0; x < v.res[0]; x++)
                for (int c = 0; c < v.chans; c++)
                    v.floatData[((z * v.res[1] + y) * v.res[0] + x) * v.chans + c] =
                        std::sin(0.3f * x + c) * std::cos(0.2f * y) + 0.05f * z -
                        0.1f * ((x * 7 + y * 3 + z) % 5);
}

// The header's range and multiplier, then a box inside the second slab of buckets and one
// behind it: reading never goes back.
TEST_F(VoxelFileTest, FloatVolumeRoundTripAndReadsInPieces) {
    CdataVolume v;
    v.init(13, 10, 7, 2, 4);
    v.setDimensionSpace(0, -1.0f, 1.0f);
    v.setDimensionSpace(2, 0.0f, 3.0f);
    fillField(v);
    ASSERT_EQ(v.saveVox(path("f.vox").c_str(), 4.0f, -1, 0.0f, 1.0f), 0);

    CdataVolume back;
    ASSERT_EQ(back.load(path("f.vox").c_str()), 0);
    EXPECT_EQ(shape(back), "3d 13x10x7 2ra t4 n1820");
    EXPECT_EQ(space(back, 0), space(v, 0));
    EXPECT_EQ(space(back, 2), space(v, 2));
    // 16-bit corners and residual bounds (1 part in 128 of values below 2) plus the slots.
    for (int i = 0; i < v.numElements; i++)
        ASSERT_NEAR(back.floatData[i], v.floatData[i], 0.05f) << i;
    EXPECT_EQ(exitReason(), "");

    CvoxelLoader loader;
    CvoxelHeader h;
    ASSERT_EQ(loader.open(path("f.vox").c_str()), 0);
    EXPECT_EQ(loader.startBuffer(1, h), 1); // the second slot was never written
    ASSERT_EQ(loader.startBuffer(0, h), 0);
    EXPECT_EQ(h.bucketZ, 4);
    float lowest = 1e9f, highest = -1e9f;
    for (int i = 0; i < v.numElements; i++)
        lowest = std::fmin(lowest, v.floatData[i]), highest = std::fmax(highest, v.floatData[i]);
    EXPECT_EQ(h.lowest, lowest);
    EXPECT_EQ(h.highest, highest);
    float planes[2][3 * 2]; // one plane per channel of each slice
    float* slices[2] = {planes[0], planes[1]};
    CsliceIO box;
    box.slices = slices;
    box.chans = 2;
    box.start[0] = 7, box.start[1] = 4, box.start[2] = 5;
    box.size[0] = 3, box.size[1] = 2, box.size[2] = 1;
    ASSERT_EQ(loader.read(box), 0);
    for (int i = 0; i < 12; i++) // channel i / 6, row i % 6 / 3, column i % 3
        EXPECT_EQ(planes[i / 6][i % 6],
                  back.floatData[((5 * 10 + 4 + i % 6 / 3) * 13 + 7 + i % 3) * 2 + i / 6])
            << i;
    box.start[2] = 2;
    EXPECT_EQ(loader.read(box), 1);
    float mult[4] = {2, 1, 1, 1}, add[4] = {1, 0, 0, 0};
    loader.setMultAdd(mult, add);
    EXPECT_EQ(loader.getHighestVoxelValue(), highest * 2 + 1);
}

TEST_F(VoxelFileTest, ByteVolumeDividesByTheRange) {
    CdataVolume v;
    v.init(9, 4, 5, 1, 4);
    v.fillWithConstant(1.0f);
    v.floatData[3] = 1.5f;
    v.floatData[100] = 0.5f;
    v.floatData[150] = 1.8f;
    ASSERT_EQ(v.saveVox(path("b.vox").c_str(), 1.0f, 6, 0.0f, 2.0f), 0);
    CdataVolume back;
    ASSERT_EQ(back.loadVox(path("b.vox").c_str()), 0);
    EXPECT_EQ(shape(back), "3d 9x4x5 1a t1 n180");
    EXPECT_EQ(back.byteData[0], 127);       // 1.0 of 0..2
    for (int i = 0; i < v.numElements; i++) // the remap gives the value back
        ASSERT_NEAR(back.valRemp[0] + back.byteData[i] * back.remapMult, v.floatData[i], 0.03f) << i;

    v.saveVox(path("r.vox").c_str(), 1.0f, 2, 1.0f, 3.0f); // a range that does not start at 0
    ASSERT_EQ(back.loadVox(path("r.vox").c_str()), 0);
    EXPECT_EQ(back.byteData[100], 0);        // 0.5 lies below the range
    EXPECT_NEAR(back.byteData[150], 102, 1); // (1.8 - 1) x 255 / 2
}

TEST_F(VoxelFileTest, HandMadeHeaderInAnyOrder) {
    std::istringstream in(smallFile(goodChunks()));
    CdataVolume v;
    ASSERT_EQ(loadVoxelStream(v, in), 0);
    EXPECT_EQ(shape(v), "3d 2x2x2 1a t4 n8");
    EXPECT_EQ(space(v, 1), "-2..2 *0.25 fixed -512/16384");
    EXPECT_EQ(floats(v), std::vector<float>(8, 1.5f));

    std::istringstream mode0(smallFile(goodChunks(), std::string(1, '\0'))); // the corners' blend
    ASSERT_EQ(loadVoxelStream(v, mode0), 0);
    EXPECT_EQ(v.floatData[0], 1.5f);
    EXPECT_EQ(v.floatData[7], 9.0f - (9.0f - 1.5f) * 0.125f);
}

TEST_F(VoxelFileTest, SaverRefusals) {
    CdataVolume empty;
    EXPECT_EQ(empty.saveVox(path("e.vox").c_str(), 1.0f, 0, 0.0f, 1.0f), 1);
    EXPECT_FALSE(pathExists(path("e.vox")));

    // A buffer ended before all its slabs fails, and so does the file.
    std::stringstream out;
    CvoxelSaver saver;
    CvoxelHeader h;
    h.channels = 1;
    h.resX = h.resY = 2;
    h.resZ = 20;
    ASSERT_EQ(saver.open(out, 1), 0);
    ASSERT_EQ(saver.startBuffer(h), 0);
    EXPECT_EQ(saver.endBuffer(), 1);
    EXPECT_EQ(saver.startBuffer(h), 1); // one buffer only
    EXPECT_EQ(saver.close(), 1);
    h.bucketX = 0;
    EXPECT_EQ(saver.open(out, 1), 0);
    EXPECT_EQ(saver.startBuffer(h), 1);
}

std::string withMN(std::string const& mn) {
    return smallFile(chunk("MN", mn));
}
std::string replaced(std::string s, size_t at, std::string const& bytes) {
    return s.replace(at, bytes.size(), bytes);
}

// Damaged files: each fails with its message and leaves a loaded volume as it was (a
// failure inside the buckets empties it).
TEST_F(VoxelFileTest, DamagedFilesFailCleanly) {
    char const* const badHeader = "Error reading voxel file!";
    char const* const badMagic = "Unknown voxel format";
    struct Damage {
        char const* what;
        std::string file;
        char const* reason;
        bool emptied;
    } const cases[] = {
        {"wrong magic", "VOXM" + smallFile(goodChunks()).substr(4), badMagic, false},
        {"empty", "", badMagic, false},
        {"table past the end", std::string("VOXL\xff\xff", 6), badMagic, false},
        {"unwritten buffer", replaced(smallFile(goodChunks()), 6, std::string("\x9a\x02\0\0", 4)), badHeader,
         false},
        {"offset past the end", replaced(smallFile(goodChunks()), 6, std::string("\0\0\1\0", 4)), badHeader,
         false},
        {"no end of header", smallFile(goodChunks()).substr(0, 87), badHeader, false},
        {"chunk past the end", smallFile(chunk("MN", mnPayload(1, 2, 2)) + "ZZ\xff\xff\0\0"), badHeader,
         false},
        {"short MN chunk", smallFile(chunk("MN", mnPayload(1, 2, 2).substr(0, 30))), badHeader, false},
        {"no MN chunk", smallFile(goodChunks().substr(0, 31)), badHeader, false},
        {"no channels", withMN(mnPayload(0, 2, 2)), badHeader, false},
        {"five channels", withMN(mnPayload(5, 2, 2)), badHeader, false},
        {"zero resolution", withMN(mnPayload(1, 0, 2)), badHeader, false},
        {"zero bucket", withMN(mnPayload(1, 2, 0)), badHeader, false},
        {"huge volume", withMN(mnPayload(1, 65535, 255)), badHeader, false},
        {"corner table past the end", withMN(mnPayload(1, 40, 1)), badHeader, false},
        {"bucket mode 14", smallFile(goodChunks(), "\x0e"), badHeader, true},
        {"bucket mode 255", smallFile(goodChunks(), "\xff"), badHeader, true},
        {"missing bucket", smallFile(goodChunks(), ""), badHeader, false},
        {"packed words cut short", smallFile(goodChunks(), std::string("\x01\0\0\x80\x3f\0\0", 7)), badHeader,
         true},
    };
    for (Damage const& d : cases) {
        SCOPED_TRACE(d.what);
        resetExitState();
        CdataVolume v;
        v.init(2, 2, 2, 1, 4);
        v.floatData[3] = 7.0f;
        std::istringstream in(d.file);
        EXPECT_EQ(loadVoxelStream(v, in), 1);
        EXPECT_EQ(exitReason(), d.reason);
        if (d.emptied) {
            EXPECT_EQ(v.numElements, 0);
        } else {
            ASSERT_NE(v.floatData, nullptr);
            EXPECT_EQ(v.floatData[3], 7.0f);
        }
    }
}

TEST_F(VoxelFileTest, EveryTruncationOfASavedFileFails) {
    CdataVolume v;
    v.init(9, 3, 5, 3, 4);
    fillField(v);
    ASSERT_EQ(v.saveVox(path("t.vox").c_str(), 1.0f, 0, 0.0f, 1.0f), 0);
    std::string whole = readWholeFile(path("t.vox"));
    for (size_t n = 0; n < whole.size(); n++) {
        std::istringstream in(whole.substr(0, n));
        CdataVolume back;
        EXPECT_EQ(loadVoxelStream(back, in), 1) << n << " bytes";
        resetExitState();
    }
}

} // namespace
