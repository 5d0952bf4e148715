// The render pass over a tank of n transparent and n opaque groups, on a device that draws
// nothing: the cost of the visibility test, the chain and the look-aheads that batch like
// materials, and proof that a frame allocates nothing.
#include <benchmark/benchmark.h>

#include <vector>

#include "allocCounter.h"
#include "graphics/graphicsMaster.h"
#include "graphics/polyGroups.h"
#include "graphics/workObject.h"
#include "support/cerr.h"

namespace {

struct Scene {
    CtankRenderLists lists;
    std::vector<CrenderPolyGroup> groups;
} * scene;

// Counts the draws and clears the pass bit, as a device does.
class CcountingDevice : public CgraphicsAPI {
  public:
    int geoToDisplay(CrenderPolyGroup* g) override {
        if (g) g->passBits = uint8_t(g->passBits & ~displayBit), draws++;
        return 0;
    }
    long draws = 0;
};

void BM_RenderPass(benchmark::State& state) {
    int n = static_cast<int>(state.range(0));
    Scene s;
    scene = &s;
    CworkObject objects[4];
    s.groups.resize(size_t(2 * n));
    s.lists.opaqueList.setSize(n, nullptr);
    s.lists.transparentList.setSize(n, nullptr);
    s.lists.transparentOrder.setSize(n, nullptr);
    s.lists.opaqueList.count = s.lists.transparentList.count = 0;
    uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1664525u + 1013904223u; };
    std::vector<CrenderPolyGroup*> lastOf(8, nullptr);
    for (int i = 0; i < 2 * n; i++) {
        CrenderPolyGroup& g = s.groups[size_t(i)];
        g.owner = &objects[next() % 4];
        g.materialNumber = uint16_t(next() % 8);
        int column = int(next() % 28), row = int(next() % 28);
        g.xCellMask = uint64_t(0xF) << column, g.yCellMask = uint64_t(0xF) << row;
        g.screenMin = Cvector(float(column), float(row), 0),
        g.screenMax = Cvector(column + 4.0f, row + 4.0f, 0);
        if (i < n) {
            s.lists.opaqueList.add(&g);
        } else {
            s.lists.transparentOrder[i - n] = i - n;
            s.lists.transparentList.add(&g);
            lastOf[g.materialNumber] = &g;
        }
    }
    for (int i = n; i < 2 * n; i++)
        s.groups[size_t(i)].lastSameMaterial = lastOf[s.groups[size_t(i)].materialNumber];

    CgraphicsHooks saved = graphicsHooks;
    graphicsHooks.tankRenderLists = [](Ctank*) { return &scene->lists; };
    graphicsHooks.updateTankForFrame = [](Ctank*) {
        for (CrenderPolyGroup& g : scene->groups)
            g.passBits = 255;
        scene->lists.lastUpdateFrame = masterFrame;
    };
    CcountingDevice device;
    device.setDisplayIndex(0);
    device.cellRect = Crect(0, 20, 0, 20);
    device.tank = reinterpret_cast<Ctank*>(&s);
    masterFrame++;
    device.RenderFraction(0); // the first frame sizes the chain
    {
        NoAllocations guard(state, "a frame allocated");
        for (auto _ : state) {
            masterFrame++;
            benchmark::DoNotOptimize(device.RenderFraction(0));
        }
    }
    state.counters["draws/frame"] = double(device.draws) / double(state.iterations() + 1);
    graphicsHooks = saved;
    scene = nullptr;
}
BENCHMARK(BM_RenderPass)->Arg(100)->Arg(1000);

} // namespace
