// A program run in the test process: an install folder and a data folder in temporary
// folders named to the platform through its environment variables, and the host state
// put back between tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "host/glContext.h"
#include "host/pictureDecoders.h"
#include "testSupport.h"

class CvelmoraView;
class ChostRun;
class Ctank;

#define REQUIRE_OFFSCREEN()                                                                                  \
    if (!offscreenContextsAvailable()) DISPLAY_MISSING() << "no EGL display: " << lastContextError()

class HostFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The install folder with its defaults and, unless told otherwise, the noise table;
    // the data folder already holding this version's resources (settings are saved).
    void makeFolders(bool withNoise);
    // The resource tree the build stages as the install folder.
    static void useStagedResources() { setenv("VELMORA_INSTALL_DIR", VELMORA_GENERATED_RESOURCE_DIR, 1); }
    // The program run with these arguments (after its name) and saverWindow as the value of
    // XSCREENSAVER_WINDOW (null: unset); the status, 2 for a command line it refuses.
    static int runProgram(std::vector<std::string> const& args, char const* saverWindow = nullptr);
    // Opens a run with these arguments (after the program's name) for a test to step: the
    // status of ChostRun::open, or 2 when the command line is refused.
    static int openRun(ChostRun& run, std::vector<std::string> const& args);
    static PictureSink readPng(std::string const& path);
    // What a frame shows: "the red error screen" (half of it or more), "the tank" (an eighth
    // or more lit, the tank fading in from black included), else "a dark screen".
    static std::string pictureShown(PictureSink const& png);
    // The program's view over the staged resources, in an offscreen context of that size, run
    // until its first tank is loaded: that tank, or null.
    static Ctank* startStagedView(std::unique_ptr<CvelmoraView>& view, int width, int height);
    // Every log the run wrote into the data folder, joined.
    std::string logs();
    std::string settingsText() { return readWholeFile(data.file("settings.txt")); }

    TempDir install;
    TempDir data;
    TempDir config; // $XDG_CONFIG_HOME: the saver defaults
    std::filesystem::path savedCwd;
    std::string savedConfigHome;
};
