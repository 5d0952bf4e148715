// The skeletons and cloth of a full tank of fish work objects, stepped one frame at a time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/geoFile.h"
#include "graphics/rigFromGeo.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "script/chanController.h"
#include "script/matrixControllerManager.h"

#include "allocCounter.h"

namespace {

constexpr int kFish = 110;
constexpr int kBodyJoints = 10;          // a chain down the body
constexpr int kJoints = kBodyJoints + 2; // and two lagging pectoral joints
constexpr int kSpines = 6;
constexpr int kDepths = 5;
char const* const kPieces[] = {"dorsal", "caudal", "pectoral"};

// Model records: pos, N, mat, blend, spineNum, fin_dist, fin_angles, Cd, uv.
constexpr int kModelFloats = 18;
constexpr int kBodyPoints = 300;

// The species: the fish model with its cloth, the skeleton model and the fin controllers,
// shared by every fish.
struct BenchSpecies : CclothControllerSource {
    BenchSpecies() {
        CgeoFileContents fish;
        fish.attribs = {{"pos", 3, 0},        {"N", 3, 0},        {"mat", 2, 0},
                        {"blend", 1, 0},      {"spineNum", 1, 0}, {"fin_dist", 1, 0},
                        {"fin_angles", 2, 0}, {"Cd", 3, 0},       {"uv", 2, 0}};
        fish.floatsPerPoint = kModelFloats;
        auto addPoint = [&](Cvector p, int joint, int spine) {
            float r[kModelFloats] = {p.x,
                                     p.y,
                                     p.z,
                                     0,
                                     0.02f,
                                     -0.1f,
                                     static_cast<float>(joint),
                                     static_cast<float>(joint + 1),
                                     0.6f,
                                     static_cast<float>(spine),
                                     0.02f,
                                     0.3f,
                                     -0.1f,
                                     0.8f,
                                     0.6f,
                                     0.4f,
                                     p.x,
                                     p.z};
            fish.data.insert(fish.data.end(), r, r + kModelFloats);
            return fish.points++;
        };
        for (int i = 0; i < kBodyPoints; i++)
            addPoint(Cvector(0.01f * (i % 10), 0.01f * (i % 7), -0.003f * i), i % (kBodyJoints - 1), 0);
        // Each piece: kSpines spines of kDepths points, hanging from two body joints.
        for (int piece = 0; piece < 3; piece++) {
            Cstring name = kPieces[piece];
            for (int depth = 0; depth < kDepths; depth++) {
                CgeoFileGroup group;
                group.name = depth == 0 ? Cstring("cloth_base_") + name
                                        : Cstring("cloth_") + name + "_" + Cstring(depth);
                for (int spine = 0; spine < kSpines; spine++)
                    group.members.push_back(
                        addPoint(Cvector(0.02f * spine, 0.05f * piece, -0.03f * depth - 0.3f * piece),
                                 piece * 3, spine));
                fish.pointGroups.push_back(group);
            }
            auto* wag = new CfinWagController;
            wag->initialize(kSpines);
            wag->weights.lerpAdd(0.2f, 1.0f);
            controllers[std::string(name.c_str()) + "Wag0"].reset(wag);
            for (int depth = 0; depth < kDepths; depth++) {
                auto* lift = new CfinLiftController;
                lift->initialize(kSpines);
                controllers[std::string(name.c_str()) + "Lift" + std::to_string(depth)].reset(lift);
            }
        }
        model.setName("fish");
        std::string bytes;
        ok = encodeGeoFile(fish, bytes) == nullptr &&
             model.loadOldFormatFromMemory(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(),
                                           "fish") == 0 &&
             buildModelCloth(model, this) == 0;

        CgeoFileContents bones;
        bones.attribs = {{"pos", 3, 0}, {"parentMat", 1, 0}, {"N", 3, 0}, {"mtx_cmd", 1, 0}};
        bones.floatsPerPoint = 8;
        std::vector<Cstring> commands;
        for (int j = 0; j < kJoints; j++) {
            bool body = j < kBodyJoints;
            Cvector p =
                body ? Cvector(0, 0, -0.1f * j) : Cvector(j == kBodyJoints ? -0.05f : 0.05f, 0, -0.2f);
            Cvector n = body ? Cvector(0, 0, -0.1f) : Cvector(j == kBodyJoints ? -0.1f : 0.1f, 0, 0);
            float parent = j == 0 ? -1.0f : body ? static_cast<float>(j - 1) : 2.0f;
            bones.data.insert(bones.data.end(), {p.x, p.y, p.z, parent, n.x, n.y, n.z, 0});
            bones.points++;
            commands.push_back(
                body ? Cstring("-mn body") + Cstring(j) + " -cid0 bend -dim 1 -amin -20 -amax 20"
                     : Cstring("-mn pec") + Cstring(j) + " -cid0 flap -dim 0 -amin -30 -amax 30 -lag 0.2");
        }
        ok = ok && encodeGeoFile(bones, bytes) == nullptr &&
             skeleton.loadOldFormatFromMemory(reinterpret_cast<unsigned char const*>(bytes.data()),
                                              bytes.size(), "bones") == 0 &&
             skeleton.setPointStrings("mtx_cmd", commands);
    }
    CchanController* findChanController(char const* name) override {
        auto it = controllers.find(name);
        return it == controllers.end() ? nullptr : it->second.get();
    }
    // The fin controllers' pairs for this frame (the fish's controller update).
    void fillControllers(float phase) {
        for (auto& entry : controllers) {
            if (auto* wag = dynamic_cast<CfinWagController*>(entry.second.get())) {
                wag->fill(0.1f, 0.3f, phase, phase + 2);
                wag->cheapCopyToCosSine();
            } else if (auto* lift = dynamic_cast<CfinLiftController*>(entry.second.get())) {
                lift->fill(0.2f, 0.8f);
                lift->copyToCosSine();
            }
        }
    }

    CtexturedGeo model;
    CgeoNew skeleton;
    std::map<std::string, std::unique_ptr<CchanController>> controllers;
    bool ok = false;
};

struct BenchFish : CworkObjectOwner {
    BenchFish(BenchSpecies& species, int seed) : species(species) {
        bend = manager.addAndRegisterAnimControl("bend", 0.0f);
        flap = manager.addAndRegisterAnimControl("flap", 0.0f);
        rotation.identity();
        std::vector<CskeletonIdentity> ids(kJoints);
        for (CskeletonIdentity& id : ids) {
            id.rotation = &rotation;
            id.translatePoint = &position;
        }
        built = work.initWorkGeometry(this) == 0 && work.initSkeleton(ids, 1.0f + 0.01f * seed) == 0;
        phase = 0.3f * seed;
    }
    CmatrixControllerManager* skeletonControllers() override { return &manager; }
    Cmatrix_4* tankCameraMatrix() override { return nullptr; }
    char const* skeletonOwnerName() override { return "fish"; }
    CtexturedGeo* workObjectModel() override { return &species.model; }
    CgeoNew* skeletonModel() override { return &species.skeleton; }
    int currentBufferIndex() override { return 0; }
    float thingScale() override { return 1.0f; }
    int thingCooks() override { return cooks; }

    void frameStep() {
        phase += 0.1f;
        cooks++;
        bend->setFloat(0.5f + 0.5f * std::sin(phase));
        flap->setFloat(0.5f + 0.5f * std::cos(phase));
        position.set(std::sin(phase * 0.1f), 0, std::cos(phase * 0.1f));
        manager.animValuesToMatrices();
        work.calcDeformMatrices();
        species.fillControllers(phase);
        for (int piece = 0; piece < 3; piece++)
            work.updateClothPiece(piece, 0.5f, 0.7f, nullptr);
    }

    BenchSpecies& species;
    CmatrixControllerManager manager;
    CanimValue* bend = nullptr;
    CanimValue* flap = nullptr;
    Cmatrix3 rotation;
    Cvector position;
    CworkObject work;
    float phase = 0.0f;
    int cooks = 0;
    bool built = false;
};

void BM_SkeletonsAndClothOneFrame(benchmark::State& state) {
    BenchSpecies species;
    std::vector<std::unique_ptr<BenchFish>> school;
    for (int i = 0; i < kFish; i++)
        school.push_back(std::make_unique<BenchFish>(species, i));
    if (!species.ok || !school[0]->built || species.model.cloth.clothPieces.size() != 3) {
        state.SkipWithError("the skeleton or the cloth did not build");
        return;
    }
    for (int warm = 0; warm < 50; warm++)
        for (auto& fish : school)
            fish->frameStep();
    {
        NoAllocations guard(state, "a warm frame allocated");
        for (auto _ : state) {
            for (auto& fish : school)
                fish->frameStep();
            benchmark::DoNotOptimize(school[0]->work.curGeo->pointData()[3]);
        }
    }
    state.counters["fish"] = kFish;
    state.counters["links"] = static_cast<double>(species.model.cloth.clothSlavePoints);
    state.counters["joints"] = school[0]->work.numMatrices;
}
BENCHMARK(BM_SkeletonsAndClothOneFrame)->Unit(benchmark::kMicrosecond);

} // namespace
