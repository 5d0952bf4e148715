// The Linux host services and the swapping of the services in use.
#include <gtest/gtest.h>

#include <string>

#include "host/fakeHostServices.h"
#include "host/osFunctions.h"
#include "support/cerr.h"
#include "testSupport.h"
#include "variables/variableBasics.h"

namespace {

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

} // namespace
