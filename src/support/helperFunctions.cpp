#include "support/helperFunctions.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "support/cerr.h"
#include "support/fileIO.h"

char const base64ToCharLookup[65] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz-.0123456789";
char const convertChars[15] = "\"\\&`@#%^+<>{}|";
char const hexvalues[17] = "0123456789ABCDEF";
float const hsvr[11] = {1, 1, 0, 0, 0, 1, 1, 1, 0, 0, 0};

namespace {

char scratch[8];

bool isEscapeChar(unsigned char c) {
    return c != 0 && std::strchr(convertChars, c) != nullptr;
}

// The loose digit arithmetic of the machine identifier: any character has a value.
int looseHexValue(unsigned char c) {
    if (c >= 'a') return c - 87;
    if (c >= 'A') return c - 55;
    return c - 48;
}

} // namespace

// ---- six-bit encoding ----

Cstring binToBase64(char const* data, int count) {
    Cstring out;
    if (!data || count <= 0) return out;
    out.resizeChars((count + 2) / 3 * 4);
    char* o = out.getDataStart();
    unsigned char group[3] = {0, 0, 0}; // a short last group keeps the previous group's bytes
    for (int i = 0; i < count; i += 3) {
        for (int k = 0; k < 3 && i + k < count; k++)
            group[k] = static_cast<unsigned char>(data[i + k]);
        uint32_t v = group[0] | (group[1] << 8) | (static_cast<uint32_t>(group[2]) << 16);
        *o++ = base64ToCharLookup[v & 63];
        *o++ = base64ToCharLookup[(v >> 6) & 63];
        *o++ = base64ToCharLookup[(v >> 12) & 63];
        *o++ = base64ToCharLookup[v >> 18];
    }
    return out;
}

int base64charTo6bits(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c == '-') return 52;
    if (c == '.') return 53;
    if (c >= '0' && c <= '9') return c - '0' + 54;
    return -1;
}

Cstring base64ToBin(Cstring const& text) {
    Cstring out;
    char const* p = text.c_str();
    int groups = text.size() / 4;
    out.resizeChars(groups * 3);
    char* o = out.getDataStart();
    for (int g = 0; g < groups; g++) {
        uint32_t v = 0;
        for (int k = 0; k < 4; k++) {
            int bits = base64charTo6bits(static_cast<unsigned char>(p[g * 4 + k]));
            if (bits < 0) return Cstring();
            v |= static_cast<uint32_t>(bits) << (6 * k);
        }
        *o++ = static_cast<char>(v & 255);
        *o++ = static_cast<char>((v >> 8) & 255);
        *o++ = static_cast<char>((v >> 16) & 255);
    }
    return out;
}

unsigned short asciiShortToShort(char const* text) {
    uint32_t v = 0;
    for (int k = 0; text && k < 3 && text[k]; k++) {
        int bits = base64charTo6bits(static_cast<unsigned char>(text[k]));
        if (bits > 0) v |= static_cast<uint32_t>(bits) << (6 * k);
    }
    return static_cast<unsigned short>(v & 0xFFFF);
}

char const* ushortTo3charToTempBuf(unsigned short value) {
    scratch[0] = base64ToCharLookup[value & 63];
    scratch[1] = base64ToCharLookup[(value >> 6) & 63];
    scratch[2] = base64ToCharLookup[(value >> 12) & 63];
    scratch[3] = 0;
    return scratch;
}

// ---- hexadecimal ----

Cstring hexToBinary(Cstring const& text) {
    Cstring out;
    char const* p = text.c_str();
    out.resizeChars(text.size() / 2);
    char* o = out.getDataStart();
    for (int i = 0; i + 1 < text.size(); i += 2) {
        int v = 16 * looseHexValue(static_cast<unsigned char>(p[i])) +
                looseHexValue(static_cast<unsigned char>(p[i + 1]));
        *o++ = static_cast<char>(v & 255); // modulo 256, also for negative values
    }
    return out;
}

int hexCharToDecimal(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

Cstring intToHex(int value, int digits) {
    Cstring out;
    if (digits <= 0) return out;
    uint64_t v = static_cast<uint32_t>(value);
    out.resizeChars(digits);
    char* text = out.getDataStart();
    for (int i = digits - 1; i >= 0; i--) {
        text[i] = hexvalues[v & 15];
        v >>= 4;
    }
    return out;
}

// ---- web text ----

Cstring httpSafeLen(char const* text, int n, bool escapeAll) {
    std::vector<char> out;
    for (int i = 0; text && i < n; i++) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 32 && c <= 122 && !isEscapeChar(c) && !escapeAll) {
            out.push_back(c == ' ' ? '+' : static_cast<char>(c));
            continue;
        }
        out.push_back('%');
        out.push_back(hexvalues[c >> 4]);
        out.push_back(hexvalues[c & 15]);
    }
    Cstring result;
    result.assign(out.data(), static_cast<int>(out.size()));
    return result;
}

Cstring httpSafe(char const* text, bool escapeAll) {
    if (!text) return Cstring("NULL");
    return httpSafeLen(text, static_cast<int>(std::strlen(text)), escapeAll);
}

Cstring webSafe(char const* text) {
    Cstring out;
    if (!text) return out;
    out = text;
    char* p = out;
    for (int i = 0; i < out.size(); i++)
        if (isEscapeChar(static_cast<unsigned char>(p[i]))) p[i] = '_';
    return out;
}

// ---- substitution ----

Cstring patternReplace(char const* pattern, std::vector<Cstring> const& values) {
    Cstring out;
    if (!pattern) return out;
    for (char const* p = pattern; *p; p++) {
        if (*p != '%') {
            out += *p;
            continue;
        }
        char key = p[1];
        if (key == 0) break; // a lone "%" at the end is dropped
        p++;
        if (key >= 'a' && key <= 'z' && static_cast<size_t>(key - 'a') < values.size())
            out += values[static_cast<size_t>(key - 'a')];
    }
    return out;
}

Cstring searchAndReplace(char const* text, char const* search, char const* replacement) {
    Cstring out;
    if (!text) return out;
    size_t searchLen = search ? std::strlen(search) : 0;
    if (searchLen == 0) return Cstring(text);
    int replacementLen = replacement ? static_cast<int>(std::strlen(replacement)) : 0;
    char const* p = text;
    while (char const* hit = std::strstr(p, search)) {
        out.append(p, static_cast<int>(hit - p));
        if (replacementLen) out.append(replacement, replacementLen);
        p = hit + searchLen;
    }
    out += p;
    return out;
}

Cstring addFilePrefix(char const* path) {
    return Cstring(path ? path : "");
}

Cstring pad(int value, int width) {
    char digits[16];
    int n = std::snprintf(digits, sizeof digits, "%d", value);
    Cstring out;
    for (int i = n; i < width; i++)
        out += '0';
    out.append(digits, n);
    return out;
}

// ---- bits and numbers ----

unsigned int setMask(unsigned int value, unsigned int mask, bool on) {
    return on ? value | mask : value & ~mask;
}

unsigned int clearMask(unsigned int value, unsigned int mask) {
    return value & ~mask;
}

unsigned int maskFromStartEnd(short first, short last) {
    if (first < 0) first = 0;
    if (last > 31) last = 31;
    if (last < first) return 0;
    uint64_t upTo = (uint64_t{1} << (last + 1)) - 1;
    uint64_t below = (uint64_t{1} << first) - 1;
    return static_cast<unsigned int>(upTo & ~below);
}

Cstring showLongLongBits(unsigned long long bits) {
    char text[64];
    for (int i = 0; i < 64; i++)
        text[i] = (bits >> i) & 1 ? 'X' : '-';
    Cstring out;
    out.assign(text, 64);
    return out;
}

float wrap(float value, float low, float high) {
    double range = static_cast<double>(high) - low;
    if (!std::isfinite(value) || !std::isfinite(range) || !(range > 0)) return value;
    if (value >= low && value < high) return value;
    double v = value;
    // Far values are reduced in one step; near ones by whole ranges as before.
    if (std::fabs(v - low) > 16 * range) v = low + std::fmod(v - low, range);
    while (v < low)
        v += range;
    while (v >= high)
        v -= range;
    float result = static_cast<float>(v);
    if (result >= high || result < low) result = low; // rounding to float hit an end
    return result;
}

float qnan() {
    uint32_t bits = 0xFFFFFFFFu;
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

void HSV2RGB(float hue, float saturation, float value, float* rgb) {
    if (!rgb) return;
    double h = std::isfinite(hue) ? std::fmod(static_cast<double>(hue), 360.0) : 0.0;
    if (h < 0) h += 360.0;
    double x = h / 60.0;
    int i = static_cast<int>(x);
    if (i < 0 || i > 5) { // h rounded up to 360
        i = 0;
        x = 0;
    }
    double f = x - i;
    int base[3] = {i, i + 4, i + 2};
    for (int c = 0; c < 3; c++) {
        double ramp = hsvr[base[c]] * (1 - f) + hsvr[base[c] + 1] * f;
        rgb[c] = static_cast<float>(ramp * value * saturation + value * (1 - saturation));
    }
}

// ---- scrambling ----

namespace {
char const plainTable[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz ./,_-+";
char const scrambledTable[] = "xYAGRK+1 H4W2j_fC8p.nUsFgcS-umbeJO6a3iEohlQMP,Td0VZk9rDyvzNXItB7Lw/q5";
static_assert(sizeof plainTable == 70 && sizeof scrambledTable == 70);
} // namespace

Cstring obsfucate(char const* text, int direction) {
    Cstring out;
    if (!text) return out;
    char const* from = direction == 0 ? plainTable : scrambledTable;
    char const* to = direction == 0 ? scrambledTable : plainTable;
    // One table look-up per character: long texts reach here from scripts.
    unsigned char map[256];
    for (int c = 0; c < 256; c++)
        map[c] = static_cast<unsigned char>(c);
    for (size_t k = 0; k + 1 < sizeof plainTable; k++)
        map[static_cast<unsigned char>(from[k])] = static_cast<unsigned char>(to[k]);
    size_t n = std::strlen(text);
    if (n == 0 || n > 0x7fffffff) return out;
    out.resizeChars(static_cast<int>(n));
    char* dest = out.getDataStart();
    for (size_t k = 0; k < n; k++)
        dest[k] = static_cast<char>(map[static_cast<unsigned char>(text[k])]);
    return out;
}
