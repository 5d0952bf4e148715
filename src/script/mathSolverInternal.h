// Pieces shared by the solver's source files; not part of its interface.
#pragma once

#include <cstdint>

#include "script/mathSolver.h"

namespace solver_detail {

// A NaN counts as false.
inline bool truth(double x) {
    return x != 0.0 && x == x;
}

inline bool isOperandByte(unsigned char c) {
    return c >= 'a' && c <= 'z';
}

// The fallback list's value for name; null when the name is not listed.
Cstring const* fallbackValue(char const* name);

} // namespace solver_detail

// The symbol string of a float expression: operand bytes, operator bytes and parentheses.
struct CsymbolString {
    char bytes[CmathSolver::maxSymbolText + 1];
    int length = 0;
    bool overflow = false;

    CsymbolString() { bytes[0] = 0; }
    void push(char c) {
        if (length >= CmathSolver::maxSymbolText) {
            overflow = true;
            return;
        }
        bytes[length++] = c;
        bytes[length] = 0;
    }
};

// Working record of the reduction: the symbol byte whose slot receives the node built
// from `text`. Lives on the stack; nesting is bounded by the symbol count.
class CbinString {
  public:
    explicit CbinString(CmathSolver* owner);
    // Reduces text (parentheses, then the nine precedence levels) into one node.
    void breakDown();

    uint8_t symbol = 0;
    char text[CmathSolver::maxSymbolText + 1];
    int length = 0;
    CmathSolver* solver;

  private:
    void breakDownParenthesis();
    void breakDownTest(char const* ops);
    // Replaces text[from..to] by a new symbol whose record holds text[innerFrom..innerTo).
    bool replaceWithVar(int from, int to, int innerFrom, int innerTo);
    int scanParenthesis(int open) const;
    bool failed() const;
};
