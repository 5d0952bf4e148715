#include "hostFixture.h"

#include <cstdlib>

#include "app/hostLoop.h"
#include "app/velmoraView.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "variables/configDialogVars.h"
#include "world/initGlobals.h"
#include "world/shopKeeper.h"
#include "world/tank.h"
#include "world/velmoraFunctions.h"

namespace {
void resetHostState() {
    resetExitState();
    showInPreview = 0;
    pleaseQuitSystemPreferences = 0;
    stopSignalled = 0;
    needsAnUpdate = 0;
    modules = "";
    activeTimes = "";
    stdoutFilename = "";
    installDir = "";
    appDataDir = "";
}
char arg0[] = "velmora";
char* argv0[] = {arg0, nullptr};
} // namespace

void HostFixture::SetUp() {
    // Runs here hear nothing: the sound finds no device, as on a machine without one.
    setenv("ALSOFT_DRIVERS", "no-device-in-tests", 1);
    savedCwd = std::filesystem::current_path();
    savedConfigHome = std::getenv("XDG_CONFIG_HOME") ? std::getenv("XDG_CONFIG_HOME") : "";
    setenv("VELMORA_INSTALL_DIR", install.path().c_str(), 1);
    setenv("VELMORA_DATA_DIR", data.path().c_str(), 1);
    setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
    resetHostState();
}

void HostFixture::TearDown() {
    if (globalVariablesDir) freeGlobals();
    closeStdout();
    // The next run opens its own master log in its own data folder.
    if (masterOut.is_open()) masterOut.close();
    std::filesystem::current_path(savedCwd);
    unsetenv("VELMORA_INSTALL_DIR");
    unsetenv("VELMORA_DATA_DIR");
    // The test process's own folder (tests/testMain.cpp), never the home's.
    setenv("XDG_CONFIG_HOME", savedConfigHome.c_str(), 1);
    resetHostState();
}

int HostFixture::runProgram(std::vector<std::string> const& args, char const* saverWindow) {
    std::vector<char const*> argv = {"velmora"};
    for (auto const& a : args)
        argv.push_back(a.c_str());
    ChostOptions o;
    Cstring error;
    int parsed = parseHostOptions(int(argv.size()), argv.data(), saverWindow, o, error);
    EXPECT_EQ(parsed, 0) << error;
    return parsed ? 2 : runHost(o, 1, argv0);
}

int HostFixture::openRun(ChostRun& run, std::vector<std::string> const& args) {
    std::vector<char const*> argv = {"velmora"};
    for (auto const& a : args)
        argv.push_back(a.c_str());
    ChostOptions options;
    Cstring error;
    if (parseHostOptions(int(argv.size()), argv.data(), nullptr, options, error) != 0) {
        ADD_FAILURE() << error.c_str();
        return 2;
    }
    return run.open(options, 1, argv0);
}

PictureSink HostFixture::readPng(std::string const& path) {
    std::string bytes = readWholeFile(path);
    PictureSink sink;
    EXPECT_TRUE(decodePngPicture(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(), sink));
    return sink;
}

std::string HostFixture::pictureShown(PictureSink const& png) {
    size_t red = 0, lit = 0, pixels = png.rgba.size() / 4;
    for (size_t i = 0; i + 3 < png.rgba.size(); i += 4) {
        uint8_t const* p = &png.rgba[i];
        red += p[0] >= 126 && p[0] <= 129 && p[1] == 0 && p[2] == 0;
        lit += p[0] + p[1] + p[2] > 10 && p[1] > 0; // not the red nor the blue notice screen
    }
    if (pixels && red >= pixels / 2) return "the red error screen";
    return pixels && lit >= pixels / 8 ? "the tank" : "a dark screen";
}

void HostFixture::makeFolders(bool withNoise) {
    std::string noise = std::string(VELMORA_GENERATED_RESOURCE_DIR) + "global/arrays/noise50.chan";
    std::filesystem::create_directories(install.path() + "global/arrays");
    writeWholeFile(install.file("defaults.txt"), ":set crabMood 3\n");
    if (!withNoise) return;
    std::filesystem::copy_file(noise, install.file("global/arrays/noise50.chan"));
    std::filesystem::create_directories(data.path() + "Resources/global/arrays");
    std::filesystem::copy_file(noise, data.file("Resources/global/arrays/noise50.chan"));
    // The sounds, which a run wider than a preview plays.
    std::string sounds = std::string(VELMORA_GENERATED_RESOURCE_DIR) + "global/sounds";
    for (std::string const& root : {install.path(), data.path() + "Resources/"})
        std::filesystem::copy(sounds, root + "global/sounds", std::filesystem::copy_options::recursive);
    // The default tank, empty (the run shows its clear colour) but for the wide camera
    // every tank frames itself with.
    std::string tank = ":addScript tanks/wabi_sabi/wabi_sabi.tank {\n\t:float emptyTank 1\n"
                       "\t:rotater cameraRotate {\n\t\t:set main 7\n"
                       "\t\t:array cam 7 \"wide\" 0 0.1 6.4 0 -0.04 -1 48 1 0\n\t}\n}\n";
    for (std::string const& root : {install.path(), data.path() + "Resources/"}) {
        std::filesystem::create_directories(root + "tanks/wabi_sabi");
        writeWholeFile((root + "tanks/wabi_sabi/wabi_sabi.tank").c_str(), tank);
    }
    writeWholeFile(data.file("Resources/downloadedComponents.txt"),
                   ":set modules \"fishtnk         \"\n:set rscVer 12960018\n");
}

std::string HostFixture::logs() {
    std::string all;
    for (auto const& entry : std::filesystem::directory_iterator(data.path()))
        if (entry.path().extension() == ".txt") all += readWholeFile(entry.path().string());
    return all;
}

Ctank* HostFixture::startStagedView(std::unique_ptr<CvelmoraView>& view, int width, int height) {
    useStagedResources();
    view = std::make_unique<CvelmoraView>(CviewRect{0, 0, double(width), double(height)},
                                          createOffscreenContext(width, height), false);
    if (!view->valid()) return nullptr;
    view->startAnimation();
    for (int i = 0; i < 30 && shopKeeper; i++) {
        view->animateOneFrame();
        // Each loaded tank sits in a holder named after it.
        for (Cvariable* h = shopKeeper->loadedTanks ? shopKeeper->loadedTanks->firstChild : nullptr; h;
             h = h->nextSibling)
            if (auto* tank = dynamic_cast<Ctank*>(h->firstChild)) return tank;
    }
    return nullptr;
}
