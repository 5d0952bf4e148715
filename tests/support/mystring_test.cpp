#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>

#include "support/mystring.h"

TEST(Cstring, EmptyStringOwnsNothing) {
    Cstring s;
    EXPECT_STREQ(s.c_str(), "");
    EXPECT_EQ(s.getDataStart(), nullptr);
    char* writable = s;
    EXPECT_EQ(writable, &nullChar);
    Cstring keep("keep");
    keep = static_cast<char const*>(nullptr);
    EXPECT_EQ(keep, "keep");
    keep = "";
    EXPECT_EQ(keep.getDataStart(), nullptr);
}

// Growth follows the 16-byte buckets; appends inside a bucket keep the block in place.
TEST(Cstring, GrowthStaysInBucket) {
    struct Case {
        int length, bytes;
    } cases[] = {{0, 16}, {11, 16}, {12, 32}, {27, 32}, {28, 48}};
    for (auto const& c : cases)
        EXPECT_EQ(Cstring::blockBytesFor(c.length), c.bytes) << c.length;
    Cstring s("aaaaaaaaaaa");
    s += 'b'; // the 12th character needs a 32-byte block
    char* moved = s.getDataStart();
    for (int i = 13; i <= 27; i++) {
        s += 'c';
        EXPECT_EQ(s.getDataStart(), moved) << "character " << i << " should append in place";
    }
    EXPECT_EQ(s, "aaaaaaaaaaabccccccccccccccc");
}

TEST(Cstring, Substrings) {
    Cstring s("abcdef");
    struct Case {
        int start, count;
        char const* want;
    } cases[] = {{3, 100, "def"}, {6, 1, ""}, {2, -4, ""}, {0, 2, "ab"}, {5, 1, "f"}, {10, 2, ""}};
    for (auto const& c : cases)
        EXPECT_EQ(s.substr(c.start, c.count), c.want) << c.start << "," << c.count;
    EXPECT_EQ(Cstring().substr(0, 3).size(), 0);
}

// Float text is "%g" whatever the user's locale.
TEST(Cstring, NumberFormatting) {
    for (float v : {0.0f, -0.0f, 1.0f, 0.1f, 123456.0f, 1234567.0f, 1e-5f, 3.14159265f, -2.5e10f, 65536.5f}) {
        char want[64];
        std::snprintf(want, sizeof want, "%g", static_cast<double>(v));
        EXPECT_EQ(Cstring(v), want) << want;
    }
    EXPECT_EQ(Cstring(-7), "-7");
    Cstring s("old");
    s = 3.25f;
    EXPECT_EQ(s, "3.25");
    s = 12;
    EXPECT_EQ(s, "12");
}

TEST(Cstring, Comparison) {
    Cstring run("run");
    EXPECT_TRUE(run.compare("run", 3));
    EXPECT_FALSE(Cstring("runner").compare("run", 3));
    EXPECT_FALSE(run.compare("ru", 2));
    EXPECT_FALSE(run == "ru");
    EXPECT_TRUE(run.sameAs("run"));
    // A single character compares as a one-character string, never reading past it.
    char r = 'r';
    EXPECT_FALSE(run == r);
    EXPECT_TRUE(Cstring("r") == r);
    EXPECT_FALSE(Cstring() == r);
}

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

// Assigning a string to itself or to a piece of itself must not read freed memory.
TEST(Cstring, AliasingAssignments) {
    Cstring s("hello world, a longer text");
    s = s;
    EXPECT_EQ(s, "hello world, a longer text");
    s = s.c_str() + 6;
    EXPECT_EQ(s, "world, a longer text");
    s.assign(s.c_str() + 7, 8);
    EXPECT_EQ(s, "a longer");
    s += s;
    EXPECT_EQ(s, "a longera longer");
    s.append(s.c_str(), s.size()); // forces a new block while reading the old one
    EXPECT_EQ(s, "a longera longera longera longer");
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
