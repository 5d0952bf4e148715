#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/keptText.h"
#include "testSupport.h"

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
        {"a stored script's own blocks", ":addScript s {\n :if (x) {\n :a\n } else {\n :b\n }\n}\n:set a 2\n",
         ":addScript s {\n :if (x) {\n :a\n } else {\n :b\n }\n}\n:set a 1\n",
         ":addScript s {\n :if (x) {\n :a\n } else {\n :c\n }\n}\n:set a 1\n",
         ":addScript s {\n :if (x) {\n :a\n } else {\n :c\n }\n}\n:set a 2\n"},
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

// Texts as a save writes them: a tank, its animals (where they swim: at) and the tanks' folder.
std::string animals(std::vector<char const*> const& species, int at) {
    std::string text;
    for (char const* s : species)
        text += std::string("   :addThing ") + s + " {\n    :set startPos " + std::to_string(at) +
                " 1 0\n    :save\n   }\n";
    return text;
}
std::string tank(int id, std::string const& type, std::string const& animals) {
    std::string n = std::to_string(id);
    return " :addScript tank" + n + " {\n  :addTank " + type + " " + n + " {\n   :set camPos 0 -0.4 3.8\n" +
           animals + "   :mkdir schoolManager {\n    :addSchool neon_tetra\n   }\n  }\n }\n";
}
std::string folder(std::string const& tanks) {
    return ":mkdir latentTanks {\n" + tanks + "}\n";
}
std::string sequences(int count) {
    std::string text = ":mkdir sequences {\n";
    for (int i = 0; i < count; i++)
        text += " :mkdir seq {\n  :array tankID #" + std::to_string(i) + "\n }\n";
    return text + "}\n";
}

// The file as this run read it at its start, saved by another run meanwhile in each way the
// program writes it, then saved by this run: what each run changed is kept, a tank or an
// animal neither took out stays, once. What cannot be merged is this run's, with the other
// run's save kept whole beside the file. A second save writes the same.
TEST(KeptText, ASaveMergesWhatAnotherRunSavedSinceTheStart) {
    ScopedDataFolder data;
    std::string const tank0 = tank(0, "wabi_sabi", animals({"crab", "neon_tetra", "neon_tetra"}, 0));
    std::string const tank1 = tank(1, "dusk_pool", animals({"crab", "angelfish"}, 0));
    auto file = [](int seqs, std::string const& tanks, char const* volume) {
        return sequences(seqs) + tanks + ":set masterVolume " + volume + "\n";
    };
    std::string const read = file(2, folder(tank0 + tank1), "0.5");
    std::string const volume = file(2, folder(tank0 + tank1), "0.7");
    std::string const script = ":addScript note {\n :set crabMood 3\n}\n:save note\n";
    struct {
        char const* what;
        std::string read, now, ours, written;
        bool setAside;
        std::string base = ""; // what this run would have written at its start: read
    } const cases[] = {
        {"nobody saved meanwhile", read, read, volume, volume, false},
        {"the tanks' order swapped by the sequence", read,
         file(2, folder(tank(1, "dusk_pool", animals({"crab", "angelfish"}, 1))) + folder(tank0), "0.5"),
         file(2,
              folder(tank(0, "wabi_sabi", animals({"crab", "neon_tetra", "neon_tetra", "zebra_danio"}, 2))) +
                  folder(tank1),
              "0.5"),
         file(2,
              folder(tank(1, "dusk_pool", animals({"crab", "angelfish"}, 1)) +
                     tank(0, "wabi_sabi", animals({"crab", "neon_tetra", "neon_tetra", "zebra_danio"}, 2))),
              "0.5"),
         false},
        {"a tank added", read, file(3, folder(tank0 + tank1 + tank(2, "wabi_sabi", "")), "0.5"), volume,
         file(3, folder(tank0 + tank1 + tank(2, "wabi_sabi", "")), "0.7"), false},
        {"a tank removed", read, file(1, folder(tank0), "0.5"), volume, file(1, folder(tank0), "0.7"), false},
        {"the same tank shown by both: each one's animals", read,
         file(2,
              folder(tank(0, "wabi_sabi",
                          animals({"crab", "neon_tetra", "neon_tetra", "zebra_danio", "zebra_danio"}, 1)) +
                     tank1),
              "0.5"),
         file(2, folder(tank(0, "wabi_sabi", animals({"crab", "neon_tetra", "tiger_barb"}, 2)) + tank1),
              "0.7"),
         file(2,
              folder(tank(0, "wabi_sabi",
                          animals({"crab", "neon_tetra", "tiger_barb"}, 2) +
                              animals({"zebra_danio", "zebra_danio"}, 1)) +
                     tank1),
              "0.7"),
         false},
        {"another type chosen here, an animal added there", read,
         file(2, folder(tank0 + tank(1, "dusk_pool", animals({"crab", "angelfish", "angelfish"}, 1))), "0.5"),
         file(2, folder(tank0 + tank(1, "wabi_sabi", animals({"crab", "angelfish"}, 2))), "0.5"),
         file(2,
              folder(tank0 +
                     tank(1, "wabi_sabi", animals({"crab", "angelfish"}, 2) + animals({"angelfish"}, 1))),
              "0.5"),
         false},
        {"another type chosen in both", read,
         file(2, folder(tank0 + tank(1, "coral", animals({"crab", "angelfish"}, 1))), "0.5"),
         file(2, folder(tank0 + tank(1, "wabi_sabi", animals({"crab", "angelfish"}, 2))), "0.5"),
         file(2, folder(tank0 + tank(1, "wabi_sabi", animals({"crab", "angelfish"}, 2))), "0.5"), true},
        {"a tank both built from its definition",
         file(2, folder(tank0 + " :addScript tank1 {\n  :addTank dusk_pool 1\n }\n"), "0.5"),
         file(2, folder(tank0 + tank(1, "dusk_pool", animals({"angelfish"}, 1))), "0.5"),
         file(2, folder(tank0 + tank(1, "dusk_pool", animals({"angelfish"}, 2))), "0.5"),
         file(2, folder(tank0 + tank(1, "dusk_pool", animals({"angelfish"}, 2))), "0.5"), true},
        {"a tank this run built at its start, which the other never showed",
         file(2, folder(tank0 + " :addScript tank1 {\n  :addTank dusk_pool 1\n }\n"), "0.5"),
         file(2, folder(tank0 + " :addScript tank1 {\n  :addTank dusk_pool 1\n }\n"), "0.3"),
         file(2, folder(tank0 + tank(1, "dusk_pool", animals({"angelfish"}, 2))), "0.5"),
         file(2, folder(tank0 + tank(1, "dusk_pool", animals({"angelfish"}, 2))), "0.3"), false,
         file(2, folder(tank0 + tank(1, "dusk_pool", animals({"angelfish"}, 0))), "0.5")},
        {"a line this run does not write, left by the other", read + ":set other 1\n",
         file(2, folder(tank0 + tank1), "0.3") + ":set other 1\n", read,
         file(2, folder(tank0 + tank1), "0.3") + ":set other 1\n", false, read},
        {"a stored script both edited", read + script,
         read + ":addScript note {\n :set crabMood 4\n}\n:save note\n",
         read + ":addScript note {\n :set crabMood 5\n}\n:save note\n",
         read + ":addScript note {\n :set crabMood 5\n}\n:save note\n", true},
        {"a file edited by hand, its blocks unpaired", read, read + "}\n", volume, volume, true},
        {"the file gone", read, "", volume, volume, false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        forgetTextBaselines();
        std::filesystem::remove(data.file("settings.txt.other-run"));
        writeWholeFile(data.file("settings.txt"), c.read);
        keepTextBaseline("[APD]settings.txt", c.read, c.base.empty() ? c.read : c.base);
        writeWholeFile(data.file("settings.txt"), c.now);
        for (int save = 0; save < 2; save++) {
            ASSERT_EQ(saveKeptText("[APD]settings.txt", c.ours), 0);
            EXPECT_EQ(readWholeFile(data.file("settings.txt")), c.written) << "save " << save;
        }
        EXPECT_EQ(readWholeFile(data.file("settings.txt.other-run")), c.setAside ? c.now : "");
        EXPECT_FALSE(pathExists(data.file("settings.txt.other-run2")));
    }
    forgetTextBaselines();
}

} // namespace
