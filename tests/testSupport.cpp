#include "testSupport.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/globals.h"

TempDir::TempDir() {
    std::string templ = (std::filesystem::temp_directory_path() / "velmora-test-XXXXXX").string();
    char* made = mkdtemp(templ.data());
    dir = std::string(made ? made : templ.c_str()) + "/";
}

TempDir::~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
}

ScopedDisplayLock::ScopedDisplayLock() {
    char const* display = std::getenv("DISPLAY");
    if (!display || !*display) return;
    std::string name = (std::filesystem::temp_directory_path() / "velmora-display-").string();
    for (char const* c = display; *c; c++)
        name += (*c == '/' || *c == ':') ? '_' : *c;
    fd = open((name + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd >= 0) flock(fd, LOCK_EX);
}

ScopedDisplayLock::~ScopedDisplayLock() {
    if (fd >= 0) close(fd); // closing lets the lock go
}

::testing::TestPartResult::Type displayMissingResult() {
    char const* ci = std::getenv("CI");
    return ci && *ci ? ::testing::TestPartResult::kFatalFailure : ::testing::TestPartResult::kSkip;
}

ScopedDataFolder::ScopedDataFolder() : saved(appDataDir) {
    appDataDir = temp.path().c_str();
}
ScopedDataFolder::~ScopedDataFolder() {
    appDataDir = saved;
}

std::string readWholeFile(std::string const& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeWholeFile(std::string const& path, std::string const& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

bool pathExists(std::string const& path) {
    return std::filesystem::exists(path);
}

std::string testInput(char const* relativePath) {
    return std::string(VELMORA_TEST_INPUT_DIR) + relativePath;
}
