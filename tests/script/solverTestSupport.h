// Shared fixture of the solver tests: a fresh error and exit state for every case.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "script/mathSolver.h"
#include "support/cerr.h"

class SolverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        solver.clearError();
        solver.setSearchVariablePath(nullptr);
    }
    void TearDown() override { resetExitState(); }

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
    // True when an exit reason with exactly this text was recorded.
    static bool exitReasonRecorded(char const* text) {
        for (Cstring const& r : exitReasonList) {
            if (r == text) return true;
        }
        return false;
    }

    CmathSolver solver;
};
