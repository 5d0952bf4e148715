// Costs the variable tree promises: link element access is one multiply and one load,
// registering a field one allocation and one insertion, adopted arrays index in
// constant time, and path lookup walks each list once.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "variables/variableBasics.h"

static void BM_LinkElementRead(benchmark::State& state) {
    float values[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    CdirectoryVar owner;
    Cvariable* link = owner.registerFloat(values[0], "rgba", 0);
    link->setNumElements(8);
    unsigned short i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(link->getElem_float(i));
        i = static_cast<unsigned short>((i + 1) & 7);
    }
}
BENCHMARK(BM_LinkElementRead);

static void BM_RegisterField(benchmark::State& state) {
    int field = 0;
    for (auto _ : state) {
        CdirectoryVar owner;
        for (int k = 0; k < 16; k++)
            owner.registerInt(field, "f", 0);
        benchmark::DoNotOptimize(owner.firstChild);
    }
    state.SetItemsProcessed(state.iterations() * 16);
}
BENCHMARK(BM_RegisterField);

static void BM_AdoptedArrayIndex(benchmark::State& state) {
    int const n = static_cast<int>(state.range(0));
    auto* elements = new CshortLinkVar[n];
    CfastChildArrayVar points;
    points.addChildArrays(elements, n, sizeof(CshortLinkVar), CLASS_SHORT_LINK);
    int i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(points.getChild(i));
        i = (i + 7919) % n;
    }
}
BENCHMARK(BM_AdoptedArrayIndex)->Arg(1000)->Arg(100000);

static void BM_PathLookup(benchmark::State& state) {
    CdirectoryVar root;
    Cvariable* node = &root;
    char name[16];
    for (int depth = 0; depth < 4; depth++) {
        for (int k = 0; k < 20; k++) {
            std::snprintf(name, sizeof(name), "n%d", k);
            node->addVariableX(name, CLASS_DIRECTORY, 1);
        }
        node = node->getChild("n19", 0);
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(root.findVariable("n19/n19/n19/n19"));
}
BENCHMARK(BM_PathLookup);
