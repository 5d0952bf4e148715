// Fixtures of the script tests: the exit and script error state cleared around each test,
// a tree to run command scripts on (trace kept in memory) and a solver.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "script/mathSolver.h"
#include "script/scriptCommands.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/traceCapture.h"
#include "testSupport.h"
#include "variables/variableBasics.h"

// A binary block: a quote, a NUL, a 32-bit big-endian length, the bytes and one more byte.
inline std::string binaryBlock(std::string const& bytes) {
    std::string block("\"", 1);
    block += '\0';
    uint32_t n = static_cast<uint32_t>(bytes.size());
    for (int shift = 24; shift >= 0; shift -= 8)
        block += static_cast<char>((n >> shift) & 0xFF);
    return block + bytes + "\"";
}

inline std::string lastReason() {
    return exitReasonList.empty() ? "" : exitReasonList.back().c_str();
}
// True when an exit reason with exactly this text was recorded.
inline bool hasReason(std::string const& text) {
    for (Cstring const& r : exitReasonList)
        if (text == r.c_str()) return true;
    return false;
}

class ScriptStateTest : public ::testing::Test {
  protected:
    void SetUp() override { reset(); }
    void TearDown() override { reset(); }
    static void reset() {
        resetExitState();
        scriptError = 0;
        scriptName = "";
        mathSolver.clearError();
    }
};

class CommandTest : public ScriptStateTest {
  protected:
    CommandTest() : trace(1 | 2 | 4) {}
    void SetUp() override {
        reset();
        scriptFailedValue = &failed;
    }
    void TearDown() override {
        scriptFailedValue = nullptr;
        reset();
    }
    int run(char const* text) { return runStringScript(&root, text); }
    std::string text(char const* path) {
        Cvariable* v = root.findVariable(path);
        return v ? v->getElem_char(0) : "<missing>";
    }
    double number(char const* path) {
        Cvariable* v = root.findVariable(path);
        return v ? v->getElem_float(0) : -12345;
    }

    TraceCapture trace;
    ScopedDataFolder data;
    int16_t failed = -1;
    CdirectoryVar root;
};

struct ValueCase {
    char const* text;
    double value;
};

class SolverTest : public ScriptStateTest {
  protected:
    // Each text solves to its value with no error and no exit reason.
    void expectValues(std::vector<ValueCase> const& cases) {
        for (auto const& c : cases) {
            SCOPED_TRACE(c.text);
            int r = -1;
            double v = solveF(c.text, &r);
            EXPECT_EQ(r, 0) << solver.errorText.c_str();
            EXPECT_DOUBLE_EQ(v, c.value);
            EXPECT_FALSE(solver.hasErrorReported());
            EXPECT_TRUE(exitReasonList.empty());
        }
    }
    void SetUp() override {
        reset();
        solver.clearError();
        solver.setSearchVariablePath(nullptr);
    }
    double solveF(char const* text, int* result = nullptr) {
        double v = 0;
        int r = solver.solveFloat(text, v);
        if (result) *result = r;
        return v;
    }
    std::string solveS(char const* text, int* result = nullptr) {
        Cstring s;
        int r = solver.solveString(text, s);
        if (result) *result = r;
        return std::string(s.c_str(), static_cast<size_t>(s.size()));
    }

    CmathSolver solver;
};
