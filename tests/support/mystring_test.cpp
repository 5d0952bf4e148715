#include <gtest/gtest.h>

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
