// The shipped resource tree: every species loads with its model and a kind of thing.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "graphics/texturedGeo.h"
#include "testSupport.h"
#include "world/species.h"
#include "world/thingFactory.h"

namespace {

class DefaultTank : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        scriptError = 0;
        savedCwd = std::filesystem::current_path();
        std::filesystem::current_path(kGeneratedResourceDir);
        if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
        savedDiskAlways = resourcesDir->checkDiskAlways;
        resourcesDir->checkDiskAlways = 1;
        speciesTreeBase = &root;
        sharedResourceTree = &shared;
        installModelLoader();
        startRunOrQuit = 1;
    }
    void TearDown() override {
        root.deleteChildren();
        shared.deleteChildren();
        speciesTreeBase = nullptr;
        sharedResourceTree = nullptr;
        resourcesDir->checkDiskAlways = savedDiskAlways;
        std::filesystem::current_path(savedCwd);
        resetExitState();
        scriptError = 0;
    }
    static std::string lastReason() { return exitReasonList.empty() ? "" : exitReasonList.back().c_str(); }

    std::filesystem::path savedCwd;
    uint16_t savedDiskAlways = 0;
    CdirectoryVar root, shared;
};

TEST_F(DefaultTank, EverySpeciesLoadsWithItsModel) {
    std::set<std::string> names;
    for (auto const& entry : std::filesystem::directory_iterator("species")) {
        std::string name = entry.path().filename().string();
        if (std::filesystem::exists(entry.path() / (name + ".spec"))) names.insert(name);
    }
    ASSERT_GE(names.size(), 8u);
    for (std::string const& name : names) {
        Cspecies* species = requestSpecies2(name.c_str(), nullptr);
        ASSERT_NE(species, nullptr) << name << ": " << lastReason();
        EXPECT_TRUE(exitReasonList.empty()) << name << ": " << lastReason();
        EXPECT_NE(species->model(), nullptr) << name;
        EXPECT_EQ(thingKindOf(species->speciesClass.c_str()) >= 0, true)
            << name << " class " << species->speciesClass.c_str();
        resetExitState();
    }
}

} // namespace
