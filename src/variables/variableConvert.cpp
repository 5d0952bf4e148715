#include "variables/variableConvert.h"

#include <cfloat>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "support/cerr.h"

namespace varconv {

namespace {
char resultBuffer[64]; // shared text result of the element accessors

// Steps past leading blanks and one sign, as atoi and atof do; true for a minus.
bool skipBlanksAndSign(char const*& text) {
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        text++;
    bool negative = *text == '-';
    if (*text == '+' || *text == '-') text++;
    return negative;
}
} // namespace

int truncToInt(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483647.0) return INT_MAX;
    if (value <= -2147483648.0) return INT_MIN;
    return static_cast<int>(value);
}

int64_t truncToInt64(double value) {
    if (std::isnan(value)) return 0;
    if (value >= 9223372036854775807.0) return INT64_MAX;
    if (value <= -9223372036854775808.0) return INT64_MIN;
    return static_cast<int64_t>(value);
}

float toFloat(double value) {
    if (value > FLT_MAX) return INFINITY;
    if (value < -FLT_MAX) return -INFINITY;
    return static_cast<float>(value);
}

int textToInt(char const* text) {
    if (text == nullptr) return 0;
    bool negative = skipBlanksAndSign(text);
    int64_t value = 0;
    for (; *text >= '0' && *text <= '9'; text++) {
        value = value * 10 + (*text - '0');
        if (value > static_cast<int64_t>(INT_MAX) + 1) value = static_cast<int64_t>(INT_MAX) + 1;
    }
    if (negative) value = -value;
    if (value > INT_MAX) return INT_MAX;
    return static_cast<int>(value);
}

// In the C locale whatever the user's locale is; the prefix that forms a number counts.
double textToDouble(char const* text) {
    if (text == nullptr) return 0.0;
    bool negative = skipBlanksAndSign(text);
    if (*text == '+' || *text == '-') return 0.0; // a second sign is not a number
    double value = 0.0;
    char const* end = text + std::strlen(text);
    auto result = std::from_chars(text, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        // Too large or too small: a negative exponent means underflow.
        char const* e = text;
        while (e < result.ptr && *e != 'e' && *e != 'E')
            e++;
        value = (e + 1 < result.ptr && e[1] == '-') ? 0.0 : HUGE_VAL;
    } else if (result.ec != std::errc()) {
        value = 0.0;
    }
    return negative ? -value : value;
}

bool storable(float value, char const* name) {
    if (std::isfinite(value)) return true;
    VTRACE(1, "refused " << value << " for " << (name ? name : "")
                         << ": not a finite number; it stays as it was");
    return false;
}

char const* formatInt(int value) {
    std::snprintf(resultBuffer, sizeof(resultBuffer), "%d", value);
    return resultBuffer;
}

char const* formatFloat(float value) {
    auto result = std::to_chars(resultBuffer, resultBuffer + sizeof(resultBuffer) - 1, value,
                                std::chars_format::general, 6);
    *result.ptr = '\0';
    return resultBuffer;
}

} // namespace varconv
