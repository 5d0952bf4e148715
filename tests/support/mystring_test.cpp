#include <gtest/gtest.h>

#include <string>

#include "support/mystring.h"

TEST(Cstring, JoiningCopiesAndSearch) {
    Cstring a("left");
    Cstring b = a + "-" + Cstring("right");
    EXPECT_EQ("x" + a, "xleft");
    Cstring c(b);
    c += "!";
    EXPECT_EQ(b, "left-right"); // copies are deep
    EXPECT_EQ(c, "left-right!");
    std::vector<Cstring> list = {Cstring("a"), Cstring("bb"), Cstring("a")};
    EXPECT_EQ(findInStringVector(list, Cstring("a")), 0);
    EXPECT_EQ(findInStringVector(list, Cstring("bb")), 1);
    EXPECT_EQ(findInStringVector(list, Cstring("c")), -1);
}

TEST(Cstring, GrowingKeepsTheTextAcrossBlockSizes) {
    // Built a piece at a time past the small buckets, with pieces taken from itself.
    Cstring s;
    std::string expected;
    for (int k = 0; k < 3000; k++) {
        char c = static_cast<char>('a' + k % 26);
        s += c;
        expected += c;
        if (k % 397 == 0) {
            s.append(s.c_str(), s.size() < 40 ? s.size() : 40); // its own head
            expected += expected.substr(0, expected.size() < 40 ? expected.size() : 40);
        }
        ASSERT_EQ(s.size(), static_cast<int>(expected.size())) << k;
    }
    EXPECT_EQ(std::string(s.c_str(), static_cast<size_t>(s.size())), expected);
    EXPECT_EQ(s.c_str()[s.size()], '\0');
    // Block sizes only grow, and a long text fits its block.
    for (int n : {0, 1, 11, 12, 235, 236, 237, 300, 1000, 4096, 100000})
        EXPECT_GE(Cstring::blockBytesFor(n), static_cast<size_t>(n) + 5) << n;
    for (int n = 1; n < 5000; n++)
        ASSERT_LE(Cstring::blockBytesFor(n - 1), Cstring::blockBytesFor(n)) << n;
}
