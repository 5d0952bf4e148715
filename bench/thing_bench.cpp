#include <benchmark/benchmark.h>

#include <vector>

#include "graphics/workObject.h"
#include "support/cerr.h"
#include "things/basicDeformThing.h"
#include "world/thingServices.h"

#include "allocCounter.h"

namespace {

constexpr int kThings = 110;
constexpr int kRefreshesPerFrame = 2; // 60 refreshes a second over 30 behaviour frames

class BenchTank : public CtankServices {
  public:
    BenchTank() { list = addDirectory("thingList"); }
    Cvariable* getThingList() override { return list; }
    void addThingToTankLists(Cthing*) override {}
    int removeThingFromList(Cthing*) override { return 0; }
    void updateFocusThing() override {}
    void recalcTankAspect() override {}
    Cvariable* list;
};

// Without a model: the deformation itself belongs to the work object's own benchmarks;
// here only the thing's road is measured.
class BenchSpecies : public CspeciesServices {
  public:
    void unrequestSpecies() override {}
    CtexturedGeo* modelGeometry() override { return nullptr; }
    CgeoNew* skeletonModel() override { return nullptr; }
};

// One tank's things through the frame road and the geometry road, refresh by refresh.
void BM_thingRefreshes(benchmark::State& state) {
    BenchSpecies species;
    BenchTank tank;
    std::vector<Cthing*> things;
    for (int i = 0; i < kThings; i++) {
        auto* t = new CbasicDeformThing;
        t->species = &species;
        t->setToTank(&tank);
        t->addRenderGeometry(); // a bare work object
        t->resetThing(0);
        things.push_back(t);
    }
    int frame = 0;
    {
        NoAllocations guard(state);
        for (auto _ : state) {
            frame++;
            for (int r = 0; r < kRefreshesPerFrame; r++) {
                float fraction = static_cast<float>(r) / kRefreshesPerFrame;
                for (Cthing* t : things) {
                    t->updateThing(frame, fraction);
                    benchmark::DoNotOptimize(t->getFinalGeometry());
                }
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kThings);
    for (Cthing* t : things)
        deleteVariable(t);
    emptyTrash();
    resetExitState();
}
BENCHMARK(BM_thingRefreshes);

} // namespace
