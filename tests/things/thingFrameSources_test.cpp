// A thing's work-object owner: the per-frame sources come from its tank and its species,
// each half falling back to the defaults when the partner hands nothing down, and the
// per-frame hooks reach the thing.
#include "data/dataArray.h"
#include "data/dataArrayManager.h"
#include "support/pov.h"
#include "testSupport.h"
#include "thingTestSupport.h"

namespace {

// Every value distinct from the defaults, so a call that is not forwarded shows.
class TankSide : public CframeSources {
  public:
    CdataChan const* camShakeChan() override { return &shake; }
    CdataImage const* fishFinFlutter() override { return &flutter; }
    CdataVolume const* levelSet() override { return &volume; }
    float sphereLevelSet(Cvector const& p) override { return p.x + 0.5f; }
    Cvector camPos() override { return Cvector(1, 2, 3); }
    double waterPhase() override { return 4.25; }
    float causticSpeed() override { return 5.5f; }
    Cpov const* pov() override { return &view; }
    int gridColumns() override { return 7; }
    int gridRows() override { return 9; }
    CdataChan shake;
    CdataImage flutter;
    CdataVolume volume;
    Cpov view;
};

class SpeciesSide : public CframeSources {
  public:
    CdataImage const* colorNoiseImage() override { return &noise; }
    float pushNoiseSpeed() override { return 0.75f; }
    float causticPointNoiseSpeedU() override { return 0.125f; }
    float causticPointNoiseSpeedV() override { return -0.25f; }
    CdataImage noise;
};

class SourcingTank : public TestTank {
  public:
    CframeSources* frameSources() override { return handsDown ? &side : nullptr; }
    TankSide side;
    bool handsDown = true;
};

class SourcingSpecies : public TestSpecies {
  public:
    SourcingSpecies() : TestSpecies("sourcing") {}
    CframeSources* frameSources() override { return &side; }
    SpeciesSide side;
};

class ThingFrameSources : public ThingTest {
  protected:
    SourcingTank sourcingTank;
    SourcingSpecies species;
};

TEST_F(ThingFrameSources, EachHalfComesFromItsPartnerOrTheDefaults) {
    auto* t = new ScriptedThing;
    t->setToTank(&sourcingTank);
    CframeSources defaults;
    for (bool withSpecies : {true, false}) {
        SCOPED_TRACE(withSpecies ? "with species" : "without species");
        t->species = withSpecies ? &species : nullptr;
        CframeSources* s = t->workOwner.frameSources();
        ASSERT_NE(s, nullptr);
        // The tank's half never depends on the species.
        EXPECT_EQ(s->camShakeChan(), &sourcingTank.side.shake);
        EXPECT_EQ(s->fishFinFlutter(), &sourcingTank.side.flutter);
        EXPECT_EQ(s->levelSet(), &sourcingTank.side.volume);
        EXPECT_EQ(s->sphereLevelSet(Cvector(2, 0, 0)), 2.5f);
        EXPECT_EQ(s->camPos().z, 3.0f);
        EXPECT_EQ(s->waterPhase(), 4.25);
        EXPECT_EQ(s->causticSpeed(), 5.5f);
        EXPECT_EQ(s->pov(), &sourcingTank.side.view);
        EXPECT_EQ(s->gridColumns() * 100 + s->gridRows(), 709);
        // The species' half.
        EXPECT_EQ(s->colorNoiseImage(), withSpecies ? &species.side.noise : nullptr);
        EXPECT_EQ(s->pushNoiseSpeed(), withSpecies ? 0.75f : defaults.pushNoiseSpeed());
        EXPECT_EQ(s->causticPointNoiseSpeedU(), withSpecies ? 0.125f : defaults.causticPointNoiseSpeedU());
        EXPECT_EQ(s->causticPointNoiseSpeedV(), withSpecies ? -0.25f : defaults.causticPointNoiseSpeedV());
    }
    sourcingTank.handsDown = false; // then the thing has no sources at all
    EXPECT_EQ(t->workOwner.frameSources(), nullptr);
    t->species = nullptr;
    t->setToTank(nullptr);
    deleteVariable(t);
}

TEST_F(ThingFrameSources, HooksReachTheThing) {
    auto* t = new ScriptedThing;
    t->middle.set(3, -1, 2);
    Cvector mid;
    t->workOwner.getMidPos(mid);
    EXPECT_EQ(mid.x * 100 + mid.y * 10 + mid.z, 292.0f);

    auto* texture = new CdataArrayReference;
    texture->setName("stripes");
    t->customTextures->addVariable(texture);
    struct {
        char const* name;
        bool found;
    } const cases[] = {{"stripes", true}, {"scripts/stripes", true}, {"stripe", false}, {"", false}};
    for (auto const& c : cases)
        EXPECT_EQ(t->workOwner.customTexture(c.name) == texture, c.found) << c.name;
    EXPECT_EQ(t->workOwner.customTexture(nullptr), nullptr);
    deleteVariable(t);
}

} // namespace
