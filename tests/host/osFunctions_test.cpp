#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "host/fakeHostServices.h"
#include "host/linuxHostServices.h"
#include "host/osFunctions.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "support/traceCapture.h"
#include "testSupport.h"
#include "variables/configDialogVars.h"
#include "variables/variableBasics.h"

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
    struct Case {
        char const* own;
        char const* xdg;
        char const* folder;
    } cases[] = {{"/own/data", "/xdg", "/own/data/"},
                 {nullptr, "/xdg/", "/xdg/velmora/"},
                 {"", "", "/home/fish/.local/share/velmora/"},
                 {nullptr, nullptr, "/home/fish/.local/share/velmora/"}};
    for (auto const& c : cases) {
        ScopedEnv own("VELMORA_DATA_DIR", c.own);
        ScopedEnv xdg("XDG_DATA_HOME", c.xdg);
        EXPECT_EQ(OS::defaultAppDataDir(), c.folder);
    }
}

TEST(OsFolders, InstallFolderNeedsDefaults) {
    TempDir with, without;
    writeWholeFile(with.file("defaults.txt"), "");
    Cstring savedInstall = installDir;
    CfakeHostServices fake;
    fake.installFolders = {without.path().c_str(), with.path().c_str()};
    Cstring folder("something");
    EXPECT_EQ(OS::getInstallDir(folder), 0);
    EXPECT_EQ(folder, with.path().c_str());
    EXPECT_EQ(installDir, with.path().c_str());
    fake.installFolders = {without.path().c_str()};
    EXPECT_EQ(OS::getInstallDir(folder), 1);
    EXPECT_EQ(folder, "");
    installDir = savedInstall;
}

TEST(OsMessages, TokensAndButtons) {
    CfakeHostServices fake;
    skipNSAlert = 0;
    struct Case {
        char const* message;
        char const* title;
        int button; // index the user picks
        char const* shown;
        int result;
    } cases[] = {
        {"Hello|World", nullptr, 0, "message Hello / World [Ok]", 1},
        {"Alone", nullptr, 0, "message Alone /  [Ok]", 1},
        {"Q|Info|Yes|No", nullptr, 0, "message Q / Info [Yes|No]", 1},
        {"Q|Info|Yes|No", nullptr, 1, "message Q / Info [Yes|No]", 0},
        {"a|b|1|2|3|4", "Title", 2, "message Title / a [1|2|3|4]", -1},
        {"a|b|1|2|3|4", "Title", 3, "message Title / a [1|2|3|4]", -2},
        {"a|b|1|2|3|4|5", nullptr, 3, "message a / b [1|2|3|4]", -2},   // four buttons at most
        {"Q|Info|Yes|No", nullptr, -1, "message Q / Info [Yes|No]", 0}, // closed
        {"Q|Info|Yes|No", nullptr, 5, "message Q / Info [Yes|No]", 0},  // not a button
        {"", nullptr, 0, "message  /  [Ok]", 1},
    };
    for (auto const& c : cases) {
        fake.calls.clear();
        fake.answers = {c.button};
        EXPECT_EQ(OS::ShowMessage(c.message, c.title, 0), c.result) << c.message << " " << c.button;
        ASSERT_EQ(fake.calls.size(), 1u);
        EXPECT_EQ(fake.calls[0], c.shown);
        EXPECT_EQ(alertIsBeingShown, 0);
    }
    EXPECT_EQ(OS::ShowMessage(nullptr, nullptr, 0), 1); // no text: one "Ok"
    skipNSAlert = 1;
    fake.calls.clear();
    EXPECT_EQ(OS::ShowMessage("hello", nullptr, 0), 1000);
    EXPECT_TRUE(fake.calls.empty());
}

TEST(OsMessages, ProgressFlags) {
    CfakeHostServices fake;
    alertIsBeingShown = 0;
    OS::closeProgress(); // closing a closed pane still clears the flag
    EXPECT_EQ(alertIsBeingShown, 0);
    OS::openProgress("Loading");
    EXPECT_EQ(alertIsBeingShown, 1);
    OS::openProgress("again");
    EXPECT_EQ(alertIsBeingShown, 1);
    OS::closeProgress();
    EXPECT_EQ(alertIsBeingShown, 0);
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
    CfakeHostServices fake; // a platform that cannot open it
    EXPECT_EQ(openMasterOut(), 1);
}

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
    ScopedEnv tz("TZ", "UTC");
    tzset();
    fake.clock = 1136779260;
    EXPECT_STREQ(OS::getDateTime(), "Mon Jan  9 04:01:00 2006\n");
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
    Cstring a = OS::makeRandomMachineID(), b = OS::makeRandomMachineID();
    EXPECT_EQ(a.size(), 24);
    EXPECT_EQ(a.substr(0, 2), "m_");
    EXPECT_NE(a, b);
}

TEST(OsSystem, VersionLanguageAndCountry) {
    CfakeHostServices fake;
    fake.versionText = "Darwin 10.9.5";
    EXPECT_FLOAT_EQ(OS::getOsVersion(), 10.9f);
    EXPECT_EQ(osID, "10.9.5");
    fake.versionText = "";
    EXPECT_EQ(OS::getOsVersion(), 0.0f);
    EXPECT_EQ(osID, "");

    auto known = [](Cstring const& code) { return code == "de" || code == "fr" ? 1 : -1; };
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
        EXPECT_EQ(OS::getSystemLanguage(known), c.language);
        EXPECT_EQ(OS::getCountry(true), c.country);
        EXPECT_EQ(OS::getCountry(false), c.countryName);
    }
}

TEST(OsSystem, LinuxReportsItself) {
    ClinuxHostServices linux;
    EXPECT_EQ(linux.systemVersionText().substr(0, 6), "Linux ");
    EXPECT_GT(linux.now(), 1136779260);
    ScopedEnv all("LC_ALL", "sv_SE.UTF-8");
    ScopedEnv lang("LANG", "nl_NL");
    ASSERT_EQ(linux.preferredLocales().size(), 2u);
    EXPECT_EQ(linux.preferredLocales()[0], "sv_SE.UTF-8");
}

class ResourceCopy : public ::testing::Test {
  protected:
    void SetUp() override {
        savedInstall = installDir;
        installDir = install.path().c_str();
        std::filesystem::create_directories(install.file("global/arrays"));
        std::filesystem::create_directories(install.file("species/nemo"));
        std::filesystem::create_directories(install.file("tanks"));
        writeWholeFile(install.file("species/nemo/fish.txt"), "fins");
        writeWholeFile(data.file("Resources/stale.txt"), "");
    }
    void TearDown() override {
        installDir = savedInstall;
        modules = "";
    }
    TempDir install;
    ScopedDataFolder data;
    Cstring savedInstall;
    TraceCapture trace{1};
};

TEST_F(ResourceCopy, ReplacesTheDataFoldersResources) {
    std::filesystem::create_directories(data.file("Resources"));
    writeWholeFile(data.file("Resources/stale.txt"), "old");
    writeWholeFile(install.file("global/arrays/noise50.chan"), "noise");
    modules = "abcdefghijklmnop";
    countdownToSendExtraHttpString = 0;
    OS::copyResourcesFromInstall();
    EXPECT_EQ(readWholeFile(data.file("Resources/species/nemo/fish.txt")), "fins");
    EXPECT_EQ(readWholeFile(data.file("Resources/global/arrays/noise50.chan")), "noise");
    EXPECT_FALSE(pathExists(data.file("Resources/stale.txt")));
    EXPECT_TRUE(exitReasonList.empty());
    EXPECT_EQ(modules, "");
    EXPECT_EQ(countdownToSendExtraHttpString, 1);
}

TEST_F(ResourceCopy, MissingNoiseTableIsAnErrorExit) {
    OS::copyResourcesFromInstall();
    ASSERT_FALSE(exitReasonList.empty());
    EXPECT_EQ(exitReasonList[0], "couldn't locate resources!");
    EXPECT_EQ(erroredExit, 1);
}

TEST_F(ResourceCopy, ShortFoldersCopyNothing) {
    std::filesystem::create_directories(data.file("Resources"));
    writeWholeFile(data.file("Resources/stale.txt"), "old");
    installDir = "/tmp/";
    OS::copyResourcesFromInstall();
    EXPECT_EQ(readWholeFile(data.file("Resources/stale.txt")), "old");
    EXPECT_TRUE(exitReasonList.empty());
    // A data folder that is not an absolute path is never touched, however long.
    installDir = install.path().c_str();
    Cstring saved = appDataDir;
    appDataDir = "relative/data/folder/";
    OS::copyResourcesFromInstall();
    appDataDir = saved;
    EXPECT_FALSE(pathExists("relative"));
    EXPECT_TRUE(exitReasonList.empty());
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
    ASSERT_EQ(OS::storeRegistryStuff(), 0);
    maxFishPerTank = 1;
    OS::readRegistryVarsInto(&root);
    EXPECT_EQ(maxFishPerTank, 33);
    EXPECT_FALSE(root.doSave());

    writeWholeFile(data.file("registry.txt"), ":delete noSuchKey 1\n");
    OS::readRegistryVarsInto(&root);
    EXPECT_EQ(erroredExit, 1);
    EXPECT_NE(std::string(exitMsg.c_str()).find("couldn't read registries"), std::string::npos) << exitMsg;
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
}

} // namespace
