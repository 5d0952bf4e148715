// One fuzz input for the script parser and runner, shared by the libFuzzer target and the
// seeded smoke test that runs with the unit tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string>

#include "script/mathSolver.h"
#include "script/scripter.h"
#include "support/cerr.h"

// Parses the bytes (binary blocks included), writes every line back and parses that
// again, then runs the script on a scratch tree. Bad text may fail, but must not crash,
// hang or read outside the bytes.
inline void runScriptFuzzInput(uint8_t const* data, size_t size) {
    CscriptVar script;
    script.processStringScript(reinterpret_cast<char const*>(data), size);

    std::ostringstream written;
    for (Cvariable* v = script.firstChild; v; v = v->nextSibling) {
        if (v->getClass() != CLASS_SCRIPT_LINE) __builtin_trap(); // the parser makes only lines
        static_cast<CscriptLine*>(v)->writeLine(written);
        written << '\n';
    }
    std::string text = written.str();
    CscriptVar again;
    again.processStringScript(text.data(), text.size());

    // Commands run only while no error is pending; start each input clean.
    resetExitState();
    scriptError = 0;
    mathSolver.clearError();
    CdirectoryVar scratch;
    runScript(&scratch, &script);

    resetExitState();
    scriptError = 0;
    mathSolver.clearError();
}
