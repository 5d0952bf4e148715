// A model stand-in that owns materials, a fixture that writes material scripts into a
// scratch model folder and reads them, and one that builds a model with those materials.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/resourceStreamer.h"
#include "geoTestSupport.h"
#include "graphics/deviceGlobals.h"
#include "graphics/material.h"
#include "graphics/textureStage.h"
#include "graphics/texturedGeo.h"
#include "script/mathSolver.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/traceCapture.h"
#include "testSupport.h"

class TestModel : public CdirectoryVar, public CmaterialOwner {
  public:
    Cvariable* materialOwnerNode() override { return this; }
};

class MaterialTest : public ::testing::Test {
  protected:
    MaterialTest() : trace(1 | 2) {}
    void SetUp() override {
        reset();
        if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
        resourcesDir->checkDiskAlways = 1;
        model.setName("model");
        maxTexUnits = 8;
    }
    void TearDown() override {
        resourcesDir->checkDiskAlways = 0;
        reset();
    }
    static void reset() {
        resetExitState();
        scriptError = 0;
        recommendReinstall = 0;
        mathSolver.clearError();
    }

    // Writes "<folder>/materials/<name>.mat".
    void writeMaterial(char const* materialName, std::string const& script) {
        std::filesystem::create_directories(folder.path() + "materials");
        writeWholeFile(folder.path() + "materials/" + materialName + ".mat", script);
    }
    // A material of the model (whose folder is modelFolder() unless given), set up as the
    // model does, then read. Owned by the model.
    Cmaterial* load(char const* materialName, int* result = nullptr, std::string const& in = "") {
        auto* m = new Cmaterial;
        m->setName(materialName);
        model.addVariable(m, 1);
        m->setDiskPath((in.empty() ? modelFolder() : in).c_str());
        m->texGeo = &model;
        int r = m->readFromDiskPath();
        if (result) *result = r;
        return m;
    }
    // Writes the script and reads it as material "m".
    Cmaterial* loadScript(std::string const& script, int* result = nullptr) {
        writeMaterial("m", script);
        return load("m", result);
    }
    // The model folder, without the closing "/".
    std::string modelFolder() const { return folder.path().substr(0, folder.path().size() - 1); }
    static std::string lastReason() { return exitReasonList.empty() ? "" : exitReasonList.back().c_str(); }
    static bool hasReason(std::string const& text) {
        for (Cstring const& r : exitReasonList)
            if (text == r.c_str()) return true;
        return false;
    }

    TraceCapture trace;
    TempDir folder;
    TestModel model;
};

// A model read from contents with the scratch folder's materials, and a thing showing it.
class ModelTest : public MaterialTest {
  protected:
    void SetUp() override {
        MaterialTest::SetUp();
        owner.geo = &geo;
    }
    // Adds a polygon to the prim group (made when new); the polygon's index.
    int addFace(char const* group, std::vector<int> vertices) {
        contents.polygons.push_back(std::move(vertices));
        int index = static_cast<int>(contents.polygons.size()) - 1;
        for (auto& g : contents.primGroups)
            if (g.name == group) {
                g.members.push_back(index);
                return index;
            }
        contents.primGroups.push_back({group, {index}});
        return index;
    }
    // Loads the contents into m, named "model", and builds its poly groups; -1 when the
    // load fails.
    int build(CtexturedGeo& m) {
        m.setName("model");
        if (loadContents(m, contents) != 0) return -1;
        return m.getMaterialsAndBuildPolyLists(&speciesNode, Cstring(modelFolder().c_str()));
    }
    int build() { return build(geo); }

    CgeoFileContents contents;
    CtexturedGeo geo;
    CdirectoryVar speciesNode;
    TestOwner owner;
};
