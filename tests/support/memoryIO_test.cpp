#include <gtest/gtest.h>

#include "support/memoryIO.h"

TEST(CmemoryIO, BigEndianReads) {
    char bytes[] = {1, 2, 3, 4, char(0xFF), char(0xFE), char(0x80)};
    CmemoryIO m;
    m.setStartAndSize(bytes, sizeof bytes);
    EXPECT_EQ(m.readULong(), 16909060u);
    EXPECT_EQ(m.readShort(), -2);
    EXPECT_EQ(m.tellg(), 6);
    EXPECT_EQ(m.readChar(), -128);
    EXPECT_TRUE(m.eof());
    EXPECT_FALSE(m.failed());
    m.seekg(4);
    EXPECT_EQ(m.readUShort(), 0xFFFE);
    m.seekg(6);
    EXPECT_EQ(m.readByte(), 0x80);
}

// Reads past the block give 0, copy nothing and leave the failed flag set.
TEST(CmemoryIO, ReadsPastTheEndFailCleanly) {
    char bytes[] = {1, 2, 3};
    CmemoryIO m;
    m.setStartAndSize(bytes, sizeof bytes);
    struct Case {
        int seek;
        int (*read)(CmemoryIO&);
    } cases[] = {
        {3, [](CmemoryIO& r) { return r.readByte(); }},
        {3, [](CmemoryIO& r) { return r.readChar(); }},
        {2, [](CmemoryIO& r) { return r.readShort(); }},
        {2, [](CmemoryIO& r) { return r.readUShort(); }},
        {0, [](CmemoryIO& r) { return static_cast<int>(r.readULong()); }},
    };
    for (auto const& c : cases) {
        m.seekg(c.seek);
        EXPECT_EQ(c.read(m), 0);
        EXPECT_TRUE(m.failed());
        EXPECT_EQ(m.tellg(), c.seek); // the position does not move
    }
    char out[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    m.seekg(1);
    EXPECT_FALSE(m.read(out, 3));
    EXPECT_EQ(out[0], 9);
    EXPECT_FALSE(m.read(out, -1));
    m.seekg(100);
    EXPECT_TRUE(m.failed());
    EXPECT_TRUE(m.eof());
    m.seekg(0);
    m.seekOffset(-5);
    EXPECT_TRUE(m.failed());
    EXPECT_EQ(m.tellg(), 0);
}

TEST(CmemoryIO, EmptyBlock) {
    CmemoryIO m;
    EXPECT_TRUE(m.eof());
    EXPECT_EQ(m.readByte(), 0);
    EXPECT_TRUE(m.failed());
}
