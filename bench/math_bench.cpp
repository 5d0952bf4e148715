#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

#include "support/esTransform.h"
#include "support/fastRand.h"
#include "support/matrix4.h"
#include "support/quickSort.h"

// Every heap allocation of the program is counted, so a benchmark can prove its timed loop
// allocates nothing.
static std::atomic<long> allocationCount{0};

// The replacement new and delete are a malloc/free pair; the compiler cannot see that once
// it inlines them into other code, hence the pragma.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void* operator new(std::size_t n) {
    allocationCount++;
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

// Fails the benchmark when the timed loop allocated.
class NoAllocations {
  public:
    explicit NoAllocations(benchmark::State& s) : state(s), before(allocationCount.load()) {}
    ~NoAllocations() {
        long made = allocationCount.load() - before;
        state.counters["allocs"] = static_cast<double>(made);
        if (made) state.SkipWithError("the timed loop allocated");
    }

  private:
    benchmark::State& state;
    long before;
};

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

// A model's points into the world: the skinning and shadow inner loop.
void BM_TransformPoints(benchmark::State& state) {
    std::vector<Cvector> points = makePoints(static_cast<int>(state.range(0)));
    std::vector<Cvector> out(points.size());
    Cmatrix_4 m = makeTransform();
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            for (size_t i = 0; i < points.size(); i++) {
                out[i] = points[i];
                out[i] *= m;
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_TransformPoints)->Arg(64)->Arg(4096);

// World points back into a frame (collision and avoidance tests).
void BM_InverseTransformPoints(benchmark::State& state) {
    std::vector<Cvector> points = makePoints(static_cast<int>(state.range(0)));
    std::vector<Cvector> out(points.size());
    Cmatrix_4 m = makeTransform();
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            for (size_t i = 0; i < points.size(); i++) {
                out[i] = points[i];
                out[i] /= m;
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_InverseTransformPoints)->Arg(4096);

// Two-bone skinning blend per point.
void BM_BlendByMatrices(benchmark::State& state) {
    std::vector<Cvector> points = makePoints(static_cast<int>(state.range(0)));
    std::vector<Cvector> out(points.size());
    Cmatrix_4 a = makeTransform(), b = makeTransform();
    b.rot.rotateAroundUp(0.4f);
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            for (size_t i = 0; i < points.size(); i++) {
                out[i] = points[i];
                out[i].blendByMatrices(a, b, 0.3f);
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_BlendByMatrices)->Arg(4096);

// Points through the render matrix (column layout).
void BM_RenderMatrixPoints(benchmark::State& state) {
    std::vector<Cvector> points = makePoints(static_cast<int>(state.range(0)));
    std::vector<Cvector> out(points.size());
    ESMatrix view;
    esMatrixLoadIdentity(&view);
    esPerspective(&view, 45, 1.5f, 0.1f, 100);
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            for (size_t i = 0; i < points.size(); i++) {
                out[i] = points[i];
                out[i] *= view;
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
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
    std::vector<Cvector> points = makePoints(static_cast<int>(state.range(0)));
    std::vector<Cvector> out(points.size());
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            for (size_t i = 0; i < points.size(); i++) {
                out[i] = points[i];
                out[i].normalize();
            }
            benchmark::DoNotOptimize(out.data());
            benchmark::ClobberMemory();
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
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
