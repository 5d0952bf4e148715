#include <benchmark/benchmark.h>

#include <vector>

#include "support/esTransform.h"
#include "support/fastRand.h"
#include "support/matrix4.h"
#include "support/quickSort.h"

#include "allocCounter.h"

namespace {

std::vector<Cvector> makePoints(int n) {
    std::vector<Cvector> points(n);
    for (int i = 0; i < n; i++)
        points[i].set(i * 0.01f, 1.0f - i * 0.003f, 0.5f + (i % 7) * 0.1f);
    return points;
}

Cmatrix_4 makeTransform() {
    Cmatrix_4 m;
    m.rot.setAxisRotation(Cvector(0.3f, 0.8f, -0.5f), 0.7f);
    m.pos.set(1, -2, 3);
    return m;
}

// The per-point benchmarks: op applied to a copy of each of range(0) points, timed
// without allocation.
template <typename Op> void pointLoop(benchmark::State& state, Op op) {
    std::vector<Cvector> points = makePoints(static_cast<int>(state.range(0)));
    std::vector<Cvector> out(points.size());
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            for (size_t i = 0; i < points.size(); i++) {
                out[i] = points[i];
                op(out[i]);
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

// A model's points into the world: the skinning and shadow inner loop.
void BM_TransformPoints(benchmark::State& state) {
    Cmatrix_4 m = makeTransform();
    pointLoop(state, [&](Cvector& p) { p *= m; });
}
BENCHMARK(BM_TransformPoints)->Arg(64)->Arg(4096);

// World points back into a frame (collision and avoidance tests).
void BM_InverseTransformPoints(benchmark::State& state) {
    Cmatrix_4 m = makeTransform();
    pointLoop(state, [&](Cvector& p) { p /= m; });
}
BENCHMARK(BM_InverseTransformPoints)->Arg(4096);

// Two-bone skinning blend per point.
void BM_BlendByMatrices(benchmark::State& state) {
    Cmatrix_4 a = makeTransform(), b = makeTransform();
    b.rot.rotateAroundUp(0.4f);
    pointLoop(state, [&](Cvector& p) { p.blendByMatrices(a, b, 0.3f); });
}
BENCHMARK(BM_BlendByMatrices)->Arg(4096);

// Points through the render matrix (column layout).
void BM_RenderMatrixPoints(benchmark::State& state) {
    ESMatrix view;
    esMatrixLoadIdentity(&view);
    esPerspective(&view, 45, 1.5f, 0.1f, 100);
    pointLoop(state, [&](Cvector& p) { p *= view; });
}
BENCHMARK(BM_RenderMatrixPoints)->Arg(4096);

// One joint step of a skeleton: compose, turn, re-aim and check.
void BM_JointStep(benchmark::State& state) {
    Cmatrix_4 parent = makeTransform(), joint = makeTransform();
    Cvector target(4, 1, 9);
    float angle = 0.01f;
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            Cmatrix_4 world = joint;
            world *= parent;
            world.rot.rotateAroundUp(angle);
            world.rot.orientFace(world.pos, target, 2, 1);
            benchmark::DoNotOptimize(world);
        }
    }
}
BENCHMARK(BM_JointStep);

void BM_Normalize(benchmark::State& state) {
    pointLoop(state, [](Cvector& p) { p.normalize(); });
}
BENCHMARK(BM_Normalize)->Arg(4096);

void BM_FastRandDraws(benchmark::State& state) {
    initFastRand();
    NoAllocations guard(state);
    for (auto _ : state)
        benchmark::DoNotOptimize(randRange(-1, 1) + fastRandneg1to1());
}
BENCHMARK(BM_FastRandDraws);

// The tank's per-frame depth sort of render groups.
void BM_QuickSortDepths(benchmark::State& state) {
    int n = static_cast<int>(state.range(0));
    std::vector<float> source(n), keys(n);
    std::vector<int> order(n);
    initFastRand();
    for (float& k : source)
        k = randRange(0, 100);
    CquickSort sorter;
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            keys = source; // same size: copies without allocating
            sorter.sort(keys.data(), order.data(), n, 1);
            benchmark::DoNotOptimize(order.data());
        }
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_QuickSortDepths)->Arg(256)->Arg(4096);

} // namespace
