// One fuzz input for the expression solver, shared by the libFuzzer target and the
// seeded smoke test that runs with the unit tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "script/mathSolver.h"

// Solves the bytes (cut at the first NUL) in float and in string mode; an expression may
// fail, but must not crash, hang or read outside the text.
inline void solveFuzzInput(CmathSolver& solver, uint8_t const* data, size_t size) {
    std::string text(reinterpret_cast<char const*>(data), size);
    double value = 0;
    solver.solveFloat(text.c_str(), value);
    char const* rest = solver.getRestOfText();
    if (rest < text.c_str() || rest > text.c_str() + text.size()) __builtin_trap();
    Cstring result;
    solver.solveString(text.c_str(), result);
    rest = solver.getRestOfText();
    if (rest < text.c_str() || rest > text.c_str() + text.size()) __builtin_trap();
    solver.clearError();
}
