// The thing-command fuzz input over seeds, run with the unit tests.
#include "../fuzz/thingScriptFuzzInput.h"
#include "testSupport.h"
#include "thingTestSupport.h"

TEST(ThingScriptFuzzSeeds, SeedsRunToTheEndLeavingTheTankBalanced) {
    TraceCapture quiet(1);
    ScopedDataFolder folder;
    for (std::string seed : {":reset\n:update\n:isFocus", ":buildCustomTex sky\n:update", ":delete fuzzed",
                             ":set thingScale -3\n:reset\n:reset",
                             ":set tankScale 0\n:set backdrop_top 0\n:buildCustomTex sky", "{ } } :::: \"\n"})
        EXPECT_TRUE(runThingScriptFuzzInput(reinterpret_cast<uint8_t const*>(seed.data()), seed.size(),
                                            folder.file("t.txt").c_str()))
            << seed;
}
