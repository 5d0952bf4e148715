// Stand-ins for plants and bubbles: a species whose skeleton points carry named
// attributes and normals, a work object with real point buffers, a noise channel whose
// curve is known, and a fast random table held at chosen values.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "data/dataArray.h"
#include "script/fastNoise.h"
#include "support/fastRand.h"
#include "thingTestSupport.h"

class AttribSpecies : public TestSpecies {
  public:
    explicit AttribSpecies(int joints)
        : TestSpecies("model", std::vector<Cvector>(static_cast<size_t>(joints))) {}
    // Gives every joint the attribute with size components, all zero.
    void addAttrib(std::string const& attrib, int size) {
        sizes[attrib] = size;
        values[attrib].assign(rest.size() * static_cast<size_t>(size), 0.0f);
    }
    void setAttrib(std::string const& attrib, int joint, std::vector<float> const& v) {
        int size = sizes.at(attrib);
        for (size_t c = 0; c < v.size() && c < static_cast<size_t>(size); c++)
            values[attrib][static_cast<size_t>(joint * size) + c] = v[c];
    }
    int skeletonAttribSize(char const* attrib) override {
        auto it = sizes.find(attrib);
        return it == sizes.end() ? -1 : it->second;
    }
    bool skeletonAttrib(int joint, char const* attrib, float* out) override {
        auto it = sizes.find(attrib);
        if (it == sizes.end() || joint < 0 || joint >= skeletonJointCount()) return false;
        for (int c = 0; c < it->second && c < 4; c++)
            out[c] = values[attrib][static_cast<size_t>(joint * it->second + c)];
        return true;
    }
    bool skeletonNormal(int joint, Cvector& out) override {
        if (joint < 0 || static_cast<size_t>(joint) >= normals.size()) return false;
        out = normals[static_cast<size_t>(joint)];
        return true;
    }

    std::map<std::string, int> sizes;
    std::map<std::string, std::vector<float>> values;
    std::vector<Cvector> normals;
};

// A recording work object with two buffers of points.
class PointWorkObject : public RecordingWorkObject {
  public:
    int pointCount() override { return static_cast<int>(buffers[0].size() / 3); }
    float* pointPosition(int buffer, int point) override {
        if (buffer < 0 || buffer > 1 || point < 0 || point >= pointCount()) return nullptr;
        return &buffers[buffer][static_cast<size_t>(point) * 3];
    }
    void setPointCount(int n) {
        for (auto& b : buffers)
            b.assign(static_cast<size_t>(n) * 3, 0.0f);
    }
    std::vector<float> buffers[2];
};

// The shared noise channel replaced, for the owner's life, by 500 samples over [0, 50)
// whose first channel is f(sample index); the other two are 0.
class KnownNoise {
  public:
    template <typename F> explicit KnownNoise(F f) {
        chan.init(kSamples, 1, 1, 3, 4);
        chan.setDimensionSpace(0, 0.0f, 50.0f * (kSamples - 1) / kSamples);
        for (int i = 0; i < kSamples; i++)
            chan.floatData[i * 3] = f(i);
        saved = noiseWrap50x3chan;
        noiseWrap50x3chan = &chan;
    }
    ~KnownNoise() { noiseWrap50x3chan = saved; }
    KnownNoise(KnownNoise const&) = delete;
    KnownNoise& operator=(KnownNoise const&) = delete;

    static constexpr int kSamples = 500;
    CdataChan chan;

  private:
    CdataArray* saved;
};

// The fast random table filled with one value for the owner's life.
class FixedRandom {
  public:
    explicit FixedRandom(float v) {
        for (int i = 0; i < 32; i++) {
            saved[i] = fastRandValues[i];
            fastRandValues[i] = v;
        }
        savedIndex = fastRandSeedIndex;
    }
    ~FixedRandom() {
        for (int i = 0; i < 32; i++)
            fastRandValues[i] = saved[i];
        fastRandSeedIndex = savedIndex;
    }

  private:
    float saved[32];
    uint8_t savedIndex;
};

// Thing tests on attribute models: point work objects, a tank, species that outlive the
// things made of them, and the things deleted before the tank goes.
class ModelThingTest : public ThingTest {
  protected:
    void SetUp() override {
        ThingTest::SetUp();
        workObjectMaker = [] { return static_cast<CworkObject*>(new PointWorkObject); };
        resetExitState();
    }
    void TearDown() override {
        while (Cvariable* thing = tank.thingList->firstChild)
            deleteVariable(thing);
        emptyTrash();
        ThingTest::TearDown();
    }
    AttribSpecies& newSpecies(int joints) {
        species.push_back(std::make_unique<AttribSpecies>(joints));
        return *species.back();
    }
    // Deletes a thing made in one case of a table.
    static void dropThing(Cthing* thing) {
        deleteVariable(thing);
        emptyTrash();
    }

    std::vector<std::unique_ptr<AttribSpecies>> species;
    TestTank tank;
};
