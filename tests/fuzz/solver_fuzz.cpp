// libFuzzer target over the expression solver (built with -DVELMORA_FUZZ=ON and clang).
#include <cstddef>
#include <cstdint>
#include <string>

#include "host/osFunctions.h"
#include "support/cerr.h"
#include "variables/variable.h"
#include "script/mathSolver.h"

namespace {

// Solves the bytes (cut at the first NUL) in float and in string mode; an expression may
// fail, but must not crash, hang or read outside the text.
void solveFuzzInput(CmathSolver& solver, uint8_t const* data, size_t size) {
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

// A small tree for "$" names and the tree functions to find.
Cvariable* makeFuzzTree() {
    Cvariable* root = new CdirectoryVar();
    root->setName("root");
    Cvariable* fish = root->addDirectory("fish");
    fish->addVariableX("x", CLASS_FLOAT)->setFloat(3);
    fish->addVariableX("k", CLASS_INT)->setInt(2);
    fish->addVariableX("s", CLASS_STRING)->setString("text");
    fish->addDirectory("fins")->addVariableX("left", CLASS_FLOAT)->setFloat(1);
    return fish;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static bool ready = [] {
        skipNSAlert = 1; // "msgbox" answers at once
        mathSolver.setSearchVariablePath(makeFuzzTree());
        return true;
    }();
    (void)ready;
    solveFuzzInput(mathSolver, data, size);
    resetExitState();
    return 0;
}
