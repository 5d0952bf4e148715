// The Linux host services and the swapping of the services in use.
#include <gtest/gtest.h>

#include <string>

#include "host/fakeHostServices.h"
#include "host/osFunctions.h"
#include "support/cerr.h"
#include "testSupport.h"
#include "variables/variableBasics.h"

namespace {

TEST(LinuxHost, WriteFileKeepsEveryByteAndMakesFolders) {
    ScopedDataFolder data;
    std::string bytes("a\0b\0\0c", 6);
    ASSERT_EQ(hostServices().writeFile("[APD]deep/er/blob.bin", bytes.data(), 6), 0);
    EXPECT_EQ(readWholeFile(data.file("deep/er/blob.bin")), bytes);

    ASSERT_EQ(hostServices().writeFile("[APD]empty.bin", "", 0), 0);
    EXPECT_TRUE(pathExists(data.file("empty.bin")));
    EXPECT_EQ(readWholeFile(data.file("empty.bin")), "");

    EXPECT_EQ(hostServices().writeFile(nullptr, "x", 1), 1);
    EXPECT_EQ(hostServices().writeFile("[APD]neg.bin", "x", -5), 1);
    writeWholeFile(data.file("plainfile"), "x");
    // A folder of the path is a plain file: nothing can be made below it.
    EXPECT_EQ(hostServices().writeFile("[APD]plainfile/inner.bin", "x", 1), 1);
}

TEST(LinuxHost, FoldersRenameAndDeleteReportFailure) {
    ScopedDataFolder data;
    for (int twice = 0; twice < 2; twice++) // already there is success too
        EXPECT_EQ(hostServices().makeFolders("[APD]a/b/c"), 0);
    EXPECT_TRUE(pathExists(data.file("a/b/c")));
    writeWholeFile(data.file("file"), "x");
    EXPECT_EQ(hostServices().makeFolders("[APD]file/sub"), 1);
    EXPECT_EQ(hostServices().makeFolders(""), 1);
    writeWholeFile(data.file("one.txt"), "1");
    EXPECT_EQ(hostServices().renameFile("[APD]one.txt", "[APD]two.txt"), 0);
    EXPECT_EQ(readWholeFile(data.file("two.txt")), "1");
    EXPECT_EQ(hostServices().renameFile("[APD]one.txt", "[APD]three.txt"), 1);
    EXPECT_EQ(hostServices().deleteFile("[APD]two.txt"), 0);
    EXPECT_FALSE(pathExists(data.file("two.txt")));
    EXPECT_EQ(hostServices().deleteFile("[APD]two.txt"), 1);
}

TEST(LinuxHost, ShellCommandExpandsKeywordsAndGivesTheStatus) {
    ScopedDataFolder data;
    EXPECT_EQ(OS::shellCommand("echo made > [APD]out.txt"), 0);
    EXPECT_EQ(readWholeFile(data.file("out.txt")), "made\n");
    EXPECT_EQ(hostServices().shellCommand("exit 3"), 3);
}

TEST(HostSwap, TheFakeReceivesTheCallsWhileInPlace) {
    {
        CfakeHostServices fake;
        OS::openProgress("hi");
        OS::setProgressPercent(100);
        OS::closeProgress();
        OS::showInternetPage("http://example.invalid/");
        OS::startFileDownload("http://example.invalid/f", "[APD]f", true);
        fake.httpResult = 7;
        EXPECT_EQ(startHTTPrequestThread("/q", false, 2, nullptr), 7);
        std::vector<std::string> expected = {"openProgress hi",
                                             "progress 100",
                                             "closeProgress",
                                             "browser http://example.invalid/",
                                             "download http://example.invalid/f [APD]f progress",
                                             "startHTTP /q report=0 type=2 extra=(none)"};
        EXPECT_EQ(fake.calls, expected);
    }
    // Gone again: the platform answers.
    EXPECT_EQ(startHTTPrequestThread("/q", false, 2, nullptr), HTTP_REQUEST_UNAVAILABLE);
}

} // namespace
