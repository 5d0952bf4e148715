// The skeletons and cloth of a full tank of fish, stepped one frame at a time.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graphics/cloth.h"
#include "graphics/skeleton.h"
#include "script/chanController.h"
#include "script/matrixControllerManager.h"

#include "allocCounter.h"

namespace {

constexpr int kFish = 110;
constexpr int kBodyJoints = 10;          // a chain down the body
constexpr int kJoints = kBodyJoints + 2; // and two lagging pectoral joints
constexpr int kSpines = 6;
constexpr int kDepths = 5;
constexpr int kFloats = 13; // pos, N, mat, blend, spineNum, fin_dist, fin_angles
char const* const kPieces[] = {"dorsal", "caudal", "pectoral"};

// The species: the skeleton model, the cloth model and the fin controllers, shared by all.
struct BenchSpecies : CclothControllerSource {
    BenchSpecies() {
        for (int j = 0; j < kJoints; j++) {
            bool body = j < kBodyJoints;
            skeleton.positions.push_back(body ? Cvector(0, 0, -0.1f * j)
                                              : Cvector(j == kBodyJoints ? -0.05f : 0.05f, 0, -0.2f));
            skeleton.parents.push_back(j == 0 ? -1.0f : body ? static_cast<float>(j - 1) : 2.0f);
            skeleton.normals.push_back(body ? Cvector(0, 0, -0.1f)
                                            : Cvector(j == kBodyJoints ? -0.1f : 0.1f, 0, 0));
            skeleton.commands.push_back(
                body ? Cstring("-mn body") + Cstring(j) + " -cid0 bend -dim 1 -amin -20 -amax 20"
                     : Cstring("-mn pec") + Cstring(j) + " -cid0 flap -dim 0 -amin -30 -amax 30 -lag 0.2");
        }
        // Each piece: kSpines spines of kDepths points, hanging from two body joints.
        for (int piece = 0; piece < 3; piece++) {
            Cstring name = kPieces[piece];
            for (int depth = 0; depth < kDepths; depth++) {
                CclothPointGroup group;
                group.name = depth == 0 ? Cstring("cloth_base_") + name
                                        : Cstring("cloth_") + name + "_" + Cstring(depth);
                for (int spine = 0; spine < kSpines; spine++) {
                    group.members.push_back(static_cast<int>(points.size() / kFloats));
                    float record[kFloats] = {0.02f * spine,
                                             0.05f * piece,
                                             -0.03f * depth - 0.3f * piece,
                                             0,
                                             0.02f,
                                             -0.1f,
                                             static_cast<float>(piece * 3),
                                             static_cast<float>(piece * 3 + 1),
                                             0.6f,
                                             static_cast<float>(spine),
                                             0.02f,
                                             0.3f,
                                             -0.1f};
                    points.insert(points.end(), record, record + kFloats);
                }
                groups.push_back(group);
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
        CclothModelView view;
        view.pointGroups = &groups;
        view.points = points.data();
        view.numPoints = static_cast<int>(points.size() / kFloats);
        view.floatsPerPoint = kFloats;
        view.normalOffset = 3;
        view.matOffset = 6;
        view.blendOffset = 8;
        view.spineNumOffset = 9;
        view.finDistOffset = 10;
        view.finAnglesOffset = 11;
        cloth.buildCloth(view, this, nullptr);
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

    CskeletonModelPoints skeleton;
    std::vector<CclothPointGroup> groups;
    std::vector<float> points;
    std::map<std::string, std::unique_ptr<CchanController>> controllers;
    CclothModel cloth;
};

struct BenchFish : CskeletonOwner {
    BenchFish(BenchSpecies& species, int seed) : species(species) {
        bend = manager.addAndRegisterAnimControl("bend", 0.0f);
        flap = manager.addAndRegisterAnimControl("flap", 0.0f);
        rotation.identity();
        std::vector<CskeletonIdentity> ids(kJoints);
        for (CskeletonIdentity& id : ids) {
            id.rotation = &rotation;
            id.translatePoint = &position;
        }
        built = skeleton.initSkeleton(ids, 1.0f + 0.01f * seed, &species.skeleton, this) == 0;
        cloth.setupCloth(species.cloth);
        positions.assign(3 * (species.points.size() / kFloats), 0.0f);
        phase = 0.3f * seed;
    }
    CmatrixControllerManager* skeletonControllers() override { return &manager; }
    Cmatrix_4* tankCameraMatrix() override { return nullptr; }
    char const* skeletonOwnerName() override { return "fish"; }

    void frameStep() {
        phase += 0.1f;
        bend->setFloat(0.5f + 0.5f * std::sin(phase));
        flap->setFloat(0.5f + 0.5f * std::cos(phase));
        position.set(std::sin(phase * 0.1f), 0, std::cos(phase * 0.1f));
        manager.animValuesToMatrices();
        skeleton.calcDeformMatrices();
        species.fillControllers(phase);
        CclothFrame frame;
        frame.deformMatrices = skeleton.deformMatrices.data();
        frame.normalMatrices = skeleton.normalMatrices.data();
        frame.numMatrices = skeleton.numMatrices;
        frame.positions = positions.data();
        frame.numPoints = static_cast<int>(positions.size() / 3);
        frame.thingScale = 1.0f;
        frame.cooks = ++cooks;
        for (int piece = 0; piece < 3; piece++)
            cloth.updateClothPiece(species.cloth, piece, 0.5f, 0.7f, nullptr, frame);
    }

    BenchSpecies& species;
    CmatrixControllerManager manager;
    CanimValue* bend = nullptr;
    CanimValue* flap = nullptr;
    Cmatrix3 rotation;
    Cvector position;
    Cskeleton skeleton;
    Ccloth cloth;
    std::vector<float> positions;
    float phase = 0.0f;
    int cooks = 0;
    bool built = false;
};

void BM_SkeletonsAndClothOneFrame(benchmark::State& state) {
    BenchSpecies species;
    std::vector<std::unique_ptr<BenchFish>> school;
    for (int i = 0; i < kFish; i++)
        school.push_back(std::make_unique<BenchFish>(species, i));
    if (!school[0]->built || species.cloth.clothPieces.size() != 3) {
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
            benchmark::DoNotOptimize(school[0]->positions[3]);
        }
    }
    state.counters["fish"] = kFish;
    state.counters["links"] = static_cast<double>(species.cloth.clothSlavePoints);
    state.counters["joints"] = school[0]->skeleton.numMatrices;
}
BENCHMARK(BM_SkeletonsAndClothOneFrame)->Unit(benchmark::kMicrosecond);

} // namespace
