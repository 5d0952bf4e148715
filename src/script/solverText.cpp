// Text helpers of the solver's built-in functions: thin adapters over the
// engine's shared helpers, writing into the solver's own text buffer.
#include "script/solverText.h"

#include "script/mathSolver.h"
#include "support/helperFunctions.h"

namespace solver_text {

namespace {
// The "eau" text, kept scrambled with the engine's scrambler.
char const builtInScrambled[] = "zhd0Zr3q39v3rPv0qThI";
} // namespace

void scramble(char const* text, int direction, CsolverText& out) {
    Cstring s = obsfucate(text, direction);
    out.append(s.c_str(), static_cast<size_t>(s.size()));
}

void replaceAll(char const* text, char const* search, char const* replacement, CsolverText& out) {
    Cstring s = searchAndReplace(text, search, replacement);
    out.append(s.c_str(), static_cast<size_t>(s.size()));
}

void builtInText(CsolverText& out) {
    scramble(builtInScrambled, 1, out);
}

} // namespace solver_text
