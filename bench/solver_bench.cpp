// Solving typical script and species expressions: numbers, functions, signs and groups,
// and string pieces. Every script line runs through these paths.
#include <benchmark/benchmark.h>

#include "script/mathSolver.h"
#include "variables/variable.h"

namespace {

// Times solving text to a number; the solver's heap blocks go to the "heapBlocks" counter.
void timeSolveFloat(benchmark::State& state, CmathSolver& solver, char const* text) {
    double v = 0;
    uint64_t blocks = solverHeapBlocks;
    for (auto _ : state) {
        solver.solveFloat(text, v);
        benchmark::DoNotOptimize(v);
    }
    state.counters["heapBlocks"] = static_cast<double>(solverHeapBlocks - blocks);
}

void solveFloatText(benchmark::State& state, char const* text) {
    CmathSolver solver;
    timeSolveFloat(state, solver, text);
}

void solveStringText(benchmark::State& state, char const* text) {
    CmathSolver solver;
    Cstring s;
    for (auto _ : state) {
        solver.solveString(text, s);
        benchmark::DoNotOptimize(s.c_str());
    }
}

// A species-like object: a few values, a nested folder and local constants.
class SpeciesLike : public CdirectoryVar {
  public:
    int getLocalConstant(Cstring name, double& value) override {
        if (name == "scale") {
            value = 1.5;
            return 0;
        }
        return 1;
    }
};

void solveInTree(benchmark::State& state, char const* text) {
    SpeciesLike species;
    Cvariable* fish = species.addDirectory("fish");
    fish->addVariableX("speed", CLASS_FLOAT)->setFloat(0.4);
    fish->addVariableX("hunger", CLASS_FLOAT)->setFloat(0.7);
    fish->addVariableX("label", CLASS_STRING)->setString("guppy");
    fish->addDirectory("fins")->addVariableX("left", CLASS_FLOAT)->setFloat(0.2);
    species.addVariableX("maxSpeed", CLASS_FLOAT)->setFloat(2);
    CmathSolver solver;
    solver.setSearchVariablePath(fish);
    timeSolveFloat(state, solver, text);
}

BENCHMARK_CAPTURE(solveInTree, variable, "$speed");
BENCHMARK_CAPTURE(solveInTree, variables, "$speed * $maxSpeed + $fins/left");
BENCHMARK_CAPTURE(solveInTree, constant, "~scale * 2");
BENCHMARK_CAPTURE(solveInTree, species, "fit(0.2, $maxSpeed, $hunger) * ~scale + min($speed, 1)");

BENCHMARK_CAPTURE(solveFloatText, number, "0.35");
BENCHMARK_CAPTURE(solveFloatText, arithmetic, "1.5*(2+3)-4/8");
BENCHMARK_CAPTURE(solveFloatText, comparisons, "3 >= 2 && 1 != 0 || 0");
BENCHMARK_CAPTURE(solveFloatText, species, "fit(0.2, 0.8, 0.5) * -(1+2) + max(0.1, 0.05)");
BENCHMARK_CAPTURE(solveFloatText, nested, "min(max(0.25*4, 0), 1) + hsv(30,1,1,1)");
BENCHMARK_CAPTURE(solveStringText, literal, "hello");
BENCHMARK_CAPTURE(solveStringText, quoted, "\"a longer quoted text\" and_more");
BENCHMARK_CAPTURE(solveStringText, function, "name_ftoa(2.5)");

} // namespace
