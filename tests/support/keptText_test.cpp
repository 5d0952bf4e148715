#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "support/keptText.h"
#include "testSupport.h"

namespace {

// What this run wrote at its start (base), what it writes now (ours) and what another run
// saved meanwhile (now): entries this run changed are its own, the others the file's.
TEST(KeptText, OnlyWhatThisRunChangedReplacesTheOtherRunsSave) {
    std::string nested;
    for (int i = 0; i < 400000; i++)
        nested += i < 200000 ? ":mkdir x {\n" : "}\n";
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
        {"blocks nested deeper than any save", nested, ":set a 1\n", ":set a 2\n", ":set a 2\n"},
    };
    for (auto const& c : cases)
        EXPECT_EQ(mergeKeptText(c.now, c.base, c.ours), c.merged) << c.what;
}

// A settings file as a save writes it: the sequences, the tanks' folders ("|" between them)
// of tanks (";" between them: "id type animal...", "@n" placing the animals after it at n, "!"
// before the id of a tank never built yet), then the volume.
std::string file(std::string const& tanks, int sequences = 2, char const* volume = "0.5") {
    std::string text = ":mkdir sequences {\n";
    for (int i = 0; i < sequences; i++)
        text += " :mkdir seq {\n  :array tankID #" + std::to_string(i) + "\n }\n";
    text += "}\n";
    std::istringstream folders(tanks);
    for (std::string folder; std::getline(folders, folder, '|');) {
        text += ":mkdir latentTanks {\n";
        std::istringstream each(folder);
        for (std::string tank, id, type; std::getline(each, tank, ';');) {
            std::istringstream words(tank);
            std::string at = "0", animals;
            words >> id >> type;
            for (std::string word; words >> word;) {
                if (word[0] == '@')
                    at = word.substr(1);
                else
                    animals +=
                        "   :addThing " + word + " {\n    :set startPos " + at + " 1 0\n    :save\n   }\n";
            }
            bool built = id[0] != '!';
            id = id.substr(!built);
            text += " :addScript tank" + id + " {\n  :addTank " + type + " " + id +
                    (built ? " {\n" + animals +
                                 "   :mkdir schoolManager {\n    :addSchool neon_tetra\n   }\n  }\n"
                           : "\n") +
                    " }\n";
        }
        text += "}\n";
    }
    return text + ":set masterVolume " + volume + "\n";
}

// The file as this run read it at its start, saved by another run meanwhile in each way the
// program writes it, then saved by this run: what each run changed is kept, a tank or an
// animal neither took out stays, once. What cannot be merged is this run's, with the other
// run's save kept whole beside the file. A second save writes the same.
TEST(KeptText, ASaveMergesWhatAnotherRunSavedSinceTheStart) {
    ScopedDataFolder data;
    std::string const t0 = "0 wabi_sabi crab neon_tetra neon_tetra", t1 = "1 dusk_pool crab angelfish";
    std::string const read = file(t0 + ";" + t1), volume = file(t0 + ";" + t1, 2, "0.7");
    auto note = [&read](char mood) {
        return read + ":addScript note {\n :set crabMood " + mood + "\n}\n:save note\n";
    };
    struct {
        char const* what;
        std::string read, now, ours, written;
        bool setAside;
        std::string base = ""; // what this run would have written at its start: read
    } const cases[] = {
        {"nobody saved meanwhile", read, read, volume, volume, false},
        {"the tanks' order swapped by the sequence", read, file("1 dusk_pool @1 crab angelfish|" + t0),
         file("0 wabi_sabi @2 crab neon_tetra neon_tetra zebra_danio|" + t1),
         file("1 dusk_pool @1 crab angelfish;0 wabi_sabi @2 crab neon_tetra neon_tetra zebra_danio"), false},
        {"a tank added", read, file(t0 + ";" + t1 + ";2 wabi_sabi", 3), volume,
         file(t0 + ";" + t1 + ";2 wabi_sabi", 3, "0.7"), false},
        {"a tank removed", read, file(t0, 1), volume, file(t0, 1, "0.7"), false},
        {"the same tank shown by both: each one's animals", read,
         file("0 wabi_sabi @1 crab neon_tetra neon_tetra zebra_danio zebra_danio;" + t1),
         file("0 wabi_sabi @2 crab neon_tetra tiger_barb;" + t1, 2, "0.7"),
         file("0 wabi_sabi @2 crab neon_tetra tiger_barb @1 zebra_danio zebra_danio;" + t1, 2, "0.7"), false},
        {"another type chosen here, an animal added there", read,
         file(t0 + ";1 dusk_pool @1 crab angelfish angelfish"), file(t0 + ";1 wabi_sabi @2 crab angelfish"),
         file(t0 + ";1 wabi_sabi @2 crab angelfish @1 angelfish"), false},
        {"another type chosen in both", read, file(t0 + ";1 coral @1 crab angelfish"),
         file(t0 + ";1 wabi_sabi @2 crab angelfish"), file(t0 + ";1 wabi_sabi @2 crab angelfish"), true},
        {"a tank both built from its definition", file(t0 + ";!1 dusk_pool"),
         file(t0 + ";1 dusk_pool @1 angelfish"), file(t0 + ";1 dusk_pool @2 angelfish"),
         file(t0 + ";1 dusk_pool @2 angelfish"), true},
        {"a tank this run built at its start, which the other never showed", file(t0 + ";!1 dusk_pool"),
         file(t0 + ";!1 dusk_pool", 2, "0.3"), file(t0 + ";1 dusk_pool @2 angelfish"),
         file(t0 + ";1 dusk_pool @2 angelfish", 2, "0.3"), false, file(t0 + ";1 dusk_pool angelfish")},
        {"a line this run does not write, left by the other", read + ":set other 1\n",
         file(t0 + ";" + t1, 2, "0.3") + ":set other 1\n", read,
         file(t0 + ";" + t1, 2, "0.3") + ":set other 1\n", false, read},
        {"a stored script both edited", note('3'), note('4'), note('5'), note('5'), true},
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
