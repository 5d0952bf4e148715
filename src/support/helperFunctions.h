// Small stateless text, encoding and number helpers shared across the engine.
//
// Every helper returns a fresh Cstring or a plain value; none writes into a caller's
// buffer, so none can overrun one.
#pragma once

#include <vector>

#include "support/mystring.h"

// Alphabet of the six-bit encoding: A-Z, a-z, "-", ".", 0-9.
extern char const base64ToCharLookup[65];
// Characters that web texts must not carry raw.
extern char const convertChars[15];
extern char const hexvalues[17];
// Colour ramp sampled by HSV2RGB.
extern float const hsvr[11];

// Six-bit encoding: three bytes (little-endian 24-bit value) become four characters,
// low six bits first. A short last group borrows the missing bytes from the group before.
Cstring binToBase64(char const* data, int count);
// Inverse of binToBase64: four characters give three bytes. A trailing partial group is
// ignored; any character outside the alphabet makes the result empty.
Cstring base64ToBin(Cstring const& text);
// The value 0-63 of one alphabet character, -1 for any other character.
int base64charTo6bits(unsigned char c);
// Three alphabet characters (low six bits first) to a 16-bit value; stops at a NUL.
unsigned short asciiShortToShort(char const* text);
// A 16-bit value as three alphabet characters in a shared scratch buffer (valid until
// the next call).
char const* ushortTo3charToTempBuf(unsigned short value);

// Two characters per byte, high first; hyphens take part in the arithmetic (value -3)
// because the machine identifier is built that way. A trailing odd character is ignored.
Cstring hexToBinary(Cstring const& text);
// 0-15 for a hexadecimal digit of either case, -1 for anything else.
int hexCharToDecimal(char c);
// The low `digits` hexadecimal digits of value, upper case, most significant first.
Cstring intToHex(int value, int digits);

// Escaped form for web queries; "NULL" for a null text.
Cstring httpSafe(char const* text, bool escapeAll);
// Escaped form of the first n bytes (see httpSafe).
Cstring httpSafeLen(char const* text, int n, bool escapeAll);
// Every character of convertChars becomes "_".
Cstring webSafe(char const* text);

// "%a" takes values[0], "%b" values[1] and so on; any other "%" pair is dropped.
Cstring patternReplace(char const* pattern, std::vector<Cstring> const& values);
// text with every occurrence of search replaced, left to right, without overlap.
Cstring searchAndReplace(char const* text, char const* search, char const* replacement);
Cstring addFilePrefix(char const* path);
// value in decimal with "0"s in front up to width (also in front of a sign: 00-5).
Cstring pad(int value, int width);

unsigned int setMask(unsigned int value, unsigned int mask, bool on);
unsigned int clearMask(unsigned int value, unsigned int mask);
// Bits first..last set; a negative first counts as 0, last is capped at 31.
unsigned int maskFromStartEnd(short first, short last);
// 64 characters, bit 0 first: "X" set, "-" clear.
Cstring showLongLongBits(unsigned long long bits);
// value moved into [low, high) by whole ranges. NaN, infinities and an empty or
// non-finite range give the value back unchanged.
float wrap(float value, float low, float high);
// The float whose 32 bits are all set.
float qnan();
// Hue in degrees, saturation and value 0-1 to red, green, blue in rgb[0..2].
void HSV2RGB(float hue, float saturation, float value, float* rgb);

// Swaps characters between the two scramble tables: direction 0 scrambles, any other
// direction restores.
Cstring obsfucate(char const* text, int direction);
