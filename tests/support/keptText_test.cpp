#include <gtest/gtest.h>

#include <string>

#include "support/keptText.h"

namespace {

// What this run wrote at its start (base), what it writes now (ours) and what another run
// saved meanwhile (now): entries this run changed are its own, the others the file's.
TEST(KeptText, OnlyWhatThisRunChangedReplacesTheOtherRunsSave) {
    std::string const tanks0 = ":mkdir latentTanks {\n :addScript tank0 {\n  :addTank a 0 {\n  }\n }\n"
                               " :addScript tank1 {\n  :addTank b 1 {\n  }\n }\n}\n";
    struct {
        char const* what;
        std::string now, base, ours, merged;
    } const cases[] = {
        {"a value each", ":set a 2\n:set b 1\n", ":set a 1\n:set b 1\n", ":set a 1\n:set b 5\n",
         ":set a 2\n:set b 5\n"},
        {"the same value changed by both: ours", ":set a 2\n", ":set a 1\n", ":set a 3\n", ":set a 3\n"},
        {"a value only the other run has", ":set a 1\n:set c 9\n", ":set a 1\n", ":set a 1\n",
         ":set a 1\n:set c 9\n"},
        {"a value this run added, one it dropped", ":set a 1\n:set b 1\n", ":set a 1\n:set b 1\n",
         ":set a 1\n:set d 4\n", ":set a 1\n:set d 4\n"},
        {"a folder whole", ":mkdir seq {\n :set x 2\n}\n", ":mkdir seq {\n :set x 1\n}\n",
         ":mkdir seq {\n :set x 1\n}\n", ":mkdir seq {\n :set x 2\n}\n"},
        {"each tank apart", tanks0 + ":set v 1\n", tanks0 + ":set v 1\n",
         ":mkdir latentTanks {\n :addScript tank1 {\n  :addTank b 1 {\n   :addThing fish\n  }\n }\n}\n"
         ":mkdir latentTanks {\n :addScript tank0 {\n  :addTank a 0 {\n  }\n }\n}\n:set v 1\n",
         ":mkdir latentTanks {\n :addScript tank0 {\n  :addTank a 0 {\n  }\n }\n :addScript tank1 {\n  "
         ":addTank b 1 "
         "{\n   :addThing fish\n  }\n }\n}\n:set v 1\n"},
        {"a tank the other run changed", tanks0, tanks0,
         ":mkdir latentTanks {\n :addScript tank0 {\n  :addTank a 0 {\n  }\n }\n :addScript tank1 {\n  "
         ":addTank b 1 "
         "{\n  }\n }\n}\n",
         tanks0},
        {"the file gone: ours", "", ":set a 1\n", ":set a 2\n", ":set a 2\n"},
        // No file the program wrote: this run's text whole.
        {"a block never closed", ":mkdir x {\n:set a 1\n", ":set a 1\n", ":set a 2\n", ":set a 2\n"},
        {"a close without an open", "}\n:set a 1\n", ":set a 1\n", ":set a 2\n", ":set a 2\n"},
        {"a tank folder holding a stray close", ":mkdir latentTanks {\n }\n }\n}\n", "", ":set a 2\n",
         ":set a 2\n"},
        {"ours broken", ":set a 1\n", ":set a 1\n", ":mkdir x {\n", ":mkdir x {\n"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(mergeKeptText(c.now, c.base, c.ours), c.merged) << c.what;
}

} // namespace
