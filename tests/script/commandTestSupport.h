// A tree to run command scripts on, with the exit and script error state cleared around
// each test and the trace kept in memory.
#pragma once

#include <gtest/gtest.h>

#include <string>

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

class CommandTest : public ::testing::Test {
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
    static void reset() {
        resetExitState();
        scriptError = 0;
        scriptName = "";
        originalScript = 0;
        mathSolver.clearError();
    }
    int run(char const* text) { return runStringScript(&root, text); }
    static std::string lastReason() { return exitReasonList.empty() ? "" : exitReasonList.back().c_str(); }
    static bool hasReason(std::string const& text) {
        for (Cstring const& r : exitReasonList)
            if (text == r.c_str()) return true;
        return false;
    }
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
