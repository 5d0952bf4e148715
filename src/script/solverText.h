// Small text helpers used by the solver's built-in functions.
#pragma once

class CsolverText;

namespace solver_text {

// The text scrambler: direction 0 maps the plain table to the scrambled one, any other
// direction back. Characters in neither table are copied.
void scramble(char const* text, int direction, CsolverText& out);
// Appends text with every occurrence of search replaced, left to right without overlap.
void replaceAll(char const* text, char const* search, char const* replacement, CsolverText& out);
// The built-in text that "eau" gives, restored from its scrambled form.
void builtInText(CsolverText& out);

} // namespace solver_text
