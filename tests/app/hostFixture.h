// A program run in the test process: an install folder and a data folder in temporary
// folders named to the platform through its environment variables, and the host state
// put back between tests.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "testSupport.h"

class HostFixture : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // The install folder with its defaults and, unless told otherwise, the noise table;
    // the data folder already holding this version's resources (settings are saved).
    void makeFolders(bool withNoise);
    // Every log the run wrote into the data folder, joined.
    std::string logs();
    std::string settingsText() { return readWholeFile(data.file("settings.txt")); }

    TempDir install;
    TempDir data;
    std::filesystem::path savedCwd;
};
