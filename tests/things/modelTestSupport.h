// Stand-ins for plants and bubbles: a species whose skeleton model carries named point
// attributes, work buffers of plain points, a noise channel whose curve is known, and a
// fast random table held at chosen values.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/dataArray.h"
#include "graphics/geoTestSupport.h"
#include "script/fastNoise.h"
#include "support/fastRand.h"
#include "thingTestSupport.h"

// A skeleton model of independent joints ("pos" at the origin, "parentMat" -1) and the
// attributes the test adds; rebuilt whenever the test changes it.
class AttribSpecies : public CspeciesServices {
  public:
    explicit AttribSpecies(int joints) : joints(joints) {
        addAttrib("pos", 3);
        addAttrib("parentMat", 1);
        for (int j = 0; j < joints; j++)
            setAttrib("parentMat", j, {-1.0f});
    }
    void addAttrib(std::string const& attrib, int size) {
        names.push_back(attrib);
        values.emplace_back(static_cast<size_t>(joints * size), 0.0f);
        sizes.push_back(size);
        dirty = true;
    }
    void removeAttrib(std::string const& attrib) {
        for (size_t a = 0; a < names.size(); a++)
            if (names[a] == attrib) {
                names.erase(names.begin() + static_cast<long>(a));
                values.erase(values.begin() + static_cast<long>(a));
                sizes.erase(sizes.begin() + static_cast<long>(a));
            }
        dirty = true;
    }
    void setAttrib(std::string const& attrib, int joint, std::vector<float> const& v) {
        for (size_t a = 0; a < names.size(); a++)
            if (names[a] == attrib)
                for (size_t c = 0; c < v.size() && static_cast<int>(c) < sizes[a]; c++)
                    values[a][static_cast<size_t>(joint * sizes[a]) + c] = v[c];
        dirty = true;
    }
    void unrequestSpecies() override {}
    CtexturedGeo* modelGeometry() override { return nullptr; }
    CgeoNew* skeletonModel() override {
        if (dirty) build();
        return &skeleton;
    }
    bool interleaved = true;

  private:
    void build() {
        CgeoFileContents g;
        g.points = joints;
        for (size_t a = 0; a < names.size(); a++) {
            g.attribs.push_back({names[a].c_str(), sizes[a], 0});
            g.floatsPerPoint += sizes[a];
        }
        for (int j = 0; j < joints; j++)
            for (size_t a = 0; a < names.size(); a++)
                for (int c = 0; c < sizes[a]; c++)
                    g.data.push_back(values[a][static_cast<size_t>(j * sizes[a] + c)]);
        EXPECT_EQ(loadContents(skeleton, g), 0);
        skeleton.interleaved = interleaved ? 1 : 0;
        dirty = false;
    }
    int joints;
    std::vector<std::string> names;
    std::vector<std::vector<float>> values;
    std::vector<int> sizes;
    CgeoNew skeleton;
    bool dirty = true;
};

// Gives both work buffers n points at the origin, in either layout.
inline void givePoints(CworkObject& work, int n, bool interleaved) {
    CgeoFileContents g;
    g.points = n;
    g.attribs = {{"pos", 3, 0}, {"N", 3, 1}};
    g.floatsPerPoint = 6;
    g.data.assign(static_cast<size_t>(n) * 6, 0.0f);
    CgeoNew source;
    EXPECT_EQ(loadContents(source, g), 0);
    for (CgeoNew& b : work.workGeo)
        b.clonePoints(source, {"N", "pos"}, interleaved ? 1 : 0);
    work.numPoints = static_cast<int16_t>(n);
}

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

// Thing tests on attribute models: recording work objects, a tank, species that outlive
// the things made of them, and the things deleted before the tank goes.
class ModelThingTest : public ThingTest {
  protected:
    void SetUp() override { resetExitState(); }
    void TearDown() override {
        while (Cvariable* thing = tank.thingList->firstChild)
            deleteVariable(thing);
        emptyTrash();
    }
    AttribSpecies& newSpecies(int joints) {
        species.push_back(std::make_unique<AttribSpecies>(joints));
        return *species.back();
    }
    // A thing of kind T and species s in the tank, with a recording work object.
    template <typename T> T* make(AttribSpecies& s) {
        auto* thing = new T;
        thing->setName("model thing");
        thing->species = &s;
        thing->setToTank(&tank);
        record(*thing);
        return thing;
    }
    // Deletes a thing made in one case of a table.
    static void dropThing(Cthing* thing) {
        deleteVariable(thing);
        emptyTrash();
    }
    // Whether joint j of the thing's skeleton is bound to that point and rotation.
    static bool boundTo(Cthing& thing, int j, Cvector* point, Cmatrix3* rotation) {
        auto const& joints = thing.workObject->matrixPoints;
        if (j < 0 || static_cast<size_t>(j) >= joints.size()) return false;
        return joints[static_cast<size_t>(j)].translatePoint == point &&
               joints[static_cast<size_t>(j)].rotationLink == rotation;
    }

    std::vector<std::unique_ptr<AttribSpecies>> species;
    TestTank tank;
};
