#include "support/helperFunctions.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "support/cerr.h"

namespace {

std::string bytes(Cstring const& s) {
    return std::string(s.c_str(), static_cast<size_t>(s.size()));
}

TEST(SixBitEncoding, EncodesGroupsLowBitsFirst) {
    struct Case {
        std::string in;
        char const* out;
    } cases[] = {
        {std::string("\x01\x00\x00", 3), "BAAA"},
        {std::string("\x00\x00\x00", 3), "AAAA"},
        {std::string("\xff\xff\xff", 3), "9999"},
        {std::string("\x3f\x00\x00", 3), "9AAA"},
        {std::string("\x40\x00\x00", 3), "ABAA"},
        {std::string("\x00\x00\x80", 3), "AAAg"},
        // short last group borrows the bytes of the group before it
        {std::string("\x01\x02\x03\x04", 4), "BIwAEIwA"},
        {std::string("\x07", 1), "HAAA"},
        {std::string(), ""},
    };
    for (auto const& c : cases) {
        EXPECT_EQ(bytes(binToBase64(c.in.data(), static_cast<int>(c.in.size()))), c.out) << c.out;
    }
    EXPECT_EQ(binToBase64(nullptr, 3).size(), 0);
}

TEST(SixBitEncoding, DecodesAndRoundTrips) {
    EXPECT_EQ(bytes(base64ToBin("BAAA")), std::string("\x01\x00\x00", 3));
    EXPECT_EQ(bytes(base64ToBin("BAAAB")), std::string("\x01\x00\x00", 3)); // partial group ignored
    EXPECT_EQ(base64ToBin("BA*A").size(), 0);                               // not in the alphabet
    std::string all;
    for (int i = 0; i < 255; i++)
        all += static_cast<char>(i);
    EXPECT_EQ(bytes(base64ToBin(binToBase64(all.data(), 255))), all);
}

TEST(SixBitEncoding, CharacterValuesAndShorts) {
    for (int i = 0; i < 64; i++)
        EXPECT_EQ(base64charTo6bits(base64ToCharLookup[i]), i);
    EXPECT_EQ(base64charTo6bits('*'), -1);
    EXPECT_EQ(base64charTo6bits(0xE9), -1);
    for (unsigned v : {0u, 1u, 63u, 64u, 4095u, 4096u, 0xBEEFu, 0xFFFFu}) {
        char const* text = ushortTo3charToTempBuf(static_cast<unsigned short>(v));
        EXPECT_EQ(std::strlen(text), 3u);
        EXPECT_EQ(asciiShortToShort(text), v);
    }
    EXPECT_STREQ(ushortTo3charToTempBuf(1), "BAA");
    EXPECT_EQ(asciiShortToShort("B"), 1); // stops at the terminator
}

TEST(Hex, BinaryFromText) {
    struct Case {
        char const* in;
        std::string out;
    } cases[] = {
        {"00ff7F", std::string("\x00\xff\x7f", 3)},
        {"aB", "\xab"},
        {"-0", std::string(1, static_cast<char>(-48 & 255))}, // hyphen counts -3
        {"0-", std::string(1, static_cast<char>(-3 & 255))},
        {"123", "\x12"}, // odd character ignored
        {"", ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(bytes(hexToBinary(c.in)), c.out) << c.in;
}

TEST(Hex, DigitsAndIntToHex) {
    struct Case {
        char c;
        int v;
    } digits[] = {{'0', 0}, {'9', 9}, {'a', 10}, {'F', 15}, {'g', -1}, {'-', -1}};
    for (auto const& d : digits)
        EXPECT_EQ(hexCharToDecimal(d.c), d.v) << d.c;

    struct IntCase {
        int value, digits;
        char const* out;
    } cases[] = {
        {255, 2, "FF"},
        {255, 4, "00FF"},
        {0x1234, 2, "34"},
        {0, 1, "0"},
        {0x7FFFFFFF, 8, "7FFFFFFF"},
        {1, 12, "000000000001"}, // more digits than the value has
        {5, 0, ""},
        {5, -3, ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(intToHex(c.value, c.digits), c.out) << c.out;
}

TEST(WebText, HttpSafe) {
    char const mixed[] = "a b&\xe9";
    EXPECT_EQ(httpSafe(mixed, false), "a+b%26%E9");
    EXPECT_EQ(httpSafe(mixed, true), "%61%20%62%26%E9");
    EXPECT_EQ(httpSafe(nullptr, false), "NULL");
    EXPECT_EQ(httpSafe("\n~{|}\x7f", false), "%0A%7E%7B%7C%7D%7F");
    EXPECT_EQ(httpSafe("\"\\`@#%^+<>", false), "%22%5C%60%40%23%25%5E%2B%3C%3E");
    EXPECT_EQ(httpSafe("Az09.-_/", false), "Az09.-_/");
    EXPECT_EQ(httpSafeLen("abc", 2, false), "ab");
    char const withNul[] = {'a', 0, 'b'};
    EXPECT_EQ(httpSafeLen(withNul, 3, false), "a%00b");
}

TEST(WebText, WebSafe) {
    EXPECT_EQ(webSafe("a&b c\"d|{x}"), "a_b c_d__x_");
    EXPECT_EQ(webSafe("plain.txt"), "plain.txt");
    EXPECT_EQ(webSafe(nullptr).size(), 0);
}

TEST(Substitution, PatternReplace) {
    std::vector<Cstring> uv = {"u", "v"};
    std::vector<Cstring> u = {"u"};
    struct Case {
        char const* pattern;
        std::vector<Cstring> const* values;
        char const* out;
    } cases[] = {
        {"%a/x%b", &uv, "u/xv"}, {"%a/x%b", &u, "u/x"},  {"%A%1x", &uv, "x"},
        {"100%", &uv, "100"},    {"%b%a%b", &uv, "vuv"}, {"", &uv, ""},
        {"plain", &u, "plain"},  {"%%a", &uv, "a"}, // "%%" is a dropped pair
    };
    for (auto const& c : cases)
        EXPECT_EQ(patternReplace(c.pattern, *c.values), c.out) << c.pattern;
}

TEST(Substitution, SearchAndReplace) {
    struct Case {
        char const *text, *search, *replacement, *out;
    } cases[] = {
        {"a``b``", "``", "\"", "a\"b\""}, {"aaaa", "aa", "b", "bb"}, {"aaa", "aa", "b", "ba"},
        {"abc", "", "x", "abc"},          {"abc", "z", "x", "abc"},  {"abc", "b", "", "ac"},
        {"xx", "x", "xx", "xxxx"}, // replacement that holds the search text
    };
    for (auto const& c : cases)
        EXPECT_EQ(searchAndReplace(c.text, c.search, c.replacement), c.out) << c.text;
    std::string longText(5000, 'a');
    EXPECT_EQ(searchAndReplace(longText.c_str(), "a", "bb").size(), 10000);
    EXPECT_EQ(searchAndReplace(nullptr, "a", "b").size(), 0);
    EXPECT_EQ(addFilePrefix("x/y.txt"), "x/y.txt");
}

TEST(Substitution, Pad) {
    struct Case {
        int value, width;
        char const* out;
    } cases[] = {
        {5, 3, "005"}, {-5, 4, "00-5"}, {123, 2, "123"}, {0, 0, "0"}, {-2147483647 - 1, 12, "0-2147483648"}};
    for (auto const& c : cases)
        EXPECT_EQ(pad(c.value, c.width), c.out) << c.out;
}

TEST(Bits, Masks) {
    EXPECT_EQ(setMask(0x10, 0x3, true), 0x13u);
    EXPECT_EQ(setMask(0x13, 0x3, false), 0x10u);
    EXPECT_EQ(clearMask(0xFF, 0x0F), 0xF0u);
    struct Case {
        short first, last;
        unsigned out;
    } cases[] = {{2, 4, 28}, {0, 0, 1}, {-3, 1, 3}, {0, 30, 0x7FFFFFFF}, {0, 40, 0xFFFFFFFF}, {5, 3, 0}};
    for (auto const& c : cases)
        EXPECT_EQ(maskFromStartEnd(c.first, c.last), c.out) << c.first << " " << c.last;
    EXPECT_EQ(std::string(showLongLongBits(0x8000000000000005ull).c_str()),
              "X-X" + std::string(60, '-') + "X");
    float quiet = qnan(); // all bits set
    uint32_t bits;
    std::memcpy(&bits, &quiet, sizeof bits);
    EXPECT_EQ(bits, 0xFFFFFFFFu);
}

TEST(Numbers, Wrap) {
    float const inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value, low, high, out;
    } cases[] = {
        {370, 0, 360, 10}, {-30, 0, 360, 330}, {360, 0, 360, 0},     {0, 0, 360, 0},       {725, 0, 360, 5},
        {5, 5, 5, 5},      {5, 10, 0, 5},      {1.5f, -1, 1, -0.5f}, {-1e-10f, 0, 360, 0},
    };
    for (auto const& c : cases)
        EXPECT_FLOAT_EQ(wrap(c.value, c.low, c.high), c.out) << c.value;

    EXPECT_EQ(wrap(inf, 0, 360), inf);
    EXPECT_EQ(wrap(-inf, 0, 360), -inf);
    EXPECT_TRUE(std::isnan(wrap(std::nanf(""), 0, 360)));
    EXPECT_EQ(wrap(5, 0, inf), 5);
    float big = wrap(1e10f, 0, 360);
    EXPECT_GE(big, 0);
    EXPECT_LT(big, 360);
    EXPECT_NEAR(big, std::fmod(1e10, 360.0), 1e-3);
    float bigNeg = wrap(-1e10f, 0, 360);
    EXPECT_GE(bigNeg, 0);
    EXPECT_LT(bigNeg, 360);
    float tiny = wrap(3e38f, -3e38f, 3e38f);
    EXPECT_GE(tiny, -3e38f);
    EXPECT_LT(tiny, 3e38f);
}

TEST(Numbers, HsvToRgb) {
    struct Case {
        float h, s, v, r, g, b;
    } cases[] = {
        {0, 1, 1, 1, 0, 0},         {60, 1, 1, 1, 1, 0},
        {120, 1, 1, 0, 1, 0},       {180, 1, 1, 0, 1, 1},
        {240, 1, 1, 0, 0, 1},       {300, 1, 1, 1, 0, 1},
        {30, 1, 1, 1, 0.5f, 0},     {480, 1, 1, 0, 1, 0},
        {-60, 1, 1, 1, 0, 1},       {77, 0, 0.4f, 0.4f, 0.4f, 0.4f},
        {120, 1, 0.5f, 0, 0.5f, 0}, {-1e-9f, 1, 1, 1, 0, 0}, // rounds up to 360
    };
    for (auto const& c : cases) {
        float rgb[3] = {-1, -1, -1};
        HSV2RGB(c.h, c.s, c.v, rgb);
        EXPECT_NEAR(rgb[0], c.r, 1e-5) << c.h;
        EXPECT_NEAR(rgb[1], c.g, 1e-5) << c.h;
        EXPECT_NEAR(rgb[2], c.b, 1e-5) << c.h;
    }
    float rgb[3];
    HSV2RGB(std::nanf(""), 1, 1, rgb);
    EXPECT_FLOAT_EQ(rgb[0], 1);
}

TEST(Scrambling, RoundTripsAndLeavesOthers) {
    char const* text = "Hello, World/path_1-2+3.txt";
    Cstring scrambled = obsfucate(text, 0);
    EXPECT_NE(scrambled, text);
    EXPECT_EQ(scrambled.size(), static_cast<int>(std::strlen(text)));
    EXPECT_EQ(obsfucate(scrambled, 1), text);
    EXPECT_EQ(obsfucate("!?*", 0), "!?*");
}

} // namespace
