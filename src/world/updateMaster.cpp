#include "world/updateMaster.h"

#include <fstream>
#include <iterator>
#include <string>

#include "host/hostServices.h"
#include "host/internetRequest.h"
#include "host/osFunctions.h"
#include "host/updatePackage.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/fileIO.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/internet.h"
#include "world/velmoraFunctions.h"

Cstring contactPageAddress = "php_database/contact_form.php?os=LINUX";

namespace {

template <typename... T> void logLine(T const&... parts) {
    if (!masterOut.is_open()) return;
    (masterOut << ... << parts);
    masterOut << std::endl;
}

void sheetMessage(char const* text) {
    if (engineHooks.sheetMessage) engineHooks.sheetMessage(text);
}

// The user's beta flag among the user flags: the options sheet's beta box sets it (16).
constexpr unsigned USER_FLAG_BETA = 0x10;

// Settings files downloaded from the server are at most this large.
constexpr long kMaxDownloadedSettings = 1 << 20;

void downloadHook(char const* url, char const* file, bool showProgress) {
    updateMaster().startFileDownload(url, file, showProgress);
}

void checkForUpdateHook() {
    updateMaster().checkForUpdate();
}

} // namespace

CupdateMaster& updateMaster() {
    static CupdateMaster master;
    return master;
}

void installUpdateMaster() {
    engineHooks.startFileDownload = downloadHook;
    engineHooks.checkForUpdate = checkForUpdateHook;
}

int CupdateMaster::checkForUpdate() {
    Cstring path = Cstring("inquiry/checkUpdate") + append_test_to_internet_calls +
                   ".php?type=checkUpd&beta=" + ((m_userFlags & USER_FLAG_BETA) ? "1" : "0") + "&";
    int result = MakeHTTPrequestAndRunScript(path, true, 2, nullptr);
    logLine("done checkForUpdate");
    return result;
}

void CupdateMaster::startFileDownload(char const* url, char const* destination, bool progress) {
    downloadDestFilename = destination ? destination : "";
    showProgress = progress;
    if (downloadDestFilename == "VL_update.vli")
        downloadDestFilename = appDataDir + "Resources/VL_update.vli";
    if (progress) OS::openProgress("Downloading");
    logLine("download from ", url ? url : "", " to ", downloadDestFilename);
    OBChttpConnection* connection = hangingPointerToHttpConnection;
    if (connection == nullptr) {
        logLine("NO HTTP!");
        if (progress) OS::closeProgress();
        return;
    }
    // A download is no request: its bytes never reach the request record.
    connection->setMyHttpConnectionObject(nullptr);
    connection->downloadFileA(url, this, progress);
}

void CupdateMaster::finishedDownloading() {
    OBChttpConnection* connection = hangingPointerToHttpConnection;
    if (connection == nullptr) return;
    logLine("finishedDownloadingM finishedWell=", connection->finishedWell());
    connection->closeProgress();
    sheetMessage("Download completed");
    if (connection->getDataSize() > 0 && connection->finishedWell()) {
        bool package = connection->isVLI();
        int stored = connection->storeAsFile(downloadDestFilename.c_str());
        connection->clearData();
        Cstring script = onFinishedDownloadingScript;
        if (script == ":overwriteSettings") {
            overwriteSettings();
        } else if (!script.empty()) {
            if (shopKeeperDirectory)
                runStringScript(shopKeeperDirectory, script.c_str());
            else
                logLine("WARNING! NO SHOP");
        }
        if (!script.empty())
            onFinishedDownloadingScript = "";
        else if (package && stored == 0)
            updateUsingFile(downloadDestFilename.c_str());
    } else if (connection->wasCancelled() && showProgress) {
        sheetMessage("Download Cancelled");
    } else if (showProgress) {
        sheetMessage("Download failed :(");
        setErrorKeyword("DlFail");
        revealSettingsFolder();
        OS::ShowMessage(connection->getError().c_str(), nullptr, 0);
        OS::ShowMessage(
            "There was a problem downloading the update|Try again later and if the problem persists use "
            "the \"I'm having a problem with Velmora\" button",
            nullptr, 0);
    }
    logLine("exiting finishedDownloadingM");
}

void CupdateMaster::overwriteSettings() {
    std::ifstream in;
    if (!file_open(in, "[APD]dl_sets.txt", 0)) return;
    in.seekg(0, std::ios::end);
    long size = static_cast<long>(in.tellg());
    in.seekg(0);
    std::string text;
    if (size > 0 && size <= kMaxDownloadedSettings)
        text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (text.compare(0, 4, ":set") != 0) {
        OS::ShowMessage("Couldn't find file online. Make sure to save your settings on the webpage.||ok",
                        nullptr, 0);
        return;
    }
    createDiskFile("[APD]settings.txt", text.data(), static_cast<int>(text.size()));
    if (engineHooks.endConfigureSheet) engineHooks.endConfigureSheet();
    deleteFile("[APD]dl_sets.txt");
}

int CupdateMaster::updateUsingFile(char const* path) {
    if (!mayWriteDataFolder()) { // a run that keeps nothing installs nothing either
        logLine("no update installed: ", dataFolderReadOnly.c_str());
        return 0;
    }
    logLine("running update file ");
    logLine("gonna try to update with file ", path ? path : "");
    // The table always names the current data folder.
    updatePackage::clearPaths();
    updatePackage::addPath("CON", appDataDir.c_str());
    updatePackage::addPath("RSC", (appDataDir + "Resources").c_str());
    updatePackage::addPath("MOS", appDataDir.c_str());
    updatePackage::addPath("APD", appDataDir.c_str());
    int result = updatePackage::runScript(path, 0);
    lastPackageResult = result;
    logLine(".vli file returned ", result);
    if (result == VLI_EXIT0) {
        logLine("quitting");
        if (engineHooks.updateInstalled) engineHooks.updateInstalled();
        if (engineHooks.endConfigureSheet) engineHooks.endConfigureSheet();
    } else if (result == VLI_FAILED) {
        revealSettingsFolder();
        Cstring text = Cstring("An error occurred while updating Velmora (") + updatePackage::vliScriptError +
                       "). Please get in touch with us so we can help.||Ok|Contact Velmora";
        if (OS::ShowMessage(text.c_str(), nullptr, 0) == 0) {
            Cstring page = webServerAddress();
            if (!page.empty()) OS::showInternetPage((page + contactPageAddress).c_str());
        }
    }
    resourcesVersion = intrinsicVersion;
    OS::writeInstalledComponentsStatus();
    return 0;
}
