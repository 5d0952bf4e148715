// Update packages: what a good package does, the path table, and hostile or broken
// packages, which change nothing outside the data folder (and nothing at all when they
// can be refused before they run).
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "host/fakeHostServices.h"
#include "host/updatePackage.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "testSupport.h"
#include "variables/variable.h"

namespace {

// "file__" with its path and bytes.
std::string fileCommand(std::string const& path, std::string const& bytes) {
    return "file__" + path + "\n" + std::to_string(bytes.size()) + "\n" + bytes;
}

class UpdatePackage : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        scriptError = 0;
        std::filesystem::create_directories(data.file("Resources"));
        updatePackage::clearPaths();
        for (char const* key : {"CON", "MOS", "APD"})
            updatePackage::addPath(key, data.path().c_str());
        updatePackage::addPath("RSC", data.file("Resources").c_str());
        globalVariablesDir = &root;
        skipNSAlert = 0;
        writeWholeFile(outside.file("victim.txt"), "keep");
    }
    void TearDown() override {
        globalVariablesDir = nullptr;
        skipNSAlert = 1;
        updatePackage::clearPaths();
        resetExitState();
        scriptError = 0;
    }
    int run(std::string const& package, long long offset = 0) {
        std::string path = data.file("Resources/VL_update.vli");
        writeWholeFile(path, package);
        return updatePackage::runScript(path.c_str(), offset);
    }
    // Everything outside the data folder is as it was.
    void expectOutsideUntouched(std::string const& label) {
        int entries = 0;
        for (auto const& entry : std::filesystem::directory_iterator(outside.path()))
            entries += entry.path().filename() == "victim.txt" ? 0 : 1;
        EXPECT_EQ(entries, 0) << label;
        EXPECT_EQ(readWholeFile(outside.file("victim.txt")), "keep") << label;
        EXPECT_FALSE(pathExists(data.path() + "../escape.txt")) << label;
    }

    ScopedDataFolder data;
    TempDir outside;
    CdirectoryVar root;
    CfakeHostServices host;
};

TEST_F(UpdatePackage, GoodPackageDoesWhatItSays) {
    root.addVariableX("channel", CLASS_STRING);
    std::string binary("\0\1\2", 3);
    std::string script = ":float fromPackage 1";
    std::string package = "prgssz00000999\n"
                          "runcmd again\n"
                          "msgboxYNUpdate now?|details|Yes|No\nyesKey\nnoKey\n"
                          "msgboxPlain message\n"
                          "delreg" +
                          fileCommand("[APD]one/two/three.txt", "hello") +
                          fileCommand("sub\\dir\\four.bin\r", binary) +
                          "mkdir_made\n"
                          "rename[APD]one/two/three.txt\n[APD]one/moved.txt\n" +
                          fileCommand("[APD]gone.txt", "x") +
                          "delete[APD]gone.txt\n"
                          "delete[APD]never.txt\n"
                          "setregKEY_channel\nbeta\n"
                          "script" +
                          std::to_string(script.size()) + "\n" + script +
                          "misc__0004abcd"
                          "retRega\nb\n\n"
                          "info__hi\nsetpthx\ndownldhttp://x/\ny\nrunaft/bin/prog\n-a\n[APD]\n"
                          "browsehttps://example.test/\nbrowsefile:///etc/passwd\n"
                          "exit0_ignored after the end";
    EXPECT_EQ(run(package), VLI_EXIT0) << updatePackage::vliScriptError;
    EXPECT_EQ(readWholeFile(data.file("one/moved.txt")), "hello");
    EXPECT_FALSE(pathExists(data.file("one/two/three.txt")));
    EXPECT_EQ(readWholeFile(data.file("Resources/sub/dir/four.bin")), binary);
    EXPECT_TRUE(std::filesystem::is_directory(data.file("Resources/made")));
    EXPECT_FALSE(pathExists(data.file("gone.txt")));
    EXPECT_EQ(updatePackage::errorMessage, "Couldn't delete [APD]never.txt");
    EXPECT_EQ(updatePackage::rerunKey, "yesKey"); // the first button answered
    EXPECT_STREQ(root.getChild("channel")->getString(), "beta");
    EXPECT_NE(root.getChild("fromPackage"), nullptr);
    std::vector<std::string> shown;
    for (std::string const& call : host.calls)
        if (call.rfind("message", 0) == 0 || call.rfind("browser", 0) == 0) shown.push_back(call);
    std::vector<std::string> expected = {"message Update now? / details [Yes|No]",
                                         "message Plain message /  [Ok]", "browser https://example.test/"};
    EXPECT_EQ(shown, expected);
}

TEST_F(UpdatePackage, PathsResolveThroughTheTable) {
    struct {
        char const* path;
        std::string resolved, folder;
    } cases[] = {
        {"[APD]a/b/c.txt", data.file("a/b/c.txt"), data.path()},
        {"a\\b\\c.txt\r", data.file("Resources/a/b/c.txt"), data.file("Resources")},
        {"[RSC]x", data.file("Resources/x"), data.file("Resources")},
        {"/etc/passwd", "", ""},
        {"[XYZ]a", "", ""},
        {"[APDX]a", "", ""},
        {"", "", ""},
    };
    for (auto const& c : cases) {
        Cstring resolved, folder, why;
        bool ok = updatePackage::processDirectories(c.path, resolved, folder, why);
        EXPECT_EQ(ok, !c.resolved.empty()) << c.path;
        if (ok) EXPECT_EQ(resolved, c.resolved.c_str()) << c.path;
        if (ok) EXPECT_EQ(folder, c.folder.c_str()) << c.path;
    }
    // A key is entered once; the table holds ten at most.
    updatePackage::addPath("APD", "/elsewhere/");
    EXPECT_EQ(updatePackage::findPath("APD]rest"), data.path().c_str());
    for (int i = 0; i < 20; i++)
        updatePackage::addPath(("K" + std::to_string(i)).c_str(), "/k/");
    EXPECT_EQ(updatePackage::pathCount(), kMaxPathEntries);
}

// Each package first writes a harmless file, then does something it must not: the whole
// package is refused before anything is written.
TEST_F(UpdatePackage, HostilePackagesAreRefusedWhole) {
    std::filesystem::create_directory_symlink(outside.path(), data.file("link"));
    std::filesystem::create_symlink(outside.file("planted.txt"), data.file("dangling.txt"));
    std::string first = fileCommand("[APD]first.txt", "A");
    std::string cases[] = {
        fileCommand("[APD]../escape.txt", "E") + "exit0_",
        fileCommand("[APD]a/../../escape.txt", "E") + "exit0_",
        fileCommand(outside.file("abs.txt"), "E") + "exit0_",
        fileCommand("[APD]link/x.txt", "E") + "exit0_",
        fileCommand("[APD]dangling.txt", "E") + "exit0_",
        "rename[APD]first.txt\n" + outside.file("stolen.txt") + "\nexit0_",
        "delete[APD]../x\nexit0_",
        "delete[APD]link/victim.txt\nexit0_",
        "mkdir_../evil\nexit0_",
        "mkdir_" + outside.file("evil") + "\nexit0_",
        "file__[APD]t.txt\n100\nshort",                                        // truncated block
        "file__[APD]big.txt\n99999999999\n" + std::string(10, 'x') + "exit0_", // larger than allowed
        "file__[APD]m.txt\n12a\n" + std::string(12, 'x') + "exit0_",           // malformed count
        "script300000\n:float x 1 exit0_",                                     // script too large
        "info__" + std::string(999, 'x') + "\nexit0_",                         // over-long line
        "msgboxno line end",                                                   // truncated line
        "misc__00",                                                            // truncated count
        "info__ends without its exit command\n",
        "bogus!exit0_",
    };
    for (std::string const& hostile : cases) {
        EXPECT_NE(run(first + hostile), VLI_EXIT0) << hostile;
        EXPECT_FALSE(updatePackage::vliScriptError.empty()) << hostile;
        EXPECT_FALSE(pathExists(data.file("first.txt"))) << hostile;
        expectOutsideUntouched(hostile);
    }
    // Only the unknown command is announced as such.
    EXPECT_NE(host.calls.back().find("unknown command: bogus!"), std::string::npos) << host.calls.back();
    // A package larger than its leading size announcement; the one it announces runs.
    std::string body = first + "exit0_";
    char head[32];
    for (int announced : {15 + int(body.size()) - 1, 15 + int(body.size())}) {
        std::snprintf(head, sizeof head, "prgssz%08d\n", announced);
        EXPECT_EQ(run(head + body), announced == 15 + int(body.size()) ? VLI_EXIT0 : VLI_FAILED) << announced;
        EXPECT_EQ(pathExists(data.file("first.txt")), announced == 15 + int(body.size())) << announced;
    }
}

// What can only fail while the package runs: it stops there, the files after it untouched.
TEST_F(UpdatePackage, FailuresWhileRunning) {
    std::filesystem::create_directories(data.file("isFolder"));
    EXPECT_EQ(run(fileCommand("[APD]a.txt", "A") + fileCommand("[APD]isFolder", "B") +
                  fileCommand("[APD]c.txt", "C") + "exit0_"),
              VLI_FAILED);
    EXPECT_EQ(updatePackage::vliScriptError, "Couldn't Write File");
    EXPECT_EQ(readWholeFile(data.file("a.txt")), "A");
    EXPECT_FALSE(pathExists(data.file("c.txt")));
    EXPECT_TRUE(std::filesystem::is_directory(data.file("isFolder")));

    // "exit1_" stops after what came before it; a package read from an offset skips what
    // lies before.
    std::string skipped = "garbage!";
    EXPECT_EQ(
        run(skipped + fileCommand("[APD]d.txt", "D") + "exit1_", static_cast<long long>(skipped.size())),
        VLI_STOPPED);
    EXPECT_EQ(readWholeFile(data.file("d.txt")), "D");
    EXPECT_EQ(updatePackage::runScript(data.file("missing.vli").c_str(), 0), VLI_STOPPED);

    // A script that fails leaves no exit behind and the package goes on.
    std::string bad = ":noSuchCommand 1";
    EXPECT_EQ(
        run("script" + std::to_string(bad.size()) + "\n" + bad + fileCommand("[APD]e.txt", "E") + "exit0_"),
        VLI_EXIT0);
    EXPECT_EQ(readWholeFile(data.file("e.txt")), "E");
    EXPECT_EQ(exitSaver, 0);
    EXPECT_EQ(scriptError, 0);
}

} // namespace
