// The saver's defaults in their key file: what reads, what is refused without a guess, and
// that writing keeps the file's other keys and always turns the heads-up display off.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "host/linuxHostServices.h"
#include "host/saverDefaults.h"
#include "testSupport.h"

namespace {

// Points the defaults at a temporary configuration folder for the life of the object.
class ScopedConfigHome {
  public:
    ScopedConfigHome() {
        char const* old = std::getenv("XDG_CONFIG_HOME");
        had = old != nullptr;
        if (had) saved = old;
        setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
    }
    ~ScopedConfigHome() { had ? setenv("XDG_CONFIG_HOME", saved.c_str(), 1) : unsetenv("XDG_CONFIG_HOME"); }
    std::string file() const { return dir.path() + "/velmora/saver-defaults.conf"; }
    TempDir dir;

  private:
    bool had = false;
    std::string saved;
};

TEST(SaverDefaults, KeyFileTexts) {
    struct Case {
        char const* text;
        int result;
        bool useAllScreens, headsUp;
    } cases[] = {
        {"[Velmora]\nUse All Screens=true\nHeads Up Display=true\n", 0, true, true},
        {"[Velmora]\nUse All Screens=false\n", 0, false, false},
        {"# comment\n[Velmora]\nHeads Up Display=1\nUse All Screens=0\n", 0, false, true},
        {"[Velmora]\nUse All Screens=maybe\n", 0, false, false}, // not a boolean reads false
        {"[Other]\nUse All Screens=true\n", 0, false, false},    // another module's key
        {"", 0, false, false},
        {"Use All Screens=true\n", 1, false, false}, // a key before any group
        {"[Velmora\nUse All Screens=true\n", 1, false, false},
        {"[Velmora]\nno equals sign\n", 1, false, false},
        {"\xff\xfe[\x01]\n\x80=\x81\n", 1, false, false},
    };
    for (auto const& c : cases) {
        SCOPED_TRACE(c.text);
        CsaverDefaults d;
        d.useAllScreens = d.headsUpDisplay = true; // a refused text leaves nothing of the old values
        Cstring error;
        EXPECT_EQ(parseSaverDefaults(c.text, std::string(c.text).size(), d, error), c.result);
        EXPECT_EQ(d.useAllScreens, c.useAllScreens);
        EXPECT_EQ(d.headsUpDisplay, c.headsUp);
        EXPECT_EQ(error.empty(), c.result == 0);
    }
    CsaverDefaults d;
    Cstring error;
    EXPECT_EQ(parseSaverDefaults(nullptr, 5, d, error), 0) << "no text is an empty file";
}

TEST(SaverDefaults, WritingKeepsOtherKeysAndTurnsTheDisplayOff) {
    ScopedConfigHome home;
    CsaverDefaults d;
    EXPECT_EQ(readSaverDefaults(d), 1) << "no file yet";
    std::filesystem::create_directories(home.dir.path() + "velmora");
    writeWholeFile(home.file(), "[Velmora]\nHeads Up Display=true\nOwn Key=7\n[Else]\nx=1\n");
    CsaverDefaults values;
    values.useAllScreens = true;
    ASSERT_EQ(writeSaverDefaults(values), 0);
    ASSERT_EQ(readSaverDefaults(d), 0);
    EXPECT_TRUE(d.useAllScreens);
    EXPECT_FALSE(d.headsUpDisplay);
    std::string text = readWholeFile(home.file());
    EXPECT_NE(text.find("Own Key=7"), std::string::npos) << text;
    EXPECT_NE(text.find("[Else]"), std::string::npos) << text;
    // A file that does not read is replaced whole.
    writeWholeFile(home.file(), "garbage without a group\n");
    values.useAllScreens = false;
    ASSERT_EQ(writeSaverDefaults(values), 0);
    ASSERT_EQ(readSaverDefaults(d), 0);
    EXPECT_FALSE(d.useAllScreens);
    EXPECT_EQ(readWholeFile(home.file()).find("garbage"), std::string::npos);
}

TEST(SaverDefaults, WhereTheFileLives) {
    ScopedConfigHome home;
    EXPECT_EQ(std::string(saverDefaultsPath().c_str()), home.file());
    // A relative folder is not an XDG folder: the home's ".config" stands instead.
    setenv("XDG_CONFIG_HOME", "relative/config", 1);
    std::string expected = std::string(homeFolder().c_str()) + ".config/velmora/saver-defaults.conf";
    EXPECT_EQ(std::string(saverDefaultsPath().c_str()), expected);
}

} // namespace
