// Helpers shared by the test programs.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/mystring.h"

// The resource tree the build stages, its generated files included ("resources/" when the
// build stages none).
#ifdef VELMORA_GENERATED_RESOURCE_DIR
constexpr char const* kGeneratedResourceDir = VELMORA_GENERATED_RESOURCE_DIR;
#else
constexpr char const* kGeneratedResourceDir = "resources/";
#endif

// A fresh temporary folder, removed with everything in it when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(TempDir const&) = delete;
    TempDir& operator=(TempDir const&) = delete;

    // The folder, ending in "/".
    std::string const& path() const { return dir; }
    std::string file(char const* name) const { return dir + name; }

  private:
    std::string dir;
};

// Points the data folder ("[APD]") at a fresh temporary folder for the life of the object
// and restores the previous folder afterwards.
class ScopedDataFolder {
  public:
    ScopedDataFolder();
    ~ScopedDataFolder();
    std::string const& path() const { return temp.path(); }
    std::string file(char const* name) const { return temp.file(name); }

  private:
    TempDir temp;
    Cstring saved;
};

// Holds the X display ($DISPLAY) for the life of the object. Tests that show windows there or
// send it input take turns, so that no other test's window covers theirs or takes their
// clicks while the tests run side by side. Nothing is held without $DISPLAY.
class ScopedDisplayLock {
  public:
    ScopedDisplayLock();
    ~ScopedDisplayLock();
    ScopedDisplayLock(ScopedDisplayLock const&) = delete;
    ScopedDisplayLock& operator=(ScopedDisplayLock const&) = delete;

  private:
    int fd = -1;
};

// Whole-file helpers for checking what the engine wrote.
std::string readWholeFile(std::string const& path);
void writeWholeFile(std::string const& path, std::string const& content);
bool pathExists(std::string const& path);

// A committed input file of tests/inputs/ (path relative to it).
std::string testInput(char const* relativePath);

// Lets the running test end the process (a death test of a command that exits); otherwise
// an exit inside a test fails it.
void allowExitInThisTest();

// A test that needs a display (X, or EGL offscreen) and finds none is skipped on a
// developer's machine; under CI ($CI set) it fails, so that a machine without one is told
// at once and a skip never hides what the test catches. Other reasons stay skips.
::testing::TestPartResult::Type displayMissingResult();
#define DISPLAY_MISSING() return GTEST_MESSAGE_("", displayMissingResult())
#define REQUIRE_X()                                                                                          \
    if (!std::getenv("DISPLAY"))                                                                             \
    DISPLAY_MISSING() << "no X server ($DISPLAY unset): run the tests under xvfb-run"
// A row that needs a PID namespace of its own ("unshare --pid", root's) and is refused one
// is left out, said so: as with a display, a skip on a developer's machine, under CI (which
// runs as root) a failure. The test goes on with its other rows.
#define NAMESPACES_REFUSED() GTEST_MESSAGE_("", displayMissingResult())
