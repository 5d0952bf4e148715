// Loading a package-index-like binary tree file: many small link records in one level.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "variables/variableLinks.h"

namespace {

std::string makeIndexFile(int entries) {
    std::string path =
        (std::filesystem::temp_directory_path() / ("velmora_bench_index_" + std::to_string(entries) + ".dbt"))
            .string();
    CdirectoryVar holder;
    for (int i = 0; i < entries; i++) {
        auto* entry = new CresourceFileVar;
        entry->setName(("file" + std::to_string(i) + ".sgi").c_str());
        entry->setFileOffset(i * 4096);
        entry->setFileSize(4096);
        holder.addVariable(entry, 0);
    }
    holder.saveTree(path.c_str(), 1, nullptr);
    return path;
}

void BM_LoadIndex(benchmark::State& state) {
    int entries = static_cast<int>(state.range(0));
    std::string path = makeIndexFile(entries);
    for (auto _ : state) {
        CdirectoryVar into;
        if (into.loadBinaryChildren(Cstring(path.c_str())) != 0) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(into.firstChild);
    }
    state.SetItemsProcessed(state.iterations() * entries);
    std::remove(path.c_str());
}
BENCHMARK(BM_LoadIndex)->Arg(1000)->Arg(20000);

} // namespace
