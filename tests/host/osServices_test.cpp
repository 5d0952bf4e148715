// The OS services over the host object: folders, messages, dates, the system and resources.
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
    char const* zone = std::getenv("TZ");
    std::string savedZone = zone ? zone : "";
    setenv("TZ", "UTC", 1);
    tzset();
    fake.clock = 1136779260;
    EXPECT_STREQ(OS::getDateTime(), "Mon Jan  9 04:01:00 2006\n");
    zone ? setenv("TZ", savedZone.c_str(), 1) : unsetenv("TZ");
    tzset();
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

TEST(OsSystem, VersionLanguageAndCountry) {
    CfakeHostServices fake;
    fake.versionText = "Kernel 10.9.5";
    EXPECT_FLOAT_EQ(OS::getOsVersion(), 10.9f);
    EXPECT_EQ(osID, "10.9.5");
    fake.versionText = "";
    EXPECT_EQ(OS::getOsVersion(), 0.0f);
    EXPECT_EQ(osID, "");

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

// The copy into temporary folders: a good install, one that lacks the noise table, and
// data folders too short or not absolute, which are never touched.
TEST(OsResources, CopyFromInstall) {
    TempDir install;
    ScopedDataFolder data;
    TraceCapture trace(1);
    Cstring savedInstall = installDir, savedData = appDataDir;
    std::filesystem::create_directories(install.file("global/arrays"));
    std::filesystem::create_directories(install.file("species/nemo"));
    writeWholeFile(install.file("species/nemo/fish.txt"), "fins");
    struct Case {
        char const* what;
        bool noise;
        char const* installFolder; // null: the temporary one
        char const* dataFolder;
        bool copied;
        char const* reason;
    } cases[] = {
        {"lacks the noise table", false, nullptr, nullptr, true, "couldn't locate resources!"},
        {"good", true, nullptr, nullptr, true, ""},
        {"short install folder", true, "/tmp/", nullptr, false, ""},
        {"relative data folder", true, nullptr, "relative/data/folder/", false, ""},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(data.file("Resources"));
        std::filesystem::create_directories(data.file("Resources"));
        writeWholeFile(data.file("Resources/stale.txt"), "old");
        if (c.noise) writeWholeFile(install.file("global/arrays/noise50.chan"), "noise");
        installDir = c.installFolder ? Cstring(c.installFolder) : Cstring(install.path().c_str());
        appDataDir = c.dataFolder ? Cstring(c.dataFolder) : savedData;
        modules = "abcdefghijklmnop";
        OS::copyResourcesFromInstall();
        appDataDir = savedData;
        EXPECT_EQ(pathExists(data.file("Resources/stale.txt")), !c.copied);
        EXPECT_EQ(pathExists(data.file("Resources/species/nemo/fish.txt")), c.copied);
        EXPECT_EQ(modules, c.copied ? "" : "abcdefghijklmnop");
        EXPECT_EQ(exitReasonList.empty() ? "" : exitReasonList[0].c_str(), std::string(c.reason));
        EXPECT_FALSE(pathExists("relative"));
        resetExitState();
    }
    installDir = savedInstall;
    modules = "";
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
