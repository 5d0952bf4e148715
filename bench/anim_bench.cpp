#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "script/chanController.h"
#include "script/matrixControllerManager.h"

#include "allocCounter.h"

namespace {

constexpr int kFish = 110;
constexpr int kAnimControls = 24;
constexpr int kLaggedControls = 4;
constexpr int kHeadingControls = 5;
constexpr int kJoints = 12;

// One fish's worth of controls, controllers, joints and fin chans.
struct BenchFish {
    explicit BenchFish(int seed) {
        frame.identity();
        for (int i = 0; i < kAnimControls; i++) {
            Cstring name = Cstring("ctl") + Cstring(i);
            anims.push_back(manager.addAndRegisterAnimControl(name, 0.1f * (i % 5)));
        }
        for (int i = 0; i < kLaggedControls; i++) {
            auto* lagged = new CbufferedDelayAnimValue;
            lagged->setAnimLagStuff(&anims[i]->ownValue, &lag, 5);
            manager.addAndRegisterControl(Cstring("lag") + Cstring(i), lagged);
            laggedValues.push_back(&lagged->ownValue);
        }
        for (int i = 0; i < kHeadingControls; i++) {
            auto* heading = new CmatrixAngleDifferenceVar;
            heading->frame = &frame;
            heading->fromPoint = &points[i];
            heading->toPoint = &points[i + 1];
            manager.addAndRegisterControl(Cstring("caudalY") + Cstring(i + 6), heading);
            headingValues.push_back(&heading->value);
        }
        for (int i = 0; i < 6; i++)
            points[i].set(0.1f * i, 0.02f * seed, -0.3f * i);
        // Up to three driven axes per joint, one controller each.
        int source = 0;
        for (int j = 0; j < kJoints; j++) {
            for (int axis = 0; axis < 3 && source < kAnimControls + kLaggedControls + kHeadingControls;
                 axis++) {
                joints[j].axisCodes[axis] = (j + axis) % 6;
                auto* c = new CmatrixController;
                c->source = sourceFloat(source++);
                if (axis == 1) {
                    c->source2 = sourceFloat((source + 3) % kAnimControls);
                    c->blend = 0.3f;
                }
                c->rotater = &joints[j];
                c->offset = -0.2f;
                c->scale = 0.4f;
                c->setPointer(&joints[j].angles[axis]);
                manager.addController(c);
            }
        }
        lift.initialize(8);
        lift.shapeB.set(0.5f);
        for (auto* wag : {&wagLeft, &wagRight}) {
            wag->initialize(8);
            wag->weights.lerpAdd(0.2f, 1.0f);
        }
        caudal.initialize(10);
        phase = 0.37f * seed;
    }

    float* sourceFloat(int i) {
        if (i < kAnimControls) return &anims[i]->ownValue;
        i -= kAnimControls;
        if (i < kLaggedControls) return laggedValues[i];
        return headingValues[i - kLaggedControls];
    }

    void frameStep(int frameNumber) {
        // Idle controls get new moves, some queued behind the current one.
        for (int i = 0; i < kAnimControls; i++) {
            CanimValue* a = anims[i];
            if (!a->active) {
                a->setMove(((frameNumber + i) % 7) * 0.1f, 3 + i % 5, i % 4, 1);
                a->setNextMove(0.2f, 4, CURVE_SMOOTHSTEP);
                a->setNextMove(0.0f, 2, CURVE_LINEAR);
            }
        }
        lag = 1.5f + 0.5f * ((frameNumber & 3) - 1);
        manager.animValuesToMatrices();
        for (auto& joint : joints) {
            joint.rotateByAngles();
            joint.resetMAR();
        }
        phase += 0.1f;
        lift.fill(anims[0]->ownValue, anims[1]->ownValue);
        lift.copyToCosSine();
        wagLeft.fill(0.1f, 0.3f, phase, phase + 2);
        wagLeft.cheapCopyToCosSine();
        wagRight.fill(-0.1f, 0.3f, phase + 1, phase + 3);
        wagRight.cheapCopyToCosSine();
        caudal.angles.angleToSine(0.4f, phase, phase + 3);
        caudal.angles.addMultedChan(caudal.bendCurve, anims[2]->ownValue);
        caudal.cheapCopyToCosSine();
    }

    CmatrixControllerManager manager;
    std::vector<CanimValue*> anims;
    std::vector<float*> laggedValues, headingValues;
    float lag = 1.5f;
    Cmatrix3 frame;
    Cvector points[6];
    CmatrixAngleRotater joints[kJoints];
    CfinLiftController lift;
    CfinWagController wagLeft, wagRight;
    CcaudalWagController caudal;
    float phase = 0;
};

void BM_FishControllersOneFrame(benchmark::State& state) {
    std::vector<std::unique_ptr<BenchFish>> school;
    for (int i = 0; i < kFish; i++)
        school.push_back(std::make_unique<BenchFish>(i));
    int frameNumber = 0;
    for (int warm = 0; warm < 200; warm++, frameNumber++)
        for (auto& fish : school)
            fish->frameStep(frameNumber);

    {
        NoAllocations guard(state, "a warm frame allocated");
        for (auto _ : state) {
            for (auto& fish : school)
                fish->frameStep(frameNumber);
            frameNumber++;
            benchmark::DoNotOptimize(school[0]->caudal.cosSin.values[3]);
        }
    }
    state.counters["fish"] = kFish;
}
BENCHMARK(BM_FishControllersOneFrame)->Unit(benchmark::kMicrosecond);

} // namespace
