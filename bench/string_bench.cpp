#include <benchmark/benchmark.h>

#include "support/helperFunctions.h"
#include "support/mystring.h"

// Building text a character at a time, as the script scanner and log writers do.
static void BM_CstringAppendChars(benchmark::State& state) {
    for (auto _ : state) {
        Cstring s;
        for (int i = 0; i < state.range(0); i++)
            s += static_cast<char>('a' + i % 26);
        benchmark::DoNotOptimize(s.c_str());
    }
}
// Long texts show whether the cost per character stays flat as the text grows.
BENCHMARK(BM_CstringAppendChars)->Arg(16)->Arg(256)->Arg(16384);

// Scrambling a long text, as nested script functions do.
static void BM_Scramble(benchmark::State& state) {
    Cstring text;
    for (int i = 0; i < state.range(0); i++)
        text += static_cast<char>('0' + i % 75);
    for (auto _ : state)
        benchmark::DoNotOptimize(obsfucate(text.c_str(), 0).c_str());
}
BENCHMARK(BM_Scramble)->Arg(16384);

static void BM_CstringCompare(benchmark::State& state) {
    Cstring a("thingList/fish_12/position");
    for (auto _ : state)
        benchmark::DoNotOptimize(a == "thingList/fish_12/position");
}
BENCHMARK(BM_CstringCompare);
