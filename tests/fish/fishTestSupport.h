// A fish in a small tank of its own: a temporary resource tree with the fish's arrays, and
// a tank whose level set, floor, z limits and sphere field the test chooses.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "fish/fish.h"
#include "fish/sphereField.h"
#include "script/fastNoise.h"
#include "support/cerr.h"
#include "testSupport.h"
#include "world/thingServices.h"

class TestTank : public CtankServices {
  public:
    TestTank() {
        setName("tank");
        things = addDirectory("thingList", 1);
    }
    // The things leave while their tank is still whole.
    ~TestTank() override { things->deleteChildren(); }
    Cvariable* getThingList() override { return things; }
    void addThingToTankLists(Cthing*) override {}
    int removeThingFromList(Cthing*) override { return 1; }
    void updateFocusThing() override {}
    void recalcTankAspect() override {}
    float levelSetAt(Cvector const& p) override { return levelSet ? levelSet(p) : 10.0f; }
    // A chosen level set stands for the tank's volume; without one the spheres answer.
    bool hasLevelSetVolume() override { return static_cast<bool>(levelSet); }
    bool groundHeightAt(float x, float z, float& h) override {
        if (!ground) return false;
        h = ground(x, z);
        return true;
    }
    float nearZLimit() override { return nearZ; }
    float farZLimit() override { return farZ; }
    CsphereField* sphereField() override { return spheres; }
    // Every fish of the tank within range, by the head distance.
    int avoidanceList(Cthing* thing, float range, Cthing** out, float* dist, int capacity) override {
        if (static_cast<int>(members.size()) != things->countChildren(-1)) {
            members.clear();
            for (Cvariable* v = things->firstChild; v; v = v->nextSibling)
                if (auto* t = dynamic_cast<Cthing*>(v)) members.push_back(t);
        }
        int n = 0;
        Cvector at;
        thing->getMidPos(at);
        // Plain arithmetic: a crowded tank asks this of every pair, every frame.
        for (Cthing* other : members) {
            if (n == capacity) break;
            if (other == thing) continue;
            Cvector p;
            other->getMidPos(p);
            float dx = p.x - at.x, dy = p.y - at.y, dz = p.z - at.z;
            float q = dx * dx + dy * dy + dz * dz;
            if (q < range) out[n] = other, dist[n++] = q;
        }
        return n;
    }

    Cvariable* things = nullptr;
    std::vector<Cthing*> members;
    std::function<float(Cvector const&)> levelSet;
    std::function<float(float, float)> ground;
    float nearZ = -1000.0f, farZ = 1000.0f;
    CsphereField* spheres = nullptr;
};

// Rocks of a sphere field: centres and radii, the radii given as "pscale" unless told otherwise.
class Rocks : public CsphereSource {
  public:
    std::vector<CsphereDef> points;
    bool interleaved = true, withScale = true;
    int pointCount() const override { return static_cast<int>(points.size()); }
    bool isInterleaved() const override { return interleaved; }
    bool hasAttribute(char const* n) const override { return withScale && std::strcmp(n, "pscale") == 0; }
    Cvector pointPosition(int i) const override { return Cvector(points[i].x, points[i].y, points[i].z); }
    float pointAttribute(int i, char const*) const override { return points[i].radius; }
};

// A fish that takes no activity of its own.
class SteadyFish : public Cfish {
  public:
    void contemplateOccasionalActivities() override {}
    void reachedGotoGoal() override {}
    void tightJam() override {}
};

class FishTest : public ::testing::Test {
  protected:
    void SetUp() override {
        resetExitState();
        savedCwd = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
        if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
        savedDiskAlways = resourcesDir->checkDiskAlways;
        resourcesDir->checkDiskAlways = 1;
        savedResources = sharedResourceTree;
        sharedResourceTree = &resources;
        writeArrays();
        tank = new TestTank;
        root.addVariable(tank, 1);
    }
    void TearDown() override {
        root.deleteChildren();
        resources.deleteChildren();
        sharedResourceTree = savedResources;
        resourcesDir->checkDiskAlways = savedDiskAlways;
        std::filesystem::current_path(savedCwd);
        resetExitState();
    }
    void writeArrays() {
        std::filesystem::create_directories("species/std_fish/arrays");
        char const* names[] = {"swimCycle.image",       "swimAnimSideShift.chan", "flick_chans.0.chan",
                               "flick_chans.1.chan",    "flick_chans.2.chan",     "flickPredict.volume",
                               "pitchChangeCurve.chan", "flick_speed_var.chan"};
        for (char const* n : names) {
            CdataChan chan;
            chan.init(8, 1, 1, 1, 4);
            for (int i = 0; i < 8; i++)
                chan.floatData[i] = static_cast<float>(i) / 7.0f;
            ASSERT_EQ(chan.save((std::string("species/std_fish/arrays/") + n).c_str()), 0) << n;
        }
    }
    // The fish's real arrays, as the build generates them, in place of the plain ramps (for
    // tests of whole runs); false when the build made none.
    bool useGeneratedArrays() {
#ifdef VELMORA_GENERATED_RESOURCE_DIR
        std::filesystem::path from = std::string(VELMORA_GENERATED_RESOURCE_DIR) + "species/std_fish/arrays";
        std::error_code ec;
        if (!std::filesystem::is_directory(from, ec)) return false;
        std::filesystem::copy(
            from, "species/std_fish/arrays",
            std::filesystem::copy_options::recursive | std::filesystem::copy_options::overwrite_existing, ec);
        return !ec;
#else
        return false;
#endif
    }
    // The shared noise curves as the resource file: wiggle x sines whose ends meet.
    void writeNoiseFile(float wiggle) {
        std::filesystem::create_directories("global/arrays");
        CdataChan noise;
        noise.init(501, 1, 1, 3, 4);
        noise.setDimensionSpace(0, 0.0f, 50.0f);
        for (int i = 0; i < 501 * 3; i++)
            noise.floatData[i] = wiggle * std::sin(0.0628318f * static_cast<float>((i / 3) * (i % 3 + 1)));
        ASSERT_EQ(noise.save(noiseFileName), 0);
    }
    // A fish in the tank, reset at scale and placed at pos heading along +z. Its activity
    // machine is off: it swims straight on unless the test steers it.
    Cfish* makeFish(Cvector pos = Cvector(0, 2, 0), float speed = 1.0f, float scale = 1.0f) {
        return placeFish(new SteadyFish, pos, speed, scale);
    }
    // Rocks as the tank's sphere field, in place of any before.
    void setRocks(std::vector<CsphereDef> const& points) {
        rocks.points = points;
        ASSERT_EQ(field.loadSpheres(rocks, 1.0f), 0);
        tank->spheres = &field;
    }
    Cfish* placeFish(Cfish* fish, Cvector pos, float speed = 1.0f, float scale = 1.0f) {
        fish->thingScale = scale;
        fish->setParent(tank->things, 1);
        fish->resetThing(0);
        fish->startPos = pos;
        fish->initialSpeed = speed;
        fish->setPosition();
        return fish;
    }

    TempDir dir;
    std::filesystem::path savedCwd;
    uint16_t savedDiskAlways = 0;
    CdirectoryVar root;
    CdirectoryVar resources;
    Cvariable* savedResources = nullptr;
    TestTank* tank = nullptr;
    Rocks rocks;
    CsphereField field;
};
