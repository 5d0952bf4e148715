// System, web, exit and file commands against the recording host or the real disk, and the
// confinement of network scripts.
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "host/fakeHostServices.h"
#include "host/internetRequest.h"
#include "script/scriptOrigin.h"
#include "scriptTestSupport.h"
#include "support/engineHooks.h"
#include "support/fileIO.h"
#include "support/globals.h"

namespace {

class SystemCommands : public CommandTest {
  protected:
    void SetUp() override {
        CommandTest::SetUp();
        webRequestPending = &pending;
    }
    void TearDown() override {
        webRequestPending = nullptr;
        inetSite = "";
        CommandTest::TearDown();
    }
    CfakeHostServices host;
    uint8_t pending = 0;
};

// Without a server the platform's requests fail at once: the blocking one says so, the
// polled one (whose outcome would come through the frame's poll) leaves nothing running.
TEST_F(SystemCommands, WebRequestsWithoutAServerFailAtOnce) {
    unsetenv("VELMORA_SERVER_URL");
    setHostServices(nullptr);
    struct {
        char const* line;
        int failedAfter;
    } cases[] = {{":startHttpRequest /q", 0}, {":httpRequestAndRun /q", HTTP_REQUEST_UNAVAILABLE}};
    for (auto const& c : cases) {
        failed = -1;
        ASSERT_EQ(run(c.line), 0);
        EXPECT_EQ(failed, c.failedAfter) << c.line;
        EXPECT_EQ(pending, 0) << c.line;
        EXPECT_FALSE(isMakingRequest) << c.line;
    }
    setHostServices(&host);
}

// The lines after each command show that it lets the run go on; the shell is never run.
TEST_F(SystemCommands, DownloadProgressBrowserRegistryAndShell) {
    ASSERT_EQ(
        run(":download http://h/f [APD]f.bin :progress Loading :progress close :storeReg :system \"ls -l\" "
            ":msgbox hello :setPriority :sendReport -z :float after 1"),
        0);
    EXPECT_NE(root.findVariable("after"), nullptr);
    EXPECT_EQ(mendwellArgument, "-z"); // sendReport asks for a report
    EXPECT_EQ(sendErrorReport, 1);
    EXPECT_EQ(lastReason(), "-z");
    std::vector<std::string> expected = {"download http://h/f [APD]f.bin progress", "openProgress Loading",
                                         "progress 100", "closeProgress", "priority 0"};
    EXPECT_EQ(host.calls, expected);
}

// Behind a password the pane is shown in place of the page, now or later.
TEST_F(SystemCommands, WebpageOpensNowOrOnExit) {
    ASSERT_EQ(run(":webpage http://a/ instant :float after 1"), 0);
    EXPECT_EQ(host.calls, std::vector<std::string>{"browser http://a/"});
    EXPECT_EQ(inetSite, "");
    EXPECT_EQ(exitSaver, 0);

    host.calls.clear();
    ASSERT_EQ(run(":webpage http://b/ later :float after2 1"), 0);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(inetSite, "http://b/");
    EXPECT_EQ(lastReason(), "to the internet");
    EXPECT_NE(root.findVariable("after2"), nullptr);

    reset();
    inetSite = "";
    static int panes = 0;
    engineHooks.showPasswordPane = [] { return ++panes > 0; };
    g_passwordProtected = 1;
    EXPECT_EQ(run(":webpage http://a/ instant :webpage http://a/"), 0);
    g_passwordProtected = 0;
    engineHooks.showPasswordPane = nullptr;
    EXPECT_EQ(panes, 2);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(exitSaver, 0);
    EXPECT_EQ(inetSite, "");
}

TEST_F(SystemCommands, MissingArgumentsStopTheRun) {
    for (char const* line : {":exit", ":startHttpRequest", ":download onlyUrl", ":mfile [APD]x", ":system"}) {
        reset();
        EXPECT_EQ(run(line), 2) << line;
        EXPECT_NE(erroredExit, 0) << line;
    }
}

TEST(SystemCommandsExit0, EndsTheProcessWithItsMessage) {
    ScopedDataFolder data;
    CdirectoryVar root;
    EXPECT_EXIT(
        {
            allowExitInThisTest();
            openMasterOut();
            runStringScript(&root, ":exit0 one two");
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_NE(readWholeFile(data.file("masterout.txt")).find("exit0ex0"), std::string::npos);
}

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

// Any script may have come from the network through the data folder: network or not, none
// writes outside it.
TEST_F(NetworkScripts, FileCommandsCannotReachOutsideTheDataFolder) {
    std::string victim = outside.file("victim.txt");
    writeWholeFile(victim, "keep");
    Cstring apd = appDataDir;
    // The data folder's parent is shared: a file there from before must stay as it was.
    std::string const beside = data.path() + "../escape.bin";
    auto besideText = [&] { return pathExists(beside) ? readWholeFile(beside) : std::string("(none)"); };
    std::string const besideBefore = besideText();
    std::string escapes[] = {
        "[APD]../escape.bin",    "[APD]sub/../../escape.bin",
        outside.file("abs.bin"), "relative.bin",
        "[TMP]tmp.bin",          std::string(apd.substr(0, apd.size() - 1).c_str()) + "-twin/x.bin",
    };
    for (bool network : {true, false})
        for (std::string const& path : escapes) {
            auto runAs = [&](std::string const& text) {
                if (network) return runNet(text);
                CscriptVar script; // the text holds NULs
                script.processStringScript(text.data(), text.size());
                return runScript(&root, &script);
            };
            failed = -1;
            ASSERT_EQ(runAs(":mfile " + path + " " + binaryBlock("evil")), 0) << path;
            EXPECT_EQ(failed, 1) << path << " network=" << network;
            failed = -1;
            ASSERT_EQ(runAs(":mdir " + path + "d"), 0) << path;
            EXPECT_EQ(failed, 1) << path << " network=" << network;
        }
    EXPECT_FALSE(pathExists(outside.file("abs.bin")));
    EXPECT_EQ(besideText(), besideBefore);

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

    // Nor from any other script, which the network may have written or set.
    failed = -1;
    ASSERT_EQ(run((":runScript shell :mfile " + outside.file("trusted.txt") + " yes").c_str()), 0);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_EQ(failed, 1);
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

// A failing network run leaves no exit, no script error and no phase change behind; one
// that runs through keeps the exit it asked for.
TEST_F(NetworkScripts, FailedRunsLeaveNothingPending) {
    static std::vector<std::string> phases;
    phases.clear();
    engineHooks.enterRunPhase = [](char const* phase, bool) { phases.push_back(phase); };
    struct {
        char const* text;
        bool fails;
        char const* why; // the start of the message handed back
    } cases[] = {
        {":noSuchCommand 1", true, "Couldn't find command noSuchCommand"},
        {"junk :float a 1", true, "syntax error"},
        {":float b 1 :exit0 bye", true, "exit0 refused"},
        {":exiterr boom", true, "boom"},
        {":float c 1 :exit bye", false, ""},
    };
    for (auto const& c : cases) {
        reset();
        phases.clear();
        Cstring why;
        int result = runNetworkScript(&root, c.text, static_cast<int>(std::strlen(c.text)), &why);
        EXPECT_EQ(result != 0, c.fails) << c.text;
        EXPECT_EQ(std::string(why.c_str()).rfind(c.why, 0), 0u) << c.text << ": " << why;
        EXPECT_EQ(exitSaver, c.fails ? 0 : 1) << c.text;
        EXPECT_EQ(erroredExit, 0) << c.text;
        EXPECT_EQ(scriptError, 0) << c.text;
        EXPECT_EQ(exitMsg.empty(), true) << c.text;
        EXPECT_EQ(phases, c.fails ? std::vector<std::string>{} : std::vector<std::string>{"closing"})
            << c.text;
    }
    engineHooks.enterRunPhase = nullptr;
}

// Links count: one leading out of the data folder (or nowhere) refuses the path.
TEST_F(NetworkScripts, LinksOutOfTheDataFolderAreRefused) {
    std::filesystem::create_directory_symlink(outside.path(), data.file("out"));
    std::filesystem::create_symlink(outside.file("nothing.txt"), data.file("nowhere.txt"));
    std::filesystem::create_directories(data.file("real"));
    std::filesystem::create_directory_symlink(data.file("real"), data.file("in"));
    struct {
        char const* path;
        bool inside;
    } cases[] = {
        {"[APD]out/x.txt", false},
        {"[APD]nowhere.txt", false},
        {"[APD]in/x.txt", true},
        {"[APD]new/x.txt", true},
    };
    for (auto const& c : cases)
        EXPECT_EQ(pathInsideDataFolder(c.path), c.inside) << c.path;
    failed = -1;
    ASSERT_EQ(runNet(":mfile [APD]out/planted.txt " + binaryBlock("evil")), 0);
    EXPECT_EQ(failed, 1);
    EXPECT_FALSE(pathExists(outside.file("planted.txt")));
}

// Downloaded scripts open web pages only, and may fetch the update package by its name.
TEST_F(NetworkScripts, WebPagesAndTheUpdatePackage) {
    CfakeHostServices host;
    struct {
        char const* line;
        char const* call; // what reaches the platform, or null
    } cases[] = {
        {":webpage https://example.test/ instant", "browser https://example.test/"},
        {":webpage file:///etc/passwd instant", nullptr},
        {":webpage /usr/bin/xterm instant", nullptr},
        {":download http://h/p VL_update.vli", "download http://h/p VL_update.vli progress"},
        {":download http://h/p elsewhere.vli", nullptr},
    };
    for (auto const& c : cases) {
        host.calls.clear();
        failed = -1;
        ASSERT_EQ(runNet(c.line), 0) << c.line;
        EXPECT_EQ(host.calls, c.call ? std::vector<std::string>{c.call} : std::vector<std::string>{})
            << c.line;
        EXPECT_EQ(failed == 1, c.call == nullptr) << c.line;
    }
}

} // namespace
