// A scratch folder for fuzz targets whose inputs write or look for files by relative names.
// Each input runs inside it and the process goes back to where the fuzzer started
// afterwards: libFuzzer reads its corpus files and writes what it finds by the paths it was
// given, after the first input has run, so a target that stayed in another folder lost
// relative corpus folders ("no interesting inputs") and its crash files.
//
// Its name is the same in every run ("/tmp/<name>-0"; "-1" and on while other processes
// hold the first): inputs read paths they build from it as text, and a name made anew each
// run sent a run from a fixed seed another way each time. A lock on the folder keeps
// processes apart; what a run that crashed left in it is cleared.
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

class CfuzzScratchFolder {
  public:
    explicit CfuzzScratchFolder(char const* name) {
        char cwd[PATH_MAX];
        if (getcwd(cwd, sizeof cwd) == nullptr) return;
        for (int i = 0; i < 100 && work.empty(); i++)
            take(std::string("/tmp/") + name + "-" + std::to_string(i));
        std::error_code ignored;
        for (auto const& left : std::filesystem::directory_iterator(work, ignored))
            std::filesystem::remove_all(left.path(), ignored);
        home = cwd;
    }
    ~CfuzzScratchFolder() {
        std::error_code ignored;
        if (!work.empty()) std::filesystem::remove_all(work, ignored);
        if (lock >= 0) close(lock);
    }
    bool ready() const { return !work.empty(); }
    // The folder with a trailing slash, as the data folder is named.
    std::string folder() const {
        if (!ready()) fail("no scratch folder");
        return work + "/";
    }

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
        std::string const& home;
    };

  private:
    [[noreturn]] static void fail(char const* what) {
        std::fprintf(stderr, "fuzz target: %s\n", what);
        std::abort();
    }
    // Holds path when it is a folder of this user's that no other process holds.
    void take(std::string const& path) {
        mkdir(path.c_str(), 0700); // or there already
        int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0) return;
        struct stat held, named;
        // Still the folder of that name: one another process removed as it let go is not.
        if (flock(fd, LOCK_EX | LOCK_NB) != 0 || fstat(fd, &held) != 0 || lstat(path.c_str(), &named) != 0 ||
            held.st_ino != named.st_ino || held.st_dev != named.st_dev || held.st_uid != geteuid()) {
            close(fd);
            return;
        }
        lock = fd;
        work = path;
    }
    std::string work, home;
    int lock = -1;
};
