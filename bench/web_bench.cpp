// The web layer's share of a frame: the poll with no request running, which every frame
// pays and which must allocate nothing; and reading an update package through before it
// runs (the check of a large package, nothing written).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "allocCounter.h"
#include "host/httpConnection.h"
#include "host/updatePackage.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "world/internet.h"

static void BM_IdlePoll(benchmark::State& state) {
    installWebRequests();
    errorChannels = 0;
    NoAllocations guard(state, "the idle poll allocated");
    for (auto _ : state)
        benchmark::DoNotOptimize(checkInOnAnyInternetRequest());
}
BENCHMARK(BM_IdlePoll);

// A package of many files that is refused at its very end (no exit command): all of it is
// read, nothing is written.
static void BM_PackageCheck(benchmark::State& state) {
    int files = static_cast<int>(state.range(0));
    std::filesystem::path folder = std::filesystem::temp_directory_path() / "velmora-web-bench";
    std::filesystem::create_directories(folder / "Resources");
    appDataDir = (folder.string() + "/").c_str();
    updatePackage::clearPaths();
    updatePackage::addPath("APD", appDataDir.c_str());
    updatePackage::addPath("RSC", (appDataDir + "Resources").c_str());
    std::string package;
    std::string bytes(4096, 'x');
    for (int i = 0; i < files; i++)
        package += "file__[APD]f/" + std::to_string(i) + ".bin\n4096\n" + bytes;
    std::string path = (folder / "bench.vli").string();
    std::ofstream(path, std::ios::binary) << package;
    for (auto _ : state)
        benchmark::DoNotOptimize(updatePackage::runScript(path.c_str(), 0));
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(package.size()));
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_PackageCheck)->Arg(256);
