// Peck food: particles from the model's points, the set-up refusals, the offer by reach and
// by the side of the surface, particles never used up, and a second reset.
#include "foodTestSupport.h"
#include "graphics/texturedGeo.h"
#include "things/peckFood.h"

namespace {

// A species whose model is the points given: position, normal (0, 1, 0) unless told, and
// broadcastDP and receiveDP when present.
class PeckSpecies : public CspeciesServices {
  public:
    PeckSpecies(std::vector<Cvector> const& points, bool normals, bool dps, float broadcast = 0.5f) {
        setName("algae");
        std::vector<CgeoFileAttrib> attribs = {{"pos", 3, 0}};
        if (normals) attribs.push_back({"N", 3, 1});
        if (dps) attribs.push_back({"broadcastDP", 1, 0}), attribs.push_back({"receiveDP", 1, 0});
        std::vector<std::vector<float>> rows;
        for (Cvector const& p : points) {
            std::vector<float> r = {p.x, p.y, p.z};
            if (normals) r.insert(r.end(), {0.0f, 2.0f, 0.0f});
            if (dps) r.insert(r.end(), {broadcast, 0.3f});
            rows.push_back(r);
        }
        EXPECT_EQ(loadContents(model, contentsOf(attribs, rows)), 0);
    }
    void unrequestSpecies() override {}
    CtexturedGeo* modelGeometry() override { return &model; }
    CgeoNew* skeletonModel() override { return nullptr; }
    CtexturedGeo model;
};

class PeckFoodTest : public FoodTest {
  protected:
    CpeckFood* peck(PeckSpecies& s, int expectedReset = 0) {
        auto* f = new CpeckFood;
        f->species = &s;
        f->setToTank(&food);
        record(*f);
        EXPECT_EQ(f->resetThing(0), expectedReset);
        return f;
    }
};

// A model without normals, or without the two attributes, is refused with its reason; a
// good one gives one particle per point, in order, scaled by the tank, facing its normal,
// all in the water and free; it joins the food list.
TEST_F(PeckFoodTest, ParticlesComeFromTheModelsPoints) {
    struct {
        bool normals, dps;
        char const* refusal;
    } const cases[] = {
        {false, true, "peck food must have normal"},
        {true, false, "peck food must have broadcastDP and receiveDP attribs"},
        {true, true, nullptr},
    };
    food.set("tankScale", 2.0);
    for (auto const& c : cases) {
        SCOPED_TRACE(c.refusal ? c.refusal : "good");
        resetExitState();
        PeckSpecies s({Cvector(1, 0, 0), Cvector(0, 1, 0), Cvector(0, 0, 1)}, c.normals, c.dps);
        CpeckFood* f = peck(s, c.refusal ? 1 : 0);
        EXPECT_EQ(f->initialized, c.refusal ? 0 : 1);
        if (c.refusal) {
            EXPECT_TRUE(hasReason(c.refusal));
            dropThing(f);
            continue;
        }
        EXPECT_EQ(f->name, "peckFood");
        ASSERT_EQ(f->particleCount, 3);
        EXPECT_EQ(f->foodType(), FOOD_PECK);
        EXPECT_EQ(f->attributes, 0u);
        std::vector<std::string> names;
        for (Cvariable* v = f->foodItems->firstChild; v; v = v->nextSibling)
            names.push_back(v->name.c_str());
        EXPECT_EQ(names, (std::vector<std::string>{"part0", "part1", "part2"}));
        auto& second = static_cast<CpeckFoodItem&>(*f->items[1]);
        EXPECT_FLOAT_EQ(second.position.y, 2.0f);
        EXPECT_FLOAT_EQ(second.normal.y, 1.0f);
        EXPECT_FLOAT_EQ(second.broadcastDP, 0.5f);
        EXPECT_FLOAT_EQ(second.receiveDP, 0.3f);
        EXPECT_TRUE(second.active && second.available);
        EXPECT_EQ(f->doExtraInit(), 0);
        EXPECT_EQ(food.foods, std::vector<Cvariable*>{f});
        dropThing(f);
        EXPECT_TRUE(food.foods.empty());
    }
}

// An eater is offered a point between sqrt(0.3) and sqrt(1.4) away, on the side its normal
// faces (the cosine above broadcastDP), and learns the way from the point to itself.
TEST_F(PeckFoodTest, OffersPointsWithinReachOnTheSideTheyFace) {
    struct {
        char const* what;
        Cvector eater;
        bool offered;
    } const cases[] = {
        {"above", Cvector(0, 1, 0), true},
        {"too near", Cvector(0, 0.5f, 0), false},
        {"too far", Cvector(0, 1.2f, 0), false},
        {"at a slant", Cvector(0.5f, 0.6f, 0), true},       // cosine 0.77
        {"too low a slant", Cvector(0.9f, 0.3f, 0), false}, // cosine 0.32
        {"the far side", Cvector(0, -1, 0), false},
    };
    PeckSpecies s({Cvector()}, true, true);
    CpeckFood* f = peck(s);
    Cmatrix3 any;
    for (auto const& c : cases) {
        SCOPED_TRACE(c.what);
        auto* offered = static_cast<CpeckFoodItem*>(f->getAvailableParticle(c.eater, any));
        EXPECT_EQ(offered != nullptr, c.offered);
        if (offered) {
            Cvector way = c.eater;
            way.normalize();
            EXPECT_NEAR(offered->approach.x, way.x, 1e-5f);
            EXPECT_NEAR(offered->approach.y, way.y, 1e-5f);
        }
    }
    dropThing(f); // before its species goes
}

// Pecking uses nothing up: after bites the same point is offered again; the choice rotates
// through the points and a second reset keeps them, restarting the rotation.
TEST_F(PeckFoodTest, PeckingNeverUsesAPointUpAndResetsKeepThePoints) {
    PeckSpecies s({Cvector(), Cvector(0.1f, 0, 0), Cvector(0.2f, 0, 0)}, true, true, 0.0f);
    CpeckFood* f = peck(s);
    Cmatrix3 any;
    Cvector eater(0.1f, 1.0f, 0.0f);
    std::vector<int> order;
    TestSwallower fish;
    for (int i = 0; i < 4; i++) {
        CfoodItem* p = f->getAvailableParticle(eater, any);
        ASSERT_NE(p, nullptr);
        order.push_back(p->index);
        f->foodBeingSwallowed(p, &fish);
        f->particleEaten(p);
        EXPECT_TRUE(p->active && p->available);
    }
    EXPECT_EQ(order, (std::vector<int>{1, 2, 0, 1}));
    CfoodItem* first = f->items[0];
    f->lastPicked = 2;
    EXPECT_EQ(f->resetThing(0), 0);
    EXPECT_EQ(f->lastPicked, 0);
    EXPECT_EQ(f->items[0], first);
    EXPECT_EQ(f->particleCount, 3);
    f->goFish(1);
    EXPECT_EQ(f->framesUpdated, 1);
    dropThing(f);
}

} // namespace
