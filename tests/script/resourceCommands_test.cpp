// The script commands that bind models and data arrays: "addGeo", "addChan", "addImage",
// "addVolume".
#include "data/aquaResource.h"
#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "scriptTestSupport.h"
#include "support/engineHooks.h"

namespace {

// A model whose file must read "model".
CmanagedResourceVar* loadFakeModel(Cstring const& diskPath) {
    if (readWholeFile(diskPath.c_str()) != "model") return nullptr;
    return new CmanagedResourceVar;
}

// An object with a model field and an array field, as species and fish register them.
class Species : public CdirectoryVar {
  public:
    Species() {
        registerResourcePointer(this, &geo, "geo");
        registerDataArrayPointer(this, &table, "table");
    }
    CmanagedResourceVar* geo = nullptr;
    CdataArray* table = nullptr;
};

class ResourceCommands : public ScriptStateTest {
  protected:
    void SetUp() override {
        reset();
        sharedResourceTree = &shop;
        engineHooks.modelLoader = loadFakeModel;
    }
    void TearDown() override {
        species.deleteChildren();
        shop.deleteChildren();
        sharedResourceTree = nullptr;
        engineHooks.modelLoader = nullptr;
        closeStdout();
        reset();
    }
    // Runs text as the script file "species.txt" of the temporary folder.
    int runFile(std::string const& text) {
        writeWholeFile(dir.file("species.txt"), text);
        return runDiskScript(&species, dir.file("species.txt").c_str());
    }
    static bool exitMentions(std::string const& text) {
        return std::string(exitMsg.c_str()).find(text) != std::string::npos;
    }

    ScopedDataFolder dataFolder;
    TempDir dir;
    CdirectoryVar shop;
    Species species;
};

TEST_F(ResourceCommands, AddGeoBindsTheSharedModel) {
    writeWholeFile(dir.file("shark.geo"), "model");
    ASSERT_EQ(runFile(":addGeo geo shark.geo\n"), 0) << exitMsg.c_str();
    ASSERT_NE(species.geo, nullptr);
    EXPECT_EQ(species.geo->useCount, 1u);
    auto* ref = dynamic_cast<CresourceReference*>(species.getChild("geo", 0));
    ASSERT_NE(ref, nullptr);
    EXPECT_EQ(ref->fileName, "shark.geo");

    // A second species shares it; rebinding the same field keeps one share.
    CmanagedResourceVar* model = species.geo;
    ASSERT_EQ(runFile(":addGeo geo shark.geo\n"), 0);
    EXPECT_EQ(species.geo, model);
    EXPECT_EQ(model->useCount, 1u);
}

// A variable that holds no model gives back the share of the model loaded for it.
TEST_F(ResourceCommands, AddGeoFailures) {
    writeWholeFile(dir.file("broken.geo"), "junk");
    writeWholeFile(dir.file("shark.geo"), "model");
    struct Case {
        char const* line;
        std::string reason;
    };
    std::string folder = dir.path().substr(0, dir.path().size() - 1);
    for (Case const& c :
         {Case{":addGeo nothing shark.geo\n", "species.txt"},
          Case{":addGeo geo missing.geo\n", "Couldn't find geo geo in " + folder + "/missing.geo"},
          Case{":addGeo geo broken.geo\n", "Couldn't find geo geo in " + folder + "/broken.geo"},
          Case{":var plain\n:addGeo plain shark.geo\n", "species.txt"}}) {
        reset();
        EXPECT_EQ(runFile(c.line), 2) << c.line;
        EXPECT_TRUE(exitMentions(c.reason)) << c.line << " gave " << exitMsg.c_str();
        EXPECT_EQ(species.geo, nullptr);
    }
    EXPECT_EQ(shop.findVariable(("resources" + folder + "/shark.geo").c_str()), nullptr);
}

TEST_F(ResourceCommands, AddChanFailures) {
    EXPECT_EQ(runFile(":addChan table gone.chan\n:float after 1\n"), 2);
    EXPECT_TRUE(exitMentions("Couldn't find array table in gone.chan")) << exitMsg.c_str();
    EXPECT_EQ(species.table, nullptr);
    EXPECT_EQ(species.getChild("after", 0), nullptr); // the run stopped

    species.addVariableX("plain", CLASS_FLOAT);
    for (char const* keyword : {"addChan", "addImage", "addVolume"}) {
        reset();
        EXPECT_EQ(runFile(std::string(":") + keyword + " plain speed.chan\n"), 2) << keyword;
        EXPECT_TRUE(exitMentions("couldn't find ref for plain")) << keyword << ": " << exitMsg.c_str();
    }
}

} // namespace
