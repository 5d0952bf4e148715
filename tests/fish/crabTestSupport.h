// A tank of the staged resources for crabs and shadows: a temporary resource root whose
// folders lead to the build's generated ones (so a test may add species of its own), a real
// tank with the default tank's sand, the crab's floor image and a camera position, and the
// species factory with every kind of thing.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>

#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "fish/crab.h"
#include "fish/fish.h"
#include "fish/fishKind.h"
#include "graphics/texturedGeo.h"
#include "script/scripter.h"
#include "support/cerr.h"
#include "support/fastRand.h"
#include "testSupport.h"
#include "things/thingKinds.h"
#include "world/species.h"
#include "world/tank.h"

class CrabTank : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        scriptError = 0;
        savedCwd = std::filesystem::current_path();
        std::filesystem::path staged = std::filesystem::absolute(kGeneratedResourceDir);
        std::filesystem::current_path(dir.path());
        for (char const* folder : {"tanks", "global"})
            std::filesystem::create_directory_symlink(staged / folder, folder);
        std::filesystem::create_directory("species");
        for (auto const& entry : std::filesystem::directory_iterator(staged / "species"))
            std::filesystem::create_directory_symlink(entry.path(), std::filesystem::path("species") /
                                                                        entry.path().filename());
        if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
        savedDiskAlways = resourcesDir->checkDiskAlways;
        resourcesDir->checkDiskAlways = 1;
        speciesTreeBase = &root;
        sharedResourceTree = &shared;
        installModelLoader();
        installThingKinds();
        installFishKind();
        startRunOrQuit = 1;
        // The shared random table as the program fills it, from a fixed seed here.
        std::copy_n(fastRandValues, 32, savedRandom);
        savedRandomIndex = fastRandSeedIndex;
        uint32_t seed = 12345u;
        for (float& v : fastRandValues) {
            seed = seed * 1664525u + 1013904223u;
            v = static_cast<float>(seed >> 8) / 16777216.0f;
        }
        fastRandSeedIndex = 0;
        tank = new Ctank(nullptr);
        tank->setName("tank");
        root.addVariable(tank, 1);
        ASSERT_EQ(script(":addImage heightField tanks/wabi_sabi/heightField.image"), 0);
        ASSERT_EQ(script(":set crabExtras tanks/wabi_sabi/crabExtras.image"), 0);
        ASSERT_EQ(script(":set crabPos 0.6 -1.55 -0.3"), 0);
        tank->camPos = Cvector(0.0f, 0.1f, 6.4f);
    }
    void TearDown() override {
        // The tank's things go while their species still exist.
        if (tank) deleteVariable(tank);
        emptyTrash();
        root.deleteChildren();
        emptyTrash();
        shared.deleteChildren();
        speciesTreeBase = nullptr;
        sharedResourceTree = nullptr;
        resourcesDir->checkDiskAlways = savedDiskAlways;
        std::copy_n(savedRandom, 32, fastRandValues);
        fastRandSeedIndex = savedRandomIndex;
        std::filesystem::current_path(savedCwd);
        resetExitState();
        scriptError = 0;
    }
    int script(std::string const& text) { return runStringScript(tank, text.c_str()); }
    static std::string reasons() {
        std::string all;
        for (Cstring const& r : exitReasonList)
            all += std::string(r.c_str()) + "|";
        return all;
    }
    // The newest thing of the tank of class T, or null.
    template <class T> T* newest() {
        T* found = nullptr;
        for (Cvariable* v = tank->thingList->firstChild; v; v = v->nextSibling)
            if (auto* t = dynamic_cast<T*>(v)) found = t;
        return found;
    }
    // A crab added as the tank's definition adds one; null when it did not load.
    Ccrab* addCrab(std::string const& block = "{ :set thingScale 0.5 }") {
        if (script(":addThing species/crab " + block) != 0) return nullptr;
        return newest<Ccrab>();
    }
    // One behaviour frame of every thing of the tank, in list order.
    void frame() {
        frameNumber++;
        for (Cvariable* v = tank->thingList->firstChild; v; v = v->nextSibling)
            if (auto* t = dynamic_cast<Cthing*>(v)) t->updateThing(frameNumber, 0.0f);
    }
    static void dropThing(Cthing* thing) {
        deleteVariable(thing);
        emptyTrash();
    }
    static bool finite(Cvector const& v) {
        return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
    }

    TempDir dir;
    std::filesystem::path savedCwd;
    uint16_t savedDiskAlways = 0;
    CdirectoryVar root, shared;
    Ctank* tank = nullptr;
    int frameNumber = 0;
    float savedRandom[32] = {};
    uint8_t savedRandomIndex = 0;
};
