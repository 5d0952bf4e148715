// File commands on the real disk, and the confinement of network scripts.
#include "scriptTestSupport.h"
#include "host/fakeHostServices.h"
#include "host/osFunctions.h"
#include "script/scriptOrigin.h"
#include "support/fileIO.h"
#include "support/globals.h"

namespace {

using FileCommands = CommandTest;

// A second try of the same move or delete finds nothing; a plain file blocks folders.
TEST_F(FileCommands, OutcomesAreKeptInFailed) {
    writeWholeFile(data.file("aFile"), "x");
    writeWholeFile(data.file("old.txt"), "1");
    struct {
        char const* line;
        int failedAfter;
    } cases[] = {
        {":mdir [APD]one/two", 0},
        {":mdir [APD]one/two", 0},
        {":renameFile [APD]old.txt [APD]new.txt", 0},
        {":renameFile [APD]old.txt [APD]new2.txt", 1},
        {":deleteFile [APD]new.txt", 0},
        {":deleteFile [APD]new.txt", 1},
        {":mfile [APD]aFile/inside.txt data", 1},
    };
    for (auto const& c : cases) {
        failed = -1;
        ASSERT_EQ(run(c.line), 0) << c.line;
        EXPECT_EQ(failed, c.failedAfter) << c.line;
    }
    EXPECT_TRUE(pathExists(data.file("one/two")));
    EXPECT_FALSE(pathExists(data.file("new.txt")) || pathExists(data.file("new2.txt")));
}

// ---- network-origin scripts ----

class NetworkScripts : public CommandTest {
  protected:
    int runNet(std::string const& text) {
        return runNetworkScript(&root, text.data(), static_cast<int>(text.size()));
    }
    TempDir outside;
};

TEST_F(NetworkScripts, FileCommandsCannotReachOutsideTheDataFolder) {
    std::string victim = outside.file("victim.txt");
    writeWholeFile(victim, "keep");
    Cstring apd = appDataDir;
    std::string escapes[] = {
        "[APD]../escape.bin",    "[APD]sub/../../escape.bin",
        outside.file("abs.bin"), "relative.bin",
        "[TMP]tmp.bin",          std::string(apd.substr(0, apd.size() - 1).c_str()) + "-twin/x.bin",
    };
    for (std::string const& path : escapes) {
        failed = -1;
        ASSERT_EQ(runNet(":mfile " + path + " " + binaryBlock("evil")), 0) << path;
        EXPECT_EQ(failed, 1) << path;
        failed = -1;
        ASSERT_EQ(runNet(":mdir " + path + "d"), 0) << path;
        EXPECT_EQ(failed, 1) << path;
    }
    EXPECT_FALSE(pathExists(outside.file("abs.bin")));
    EXPECT_FALSE(pathExists(data.path() + "../escape.bin"));

    failed = -1;
    ASSERT_EQ(runNet(":deleteFile " + victim), 0);
    EXPECT_EQ(failed, 1);
    ASSERT_EQ(runNet(":renameFile " + victim + " [APD]stolen.txt"), 0);
    ASSERT_EQ(runNet(":renameFile [APD]x.txt " + outside.file("planted.txt")), 0);
    ASSERT_EQ(runNet(":download http://h/f " + outside.file("dl.bin")), 0);
    EXPECT_EQ(readWholeFile(victim), "keep");
    EXPECT_FALSE(pathExists(data.file("stolen.txt")));

    // Inside the data folder everything works.
    ASSERT_EQ(runNet(":mfile [APD]in/ok.bin " + binaryBlock("fine") + " :mdir [APD]made"), 0);
    EXPECT_EQ(readWholeFile(data.file("in/ok.bin")), "fine");
    EXPECT_TRUE(pathExists(data.file("made")));
}

TEST_F(NetworkScripts, SystemIsRefusedEvenThroughStoredScripts) {
    CfakeHostServices host;
    ASSERT_EQ(run(":script shell { :system \"touch x\" }"), 0);
    failed = -1;
    ASSERT_EQ(runNet(":system \"rm -rf /\" :runScript shell :float after 1"), 0);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(failed, 1);
    EXPECT_NE(root.findVariable("after"), nullptr);

    // Trusted scripts keep every command.
    ASSERT_EQ(run((":runScript shell :mfile " + outside.file("trusted.txt") + " yes").c_str()), 0);
    std::vector<std::string> expected = {"shell touch x", "writeFile " + outside.file("trusted.txt") + " 3"};
    EXPECT_EQ(host.calls, expected);
    EXPECT_EQ(host.written, "yes");
    EXPECT_FALSE(runningNetworkScript());
}

TEST_F(NetworkScripts, MalformedInputFailsCleanly) {
    EXPECT_EQ(runNetworkScript(nullptr, ":float x 1", 10), 1);
    EXPECT_EQ(runNetworkScript(&root, nullptr, 0), 1);
    EXPECT_EQ(runNetworkScript(&root, ":float x 1", -1), 1);
    // A binary block that claims more bytes than the text holds.
    std::string truncated = ":mfile [APD]t.bin " + binaryBlock("abcdef");
    truncated.resize(truncated.size() - 4);
    runNet(truncated);
    EXPECT_FALSE(pathExists(data.file("t.bin")) && readWholeFile(data.file("t.bin")).size() > 2);
    EXPECT_FALSE(runningNetworkScript());
}

} // namespace
