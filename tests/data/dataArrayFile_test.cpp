// The "AAC0" array file: layout, round trips, and damaged files failing cleanly.
#include <sstream>
#include <string>

#include "support/engineHooks.h"
#include "dataTestSupport.h"

namespace {

using FileTest = DataArrayTest;

// A well-formed one-dimensional float file of n samples and one channel, named "ab".
std::string curveFile(int n) {
    std::string s = "AAC0";
    s += std::string("\x02\x00", 2) + "ab";
    s += std::string("\x01\x01\x00", 3);
    putFloat(s, 0.0f);
    putFloat(s, 1.0f);
    putLE(s, static_cast<uint32_t>(n));
    putFloat(s, 0.0f);
    putFloat(s, 1.0f);
    for (int i = 0; i < n; i++)
        putFloat(s, float(i));
    return s;
}

TEST_F(FileTest, UnreadableSourcesFail) {
    CdataChan c;
    EXPECT_EQ(c.load(""), 1);
    EXPECT_EQ(c.load(nullptr), 1);
    EXPECT_EQ(c.load(path("missing.chan").c_str()), 1);
    EXPECT_EQ(c.name, path("missing.chan").c_str());
    EXPECT_EQ(c.load(c.name.c_str()), 1); // the name is the path: still read safely
    EXPECT_EQ(exitReason(), "");
}

std::string le32(uint32_t v) {
    std::string s;
    putLE(s, v);
    return s;
}

// Damaged headers: each fails the load and leaves the array as it was.
TEST_F(FileTest, DamagedHeadersFailCleanly) {
    // Offsets in curveFile: name length 4, dims 8, chans 9, code 10, res 19.
    struct Damage {
        char const* what;
        int offset;
        std::string bytes;
    } const cases[] = {{"wrong magic", 0, "AAC1"},
                       {"name longer than allowed", 4, "\xff\x7f"},
                       {"name past the end", 4, "\xf0\x03"},
                       {"negative name length", 4, std::string("\x00\x80", 2)},
                       {"no dimensions", 8, std::string("\x00", 1)},
                       {"four dimensions", 8, "\x04"},
                       {"no channels", 9, std::string("\x00", 1)},
                       {"five channels", 9, "\x05"},
                       {"storage code 1", 10, "\x01"},
                       {"storage code 2", 10, "\x02"},
                       {"zero resolution", 19, le32(0)},
                       {"negative resolution", 19, le32(0xFFFFFFFF)},
                       {"more samples than bytes", 19, le32(5)},
                       {"resolution overflowing 32 bits", 19, le32(0x7FFFFFFF)}};
    for (Damage const& d : cases) {
        SCOPED_TRACE(d.what);
        std::string s = curveFile(4);
        s.replace(static_cast<size_t>(d.offset), d.bytes.size(), d.bytes);
        writeWholeFile(path("bad.chan"), s);
        CdataChan c;
        c.init(3, 1, 1, 1, 4);
        c.floatData[2] = 7.0f;
        EXPECT_NE(c.load(path("bad.chan").c_str()), 0);
        EXPECT_EQ(c.res[0], 3);
        EXPECT_EQ(c.chans, 1);
        ASSERT_NE(c.floatData, nullptr);
        EXPECT_FLOAT_EQ(c.floatData[2], 7.0f);
        EXPECT_EQ(exitReason(), "");
    }
}

// Five channels are one more than an array holds, even when the file carries all their
// samples; four with the same data length read.
TEST_F(FileTest, TheChannelLimitAloneRefusesAFifthChannel) {
    for (int chans : {5, 4}) {
        int samples = 20 / chans;
        std::string s = curveFile(20); // 20 values: 4 samples of 5 channels, or 5 of 4
        s.replace(9, 1, std::string(1, static_cast<char>(chans)));
        s.replace(19, 4, le32(static_cast<uint32_t>(samples)));
        writeWholeFile(path("wide.chan"), s);
        CdataChan c;
        short before = c.chans;
        EXPECT_EQ(c.load(path("wide.chan").c_str()) != 0, chans == 5) << chans;
        EXPECT_EQ(c.chans, chans == 5 ? before : 4) << chans;
        EXPECT_EQ(exitReason(), "");
    }
}

TEST_F(FileTest, EveryTruncationFails) {
    std::string whole = curveFile(4);
    for (size_t n = 0; n < whole.size(); n++) {
        writeWholeFile(path("t.chan"), whole.substr(0, n));
        CdataChan c;
        EXPECT_NE(c.load(path("t.chan").c_str()), 0) << n << " bytes";
    }
    writeWholeFile(path("t.chan"), whole + "trailing");
    CdataChan c;
    EXPECT_EQ(c.load(path("t.chan").c_str()), 0);
}

TEST_F(FileTest, ProductOfResolutionsIsCheckedIn64Bits) {
    // Three dimensions of 65536 samples: the count overflows 32 bits to a small number.
    std::string s = "AAC0";
    s += std::string("\x00\x00\x03\x04\x03", 5);
    putFloat(s, 0.0f);
    putFloat(s, 1.0f);
    for (int d = 0; d < 3; d++) {
        putLE(s, 65536);
        putFloat(s, 0.0f);
        putFloat(s, 1.0f);
    }
    s += std::string(64, '\0');
    writeWholeFile(path("o.aac"), s);
    CdataVolume v;
    EXPECT_NE(v.load(path("o.aac").c_str()), 0);
    EXPECT_EQ(v.numElements, 0);
}

TEST_F(FileTest, SaveRefusals) {
    CdataChan c;
    c.init(4, 1, 1, 1, 4);
    c.dataType = 2;
    EXPECT_EQ(c.save(path("s.chan").c_str()), 1);
    EXPECT_EQ(exitReason(), "no short");
    EXPECT_FALSE(pathExists(path("s.chan")));
    resetExitState();

    c.dataType = 4;
    EXPECT_EQ(c.save(""), 1);
    EXPECT_EQ(c.save(path("no/such/folder/s.chan").c_str()), 1);
    EXPECT_EQ(exitReason(), "");
}

TEST_F(FileTest, BigEndianStreamReaders) {
    std::istringstream in(std::string("\x01\x02\x03\x04\xff\xfe\xff\xfe\x7f", 9));
    EXPECT_EQ(readULong(in), 16909060);
    EXPECT_EQ(readShort(in), -2);
    EXPECT_EQ(readUShort(in), 65534);
    EXPECT_EQ(readByte(in), 127);
    EXPECT_EQ(readByte(in), 0); // past the end
    EXPECT_TRUE(in.fail());
    std::istringstream high(std::string("\xff\xff\xff\xfe", 4));
    EXPECT_EQ(readULong(high), -2);
}

} // namespace
