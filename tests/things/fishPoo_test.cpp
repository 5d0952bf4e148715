// The waste strand of the staged resources: hanging from a fish, the hidden length, the
// ribbon, snapping into a falling copy that never outgrows its full length, and sinking
// out of the tank.
#include <filesystem>

#include "data/dataArrayManager.h"
#include "data/resourceStreamer.h"
#include "foodTestSupport.h"
#include "graphics/polyGroups.h"
#include "graphics/texturedGeo.h"
#include "testSupport.h"
#include "things/fishPoo.h"
#include "things/thingKinds.h"
#include "world/species.h"

namespace {

// A fish as the strand sees it: where its vent is and how far digestion has gone.
class VentFish : public Cthing, public CwasteStrandMaster {
  public:
    VentFish() { setName("ventFish"); }
    int whatAmI() override { return WHAT_FISH; }
    void getAnusPos(Cvector& p, Cmatrix3& m) override { p = vent, m.identity(); }
    float digestAndPoo() override { return digested; }
    float wasteStrandWidth() override { return 0.1f; }
    void setHasVisibleWaste(bool visible) override { showing = visible; }
    Cvector vent{0.5f, 1.0f, 0.0f};
    float digested = 0.5f;
    bool showing = false;
};

class FishPooTest : public FoodTest {
  protected:
    void SetUp() override {
        savedCwd = std::filesystem::current_path();
        std::filesystem::current_path(kGeneratedResourceDir);
        if (resourcesDir == nullptr) resourcesDir = new CresourceStreamer();
        savedDiskAlways = resourcesDir->checkDiskAlways;
        resourcesDir->checkDiskAlways = 1;
        speciesTreeBase = &speciesRoot;
        sharedResourceTree = &shared;
        installModelLoader();
        installThingKinds();
        fish.setToTank(&food);
    }
    void TearDown() override {
        fish.setToTank(nullptr); // a member: never deleted with the tank's things
        while (Cvariable* thing = food.thingList->firstChild)
            deleteVariable(thing);
        emptyTrash();
        speciesRoot.deleteChildren();
        shared.deleteChildren();
        speciesTreeBase = nullptr;
        sharedResourceTree = nullptr;
        resourcesDir->checkDiskAlways = savedDiskAlways;
        std::filesystem::current_path(savedCwd);
    }
    // A strand of the staged species hanging from the fish.
    CfishPoo* strand() {
        auto* s = dynamic_cast<CfishPoo*>(makeThing(Cstring("fish_poo"), "species"));
        EXPECT_NE(s, nullptr) << (exitReasonList.empty() ? "" : exitReasonList.front().c_str());
        if (s) EXPECT_EQ(s->attachThing(&fish, ATTACH_WASTE), 0);
        return s;
    }
    // The ribbon's first vertex in the buffer just computed.
    static Cvector ribbonStart(CfishPoo& s) {
        CworkObject& w = *s.workObject;
        float const* p = w.pointPosition(w.curGeo == &w.workGeo[1] ? 1 : 0, s.firstMeshPoint);
        return p ? Cvector(p[0], p[1], p[2]) : Cvector();
    }
    static bool shown(CfishPoo& s) {
        for (CrenderPolyGroup const& g : s.workObject->renderPolyGroups)
            if (g.displayed) return true;
        return false;
    }
    std::filesystem::path savedCwd;
    uint16_t savedDiskAlways = 0;
    CdirectoryVar speciesRoot, shared;
    VentFish fish;
};

// Only a fish takes a strand; the strand counts its points from its cloth and follows the
// fish's vent and digestion, taking its width on the first frame.
TEST_F(FishPooTest, AStrandHangsFromAFishOnly) {
    auto* loose = dynamic_cast<CfishPoo*>(makeThing(Cstring("fish_poo"), "species"));
    ASSERT_NE(loose, nullptr);
    ScriptedThing rock("rock");
    EXPECT_EQ(loose->attachThing(&rock, ATTACH_WASTE), 1);
    EXPECT_TRUE(hasReason("master is not a fish!"));
    resetExitState();
    deleteVariable(loose);
    emptyTrash();

    CfishPoo* s = strand();
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->whatAmI(), WHAT_FISH_WASTE);
    EXPECT_EQ(s->pointCount, 9);
    EXPECT_FLOAT_EQ(s->pooLength, 0.7f);
    EXPECT_GE(s->pooCloth, 0);
    EXPECT_GE(s->pooClothA, 0);
    EXPECT_GE(s->pooClothB, 0);
    EXPECT_EQ(s->tank, &food);
    s->thingScale = 3.0f;
    s->goFish(1);
    EXPECT_FLOAT_EQ(s->pooThickness, 0.1f);
    EXPECT_FLOAT_EQ(s->thingScale, 1.0f);
    EXPECT_FLOAT_EQ(s->jointPositions[0].x, 0.5f);
    EXPECT_FLOAT_EQ(s->pooLength, 0.5f);
    EXPECT_TRUE(fish.showing);
    fish.digested = 0.0f;
    s->goFish(1);
    EXPECT_FALSE(fish.showing);
}

// At 0.01 of its length the strand is hidden and its ribbon collapsed; at 0.011 it shows,
// laid along its cloth from the vent.
TEST_F(FishPooTest, TheRibbonHidesAtTheHiddenLength) {
    CfishPoo* s = strand();
    ASSERT_NE(s, nullptr);
    struct {
        float length;
        bool shows;
    } const cases[] = {{0.01f, false}, {0.011f, true}, {0.5f, true}, {0.0f, false}};
    for (auto const& c : cases) {
        fish.digested = c.length;
        s->goFish(1);
        s->workObject->calcGeometry(0);
        EXPECT_EQ(shown(*s), c.shows) << c.length;
        Cvector start = ribbonStart(*s);
        if (c.shows)
            EXPECT_NEAR((start - fish.vent).length(), 0.01f, 0.005f)
                << "half the ribbon's width from the vent";
        else
            EXPECT_EQ(start.lengthSquared(), 0.0f) << c.length;
    }
}

// A snap leaves a falling copy of the strand, never longer than full length, while the
// strand on the fish starts again hidden; the copy sinks and is gone on the first frame it
// is half a unit below the tank's floor height.
TEST_F(FishPooTest, ASnappedStrandFallsAndGoesBelowTheFloor) {
    food.set("minimumGroundHeight", -1.0);
    for (float length : {0.6f, 1.5f}) {
        SCOPED_TRACE(length);
        CfishPoo* s = strand();
        ASSERT_NE(s, nullptr);
        s->goFish(1);
        s->pooLength = length;
        int before = food.thingList->countChildren(-1);
        ASSERT_EQ(s->snapIntoFallingPoo(1.0f), 0);
        ASSERT_EQ(food.thingList->countChildren(-1), before + 1);
        auto* copy = dynamic_cast<CfishPoo*>(food.thingList->getLastChild());
        ASSERT_NE(copy, nullptr);
        EXPECT_FLOAT_EQ(copy->pooLength, std::min(length, 1.0f));
        EXPECT_EQ(copy->parentThing, nullptr);
        EXPECT_TRUE(copy->displayed);
        EXPECT_FLOAT_EQ(s->pooLength, 1.0f);
        EXPECT_FALSE(shown(*s));
        float y = copy->jointPositions[0].y;
        copy->goFish(1);
        EXPECT_NEAR(copy->jointPositions[0].y, y - 0.008f, 1e-6f);
        copy->jointPositions[0].y = -1.5f + 0.012f;
        copy->goFish(1);
        EXPECT_FALSE(copy->dying) << "not yet half a unit below";
        copy->goFish(1);
        EXPECT_TRUE(copy->dying);
        deleteVariable(copy);
        deleteVariable(s);
        emptyTrash();
    }
}

} // namespace
