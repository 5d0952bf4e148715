// The OS services over the host object (dates, the system, the registry, folders and the
// copy of the installed resource tree) and the Linux host services themselves.
#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <new>
#include <pwd.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <utility>
#include <vector>
#include <gtest/gtest.h>

#include "host/crashRecord.h"
#include "host/fakeHostServices.h"
#include "host/linuxHostServices.h"
#include "host/osFunctions.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "support/resourceCopy.h"
#include "support/traceCapture.h"
#include "testSupport.h"
#include "variables/configDialogVars.h"
#include "variables/variableBasics.h"

namespace {

// Sets (or with null unsets) one environment variable and restores it when it goes.
class ScopedEnv {
  public:
    ScopedEnv(char const* n, char const* value) : name(n), had(std::getenv(n) != nullptr) {
        if (had) saved = std::getenv(n);
        value ? setenv(n, value, 1) : unsetenv(n);
    }
    ~ScopedEnv() { had ? setenv(name, saved.c_str(), 1) : unsetenv(name); }

  private:
    char const* name;
    bool had;
    std::string saved;
};

TEST(OsDates, BoundaryTimes) {
    CfakeHostServices fake;
    struct Case {
        int64_t now;
        int dateNumber, second, hour;
    } cases[] = {
        {1136779260, -2, 0, 0},
        {1136779260 + 7199, -2, 7199, 1},
        {1136779260 + 7200, -2, 7200, 2},
        {1137000000 + 86399, 0, 307139, 85},
        {1137000000 + 86400, 1, 307140, 85},
        {1137000000 - 1, 0, 220739, 61}, // truncated toward zero
        {1136779260 - 3601, -2, -3601, -1},
        {1136779260 + 4294967296LL, 49707, 0, 0}, // the seconds wrap in 32 bits
    };
    for (auto const& c : cases) {
        fake.clock = c.now;
        EXPECT_EQ(OS::getCurrentDateNumber(), c.dateNumber) << c.now;
        EXPECT_EQ(OS::getDateSecond(), c.second) << c.now;
        EXPECT_EQ(OS::getDateHour(), c.hour) << c.now;
    }
}

TEST(OsSystem, MachineIdFromThePlatformIdentifier) {
    TempDir dir;
    writeWholeFile(dir.file("machine-id"), "0123456789abcdef0123456789ABCDEF\n");
    writeWholeFile(dir.file("blank"), "  \n");
    EXPECT_EQ(readMachineIdFile(dir.file("machine-id").c_str()), "0123456789abcdef0123456789ABCDEF");
    EXPECT_EQ(readMachineIdFile(dir.file("blank").c_str()), "");
    EXPECT_EQ(readMachineIdFile(dir.file("missing").c_str()), "");

    CfakeHostServices fake;
    fake.platformIdText = readMachineIdFile(dir.file("machine-id").c_str());
    Cstring id = OS::buildMachineID();
    EXPECT_EQ(id.size(), 24);
    EXPECT_EQ(id.substr(0, 2), "m_");
    // The usual hyphenated form gives the same identifier.
    fake.platformIdText = "01234567-89ab-cdef-0123-456789ABCDEF";
    EXPECT_EQ(OS::buildMachineID(), id);
    fake.platformIdText = "11234567-89ab-cdef-0123-456789ABCDEF";
    EXPECT_NE(OS::buildMachineID(), id);
    for (char const* bad :
         {"", "0123", "0123456789abcdef0123456789abcdeg", "0123456789abcdef0123456789abcdef00"}) {
        fake.platformIdText = bad;
        EXPECT_EQ(OS::buildMachineID(), "") << bad;
    }
    EXPECT_NE(OS::makeRandomMachineID(), OS::makeRandomMachineID());
}

TEST(OsSystem, LanguageAndCountry) {
    CfakeHostServices fake;
    struct Case {
        std::vector<Cstring> locales;
        char const *language, *country, *countryName;
    } cases[] = {
        {{"xx_YY.UTF-8", "de_AT.UTF-8"}, "de", "YY", "YY"},
        {{"fr_FR.UTF-8@euro"}, "fr", "FR", "France"},
        {{"C"}, "en", "US", "United States"},
        {{}, "en", "US", "United States"},
        {{"de"}, "de", "US", "United States"},
    };
    for (auto const& c : cases) {
        fake.locales = c.locales;
        EXPECT_EQ(OS::getSystemLanguage(), c.language);
        EXPECT_EQ(OS::getCountry(true), c.country);
        EXPECT_EQ(OS::getCountry(false), c.countryName);
    }
}

TEST(OsRegistry, ReadStoreAndComponentsRecord) {
    ScopedDataFolder data;
    TraceCapture trace(1);
    CregistryHolderVar root;
    root.setName("globals");
    globalVariablesDir = &root;
    createRegistryAndRegisterVars(&root);
    CintVar* version = static_cast<CintVar*>(root.addVariableX("rscVer", CLASS_INT, 0));

    OS::readRegistryVarsInto(&root); // a first run has no file: nothing read, no error
    EXPECT_TRUE(exitReasonList.empty());
    maxFishPerTank = 33;
    activeTimes = "9 to 5 \"weekdays\" { $x }";
    languageNum = -3;
    ASSERT_EQ(OS::storeRegistryStuff(), 0);
    maxFishPerTank = 1;
    activeTimes = "";
    languageNum = 0;
    OS::readRegistryVarsInto(&root);
    EXPECT_TRUE(exitReasonList.empty()) << readWholeFile(data.file("registry.txt"));
    EXPECT_EQ(maxFishPerTank, 33);
    EXPECT_STREQ(activeTimes.c_str(), "9 to 5 \"weekdays\" { $x }");
    EXPECT_EQ(languageNum, -3);
    EXPECT_FALSE(root.doSave());

    // A damaged registry is set aside, nothing of it lost, and the run goes on with the
    // options as they were; the next store writes a good file.
    std::string bytes;
    for (int i = 0; i < 5000; i++)
        bytes += static_cast<char>((i * 7919 + 13) % 251);
    for (std::string const& damaged : {std::string(":delete noSuchKey 1\n"),
                                       std::string(":float stray 1\n:delete noSuchKey 1\n"), bytes}) {
        writeWholeFile(data.file("registry.txt"), damaged);
        OS::readRegistryVarsInto(&root);
        EXPECT_EQ(root.getChild("stray"), nullptr) << "what the set-aside file made is gone";
        EXPECT_TRUE(exitReasonList.empty()) << exitMsg.c_str();
        EXPECT_EQ(exitSaver, 0);
        EXPECT_EQ(readWholeFile(data.file("registry.txt.damaged")), damaged);
        EXPECT_FALSE(pathExists(data.file("registry.txt")));
        EXPECT_EQ(maxFishPerTank, 33);
        EXPECT_EQ(scriptError, 0);
        ASSERT_EQ(OS::storeRegistryStuff(), 0);
        maxFishPerTank = 2;
        OS::readRegistryVarsInto(&root);
        EXPECT_EQ(maxFishPerTank, 33) << "the registry stored after the damage reads back";
        std::filesystem::remove(data.file("registry.txt.damaged"));
    }
    resetExitState();

    // The components record is written only while modules are listed, and reads back.
    std::filesystem::create_directories(data.file("Resources"));
    OS::writeInstalledComponentsStatus();
    EXPECT_FALSE(pathExists(data.file("Resources/downloadedComponents.txt")));
    modules = "abcdefghijklmnop";
    moduleUpdateDate = 4321;
    version->value = 12960018;
    OS::writeInstalledComponentsStatus();
    modules = "";
    moduleUpdateDate = 0;
    version->value = 0;
    EXPECT_EQ(OS::loadDownloadedComponents(), 0);
    EXPECT_EQ(modules, "abcdefghijklmnop");
    EXPECT_EQ(moduleUpdateDate, 4321);
    EXPECT_EQ(version->value, 12960018);
    modules = "";
    globalVariablesDir = nullptr;
    setRegistrySettingsToDefaults();
}

TEST(LinuxHost, ShellCommandExpandsKeywordsAndGivesTheStatus) {
    ScopedDataFolder data;
    EXPECT_EQ(OS::shellCommand("echo made > [APD]out.txt"), 0);
    EXPECT_EQ(readWholeFile(data.file("out.txt")), "made\n");
    EXPECT_EQ(hostServices().shellCommand("exit 3"), 3);
}

// A fault of the process says in the run marker, as it dies, what it was and which file of
// the data folder was being read: the program's own code, a library's, memory run out, a
// signal another process sent. A kill says nothing.
TEST(CrashRecord, AFaultSaysWhatItWasInTheRunMarker) {
    TempDir folder;
    std::string marker = folder.file("isRunning.txt");
    enum How { OWN_CODE, LIBRARY, SENT, KILLED, OUT_OF_MEMORY, NO_MEMORY_FOR_A_LOAD };
    struct {
        How how;
        char const* reading;
        char const* line;
        char const* running = nullptr; // the data folder's file whose line runs
    } const rows[] = {
        {OWN_CODE, "settings.txt", ":s fault 11 own settings.txt\n"},
        {OWN_CODE, "", ":s fault 11 own\n"},
        {OWN_CODE, "", ":s fault 11 own customVars.txt\n", "customVars.txt"},
        {OWN_CODE, "registry.txt", ":s fault 11 own registry.txt\n", "customVars.txt"},
        {LIBRARY, "registry.txt", ":s fault 11 library registry.txt\n"},
        {SENT, "settings.txt", ":s fault 11 sent settings.txt\n"},
        {KILLED, "settings.txt", ""},
        {OUT_OF_MEMORY, "", ":s fault 6 memory\n"},
        // An allocation that may fail (a picture's pixels) fails: the error it ends in says so.
        {NO_MEMORY_FOR_A_LOAD, "", "memory ran out while x.image was loaded\n:s fault 6 memory\n"},
    };
    for (auto const& row : rows) {
        SCOPED_TRACE(row.how);
#if defined(__SANITIZE_ADDRESS__)
        // The sanitizer's allocator ends the process itself.
        if (row.how == OUT_OF_MEMORY || row.how == NO_MEMORY_FOR_A_LOAD) continue;
#endif
        writeWholeFile(marker, ":s pn loadSettings\n");
        int ready[2];
        ASSERT_EQ(pipe(ready), 0);
        pid_t child = fork();
        if (child == 0) {
            installCrashRecord();
            std::strcpy(faultNote.marker, marker.c_str());
            std::strcpy(faultNote.reading, row.reading);
            if (row.running) {
                CscriptSource source;
                source.own = row.running;
                scriptSources.push_back(source);
                runningScriptSource = int(scriptSources.size()) - 1;
            }
            // Not the null pointer, which a sanitizer checks for itself and reports instead.
            if (row.how == OWN_CODE) *reinterpret_cast<int volatile*>(uintptr_t(16)) = 1;
            if (row.how == LIBRARY) {
                size_t (*volatile length)(char const*) = std::strlen;
                length(nullptr);
            }
            if (row.how == OUT_OF_MEMORY) {
                rlimit limit = {size_t(1) << 30, size_t(1) << 30};
                setrlimit(RLIMIT_AS, &limit);
                // Out of the test framework's reach: what cannot be had ends the process.
                [&]() noexcept { std::vector<char> huge(size_t(1) << 32); }();
            }
            if (row.how == NO_MEMORY_FOR_A_LOAD) {
                noteResourceRead("x.image");
                rlimit limit = {size_t(1) << 30, size_t(1) << 30};
                setrlimit(RLIMIT_AS, &limit);
                char* pixels = new (std::nothrow) char[size_t(1) << 32];
                std::ofstream(marker, std::ios::app) << failureCause().c_str() << "\n";
                if (pixels == nullptr) std::abort();
            }
            if (write(ready[1], "r", 1) == 1) pause();
            _exit(0);
        }
        char r = 0;
        if (row.how == SENT || row.how == KILLED) {
            ASSERT_EQ(read(ready[0], &r, 1), 1);
            kill(child, row.how == SENT ? SIGSEGV : SIGKILL);
        }
        int status = 0;
        waitpid(child, &status, 0);
        close(ready[0]);
        close(ready[1]);
        EXPECT_FALSE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the fault took its course";
        EXPECT_EQ(readWholeFile(marker), std::string(":s pn loadSettings\n") + row.line);
    }
}

// A process in a PID namespace of its own (number 1 there, with a /proc of its own, as
// "unshare --pid --fork --mount-proc" makes it) that holds folder open by another path, as a
// container sees it (bound at seenAs in its own mount namespace): it names itself and judges
// another identity, then waits until go is closed.
struct CinnerProcess {
    pid_t pid = -1;       // the process that made the namespace
    int go = -1;          // closed: the process inside ends
    std::string identity; // as it names itself; "" when no namespace could be made
    int judged = -2;      // how it judged the identity it was given
};

CinnerProcess startInnerProcess(ClinuxHostServices& host, std::string const& judged, char const* folder,
                                char const* seenAs) {
    CinnerProcess inner;
    int told[2], go[2];
    if (pipe(told) != 0 || pipe(go) != 0) return inner;
    inner.pid = fork();
    if (inner.pid == 0) {
        close(told[0]);
        close(go[1]);
        if (unshare(CLONE_NEWPID | CLONE_NEWNS) != 0) _exit(1);
        pid_t first = fork();
        if (first == 0) {
            host.unlockDataFolder(); // what this process holds is not handed down
            if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
                mount("proc", "/proc", "proc", MS_NOSUID | MS_NODEV | MS_NOEXEC, nullptr) != 0 ||
                mount(folder, seenAs, nullptr, MS_BIND, nullptr) != 0 ||
                open(seenAs, O_RDONLY | O_DIRECTORY) < 0)
                _exit(1);
            std::string line = std::string(host.processIdentity().c_str()) + "\n" +
                               std::to_string(host.processRuns(judged.c_str(), seenAs)) + "\n";
            bool said = write(told[1], line.data(), line.size()) == ssize_t(line.size());
            char end = 0;
            while (read(go[0], &end, 1) > 0) {
            }
            _exit(said ? 0 : 1);
        }
        close(told[1]);
        close(go[0]);
        int status = 0;
        _exit(first > 0 && waitpid(first, &status, 0) == first && WIFEXITED(status) ? WEXITSTATUS(status)
                                                                                    : 1);
    }
    close(told[1]);
    close(go[0]);
    inner.go = go[1];
    std::string said;
    char buffer[256];
    for (ssize_t n;
         std::count(said.begin(), said.end(), '\n') < 2 && (n = read(told[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, size_t(n));
    close(told[0]);
    if (std::count(said.begin(), said.end(), '\n') == 2) {
        inner.identity = said.substr(0, said.find('\n'));
        inner.judged = std::atoi(said.c_str() + said.find('\n') + 1);
    }
    return inner;
}

// Whether a marker's process is a run of the folder that goes on: alive and holding the folder
// (as a run holds it for its life, locked or not); a process holding no such folder, one that
// has ended, or one of another machine (unknown) is none. A run of another PID namespace is
// judged by what this process sees of it: a process inside sees nothing outside, and takes a
// run there to go on.
TEST(LinuxHost, AProcessIsARunOfTheFolderOnlyWhileItHoldsIt) {
    TempDir folder, other;
    ClinuxHostServices host;
    Cstring me = host.processIdentity();
    ASSERT_FALSE(me.empty());
    std::string boot = readWholeFile("/proc/sys/kernel/random/boot_id");
    std::string mine = me.c_str();
    size_t bootAt = mine.find(' ', mine.find(' ') + 1) + 1, bootEnd = mine.find(' ', bootAt);
    std::string elsewhere = mine.substr(0, bootAt) + "0b1a5d2e-5eed-4000-8000-000000000042" +
                            (bootEnd == std::string::npos ? "" : mine.substr(bootEnd));
    pid_t gone = fork();
    if (gone == 0) _exit(0);
    waitpid(gone, nullptr, 0);
    std::string ended = std::to_string(gone) + mine.substr(mine.find(' '));
    // This process's number, as a process started at another time had it.
    size_t started = mine.find(' ') + 1, startEnd = mine.find(' ', started);
    std::string reused = mine.substr(0, started) +
                         std::to_string(std::stoull(mine.substr(started, startEnd - started)) + 1) +
                         mine.substr(startEnd);
    ASSERT_EQ(host.lockDataFolder(folder.path().c_str()), 0);
    TempDir seenAs;
    CinnerProcess inner = startInnerProcess(host, mine, folder.path().c_str(), seenAs.path().c_str());
    struct Row {
        std::string identity;
        std::string folder;
        int runs;
    };
    std::vector<Row> rows = {
        {mine, folder.path(), 1},    {mine, other.path(), 0},    {elsewhere, folder.path(), -1},
        {ended, folder.path(), 0},   {reused, folder.path(), 0}, {"", folder.path(), -1},
        {"12 x", folder.path(), -1},
    };
    if (inner.identity.empty())
        NAMESPACES_REFUSED()
            << "no PID namespace could be made (it needs root): a process of another is not tried";
    else {
        EXPECT_EQ(inner.identity.substr(0, 2), "1 ");
        EXPECT_EQ(inner.judged, 1) << "a process inside cannot see this one, and takes it to run";
        rows.push_back({inner.identity, folder.path(), 1});
        rows.push_back({inner.identity, other.path(), 0});
        rows.push_back({inner.identity, seenAs.path(), 0}); // here another folder
    }
    for (auto const& row : rows)
        EXPECT_EQ(host.processRuns(row.identity.c_str(), row.folder.c_str()), row.runs) << row.identity;
    if (inner.go >= 0) close(inner.go);
    if (inner.pid > 0) waitpid(inner.pid, nullptr, 0);
    // Its namespace is gone with it; the machine's first namespace, which sees every process,
    // knows it is gone.
    struct stat space {};
    if (!inner.identity.empty() && stat("/proc/self/ns/pid", &space) == 0 && space.st_ino == 0xEFFFFFFCu)
        EXPECT_EQ(host.processRuns(inner.identity.c_str(), folder.path().c_str()), 0) << "it has ended";
    host.unlockDataFolder();
    EXPECT_EQ(host.processRuns(me, folder.path().c_str()), 0) << "the folder let go";
}

TEST(OsFolders, DataFolderRules) {
    // The password database's home for this user; never a shared folder such as /tmp.
    passwd const* me = getpwuid(geteuid());
    ASSERT_NE(me, nullptr);
    std::string entry = std::string(me->pw_dir) + "/.local/share/velmora/";
    std::string cwd = std::filesystem::current_path().string() + "/";
    std::string above = std::filesystem::current_path().parent_path().string() + "/";
    struct Case {
        char const *own, *xdg, *home;
        std::string folder;
    } const cases[] = {{"/own/data", "/xdg", "/home/fish", "/own/data/"},
                       {nullptr, "/xdg/", "/home/fish", "/xdg/velmora/"},
                       {nullptr, nullptr, "/home/fish", "/home/fish/.local/share/velmora/"},
                       {nullptr, "relative/xdg", "/home/fish", "/home/fish/.local/share/velmora/"},
                       {nullptr, "", "/home/fish", "/home/fish/.local/share/velmora/"},
                       {"own/data", "/xdg", "/home/fish", cwd + "own/data/"},
                       {"../a/./x/../vd", nullptr, nullptr, above + "a/vd/"}, // resolved, no a/x made
                       {nullptr, nullptr, nullptr, entry},
                       {nullptr, "xdg", "relative/home", entry}};
    for (auto const& c : cases) {
        ScopedEnv own("VELMORA_DATA_DIR", c.own), xdg("XDG_DATA_HOME", c.xdg), home("HOME", c.home);
        EXPECT_EQ(std::string(OS::defaultAppDataDir().c_str()), c.folder)
            << (c.own ? c.own : "-") << " " << (c.xdg ? c.xdg : "-") << " " << (c.home ? c.home : "-");
    }
}

// The data folder's copy of the resource tree follows the installed tree's stamp: a copy
// from another build is replaced, a current one is kept, a tree without a stamp is trusted.
TEST(OsFolders, ResourceCopyFollowsTheInstalledStamp) {
    TempDir install, data;
    Cstring savedInstall = installDir, savedData = appDataDir;
    installDir = install.path().c_str();
    appDataDir = data.path().c_str();
    std::filesystem::create_directories(install.path() + "global/arrays");
    std::filesystem::create_directories(install.path() + "tanks/reef");
    std::filesystem::create_directories(install.path() + "species");
    writeWholeFile(install.file("global/arrays/noise50.chan"), "noise");
    auto stampInstalled = [&](char const* s) { writeWholeFile(install.file("resources.stamp"), s); };
    auto copied = [&](char const* f) {
        return readWholeFile(data.file((std::string("Resources/") + f).c_str()));
    };

    stampInstalled("one\n");
    EXPECT_TRUE(OS::installedResourcesChanged()) << "no copy yet";
    writeWholeFile(install.file("tanks/reef/reef.tank"), "first");
    writeWholeFile(install.file("downloadedComponents.txt"), ":set rscVer 1\n");
    OS::copyResourcesFromInstall();
    EXPECT_EQ(copied("resources.stamp"), "one\n");
    EXPECT_EQ(copied("downloadedComponents.txt"), ":set rscVer 1\n") << "the tree's version goes with it";
    std::filesystem::remove(data.file("Resources/downloadedComponents.txt"));
    EXPECT_TRUE(OS::installedResourcesChanged()) << "a copy made without the record";
    OS::copyResourcesFromInstall();
    EXPECT_EQ(copied("tanks/reef/reef.tank"), "first");
    EXPECT_FALSE(OS::installedResourcesChanged()) << "the copy is current";

    // A rebuilt tree: the copy is stale until it is made again.
    stampInstalled("two\n");
    writeWholeFile(install.file("tanks/reef/reef.tank"), "second");
    EXPECT_TRUE(OS::installedResourcesChanged());
    OS::copyResourcesFromInstall();
    EXPECT_EQ(copied("tanks/reef/reef.tank"), "second");
    EXPECT_FALSE(OS::installedResourcesChanged());

    // A copy that fails part way keeps no stamp, so the next start tries again.
    std::filesystem::remove_all(install.path() + "species");
    stampInstalled("2b\n");
    OS::copyResourcesFromInstall();
    EXPECT_TRUE(OS::installedResourcesChanged());
    std::filesystem::create_directories(install.path() + "species");

    // Without a stamp there is nothing to compare.
    std::filesystem::remove(install.file("resources.stamp"));
    EXPECT_FALSE(OS::installedResourcesChanged());
    EXPECT_TRUE(exitReasonList.empty());
    installDir = savedInstall;
    appDataDir = savedData;
}

// Folder names under 11 characters are never trusted with the copy's removal: nothing is
// copied, and when there is no copy from before the start stops, naming the folder.
TEST(OsFolders, FoldersTooShortForTheCopyAreNamed) {
    TempDir dir, install;
    std::filesystem::path savedCwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    Cstring savedInstall = installDir, savedData = appDataDir;
    std::filesystem::create_directories(install.path() + "global/arrays");
    writeWholeFile(install.file("global/arrays/noise50.chan"), "noise");
    struct {
        char const *install, *data;
        bool copyBefore;
        char const* named; // null: no exit
    } const cases[] = {
        {nullptr, "v/", false, "the data folder \"v/\" is too short to be used"},
        {nullptr, "v/", true, nullptr},
        {"/i/", nullptr, false, "the install folder \"/i/\" is too short to be used"},
    };
    for (auto const& c : cases) {
        resetExitState();
        installDir = c.install ? Cstring(c.install) : Cstring(install.path().c_str());
        appDataDir = c.data ? Cstring(c.data) : Cstring((dir.path() + "data/").c_str());
        std::string noise = std::string(appDataDir.c_str()) + "Resources/global/arrays/noise50.chan";
        std::filesystem::remove_all(std::string(appDataDir.c_str()) + "Resources");
        if (c.copyBefore) {
            std::filesystem::create_directories(std::filesystem::path(noise).parent_path());
            writeWholeFile(noise, "old copy");
        }
        OS::copyResourcesFromInstall();
        EXPECT_EQ(pathExists(noise), c.copyBefore) << "nothing is copied or removed";
        if (c.named == nullptr) {
            EXPECT_TRUE(exitReasonList.empty()) << exitMsg.c_str();
            EXPECT_EQ(readWholeFile(noise), "old copy");
        } else {
            EXPECT_EQ(erroredExit, 1);
            EXPECT_NE(std::string(exitMsg.c_str()).find(c.named), std::string::npos) << exitMsg.c_str();
        }
    }
    resetExitState();
    installDir = savedInstall;
    appDataDir = savedData;
    std::filesystem::current_path(savedCwd);
}

} // namespace

// Without a chooser to show, a file request is answered as cancelled at the next frame, once;
// a second request while one waits is refused.
TEST(LinuxHost, AFileRequestIsAnsweredAtTheNextFrame) {
    ClinuxHostServices host;
    static std::vector<std::pair<void*, bool>> answers; // context, path given
    answers.clear();
    auto done = [](void* context, char const* path) { answers.push_back({context, path != nullptr}); };
    int first = 1, second = 2;
    EXPECT_TRUE(host.beginFileRequest("/tmp", done, &first));
    EXPECT_FALSE(host.beginFileRequest("/tmp", done, &second));
    EXPECT_TRUE(answers.empty()) << "nothing before the frame";
    host.frameTick();
    host.frameTick();
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].first, &first);
    EXPECT_FALSE(answers[0].second);
    EXPECT_TRUE(host.beginFileRequest("/tmp", done, &second)) << "answered: the next may open";
    host.frameTick();
    EXPECT_EQ(answers.size(), 2u);
}
