#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "support/mystring.h"

TEST(Cstring, InnerNulAndHighBytes) {
    Cstring s;
    s.append("a\0b", 3);
    EXPECT_EQ(s.size(), 3);
    EXPECT_FALSE(s == "a");
    std::ostringstream out;
    out << s;
    EXPECT_EQ(out.str(), std::string("a\0b", 3));
    EXPECT_EQ(Cstring('\0').size(), 1);
    Cstring marks("a\n");
    marks += static_cast<char>(0xE9);
    EXPECT_EQ(marks.ascii(), "a[10][-23]");
}

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
