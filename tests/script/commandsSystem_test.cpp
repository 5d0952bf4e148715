// System, web and exit commands against the recording host.
#include "support/engineHooks.h"
#include "scriptTestSupport.h"
#include "host/fakeHostServices.h"
#include "host/osFunctions.h"

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

TEST_F(SystemCommands, WebRequestsFailOnThePlatformForNow) {
    setHostServices(nullptr);
    for (char const* line : {":startHttpRequest /q", ":httpRequestAndRun /q"}) {
        failed = 0;
        ASSERT_EQ(run(line), 0);
        EXPECT_EQ(failed, HTTP_REQUEST_UNAVAILABLE) << line;
    }
    EXPECT_EQ(pending, 0);
    setHostServices(&host);
}

// The lines after each command show that it lets the run go on.
TEST_F(SystemCommands, DownloadProgressBrowserRegistryAndShell) {
    ASSERT_EQ(
        run(":download http://h/f [APD]f.bin :progress Loading :progress close :storeReg :system \"ls -l\" "
            ":msgbox hello :setPriority :sendReport -z :float after 1"),
        0);
    EXPECT_NE(root.findVariable("after"), nullptr);
    EXPECT_EQ(mendwellArgument, "-z"); // sendReport asks for a report
    EXPECT_EQ(sendErrorReport, 1);
    EXPECT_EQ(lastReason(), "-z");
    std::vector<std::string> expected = {"download http://h/f [APD]f.bin progress",
                                         "openProgress Loading",
                                         "progress 100",
                                         "closeProgress",
                                         "shell ls -l",
                                         "priority 0"};
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
            openMasterOut();
            runStringScript(&root, ":exit0 one two");
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_NE(readWholeFile(data.file("masterout.txt")).find("exit0ex0"), std::string::npos);
}

} // namespace
