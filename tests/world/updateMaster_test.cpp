// The update master against a server on this machine: downloads stored and update
// packages installed, hostile packages and failed downloads reported, the update check
// from the question to the installed files.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>

#include "host/fakeHostServices.h"
#include "host/httpConnection.h"
#include "host/internetRequest.h"
#include "host/updatePackage.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/globals.h"
#include "testHttpServer.h"
#include "testSupport.h"
#include "variables/variable.h"
#include "world/initGlobals.h"
#include "world/internet.h"
#include "world/updateMaster.h"

namespace {

int installs = 0;

// A package announcing its size, writing file with bytes.
std::string packageWriting(std::string const& path, std::string const& bytes) {
    std::string body = "file__" + path + "\n" + std::to_string(bytes.size()) + "\n" + bytes + "exit0_";
    char head[32];
    std::snprintf(head, sizeof head, "prgssz%08d\n", static_cast<int>(body.size() + 15));
    return head + body;
}

class UpdateMaster : public ::testing::Test {
  protected:
    void SetUp() override {
        unsetenv("VELMORA_SERVER_URL");
        resetExitState();
        std::filesystem::create_directories(data.file("Resources"));
        globalVariablesDir = &root;
        webServerBase = server.base().c_str();
        skipNSAlert = 0;
        installWebRequests();
        theHttpConnection().closeConnection();
        theHttpConnection().downloadLimit = kMaxDownloadBytes;
        internetConnect = CmyHttpConnection();
        isMakingRequest = false;
        onFinishedDownloadingScript = "";
        installs = 0;
        updateMaster().lastPackageResult = -1;
        engineHooks.updateInstalled = [] { installs++; };
        writeWholeFile(outside.file("victim.txt"), "keep");
    }
    void TearDown() override {
        theHttpConnection().closeConnection();
        engineHooks.updateInstalled = nullptr;
        globalVariablesDir = nullptr;
        webServerBase = "";
        skipNSAlert = 1;
        alertIsBeingShown = 0;
        resetExitState();
    }
    // Downloads path through the update master and lets the frames run until it is done.
    void download(char const* path, char const* destination = "VL_update.vli") {
        updateMaster().startFileDownload(server.url(path).c_str(), destination, true);
        ASSERT_TRUE(pump());
    }
    bool pump() {
        for (int frame = 0; frame < 5000; frame++) {
            advanceWebTransfers();
            if (!theHttpConnection().transferRunning()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        return false;
    }
    bool wasShown(char const* text) {
        for (std::string const& call : host.calls)
            if (call.rfind("message", 0) == 0 && call.find(text) != std::string::npos) return true;
        return false;
    }

    ScopedDataFolder data;
    TempDir outside;
    CdirectoryVar root;
    CfakeHostServices host;
    CtestHttpServer server;
};

TEST_F(UpdateMaster, DownloadedPackageIsInstalled) {
    std::string package = packageWriting("[APD]fresh/file.txt", "new content");
    server.serve("/pkg", package, 16, 5);
    download("pkg");
    EXPECT_EQ(readWholeFile(data.file("Resources/VL_update.vli")), package);
    EXPECT_EQ(readWholeFile(data.file("fresh/file.txt")), "new content");
    EXPECT_EQ(updateMaster().lastPackageResult, VLI_EXIT0);
    EXPECT_EQ(installs, 1);
    EXPECT_EQ(host.calls.front(), "openProgress Downloading");
    EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "progressText Download progress: 100%"),
              host.calls.end());
    EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "closeProgress"), host.calls.end());
    EXPECT_EQ(alertIsBeingShown, 0);
    // Installing again keeps the folder table as it was.
    updateMaster().updateUsingFile(data.file("Resources/VL_update.vli").c_str());
    EXPECT_EQ(updatePackage::pathCount(), 4);
}

// A hostile package or a failed download ends with the viewer told and the pane closed.
TEST_F(UpdateMaster, RefusedPackagesAndFailedDownloadsAreReported) {
    server.serve("/hostile", packageWriting("[APD]../escape.txt", "E"));
    server.serve("/big", packageWriting("[APD]big.txt", std::string(5000, 'b')));
    struct {
        char const* path;
        size_t limit;
        char const* message;
        int result;
    } cases[] = {
        {"hostile", kMaxDownloadBytes, "An error occurred while updating", VLI_FAILED},
        {"missing", kMaxDownloadBytes, "There was a problem downloading the update", -1},
        {"big", 1000, "There was a problem downloading the update", -1},
    };
    for (auto const& c : cases) {
        host.calls.clear();
        updateMaster().lastPackageResult = -1;
        theHttpConnection().downloadLimit = c.limit;
        download(c.path);
        EXPECT_TRUE(wasShown(c.message)) << c.path;
        EXPECT_EQ(updateMaster().lastPackageResult, c.result) << c.path;
        EXPECT_EQ(alertIsBeingShown, 0) << c.path;
        // The data folder is shown in the file browser.
        EXPECT_NE(std::find(host.calls.begin(), host.calls.end(), "browser " + data.path()), host.calls.end())
            << c.path;
    }
    EXPECT_EQ(installs, 0);
    EXPECT_FALSE(pathExists(data.path() + "../escape.txt"));
    EXPECT_FALSE(pathExists(data.file("big.txt")));
}

TEST_F(UpdateMaster, DownloadedSettingsReplaceTheSettingsFile) {
    struct {
        char const* path;
        char const* body;
        bool replaced;
    } cases[] = {{"sets", ":set maxFishPerTank 12\n", true}, {"nosets", "<html>no such page</html>", false}};
    for (auto const& c : cases) {
        host.calls.clear();
        std::filesystem::remove(data.file("settings.txt"));
        server.serve(std::string("/") + c.path, c.body);
        onFinishedDownloadingScript = ":overwriteSettings";
        download(c.path, "[APD]dl_sets.txt");
        EXPECT_EQ(pathExists(data.file("settings.txt")), c.replaced) << c.body;
        if (c.replaced) EXPECT_EQ(readWholeFile(data.file("settings.txt")), c.body);
        EXPECT_EQ(pathExists(data.file("dl_sets.txt")), !c.replaced) << c.body;
        EXPECT_EQ(wasShown("Couldn't find file online"), !c.replaced) << c.body;
        EXPECT_TRUE(onFinishedDownloadingScript.empty());
    }
    EXPECT_EQ(updateMaster().lastPackageResult, -1);
}

// The whole road: the update question, its reply script, the download, the installation.
TEST_F(UpdateMaster, UpdateCheckDownloadsAndInstalls) {
    server.serve("/pkg", packageWriting("[APD]Resources/checked.txt", "from the update"));
    server.serve("/inquiry/checkUpdate.php", "SCRIPT :download \"" + server.url("pkg") + "\" VL_update.vli");
    setHostServices(nullptr); // the reply's download goes through the platform to the update master
    updateMaster().checkForUpdate();
    bool done = pump();
    setHostServices(&host);
    ASSERT_TRUE(done);
    EXPECT_EQ(readWholeFile(data.file("Resources/checked.txt")), "from the update");
    EXPECT_EQ(installs, 1);
    EXPECT_EQ(exitSaver, 0);
}

} // namespace
