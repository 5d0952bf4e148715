// A model stand-in that owns materials, and a fixture that writes material scripts into a
// scratch model folder and reads them.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "data/resourceStreamer.h"
#include "graphics/deviceGlobals.h"
#include "graphics/material.h"
#include "graphics/textureStage.h"
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
    // A material of the model, set up as the model does, then read. Owned by the model.
    Cmaterial* load(char const* materialName, int* result = nullptr) {
        auto* m = new Cmaterial;
        m->setName(materialName);
        model.addVariable(m, 1);
        m->setDiskPath(modelFolder().c_str());
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
