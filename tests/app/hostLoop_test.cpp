// Whole runs of the program in this process: headless frames, the red screen of a run
// without resources, the screen saver's settings for one run, SIGTERM and a destroyed
// window ending a run with saved settings, and drawing in a window another program made
// (under an X server).
#include "hostFixture.h" // before the X headers, whose None clashes with the test framework's

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <linux/capability.h>
#include <pwd.h>
#include <signal.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "app/hostLoop.h"
#include "app/optionsSheet.h"
#include "app/velmoraView.h"
#include "host/saverDefaults.h"
#include "script/scripter.h"
#include "sheetTestSupport.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "support/resourceCopy.h"
#include "variables/configDialogVars.h"
#include "world/shopAudio.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/dataFolderRun.h"
#include "world/velmoraFunctions.h"

namespace {

using HostLoop = HostFixture;

TEST_F(HostLoop, MissingResourcesShowTheRedScreenAndFail) {
    REQUIRE_OFFSCREEN();
    makeFolders(false);
    EXPECT_EQ(runProgram({"--headless", "90x40", "--frames", "3", "--screenshot", data.file("red.png")}), 1);
    EXPECT_EQ(shopKeeper, nullptr) << "no engine was started";
    PictureSink png = readPng(data.file("red.png"));
    ASSERT_EQ(png.width, 90);
    size_t corner = size_t(((png.height - 1) * png.width) * 4); // bottom left: no text there
    EXPECT_NEAR(png.rgba[corner], 127.5, 0.6);
    EXPECT_EQ(png.rgba[corner + 1] + png.rgba[corner + 2], 0);
    EXPECT_NE(logs().find("couldn't locate resources!"), std::string::npos);
}

// XScreenSaver's settings as its description gives them: a box passes its flag in one state
// only and a slider none at its default, so a run without a flag does what the sheet last
// kept, on a new install the description's default. Each control is turned from its default
// and back; at the end the sheet keeps what is changed on it and nothing else.
TEST_F(HostLoop, TheDescriptionsBoxesAndSlidersHoldForTheirRunOnly) {
    REQUIRE_OFFSCREEN();
    makeFolders(true);
    std::string xml = readWholeFile(VELMORA_TEST_INPUT_DIR "../../src/app/velmora.xml");
    auto attribute = [&](std::string const& id, std::string const& name) {
        size_t at = xml.find("id=\"" + id + "\""), end = xml.find("/>", at);
        size_t from = xml.find(" " + name + "=\"", at);
        if (at == std::string::npos || from > end) return std::string();
        from += name.size() + 3;
        return xml.substr(from, xml.find('"', from) - from);
    };
    struct Control {
        char const* id;
        int other; // the state away from the default: a box 1 ticked, a slider its value
        std::function<int()> does;
    } const controls[] = {
        {"fishPerTank", 12, [] { return maxFishPerTank; }},
        {"fishSize", 150, [] { return int(std::lround(100 / shopKeeper->worldScale)); }},
        {"saveChanges", 0, [] { return int(shopKeeper->saveChanges); }},
        {"sound", 0, [] { return soundMuted || soundOff ? 0 : 1; }},
    };
    auto byDefault = [&](Control const& c) {
        std::string value = attribute(c.id, "default");
        return value.empty() ? int(attribute(c.id, "arg-set").empty()) : std::stoi(value);
    };
    // A run with control `away` (-1 none) in its other state; each control's doing is checked.
    auto run = [&](int away, std::function<void(ChostRun&)> during) {
        std::vector<std::string> args = {"velmora", "--headless", "32x18", "--frames", "9"};
        for (int i = 0; i < int(std::size(controls)); i++) {
            Control const& c = controls[i];
            int state = i == away ? c.other : byDefault(c);
            std::string arg = attribute(c.id, "arg");
            if (arg.empty()) arg = attribute(c.id, state ? "arg-set" : "arg-unset");
            if (state == byDefault(c) && !attribute(c.id, "default").empty()) arg = "";
            if (arg.empty()) continue;
            args.push_back(arg.substr(0, arg.find(' ')));
            if (arg.find('%') != std::string::npos) args.push_back(std::to_string(state));
        }
        std::vector<char const*> argv;
        for (auto const& a : args)
            argv.push_back(a.c_str());
        ChostOptions options;
        Cstring error;
        ASSERT_EQ(parseHostOptions(int(argv.size()), argv.data(), nullptr, options, error), 0) << error;
        ChostRun program;
        ASSERT_EQ(program.open(options, 0, nullptr), 0); // headless: no window system to tell
        ASSERT_TRUE(program.step() && program.step());
        for (int i = 0; i < int(std::size(controls)); i++)
            EXPECT_EQ(controls[i].does(), i == away ? controls[i].other : byDefault(controls[i]))
                << controls[i].id << (i == away ? " turned" : " at its default") << " in run " << away;
        during(program);
        EXPECT_EQ(program.close(), 0);
    };
    CsheetTestServices services;
    for (int away = -1; away < int(std::size(controls)); away++)
        run(away, [](ChostRun&) {});
    run(0, [&](ChostRun& program) { // the sheet is opened, and only its fish size moved
        ASSERT_NE(program.views[0]->configureSheet(), nullptr);
        services.lastWindow->shown.sizeSlider = 120;
        services.actions->settingChanged();
        services.actions->closeClicked();
    });
    std::string registry = readWholeFile(data.file("registry.txt"));
    EXPECT_NE(registry.find("fsSz 1.2"), std::string::npos) << registry;
    EXPECT_NE(registry.find("maxFishPerTank 70"), std::string::npos) << registry;
    // The new size's restart was asked of a run that has ended: the next run is not restarted.
    ASSERT_EQ(runProgram({"--headless", "32x18", "--frames", "9"}), 0);
    EXPECT_EQ(logs().find("restarting the engine"), std::string::npos);
}

bool shell(std::string const& line);
size_t countOf(std::string const& text, std::string const& what);

// A saved tank that cannot be built ends the start; the next start reads the settings again
// (the end may have come of something else), and when it ends the same way they are set aside
// whole, so the start after it begins from the defaults instead of ending the same way.
TEST_F(HostLoop, SettingsWhoseTankCannotBeBuiltAreSetAsideForTheNextStart) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    std::vector<std::string> run = {"--headless", "480x270", "--frames", "30"};
    ASSERT_EQ(runProgram(run), 0) << "the first start copies the resources";
    ASSERT_EQ(runProgram(run), 0) << "the second saves the settings";
    ASSERT_EQ(runProgram(run), 0) << "the third shows and saves the other tank too";
    std::string saved = settingsText();
    // Every fish's place, so whichever tank the next start shows cannot be built.
    std::string damaged = saved;
    for (size_t at = 0; (at = damaged.find(":set startPos ", at)) != std::string::npos; at++)
        damaged = damaged.substr(0, at) + ":cd noSuchPlace" + damaged.substr(damaged.find('\n', at));
    ASSERT_NE(damaged, saved) << saved;
    writeWholeFile(data.file("settings.txt"), damaged);

    // Each start a process of its own, as a viewer's starts are.
    std::filesystem::current_path(savedCwd);
    for (int start = 0; start < 2; start++) {
        EXPECT_FALSE(shell(VELMORA_PROGRAM " --headless 480x270 --frames 30 2>/dev/null"))
            << "start " << start;
        EXPECT_NE(settingsText().find("noSuchPlace"), std::string::npos) << "read again by the next start";
        EXPECT_FALSE(pathExists(data.file("settings.txt.damaged")));
    }
    EXPECT_EQ(runProgram(run), 0) << logs().substr(0, 2000);
    // The run may have saved the settings again before it built the tank: the same tank.
    std::string aside = readWholeFile(data.file("settings.txt.damaged"));
    auto things = [](std::string const& text) {
        size_t n = 0;
        for (size_t at = 0; (at = text.find(":addThing ", at)) != std::string::npos; at++)
            n++;
        return n;
    };
    EXPECT_NE(aside.find("noSuchPlace"), std::string::npos) << "nothing of it is lost";
    EXPECT_EQ(things(aside), things(saved));
    EXPECT_GT(things(saved), 10u);
    EXPECT_NE(settingsText(), damaged) << "the defaults saved in its place";
}

// A saved tank that cannot be built for a fault of the install is no fault of the settings: a
// file the install should hold missing (from the copy too), or a line of the installed tank
// definition that fails. Each start whose tank needs it ends saying why (the missing file, and
// to install again), nothing is set aside, and once the install is whole every tank and fish
// is back.
TEST_F(HostLoop, ASavedTankThatTheInstallCannotBuildCostsNoSettings) {
    REQUIRE_OFFSCREEN();
    namespace fs = std::filesystem;
    fs::copy(VELMORA_GENERATED_RESOURCE_DIR, install.path(), fs::copy_options::recursive);
    std::vector<std::string> run = {"--headless", "480x270", "--frames", "30"};
    ASSERT_EQ(runProgram(run), 0) << "the first start copies the resources";
    ASSERT_EQ(runProgram(run), 0) << "the second saves the settings";
    ASSERT_EQ(runProgram(run), 0) << "the third shows and saves the other tank too";
    // Both tanks of the dusk pool's type, as its menu makes of the default tank.
    std::string saved = settingsText();
    size_t other = saved.find(":addTank wabi_sabi ");
    ASSERT_NE(other, std::string::npos) << saved;
    saved.replace(other, 18, ":addTank dusk_pool");
    writeWholeFile(data.file("settings.txt"), saved);
    auto count = [](std::string const& text, std::string const& what) {
        size_t n = 0;
        for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at++)
            n++;
        return n;
    };
    ASSERT_GT(count(saved, ":addThing "), 10u);
    std::string field = install.file("tanks/dusk_pool/heightField.image");
    std::string tank = install.file("tanks/dusk_pool/dusk_pool.tank");
    struct {
        std::string file; // of the install, damaged in the copy alike
        bool missing;     // else a line planted in it fails
        std::string said;
    } const rows[] = {
        {field, true, "the file " + field + " is missing from the install folder: install Velmora again"},
        {tank, false, "bad cd to nowhere_at_all"},
        {tank, true, "the file " + tank + " is missing from the install folder: install Velmora again"},
    };
    fs::current_path(savedCwd);
    for (auto const& row : rows) {
        SCOPED_TRACE(row.file);
        std::string copy = data.file(("Resources/" + row.file.substr(install.path().size())).c_str());
        std::string whole = readWholeFile(row.file);
        std::string planted = whole;
        if (!row.missing)
            planted.replace(planted.find(":remaining"), 0, ":cd nowhere_at_all { :set x 1 }\n\t");
        for (std::string const& path : {row.file, copy})
            if (row.missing)
                fs::remove(path);
            else
                writeWholeFile(path, planted);
        for (int start = 0; start < 3; start++) {
            EXPECT_FALSE(
                shell(VELMORA_PROGRAM " --headless 480x270 --frames 30 2>'" + config.file("said") + "'"))
                << "start " << start;
            std::string said = readWholeFile(config.file("said"));
            EXPECT_NE(said.find(row.said), std::string::npos) << said;
            EXPECT_EQ(readWholeFile(data.file("isRunning.txt")).find(":s failed"), std::string::npos);
            EXPECT_FALSE(pathExists(data.file("settings.txt.damaged")));
        }
        writeWholeFile(row.file, whole);
        writeWholeFile(copy, whole);
        for (int start = 0; start < 2; start++) { // each shows the other tank
            EXPECT_EQ(runProgram(run), 0) << logs().substr(0, 2000);
            EXPECT_EQ(count(settingsText(), ":addTank dusk_pool "), 2u);
            EXPECT_EQ(count(settingsText(), ":addThing "), count(saved, ":addThing "));
        }
    }
}

// A species script of the resource copy that does not parse is the copy's fault: it is
// renewed from the install folder in the same start, which goes on, and the settings stay.
TEST_F(HostLoop, ABrokenScriptOfTheResourceCopyRenewsTheCopyAndKeepsTheSettings) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    std::vector<std::string> run = {"--headless", "480x270", "--frames", "30"};
    ASSERT_EQ(runProgram(run), 0) << "the first start copies the resources";
    ASSERT_EQ(runProgram(run), 0) << "the second saves the settings";
    std::string species = "species/neon_tetra/neon_tetra.spec";
    std::string copy = data.file(("Resources/" + species).c_str());
    std::string installed = readWholeFile(std::string(VELMORA_GENERATED_RESOURCE_DIR) + species);
    ASSERT_FALSE(installed.empty());
    writeWholeFile(copy, "broken :a");

    EXPECT_EQ(runProgram(run), 0) << logs().substr(0, 2000);
    EXPECT_EQ(readWholeFile(copy), installed) << "the copy is whole again";
    EXPECT_TRUE(pathExists(data.file("settings.txt")));
    EXPECT_FALSE(pathExists(data.file("settings.txt.damaged")));
    resetExitState();
    scriptError = 0;
    showInPreview = 0;
    EXPECT_EQ(runProgram(run), 0) << logs().substr(0, 2000);
    EXPECT_FALSE(pathExists(data.file("settings.txt.damaged")));
}

// A species missing from the install and from the data folder's copy costs the saved tanks
// none of its fish: each start draws without them, names the species and where it looked, and
// saves them as the settings held them; with the install whole again they swim once more.
TEST_F(HostLoop, FishOfASpeciesTheInstallLacksAreKeptUntilItIsWholeAgain) {
    REQUIRE_OFFSCREEN();
    namespace fs = std::filesystem;
    useStagedResources();
    std::vector<std::string> run = {"--headless", "480x270", "--frames", "30"};
    ASSERT_EQ(runProgram(run), 0) << "the first start copies the resources";
    ASSERT_EQ(runProgram(run), 0) << "the second saves both tanks";
    auto count = [](std::string const& text, std::string const& what) {
        size_t n = 0;
        for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at++)
            n++;
        return n;
    };
    // Sun tangs in both tanks, so that whichever a start shows holds some.
    std::string text = settingsText();
    for (size_t at = 0; (at = text.find(":addThing cherry_barb {", at)) != std::string::npos;)
        text.replace(at, 23, ":addThing sun_tang {");
    ASSERT_GT(count(text, ":addTank dusk_pool "), 0u) << text.substr(0, 2000);
    writeWholeFile(data.file("settings.txt"), text);
    std::string sunTang = ":addThing sun_tang {";
    size_t saved = count(text, sunTang);
    ASSERT_GT(saved, 10u);
    fs::copy(VELMORA_GENERATED_RESOURCE_DIR, install.path(), fs::copy_options::recursive);
    fs::remove_all(install.file("species/sun_tang"));
    fs::remove_all(data.file("Resources/species/sun_tang"));
    setenv("VELMORA_INSTALL_DIR", install.path().c_str(), 1);

    // Each start a process of its own, as a viewer's starts are.
    fs::current_path(savedCwd);
    std::string said = data.file("said.txt");
    for (int start = 0; start < 3; start++) {
        EXPECT_TRUE(shell(VELMORA_PROGRAM " --headless 480x270 --frames 30 2>'" + said + "'")) << start;
        EXPECT_EQ(count(settingsText(), sunTang), saved) << start;
        EXPECT_NE(readWholeFile(said).find("the species \"sun_tang\" cannot be loaded (looked for in \"" +
                                           data.file("Resources/species/sun_tang/") + "\")"),
                  std::string::npos)
            << readWholeFile(said);
        EXPECT_EQ(count(readWholeFile(said), "\"sun_tang\""), 1u) << "said once";
    }

    std::unique_ptr<CvelmoraView> view;
    Ctank* tank = startStagedView(view, 480, 270);
    ASSERT_NE(tank, nullptr) << exitMsg.c_str();
    text = settingsText();
    size_t block = text.find(std::string(":addTank ") + tank->tankTypeName.c_str() + " ");
    ASSERT_NE(block, std::string::npos);
    size_t inTank = count(text.substr(block, text.find(":addScript ", block) - block), sunTang);
    size_t swimming = 0;
    while (tank->findInstanceOfSpecies("sun_tang", int(swimming) + 1))
        swimming++;
    EXPECT_EQ(swimming, inTank);
    EXPECT_GT(swimming, 4u);
    view->stopAnimation();
    view.reset();
    EXPECT_EQ(count(settingsText(), sunTang), saved);
}

// A file of the data folder's resource copy damaged before a start: the start copies it
// again from the install folder, loads (or runs) it once more and draws the tank; a file
// the install folder does not hold goes. A planted ":exit0" ends one start, and the next
// makes the copy again. Only a file that fails as installed ends the start, naming it, or
// the file of the copy that cannot be written. Each row starts from a whole copy of an
// install folder of its own, and the first start shows the default tank.
TEST_F(HostLoop, ADamagedFileOfTheResourceCopyIsRenewedInTheSameStart) {
    REQUIRE_OFFSCREEN();
    namespace fs = std::filesystem;
    fs::copy(VELMORA_GENERATED_RESOURCE_DIR, install.path(), fs::copy_options::recursive);
    enum Damage {
        CUT_500,
        CUT_300,
        EMPTIED,
        FOLDER,
        DELETED,
        HUGE_HEADER,
        FUZZ_MATERIAL,             // the material reader's fuzz finding: it reads, but makes no shaders
        FUZZ_MATERIAL_AFTER_READS, // the same after earlier starts of the process read thousands of files
        EXIT0,
        EXITERR,
        CD,
        UNKNOWN,
        LOCKED,
        EXIT0_LATE, // a script planted beside the interface's own, run at the tenth frame
        EXITERR_LATE,
        EXIT_LATE,
        CRASH_LATE,          // the process killed once the marker names the file among those that ran
        EXIT0_SETTINGS_LATE, // it plants ":exit0" in the settings, then ends the process
    };
    struct {
        char const* file;
        Damage damage;
        bool installedToo;
        char const* alsoDamaged = nullptr; // a second file of the copy, damaged the same way
        long sizeLimit = 0;                // a start first whose files cannot grow this large (a full disk)
    } const rows[] = {
        // First: no start of this test has read the material yet.
        {"species/sea_grass/materials/leaf.mat", FUZZ_MATERIAL_AFTER_READS, false},
        {"tanks/wabi_sabi/wabi_sabi.tank", CUT_500, false},
        {"tanks/wabi_sabi/wabi_sabi.tank", EMPTIED, false},
        {"tanks/wabi_sabi/wabi_sabi.tank", FOLDER, false},
        {"tanks/wabi_sabi/wabi_sabi.tank", DELETED, false},
        {"species/backdrop_image/arrays/backdrop.sgi", CUT_500, false},
        {"species/backdrop_image/arrays/backdrop.sgi", HUGE_HEADER, false},
        {"species/backdrop_image/arrays/backdrop.sgi", CUT_500, false, nullptr, 250000},
        {"species/backdrop_image/arrays/backdrop.sgi", DELETED, false, nullptr, 250000},
        {"species/neon_tetra/neon_tetra.spec", CUT_300, false}, // inside a quoted text
        {"species/rock_boulder/rock_boulder.geo", CUT_500, false},
        {"species/std_fish/arrays/swimCycle.image", CUT_500, false},
        {"species/gui_panel/interface.gui", EXIT0, false},
        {"species/neon_tetra/neon_tetra.spec", EXIT0, false},
        {"addons/wabisab.das", EXIT0, false},
        {"species/gui_panel/interface.gui", EXITERR, false},
        {"species/gui_panel/interface.gui", CD, false},
        {"species/gui_panel/interface.gui", UNKNOWN, false}, // its run leaves a script error behind
        {"species/neon_tetra/neon_tetra.spec", EXITERR, false},
        {"tanks/wabi_sabi/wabi_sabi.tank", EXITERR, false},
        {"addons/wabisab.das", EXITERR, false},
        {"tanks/wabi_sabi/wabi_sabi.tank", CUT_500, true},
        {"species/gui_panel/interface.gui", LOCKED, false}, // run whichever tank shows
        {"species/gui_panel/interface.gui", EXIT0_LATE, false},
        {"species/gui_panel/interface.gui", EXITERR_LATE, false},
        {"species/gui_panel/interface.gui", EXIT_LATE, false},
        {"species/gui_panel/interface.gui", CRASH_LATE, false},
        {"addons/wabisab.das", EXIT0_LATE, false},
        {"addons/wabisab.das", CRASH_LATE, false},
        {"species/gui_panel/interface.gui", EXIT0_SETTINGS_LATE, false},
        {"species/sea_grass/materials/leaf.mat", FUZZ_MATERIAL, false},
        {"species/sea_grass/materials/leaf.mat", FUZZ_MATERIAL, true},
        // Named as missing, not the species that reads it, which is whole.
        {"species/sun_tang/materials/body.mat", DELETED, true},
        // Only the start begun again reads the second (it shows the next tank): it begins again twice.
        {"species/sea_grass/materials/leaf.mat", FUZZ_MATERIAL, false,
         "species/driftwood/materials/wood.mat"},
    };
    auto damage = [](std::string const& path, Damage how) {
        std::error_code error;
        char const* planted[] = {
            ":exit0",
            ":exiterr \"planted\"",
            ":cd nowhere_at_all { :set x 1 }",
            ":noSuchCommandPlanted 1",
            ":exiterr planted",
            ":mkdir std_scripts {\n:addScript tenFramesIn {\n:exit0\n}\n}",
            ":mkdir std_scripts {\n:addScript tenFramesIn {\n:exiterr \"planted late\"\n}\n}",
            ":mkdir std_scripts {\n:addScript tenFramesIn {\n:exit planted\n}\n}",
            ":mkdir std_scripts {\n:addScript tenFramesIn {\n:int plantedBeforeACrash 1\n}\n}",
            ":mkdir std_scripts {\n:addScript tenFramesIn {\n:mfile \"[APD]settings.txt\" "
            "\":exit0\"\n:exit0\n}\n}"};
        fs::create_directories(fs::path(path).parent_path(), error); // a module only the copy holds
        if (how >= EXIT0) std::ofstream(path, std::ios::app) << "\n" << planted[how - EXIT0] << "\n";
        if (how == CUT_500 || how == CUT_300) fs::resize_file(path, how == CUT_500 ? 500 : 300, error);
        if (how == FUZZ_MATERIAL || how == FUZZ_MATERIAL_AFTER_READS)
            fs::copy_file(VELMORA_TEST_INPUT_DIR "robustness/material-1.bin", path,
                          fs::copy_options::overwrite_existing, error);
        if (how == EMPTIED) fs::resize_file(path, 0, error);
        if (how == FOLDER || how == DELETED) fs::remove(path, error);
        if (how == FOLDER) fs::create_directories(path + "/inside", error);
        if (how == HUGE_HEADER) { // 30000 x 30000 pixels in a file of the old size
            std::fstream f(path, std::ios::in | std::ios::out | std::ios::binary);
            f.seekp(6);
            f.write("\x75\x30\x75\x30", 4);
        }
        ASSERT_FALSE(error) << path << ": " << error.message();
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " damaged " + std::to_string(row.damage) +
                     (row.installedToo ? " as installed too" : ""));
        fs::remove_all(data.path());
        fs::create_directories(data.path() + "Resources");
        for (char const* part : {"global", "species", "tanks", "resources.stamp", "downloadedComponents.txt"})
            fs::copy(install.file(part), data.file((std::string("Resources/") + part).c_str()),
                     fs::copy_options::recursive);
        std::string copy = data.file((std::string("Resources/") + row.file).c_str());
        std::string installedPath = install.file(row.file);
        fs::current_path(savedCwd); // not the copy an earlier start worked in, which is gone
        bool copied = std::string(row.file).compare(0, 7, "addons/") != 0; // the copy's folders
        std::string installed = copied ? readWholeFile(installedPath) : "";
        damage(copy, row.damage);
        std::string alsoCopy =
            row.alsoDamaged ? data.file((std::string("Resources/") + row.alsoDamaged).c_str()) : "";
        if (row.alsoDamaged) damage(alsoCopy, row.damage);
        // What a changed file of the copy held is kept when the file is made again.
        bool changed = row.damage != EMPTIED && row.damage != FOLDER && row.damage != DELETED;
        std::string changedText = changed ? readWholeFile(copy) : "";
        if (row.installedToo) damage(installedPath, row.damage);
        if (row.damage == LOCKED && !shell("chattr +i '" + copy + "' 2>/dev/null")) continue; // no root
        masterOut.close(); // each start opens its own log, as a new process does
        // As wide as a screen, not a preview: only a screen's start keeps the run marker. The
        // program's own process ends on the planted line, its start unfinished.
        bool endsLate = row.damage == EXIT0_LATE || row.damage == EXIT0_SETTINGS_LATE;
        if (row.damage == EXIT0 || endsLate) {
            // With a sound device open (the sound library's silent one): it is closed first.
            EXPECT_TRUE(shell("ALSOFT_DRIVERS=null " VELMORA_PROGRAM " --headless 400x225 --frames 20 2>'" +
                              data.file("exit0.err") + "'"));
            EXPECT_EQ(readWholeFile(data.file("exit0.err")).find("device not closed"), std::string::npos);
        }
        if (row.damage == EXIT0_SETTINGS_LATE) EXPECT_EQ(settingsText(), ":exit0");
        if (row.damage == EXIT0) EXPECT_TRUE(pathExists(data.file("isRunning.txt")));
        if (row.damage == CRASH_LATE) {
            std::string pid = data.file("run.pid");
            ASSERT_TRUE(shell("(" VELMORA_PROGRAM
                              " --headless 400x225 --frames 100000 >/dev/null 2>&1 & echo $! >'" +
                              pid + "')"));
            for (int waited = 0; waited < 6000; waited++) {
                if (readWholeFile(data.file("isRunning.txt")).find(":s ran " + std::string(row.file)) !=
                    std::string::npos)
                    break;
                usleep(10 * 1000);
            }
            EXPECT_TRUE(
                shell("p=$(cat '" + pid +
                      "'); kill -9 $p; while grep -qv Z /proc/$p/stat 2>/dev/null; do sleep 0.05; done"));
            EXPECT_NE(readWholeFile(data.file("isRunning.txt")).find(":s ran " + std::string(row.file)),
                      std::string::npos);
        }
        // One that ends a run after its first frame costs that run only.
        if (row.damage == EXITERR_LATE || row.damage == EXIT_LATE) {
            EXPECT_EQ(runProgram({"--headless", "400x225", "--frames", "20"}),
                      row.damage == EXITERR_LATE ? 1 : 0);
            resetExitState();
            scriptError = 0;
            showInPreview = 0;
            pleaseQuitSystemPreferences = 0; // as in a new process
            masterOut.close();
        }
        // What earlier starts of the process read (other tests' folders, or this one's files
        // before the options sheet restarted the engine) is no file this start failed on.
        if (row.damage == FUZZ_MATERIAL_AFTER_READS) {
            appDataDir = data.path().c_str(); // as a start here names it
            for (int i = 0; i < 5000; i++)
                noteResourceRead(
                    data.file(("Resources/species/read_earlier/" + std::to_string(i)).c_str()).c_str());
        }
        // A file that cannot be copied again for want of room leaves the start on the installed
        // resources, with nothing half written; the next start renews it.
        if (row.sizeLimit) {
            std::string said = data.file("limited.err");
            EXPECT_TRUE(shell("prlimit --fsize=" + std::to_string(row.sizeLimit) +
                              " " VELMORA_PROGRAM " --headless 400x225 --frames 20 --screenshot '" +
                              data.file("shot.png") + "' 2>'" + said + "'"));
            EXPECT_EQ(pictureShown(readPng(data.file("shot.png"))), "the tank");
            EXPECT_FALSE(pathExists(copy));
            EXPECT_EQ(countOf(readWholeFile(said), "could not be written"), 1u) << readWholeFile(said);
        }
        int runsBefore = numRuns; // none in a new folder: the count goes on from the last start here
        int status = 0;
        if (row.alsoDamaged) // a process of its own, as a viewer's start is: none of an earlier start here
            status = shell(VELMORA_PROGRAM " --headless 400x225 --frames 20 --screenshot '" +
                           data.file("shot.png") + "' 2>/dev/null")
                         ? 0
                         : 1;
        else
            status = runProgram(
                {"--headless", "400x225", "--frames", "20", "--screenshot", data.file("shot.png")});
        if (row.damage == LOCKED) shell("chattr -i '" + copy + "'");
        if (row.installedToo || row.damage == LOCKED) {
            EXPECT_EQ(status, 1);
            bool missing = row.damage == DELETED;
            EXPECT_NE((logs() + exitMsg.c_str())
                          .find(missing ? "the file " + installedPath +
                                              " is missing from the install folder: install Velmora again"
                                : row.installedToo ? "the installed file " + installedPath + " fails to load"
                                                   : "planted; the resource copy's file " + copy +
                                                         " fails to load and could not be copied again from "
                                                         "the install folder: Operation not permitted"),
                      std::string::npos);
            if (missing) EXPECT_EQ(std::string(exitMsg.c_str()).find("fails to load"), std::string::npos);
            writeWholeFile(installedPath, installed);
        } else {
            EXPECT_EQ(status, 0) << logs().substr(0, 3000);
            PictureSink png = readPng(data.file("shot.png"));
            EXPECT_EQ(pictureShown(png), "the tank");
            EXPECT_TRUE(readWholeFile(copy) == installed) << "the copy's file is whole again";
            if (row.alsoDamaged) {
                EXPECT_TRUE(readWholeFile(alsoCopy) == readWholeFile(install.file(row.alsoDamaged)));
                std::string log = readWholeFile(data.file("masterout.txt"));
                size_t begun = 0;
                for (size_t at = 0; (at = log.find("the start begins again", at)) != std::string::npos; at++)
                    begun++;
                EXPECT_EQ(begun, 2u) << "once for each file";
            }
            EXPECT_EQ(pathExists(copy), copied);
            EXPECT_EQ(logs().find("the resource copy is made again") != std::string::npos,
                      row.damage == EXIT0);
            std::string kept = data.file((std::string("Resources.edited/") + row.file).c_str());
            EXPECT_EQ(pathExists(kept), changed);
            if (changed) EXPECT_TRUE(readWholeFile(kept) == changedText) << kept;
            // One start, however often it began again on a renewed copy.
            if ((row.damage == FUZZ_MATERIAL || row.damage == FUZZ_MATERIAL_AFTER_READS) && !row.alsoDamaged)
                EXPECT_EQ(numRuns, runsBefore + 1);
            // Data the run planted is set aside whole; the start goes on from the defaults.
            if (row.damage == EXIT0_SETTINGS_LATE)
                EXPECT_EQ(readWholeFile(data.file("settings.txt.damaged")), ":exit0");
        }
        resetExitState();
        scriptError = 0;
        showInPreview = 0;
        pleaseQuitSystemPreferences = 0;
    }
}

// The run marker names the start-up only until the first frame is drawn, then the run: a
// run that ends later is no failed start (whose next start makes the whole resource copy
// again), nor is a live run to a second start. A stop takes the marker away.
TEST_F(HostLoop, TheRunMarkerNamesTheStartOnlyUntilTheFirstFrame) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    std::vector<std::string> first = {"--headless", "400x225", "--frames", "5"};
    ASSERT_EQ(runProgram(first), 0) << "the first start copies the resources";
    resetExitState();
    // As wide as a screen: a preview keeps no marker.
    ChostRun run;
    ASSERT_EQ(openRun(run, {"--headless", "400x225", "--frames", "100000"}), 0);
    EXPECT_EQ(std::string(readLeftRun("[APD]isRunning.txt").phase.c_str()), "afterSettings");
    for (int i = 0; i < 3; i++)
        ASSERT_TRUE(run.step()) << exitMsg.c_str();
    EXPECT_EQ(std::string(readLeftRun("[APD]isRunning.txt").phase.c_str()), "run");
    // The files of the copy whose scripts run are named once each, however often they run,
    // and still when the marker names the closing.
    auto timesNamed = [this] {
        std::string marker = readWholeFile(data.file("isRunning.txt"));
        size_t n = 0;
        for (size_t at = 0;
             (at = marker.find(":s ran species/gui_panel/interface.gui\n", at)) != std::string::npos; at++)
            n++;
        return n;
    };
    for (int i = 0; i < 150; i++)
        ASSERT_TRUE(run.step()) << exitMsg.c_str();
    for (int again = 0; again < 3; again++) {
        bool found = false;
        runScript(shopKeeper, "/std_scripts/twoSecondsIn", &found);
        EXPECT_TRUE(found);
    }
    EXPECT_EQ(timesNamed(), 1u);
    setExit("stopped by the test");
    EXPECT_EQ(std::string(readLeftRun("[APD]isRunning.txt").phase.c_str()), "closing");
    EXPECT_EQ(timesNamed(), 1u);
    EXPECT_EQ(run.close(), 0) << exitMsg.c_str();
    EXPECT_FALSE(pathExists(data.file("isRunning.txt")));

    // A marker left behind: the copy's files it names as run are renewed (a module only the
    // copy holds goes), any other name is ignored; a start that ended before its first frame
    // has the copy made again. The user's own files stay, however the run ended, unless the
    // program's own code failed while it ran one of them twice in a row: the second time it
    // is set aside, and the viewer is told where it is kept.
    struct {
        char const* marker;
        bool moduleStays, settingsAside;
        char const* logged = nullptr;
        bool suspectNow = false; // this start's marker names the settings as suspect
    } const left[] = {
        {":s pn run\n:s ran addons\n", true, false, "\"addons\" is no file of the resource copy; ignored"},
        {":s pn run\n:s ran ../settings.txt\n:s ran species/../../settings.txt\n", true, false},
        {":s pn run\n:s ran addons/mine.das\n", false, false},
        // Killed while it read the settings, once or again and again: nothing of the user's goes.
        {":s pn loadSettings\n", false, false, "ended from outside"},
        {":s pn initGlobals\n", false, false, "ended from outside"},
        // A marker of the build before, naming the files it read: they are no evidence either.
        {":s pn run\n:s reading settings.txt\n", true, false},
        {":s pn openShop\n:s retry 1\n:s read settings.txt\n", false, false},
        {":s pn loadSettings\n:s fault 11 own settings.txt\n", false, false,
         "set aside should the next run fail", true},
        {":s pn loadSettings\n:s suspect settings.txt\n:s fault 11 own settings.txt\n", false, true,
         "failed twice in a row while it ran this file"},
        {":s pn run\n:s suspect settings.txt\n:s fault 7 own settings.txt\n", true, true},
        // A run that ended on an error in what the settings hold (a tank that cannot be built).
        {":s pn closing\n:s failed settings.txt\n", true, false, "ended on an error in settings.txt", true},
        {":s pn closing\n:s suspect settings.txt\n:s failed settings.txt\n", true, true},
        // A fault elsewhere: the graphics driver, memory running out, a signal sent, another file.
        {":s pn loadSettings\n:s suspect settings.txt\n:s fault 11 library settings.txt\n", false, false,
         "inside a library"},
        {":s pn loadSettings\n:s suspect settings.txt\n:s fault 11 memory settings.txt\n", false, false},
        {":s pn loadSettings\n:s suspect settings.txt\n:s fault 11 sent settings.txt\n", false, false},
        {":s pn run\n:s suspect ../settings.txt\n:s fault 11 own ../settings.txt\n", true, false},
        {":s pn run\n:s suspect registry.txt\n:s fault 11 own settings.txt\n", true, false, nullptr, true},
    };
    for (auto const& row : left) {
        SCOPED_TRACE(row.marker);
        std::filesystem::create_directories(data.file("Resources/addons"));
        writeWholeFile(data.file("Resources/addons/mine.das"), ":set x 1\n");
        writeWholeFile(data.file("isRunning.txt"), row.marker);
        std::filesystem::remove(data.file("settings.txt.damaged"));
        masterOut.close();
        resetExitState();
        testing::internal::CaptureStderr();
        ChostRun again;
        ASSERT_EQ(openRun(again, first), 0) << exitMsg.c_str();
        // Should this run die too, the start after it knows the settings failed twice.
        EXPECT_EQ(readLeftRun("[APD]isRunning.txt").suspect == "settings.txt", row.suspectNow);
        while (again.step()) {
        }
        ASSERT_EQ(again.close(), 0) << exitMsg.c_str();
        std::string said = testing::internal::GetCapturedStderr();
        EXPECT_EQ(pathExists(data.file("Resources/addons/mine.das")), row.moduleStays);
        EXPECT_EQ(pathExists(data.file("settings.txt.damaged")), row.settingsAside);
        EXPECT_EQ(said.find("It is kept as " + data.file("settings.txt.damaged")) != std::string::npos,
                  row.settingsAside)
            << said;
        EXPECT_EQ(logs().find("message shown: The file " + data.file("settings.txt")) != std::string::npos,
                  row.settingsAside)
            << "and on the screen";
        EXPECT_TRUE(pathExists(data.file("settings.txt")));
        if (row.logged) EXPECT_NE(logs().find(row.logged), std::string::npos);
    }
}

// Options in "registry.txt" outside the ranges the options sheet offers are brought into
// them, a number beyond any float is refused wherever a script sets one (the value stays),
// and a registry that fails part-way applies none of its lines: every start draws its
// tank, and the registry it saves holds sound values. A stored script of the settings that
// is refused later sets them aside there, and the run goes on without them, saying what of
// it is lost.
TEST_F(HostLoop, OutOfRangeAndNonFiniteValuesNeitherEndTheStartNorStay) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    std::vector<std::string> run = {"--headless", "320x180", "--frames", "20"};
    ASSERT_EQ(runProgram(run), 0) << "the first start copies the resources";
    ASSERT_EQ(runProgram(run), 0) << "the second saves the settings";
    std::string settings = settingsText();
    std::string hugeScales = settings;
    for (size_t at = 0; (at = hugeScales.find(":set thingScale ", at)) != std::string::npos; at++)
        hugeScales =
            hugeScales.substr(0, at) + ":set thingScale -1e39" + hugeScales.substr(hugeScales.find('\n', at));
    ASSERT_NE(hugeScales, settings);
    struct {
        char const* registry;
        bool hugeScales;
        char const* saved;
        char const* settingsFirst = ""; // a line put before the saved settings
        bool setAside = false;          // a file that ends the run is set aside whole
        bool later = false;             // a stored script of the file is refused later in the first run
    } const rows[] = {
        {"", true, ":set fsSz 1\n"},
        // Data the program keeps never ends a start: the file goes aside, the run goes on.
        {":set fsSz 1.5\n:exit0\n", false, ":set fsSz 1\n", "", true},
        {":set fsSz 1.5\n:doCheck\n", false, ":set fsSz 1\n", "", true},
        {":set fsSz 1.5\n:exit\n", false, ":set fsSz 1\n", "", true},
        {":set fsSz 1.5\n", false, ":set fsSz 1.5\n", ":exit0\n", true},
        {":set fsSz 1e30\n", false, ":set fsSz 2\n"},
        {":set fsSz -7\n", false, ":set fsSz 0.5\n"},
        {":set fsSz 100\n", false, ":set fsSz 2\n"},
        {":set fsSz 1e39\n", false, ":set fsSz 1\n"},
        {":set maxFishPerTank 1000\n", false, ":set maxFishPerTank 110\n"},
        {":set maxFishPerTank -4\n", false, ":set maxFishPerTank 1\n"},
        {":set updateDays 2\n", false, ":set updateDays 7\n"},
        {":set updateDays -1\n", false, ":set updateDays -1\n"}, // never
        {":set maxFishPerTank 12\n:set fsSz (\n", false, ":set maxFishPerTank 70\n", "", true},
        // Its stored script runs at the tenth frame, after the file was read: the file goes
        // aside, and the engine begins again without it (saving nothing of the run).
        {":set fsSz 1.5\n", false, ":set fsSz 1.5\n",
         ":mkdir std_scripts {\n:addScript tenFramesIn {\n:exit0\n}\n}\n", true, true},
        {":set fsSz 1.5\n", false, ":set fsSz 1.5\n",
         ":mkdir std_scripts {\n:addScript tenFramesIn {\n:doCheck\n}\n}\n", true, true},
        // An option the file set goes back with it; the registry the run saves keeps the old one.
        {":set maxFishPerTank 70\n", false, ":set maxFishPerTank 70\n",
         ":cd globals {\n:set maxFishPerTank 12\n}\n:mkdir std_scripts {\n:addScript tenFramesIn "
         "{\n:exit0\n}\n}\n",
         true, true},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(std::string(row.registry) + row.settingsFirst +
                     (row.hugeScales ? "every thingScale -1e39" : ""));
        writeWholeFile(data.file("registry.txt"), row.registry);
        writeWholeFile(data.file("settings.txt"),
                       std::string(row.settingsFirst) + (row.hugeScales ? hugeScales : settings));
        for (char const* aside : {"registry.txt.damaged", "settings.txt.damaged"})
            std::filesystem::remove(data.file(aside));
        // The second start reads what the first one saved.
        for (int start = 0; start < 2; start++) {
            EXPECT_EQ(runProgram(run), 0) << "start " << start << " " << logs().substr(0, 2000);
            // The run goes on from the defaults, says what is lost and saves as such a start.
            if (start == 0 && row.later)
                EXPECT_NE(settingsText().find(":addTank wabi_sabi 0 {"), std::string::npos);
            if (start == 0)
                EXPECT_EQ(logs().find("what changed in this run is not kept") != std::string::npos,
                          row.later);
            resetExitState();
            scriptError = 0;
            showInPreview = 0;
            pleaseQuitSystemPreferences = 0; // as in a new process
        }
        std::string registry = readWholeFile(data.file("registry.txt"));
        EXPECT_NE(registry.find(row.saved), std::string::npos) << registry;
        EXPECT_EQ(settingsText().find("inf\n"), std::string::npos);
        char const* planted = *row.settingsFirst ? "settings.txt.damaged" : "registry.txt.damaged";
        EXPECT_EQ(pathExists(data.file(planted)), row.setAside) << planted;
        if (row.setAside) EXPECT_TRUE(settingsText().find(":exit0") == std::string::npos);
    }
}

// While it lives, a process run as root is held to file permissions as any user is (this
// thread's override of them set aside), so that a read-only folder is read-only to it too.
class ScopedPermissionsHeld {
  public:
    ScopedPermissionsHeld() {
        if (geteuid() != 0 || syscall(SYS_capget, &header, saved) != 0) return;
        __user_cap_data_struct held[2] = {saved[0], saved[1]};
        held[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
        active = syscall(SYS_capset, &header, held) == 0;
    }
    ~ScopedPermissionsHeld() {
        if (active) syscall(SYS_capset, &header, saved);
    }

  private:
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved[2] = {};
    bool active = false;
};

// A limit on the size of every file this process writes while it lives: a write past it
// fails with the system's reason, as on a full disk, instead of ending the process.
class ScopedFileSizeLimit {
  public:
    explicit ScopedFileSizeLimit(rlim_t bytes) {
        getrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, SIG_IGN);
        rlimit limited = {bytes, saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limited);
    }
    ~ScopedFileSizeLimit() {
        setrlimit(RLIMIT_FSIZE, &saved);
        signal(SIGXFSZ, SIG_DFL);
    }

  private:
    rlimit saved{};
};

bool shell(std::string const& line) {
    return std::system(line.c_str()) == 0;
}

// Settings that cannot be written stop no start: the aquarium runs without saving, the
// log and the message page in the scene say which file and why, the old file stays as it
// is and the next start that can save does. A read-only data folder is only read: the
// aquarium runs from the install folder and says why nothing is kept. A folder where the
// program writes a file of its own is set aside, and the start goes on and saves.
TEST_F(HostLoop, SettingsThatCannotBeSavedStopNoStart) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    std::vector<std::string> run = {"--headless", "160x90", "--frames", "20"};
    ASSERT_EQ(runProgram(run), 0) << "the first start copies the resources";
    std::string settings = data.file("settings.txt"), log = data.file("masterout.txt");
    std::string const kept = ":set masterVolume 0.25\n";
    std::unique_ptr<ScopedPermissionsHeld> held;
    std::unique_ptr<ScopedFileSizeLimit> sizeLimit;
    auto readOnly = [&](bool on) {
        for (auto const& entry : std::filesystem::directory_iterator(data.path()))
            if (entry.is_regular_file()) chmod(entry.path().c_str(), on ? 0444 : 0644);
        chmod(data.path().c_str(), on ? 0555 : 0755);
    };
    // Folders in the place of the files the program writes for itself (stuck: the log's
    // cannot be moved); the start sets each aside, or goes on without it.
    std::vector<std::string> ownFiles = {"stdout_init.txt",    "stdout_startup.txt", "stdout_run.txt",
                                         "stdout_closing.txt", "isRunning.txt",      "registry.txt.temp",
                                         "settings.txt.temp",  "settings.txt.bak"};
    std::vector<std::string> setAside = {"masterout:" + data.path()}; // the log is written
    for (auto const& name : ownFiles)
        setAside.push_back("set aside as " + data.file(name.c_str()) + ".damaged");
    ownFiles.push_back("masterout.txt"); // set aside before there is a log to say so
    auto folders = [&](bool stuck) {
        return [&, stuck] {
            for (auto const& name : ownFiles) {
                std::filesystem::remove(data.file(name.c_str()));
                std::filesystem::create_directories(data.file((name + "/x").c_str()));
            }
            return !stuck || shell("chattr +i '" + log + "' 2>/dev/null");
        };
    };
    auto removeFolders = [&] {
        shell("chattr -i '" + log + "' 2>/dev/null");
        for (auto const& entry : std::filesystem::directory_iterator(data.path()))
            if (entry.is_directory() && entry.path().filename() != "Resources")
                std::filesystem::remove_all(entry);
    };
    // Links in the place of the program's own files, each to a file of its own outside the
    // data folder ("msg.txt" and the registry to one that is no script): nothing outside
    // changes. A symbolic link is set aside as a folder is; a file with a second name
    // outside is replaced by a new file. Pipes in the place of the files read by name are
    // set aside, and no frame waits on them.
    TempDir outside;
    std::vector<std::string> linked = {"masterout.txt",     "isRunning.txt",
                                       "stdout_init.txt",   "stdout_startup.txt",
                                       "stdout_run.txt",    "stdout_closing.txt",
                                       "settings.txt.temp", "registry.txt.temp",
                                       "runLog.txt",        "msg.txt",
                                       "registry.txt"};
    std::vector<std::string> piped = {"msg.txt", "registry.txt"};
    std::vector<std::string> linksSetAside = {"masterout:" + data.path()};
    for (auto const& name : linked)
        if (name != "masterout.txt" && name != "runLog.txt") // the log is set aside before it opens
            linksSetAside.push_back("set aside as " + data.file(name.c_str()) + ".damaged");
    enum Kind { SYMBOLIC, HARD, PIPE };
    auto plant = [&](Kind kind) {
        return [&, kind] {
            for (auto const& name : kind == PIPE ? piped : linked) {
                std::filesystem::remove(data.file(name.c_str()));
                writeWholeFile(outside.file(name.c_str()), "keep");
                if (kind == SYMBOLIC)
                    std::filesystem::create_symlink(outside.file(name.c_str()), data.file(name.c_str()));
                if (kind == HARD)
                    std::filesystem::create_hard_link(outside.file(name.c_str()), data.file(name.c_str()));
                if (kind == PIPE) mkfifo(data.file(name.c_str()).c_str(), 0600);
            }
            return true;
        };
    };
    auto unplant = [&] {
        for (auto const& name : linked)
            EXPECT_EQ(readWholeFile(outside.file(name.c_str())), "keep") << name << " written through a link";
        for (auto const& entry : std::filesystem::directory_iterator(data.path()))
            if (entry.is_symlink() || entry.is_fifo() || entry.path().extension() == ".damaged")
                std::filesystem::remove(entry);
    };
    struct Case {
        char const* condition;
        std::function<bool()> refuse; // false: the condition cannot be made on this machine
        std::function<void()> allow;
        int status;
        std::vector<std::string> said; // in the logs or the message
        bool saves = false;            // the start saves at once
        char const* frames = "20";     // 620: the save ten seconds in, with the tank shown
        char const* size = "160x90";   // 400 wide and more: a screen's run, which reads "msg.txt"
    } const cases[] = {
        {"settings.txt immutable",
         [&] {
             // A change of tank at the tenth frame saves once more with the tank shown.
             writeWholeFile(data.file("msg.txt"), ":seq move 1\n");
             return shell("chattr +i '" + settings + "' 2>/dev/null");
         },
         [&] {
             shell("chattr -i '" + settings + "'");
             std::filesystem::remove(data.file("msg.txt"));
         },
         0,
         {"couldn't save \"" + settings + "\": Operation not permitted", "runs on without saving",
          "message shown: The settings cannot be saved in " + settings + ": Operation not permitted"},
         false,
         "620"},
        {"the disk full (no file grows past a few hundred bytes: stderr, caught in a file, holds its lines)",
         [&] {
             sizeLimit = std::make_unique<ScopedFileSizeLimit>(400);
             return true;
         },
         [&] { sizeLimit.reset(); },
         0,
         {"couldn't save \"" + settings + "\": File too large",
          "couldn't save \"" + data.file("registry.txt") + "\": File too large"}},
        {"a read-only data folder without a copy of the resources",
         [&] {
             std::filesystem::remove_all(data.file("Resources"));
             readOnly(true);
             held = std::make_unique<ScopedPermissionsHeld>();
             return true;
         },
         [&] {
             held.reset();
             readOnly(false);
         },
         0,
         {"the data folder \"" + data.path() + "\" cannot be written: Permission denied",
          "runs from the installed resources and keeps nothing"}},
        {"the program's own files folders", folders(false), removeFolders, 0, setAside, true},
        {"the log a folder that cannot be moved", folders(true), removeFolders, 0, {}, true},
        {"the program's own files symbolic links leading out", plant(SYMBOLIC), unplant, 0, linksSetAside,
         true, "20", "400x16"},
        {"the program's own files second names of files outside",
         plant(HARD),
         unplant,
         0,
         {"written as a new file (it has other names): " + data.file("stdout_run.txt"),
          "damaged file " + data.file("msg.txt") + " (syntax error in script) set aside"},
         true,
         "20",
         "400x16"},
        {"the files read by name pipes",
         plant(PIPE),
         unplant,
         0,
         {"set aside as " + data.file("msg.txt") + ".damaged",
          "set aside as " + data.file("registry.txt") + ".damaged"},
         true,
         "20",
         "400x16"},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.condition);
        writeWholeFile(settings, kept);
        resetExitState();
        showInPreview = 0;
        if (!c.refuse()) {
            c.allow();
            std::printf("[ NOTE     ] %s cannot be made here\n", c.condition);
            continue;
        }
        masterOut.close(); // each start opens its own log, as a new process does
        settingsNotSaved = "";
        testing::internal::CaptureStderr();
        int status = runProgram({"--headless", c.size, "--frames", c.frames});
        std::string stderrSaid = testing::internal::GetCapturedStderr();
        c.allow();
        std::string said = logs() + exitMsg.c_str() + settingsNotSaved.c_str();
        // A failed save says which file and why where the user looks, and leaves nothing half
        // written beside it.
        for (std::string const& words : c.said)
            if (words.compare(0, 14, "couldn't save ") == 0)
                EXPECT_NE(stderrSaid.find(words), std::string::npos) << words << " on stderr:\n"
                                                                     << stderrSaid;
        for (auto const& entry : std::filesystem::directory_iterator(data.path()))
            EXPECT_FALSE(entry.is_regular_file() && entry.path().extension() == ".temp") << entry.path();
        EXPECT_EQ(status, c.status) << exitMsg.c_str();
        for (std::string const& words : c.said)
            EXPECT_NE((said + stderrSaid).find(words), std::string::npos) << words << " in\n"
                                                                          << exitMsg.c_str();
        int told = 0;
        for (char const* page : {"message shown: The settings cannot", "message shown: Nothing of this run"})
            for (size_t at = 0; (at = said.find(page, at)) != std::string::npos; at++)
                told++;
        EXPECT_LE(told, 1) << "the message page tells of a failed save once a run";
        EXPECT_EQ(readWholeFile(settings) != kept, c.saves)
            << "saved at once, else the old file stays as it is";
        resetExitState();
        showInPreview = 0;
        masterOut.close();
        ASSERT_EQ(runProgram(run), 0) << exitMsg.c_str();
        EXPECT_NE(settingsText().find("masterVolume 0.25"), std::string::npos) << "the next start saves";
        EXPECT_EQ(logs().find("couldn't save"), std::string::npos);
    }
}

// The data folder of a first start: a new one saves what the run did (there are no settings
// of an earlier version to keep), a full disk leaves the run on the installed resources and
// says where the copy failed and why, and a relative XDG_DATA_HOME is passed over for the
// home's.
TEST_F(HostLoop, TheFirstStartInEachDataFolder) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    std::vector<std::string> run = {"--headless", "160x90", "--frames", "20"};
    std::string home = data.path() + "home/", homeData = home + ".local/share/velmora/";
    std::string const savedDataHome = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    struct Case {
        char const* condition;
        std::function<void()> before, after; // around each start
        rlim_t fileSizeLimit;                // of the first start; 0 none
        std::string folder;                  // the data folder the start uses
        int status;
        std::vector<std::string> said; // in the message or the log
    } const cases[] = {
        {"a new data folder", [] {}, [] {}, 0, data.path(), 0, {}},
        {"a full disk",
         [] {},
         [] {},
         100000,
         data.path(),
         0,
         {"could not be written (copying \"global\" into \"" + data.path() + "Resources/\" failed: ",
          "File too large", "this run reads the installed resources"}},
        {"a relative XDG_DATA_HOME",
         [&] {
             unsetenv("VELMORA_DATA_DIR");
             setenv("XDG_DATA_HOME", "relative-data", 1);
             setenv("HOME", home.c_str(), 1);
         },
         [&] {
             setenv("VELMORA_DATA_DIR", data.path().c_str(), 1);
             setenv("XDG_DATA_HOME", savedDataHome.c_str(), 1);
         },
         0,
         homeData,
         0,
         {}},
    };
    std::string const savedHome = std::getenv("HOME") ? std::getenv("HOME") : "";
    std::string relative = (savedCwd / "relative-data").string();
    // A start as a new process makes it: in the working folder it was started from.
    auto start = [&](Case const& c, rlim_t limit) {
        resetExitState();
        showInPreview = 0;
        appDataDir = "";
        std::filesystem::current_path(savedCwd);
        c.before();
        auto limited = limit ? std::make_unique<ScopedFileSizeLimit>(limit) : nullptr;
        int status = runProgram(run);
        limited.reset();
        c.after();
        setenv("HOME", savedHome.c_str(), 1);
        return status;
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.condition);
        std::filesystem::remove_all(data.file("Resources"));
        std::filesystem::remove(data.file("settings.txt"));
        std::filesystem::remove_all(home);
        std::filesystem::remove_all(relative);
        int status = start(c, c.fileSizeLimit);
        EXPECT_EQ(status, c.status) << exitMsg.c_str();
        std::string said = exitMsg.c_str() + readWholeFile(c.folder + "masterout.txt");
        for (std::string const& words : c.said)
            EXPECT_NE(said.find(words), std::string::npos) << words << " in\n" << said;
        EXPECT_EQ(pathExists(c.folder + "Resources"), c.fileSizeLimit == 0) << "no half-made copy is left";
        EXPECT_FALSE(pathExists(relative)) << "nothing in a relative folder";
        if (status == 0)
            EXPECT_NE(readWholeFile(c.folder + "settings.txt").find("latentTanks"), std::string::npos)
                << "the first run saves its tanks";
        // Whatever kept the first start from its folder, the next start sets up and saves.
        EXPECT_EQ(start(c, 0), 0) << exitMsg.c_str();
        EXPECT_TRUE(pathExists(c.folder + "settings.txt"));
        EXPECT_TRUE(pathExists(c.folder + "Resources/resources.stamp"));
    }
    std::filesystem::remove_all(relative);
}

// A tmpfs of the given size on folder while it lives, where this process may mount one.
class ScopedTmpfs {
  public:
    ScopedTmpfs(std::string const& folder, char const* size) : folder(folder) {
        mounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, size) == 0;
        if (!mounted) why = std::strerror(errno);
    }
    ~ScopedTmpfs() {
        if (mounted) umount2(folder.c_str(), MNT_DETACH);
    }
    bool mounted = false;
    std::string why;

  private:
    std::string folder;
};

// This process holds the capability to mount file systems.
bool mayMount() {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[2] = {};
    return syscall(SYS_capget, &header, caps) == 0 && (caps[0].effective & (1u << CAP_SYS_ADMIN)) != 0;
}

// A resource copy that cannot be written (a full file system, a limit on the size of files)
// stops no start: the run draws from the installed resources, leaves nothing of the copy,
// says so once, and reads and saves the user's files as any run does, the kept edits of the
// copy untouched. The next start with room for it makes the copy. Each start is a process of
// its own, as a user's is.
TEST_F(HostLoop, AResourceCopyThatCannotBeWrittenLeavesTheRunOnTheInstalledResources) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    TempDir small, out;
    struct Case {
        char const* condition;
        bool tmpfs;        // the data folder on a small file system of its own, filled
        char const* limit; // what the first start runs under
    } const cases[] = {
        {"a full file system", true, ""},
        {"a limit on the size of files", false, "prlimit --fsize=200000 "},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.condition);
        std::string folder = c.tmpfs ? small.path() + "data/" : data.path();
        std::unique_ptr<ScopedTmpfs> mounted;
        if (c.tmpfs && !(mounted = std::make_unique<ScopedTmpfs>(small.path(), "size=16m"))->mounted) {
            char const* ci = std::getenv("CI");
            if (ci && *ci && mayMount()) ADD_FAILURE() << "no tmpfs could be mounted: " << mounted->why;
            std::printf("[ NOTE     ] %s cannot be made here: no tmpfs can be mounted (%s)\n", c.condition,
                        mounted->why.c_str());
            continue;
        }
        std::filesystem::create_directories(folder + "Resources.edited");
        writeWholeFile(folder + "Resources.edited/mine.txt", "an edit kept");
        writeWholeFile(folder + "settings.txt", ":set masterVolume 0.37\n:set autoFeedSeconds 123\n");
        writeWholeFile(folder + "registry.txt", ":set maxFishPerTank 23\n:set fsSz 1.3\n");
        struct statvfs room = {};
        if (c.tmpfs && statvfs(small.path().c_str(), &room) == 0) { // 4 MB left, less than the copy takes
            std::ofstream filler(small.file("filler"), std::ios::binary);
            std::string block(1 << 20, 'x');
            for (auto left = long(room.f_bavail * room.f_frsize) - (4l << 20); left > 0 && filler;
                 left -= 1 << 20)
                filler.write(block.data(), std::min<long>(left, 1 << 20));
        }
        setenv("VELMORA_DATA_DIR", folder.c_str(), 1);
        auto start = [&](std::string const& limit) {
            return shell(limit + VELMORA_PROGRAM " --headless 160x90 --frames 20 --screenshot '" +
                         out.file("shot.png") + "' 2>'" + out.file("said.txt") + "'");
        };
        EXPECT_TRUE(start(c.limit)) << readWholeFile(out.file("said.txt"));
        EXPECT_EQ(pictureShown(readPng(out.file("shot.png"))), "the tank");
        EXPECT_FALSE(pathExists(folder + "Resources")) << "nothing of the copy is left";
        EXPECT_EQ(readWholeFile(folder + "Resources.edited/mine.txt"), "an edit kept");
        std::string said = readWholeFile(out.file("said.txt"));
        EXPECT_EQ(countOf(said, "could not be written"), 1u) << said;
        EXPECT_EQ(countOf(readWholeFile(folder + "masterout.txt"), "could not be written"), 1u);
        for (char const* kept : {"masterVolume 0.37", "autoFeedSeconds 123", "latentTanks"})
            EXPECT_NE(readWholeFile(folder + "settings.txt").find(kept), std::string::npos) << kept;
        for (char const* kept : {"maxFishPerTank 23", "fsSz 1.3", ":set runs 1"})
            EXPECT_NE(readWholeFile(folder + "registry.txt").find(kept), std::string::npos) << kept;
        for (auto const& entry : std::filesystem::directory_iterator(folder))
            EXPECT_EQ(entry.path().string().find(".damaged"), std::string::npos) << entry.path();

        std::filesystem::remove(small.file("filler"));
        EXPECT_TRUE(start("")) << readWholeFile(out.file("said.txt"));
        EXPECT_TRUE(pathExists(folder + "Resources/resources.stamp")) << "the next start makes the copy";
        EXPECT_EQ(readWholeFile(out.file("said.txt")).find("could not be written"), std::string::npos);
        EXPECT_NE(readWholeFile(folder + "settings.txt").find("masterVolume 0.37"), std::string::npos);
    }
}

// A user with no home anywhere (no $HOME, no entry in the password database) is told which
// variables to set; nothing is kept in a fixed folder any other user could prepare.
TEST_F(HostLoop, NoHomeAnywhereRefusesTheStartNamingTheVariables) {
    uid_t nobodyKnown = 54321;
    while (getpwuid(nobodyKnown))
        nobodyKnown++;
    if (geteuid() != 0) GTEST_SKIP() << "only root can become a user the password database does not know";
    useStagedResources();
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(pipeFds[0]);
        unsetenv("VELMORA_DATA_DIR");
        unsetenv("XDG_DATA_HOME");
        unsetenv("HOME");
        if (setuid(nobodyKnown) != 0) _exit(3);
        // The program's start up to its first frame, without the GL driver (whose threads
        // did not come along into this process).
        CvelmoraView view(CviewRect{0, 0, 640, 360}, nullptr, false);
        ssize_t written = write(pipeFds[1], exitMsg.c_str(), size_t(exitMsg.size()));
        _exit(written < 0 ? 4 : erroredExit ? 1 : 0);
    }
    close(pipeFds[1]);
    std::string message;
    char buffer[512];
    for (ssize_t n; (n = read(pipeFds[0], buffer, sizeof buffer)) > 0;)
        message.append(buffer, size_t(n));
    close(pipeFds[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 1) << message;
    for (char const* name : {"init globals failed", "VELMORA_DATA_DIR", "XDG_DATA_HOME", "HOME"})
        EXPECT_NE(message.find(name), std::string::npos) << name << " in " << message;
}

// The README's user install, into a prefix whose "share" is the data home: its resources and
// the data folder lie apart, and it draws. A data folder that is (a link to), lies inside or
// holds them is only read, and the start says so; without them (the build tree still there)
// the start names the folder it looked in.
TEST_F(HostLoop, TheUserInstallKeepsItsResourcesApartFromTheDataFolder) {
    REQUIRE_OFFSCREEN();
    TempDir root; // DESTDIR, which takes the screen saver's description too
    std::string share = root.path() + "prefix/share/", installed = share + "velmora-resources/";
    ASSERT_TRUE(shell("DESTDIR=" + root.path() +
                      " " VELMORA_CMAKE " --install " VELMORA_BUILD_DIR " --prefix /prefix >/dev/null"));
    std::filesystem::create_directory_symlink(installed, share + "linked");
    std::pair<std::string, std::string> const starts[] = {
        {"-", ""}, // VELMORA_DATA_DIR in share ("-": none), what stderr says
        {"linked", "is the install folder \"" + installed},
        {"velmora-resources/d", "lies inside the install folder"},
        {"", "holds the install folder"},
        {"gone", "(looked for \"" + installed + "defaults.txt\"): install the program again"}};
    for (auto const& [folder, said] : starts) {
        if (folder == "gone") std::filesystem::rename(installed, share + "gone");
        std::string own = folder == "-" ? "" : "VELMORA_DATA_DIR=" + share + folder;
        int status = std::system(("env -u VELMORA_DATA_DIR -u VELMORA_INSTALL_DIR XDG_DATA_HOME=" + share +
                                  " " + own + " " + root.path() +
                                  "prefix/bin/velmora --headless 160x90 --frames 20 --screenshot " +
                                  root.path() + "shot.png 2>" + root.path() + "said.txt")
                                     .c_str());
        EXPECT_EQ(WEXITSTATUS(status), folder == "gone" ? 1 : 0) << folder;
        EXPECT_NE(readWholeFile(root.path() + "said.txt").find(said), std::string::npos) << folder;
        EXPECT_EQ(pictureShown(readPng(root.path() + "shot.png")),
                  status ? "the red error screen" : "the tank");
    }
    EXPECT_TRUE(pathExists(share + "velmora/settings.txt"));
    for (char const* mixed : {"velmora/defaults.txt", "gone/settings.txt", "gone/d", "gone/Resources"})
        EXPECT_FALSE(pathExists(share + mixed)) << mixed;
}

// A backup restored from the options sheet over a running aquarium outlives the aquarium's
// end, which saves its own state: the engine starts again from the restored file, and what
// it saves at its stop is the restored aquarium.
TEST_F(HostLoop, ARestoredBackupOutlivesTheRunningAquarium) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    std::vector<std::string> first = {"--headless", "160x90", "--frames", "20"};
    ASSERT_EQ(runProgram(first), 0);
    std::string saved = settingsText();
    size_t at = saved.find("masterVolume ");
    ASSERT_NE(at, std::string::npos) << saved;
    std::string backup = saved.substr(0, at) + "masterVolume 0.125" + saved.substr(saved.find('\n', at));
    writeWholeFile(data.file("settings_bak.txt"), backup);
    CsheetTestServices services;
    for (int framesAfter : {0, 20}) {
        SCOPED_TRACE(framesAfter);
        resetExitState();
        ChostRun run;
        ASSERT_EQ(openRun(run, {"--headless", "160x90", "--frames", "100000"}), 0);
        for (int i = 0; i < 15; i++)
            ASSERT_TRUE(run.step()) << exitMsg.c_str();
        shopKeeper->masterVolume = 0.75f; // the aquarium as it is now, which the backup replaces
        ASSERT_NE(run.views[0]->configureSheet(), nullptr);
        services.answers = {1}; // "Restore from backup"
        services.actions->buttonClicked(kSettingBackups);
        services.actions->closeClicked();
        for (int i = 0; i < framesAfter; i++)
            ASSERT_TRUE(run.step());
        // Frames after the restore run the restored aquarium.
        if (framesAfter > 0) EXPECT_FLOAT_EQ(shopKeeper->masterVolume, 0.125f);
        // Stopped as a signal stops it: before another frame.
        installStopSignals();
        kill(getpid(), SIGTERM);
        EXPECT_FALSE(run.step());
        EXPECT_EQ(run.close(), 0) << exitMsg.c_str();
        signal(SIGTERM, SIG_DFL);
        signal(SIGINT, SIG_DFL);
        stopSignalled = 0;
        EXPECT_NE(settingsText().find("masterVolume 0.125"), std::string::npos) << "the restored settings";
        writeWholeFile(data.file("settings.txt"), saved);
    }
}

// Ends the run from another thread after a while, the way the outside world does.
void stopLater(std::thread& t, std::function<void()> how) {
    t = std::thread([how] {
        usleep(300 * 1000);
        how();
    });
}

// SIGTERM, Ctrl-C and a closed terminal (SIGHUP) stop the run as a stop does: it saves.
TEST_F(HostLoop, StopSignalsStopTheRunAndSaveTheSettings) {
    REQUIRE_OFFSCREEN();
    makeFolders(true);
    installStopSignals();
    for (int stop : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(stop);
        std::filesystem::remove(data.file("settings.txt"));
        stopSignalled = 0;
        resetExitState();
        std::thread t;
        stopLater(t, [stop] { kill(getpid(), stop); });
        int status =
            runProgram({"--headless", "32x16", "--frames", "1000000"}); // only the signal ends it in time
        t.join();
        EXPECT_EQ(status, 0);
        EXPECT_EQ(stopSignalled, 1);
        EXPECT_NE(settingsText().find("crabMood"), std::string::npos);
    }
    for (int stop : {SIGTERM, SIGINT, SIGHUP})
        signal(stop, SIG_DFL);
    stopSignalled = 0;
}

// The identity a run marker gives a process ("pid start boot"), as the program writes it.
std::string identityOf(long pid, std::string const& boot = "") {
    std::string stat = readWholeFile("/proc/" + std::to_string(pid) + "/stat");
    std::istringstream fields(stat.substr(stat.rfind(')') + 2));
    std::string field; // the fields from the third on: the start time is the 22nd
    for (int n = 3; n <= 22; n++)
        fields >> field;
    std::string bootNow = readWholeFile("/proc/sys/kernel/random/boot_id");
    bootNow = bootNow.substr(0, bootNow.find('\n'));
    return std::to_string(pid) + " " + field + " " + (boot.empty() ? bootNow : boot);
}

// However a run ends from outside, the user's own files stay in place and the next start uses
// them: kills at fixed points of a start, once and three times in a row (each start after a
// kill makes the copy again, and a kill there costs nothing more); a closed terminal, the X
// server gone and the window killed once the viewer has changed something (in the aquarium,
// or on the options sheet left open): the change is saved as a stop saves it (the sheet's as
// its close does), and the run ends.
TEST_F(HostLoop, EndsFromOutsideNeverCostTheUsersFiles) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    std::vector<std::string> run = {"--headless", "400x225", "--frames", "20"};
    for (int start = 0; start < 2; start++) // the copy, then the settings
        ASSERT_EQ(runProgram(run), 0) << exitMsg.c_str();
    auto replaced = [](std::string text, std::string const& key, std::string const& value) {
        size_t at = text.find(":set " + key + " ");
        EXPECT_NE(at, std::string::npos) << key;
        if (at == std::string::npos) return text;
        return text.substr(0, at) + ":set " + key + " " + value + text.substr(text.find('\n', at));
    };
    // The user's own: an option of the registry and a setting, neither a default.
    writeWholeFile(data.file("registry.txt"),
                   replaced(readWholeFile(data.file("registry.txt")), "maxFishPerTank", "64"));
    writeWholeFile(data.file("settings.txt"), replaced(settingsText(), "masterVolume", "0.83"));
    auto usersFilesInPlace = [&](char const* volume, char const* fish = "64") {
        EXPECT_NE(
            readWholeFile(data.file("registry.txt")).find(std::string(":set maxFishPerTank ") + fish + "\n"),
            std::string::npos);
        EXPECT_NE(settingsText().find(std::string(":set masterVolume ") + volume + "\n"), std::string::npos);
        for (auto const& entry : std::filesystem::directory_iterator(data.path()))
            EXPECT_EQ(entry.path().string().find(".damaged"), std::string::npos) << entry.path();
    };
    std::filesystem::current_path(savedCwd); // not a copy a start worked in, which is made again
    std::string pidFile = data.file("run.pid"), rcFile = data.file("run.rc"), said = data.file("run.err");
    auto launch = [&](std::string const& prefix, std::string const& args) {
        std::filesystem::remove(rcFile);
        EXPECT_TRUE(shell("(" + prefix + " " VELMORA_PROGRAM " " + args + " 2>'" + said + "' & echo $! >'" +
                          pidFile + "'; wait $!; echo $? >'" + rcFile + ".part' && mv '" + rcFile +
                          ".part' '" + rcFile + "') &"));
        for (int waited = 0; waited < 1000 && readWholeFile(pidFile).empty(); waited++)
            usleep(1000);
        return std::atol(readWholeFile(pidFile).c_str());
    };
    auto ended = [&] {
        for (int waited = 0; !pathExists(rcFile) && waited < 1200; waited++)
            usleep(100 * 1000);
        std::string rc = readWholeFile(rcFile);
        std::filesystem::remove(pidFile);
        return rc;
    };
    // SIGKILL the moment the run's own marker names the phase; tried again when the run was
    // seen past it first (a start that makes no copy passes its first phase in a moment).
    std::vector<std::string> const phases = {"initGlobals",  "openShop",      "loadup",
                                             "loadSettings", "afterSettings", "run"};
    auto phaseOf = [&](std::string const& marker) {
        for (size_t i = 0; i < phases.size(); i++)
            if (marker.compare(0, 7 + phases[i].size(), ":s pn " + phases[i] + "\n") == 0) return int(i);
        return -1;
    };
    // The signal sent the moment the run's own marker names the phase; tried again when the
    // run was seen past it first (a start that makes no copy passes its first phase in a
    // moment), or when its marker does not say what the row waits for.
    auto killAt = [&](std::string const& phase, int signal, std::string const& marked) {
        int wanted = phaseOf(":s pn " + phase + "\n");
        for (int attempt = 0; attempt < 8; attempt++) {
            long pid = launch("", "--headless 400x225 --frames 1000000");
            std::string mine = ":s pid " + std::to_string(pid) + " ";
            for (int waited = 0; waited < 200000 && !pathExists(rcFile); waited++) {
                std::string marker = readWholeFile(data.file("isRunning.txt"));
                if (marker.find(mine) != std::string::npos && phaseOf(marker) >= wanted) break;
                usleep(100);
            }
            kill(pid, signal);
            ended();
            std::string marker = readWholeFile(data.file("isRunning.txt"));
            if (phaseOf(marker) == wanted && marker.find(marked) != std::string::npos) return true;
        }
        return false;
    };
    // After a kill in the start the next start makes the copy again, a while in its first phase.
    // A fault signal another process sends while the settings are read is no fault of the file
    // either (the marker names the file when the signal finds it being read: the marker table
    // above has that row; the moment cannot be chosen from outside).
    struct {
        std::vector<std::string> phases;
        int signal;
        char const* marked;
    } const kills[] = {
        {{"loadSettings"}, SIGKILL, ""},
        {{"loadSettings", "initGlobals", "afterSettings"}, SIGKILL, ""},
        {{"run"}, SIGKILL, ""},
        {{"loadSettings", "loadSettings"}, SIGSEGV, ":s fault 11 sent"},
    };
    std::string const planted = data.file("Resources/global/planted.txt");
    for (auto const& row : kills) {
        writeWholeFile(planted, "only the copy holds it");
        for (std::string const& phase : row.phases) {
            SCOPED_TRACE("signal " + std::to_string(row.signal) + " at " + phase);
            ASSERT_TRUE(killAt(phase, row.signal, row.marked));
            usersFilesInPlace("0.83");
        }
        masterOut.close();
        resetExitState();
        ASSERT_EQ(runProgram(run), 0) << exitMsg.c_str();
        usersFilesInPlace("0.83"); // read, used and saved again as they were
        EXPECT_EQ(pathExists(planted), row.phases.back() == "run") << "the copy made again";
        std::filesystem::current_path(savedCwd);
    }
    // What the viewer did, made by the script the tenth frame runs; a file says it has run.
    auto viewerChanges = [&](char const* volume) {
        std::filesystem::remove(data.file("seen.txt"));
        writeWholeFile(data.file("msg.txt"),
                       std::string(":set masterVolume ") + volume + "\n:mfile \"[APD]seen.txt\" \"1\"\n");
    };
    auto changeSeen = [&] {
        for (int waited = 0; !pathExists(data.file("seen.txt")) && waited < 6000; waited++)
            usleep(10 * 1000);
        return pathExists(data.file("seen.txt"));
    };
    viewerChanges("0.29");
    long pid = launch("", "--headless 400x225 --frames 1000000");
    ASSERT_TRUE(changeSeen());
    kill(pid, SIGHUP);
    EXPECT_EQ(ended(), "0\n");
    usersFilesInPlace("0.29");
    // A window on an X server of the test's own, which goes or whose connection is killed;
    // then the same with the options sheet open, changed by the keyboard: the most fish and
    // "Use All Screens", kept as the sheet's close keeps them, in the registry and the saver
    // defaults.
    std::string serverPid = data.file("x.pid"), displayFile = data.file("x.display");
    std::string const defaults = config.file("velmora/saver-defaults.conf");
    struct {
        char const* how;
        std::string end;
        char const* volume;
        bool sheet;
    } const windows[] = {
        {"the X server ended", "kill $(cat '" + serverPid + "')", "0.37", false},
        {"the window killed", "xdotool search --name '^Velmora$' windowkill", "0.41", false},
        {"the X server ended, the sheet open", "kill $(cat '" + serverPid + "')", "0.43", true},
        {"the window killed, the sheet open", "xdotool search --name '^Velmora$' windowkill", "0.47", true}};
    for (auto const& window : windows) {
        SCOPED_TRACE(window.how);
        std::filesystem::remove(displayFile);
        if (!shell("command -v Xvfb >/dev/null && (Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp "
                   "3>'" +
                   displayFile + "' >/dev/null 2>&1 & echo $! >'" + serverPid + "')")) {
            ADD_FAILURE() << "no Xvfb to run a window on";
            return;
        }
        for (int waited = 0; waited < 3000 && readWholeFile(displayFile).find('\n') == std::string::npos;
             waited++)
            usleep(10 * 1000);
        std::string display =
            ":" + readWholeFile(displayFile).substr(0, readWholeFile(displayFile).find('\n'));
        viewerChanges(window.volume);
        writeWholeFile(data.file("registry.txt"),
                       replaced(readWholeFile(data.file("registry.txt")), "maxFishPerTank", "64"));
        std::filesystem::remove(defaults);
        launch("DISPLAY=" + display, window.sheet ? "--settings" : "--window");
        ASSERT_TRUE(changeSeen());
        if (window.sheet) {
            // On the Settings tab the field comes first, then the size slider and the two
            // boxes; leaving the field makes the change, the space bar ticks the box. The log
            // says when the box's change has reached the aquarium.
            EXPECT_TRUE(
                shell("export DISPLAY=" + display +
                      "; for i in $(seq 300); do s=$(xdotool search --name 'Velmora Settings' | head -n 1); "
                      "[ -n \"$s\" ] && break; sleep 0.1; done; [ -n \"$s\" ] && "
                      "xdotool windowfocus --sync $s && xdotool key --delay 100 ctrl+Page_Down Tab "
                      "ctrl+a 4 0 Tab Tab Tab space"));
            for (int waited = 0; waited < 1000; waited++) {
                if (readWholeFile(data.file("masterout.txt")).find("controlChanged") != std::string::npos)
                    break;
                usleep(10 * 1000);
            }
        }
        EXPECT_TRUE(shell("DISPLAY=" + display + " " + window.end + " >/dev/null 2>&1"));
        EXPECT_EQ(ended(), "0\n") << readWholeFile(said);
        EXPECT_NE(readWholeFile(said).find("the connection to the X display was lost"), std::string::npos);
        usersFilesInPlace(window.volume, window.sheet ? "40" : "64");
        EXPECT_EQ(readWholeFile(defaults).find("Use All Screens=true") != std::string::npos, window.sheet);
        EXPECT_FALSE(pathExists(data.file("isRunning.txt"))) << "saved as a stop saves";
        shell("kill $(cat '" + serverPid + "') 2>/dev/null");
    }
    std::filesystem::remove(data.file("msg.txt"));
}

// An X window made here, as a screen-saver host makes one, shown and waited for. A side of
// 0 or less is the screen's, less that many pixels.
struct TestWindow {
    Display* display = XOpenDisplay(nullptr);
    Window window = 0;
    int width = 0, height = 0;
    TestWindow(int w, int h) {
        if (!display) return;
        int screen = DefaultScreen(display);
        width = w > 0 ? w : DisplayWidth(display, screen) + w;
        height = h > 0 ? h : DisplayHeight(display, screen) + h;
        window = XCreateSimpleWindow(display, RootWindow(display, screen), 0, 0, unsigned(width),
                                     unsigned(height), 0, 0, 0);
        XSelectInput(display, window, StructureNotifyMask);
        XMapWindow(display, window);
        for (XEvent e{}; e.type != MapNotify;)
            XNextEvent(display, &e);
    }
    ~TestWindow() {
        if (display && window) XDestroyWindow(display, window);
        if (display) XCloseDisplay(display);
    }
};

// The window a screen-saver host names, on the command line or, for -root, in
// XSCREENSAVER_WINDOW: there the host's window covers the screen and the real root lies
// beneath it (a strip of it is left bare here, to see that nothing is drawn there).
TEST_F(HostLoop, DrawsInAGivenWindowUnderX) {
    REQUIRE_X();
    struct Case {
        int width, height;
        std::vector<std::string> args; // "W": the window's id
        bool inEnvironment;            // the window is also XSCREENSAVER_WINDOW's
    } cases[] = {
        {120, 80, {"-window-id", "W"}, false},
        // The settings tool's preview: the description's command, its options, its pane.
        {120, 80, {"-root", "--fish-size", "120", "--window-id", "W"}, true},
        {0, -16, {"--root"}, true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.args[0]);
        ScopedDisplayLock display; // no other test's window over this one
        TestWindow target(c.width, c.height);
        ASSERT_TRUE(target.display);
        makeFolders(false); // the red screen: a colour that is not black, known exactly
        std::string id = std::to_string(target.window);
        std::vector<std::string> args = c.args;
        for (std::string& arg : args)
            if (arg == "W") arg = id;
        args.insert(args.end(), {"--frames", "30"});
        EXPECT_EQ(runProgram(args, c.inEnvironment ? id.c_str() : nullptr), 1);
        // The last frame stays in the window after the run.
        int w = target.width, h = target.height;
        XImage* image =
            XGetImage(target.display, target.window, 0, 0, unsigned(w), unsigned(h), AllPlanes, ZPixmap);
        ASSERT_NE(image, nullptr);
        auto isRed = [](XImage* in, unsigned long pixel) {
            double red = double((pixel & in->red_mask) >> __builtin_ctzl(in->red_mask));
            return std::fabs(red - 127.5) < 0.6 && (pixel & in->green_mask) == 0;
        };
        auto count = [](XImage* in, auto is) {
            int n = 0;
            for (int y = 0; y < in->height; y++)
                for (int x = 0; x < in->width; x++)
                    n += is(in, XGetPixel(in, x, y));
            return n;
        };
        EXPECT_TRUE(isRed(image, XGetPixel(image, 2, h - 2))) << std::hex << XGetPixel(image, 2, h - 2);
        auto isText = [](XImage* in, unsigned long pixel) { return (pixel & in->green_mask) != 0; };
        EXPECT_GT(count(image, isText), 0) << "the heading and the message are drawn";
        XDestroyImage(image);
        if (c.width > 0) continue;
        int screen = DefaultScreen(target.display);
        XImage* bare = XGetImage(target.display, RootWindow(target.display, screen), 0, h, unsigned(w),
                                 unsigned(-c.height), AllPlanes, ZPixmap);
        ASSERT_NE(bare, nullptr);
        EXPECT_EQ(count(bare, isRed), 0) << "the root beneath the host's window stays as it was";
        XDestroyImage(bare);
    }
}

// Runs of the program on one data folder, as a screen saver starts one per screen (and a
// preview beside a running saver): both draw, and none harms the other: the copy is not
// made again under the other, nothing is set aside, the settings keep their tanks. Started
// together, and the second the moment the first's marker names its start-up.
TEST_F(HostLoop, RunsSharingTheDataFolderAllDrawAndNoneHarmsAnother) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    std::vector<std::string> run = {"--headless", "400x225", "--frames", "30"};
    for (int start = 0; start < 3; start++) // the copy, the settings, then both tanks in them
        ASSERT_EQ(runProgram(run), 0) << "start " << start << ": " << exitMsg.c_str();
    auto tanks = [](std::string const& text) {
        size_t n = 0;
        for (size_t at = 0; (at = text.find(":addTank ", at)) != std::string::npos; at++)
            n++;
        return n;
    };
    size_t tanksBefore = tanks(settingsText());
    ASSERT_GE(tanksBefore, 2u) << settingsText();
    // A file only this copy has: a copy made again would lack it.
    std::string const planted = data.file("Resources/global/planted.txt");
    writeWholeFile(planted, "only the copy holds it");
    std::filesystem::current_path(savedCwd); // not a copy a start worked in, which may be gone
    // A folder that cannot be locked: one that may be written and searched but not read
    // (root too is held to that, the programs' override of permissions dropped).
    std::string asUser = geteuid() == 0 ? "setpriv --bounding-set=-dac_override,-dac_read_search -- " : "";
    bool unlockable = false;
    auto launch = [&](char const* name) {
        std::string shot = data.file((std::string(name) + ".png").c_str());
        std::string rc = data.file((std::string(name) + ".rc").c_str());
        std::filesystem::remove(rc);
        return shell("(" + (unlockable ? asUser : std::string()) + VELMORA_PROGRAM +
                     " --headless 400x225 --frames 90 --screenshot '" + shot + "' 2>/dev/null; echo $? > '" +
                     rc + ".part' && mv '" + rc + ".part' '" + rc + "') &");
    };
    for (int way = 0; way < 3; way++) {
        bool atItsStartUp = way > 0;
        unlockable = way == 2;
        SCOPED_TRACE(way == 0 ? "together" : way == 1 ? "the second at the first's start-up" : "unlockable");
        if (unlockable && chmod(data.path().c_str(), 0333) != 0) continue;
        ASSERT_TRUE(launch("first"));
        for (int waited = 0; atItsStartUp && waited < 60000; waited += 1) {
            if (startUpPhase(readLeftRun("[APD]isRunning.txt").phase)) break;
            usleep(1000);
        }
        if (unlockable) usleep(500 * 1000); // half a second into the first's start
        ASSERT_TRUE(launch("second"));
        for (char const* name : {"first", "second"}) {
            std::string rc = data.file((std::string(name) + ".rc").c_str());
            for (int waited = 0; !pathExists(rc) && waited < 600; waited++)
                usleep(200 * 1000);
            EXPECT_EQ(readWholeFile(rc), "0\n") << name;
            PictureSink png = readPng(data.file((std::string(name) + ".png").c_str()));
            EXPECT_EQ(pictureShown(png), "the tank") << name;
        }
        if (unlockable) chmod(data.path().c_str(), 0755);
        std::string logs = this->logs();
        EXPECT_EQ(logs.find("the resource copy is made again"), std::string::npos);
        EXPECT_NE(logs.find("another run started beside this one"), std::string::npos);
        if (unlockable)
            EXPECT_NE(logs.find("cannot be locked (Permission denied)"), std::string::npos) << logs;
        for (auto const& entry : std::filesystem::directory_iterator(data.path()))
            EXPECT_EQ(entry.path().string().find(".damaged"), std::string::npos) << entry.path();
        EXPECT_TRUE(pathExists(planted)) << "the copy was made again";
        EXPECT_EQ(tanks(settingsText()), tanksBefore) << settingsText();
    }
}

// A folder that cannot be locked is told apart by the run marker alone, and a marker is data:
// one naming a live process that holds no such folder (process 1) holds it not, nor does one
// of another machine, which is no crash either. The start keeps the folder and saves;
// nothing is made again or set aside.
TEST_F(HostLoop, AMarkerHoldsAFolderWithoutLocksOnlyWhileItNamesALiveRunOfIt) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    std::vector<std::string> run = {"--headless", "400x225", "--frames", "20"};
    for (int start = 0; start < 2; start++) // the copy, then the settings
        ASSERT_EQ(runProgram(run), 0) << exitMsg.c_str();
    // A file only this copy has: a copy made again would lack it.
    std::string const planted = data.file("Resources/planted.txt");
    writeWholeFile(planted, "only this copy has it\n");
    std::filesystem::current_path(savedCwd);
    // Written and searched but not read (root too is held to that): no lock can be had.
    std::string asUser = geteuid() == 0 ? "setpriv --bounding-set=-dac_override,-dac_read_search -- " : "";
    struct {
        char const* who;
        std::string marker;
    } const rows[] = {
        {"process 1", ":s pn run\n:s pid " + identityOf(1) + "\n"},
        {"another machine",
         ":s pn openShop\n:s pid " + identityOf(getpid(), "0b1a5d2e-5eed-4000-8000-000000000042") + "\n"},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.who);
        writeWholeFile(data.file("isRunning.txt"), row.marker);
        auto runs = [&] {
            std::string registry = readWholeFile(data.file("registry.txt"));
            size_t at = registry.find(":set runs ");
            return at == std::string::npos ? -1 : std::atoi(registry.c_str() + at + 10);
        };
        int before = runs();
        if (chmod(data.path().c_str(), 0333) != 0) continue;
        bool ran = shell(asUser + VELMORA_PROGRAM " --headless 400x225 --frames 20 2>'" +
                         data.file("run.err") + "'");
        chmod(data.path().c_str(), 0755);
        std::string said = readWholeFile(data.file("run.err"));
        EXPECT_TRUE(ran) << said;
        EXPECT_NE(said.find("cannot be locked"), std::string::npos) << said;
        EXPECT_EQ(said.find("writes nothing there"), std::string::npos) << said;
        EXPECT_EQ(runs(), before + 1) << "the start keeps the folder: it saves";
        EXPECT_FALSE(pathExists(data.file("isRunning.txt")));
        EXPECT_TRUE(pathExists(planted)) << "the copy was made again";
        for (auto const& entry : std::filesystem::directory_iterator(data.path()))
            EXPECT_EQ(entry.path().string().find(".damaged"), std::string::npos) << entry.path();
    }
}

// A run in another PID namespace of this machine (a container, "unshare --pid") numbers itself
// there: the marker of a run inside names process 1, which outside is the machine's init, and
// a run inside sees no process outside. On a folder without locks, a run started beside such a
// run, outside or inside, takes it for the live run it is: it keeps nothing and mends nothing,
// and leaves the other's marker as it is. Nor does a run remove or write over a marker another
// run wrote over its own while it ran.
TEST_F(HostLoop, AFolderWithoutLocksHeldByARunOfAnotherPidNamespaceIsKeptByIt) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    for (int start = 0; start < 2; start++) // the copy, then the settings
        ASSERT_EQ(runProgram({"--headless", "400x225", "--frames", "20"}), 0) << exitMsg.c_str();
    std::filesystem::current_path(savedCwd);
    // Written and searched but not read (root too is held to that): no lock can be had.
    std::string const asUser =
        geteuid() == 0 ? "setpriv --bounding-set=-dac_override,-dac_read_search -- " : "";
    std::string const inside = "unshare --pid --fork --mount-proc ";
    bool const namespaces = shell(inside + "true 2>/dev/null");
    enum Beside { OUTSIDE, INSIDE, WRITTEN_OVER };
    struct {
        char const* way;
        bool holderInside;
        Beside beside;
    } const rows[] = {
        {"a run inside holds the folder, one outside starts", true, OUTSIDE},
        {"a run outside holds the folder, one inside starts", false, INSIDE},
        {"another run writes its marker over the holder's", false, WRITTEN_OVER},
    };
    std::string const marker = data.file("isRunning.txt");
    auto named = [](std::string const& text) { // the process a marker names
        size_t at = text.find(":s pid ");
        return at == std::string::npos ? std::string() : text.substr(at, text.find('\n', at) - at);
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.way);
        if ((row.holderInside || row.beside == INSIDE) && !namespaces) {
            NAMESPACES_REFUSED() << "\"" << inside << "\" is refused here (it needs root): not tried";
            continue;
        }
        std::string const pid = data.file("holder.pid"), rc = data.file("holder.rc");
        std::filesystem::remove(rc);
        ASSERT_EQ(chmod(data.path().c_str(), 0333), 0);
        // The holder draws until it is stopped.
        ASSERT_TRUE(shell("(" + (row.holderInside ? inside : "") + asUser + VELMORA_PROGRAM +
                          " --headless 400x225 --frames 100000000 >/dev/null 2>&1 & echo $! >'" + pid +
                          "'; wait $!; echo $? >'" + rc + ".part' && mv '" + rc + ".part' '" + rc + "') &"));
        std::string held;
        for (int waited = 0; waited < 6000 && held.compare(0, 10, ":s pn run\n") != 0; waited++) {
            usleep(10 * 1000);
            held = readWholeFile(marker);
        }
        bool running = held.compare(0, 10, ":s pn run\n") == 0;
        EXPECT_TRUE(running) << held;
        if (row.holderInside) EXPECT_EQ(named(held).substr(0, 9), ":s pid 1 ") << held;
        int holding = -1;
        if (running && row.beside == WRITTEN_OVER) {
            // A run that took the folder since, as this process holds it open.
            holding = open(data.path().c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
            held = ":s pn run\n:s pid " + identityOf(getpid()) + "\n";
            writeWholeFile(marker, held);
        } else if (running) {
            std::string const err = data.file("beside.err");
            bool ran = shell((row.beside == INSIDE ? inside : "") + asUser + VELMORA_PROGRAM +
                             " --headless 400x225 --frames 20 2>'" + err + "'");
            std::string said = readWholeFile(err);
            EXPECT_TRUE(ran) << said;
            EXPECT_NE(said.find("writes nothing there until that run ends"), std::string::npos) << said;
            EXPECT_EQ(named(readWholeFile(marker)), named(held)) << "the holder's marker stays";
        }
        // The holder is stopped as a screen saver stops it (inside: the process unshare started).
        long holder = std::atol(readWholeFile(pid).c_str());
        if (row.holderInside && holder > 0) {
            std::string task = "/proc/" + std::to_string(holder) + "/task/" + std::to_string(holder);
            holder = std::atol(readWholeFile(task + "/children").c_str());
        }
        if (holder > 1) kill(pid_t(holder), SIGTERM);
        for (int waited = 0; !pathExists(rc) && waited < 600; waited++)
            usleep(200 * 1000);
        if (!pathExists(rc) && holder > 1) kill(pid_t(holder), SIGKILL);
        EXPECT_EQ(readWholeFile(rc), "0\n");
        if (holding >= 0) close(holding);
        chmod(data.path().c_str(), 0755);
        if (row.beside == WRITTEN_OVER)
            EXPECT_EQ(named(readWholeFile(marker)), named(held)) << "the other run's marker stays";
        else
            EXPECT_FALSE(pathExists(marker)) << "the holder's own marker went with it";
        std::string logs = this->logs();
        EXPECT_EQ(logs.find("ended uncleanly"), std::string::npos) << logs;
        std::filesystem::remove(marker);
    }
}

// Another run holding the data folder: a start beside a live one keeps nothing (the other's
// marker, settings and log stay its own); one that comes while the other stops (its marker
// names its closing) waits for it, then keeps the folder as any start does.
TEST_F(HostLoop, AStartBesideAnotherRunKeepsNothingAndWaitsForOneThatStops) {
    REQUIRE_OFFSCREEN();
    makeFolders(true);
    std::vector<std::string> run = {"--headless", "32x16", "--frames", "5"};
    ASSERT_EQ(runProgram(run), 0);
    // A process that has ended, as a marker names it: its number, a start and this boot.
    pid_t ended = fork();
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    std::string boot = readWholeFile("/proc/sys/kernel/random/boot_id");
    std::string gone = ":s pid " + std::to_string(ended) + " 1 " + boot.substr(0, boot.find('\n')) + "\n";
    // The other run is alive; stopping (its marker names its closing); or gone, killed, its
    // files let go a moment after it.
    for (char const* phase : {"run", "closing", "gone"}) {
        SCOPED_TRACE(phase);
        bool stopping = std::string(phase) != "run";
        int held = open(data.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        ASSERT_EQ(flock(held, LOCK_EX), 0);
        std::string marker =
            std::string(phase) == "gone" ? ":s pn run\n" + gone : std::string(":s pn ") + phase + "\n";
        writeWholeFile(data.file("isRunning.txt"), marker);
        writeWholeFile(data.file("settings.txt"), ":set crabMood 5\n");
        writeWholeFile(data.file("masterout.txt"), "the other run's log\n");
        std::thread other;
        if (stopping)
            other = std::thread([held] {
                usleep(300 * 1000); // its saves take a moment
                close(held);
            });
        masterOut.close();
        EXPECT_EQ(runProgram(run), 0) << exitMsg.c_str();
        if (other.joinable())
            other.join();
        else
            close(held);
        std::string log = readWholeFile(data.file("masterout.txt"));
        if (stopping) {
            EXPECT_NE(settingsText().find("crabMood"), std::string::npos);
            EXPECT_NE(settingsText(), ":set crabMood 5\n") << "saved";
            EXPECT_FALSE(pathExists(data.file("isRunning.txt")));
            EXPECT_NE(log.find("masterout:"), std::string::npos) << "its own log";
        } else {
            EXPECT_EQ(settingsText(), ":set crabMood 5\n");
            EXPECT_EQ(readWholeFile(data.file("isRunning.txt")), marker);
            EXPECT_EQ(log.substr(0, 20), "the other run's log\n");
            EXPECT_NE(log.find("another run started beside this one"), std::string::npos) << log;
        }
        resetExitState();
        showInPreview = 0;
    }
}

size_t countOf(std::string const& text, std::string const& what) {
    size_t n = 0;
    for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at++)
        n++;
    return n;
}

// A run that starts while another keeps the data folder keeps what its viewer does once the
// other ends, whether it stops, is killed, or the viewer uses the options sheet meanwhile:
// it takes the folder within a second, and writes the kept files as the other run left them
// with only its own changes put in. The sheet says at its opening that another run keeps the
// folder; closed before that run ends, it says its options are not kept yet and writes
// neither the registry nor the saver defaults, which both follow once the folder is taken.
TEST_F(HostLoop, ARunBesideAnotherTakesTheFolderOnceItEndsAndKeepsWhatItsViewerDoes) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    std::vector<std::string> args = {"--headless", "400x225", "--frames", "100000"};
    for (int start = 0; start < 2; start++) // the copy, then the settings
        ASSERT_EQ(runProgram({"--headless", "400x225", "--frames", "5"}), 0) << exitMsg.c_str();
    std::string saved = settingsText();
    ASSERT_NE(saved.find(":set crabMood 3\n"), std::string::npos) << saved;
    enum Holder { RELEASED, KILLED, SHEET };
    for (Holder holder : {RELEASED, KILLED, SHEET}) {
        SCOPED_TRACE(holder == RELEASED ? "the other stops"
                     : holder == KILLED ? "the other is killed"
                                        : "a sheet");
        writeWholeFile(data.file("settings.txt"), saved);
        std::string const registry = ":set maxFishPerTank 70\n:set runs 4\n";
        writeWholeFile(data.file("registry.txt"), registry);
        std::filesystem::remove(config.file("velmora/saver-defaults.conf"));
        int held = -1;
        std::string pid = data.file("holder.pid");
        // The killed run runs a file of the copy a viewer changed: its marker names it.
        std::string const panel = "species/gui_panel/interface.gui";
        std::string const panelCopy = data.file(("Resources/" + panel).c_str());
        std::string const panelInstalled =
            readWholeFile(std::string(VELMORA_GENERATED_RESOURCE_DIR "/") + panel);
        if (holder == KILLED) {
            writeWholeFile(panelCopy, panelInstalled + "\n// the viewer's own line\n");
            ASSERT_TRUE(shell("(" VELMORA_PROGRAM
                              " --headless 400x225 --frames 100000 >/dev/null 2>&1 & echo $! >'" +
                              pid + "')"));
            for (int waited = 0; waited < 6000; waited++) {
                if (readWholeFile(data.file("isRunning.txt")).find(":s ran " + panel) != std::string::npos)
                    break;
                usleep(10 * 1000);
            }
        } else {
            held = open(data.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            ASSERT_EQ(flock(held, LOCK_EX), 0);
        }
        std::unique_ptr<CsheetTestServices> services;
        if (holder == SHEET) services = std::make_unique<CsheetTestServices>();
        masterOut.close();
        resetExitState();
        showInPreview = 0;
        ChostRun run;
        ASSERT_EQ(openRun(run, args), 0);
        EXPECT_TRUE(dataFolderHeldElsewhere);
        for (int i = 0; i < 10; i++)
            ASSERT_TRUE(run.step()) << exitMsg.c_str();
        std::string const barb = ":addThing tiger_barb ";
        size_t barbs = countOf(saved, barb) + (holder == SHEET);
        if (holder == SHEET) {
            // A fish added, then a new fish size, which starts the engine again: the fish stays.
            ASSERT_EQ(runStringScript(shopKeeper->focusTankObject, ":addThing species/tiger_barb"), 0);
            skipNSAlert = 0;
            ASSERT_NE(run.views[0]->configureSheet(), nullptr);
            CrecordingSheetWindow& window = *services->lastWindow;
            EXPECT_EQ(std::string(window.shown.statusLine.c_str()), kSheetHeldElsewhere);
            window.shown.maxFishPerTank = "40";
            window.shown.sizeSlider = 150;
            services->actions->settingChanged();
            services->actions->closeClicked();
            EXPECT_EQ(readWholeFile(data.file("registry.txt")), registry);
            EXPECT_FALSE(pathExists(config.file("velmora/saver-defaults.conf")));
            CshopKeeper* before = shopKeeper;
            for (int i = 0; i < 5; i++)
                ASSERT_TRUE(run.step()) << exitMsg.c_str();
            EXPECT_NE(shopKeeper, before) << "started again";
            EXPECT_EQ(countOf(shopKeeper->settingsFileText(), barb), barbs);
        }
        // The other run ends; it saved a change of its own as it stopped.
        if (holder == KILLED)
            EXPECT_TRUE(
                shell("p=$(cat '" + pid +
                      "'); kill -9 $p; while grep -qv Z /proc/$p/stat 2>/dev/null; do sleep 0.05; done"));
        else {
            writeWholeFile(data.file("settings.txt"),
                           std::string(saved).replace(saved.find(":set crabMood 3"), 15, ":set crabMood 5"));
            writeWholeFile(data.file("registry.txt"), // its own start, and an option of its viewer
                           ":set maxFishPerTank 70\n:set runs 5\n:set updateDays 30\n");
        }
        if (held >= 0) close(held);
        for (int i = 0; i < 200 && dataFolderHeldElsewhere; i++)
            ASSERT_TRUE(run.step()) << exitMsg.c_str();
        EXPECT_FALSE(dataFolderHeldElsewhere) << "taken within a second or two";
        ASSERT_TRUE(run.step());
        // The killed run's marker is judged as a start judges it: what it ran of the copy is
        // made again, the viewer's change kept beside.
        if (holder == KILLED) {
            EXPECT_TRUE(readWholeFile(panelCopy) == panelInstalled);
            EXPECT_NE(
                readWholeFile(data.file(("Resources.edited/" + panel).c_str())).find("the viewer's own line"),
                std::string::npos);
        }
        if (holder == SHEET) {
            EXPECT_NE(readWholeFile(data.file("registry.txt")).find(":set maxFishPerTank 40\n"),
                      std::string::npos);
            EXPECT_TRUE(pathExists(config.file("velmora/saver-defaults.conf")));
        }
        // A change the viewer makes now is kept at the close, beside the other's.
        shopKeeper->findVariable("masterVolume")->setFloat(0.7f);
        EXPECT_EQ(run.close(), 0) << exitMsg.c_str();
        std::string kept = settingsText();
        EXPECT_NE(kept.find(":set masterVolume 0.7\n"), std::string::npos) << kept;
        EXPECT_NE(kept.find(holder == KILLED ? ":set crabMood 3\n" : ":set crabMood 5\n"), std::string::npos);
        EXPECT_EQ(countOf(kept, barb), barbs);
        EXPECT_NE(logs().find("this run keeps it from now on"), std::string::npos);
        EXPECT_FALSE(pathExists(data.file("isRunning.txt")));
        // Each run's start counted once, this one's on top of the other's; the other run's
        // option stays beside this run's.
        if (holder != KILLED) {
            std::string registryKept = readWholeFile(data.file("registry.txt"));
            EXPECT_NE(registryKept.find(":set runs 6\n"), std::string::npos) << registryKept;
            EXPECT_NE(registryKept.find(":set updateDays 30\n"), std::string::npos) << registryKept;
        }
        skipNSAlert = 1;
    }
}

// What a start finds: each tank's type and animals by species, the sequences' tanks, the
// volume, the stored script "note" and the most fish in a tank.
std::map<std::string, std::string> summary(std::string const& settings, std::string const& registry) {
    std::map<std::string, std::string> found;
    std::istringstream lines(settings + registry);
    std::string tank, note;
    for (std::string line, command, a, b; std::getline(lines, line);) {
        std::istringstream(line) >> command >> a >> b;
        if (command == ":addTank") found[tank = b] = a;
        if (command == ":addThing") found[tank + a] = std::to_string(std::stoi("0" + found[tank + a]) + 1);
        if (command == ":array" && a == "tankID") found["sequences"] += b;
        if (line.rfind(":set masterVolume", 0) == 0 || line.rfind(":set maxFishPerTank", 0) == 0)
            found[a] = b;
        for (bool in = line == ":addScript note {"; in && std::getline(lines, line) && line != "}";)
            found["note"] += line;
    }
    return found;
}

// Two runs sharing the data folder, each doing one thing a viewer does, through the program's
// own starts and saves: the next start finds what the viewer of the run that kept the folder
// did, then what the run beside did, whether that one ends last or first (what it left then
// taken in by the next start). No tank is lost or doubled; where both edited the stored
// script, the other run's save is kept beside the file.
TEST_F(HostLoop, TwoRunsSharingTheFolderKeepWhatBothViewersDid) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    for (int start = 0; start < 2; start++) // the copy, then the settings with both tanks
        ASSERT_EQ(runProgram({"--headless", "400x225", "--frames", "5"}), 0) << exitMsg.c_str();
    using Cfiles = std::array<std::string, 2>; // the settings, the registry
    auto put = [&](Cfiles const& f) {
        writeWholeFile(data.file("settings.txt"), f[0]);
        writeWholeFile(data.file("registry.txt"), f[1]);
    };
    auto files = [&] { return Cfiles{settingsText(), readWholeFile(data.file("registry.txt"))}; };
    Cfiles const first = {settingsText() + ":addScript note {\n :set crabMood 3\n}\n:save note\n",
                          readWholeFile(data.file("registry.txt"))};
    enum Action { NOTHING, ADD_FISH, REMOVE_FISH, CHOOSE_TANK, VOLUME, SHEET, SCRIPT, ACTIONS };
    char const* const names[] = {"nothing",         "adds a fish",    "takes a fish out", "chooses a tank",
                                 "sets the volume", "sets an option", "edits the script"};
    CsheetTestServices services;
    using Csummary = std::map<std::string, std::string>;
    auto now = [] { return summary(shopKeeper->settingsFileText(), registryText(globalVariablesDir)); };
    // The run opened and a viewer's action done (held: another run keeps the folder); what it
    // changed, by what it would save, into changed.
    auto run = [&](ChostRun& run, int action, bool held, Csummary& changed) {
        masterOut.close();
        resetExitState();
        showInPreview = 0;
        ASSERT_EQ(openRun(run, {"--headless", "160x90", "--frames", "100000"}), 0);
        ASSERT_EQ(dataFolderHeldElsewhere, held);
        for (int i = 0; i < 3; i++)
            ASSERT_TRUE(run.step()) << exitMsg.c_str();
        Csummary before = now();
        Ctank* tank = shopKeeper->focusTankObject;
        int id = tank->tankID, fish = tank->numFish;
        std::string const lines[] = {
            "",
            ":addThing species/tiger_barb",
            ":highlight ON\n:highlight DELETE",
            tank->tankTypeName == Cstring("wabi_sabi") ? ":changeTank dusk_pool" : ":changeTank wabi_sabi",
            held ? ":set masterVolume 0.7" : ":set masterVolume 0.3",
            "",
            ":addScript note {\n :set crabMood " + std::string(held ? "5" : "4") + "\n}"};
        Cvariable* target = action == ADD_FISH || action == REMOVE_FISH ? tank : nullptr;
        EXPECT_EQ(runStringScript(target ? target : shopKeeper, lines[action].c_str()), 0);
        if (action == CHOOSE_TANK) { // as in a run alone: the fish move, the tank keeps its place
            EXPECT_EQ(shopKeeper->focusTankObject->tankID, id);
            EXPECT_EQ(shopKeeper->focusTankObject->numFish, fish);
        }
        if (action == SHEET) {
            skipNSAlert = 0;
            ASSERT_NE(run.views[0]->configureSheet(), nullptr);
            services.lastWindow->shown.maxFishPerTank = held ? "30" : "40";
            services.actions->settingChanged();
            services.actions->closeClicked();
            skipNSAlert = 1;
        }
        Csummary after = now();
        changed.clear();
        for (auto const& [key, is] : after)
            if (before[key] != is) changed[key] = is;
        for (auto const& [key, was] : before)
            if (!was.empty() && !after.count(key)) changed[key] = "";
        EXPECT_EQ(changed.empty(), action == NOTHING) << "what the viewer did";
    };
    for (int h = NOTHING; h < ACTIONS; h++) {
        // The run that keeps the folder: what it saved at its start, and at its end.
        put(first);
        Cfiles atStart, atEnd;
        Csummary changed;
        {
            ChostRun holder;
            run(holder, h, false, changed);
            atStart = files();
            ASSERT_EQ(holder.close(), 0) << exitMsg.c_str();
        }
        atEnd = files();
        for (int w = NOTHING; w < ACTIONS; w++)
            for (bool besideFirst : {false, true}) {
                if (besideFirst && w != (h + 1) % ACTIONS) continue; // each action once is enough
                SCOPED_TRACE(std::string("the run keeping the folder: ") + names[h] + "; the run beside: " +
                             names[w] + (besideFirst ? ", and ends first" : ", and ends last"));
                put(atStart);
                std::filesystem::remove(data.file("settings.txt.other-run"));
                int held = ::open(data.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
                ASSERT_EQ(flock(held, LOCK_EX), 0);
                ChostRun beside;
                run(beside, w, true, changed);
                if (besideFirst) EXPECT_EQ(beside.close(), 0) << exitMsg.c_str();
                EXPECT_EQ(files(), atStart) << "nothing written beside the other run";
                put(atEnd);
                close(held);
                Csummary expected = summary(atEnd[0], atEnd[1]);
                for (auto const& [key, is] : changed)
                    is.empty() ? (void)expected.erase(key) : (void)(expected[key] = is);
                if (!besideFirst) EXPECT_EQ(beside.close(), 0) << exitMsg.c_str();
                if (besideFirst) { // every fish loads whatever the most a tank holds
                    masterOut.close();
                    resetExitState();
                    EXPECT_EQ(runProgram({"--headless", "160x90", "--frames", "3", "--fish-per-tank", "110"}),
                              0)
                        << exitMsg.c_str();
                }
                EXPECT_EQ(summary(files()[0], files()[1]), expected);
                EXPECT_EQ(countOf(files()[0], ":addTank "), 2u) << "a tank lost or doubled";
                bool aside = h == SCRIPT && w == SCRIPT && !besideFirst;
                EXPECT_EQ(pathExists(data.file("settings.txt.other-run")), aside);
                if (aside) EXPECT_NE(logs().find("that run's save is kept whole in"), std::string::npos);
            }
    }
}

// A run beside another that ends first leaves what its viewer did (three tiger barbs) for the
// run that keeps the data folder: that run takes it in as it stops; killed, the next start
// does; with a third run that took the folder when the first ended, that one does. Nothing
// is lost, each start counts once, and no file of it lingers.
TEST_F(HostLoop, ARunBesideAnotherThatEndsFirstLeavesWhatItsViewerDidForTheRunKeepingTheFolder) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    for (int start = 0; start < 2; start++) // the copy, then the settings
        ASSERT_EQ(runProgram({"--headless", "400x225", "--frames", "5"}), 0) << exitMsg.c_str();
    std::string const saved = settingsText(), registry = readWholeFile(data.file("registry.txt"));
    std::string const barb = ":addThing tiger_barb ";
    std::filesystem::current_path(savedCwd);
    auto runs = [&] {
        std::string text = readWholeFile(data.file("registry.txt"));
        size_t at = text.find(":set runs ");
        return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + 10);
    };
    // The program in a process of its own; killed, should the test end first.
    struct Cother {
        long pid = 0;
        ~Cother() {
            if (pid > 0) kill(pid, SIGKILL);
        }
        void end(int how) {
            kill(pid, how);
            shell("while grep -qv Z /proc/" + std::to_string(pid) + "/stat 2>/dev/null; do sleep 0.05; done");
            pid = 0;
        }
    };
    auto launch = [&](Cother& other, char const* name) {
        std::string file = data.file((std::string(name) + ".pid").c_str());
        ASSERT_TRUE(shell("(" VELMORA_PROGRAM
                          " --headless 400x225 --frames 100000 >/dev/null 2>&1 & echo $! >'" +
                          file + "')"));
        other.pid = std::atol(readWholeFile(file).c_str());
        ASSERT_GT(other.pid, 0);
    };
    // Until the run marker names the process: it keeps the folder.
    auto keeps = [&](Cother const& other) {
        std::string named = ":s pid " + std::to_string(other.pid) + " ";
        for (int waited = 0; waited < 1200; waited++) {
            if (readWholeFile(data.file("isRunning.txt")).find(named) != std::string::npos) return true;
            usleep(50 * 1000);
        }
        return false;
    };
    enum Order { STOPS, KILLED, THIRD, FULL };
    CsheetTestServices services;
    std::string const defaults = config.file("velmora/saver-defaults.conf");
    for (Order order : {STOPS, KILLED, THIRD, FULL}) {
        SCOPED_TRACE(order == STOPS    ? "the run keeping the folder stops later"
                     : order == KILLED ? "it is killed later, and the program starts again"
                     : order == THIRD  ? "a third run took the folder when the first ended"
                                       : "the disk is full as the run beside ends");
        writeWholeFile(data.file("settings.txt"), saved);
        writeWholeFile(data.file("registry.txt"), registry);
        std::filesystem::remove(defaults);
        int before = runs();
        Cother holder, taker;
        launch(holder, "holder");
        ASSERT_TRUE(keeps(holder));
        if (order == THIRD) {
            launch(taker, "taker");
            std::string beside = "another run started beside this one (process " + std::to_string(taker.pid);
            for (int waited = 0; waited < 1200 && logs().find(beside) == std::string::npos; waited++)
                usleep(50 * 1000);
        }
        masterOut.close();
        resetExitState();
        showInPreview = 0;
        ChostRun run;
        ASSERT_EQ(openRun(run, {"--headless", "400x225", "--frames", "100000"}), 0);
        ASSERT_TRUE(dataFolderHeldElsewhere);
        if (order == THIRD) {
            holder.end(SIGTERM);
            ASSERT_TRUE(keeps(taker));
        }
        for (int i = 0; i < 5; i++)
            ASSERT_TRUE(run.step()) << exitMsg.c_str();
        // Three fish, and an option of the sheet, which waits for the folder.
        for (int fish = 0; fish < 3; fish++)
            ASSERT_EQ(runStringScript(shopKeeper->focusTankObject, ":addThing species/tiger_barb"), 0);
        skipNSAlert = 0;
        ASSERT_NE(run.views[0]->configureSheet(), nullptr);
        services.lastWindow->shown.maxFishPerTank = "40";
        services.actions->settingChanged();
        services.actions->closeClicked();
        skipNSAlert = 1;
        ASSERT_TRUE(run.step()) << exitMsg.c_str();
        ASSERT_TRUE(dataFolderHeldElsewhere);
        testing::internal::CaptureStderr();
        {
            std::unique_ptr<ScopedFileSizeLimit> full;
            if (order == FULL) full = std::make_unique<ScopedFileSizeLimit>(512);
            EXPECT_EQ(run.close(), 0) << exitMsg.c_str();
        }
        std::string said = testing::internal::GetCapturedStderr();
        long keeping = order == THIRD ? taker.pid : holder.pid;
        std::string named =
            "(process " + std::to_string(keeping) + ") keeps the data folder \"" + data.path() + "\": ";
        EXPECT_NE(
            said.find(named + (order == FULL ? "nothing of this run was kept: what it changed could not be "
                                               "left there for that run (settings.txt: File too large"
                                             : "what this run changed is left there for that run")),
            std::string::npos)
            << said;
        EXPECT_EQ(countOf(settingsText(), barb), countOf(saved, barb)) << "nothing written beside it";
        EXPECT_EQ(pathExists(defaults), order != FULL) << "the saver defaults go with the registry's changes";
        if (order == KILLED) {
            holder.end(SIGKILL);
            masterOut.close();
            resetExitState();
            EXPECT_EQ(runProgram({"--headless", "400x225", "--frames", "5", "--fish-per-tank", "110"}), 0)
                << exitMsg.c_str();
        } else {
            (order == THIRD ? taker : holder).end(SIGTERM);
        }
        bool kept = order != FULL;
        EXPECT_EQ(countOf(settingsText(), barb), countOf(saved, barb) + (kept ? 3 : 0)) << settingsText();
        std::string options = readWholeFile(data.file("registry.txt"));
        EXPECT_EQ(options.find(":set maxFishPerTank 40\n") != std::string::npos, kept) << options;
        if (order != KILLED) EXPECT_EQ(runs(), before + (order == THIRD ? 3 : kept ? 2 : 1));
        for (auto const& entry : std::filesystem::directory_iterator(data.path()))
            EXPECT_EQ(entry.path().filename().string().find(".left-"), std::string::npos) << entry.path();
    }
}

// A file of the user's set aside once some of its lines ran leaves none of them: the run goes
// on as a start without the file, and each start after it saves its own state, never the
// file's lines under the defaults (a tank twice, the file's values). The file is kept whole.
// Headless, and as a screen-saver hack in a window it is given.
TEST_F(HostLoop, AFileSetAsideAfterSomeOfItsLinesRanLeavesNoneOfThem) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    // As wide as a screen: a preview runs no "msg.txt".
    std::vector<std::string> headless = {"--headless", "480x270", "--frames", "30"};
    for (int start = 0; start < 3; start++) // the copy, the settings saved, the other tank shown
        ASSERT_EQ(runProgram(headless), 0) << logs().substr(0, 2000);
    auto edited = [](std::string text, std::string const& line, std::string const& by) {
        size_t at = text.find(line);
        return at == std::string::npos ? std::string() : text.replace(at, line.size(), by);
    };
    std::string const seeded = settingsText(), registry = readWholeFile(data.file("registry.txt"));
    size_t const things = countOf(seeded, ":addThing ");
    ASSERT_EQ(countOf(seeded, ":addTank "), 2u) << seeded;
    std::string const mine = edited(seeded, ":set autoFeedSeconds 300\n", ":set autoFeedSeconds 123\n");
    std::string const myRegistry =
        edited(edited(registry, ":set maxFishPerTank 70\n", ":set maxFishPerTank 12\n"), ":set fsSz 1\n",
               ":set fsSz 1.5\n");
    ASSERT_FALSE(mine.empty() || myRegistry.empty()) << seeded << registry;
    struct {
        char const* what;
        char const* file;
        std::string text;
        bool inWindow = false;
    } const rows[] = {
        {"a refused line at the end", "settings.txt", mine + ":exit0\n"},
        {"a failing line in the middle", "settings.txt",
         edited(mine, ":set autoFeedSeconds 123\n", ":set autoFeedSeconds 123\n:set crabMood (\n")},
        {"a registry value set", "settings.txt", mine + ":cd globals {\n:set maxFishPerTank 12\n}\n:exit0\n"},
        {"a refused line at the end", "registry.txt", myRegistry + ":exit0\n"},
        // Read by a script of the data folder ("msg.txt", the tenth frame's): its values go
        // into the engine's "customVars", which the stop saves.
        {"a refused line at the end", "customVars.txt", ":int wanted 12\n:exit0\n"},
        {"a refused line at the end", "settings.txt", mine + ":exit0\n", true},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(std::string(row.file) + " with " + row.what +
                     (row.inWindow ? ", in a window" : ", headless"));
        std::unique_ptr<ScopedDisplayLock> lock; // no other test's window over this one
        std::unique_ptr<TestWindow> window;
        std::vector<std::string> run = headless;
        if (row.inWindow) {
            REQUIRE_X();
            lock = std::make_unique<ScopedDisplayLock>();
            window = std::make_unique<TestWindow>(480, 270);
            ASSERT_TRUE(window->display);
            run = {"-window-id", std::to_string(window->window), "--frames", "30"};
        }
        writeWholeFile(data.file("settings.txt"), seeded);
        writeWholeFile(data.file("registry.txt"), registry);
        writeWholeFile(data.file(row.file), row.text);
        std::filesystem::remove(data.file((std::string(row.file) + ".damaged").c_str()));
        bool custom = std::string(row.file) == "customVars.txt";
        if (custom)
            writeWholeFile(data.file("msg.txt"), ":mkdir customVars {\n}\n:cd customVars {\n:loadScript "
                                                 "\"[APD]customVars.txt\" -n\n}\n");
        for (int start = 0; start < 3; start++) {
            SCOPED_TRACE("start " + std::to_string(start));
            EXPECT_EQ(runProgram(run), 0) << logs().substr(0, 2000);
            resetExitState();
            scriptError = 0;
            showInPreview = 0;
            pleaseQuitSystemPreferences = 0; // as in a new process
            std::string settings = settingsText(), saved = readWholeFile(data.file("registry.txt"));
            EXPECT_EQ(countOf(settings, ":addTank wabi_sabi "), 1u) << settings;
            EXPECT_EQ(countOf(settings, ":addTank dusk_pool "), 1u);
            EXPECT_LE(countOf(settings, ":addThing "), things) << "no fish twice";
            EXPECT_EQ(countOf(settings, ":set autoFeedSeconds 123\n"), 0u);
            EXPECT_EQ(countOf(saved, ":set maxFishPerTank 70\n") + countOf(saved, ":set fsSz 1\n"), 2u)
                << saved;
            EXPECT_EQ(countOf(readWholeFile(data.file("customVars.txt")), "wanted"), 0u);
            EXPECT_TRUE(readWholeFile(data.file((std::string(row.file) + ".damaged").c_str())) == row.text)
                << "kept whole";
        }
        std::filesystem::remove(data.file("msg.txt"));
        std::filesystem::remove(data.file("customVars.txt"));
    }
}

// A run beside another may not set aside a file of the folder the other keeps: none of the
// lines it read of a damaged one stay all the same (its engine begins again without them and
// reads the file no more), and once the other run ends it sets the file aside before it saves.
TEST_F(HostLoop, ADamagedFileARunBesideAnotherReadIsSetAsideOnceItTakesTheFolder) {
    REQUIRE_OFFSCREEN();
    useStagedResources();
    for (int start = 0; start < 3; start++)
        ASSERT_EQ(runProgram({"--headless", "480x270", "--frames", "30"}), 0) << exitMsg.c_str();
    std::string damaged = settingsText();
    size_t at = damaged.find(":set autoFeedSeconds 300\n");
    ASSERT_NE(at, std::string::npos) << damaged;
    damaged.replace(at, 24, ":set autoFeedSeconds 123") += ":exit0\n";
    writeWholeFile(data.file("settings.txt"), damaged);
    int held = open(data.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    masterOut.close();
    resetExitState();
    showInPreview = 0;
    ChostRun run;
    ASSERT_EQ(openRun(run, {"--headless", "480x270", "--frames", "100000"}), 0);
    EXPECT_TRUE(dataFolderHeldElsewhere);
    for (int i = 0; i < 5; i++)
        ASSERT_TRUE(run.step()) << exitMsg.c_str();
    auto once = [](std::string const& text) {
        EXPECT_EQ(countOf(text, ":addTank wabi_sabi "), 1u) << text;
        EXPECT_EQ(countOf(text, ":addTank dusk_pool "), 1u);
        EXPECT_EQ(countOf(text, ":set autoFeedSeconds 123\n"), 0u);
    };
    once(shopKeeper->settingsFileText());
    EXPECT_TRUE(settingsText() == damaged) << "the other run's file stays where it is";
    close(held);
    for (int i = 0; i < 200 && dataFolderHeldElsewhere; i++)
        ASSERT_TRUE(run.step()) << exitMsg.c_str();
    EXPECT_FALSE(dataFolderHeldElsewhere);
    EXPECT_TRUE(readWholeFile(data.file("settings.txt.damaged")) == damaged) << "kept whole";
    EXPECT_EQ(run.close(), 0) << exitMsg.c_str();
    once(settingsText());
}

// The run is stepped here, so that the window goes only once the program has drawn in it
// (a window gone before the GL context is made is a failure to start, another case).
TEST_F(HostLoop, ADestroyedWindowEndsTheRunAndSaves) {
    REQUIRE_X();
    ScopedDisplayLock display;
    TestWindow target(64, 48);
    ASSERT_TRUE(target.display);
    makeFolders(true);
    std::string id = std::to_string(target.window);
    ChostRun run;
    ASSERT_EQ(openRun(run, {"-window-id", id.c_str()}), 0);
    while (run.frame < 5)
        ASSERT_TRUE(run.step()) << "the run ended by itself at frame " << run.frame;
    XDestroyWindow(target.display, target.window);
    XSync(target.display, False);
    target.window = 0;
    // The window's end reaches the program with its next events.
    int framesAfter = 0;
    while (run.step() && framesAfter < 600)
        framesAfter++;
    EXPECT_LT(framesAfter, 600) << "the run went on without its window";
    EXPECT_EQ(run.close(), 0);
    EXPECT_NE(settingsText().find("crabMood"), std::string::npos);
}

TEST_F(HostLoop, NoWindowToDrawInEndsWithAFailure) {
    makeFolders(true);
    char const* saved = std::getenv("DISPLAY");
    std::string kept = saved ? saved : "";
    setenv("DISPLAY", ":31999", 1); // no such server
    testing::internal::CaptureStderr();
    EXPECT_EQ(runProgram({"--window"}), 1);
    EXPECT_EQ(runProgram({"-root"}), 1);
    // The display tried, and the way without one.
    EXPECT_NE(testing::internal::GetCapturedStderr().find(
                  "cannot open X display \":31999\"; to run without one: velmora --headless WxH"),
              std::string::npos);
    if (saved)
        setenv("DISPLAY", kept.c_str(), 1);
    else
        unsetenv("DISPLAY");
    EXPECT_EQ(shopKeeper, nullptr);
}

} // namespace
