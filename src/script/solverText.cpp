// Text and colour helpers of the solver's built-in functions.
#include "script/solverText.h"

#include <cmath>
#include <cstring>

#include "script/mathSolver.h"
#include "script/mathSolverInternal.h"

namespace solver_text {

namespace {

// The two scrambler tables: the same 69 characters in two orders.
char const plainTable[] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ ./,_-+";
char const scrambledTable[] = "As,6VMKt.+Zmwb0dTEBcp8jF3vC4oRlhX1uqkJxUgDrLWPzeHy2YaQi_OGI-79f5N/ Sn";
static_assert(sizeof plainTable == 70 && sizeof scrambledTable == 70, "scrambler tables hold 69 characters");

// The "eau" text, kept scrambled.
char const builtInScrambled[] = "h08j34ZSZClZ4BljSp0u";

float const hsvRamp[11] = {1, 1, 0, 0, 0, 1, 1, 1, 0, 0, 0};

} // namespace

void hsvToRgb(float h, float s, float v, float* rgb) {
    float hue = std::fmod(h, 360.0f);
    if (hue < 0) hue += 360.0f;
    float x = hue / 60.0f;
    int i = solver_detail::truncToInt(x);
    if (i < 0) i = 0;
    if (i > 5) i = 5;
    float f = x - static_cast<float>(i);
    int const k[3] = {i, i + 4, i + 2};
    for (int c = 0; c < 3; c++) {
        float ramp = hsvRamp[k[c]] * (1 - f) + hsvRamp[k[c] + 1] * f;
        rgb[c] = ramp * v * s + v * (1 - s);
    }
}

void scramble(char const* text, int direction, CsolverText& out) {
    char const* from = direction == 0 ? plainTable : scrambledTable;
    char const* to = direction == 0 ? scrambledTable : plainTable;
    for (char const* p = text; *p; p++) {
        char const* hit = std::strchr(from, *p);
        out.append(hit ? to[hit - from] : *p);
    }
}

void replaceAll(char const* text, char const* search, char const* replacement, CsolverText& out) {
    size_t n = std::strlen(search);
    if (n == 0) {
        out.append(text);
        return;
    }
    char const* p = text;
    while (char const* hit = std::strstr(p, search)) {
        out.append(p, static_cast<size_t>(hit - p));
        out.append(replacement);
        p = hit + n;
    }
    out.append(p);
}

char const* languageCode(int n) {
    static char const* const codes[] = {"en", "de", "nl", "fr", "fl", "es", "pt", "sv", "it"};
    if (static_cast<unsigned>(n) > 8u) return "en";
    return codes[n];
}

void builtInText(CsolverText& out) {
    scramble(builtInScrambled, 1, out);
}

} // namespace solver_text
