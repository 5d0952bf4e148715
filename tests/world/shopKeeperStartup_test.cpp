// The shop keeper's opening and the globals it starts from: settings, the activity map,
// the resource version and the common request query.
#include "shopTestSupport.h"

#include <sys/stat.h>

#include <cstdlib>

#include "host/osFunctions.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/velmoraFunctions.h"

namespace {

using Start = ShopFixture;

// 5,000 bytes of a fixed seed: what a damaged disk or an editor mishap leaves.
std::string randomBytes() {
    std::string bytes;
    uint32_t x = 12345;
    for (int i = 0; i < 5000; i++) {
        x = x * 1103515245u + 12345u;
        bytes += static_cast<char>(x >> 24);
    }
    return bytes;
}

TEST_F(Start, SettingsOrTheInstalledDefaults) {
    struct Case {
        char const* what;
        std::string settings; // "-": no settings file; "": a folder; "|": a pipe nobody writes
        uint8_t needsUpdate;
        float crabMood;
        bool savesAtEnd;
        uint8_t fileError;
        bool setAside; // the file is kept as "settings.txt.damaged" and the defaults run
    } cases[] = {
        {"settings read", ":set crabMood 7\n", 0, 7.0f, true, 0, false},
        {"no settings file", "-", 0, 3.0f, true, 0, false},
        {"settings a folder, no file: set aside before it is read", "", 0, 3.0f, true, 0, true},
        {"settings a pipe: set aside, never waited on", "|", 0, 3.0f, true, 0, true},
        {"resources differ", ":set crabMood 7\n", 1, 3.0f, false, 0, false},
        {"settings with an error", ":set crabMood 7\n:noSuchCommand 1\n", 0, 3.0f, true, 1, true},
        {"random bytes", randomBytes(), 0, 3.0f, true, 1, true},
        {"a value without its command", "crabMood 7\n", 0, 3.0f, true, 1, true},
        {"cut short inside a block", ":set crabMood 7\n:mkdir latentTanks {\n :addScript tank0 {\n  :set x",
         0, 3.0f, true, 1, true},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(data.file("settings.txt"));
        if (c.settings != "-" && c.settings != "|" && !c.settings.empty())
            writeWholeFile(data.file("settings.txt"), c.settings);
        if (c.settings.empty()) std::filesystem::create_directory(data.file("settings.txt"));
        if (c.settings == "|") mkfifo(data.file("settings.txt").c_str(), 0600);
        ASSERT_EQ(initGlobals(), 0);
        needsAnUpdate = c.needsUpdate; // as initGlobals finds it from the resource version
        shop = std::make_unique<CshopKeeper>(&services);
        shop->startup(0);
        shop->loadup();
        EXPECT_FLOAT_EQ(shop->crabMood, c.crabMood);
        EXPECT_EQ(shop->dontSaveUnderAnyCircumstances, c.needsUpdate);
        EXPECT_EQ(settingsFileError, c.fileError);
        EXPECT_EQ(exitSaver, 0) << exitMsg.c_str();
        EXPECT_TRUE(exitReasonList.empty());
        EXPECT_EQ(pathExists(data.file("settings.txt.damaged")), c.setAside);
        if (c.setAside) {
            if (c.settings != "|") // a pipe holds nothing to lose, and reading it would wait
                EXPECT_EQ(readWholeFile(data.file("settings.txt.damaged")), c.settings) << "nothing is lost";
            std::string told = readWholeFile(data.file("stdout_startup.txt"));
            EXPECT_NE(told.find("set aside as " + data.file("settings.txt.damaged")), std::string::npos)
                << told;
        }
        std::string before = settingsText();
        shop->crabMood = 9.0f;
        stopShop();
        bool saved = settingsText().find("crabMood 9") != std::string::npos;
        EXPECT_EQ(saved, c.savesAtEnd);
        if (!c.savesAtEnd) EXPECT_EQ(settingsText(), before);
        if (c.setAside) {
            // The file the damaged one left room for reads back at the next start.
            settingsFileError = 0;
            ASSERT_EQ(initGlobals(), 0);
            shop = std::make_unique<CshopKeeper>(&services);
            shop->startup(0);
            shop->loadup();
            EXPECT_FLOAT_EQ(shop->crabMood, 9.0f);
            EXPECT_EQ(settingsFileError, 0);
            stopShop();
        }
        std::filesystem::remove(data.file("settings.txt"));
        std::filesystem::remove(data.file("settings.txt.damaged"));
        needsAnUpdate = 0;
        settingsFileError = 0;
        scriptError = 0;
        resetExitState();
    }
}

// A second damaged file does not take the first one's place.
TEST_F(Start, DamagedSettingsNeverOverwriteOneSetAsideBefore) {
    for (char const* name : {"settings.txt.damaged", "settings.txt.damaged2"}) {
        writeWholeFile(data.file("settings.txt"), std::string(":bad ") + name);
        ASSERT_EQ(initGlobals(), 0);
        shop = std::make_unique<CshopKeeper>(&services);
        shop->startup(0);
        shop->loadup();
        EXPECT_EQ(readWholeFile(data.file(name)), std::string(":bad ") + name);
        stopShop();
        settingsFileError = 0;
        scriptError = 0;
        resetExitState();
    }
}

TEST_F(Start, ActivityMapIsRepairedAndTheStartHourLowered) {
    struct Case {
        char const* what;
        std::string map;
        char startDigit;
    } cases[] = {{"too short", "1111", '0'},
                 {"empty", "", '0'},
                 {"whole map", std::string(168, '5'), '2'},
                 {"digit below three", std::string(168, '2'), '0'}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(initGlobals(), 0);
        activeTimes = c.map.c_str();
        shop = std::make_unique<CshopKeeper>(&services);
        shop->startup(0);
        shop->loadup();
        ASSERT_EQ(activeTimes.size(), 168);
        EXPECT_EQ(shop->startHourOfWeek, 100);
        EXPECT_EQ(activeTimes.c_str()[100], c.startDigit);
        EXPECT_EQ(activeTimes.c_str()[99], c.map.size() == 168 ? c.map[99] : '1');
        stopShop();
    }
}

// The globals the shop keeper starts from, reset after each test.
class GlobalStart : public ShopFixture {
  protected:
    void TearDown() override {
        ShopFixture::TearDown();
        languageCode = "";
        resourcesVersion = 0;
    }
};

// The machine identifier is made from the platform's, the language taken from the locale.
TEST_F(GlobalStart, MachineAndLanguageFromThePlatform) {
    host.platformIdText = "0123456789abcdef0123456789abcdef";
    host.locales = {"de_DE.UTF-8"};
    machineID = randomMachineID = languageCode = "";
    ASSERT_EQ(initGlobals(), 0);
    EXPECT_EQ(machineID, OS::buildMachineID()); // not a random one
    EXPECT_EQ(languageCode, "de");
    EXPECT_EQ(countryCode, "DE");
    freeGlobals();
}

TEST_F(GlobalStart, MissingInstallFolderIsCounted) {
    host.installFolders = {};
    EXPECT_EQ(initGlobals(), 1);
    EXPECT_EQ(installDir, "");
    EXPECT_EQ(globalsFailure,
              "no install folder is known: install the program again, or set VELMORA_INSTALL_DIR "
              "to the folder of its resources");
}

TEST_F(GlobalStart, ResourceVersionRule) {
    struct Case {
        char const* what;
        int version; // -1: no components record
        int needsUpdate;
        bool copied;
    } cases[] = {{"equal", 12960018, 0, false},
                 {"data newer", 12960019, 1, true},
                 {"data older", 12960017, 1, false},
                 {"no record", -1, 1, false}};
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(data.file("Resources"));
        if (c.version >= 0)
            writeResource("downloadedComponents.txt",
                          ":set modules abcdefghijklmnop\n:set rscVer " + std::to_string(c.version) + "\n");
        EXPECT_EQ(initGlobals(), 0);
        EXPECT_EQ(needsAnUpdate, c.needsUpdate);
        EXPECT_EQ(pathExists(data.file("Resources/global/arrays/noise50.chan")), c.copied);
        if (c.version < 0) {
            EXPECT_EQ(resourcesVersion, 0);
        }
        EXPECT_EQ(modules, c.copied || c.version < 0 ? "" : "abcdefghijklmnop");
        EXPECT_EQ(erroredExit, 0);
        freeGlobals();
        modules = "";
        resourcesVersion = 0;
    }
}

// The common query with a fixed platform.
TEST_F(GlobalStart, RequestBasicsPerLevel) {
    host.versionText = "Linux 6.1.0";
    host.locales = {"fr_FR.UTF-8"};
    host.clock = 1136779260 + 184000026; // the token is intToAtoz(26): "ba"
    char const* user = std::getenv("USER");
    std::string savedUser = user ? user : "";
    setenv("USER", "fish tank", 1);
    webServerBase = "http://example.test/";
    osID = "";
    modules = "abcdefgh&jklmnopXYZ"; // a cut-off record is left out
    numRuns = 5;
    numRunsThisVersion = 2;
    languageCode = "fr";
    moduleUpdateDate = 77;
    contactEmail = "a b@c.d";
    machineID = "m_0123456789012345678901";

    std::string common = "build=18&modules=abcdefgh%26jklmnop&tver=12960&totruns=5&numRunsThisVersion=2&"
                         "osver=OsX6.1.0&language=fr&updateDate=77&numCrashes=0&lng=fr&cn=FR&cnn=France&"
                         "contact=a+b%40c.d&rand=ba&updater_ver=15&os=mac&";
    struct Case {
        int level;
        std::string query;
    } cases[] = {
        {0, ""},
        {1, common + "midD=m_0123456789012345678901&"},
        {2, common + "dontSendExecutable=1&midD=m_0123456789012345678901&user=fish+tank&"},
    };
    for (auto const& c : cases) {
        Cstring url;
        EXPECT_EQ(&fillStringWithRequestBasics(url, "q.php?", c.level), &url);
        EXPECT_EQ(std::string(url.c_str()), "http://example.test/q.php?" + c.query) << c.level;
    }
    EXPECT_EQ(osID, "6.1.0");

    if (user)
        setenv("USER", savedUser.c_str(), 1);
    else
        unsetenv("USER");
    webServerBase = "";
    numRuns = numRunsThisVersion = moduleUpdateDate = 0;
    contactEmail = "";
    osID = "";
}

} // namespace
