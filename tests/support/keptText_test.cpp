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
        {"the same tank: an animal taken out there, one of that species added here", read,
         file("0 wabi_sabi crab neon_tetra;" + t1),
         file("0 wabi_sabi crab neon_tetra neon_tetra neon_tetra;" + t1),
         file("0 wabi_sabi crab neon_tetra neon_tetra;" + t1), false},
        {"another type chosen there, an animal added here", read, file(t0 + ";1 coral crab angelfish"),
         file(t0 + ";1 dusk_pool crab angelfish tiger_barb"), file(t0 + ";1 coral crab angelfish tiger_barb"),
         false},
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

// A run that ends beside the one keeping the folder leaves what it changed in a file of its
// own; the keeping run takes it in at its next save (or a start, before it reads the file),
// keeps it in every later save, and removes the left file once the file holding it is written.
// Start counts add up; a left file that is none is set aside, never removed.
TEST(KeptText, WhatARunThatEndedBesideLeftIsTakenInAndKept) {
    ScopedDataFolder data;
    std::string const read = file("0 wabi_sabi crab;1 dusk_pool crab"), runs = ":set runs 4\n:set runsTV 2\n";
    std::string const barbs = file("0 wabi_sabi crab tiger_barb tiger_barb tiger_barb;1 dusk_pool crab");
    struct {
        char const* what;
        std::string read, ours, keeping, written, later, laterWritten;
        bool atStart = false;
        std::vector<std::string> counts = {};
        char const* damaged = nullptr; // a left file that is none, beside the good one
    } const cases[] = {
        {"fish added beside, the volume changed here", read, barbs,
         file("0 wabi_sabi crab;1 dusk_pool crab", 2, "0.7"),
         file("0 wabi_sabi crab tiger_barb tiger_barb tiger_barb;1 dusk_pool crab", 2, "0.7"),
         file("0 wabi_sabi crab;1 dusk_pool crab angelfish", 2, "0.7"),
         file("0 wabi_sabi crab tiger_barb tiger_barb tiger_barb;1 dusk_pool crab angelfish", 2, "0.7")},
        {"taken in by a start: the file as the killed run saved it", read, barbs, file("0 wabi_sabi crab", 1),
         file("0 wabi_sabi crab tiger_barb tiger_barb tiger_barb", 1), "", "", true},
        {"the starts counted by both",
         runs,
         ":set runs 5\n:set runsTV 3\n:set fsSz 1.5\n",
         ":set runs 5\n:set runsTV 3\n",
         ":set runs 6\n:set runsTV 4\n:set fsSz 1.5\n",
         ":set runs 5\n:set runsTV 3\n:set maxFishPerTank 30\n",
         ":set runs 6\n:set runsTV 4\n:set maxFishPerTank 30\n:set fsSz 1.5\n",
         false,
         {"runs", "runsTV"}},
        {"beside a damaged one", read, barbs, read, barbs, "", "", false, {}, "read 12\nnot a left file"},
        {"beside an empty one", read, barbs, read, barbs, "", "", false, {}, ""},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(data.path());
        std::filesystem::create_directories(data.path());
        writeWholeFile(data.file("settings.txt"), c.read);
        forgetTextBaselines();
        keepTextBaseline("[APD]settings.txt", c.read, c.read);
        std::string where;
        ASSERT_EQ(leaveKeptText("[APD]settings.txt", c.ours, "4321-1", where), 0);
        EXPECT_EQ(where, data.file("settings.txt.left-4321-1"));
        EXPECT_EQ(leaveKeptText("[APD]settings.txt", c.read, "4321-2", where), -1) << "nothing changed";
        if (c.damaged) writeWholeFile(data.file("settings.txt.left-4321-0"), c.damaged);
        forgetTextBaselines(); // the run that keeps the folder
        if (c.atStart) {
            writeWholeFile(data.file("settings.txt"), c.keeping);
            ASSERT_EQ(takeInLeftKeptText("[APD]settings.txt", c.counts), 0);
        } else {
            ASSERT_EQ(saveKeptText("[APD]settings.txt", c.keeping, c.counts), 0);
        }
        EXPECT_EQ(readWholeFile(data.file("settings.txt")), c.written);
        EXPECT_FALSE(pathExists(data.file("settings.txt.left-4321-1"))) << "taken in";
        EXPECT_FALSE(pathExists(data.file("settings.txt.other-run")));
        if (c.damaged) {
            EXPECT_FALSE(pathExists(data.file("settings.txt.left-4321-0")));
            EXPECT_TRUE(pathExists(data.file("settings.txt.left-4321-0.damaged")));
            EXPECT_EQ(readWholeFile(data.file("settings.txt.left-4321-0.damaged")), c.damaged);
        }
        if (c.later.empty()) continue;
        ASSERT_EQ(saveKeptText("[APD]settings.txt", c.later, c.counts), 0);
        EXPECT_EQ(readWholeFile(data.file("settings.txt")), c.laterWritten) << "a later save";
    }
    forgetTextBaselines();
}

// What a left file holds comes back as it was written; anything else is no left file.
TEST(KeptText, ALeftFileIsReadBackOnlyWhole) {
    std::string const good = leftKeptText(":set a 1\n", "", "}\nbase 3\nxyz");
    std::string read, base, ours;
    ASSERT_TRUE(readLeftKeptText(good, read, base, ours));
    EXPECT_EQ(read + "|" + base + "|" + ours, ":set a 1\n||}\nbase 3\nxyz");
    std::string const header = good.substr(0, good.find("read "));
    for (std::string const& bad :
         {std::string(), header, good.substr(0, good.size() - 1), good + "x", good.substr(1),
          header + "read 1\nx" + "base 0\n", header + "read -1\n", header + "read 1x\nx", header + "read \n",
          header + "read 99999999999999999999\n", header + "base 0\nread 0\nours 0\n",
          header + "read 0\nbase 0\nours 5\nabc"})
        EXPECT_FALSE(readLeftKeptText(bad, read, base, ours)) << bad;
}

} // namespace
