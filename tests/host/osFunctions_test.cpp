// Folders: where the data folder is, and the copy of the installed resource tree.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "host/osFunctions.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "testSupport.h"

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

TEST(OsFolders, DataFolderRules) {
    ScopedEnv home("HOME", "/home/fish");
    struct Case {
        char const *own, *xdg, *folder;
    } const cases[] = {{"/own/data", "/xdg", "/own/data/"},
                       {nullptr, "/xdg/", "/xdg/velmora/"},
                       {nullptr, nullptr, "/home/fish/.local/share/velmora/"}};
    for (auto const& c : cases) {
        ScopedEnv own("VELMORA_DATA_DIR", c.own), xdg("XDG_DATA_HOME", c.xdg);
        EXPECT_EQ(OS::defaultAppDataDir(), c.folder);
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
    OS::copyResourcesFromInstall();
    EXPECT_EQ(copied("resources.stamp"), "one\n");
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

} // namespace
