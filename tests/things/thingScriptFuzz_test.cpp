// The thing-command fuzz input run over seeds with the unit tests (the libFuzzer target
// runs the same function with clang).
#include <gtest/gtest.h>

#include <string>

#include "../fuzz/thingScriptFuzzInput.h"
#include "support/traceCapture.h"
#include "testSupport.h"

namespace {

TEST(ThingScriptFuzzSeeds, SeedsRunToTheEndWithoutLeavingTheThingListed) {
    TraceCapture quiet(1);
    ScopedDataFolder folder;
    std::string save = folder.file("thing.txt");
    char const* seeds[] = {
        ":reset\n:update\n:isFocus\n",
        ":buildCustomTex sky\n:update",
        ":buildCustomTex\n:remapAttrib\n",
        ":remapAttrib uv 9999999999 (1/0) -1e38\n",
        ":set thingScale -3\n:reset\n:reset\n",
        ":set brightness 0\n:buildCustomTex sky\n",
        ":set tankScale 0\n:set backdrop_top 0\n:buildCustomTex sky",
        ":delete fuzzed\n",
        "{ } } :::: \"\n",
    };
    for (char const* seed : seeds) {
        std::string text(seed);
        EXPECT_TRUE(
            runThingScriptFuzzInput(reinterpret_cast<uint8_t const*>(text.data()), text.size(), save.c_str()))
            << seed;
    }
}

} // namespace
