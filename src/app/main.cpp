// velmora: the aquarium in a window, as a screen-saver hack, or headless into PNG files.
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/hostLoop.h"

// An installed program finds its resources beside it (../share/velmora) unless told.
static void findInstalledResources() {
    if (std::getenv("VELMORA_INSTALL_DIR")) return;
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    if (n <= 0) return;
    std::string path(exe, static_cast<size_t>(n));
    std::string shared = path.substr(0, path.rfind('/')) + "/../share/velmora/";
    if (access((shared + "defaults.txt").c_str(), R_OK) == 0)
        setenv("VELMORA_INSTALL_DIR", shared.c_str(), 1);
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
    return runHost(options, argc, argv);
}
