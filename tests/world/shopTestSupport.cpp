#include "shopTestSupport.h"

#include "script/scripter.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/velmoraFunctions.h"

void ShopFixture::SetUp() {
    savedCwd = std::filesystem::current_path();
    savedInstall = installDir;
    std::string noise = std::string(VELMORA_GENERATED_RESOURCE_DIR) + "global/arrays/noise50.chan";
    for (std::string folder : {install.path(), data.file("Resources/")}) {
        std::filesystem::create_directories(folder + "global/arrays");
        std::filesystem::copy_file(noise, folder + "global/arrays/noise50.chan");
    }
    // The installed defaults: one sequence and the saved sound settings of a fresh install.
    writeWholeFile(install.file("defaults.txt"), ":set crabMood 3\n:set masterVolume 0.5\n");
    // The data folder's resources are this program's version: settings are read and saved.
    writeWholeFile(data.file("Resources/downloadedComponents.txt"),
                   ":set modules \"fishtnk         \"\n:set rscVer 12960018\n");
    host.installFolders = {install.path().c_str()};
    host.clock = 1136779260LL + 100 * 3600 + 60; // hour 100 of the week, plus a minute
    resetExitState();
    errorChannels = 1;
    enableAnim = 1;
    scriptError = 0;
    modules = "";
    activeTimes = "";
    m_SaverMode = 0;
}

void ShopFixture::TearDown() {
    if (shop) stopShop();
    if (globalVariablesDir) freeGlobals();
    closeStdout();
    std::filesystem::current_path(savedCwd);
    installDir = savedInstall;
    modules = "";
    activeTimes = "";
    needsAnUpdate = 0;
    scriptError = 0;
    askAboutCrash = 0;
    stdoutFilename = "";
    errorChannels = 0;
    resetExitState();
}

void ShopFixture::startShop(int isPreview, int devices, float rate) {
    ASSERT_EQ(initGlobals(), 0);
    shop = std::make_unique<CshopKeeper>(servicesInUse);
    shop->timerDriven = 1;
    shop->startup(isPreview);
    shop->loadup();
    startRunOrQuit = 1;
    addDevices(devices, rate);
}

void ShopFixture::stopShop() {
    shop->shutDown();
    shop.reset();
    enterRunPhase("done", false);
    freeGlobals();
    devices.clear();
}

void ShopFixture::addDevices(int n, float rate) {
    for (int i = 0; i < n; i++) {
        devices.push_back(std::make_unique<CcountingDevice>());
        CcountingDevice* d = devices.back().get();
        d->refreshRate = rate;
        d->isActive = 1;
        d->windowChanged = 0;
        d->setDisplayIndex(numDisplays);
        display[numDisplays++] = d;
    }
}

void ShopFixture::stepFrames(int n) {
    for (int i = 0; i < n; i++)
        for (int d = 0; d < numDisplays; d++)
            shop->timerMoveFrame(display[d]);
}

void ShopFixture::writeResource(char const* path, std::string const& text) {
    std::filesystem::path file = data.file("Resources/") + path;
    std::filesystem::create_directories(file.parent_path());
    writeWholeFile(file.string(), text);
}
