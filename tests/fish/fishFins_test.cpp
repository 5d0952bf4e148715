// The fins: which fins a species animates, the travelling raise of the matrix rig, the
// tail's tone, the fins' snap at a flick and the restlessness draw.
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

// The target of the running move.
float target(CanimValue const& v) {
    return v.startValue + v.delta;
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

TEST_F(FishTest, CaudalTone) {
    struct {
        float speed, amplitude;
        bool busy;
        float wantAmplitude, wantFrames, wantStiffness; // amplitude -1: no move
    } const cases[] = {
        {1.2f, 0.2f, false, 0.05f, 10.0f, 0.4f},
        {0.8f, 0.05f, false, 0.25f, 5.0f, 0.5f},
        {1.2f, 0.05f, false, -1.0f, 0.0f, 0.0f}, // already calm
        {1.2f, 0.2f, true, -1.0f, 0.0f, 0.0f},   // a move in progress
    };
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->bodySpeed = c.speed;
        fish->caudalAmplitude.ownValue = c.amplitude;
        if (c.busy) fish->caudalStiffness.setMove(0.3f, 4.0f, CURVE_LINEAR, 1);
        fish->handleFins();
        EXPECT_EQ(fish->caudalAmplitude.active != 0, c.wantAmplitude >= 0.0f)
            << c.speed << " " << c.amplitude;
        if (c.wantAmplitude < 0.0f) continue;
        EXPECT_FLOAT_EQ(target(fish->caudalAmplitude), c.wantAmplitude);
        EXPECT_FLOAT_EQ(fish->caudalAmplitude.step, 1.0f / c.wantFrames);
        EXPECT_FLOAT_EQ(target(fish->caudalStiffness), c.wantStiffness);
    }
}

TEST_F(FishTest, FlickSnapsTheFins) {
    struct {
        float turn, endSpeed;
        bool spreads;
        float bend, stiffnessAfter;
    } const cases[] = {{2.0f, 0.1f, true, 0.3f, 0.2f}, {-0.5f, 0.8f, false, -0.15f, 0.5f}};
    for (auto const& c : cases) {
        Cfish* fish = makeFish();
        fish->initializeControllers();
        fish->flickTurnFinDown = 0.1f;
        fish->finRestlessness = 0.5f;
        fish->flickFins(c.turn, 0.5f, 1.0f, c.endSpeed);
        EXPECT_EQ(fish->caudalSpread.active != 0, c.spreads);
        EXPECT_FLOAT_EQ(target(*fish->pelvicControl[0]), 0.1f);
        for (int i = 0; i < 2; i++)
            fish->updateClothControllers();
        EXPECT_NEAR(fish->dorsalLiftA.ownValue, 0.1f, 1e-5f); // down within 2 frames
        EXPECT_NEAR(fish->caudalStiffness.ownValue, 0.7f, 1e-5f);
        EXPECT_FLOAT_EQ(target(fish->caudalStiffness), c.stiffnessAfter);
        fish->updateClothControllers();
        EXPECT_NEAR(fish->caudalBend.ownValue, c.bend, 1e-5f);
        for (int i = 0; i < 20; i++)
            fish->updateClothControllers();
        EXPECT_NEAR(fish->dorsalLiftA.ownValue, 0.75f, 1e-5f); // back over 20
    }
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
