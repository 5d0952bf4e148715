// Solving typical script and species expressions: numbers, functions, signs and groups,
// and string pieces. Every script line runs through these paths.
#include <benchmark/benchmark.h>

#include "script/mathSolver.h"

namespace {

void solveFloatText(benchmark::State& state, char const* text) {
    CmathSolver solver;
    double v = 0;
    uint64_t blocks = solverHeapBlocks;
    for (auto _ : state) {
        solver.solveFloat(text, v);
        benchmark::DoNotOptimize(v);
    }
    state.counters["heapBlocks"] = static_cast<double>(solverHeapBlocks - blocks);
}

void solveStringText(benchmark::State& state, char const* text) {
    CmathSolver solver;
    Cstring s;
    for (auto _ : state) {
        solver.solveString(text, s);
        benchmark::DoNotOptimize(s.c_str());
    }
}

BENCHMARK_CAPTURE(solveFloatText, number, "0.35");
BENCHMARK_CAPTURE(solveFloatText, arithmetic, "1.5*(2+3)-4/8");
BENCHMARK_CAPTURE(solveFloatText, comparisons, "3 >= 2 && 1 != 0 || 0");
BENCHMARK_CAPTURE(solveFloatText, species, "fit(0.2, 0.8, 0.5) * -(1+2) + max(0.1, 0.05)");
BENCHMARK_CAPTURE(solveFloatText, nested, "min(max(0.25*4, 0), 1) + hsv(30,1,1,1)");
BENCHMARK_CAPTURE(solveStringText, literal, "hello");
BENCHMARK_CAPTURE(solveStringText, quoted, "\"a longer quoted text\" and_more");
BENCHMARK_CAPTURE(solveStringText, function, "name_ftoa(2.5)");

} // namespace
