// The fins: which fins a species animates, the travelling raise of the matrix rig and the
// restlessness draw.
#include <cmath>

#include "fishTestSupport.h"
#include "world/species.h"

namespace {
// A species with the named fin controllers; lift shapes rise from 0 to 1 so a fill moves them.
Cspecies* speciesWith(CdirectoryVar& owner, std::vector<std::string> const& names) {
    auto* sp = new Cspecies;
    sp->setName("finSpecies");
    owner.addVariable(sp, 1);
    for (std::string const& n : names) {
        char const* kind = n.find("Lift") != std::string::npos ? "finLift"
                           : n == "caudalWag0"                 ? "caudalWag"
                                                               : "finWag";
        CchanController* c = sp->addController(n.c_str(), kind, 6);
        if (auto* lift = dynamic_cast<CfinLiftController*>(c)) lift->shapeB.set(1.0f);
        if (auto* wag = dynamic_cast<CfinWagController*>(c)) wag->weights.set(1.0f);
    }
    return sp;
}
} // namespace

TEST_F(FishTest, MissingFinControllersLeaveOnlyThatFin) {
    char const* wags[3] = {"dorsalWag0", "analWag0", "caudalWag0"};
    struct {
        std::string missing;
        bool animates[3]; // dorsal, anal, caudal
    } const cases[] = {{"dorsalLift0", {false, true, true}},
                       {"analLift0", {true, false, true}},
                       {"caudalLift0", {true, true, false}},
                       {"", {true, true, true}}};
    for (auto const& c : cases) {
        std::vector<std::string> names = {wags[0], wags[1], wags[2]};
        for (char const* lift : {"dorsalLift0", "analLift0", "caudalLift0"})
            if (c.missing != lift) names.push_back(lift);
        Cspecies* sp = speciesWith(resources, names);
        Cfish* fish = makeFish();
        fish->species = sp;
        fish->initializeControllers();
        for (int i = 0; i < 5; i++)
            fish->updateClothControllers();
        for (int f = 0; f < 3; f++) {
            Cchan const& pairs = dynamic_cast<CcosSinController*>(sp->getChanController(wags[f]))->cosSin;
            float moved = 0.0f;
            for (int i = 0; i < pairs.count; i++)
                moved += std::fabs(pairs.values[i]);
            EXPECT_EQ(moved > 0.0f, c.animates[f]) << c.missing << " " << wags[f];
        }
        fish->species = nullptr;
        deleteVariable(fish);
        deleteVariable(sp);
    }
}

TEST_F(FishTest, RaiseTravelsOneSegmentPerFrame) {
    CfinChain chain;
    chain.setup(4);
    for (int frame = 0; frame < 4; frame++) {
        chain.advance(frame == 0 ? 1.0f : 0.0f);
        for (int k = 0; k < 4; k++) {
            float angle = std::atan2(chain.matrices[k].up.z, chain.matrices[k].up.y);
            EXPECT_NEAR(angle, k == frame ? chain.weights[k] : 0.0f, 1e-5f) << frame << " " << k;
        }
    }
    CfinChain none; // a fin without segments is skipped rather than divided by
    none.setup(0);
    none.advance(1.0f);
    EXPECT_EQ(none.index, 0);
}

TEST_F(FishTest, FinRestlessnessIsRedrawn) {
    Cfish* fish = makeFish();
    int draws = 0;
    for (int frame = 0; frame < 700; frame++) {
        int before = fish->finRestlessCountdown;
        fish->prepForCook();
        fish->goFish(0);
        if (fish->finRestlessCountdown <= before) continue;
        draws++;
        EXPECT_TRUE(fish->finRestlessCountdown >= 100 && fish->finRestlessCountdown <= 300) << frame;
        EXPECT_TRUE(fish->finRestlessness >= 0.0f && fish->finRestlessness < 1.0f) << frame;
    }
    EXPECT_GE(draws, 3); // the first frame, then every 100 to 300
}
