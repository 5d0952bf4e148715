// Model and font requests, with a small fake model kind behind the loader hook.
#include <filesystem>
#include <string>
#include <unistd.h>

#include "support/engineHooks.h"
#include "data/aquaResource.h"
#include "requestTestSupport.h"

namespace {

int modelLoads = 0;

// A model loader for files that read "model"; counts its loads.
CmanagedResourceVar* loadFakeModel(Cstring const& diskPath) {
    modelLoads++;
    return readWholeFile(diskPath.c_str()) == "model" ? new CmanagedResourceVar : nullptr;
}

// Runs the test with the working folder changed, restored afterwards.
class ScopedWorkingFolder {
  public:
    explicit ScopedWorkingFolder(std::string const& dir) : saved(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~ScopedWorkingFolder() { std::filesystem::current_path(saved); }

  private:
    std::filesystem::path saved;
};

class ModelRequest : public RequestTest {
  protected:
    void SetUp() override {
        RequestTest::SetUp();
        engineHooks.modelLoader = loadFakeModel;
        modelLoads = 0;
        std::filesystem::create_directories(dir.file("species"));
    }
    void TearDown() override {
        engineHooks.modelLoader = nullptr;
        RequestTest::TearDown();
    }
    std::string speciesFolder() { return dir.file("species"); }
};

TEST_F(ModelRequest, FailedModelIsNotShared) {
    writeWholeFile(dir.file("species/broken.geo"), "not a model");
    EXPECT_EQ(requestGeo2("broken.geo", speciesFolder().c_str()), nullptr);
    EXPECT_EQ(filed("resources" + speciesFolder() + "/broken.geo"), nullptr);
    EXPECT_EQ(requestGeo2("broken.geo", speciesFolder().c_str()), nullptr);
    EXPECT_EQ(modelLoads, 2); // tried again, not handed out as loaded
}

// Nothing loads: no file, a file only beside a folder not given, no loader, or
// something else filed at the model's path.
TEST_F(ModelRequest, RequestsThatFindNoModel) {
    writeWholeFile(dir.file("species/reef.geo"), "model");
    writeWholeFile(dir.file("species/shark.geo"), "model");
    shop.addDirectory("speciesScripts")->addVariableX("eel.geo", CLASS_FLOAT);
    ScopedWorkingFolder cwd(dir.path());
    EXPECT_EQ(requestGeo2("ghost.geo", speciesFolder().c_str()), nullptr);
    EXPECT_EQ(requestGeo2("ghost.geo", nullptr), nullptr);
    EXPECT_EQ(requestGeo2("reef.geo", nullptr), nullptr);
    EXPECT_EQ(requestGeo2("eel.geo", nullptr), nullptr);
    EXPECT_EQ(modelLoads, 0);
    engineHooks.modelLoader = nullptr;
    EXPECT_EQ(requestGeo2("shark.geo", speciesFolder().c_str()), nullptr);
    EXPECT_EQ(shop.countChildren(-1), 1); // only the planted folder
}

} // namespace
