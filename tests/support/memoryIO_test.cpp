#include <gtest/gtest.h>

#include "support/memoryIO.h"

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
