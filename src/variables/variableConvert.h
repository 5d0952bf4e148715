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
// Formats into the shared result buffer (valid until the next call).
char const* formatInt(int value);
char const* formatFloat(float value);

} // namespace varconv
