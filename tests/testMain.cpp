// The test programs' main. Every program starts the engine as the program does (its own
// wiring, once; the program's own tests with its views' wiring too); after each test the wiring and the exit
// state are put back, and each test starts the random generator afresh, so tests hold in any order. A test
// that ends the process (exit0) fails.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "graphics/graphicsMaster.h"
#include "graphics/workObject.h"
#include "host/hostServices.h"
#include "program/programWiring.h"
#ifdef VELMORA_TESTS_WIRE_APP
#include "app/appWiring.h"
#endif
#include "support/cerr.h"
#include "support/engineHooks.h"
#include "support/osRand.h"
#include "testSupport.h"
#include "world/thingFactory.h"
#include "world/worldHooks.h"

namespace {

// The hook tables as the program's wiring left them.
struct CwiredState {
    CengineHooks engine = engineHooks;
    CgraphicsHooks graphics = graphicsHooks;
    CworkObjectDeviceHooks device = workObjectDeviceHooks;
    CworldHooks world = worldHooks;

    void restore() const {
        engineHooks = engine;
        graphicsHooks = graphics;
        workObjectDeviceHooks = device;
        worldHooks = world;
        clearThingMakers();
        wireProgram();
    }
};

std::string runningTest;
bool exitAllowed = false;

class CresetAfterEachTest : public ::testing::EmptyTestEventListener {
  public:
    explicit CresetAfterEachTest(CwiredState const& wired) : wired(wired) {}
    void OnTestStart(::testing::TestInfo const& info) override {
        runningTest = std::string(info.test_suite_name()) + "." + info.name();
        // Each test draws the numbers a new process would, whatever ran before it.
        OS::setRandState(firstRandState);
    }
    void OnTestEnd(::testing::TestInfo const&) override {
        runningTest.clear();
        exitAllowed = false;
        wired.restore();
        resetExitState();
        takeViewerNotes(); // what a test left to tell is no other test's
        // The platform's plain services and no alerts: a program's view puts the GTK ones
        // in place and an open sheet lets alerts show.
        setHostServices(nullptr);
        skipNSAlert = 1;
    }

  private:
    CwiredState wired;
    uint32_t firstRandState = OS::randState();
};

// The engine ends the process with exit(0) where nothing can go on; inside a test that is a
// failure, never a pass.
void failAnExitInsideATest() {
    if (runningTest.empty() || exitAllowed) return;
    std::fprintf(stderr, "\n%s ended the process (exit0) inside the test: failed\n", runningTest.c_str());
    std::fflush(stderr);
    _exit(1);
}

// GTK and the desktop libraries under it, as the tests load them: their settings kept in
// memory (no settings service, whose absence the test machines report), their files (settings,
// bookmarks, recent files) in folders of the process's own, never the home's, and GDK off the
// GL driver. GDK would load the driver for each display a test opens and unload it as the
// display closes, unless an earlier GTK program on the shared display left GDK's visual cache
// there; what the unloaded driver kept looks like a leak no suppression can name.
void keepTheDesktopToThisProcess(TempDir const& home) {
    setenv("GSETTINGS_BACKEND", "memory", 1);
    setenv("GDK_GL", "disable", 1);
    for (char const* folder : {"config", "data"})
        std::filesystem::create_directory(home.file(folder));
    setenv("XDG_CONFIG_HOME", home.file("config").c_str(), 1);
    setenv("XDG_DATA_HOME", home.file("data").c_str(), 1);
}

} // namespace

void allowExitInThisTest() {
    exitAllowed = true;
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Shop keepers started by tests play through no device (a test that listens names its
    // own output).
    setenv("ALSOFT_DRIVERS", "no-device-in-tests", 0);
    TempDir desktopHome;
    keepTheDesktopToThisProcess(desktopHome);
#ifdef VELMORA_TESTS_WIRE_APP
    wireApp(); // the program's tests start it as main() does
    setHostServices(nullptr);
#else
    wireProgram();
#endif
    ::testing::UnitTest::GetInstance()->listeners().Append(new CresetAfterEachTest(CwiredState{}));
    std::atexit(failAnExitInsideATest);
    return RUN_ALL_TESTS();
}
