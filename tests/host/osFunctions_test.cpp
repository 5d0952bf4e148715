#include <gtest/gtest.h>

#include <cstdlib>

#include "host/osFunctions.h"
#include "support/cerr.h"
#include "support/globals.h"
#include "testSupport.h"

namespace {

// Restores one environment variable when it goes.
class ScopedEnv {
  public:
    ScopedEnv(char const* n, char const* value) : name(n) {
        char const* old = std::getenv(n);
        had = old != nullptr;
        if (old) saved = old;
        if (value)
            setenv(n, value, 1);
        else
            unsetenv(n);
    }
    ~ScopedEnv() {
        if (had)
            setenv(name, saved.c_str(), 1);
        else
            unsetenv(name);
    }

  private:
    char const* name;
    std::string saved;
    bool had = false;
};

TEST(OsFolders, DataFolderRules) {
    ScopedEnv home("HOME", "/home/fish");
    {
        ScopedEnv own("VELMORA_DATA_DIR", "/own/data");
        ScopedEnv xdg("XDG_DATA_HOME", "/xdg");
        EXPECT_EQ(OS::defaultAppDataDir(), "/own/data/");
    }
    {
        ScopedEnv own("VELMORA_DATA_DIR", nullptr);
        ScopedEnv xdg("XDG_DATA_HOME", "/xdg/");
        EXPECT_EQ(OS::defaultAppDataDir(), "/xdg/velmora/");
    }
    {
        ScopedEnv own("VELMORA_DATA_DIR", nullptr);
        ScopedEnv xdg("XDG_DATA_HOME", nullptr);
        EXPECT_EQ(OS::defaultAppDataDir(), "/home/fish/.local/share/velmora/");
    }
}

} // namespace
