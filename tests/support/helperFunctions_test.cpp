#include "support/helperFunctions.h"

#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "support/cerr.h"

namespace {

std::string bytes(Cstring const& s) {
    return std::string(s.c_str(), static_cast<size_t>(s.size()));
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

TEST(Scrambling, RoundTripsAndLeavesOthers) {
    // Every byte: those outside the alphabet stay, and the two directions undo each other.
    std::string all;
    for (int c = 1; c < 256; c++)
        all += static_cast<char>(c);
    Cstring there = obsfucate(all.c_str(), 0);
    ASSERT_EQ(there.size(), 255);
    EXPECT_NE(there, all.c_str());
    EXPECT_EQ(obsfucate(there.c_str(), 1), all.c_str());
    for (char c : {'!', '\n', '~', '\xff'})
        EXPECT_EQ(there.c_str()[static_cast<unsigned char>(c) - 1], c);
}

} // namespace
