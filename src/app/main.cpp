// velmora: the aquarium in a window, as a screen-saver hack, or headless into PNG files.
#include <unistd.h>

#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/hostLoop.h"

#ifndef VELMORA_RESOURCES_FROM_PROGRAM
#define VELMORA_RESOURCES_FROM_PROGRAM "../share/velmora-resources/"
#endif
#ifndef VELMORA_BUILT_PROGRAM_DIR
#define VELMORA_BUILT_PROGRAM_DIR ""
#endif

// Unless told ($VELMORA_INSTALL_DIR), a program run where the build made it takes the
// resources the build staged (the host's default); anywhere else (installed) it takes the
// tree installed beside it and only that one, never a build tree that happens to remain.
static void findInstalledResources() {
    if (char const* told = std::getenv("VELMORA_INSTALL_DIR"); told && *told) return;
    char exe[PATH_MAX], built[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return;
    std::filesystem::path folder =
        std::filesystem::path(std::string(exe, static_cast<size_t>(n))).parent_path();
    if (realpath(VELMORA_BUILT_PROGRAM_DIR, built) && folder == built) return;
    std::filesystem::path installed = (folder / VELMORA_RESOURCES_FROM_PROGRAM).lexically_normal();
    setenv("VELMORA_INSTALL_DIR", installed.c_str(), 1);
}

int main(int argc, char** argv) {
    ChostOptions options;
    Cstring error;
    if (parseHostOptions(argc, argv, std::getenv("XSCREENSAVER_WINDOW"), options, error) != 0) {
        std::fprintf(stderr, "velmora: %s\n%s", error.c_str(), hostUsage());
        return 2;
    }
    if (options.help) {
        std::fputs(hostUsage(), stdout);
        return 0;
    }
    findInstalledResources();
    installStopSignals();
    installSuddenEnds();
    // A write past a limit on the size of files fails with the system's reason, as on a full
    // disk, and the run goes on (a resource copy given up, a save said to have failed).
    std::signal(SIGXFSZ, SIG_IGN);
    return runHost(options, argc, argv);
}
