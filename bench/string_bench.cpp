#include <benchmark/benchmark.h>

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
BENCHMARK(BM_CstringAppendChars)->Arg(16)->Arg(256);

static void BM_CstringCompare(benchmark::State& state) {
    Cstring a("thingList/fish_12/position");
    for (auto _ : state)
        benchmark::DoNotOptimize(a == "thingList/fish_12/position");
}
BENCHMARK(BM_CstringCompare);
