// Confinement of network-origin scripts to the data folder.
#include <gtest/gtest.h>

#include "script/scriptOrigin.h"
#include "support/globals.h"
#include "testSupport.h"

namespace {

TEST(ScriptOrigin, PathsInsideTheDataFolder) {
    ScopedDataFolder data;
    Cstring apd = appDataDir;
    struct {
        Cstring path;
        bool inside;
    } cases[] = {
        {"[APD]file.txt", true},
        {"[APD]a/b/c.bin", true},
        {"[APD]", true},
        {"[APD]./x", true},
        {apd + "direct.txt", true},
        {apd.substr(0, apd.size() - 1), true},
        {"[APD]../escape.txt", false},
        {"[APD]a/../../escape.txt", false},
        {"[APD]a/..", false},
        {"/etc/passwd", false},
        {"/tmp/elsewhere", false},
        {"relative/file.txt", false},
        {"..", false},
        {"[INS]defaults.txt", false},
        {"[TMP]x", false},
        {apd.substr(0, apd.size() - 1) + "-sibling/x", false},
        {"", false},
    };
    for (auto const& c : cases)
        EXPECT_EQ(pathInsideDataFolder(c.path.c_str()), c.inside) << c.path.c_str();
    EXPECT_FALSE(pathInsideDataFolder(nullptr));
}

TEST(ScriptOrigin, UnknownDataFolderConfinesEverything) {
    Cstring saved = appDataDir;
    appDataDir = "";
    EXPECT_FALSE(pathInsideDataFolder("[APD]file.txt"));
    appDataDir = "relative/";
    EXPECT_FALSE(pathInsideDataFolder("relative/file.txt"));
    appDataDir = saved;
}

TEST(ScriptOrigin, OnlyNetworkScriptsAreConfined) {
    ScopedDataFolder data;
    EXPECT_FALSE(runningNetworkScript());
    EXPECT_TRUE(scriptMayTouchFile("/tmp/anything"));
    {
        CnetworkScriptScope outer;
        {
            CnetworkScriptScope inner;
            EXPECT_FALSE(scriptMayTouchFile("/tmp/anything"));
        }
        // Still inside the outer network run.
        EXPECT_TRUE(runningNetworkScript());
        EXPECT_FALSE(scriptMayTouchFile("[APD]../x"));
        EXPECT_TRUE(scriptMayTouchFile("[APD]ok.txt"));
    }
    EXPECT_FALSE(runningNetworkScript());
}

} // namespace
