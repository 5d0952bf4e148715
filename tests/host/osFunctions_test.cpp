#include <gtest/gtest.h>

#include <cstdlib>

#include "host/osFunctions.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "testSupport.h"

namespace {

TEST(OsRand, SequenceFollowsTheSeed) {
    OS::_srand(0);
    for (int expected : {4412, 29492, 6008})
        EXPECT_EQ(OS::_rand(), expected);
    OS::_srand(7);
    int a = OS::_rand();
    OS::_srand(7);
    EXPECT_EQ(OS::_rand(), a);
    for (int i = 0; i < 1000; i++) {
        int r = OS::_rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 32766);
    }
}

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

TEST(OsFolders, InstallFolderNeedsDefaults) {
    TempDir dir;
    Cstring savedInstall = installDir;
    Cstring folder("something");
    {
        ScopedEnv own("VELMORA_INSTALL_DIR", dir.path().c_str());
        writeWholeFile(dir.file("defaults.txt"), "");
        EXPECT_EQ(OS::getInstallDir(folder), 0);
        EXPECT_EQ(folder, dir.path().c_str());
        EXPECT_EQ(installDir, dir.path().c_str());
    }
    installDir = savedInstall;
}

TEST(OsMessages, ScriptedAnswersComeInOrderSkippedOnesAnswer1000) {
    skipNSAlert = 0;
    OS::scriptMessageAnswers({1, 0, -1});
    EXPECT_EQ(OS::ShowMessage("Report?||Yes|No|Later", nullptr, 0), 1);
    EXPECT_EQ(OS::ShowMessage("Report?||Yes|No|Later", "Title", 0), 0);
    EXPECT_EQ(OS::ShowMessage("x", nullptr, 0), -1);
    EXPECT_EQ(OS::ShowMessage("x", nullptr, 0), OS::defaultMessageAnswer);
    EXPECT_EQ(OS::ShowMessage(nullptr, nullptr, 0), OS::defaultMessageAnswer);
    EXPECT_EQ(alertIsBeingShown, 0);
    skipNSAlert = 1;
    EXPECT_EQ(OS::ShowMessage("hello", nullptr, 0), 1000);
}

TEST(OsMessages, MasterLogOpensInDataFolder) {
    ScopedDataFolder data;
    masterOut.close();
    EXPECT_EQ(openMasterOut(), 0);
    EXPECT_EQ(openMasterOut(), 0);
    masterOut << "line" << std::endl;
    masterOut.close();
    std::string text = readWholeFile(data.file("masterout.txt"));
    EXPECT_EQ(text.rfind("masterout:", 0), 0u);
    EXPECT_NE(text.find("line"), std::string::npos);
}

} // namespace
