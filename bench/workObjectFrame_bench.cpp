// One master frame of per-frame geometry for a full tank: calcGeometry of 110 fish-sized
// work objects (skinning with normals, noise push, flutter, recomputed normals, copied
// colours and the bounding box).
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "data/dataArray.h"
#include "graphics/geoFile.h"
#include "graphics/texturedGeo.h"
#include "graphics/workObject.h"
#include "script/matrixControllerManager.h"
#include "support/cerr.h"

#include "allocCounter.h"

namespace {

constexpr int kFish = 110;
constexpr int kJoints = 12;
constexpr int kPoints = 600;
// Model records: pos, N, Cd, uv, mat, blend, noisePush, noiseTiming, flutter, calc_norms,
// stealColor.
constexpr int kModelFloats = 21;

// The species' model and skeleton and the tank's arrays, shared by every fish.
struct BenchTank : CframeSources {
    BenchTank() {
        CgeoFileContents fish;
        fish.attribs = {{"pos", 3, 0},     {"N", 3, 0},          {"Cd", 3, 0},        {"uv", 2, 0},
                        {"mat", 2, 0},     {"blend", 1, 0},      {"noisePush", 2, 0}, {"noiseTiming", 1, 0},
                        {"flutter", 1, 0}, {"calc_norms", 2, 0}, {"stealColor", 1, 0}};
        fish.floatsPerPoint = kModelFloats;
        CgeoFileGroup extremity{"extremity", {}};
        for (int i = 0; i < kPoints; i++) {
            float z = -0.002f * i, a = 0.3f * i;
            int joint = i * (kJoints - 1) / kPoints;
            bool edge = i % 10 == 9;
            float r[kModelFloats] = {0.05f * std::cos(a),
                                     0.05f * std::sin(a),
                                     z,
                                     std::cos(a),
                                     std::sin(a),
                                     0,
                                     0.6f,
                                     0.5f,
                                     0.4f,
                                     0.5f + 0.5f * std::cos(a),
                                     0.01f * i,
                                     static_cast<float>(joint),
                                     static_cast<float>(joint + 1),
                                     0.7f,
                                     i % 7 == 0 ? 0.01f : 0.0f,
                                     0.005f,
                                     0.1f * (i % 5),
                                     edge ? 0.5f : 0.0f,
                                     i % 4 == 1 && i + 2 < kPoints ? static_cast<float>(i + 1) : -1.0f,
                                     static_cast<float>(i + 2),
                                     i % 50 == 3 ? static_cast<float>(i - 1) : -1.0f};
            fish.data.insert(fish.data.end(), r, r + kModelFloats);
            fish.points++;
            if (i % 60 == 0) extremity.members.push_back(i);
        }
        fish.pointGroups.push_back(extremity);
        model.setName("fish");
        std::string bytes;
        ok = encodeGeoFile(fish, bytes) == nullptr &&
             model.loadOldFormatFromMemory(reinterpret_cast<unsigned char const*>(bytes.data()), bytes.size(),
                                           "fish") == 0 &&
             model.initGeometrySpecialProcessingTables() == 0;

        CgeoFileContents bones;
        bones.attribs = {{"pos", 3, 0}, {"parentMat", 1, 0}};
        bones.floatsPerPoint = 4;
        for (int j = 0; j < kJoints; j++) {
            bones.data.insert(bones.data.end(),
                              {0, 0, -0.1f * j, j == 0 ? -1.0f : static_cast<float>(j - 1)});
            bones.points++;
        }
        ok = ok && encodeGeoFile(bones, bytes) == nullptr &&
             skeleton.loadOldFormatFromMemory(reinterpret_cast<unsigned char const*>(bytes.data()),
                                              bytes.size(), "bones") == 0;
        shake.init(64, 1, 1, 1, 4);
        shake.setDimensionSpace(0, 0.0f, 50.0f);
        flutter.init(32, 32, 1, 1, 4);
        flutter.setDimensionSpace(0, 0.0f, 1.0f);
        flutter.setDimensionSpace(1, 0.0f, 1.0f);
        for (int i = 0; i < 64; i++)
            shake.floatData[i] = std::sin(0.4f * i);
        for (int i = 0; i < 32 * 32; i++)
            flutter.floatData[i] = 0.5f + 0.5f * std::sin(0.37f * i);
    }
    CdataChan const* camShakeChan() override { return &shake; }
    CdataImage const* fishFinFlutter() override { return &flutter; }
    Cvector camPos() override { return Cvector(0, 0, -5); }
    double waterPhase() override { return phase; }
    float pushNoiseSpeed() override { return 0.3f; }

    CtexturedGeo model;
    CgeoNew skeleton;
    CdataChan shake;
    CdataImage flutter;
    double phase = 0.0;
    bool ok = false;
};

struct BenchFish : CworkObjectOwner {
    BenchFish(BenchTank& tank, int seed) : tank(tank), seed(seed) {
        std::vector<CskeletonIdentity> ids(kJoints);
        bends.resize(kJoints);
        for (int j = 0; j < kJoints; j++) {
            bends[static_cast<size_t>(j)].identity();
            ids[static_cast<size_t>(j)].rotation = &bends[static_cast<size_t>(j)];
            ids[static_cast<size_t>(j)].translatePoint = j == 0 ? &position : &still;
        }
        built = work.initWorkGeometry(this) == 0 && work.initSkeleton(ids, 1.0f) == 0;
    }
    CmatrixControllerManager* skeletonControllers() override { return &manager; }
    Cmatrix_4* tankCameraMatrix() override { return nullptr; }
    char const* skeletonOwnerName() override { return "fish"; }
    CtexturedGeo* workObjectModel() override { return &tank.model; }
    CgeoNew* skeletonModel() override { return &tank.skeleton; }
    int currentBufferIndex() override { return buffer; }
    float thingScale() override { return 1.0f; }
    int thingCooks() override { return 0; }
    CframeSources* frameSources() override { return &tank; }
    void getMidPos(Cvector& out) override { out = position; }
    float* boundingBox() override { return box; }
    float randomPhase() override { return 0.1f * seed; }

    void frameStep(int frame) {
        float t = 0.05f * frame + 0.3f * seed;
        position.set(std::sin(0.1f * t), 0.1f * std::cos(t), std::cos(0.1f * t));
        for (int j = 1; j < kJoints; j++)
            bends[static_cast<size_t>(j)].setYrotation(0.1f * std::sin(t + 0.5f * j));
        buffer = frame & 1;
        work.calcGeometry(buffer);
    }

    BenchTank& tank;
    int seed;
    CmatrixControllerManager manager;
    std::vector<Cmatrix3> bends;
    Cvector position, still;
    CworkObject work;
    float box[6] = {};
    int buffer = 0;
    bool built = false;
};

void BM_CalcGeometryOneFrame(benchmark::State& state) {
    BenchTank tank;
    std::vector<std::unique_ptr<BenchFish>> school;
    for (int i = 0; i < kFish; i++)
        school.push_back(std::make_unique<BenchFish>(tank, i));
    if (!tank.ok || !school[0]->built || school[0]->work.numMatrices != kJoints ||
        tank.model.flutterSkips.empty() || tank.model.normalCalcs.empty()) {
        state.SkipWithError("the fish model did not build");
        return;
    }
    int frame = 0;
    for (; frame < 20; frame++)
        for (auto& fish : school)
            fish->frameStep(frame);
    {
        NoAllocations guard(state, "a warm frame allocated");
        for (auto _ : state) {
            tank.phase += 0.01;
            for (auto& fish : school)
                fish->frameStep(frame);
            frame++;
            benchmark::DoNotOptimize(school[0]->work.curGeo->pointData()[3]);
        }
    }
    if (exitSaver) state.SkipWithError("a frame recorded an error exit");
    state.counters["fish"] = kFish;
    state.counters["points"] = kPoints;
    state.counters["joints"] = kJoints;
}
BENCHMARK(BM_CalcGeometryOneFrame)->Unit(benchmark::kMicrosecond);

} // namespace
