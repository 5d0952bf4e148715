#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "host/fakeHostServices.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "support/resourceCopy.h"
#include "testSupport.h"

namespace {

class PathKeywords : public ::testing::Test {
  protected:
    void SetUp() override {
        savedApd = appDataDir;
        savedIns = installDir;
        savedMos = macContentsDir;
        char const* t = std::getenv("TEMP");
        hadTemp = t != nullptr;
        if (t) savedTemp = t;
        appDataDir = "/data/";
        installDir = "/inst/";
        macContentsDir = "/contents/";
        unsetenv("TEMP");
    }
    void TearDown() override {
        appDataDir = savedApd;
        installDir = savedIns;
        macContentsDir = savedMos;
        if (hadTemp) setenv("TEMP", savedTemp.c_str(), 1);
    }
    Cstring savedApd, savedIns, savedMos;
    std::string savedTemp;
    bool hadTemp = false;
};

TEST_F(PathKeywords, Table) {
    struct Case {
        char const* in;
        char const* out;
    } cases[] = {
        {"[APD]settings.txt", "/data/settings.txt"},
        {"x/[INS]a/[APD]b", "x//inst/a//data/b"},
        {"end[APD]", "end/data/"},
        {"[APD", "[APD"},            // fewer than four characters behind the bracket
        {"[APDXfile", "/data/file"}, // the fifth character is dropped whatever it is
        {"[SYS]file", "[SYS]file"},
        {"[TMP]file", "/file"},
        {"[MOS]tool", "/contents/MacOS/tool"},
        {"[XYZ]file", "[XYZ]file"},
        {"say ``hi``", "say \"hi\""},
        {"", ""},
    };
    for (auto const& c : cases)
        EXPECT_EQ(replaceCommonPathKeyword(c.in), c.out) << c.in;
}

TEST(PathNames, Helpers) {
    struct Case {
        void (*fn)(Cstring&);
        char const* in;
        char const* out;
    } cases[] = {
        {justSuffix, "a/b.txt", "txt"}, {justSuffix, "noext", ""},       {justSuffix, "a.d/file", "d/file"},
        {noSuffix, "a/b.txt", "a/b"},   {noSuffix, "noext", "noext"},    {noPath, "a/b/c.txt", "c.txt"},
        {noPath, "c.txt", "c.txt"},     {toUpper, "abcXyz1", "ABCXYZ1"},
    };
    for (auto const& c : cases) {
        Cstring s(c.in);
        c.fn(s);
        EXPECT_EQ(s, c.out) << c.in;
    }
    struct PathCase {
        char const* in;
        int adjust;
        char const* out;
    } paths[] = {{"a/b/file.txt", 0, "a/b/"},
                 {"a/b/file.txt", -1, "a/b"},
                 {"ram://file", -1, "ram://"},
                 {"file", 0, ""}};
    for (auto const& c : paths) {
        Cstring s(c.in);
        justPath(s, c.adjust);
        EXPECT_EQ(s, c.out) << c.in << " " << c.adjust;
    }
    EXPECT_EQ(findIndexFromEnd("a.b.c", '.'), 3);
    EXPECT_EQ(findIndexFromEnd("abc", '.'), -1);
    char text[] = "a-b-c";
    EXPECT_EQ(strreplace(text, '-', '+'), 5);
    EXPECT_STREQ(text, "a+b+c");
}

class Files : public ::testing::Test {
  protected:
    void TearDown() override { backupWrite = 0; }
    ScopedDataFolder data;
};

TEST_F(Files, FailedStreamKeepsOldFile) {
    writeWholeFile(data.file("settings.txt"), "old");
    // A failed safe write ends with the old file untouched, no ".temp" file beside it (an
    // empty or half one would be left for good) and nothing pending: a stream opened before
    // it and closed after it must not finish the abandoned write.
    std::ofstream other;
    ASSERT_EQ(file_open(other, Cstring("[APD]stdout_run.txt"), 0), 1);
    backupWrite = 1;
    std::ofstream out;
    ASSERT_EQ(file_open(out, Cstring("[APD]settings.txt"), 0), 1);
    out << "half";
    out.setstate(std::ios::badbit);
    file_close(out);
    EXPECT_TRUE(out.fail());
    EXPECT_EQ(pendingSafeWrites(), 0);
    EXPECT_FALSE(pathExists(data.file("settings.txt.temp")));
    other << "trace";
    file_close(other);
    EXPECT_FALSE(other.fail());
    EXPECT_EQ(readWholeFile(data.file("settings.txt")), "old")
        << "a later close swapped the abandoned write in";
    EXPECT_EQ(readWholeFile(data.file("stdout_run.txt")), "trace");
}

// A file written whole while a safe write is open (a log line, the crash marker written as
// an error is recorded) leaves that safe write to finish or fail on its own.
TEST_F(Files, AFileWrittenDuringASafeWriteLeavesItAlone) {
    for (bool fails : {false, true}) {
        writeWholeFile(data.file("settings.txt"), "old");
        backupWrite = 1;
        std::ofstream out;
        ASSERT_EQ(file_open(out, Cstring("[APD]settings.txt"), 0), 1);
        out << "new";
        ASSERT_EQ(createDiskFile("[APD]isRunning.txt", "marker", -1), 0);
        if (fails) out.setstate(std::ios::badbit);
        file_close(out);
        EXPECT_EQ(out.fail(), fails);
        EXPECT_EQ(readWholeFile(data.file("settings.txt")), fails ? "old" : "new");
        EXPECT_EQ(readWholeFile(data.file("isRunning.txt")), "marker");
        EXPECT_EQ(pendingSafeWrites(), 0);
    }
}

// Every failing rename of the swap must leave the old content under the real name.
TEST_F(Files, InjectedRenameFailuresKeepOldFile) {
    struct Case {
        int failFrom, failTo; // renames: old aside, new in place, old back
        char const* what;
    } cases[] = {{2, 2, "the new file cannot take the name"}, {2, 3, "nor can the old one come back"}};
    for (auto const& c : cases) {
        writeWholeFile(data.file("tank.txt"), "old");
        std::ofstream out;
        {
            CfakeHostServices host;
            host.moveFailFrom = c.failFrom;
            host.moveFailTo = c.failTo;
            backupWrite = 1;
            ASSERT_EQ(file_open(out, Cstring("[APD]tank.txt"), 0), 1);
            out << "new";
            file_close(out);
        }
        EXPECT_TRUE(out.fail()) << c.what;
        std::string kept = pathExists(data.file("tank.txt")) ? readWholeFile(data.file("tank.txt"))
                                                             : readWholeFile(data.file("tank.txt.bak"));
        EXPECT_EQ(kept, "old") << c.what;
        // The new file stays only where the old one could not come back: the one whole file.
        EXPECT_EQ(readWholeFile(data.file("tank.txt.temp")), c.failTo == 3 ? "new" : "") << c.what;
        std::remove(data.file("tank.txt.bak").c_str());
    }
}

TEST_F(Files, UnopenableOutputFails) {
    backupWrite = 1;
    std::ofstream out;
    EXPECT_EQ(file_open(out, Cstring("/nonexistent-folder/x/y.txt"), 0), 0);
    EXPECT_EQ(pendingSafeWrites(), 0);
    std::ifstream in;
    EXPECT_EQ(file_open(in, "/nonexistent-folder/x/y.txt", 0), 0);
    EXPECT_TRUE(in.good()); // the state is cleared after a failed open
    // A folder that cannot be made: errno tells why the first one could not.
    std::filesystem::create_symlink(data.file("nowhere"), data.file("dangling"));
    createDirectories(data.file("dangling/a/b").c_str(), 0);
    EXPECT_EQ(errno, EEXIST) << std::strerror(errno);
}

// A whole copy of an install folder in the data folder: both stamped alike.
void makeWholeCopy(TempDir const& install, ScopedDataFolder const& data) {
    std::filesystem::create_directories(install.file("global"));
    std::filesystem::create_directories(data.file("Resources/global"));
    writeWholeFile(install.file("resources.stamp"), "stamp 1\n");
    writeWholeFile(data.file("Resources/resources.stamp"), "stamp 1\n");
    writeWholeFile(install.file("global/part.txt"), "installed");
    installDir = install.path().c_str();
}

// A file of a whole copy that cannot be read is copied again from the install folder, as a
// missing one is, when the installed one can be read. The file layer looks in a process of a
// user the file shuts out ("nobody" when this one is root, who reads every file).
TEST_F(Files, AFileOfTheCopyThatCannotBeReadIsCopiedAgain) {
    TempDir install;
    Cstring savedInstall = installDir;
    makeWholeCopy(install, data);
    std::string copy = data.file("Resources/global/part.txt");
    for (std::string const& folder : {install.path(), install.file("global"), data.path(),
                                      data.file("Resources"), data.file("Resources/global")})
        chmod(folder.c_str(), 0777);
    struct {
        mode_t installed;
        char const* after;
    } const rows[] = {{0644, "installed"}, {0, "changed"}};
    for (auto const& row : rows) {
        writeWholeFile(copy, "changed");
        chmod(copy.c_str(), 0);
        chmod(install.file("global/part.txt").c_str(), row.installed);
        pid_t child = fork();
        if (child == 0) {
            if (geteuid() == 0 && setuid(65534) != 0) _exit(3);
            if (access(data.path().c_str(), W_OK) != 0) _exit(3); // the folders are out of its reach
            _exit(fileExists("[APD]Resources/global/part.txt") ? 0 : 1);
        }
        int status = 0;
        waitpid(child, &status, 0);
        chmod(copy.c_str(), 0644);
        if (WIFEXITED(status) && WEXITSTATUS(status) == 3) {
            installDir = savedInstall;
            GTEST_SKIP() << "no user the file shuts out";
        }
        EXPECT_EQ(readWholeFile(copy), row.after) << row.installed;
        EXPECT_EQ(WIFEXITED(status) && WEXITSTATUS(status) == 0, row.installed != 0);
    }
    installDir = savedInstall;
}

// While another run keeps the data folder this run writes, makes, moves and renews nothing
// there, whatever a script or the file layer asks.
TEST_F(Files, AFolderAnotherRunKeepsIsNeitherWrittenNorChanged) {
    TempDir install, outside;
    Cstring savedInstall = installDir;
    makeWholeCopy(install, data);
    writeWholeFile(data.file("Resources/global/part.txt"), ""); // emptied: a holder renews it
    std::filesystem::create_directories(data.file("settings.txt"));
    std::filesystem::create_directories(data.file("crash"));
    writeWholeFile(outside.file("log"), "theirs");
    std::filesystem::create_symlink(outside.file("log"), data.file("masterout.txt"));
    dataFolderReadOnly = "another run of Velmora keeps the data folder";
    dataFolderHeldElsewhere = true;
    struct {
        char const* what;
        std::function<bool()> act; // true when the act failed, as it must
        char const* untouched;     // a name whose kind or content stays
    } const rows[] = {
        {"a file in a subfolder",
         [] {
             std::ofstream out;
             return file_open(out, Cstring("[APD]crash/description.txt"), 0) == 0;
         },
         "crash/description.txt"},
        {"a file a script writes", [] { return createDiskFile("[APD]sub/x.txt", "x", 1) != 0; }, "sub"},
        {"a folder a script makes",
         [&] {
             createDirectories(data.file("made/deeper/").c_str(), 0);
             return true;
         },
         "made"},
        {"a folder at the other run's settings", [] { return setAsideUnlessFile("[APD]settings.txt") < 0; },
         "settings.txt.damaged"},
        {"a link at the other run's log", [] { return setAsideUnlessFile("[APD]masterout.txt") < 0; },
         "masterout.txt.damaged"},
        {"an emptied file of the copy", [] { return fileExists("[APD]Resources/global/part.txt") != 0; },
         "Resources.edited"},
    };
    for (auto const& row : rows) {
        EXPECT_TRUE(row.act()) << row.what;
        EXPECT_FALSE(pathExists(data.file(row.untouched))) << row.what;
    }
    EXPECT_TRUE(std::filesystem::is_directory(data.file("settings.txt")));
    EXPECT_TRUE(std::filesystem::is_symlink(data.file("masterout.txt")));
    EXPECT_EQ(readWholeFile(data.file("Resources/global/part.txt")), "") << "renewed under the other run";
    dataFolderReadOnly = "";
    dataFolderHeldElsewhere = false;
    installDir = savedInstall;
}

// Nothing the file layer writes lands in the install folder, by whatever name or link of the
// data folder leads there (up a linked folder, a link at the name, a link to no file yet);
// a link of the data folder moves as a name.
TEST_F(Files, TheInstallFolderIsNeverWrittenByAnyNameOrLink) {
    TempDir install;
    Cstring savedInstall = std::exchange(installDir, Cstring(install.path().c_str()));
    writeWholeFile(install.file("defaults.txt"), "installed");
    std::filesystem::create_directories(install.file("sub"));
    std::filesystem::create_directories(data.file("d"));
    std::filesystem::create_directory_symlink(install.file("sub"), data.file("linked"));
    std::filesystem::create_symlink(install.file("defaults.txt"), data.file("d/named.txt"));
    std::filesystem::create_symlink(install.file("planted.txt"), data.file("d/dangling.txt"));
    for (char const* name :
         {"[APD]linked/../defaults.txt", "[APD]d/named.txt", "[APD]d/dangling.txt", "[INS]defaults.txt"})
        EXPECT_NE(createDiskFile(name, "x", 1), 0) << name;
    createDirectories("[APD]linked/made/", 0);
    EXPECT_NE(deleteFile("[APD]linked/../defaults.txt"), 0);
    EXPECT_NE(renameFile("[APD]linked/../defaults.txt", "[APD]x"), 0);
    EXPECT_EQ(readWholeFile(install.file("defaults.txt")), "installed");
    EXPECT_FALSE(pathExists(install.file("planted.txt")) || pathExists(install.file("sub/made")));
    EXPECT_EQ(renameFile("[APD]d/named.txt", "[APD]d/moved.txt"), 0);
    installDir = savedInstall;
}

// The quiet writes of the program's own files (the run marker's lines, the note a run beside
// another adds to its log) and reads by name never go through what stands in their place.
TEST_F(Files, QuietOwnFileWritesAndReadsNeverGoThroughAnotherName) {
    TempDir outside;
    writeWholeFile(outside.file("victim"), "keep");
    struct {
        char const* what;
        std::function<void(std::string const&)> plant;
    } const rows[] = {
        {"a symbolic link",
         [&](std::string const& at) { std::filesystem::create_symlink(outside.file("victim"), at); }},
        {"a second name",
         [&](std::string const& at) { std::filesystem::create_hard_link(outside.file("victim"), at); }},
        {"a pipe someone reads", [](std::string const& at) { mkfifo(at.c_str(), 0600); }},
    };
    for (auto const& row : rows) {
        std::string marker = data.file("isRunning.txt");
        std::filesystem::remove(marker);
        row.plant(marker);
        int reader = open(marker.c_str(), O_RDONLY | O_NONBLOCK); // a pipe's writer may open now
        int fd = openOwnFile(marker.c_str(), OWN_APPEND | OWN_QUIET);
        if (fd >= 0) {
            EXPECT_EQ(write(fd, "x", 1), 1);
            close(fd);
        }
        if (reader >= 0) close(reader);
        EXPECT_LT(fd, 0) << row.what;
        EXPECT_EQ(readWholeFile(outside.file("victim")), "keep") << row.what;
        // Read by name, an own file is never another one.
        if (std::string(row.what) == "a symbolic link") {
            row.plant(data.file("dl_sets.txt"));
            std::ifstream in;
            EXPECT_EQ(file_open(in, "[APD]dl_sets.txt", 0), 0) << "read through a link";
        }
    }
    std::filesystem::remove(data.file("isRunning.txt"));
    EXPECT_GE(openOwnFile(data.file("isRunning.txt").c_str(), OWN_APPEND | OWN_QUIET), 0)
        << "a plain file opens";
}

// A load of the copy that fails as installed ends the start saying why, as far as the file
// layer and the allocator know: a file missing from the install folder (install again), one
// that cannot be read (the system's reason), memory run out (no reinstalling); else it names
// the installed file.
TEST_F(Files, ALoadThatFailsSaysWhy) {
    TempDir install;
    Cstring savedInstall = installDir;
    makeWholeCopy(install, data);
    writeWholeFile(data.file("Resources/global/part.txt"), "installed");
    std::filesystem::create_symlink(install.file("global/loop.image"), install.file("global/loop.image"));
    struct {
        char const* file;
        bool memoryRanOut;
        std::string said;
    } const rows[] = {
        {"global/gone.image", false,
         "the file " + install.file("global/gone.image") +
             " is missing from the install folder: install "
             "Velmora again"},
        {"global/loop.image", false,
         "the file " + install.file("global/loop.image") + " cannot be read: " + std::strerror(ELOOP)},
        {"global/part.txt", true,
         "memory ran out while " + data.file("Resources/global/part.txt") + " was loaded"},
        {"global/part.txt", false,
         "the installed file " + install.file("global/part.txt") + " fails to load"},
    };
    for (auto const& row : rows) {
        faultNote.memoryRanOut = row.memoryRanOut;
        std::string copy = data.file((std::string("Resources/") + row.file).c_str());
        EXPECT_FALSE(loadRenewingCopy([&] {
            std::ifstream in;
            file_open(in, copy.c_str(), 0);
            return false;
        }));
        EXPECT_EQ(std::string(exitMsg.c_str()), row.said);
        resetExitState();
        forgetFileNotHad();
    }
    faultNote.memoryRanOut = 0;
    resourceCopyAskedBack = 0;
    installDir = savedInstall;
}

// A changed file of a whole copy is kept before it is replaced, under a free name each time
// it holds something new: the name itself, then ".2", ".3"; the same bytes again, nothing new.
TEST_F(Files, ChangedFilesOfTheCopyAreKeptUnderFreeNames) {
    TempDir install;
    Cstring savedInstall = installDir;
    makeWholeCopy(install, data);
    std::string copy = data.file("Resources/global/part.txt");
    std::string kept = data.file("Resources.edited/global/part.txt");
    struct {
        char const* text;
        char const* keptAs; // null: nothing new kept
    } const rows[] = {{"one", ""}, {"two", ".2"}, {"three", ".3"}, {"two", nullptr}, {"installed", nullptr}};
    for (auto const& row : rows) {
        writeWholeFile(copy, row.text);
        keepChangedCopyFile(copy.c_str());
        if (row.keptAs) EXPECT_EQ(readWholeFile(kept + row.keptAs), row.text) << row.text;
    }
    EXPECT_FALSE(pathExists(kept + ".4"));
    // Where an edit cannot be kept (no room: here no folder for it), it is neither replaced
    // nor removed, and the run reads the installed file in its place.
    std::filesystem::remove_all(data.file("Resources.edited"));
    writeWholeFile(data.file("Resources.edited"), "in the way");
    writeWholeFile(copy, "edited");
    EXPECT_FALSE(keepChangedCopyFile(copy.c_str()));
    renewCopyFile(copy.c_str(), "fails to load");
    EXPECT_EQ(readWholeFile(copy), "edited");
    EXPECT_FALSE(resourceCopyGivenUp.empty()) << "the installed file is read in its place";
    resourceCopyGivenUp = "";
    installDir = savedInstall;
}

} // namespace
