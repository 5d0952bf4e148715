// A scratch folder for fuzz targets whose inputs write or look for files by relative names.
// Each input runs inside it and the process goes back to where the fuzzer started
// afterwards: libFuzzer reads its corpus files and writes what it finds by the paths it was
// given, after the first input has run, so a target that stayed in another folder lost
// relative corpus folders ("no interesting inputs") and its crash files.
#pragma once

#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

class CfuzzScratchFolder {
  public:
    explicit CfuzzScratchFolder(char const* name) {
        std::string pattern = std::string("/tmp/") + name + "-XXXXXX";
        char cwd[PATH_MAX];
        if (mkdtemp(pattern.data()) == nullptr || getcwd(cwd, sizeof cwd) == nullptr) return;
        work = pattern;
        home = cwd;
    }
    ~CfuzzScratchFolder() {
        std::error_code ignored;
        if (!work.empty()) std::filesystem::remove_all(work, ignored);
    }
    bool ready() const { return !work.empty(); }
    // The folder with a trailing slash, as the data folder is named.
    std::string folder() const { return work + "/"; }

    // Inside the folder for as long as it lives. Without the folder the target would test
    // nothing, or lose the fuzzer's paths: it stops at once, saying so.
    class Visit {
      public:
        explicit Visit(CfuzzScratchFolder const& f) : home(f.home) {
            if (!f.ready() || chdir(f.work.c_str()) != 0) fail("cannot enter the scratch folder");
        }
        ~Visit() {
            if (chdir(home.c_str()) != 0) fail("cannot go back to the fuzzer's folder");
        }

      private:
        [[noreturn]] static void fail(char const* what) {
            std::fprintf(stderr, "fuzz target: %s\n", what);
            std::abort();
        }
        std::string const& home;
    };

  private:
    std::string work, home;
};
