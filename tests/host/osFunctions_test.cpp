#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "host/osFunctions.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "testSupport.h"

namespace {

// Restores one environment variable when it goes.
class ScopedEnv {
  public:
    ScopedEnv(char const* n, char const* value) : name(n) {
        char const* old = std::getenv(n);
        had = old != nullptr;
        if (old) saved = old;
        if (value)
            setenv(n, value, 1);
        else
            unsetenv(n);
    }
    ~ScopedEnv() {
        if (had)
            setenv(name, saved.c_str(), 1);
        else
            unsetenv(name);
    }

  private:
    char const* name;
    std::string saved;
    bool had = false;
};

TEST(OsFolders, DataFolderRules) {
    ScopedEnv home("HOME", "/home/fish");
    {
        ScopedEnv own("VELMORA_DATA_DIR", "/own/data");
        ScopedEnv xdg("XDG_DATA_HOME", "/xdg");
        EXPECT_EQ(OS::defaultAppDataDir(), "/own/data/");
    }
    {
        ScopedEnv own("VELMORA_DATA_DIR", nullptr);
        ScopedEnv xdg("XDG_DATA_HOME", "/xdg/");
        EXPECT_EQ(OS::defaultAppDataDir(), "/xdg/velmora/");
    }
    {
        ScopedEnv own("VELMORA_DATA_DIR", nullptr);
        ScopedEnv xdg("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(OS::defaultAppDataDir(), "/home/fish/.local/share/velmora/");
    }
}

} // namespace

namespace {

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

    // Without a stamp there is nothing to compare; without known folders nothing is done.
    std::filesystem::remove(install.file("resources.stamp"));
    EXPECT_FALSE(OS::installedResourcesChanged());
    stampInstalled("three\n");
    appDataDir = "/short/";
    EXPECT_FALSE(OS::installedResourcesChanged());
    EXPECT_TRUE(exitReasonList.empty());
    installDir = savedInstall;
    appDataDir = savedData;
}

} // namespace
