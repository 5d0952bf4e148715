// Per-frame steering queries for a full tank: 110 fish against a field of 200 spheres.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "fish/avoidZone.h"
#include "fish/pseudoAngle.h"
#include "fish/sphereField.h"

#include "allocCounter.h"

namespace {

constexpr int kFish = 110;
constexpr int kSpheres = 200;

struct Lcg {
    uint32_t state;
    float next(float lo, float hi) {
        state = state * 1664525u + 1013904223u;
        return lo + (hi - lo) * static_cast<float>(state >> 8) / 16777216.0f;
    }
};

class SphereModel : public CsphereSource {
  public:
    std::vector<CsphereDef> points;
    int pointCount() const override { return static_cast<int>(points.size()); }
    bool isInterleaved() const override { return true; }
    bool hasAttribute(char const*) const override { return true; }
    Cvector pointPosition(int i) const override { return Cvector(points[i].x, points[i].y, points[i].z); }
    float pointAttribute(int i, char const*) const override { return points[i].radius; }
};

// A fish looking along +z that projects spheres the way steering does: heading and pitch
// by pseudo-angle, the sphere's size by inverse distance.
class BenchFish : public CsphereAvoider {
  public:
    Cvector head;
    float length = 1.5f;
    std::unique_ptr<CavoidZone> zone = std::make_unique<CavoidZone>();
    Cvector getHeadPos() override { return head; }
    float getBodyLength() override { return length; }
    bool getSphereViewRect(Cvector const& c, float r, Crect& out) override {
        Cvector v = c - head;
        float reach = 1.0f + r + 0.05f;
        if (v.lengthSquared() >= reach * reach || v.z <= -r) return false;
        float d, k;
        float h = vectToAngleAndDist(v.x, v.z, d);
        float p = vectToAngleAndInvDist(v.y, d, k);
        float w = r * k;
        out = Crect(h - w, h + w, p - w, p + w);
        return true;
    }
    CavoidZone& getAvoidZone() override { return *zone; }
};

struct Tank {
    CsphereField field;
    std::vector<std::unique_ptr<BenchFish>> fish;
    Tank() {
        Lcg rng{77};
        SphereModel model;
        for (int i = 0; i < kSpheres; i++)
            model.points.push_back(
                {rng.next(-10, 10), rng.next(-4, 4), rng.next(-5, 5), rng.next(0.2f, 1.2f)});
        field.loadSpheres(model, 1.0f);
        for (int i = 0; i < kFish; i++) {
            fish.push_back(std::make_unique<BenchFish>());
            fish.back()->head.set(rng.next(-10, 10), rng.next(-4, 4), rng.next(-5, 5));
        }
    }
};

void BM_SphereLevelSet110Fish(benchmark::State& state) {
    Tank tank;
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            float sum = 0.0f;
            Cvector offset;
            for (auto const& f : tank.fish)
                sum += tank.field.getSphereLevelSet(f->head, &offset);
            benchmark::DoNotOptimize(sum);
        }
    }
    state.SetItemsProcessed(state.iterations() * kFish);
}
BENCHMARK(BM_SphereLevelSet110Fish);

// The sphere rectangles of every fish and its avoid-zone answer, as one frame makes them.
void BM_SphereAvoidance110Fish(benchmark::State& state) {
    Tank tank;
    long rects = 0;
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            for (auto const& f : tank.fish) {
                f->zone->count = 0;
                tank.field.addSphereFieldAvoidanceRects(*f);
                rects += f->zone->count;
                Cvector turn;
                benchmark::DoNotOptimize(f->zone->getBestHeadingOrPitchChange(0.05f, -0.02f, 0.0f, turn));
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kFish);
    state.counters["rectsPerFish"] =
        static_cast<double>(rects) / static_cast<double>(state.iterations() * kFish);
}
BENCHMARK(BM_SphereAvoidance110Fish);

// A crowded zone: 60 rectangles around the wanted turn.
void BM_AvoidZoneQuery60Rects(benchmark::State& state) {
    auto zone = std::make_unique<CavoidZone>();
    Lcg rng{5};
    for (int i = 0; i < 60; i++) {
        float x = rng.next(-1, 1), y = rng.next(-1, 1);
        zone->addAvoidRect(Crect(x - 0.2f, x + 0.2f, y - 0.15f, y + 0.15f));
    }
    zone->addAvoidRect(Crect(-0.1f, 0.1f, -0.1f, 0.1f));
    NoAllocations guard(state);
    for (auto _ : state) {
        Cvector out;
        benchmark::DoNotOptimize(zone->getBestHeadingOrPitchChange(0.01f, 0.02f, 0.0f, out));
    }
}
BENCHMARK(BM_AvoidZoneQuery60Rects);

} // namespace
