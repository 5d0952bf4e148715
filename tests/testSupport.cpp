#include "testSupport.h"

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
