#include <benchmark/benchmark.h>

#include <string>

#include "script/scripter.h"
#include "support/cerr.h"

namespace {

// A settings-like text: directories of values, comments and an expression per block.
std::string settingsText(int blocks) {
    std::string text;
    for (int i = 0; i < blocks; i++) {
        std::string n = std::to_string(i);
        text += ":mkdir tank" + n + " {\n";
        text += " // tank " + n + "\n";
        text += " :float speed" + n + " 1.5\n";
        text += " :int count 12\n";
        text += " :s title \"tank number " + n + "\"\n";
        text += " :array pos #3 4 0.5 x\n";
        text += " :if ($count > 3) { :set speed" + n + " (2 * 3) }\n";
        text += "}\n";
    }
    return text;
}

} // namespace

// Parsing allocates the lines and their tokens only; the text is scanned in place.
static void BM_ParseSettingsText(benchmark::State& state) {
    std::string text = settingsText(static_cast<int>(state.range(0)));
    CscriptVar script;
    for (auto _ : state) {
        script.processStringScript(text.data(), text.size());
        benchmark::DoNotOptimize(script.firstChild);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ParseSettingsText)->Arg(10)->Arg(200);

// Running the parsed text into a fresh tree, as start-up reads the settings back.
static void BM_RunSettingsText(benchmark::State& state) {
    std::string text = settingsText(static_cast<int>(state.range(0)));
    CscriptVar script;
    script.processStringScript(text.data(), text.size());
    for (auto _ : state) {
        CdirectoryVar tree;
        runScript(&tree, &script);
        benchmark::DoNotOptimize(tree.firstChild);
    }
    resetExitState();
}
BENCHMARK(BM_RunSettingsText)->Arg(10)->Arg(200);
