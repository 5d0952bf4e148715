// Conversions between the int, double and text forms of variable values.
//
// Every narrowing is defined for every input: floating point is truncated toward zero
// and saturated to the target range (NaN becomes 0); texts are read like atoi/atof but
// saturate instead of overflowing.
#pragma once

#include <cstdint>

namespace varconv {

// Truncated toward zero, saturated to the int range; NaN gives 0.
int truncToInt(double value);
// Truncated toward zero, saturated to the 64-bit range; NaN gives 0.
int64_t truncToInt64(double value);
// The low 16 bits as a signed value.
inline int lowShort(int64_t value) {
    return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF));
}
// Truncated toward zero, then the low 16 bits.
inline int shortFromDouble(double value) {
    return lowShort(truncToInt64(value));
}
// Nearest float; values beyond the float range become infinities.
float toFloat(double value);
// atoi without undefined behaviour: leading blanks, sign, digits; saturates.
int textToInt(char const* text);
// atof; a null text gives 0.
double textToDouble(char const* text);
// Whether a value may be stored in the variable named name: a float that is not finite (a
// text or number beyond the float range, NaN) is refused with a trace, and the variable
// keeps what it held.
inline bool storable(int, char const*) {
    return true;
}
bool storable(float value, char const* name);
// Formats into the shared result buffer (valid until the next call).
char const* formatInt(int value);
char const* formatFloat(float value);

// One numeric kind's row of the table: the value type it holds, the type a link
// element stores, and the conversions into and out of that value.
struct ShortKind {
    using Value = int; // signed 16-bit, held widened
    using Stored = int16_t;
    static int fromText(char const* text) { return lowShort(textToInt(text)); }
    static int fromDouble(double value) { return shortFromDouble(value); }
    static int fromInt(int value) { return lowShort(value); }
    static char const* toText(int value) { return formatInt(value); }
    static int toInt(int value) { return value; }
};

struct IntKind {
    using Value = int;
    using Stored = int32_t;
    static int fromText(char const* text) { return textToInt(text); }
    static int fromDouble(double value) { return truncToInt(value); }
    static int fromInt(int value) { return value; }
    static char const* toText(int value) { return formatInt(value); }
    static int toInt(int value) { return value; }
};

struct FloatKind {
    using Value = float;
    using Stored = float;
    static float fromText(char const* text) { return toFloat(textToDouble(text)); }
    static float fromDouble(double value) { return toFloat(value); }
    static float fromInt(int value) { return static_cast<float>(value); }
    static char const* toText(float value) { return formatFloat(value); }
    static int toInt(float value) { return truncToInt(value); }
};

} // namespace varconv
